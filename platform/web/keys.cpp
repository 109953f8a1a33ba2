// Web backend: the one translation from the browser's key names to the classic virtual-key
// codes, shared by the key messages and the key state.
#include <cstring>

#include "platform/web/web_backend.h"

namespace platform::web {
namespace {

struct Named {
    const char* code;
    int vk;
};

constexpr Named kKeys[] = {
    {"Backspace", 8},      {"Tab", 9},           {"Enter", 13},          {"NumpadEnter", 13},
    {"ShiftLeft", 16},     {"ShiftRight", 16},   {"ControlLeft", 17},    {"ControlRight", 17},
    {"AltLeft", 18},       {"AltRight", 18},     {"Pause", 19},          {"CapsLock", 20},
    {"Escape", 27},        {"Space", 32},        {"PageUp", 33},         {"PageDown", 34},
    {"End", 35},           {"Home", 36},         {"ArrowLeft", 37},      {"ArrowUp", 38},
    {"ArrowRight", 39},    {"ArrowDown", 40},    {"Insert", 45},         {"Delete", 46},
    {"Numpad0", 96},       {"NumpadMultiply", 106}, {"NumpadAdd", 107},  {"NumpadSubtract", 109},
    {"NumpadDecimal", 110}, {"NumpadDivide", 111},
};

// "<prefix><one character from first to last>": that character's offset, else -1.
int suffix(const char* code, const char* prefix, char first, char last) {
    const std::size_t n = std::strlen(prefix);
    if (std::strncmp(code, prefix, n) != 0 || code[n] < first || code[n] > last || code[n + 1] != '\0') return -1;
    return code[n] - first;
}

}  // namespace

int virtualKey(const char* code) {
    if (code == nullptr) return 0;
    int i = suffix(code, "Key", 'A', 'Z');
    if (i >= 0) return 'A' + i;
    if ((i = suffix(code, "Digit", '0', '9')) >= 0) return '0' + i;
    if ((i = suffix(code, "Numpad", '1', '9')) >= 0) return 97 + i;
    if ((i = suffix(code, "F", '1', '9')) >= 0) return 112 + i;
    if (std::strcmp(code, "F10") == 0) return 121;
    if (std::strcmp(code, "F11") == 0) return 122;
    if (std::strcmp(code, "F12") == 0) return 123;
    for (const Named& k : kKeys)
        if (std::strcmp(code, k.code) == 0) return k.vk;
    return 0;
}

}  // namespace platform::web
