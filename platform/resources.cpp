// Platform: lookup in the embedded resource table.
#include "platform/resources.h"

#include <strings.h>

namespace platform {
namespace {
const ResourceEntry* overrideTable = nullptr;
int overrideCount = 0;
}  // namespace

void overrideResources(const ResourceEntry* table, int count) {
    overrideTable = table;
    overrideCount = table != nullptr ? count : 0;
}

const ResourceEntry* findResource(const char* name, const char* type) {
    if (name == nullptr || type == nullptr) return nullptr;
    const ResourceEntry* table = overrideTable != nullptr ? overrideTable : kResourceTable;
    int count = overrideTable != nullptr ? overrideCount : kResourceCount;
    for (int i = 0; i < count; ++i) {
        const ResourceEntry& entry = table[i];
        if (entry.name != nullptr && strcasecmp(entry.name, name) == 0 &&
            strcasecmp(entry.type, type) == 0)
            return &entry;
    }
    return nullptr;
}

}  // namespace platform
