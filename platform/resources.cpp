// Platform: lookup in the embedded resource table.
#include "platform/resources.h"

#include <strings.h>

namespace platform {
namespace {

struct ExtraResources {
    const ResourceEntry* entries = nullptr;
    int count = 0;
};
ExtraResources extra;

const ResourceEntry* FindIn(const ResourceEntry* table, int count, const char* name, const char* type) {
    for (int i = 0; i < count; ++i) {
        const ResourceEntry& entry = table[i];
        if (entry.name != nullptr && entry.type != nullptr && strcasecmp(entry.name, name) == 0 &&
            strcasecmp(entry.type, type) == 0)
            return &entry;
    }
    return nullptr;
}

}  // namespace

const ResourceEntry* findResource(const char* name, const char* type) {
    if (name == nullptr || type == nullptr) return nullptr;
    if (const ResourceEntry* e = FindIn(extra.entries, extra.count, name, type)) return e;
    return FindIn(kResourceTable, kResourceCount, name, type);
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
    extra.entries = count > 0 ? entries : nullptr;
    extra.count = count > 0 ? count : 0;
}

}  // namespace platform
