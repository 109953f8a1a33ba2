// Platform: lookup in the embedded resource table.
#include "platform/resources.h"

#include <strings.h>

namespace platform {

const ResourceEntry* findResource(const char* name, const char* type) {
    if (name == nullptr || type == nullptr) return nullptr;
    for (int i = 0; i < kResourceCount; ++i) {
        const ResourceEntry& entry = kResourceTable[i];
        if (entry.name != nullptr && strcasecmp(entry.name, name) == 0 &&
            strcasecmp(entry.type, type) == 0)
            return &entry;
    }
    return nullptr;
}

}  // namespace platform
