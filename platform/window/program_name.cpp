// Platform: the program's name in the platform's messages on standard error.
#include "platform/window/program_name.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/window/system.h"

namespace platform {

namespace {
char setName[64] = {};

// Copies text into a name buffer, cut to fit.
void copyName(char (&to)[64], const char* text) {
    const std::size_t n = std::min(std::strlen(text), sizeof to - 1);
    std::memcpy(to, text, n);
    to[n] = '\0';
}
}  // namespace

void setProgramName(const char* name) { copyName(setName, name != nullptr ? name : ""); }

const char* programName() {
    if (setName[0] != '\0') return setName;
    static char exeName[64] = {};
    if (exeName[0] == '\0') {
        char path[4096];
        if (getModuleFileName(path, sizeof path) > 0) {
            // Windows takes '/' between folders as well as its own separator.
            const char* slash = std::strrchr(path, '/');
            if (const char* own = std::strrchr(path, os::kSeparator); own != nullptr && (slash == nullptr || own > slash)) slash = own;
            copyName(exeName, slash != nullptr ? slash + 1 : path);
        }
        if (exeName[0] == '\0') copyName(exeName, "quorbix");
    }
    return exeName;
}

void say(const char* format, ...) {
    std::fprintf(stderr, "%s: ", programName());
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

}  // namespace platform
