// Platform: line-break opportunities for Japanese and Latin text.
#include "platform/text/line_break.h"

#include <cstddef>

namespace platform {
namespace {

// Characters that may not begin a line: closing brackets and punctuation, the iteration and
// long-vowel marks, and small kana, which belong to the character before them.
constexpr char32_t kNoLineStart[] = {
    U'、', U'。', U'，', U'．', U'・', U'：', U'；', U'？', U'！', U'゛', U'゜', U'ー', U'〜', U'…',
    U'‥', U'）', U'〕', U'］', U'｝', U'〉', U'》', U'」', U'』', U'】', U'〙', U'〗', U'ヽ', U'ヾ',
    U'ゝ', U'ゞ', U'々', U'〻', U'ぁ', U'ぃ', U'ぅ', U'ぇ', U'ぉ', U'っ', U'ゃ', U'ゅ', U'ょ', U'ゎ',
    U'ゕ', U'ゖ', U'ァ', U'ィ', U'ゥ', U'ェ', U'ォ', U'ッ', U'ャ', U'ュ', U'ョ', U'ヮ', U'ヵ', U'ヶ',
    U'’', U'”', U'°', U'′', U'″', U'℃', U'％', U'‰',
    U')', U']', U'}', U',', U'.', U'!', U'?', U':', U';', U'%',
    U'｡', U'｣', U'､', U'･', U'ｰ', U'ﾞ', U'ﾟ', U'ｧ', U'ｨ', U'ｩ', U'ｪ', U'ｫ', U'ｬ', U'ｭ', U'ｮ', U'ｯ',
};

// Characters that may not end a line: opening brackets and quotes.
constexpr char32_t kNoLineEnd[] = {
    U'（', U'〔', U'［', U'｛', U'〈', U'《', U'「', U'『', U'【', U'〘', U'〖', U'‘', U'“',
    U'(', U'[', U'{', U'｢', U'￥', U'＄', U'＃',
};

template <std::size_t N>
bool in(const char32_t (&set)[N], char32_t c) {
    for (char32_t s : set)
        if (s == c) return true;
    return false;
}

// Characters set solid, each of which may stand at a line end: kana, kanji, full-width forms and
// the CJK punctuation around them.
bool isIdeographic(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

}  // namespace

bool isBreakSpace(char32_t c) { return c == U' ' || c == U'\u3000'; }

bool canBreakBetween(char32_t before, char32_t after) {
    if (isBreakSpace(after)) return false;   // spaces stay at the end of the line before
    if (in(kNoLineStart, after) || in(kNoLineEnd, before)) return false;
    if (isBreakSpace(before)) return true;
    return isIdeographic(before) || isIdeographic(after);
}

}  // namespace platform
