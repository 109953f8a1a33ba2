// elDraw: the text brackets. The description persists between brackets, so a face chosen once
// stays until another is chosen.
#include "framework/draw/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/core/code_page.h"
#include "framework/core/program_state.h"
#include "framework/draw/back_dc.h"
#include "framework/system/shutdown.h"
#include "platform/text/gdi_text.h"

namespace elDraw {

TextState Text;
const ProgramStateRegistration kTextReset{ResetStage::Text, [] { Text.reset(); }};
const elSystem::ShutdownRegistration kFontRelease{elSystem::ShutdownStep::Font, FreeFont};

namespace {
const elSystem::CodePageText kMincho("標準明朝");
const elSystem::CodePageText kGothic("標準ゴシック");

// The platform's name of the program's encoding.
platform::TextEncoding Encoding() {
    return quorbix::ProgramTextEncoding() == quorbix::TextEncoding::Utf8 ? platform::TextEncoding::Utf8
                                                                        : platform::TextEncoding::ShiftJis;
}

void SetFaceName(const elSystem::CodePageText& name) {
    char* dst = Text.Font->lfFaceName;
    std::size_t n = std::min(name.size(), sizeof Text.Font->lfFaceName - 1);
    std::memset(dst, 0, sizeof Text.Font->lfFaceName);
    std::memcpy(dst, name.c_str(), n);
}
}  // namespace

void TextState::reset() {
    EndText();
    delete Font;
    *this = TextState{};
}

void AllocFont() {
    // A second call starts again from a zero-filled description rather than losing the first.
    delete Text.Font;
    Text.Font = new platform::LogFont{};
}

void FreeFont() {
    EndText();
    delete Text.Font;
    Text.Font = nullptr;
}

void BeginText(int face, int height, int angle, int weight, int italic, int underline) {
    if (Text.Font == nullptr) return;
    // Back hands out one context at a time: a bracket left open would keep it for good.
    if (Text.Open) EndText();
    platform::LogFont& f = *Text.Font;
    if (face == kFaceMincho) SetFaceName(kMincho);
    if (face == kFaceGothic) SetFaceName(kGothic);
    f.lfWeight = weight == 0 ? platform::FW_NORMAL : weight == 1 ? platform::FW_BOLD : 0;
    // Tenths of a degree; whole turns are dropped so that a large angle cannot overflow.
    f.lfEscapement = static_cast<std::int32_t>((static_cast<std::int64_t>(angle) * 10) % 3600);
    f.lfWidth = 0;
    f.lfHeight = height;
    f.lfItalic = static_cast<std::uint8_t>(italic & 0xFF);
    f.lfUnderline = static_cast<std::uint8_t>(underline & 0xFF);
    Text.CurrentFont = platform::createFontIndirect(Text.Font);
    Text.Context = TakeBackDC();
    Text.PreviousFont = platform::selectObject(Text.Context, Text.CurrentFont);
    Text.Open = true;
}

void SetTextColors(std::uint32_t color, std::uint32_t background, int transparent) {
    if (!Text.Open) return;
    platform::setTextColor(Text.Context, color);
    platform::setBkColor(Text.Context, background);
    if (transparent != 0) platform::setBkMode(Text.Context, platform::TRANSPARENT);
}

int PutText(int x, int y, const char* text) {
    if (!Text.Open || text == nullptr) return 0;
    std::size_t n = std::strlen(text);
    if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;
    return platform::textOut(Text.Context, x, y, text, static_cast<int>(n), Encoding()) ? 1 : 0;
}

int DrawTextBox(int left, int top, int right, int bottom, const char* text) {
    if (!Text.Open || text == nullptr) return 0;
    platform::Rect r{left, top, right, bottom};
    return platform::drawText(Text.Context, text, -1, &r, platform::DT_WORDBREAK | platform::DT_NOPREFIX, Encoding());
}

int MeasureTextBox(int left, int top, int right, int bottom, const char* text) {
    if (!Text.Open || text == nullptr) return 0;
    platform::Rect r{left, top, right, bottom};
    return platform::drawText(Text.Context, text, -1, &r,
                              platform::DT_WORDBREAK | platform::DT_NOPREFIX | platform::DT_CALCRECT, Encoding());
}

void EndText() {
    if (!Text.Open) return;
    platform::selectObject(Text.Context, Text.PreviousFont);
    platform::deleteObject(Text.CurrentFont);
    GiveBackDC(Text.Context);
    Text.Open = false;
    Text.CurrentFont = nullptr;
    Text.Context = nullptr;
    Text.PreviousFont = nullptr;
}

}  // namespace elDraw
