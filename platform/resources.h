// Platform: the resource table built into the executable from assets/ (name, type, bytes).
#pragma once
#include <cstddef>

namespace platform {

struct ResourceEntry {
    const char* name;
    const char* type;   // "BITMAP" or "WAVE"
    const unsigned char* data;
    std::size_t size;
};

// Generated at build time from assets/ (see assets/embed.cmake).
extern const ResourceEntry kResourceTable[];
extern const int kResourceCount;

// Finds a resource by name and type, both compared without regard to case; nullptr if absent.
// Called by the bitmap and wave loaders when no file of that name exists.
const ResourceEntry* findResource(const char* name, const char* type);

// Tests put a table of their own in place of the built-in one; nullptr goes back to it.
void overrideResources(const ResourceEntry* table, int count);

}  // namespace platform
