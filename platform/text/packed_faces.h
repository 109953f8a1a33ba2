// The family names a program may ask for where the two Japanese faces come with it (the web page,
// the Windows package) instead of from fontconfig: each names the Mincho or the Gothic face.
#pragma once

#include <strings.h>

namespace platform::fonts {

inline bool isMinchoFamily(const char* family) {
    return strcasecmp(family, "IPAexMincho") == 0 || strcasecmp(family, "IPAMincho") == 0 ||
           strcasecmp(family, "serif") == 0;
}

inline bool isGothicFamily(const char* family) {
    return strcasecmp(family, "IPAexGothic") == 0 || strcasecmp(family, "IPAGothic") == 0 ||
           strcasecmp(family, "sans-serif") == 0;
}

}  // namespace platform::fonts
