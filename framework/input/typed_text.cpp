// Input: the text typed since the last frame, UTF-8 in a fixed buffer.
#include "framework/input/typed_text.h"

#include "framework/core/program_state.h"

namespace quorbix {
namespace {

struct TypedState {
    char bytes[kTypedTextBytes + 1] = {};
    std::size_t length = 0;
};
TypedState typed;
const ProgramStateRegistration kTypedReset{ResetStage::Input, [] { typed = TypedState{}; }};

}  // namespace

const char* TypedText() { return typed.bytes; }

void AddTypedCharacter(char32_t c) {
    // Control characters, surrogates and codes past Unicode's are no characters typed.
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return;
    char utf8[4];
    std::size_t n = 0;
    if (c < 0x80) {
        utf8[n++] = static_cast<char>(c);
    } else if (c < 0x800) {
        utf8[n++] = static_cast<char>(0xC0 | (c >> 6));
        utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        utf8[n++] = static_cast<char>(0xE0 | (c >> 12));
        utf8[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        utf8[n++] = static_cast<char>(0xF0 | (c >> 18));
        utf8[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    // A whole character or none, so the text stays valid UTF-8.
    if (typed.length + n > kTypedTextBytes) return;
    for (std::size_t i = 0; i < n; ++i) typed.bytes[typed.length++] = utf8[i];
    typed.bytes[typed.length] = '\0';
}

void ClearTypedText() {
    typed.length = 0;
    typed.bytes[0] = '\0';
}

}  // namespace quorbix
