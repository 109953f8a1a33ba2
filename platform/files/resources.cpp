// Platform: lookup in the embedded resource table.
#include "platform/files/resources.h"

#include <strings.h>

namespace platform {
namespace {

struct Table {
    const ResourceEntry* entries = nullptr;
    int count = 0;
};

struct ResourceState {
    Table extra;       // looked up before the built-in table
    Table program;     // the program's own table
    Table builtIn;     // the program's, or a test's in its place
};
ResourceState resources;

const ResourceEntry* findIn(const Table& table, const char* name, const char* type) {
    for (int i = 0; i < table.count; ++i) {
        const ResourceEntry& entry = table.entries[i];
        if (entry.name != nullptr && entry.type != nullptr && strcasecmp(entry.name, name) == 0 &&
            strcasecmp(entry.type, type) == 0)
            return &entry;
    }
    return nullptr;
}

}  // namespace

const ResourceEntry* findResource(const char* name, const char* type) {
    if (name == nullptr || type == nullptr) return nullptr;
    if (const ResourceEntry* e = findIn(resources.extra, name, type)) return e;
    return findIn(resources.builtIn, name, type);
}

const unsigned char* lockResource(const ResourceEntry* entry, std::size_t& size) {
    size = 0;
    if (entry == nullptr || entry->data == nullptr) return nullptr;
    const unsigned char* data = entry->data;
    size = entry->size;
    // Bitmaps are embedded as whole BMP files; a bitmap resource starts at the bitmap header.
    if (strcasecmp(entry->type, "BITMAP") == 0 && size >= 14 && data[0] == 'B' && data[1] == 'M') {
        data += 14;
        size -= 14;
    }
    return data;
}

void setExtraResources(const ResourceEntry* entries, int count) {
    resources.extra = count > 0 ? Table{entries, count} : Table{};
}

void setBuiltInResources(const ResourceEntry* table, int count) {
    resources.program = table != nullptr && count > 0 ? Table{table, count} : Table{};
    resources.builtIn = resources.program;
}

void overrideResources(const ResourceEntry* table, int count) {
    resources.builtIn = table != nullptr ? Table{table, count} : resources.program;
}

}  // namespace platform
