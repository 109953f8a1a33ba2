// Platform: the resource table a program builds into its executable (name, type, bytes).
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("platform/files/resources.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstddef>

namespace platform {

struct ResourceEntry {
    const char* name;
    const char* type;   // "BITMAP" or "WAVE"
    const unsigned char* data;
    std::size_t size;
};

// The program's own resource table, built into its executable: a program's generated table
// (assets/embed.cmake) hands itself over here while the program's static objects are made,
// before main. Without one a program has no built-in resources.
void setBuiltInResources(const ResourceEntry* table, int count);

// Finds a resource by name and type, both compared without regard to case; nullptr if absent.
// Called by the bitmap and wave loaders when no file of that name exists.
const ResourceEntry* findResource(const char* name, const char* type);

// The bytes of a found resource as a program sees them once it is loaded and locked: a bitmap
// resource is a packed bitmap (the BMP file without its 14-byte file header), anything else is
// as stored. nullptr for no entry.
const unsigned char* lockResource(const ResourceEntry* entry, std::size_t& size);

// Tests, benchmarks and the gallery (for the bitmaps it makes at start-up): extra resources,
// looked up before the built-in table (nullptr, 0 ends them). The entries must live until they
// are replaced.
void setExtraResources(const ResourceEntry* entries, int count);
// Tests put a table of their own in place of the built-in one (extra resources still come
// first); nullptr goes back to it.
void overrideResources(const ResourceEntry* table, int count);

}  // namespace platform
