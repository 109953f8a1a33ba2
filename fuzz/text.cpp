// Fuzz target: random bytes as Shift-JIS or UTF-8 text through TextOut, DrawText and the text
// measure on a small surface, with the encoding, the font, the background mode, the place and the
// box taken from the first bytes; and as UTF-8 through the check that makes it fit to hand on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/video/gdi.h"
#include "platform/files/text_codec.h"
#include "platform/text/gdi_text.h"

namespace {

struct Surface {
    platform::GdiObject bitmap;
    platform::HDC dc;
    explicit Surface(platform::PixelFormat format) {
        bitmap.kind = platform::GdiKind::Bitmap;
        int pitch = 40 * platform::bytesPerPixel(format);
        bitmap.bits.assign(static_cast<std::size_t>(pitch) * 30, 0);
        bitmap.view = platform::PixelView{bitmap.bits.data(), 40, 30, pitch, format};
        dc = platform::createCompatibleDC(nullptr);
        platform::selectObject(dc, &bitmap);
    }
};

// Shift-JIS face names: the Mincho and Gothic faces, none, and a name no family carries.
const char* const kFaces[] = {"\x95\x57\x8F\x80\x96\xBE\x92\xA9", "\x95\x57\x8F\x80\x83\x53\x83\x56\x83\x62\x83\x4E",
                              "", "NoSuchFace"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Surface surfaces[3] = {Surface(platform::PixelFormat::RGB565), Surface(platform::PixelFormat::RGB888),
                                  Surface(platform::PixelFormat::XRGB8888)};
    if (size < 8) return 0;
    Surface& s = surfaces[data[0] % 3];
    platform::LogFont lf{};
    std::strcpy(lf.lfFaceName, kFaces[(data[0] >> 2) & 3]);
    lf.lfWeight = (data[0] & 0x10) ? platform::FW_BOLD : platform::FW_NORMAL;
    lf.lfItalic = (data[0] & 0x20) ? 1 : 0;
    lf.lfUnderline = (data[0] & 0x40) ? 1 : 0;
    lf.lfHeight = static_cast<std::int8_t>(data[1]);
    lf.lfEscapement = (data[0] & 0x80) ? data[2] * 15 : 0;
    platform::HGDIOBJ font = platform::createFontIndirect(&lf);
    platform::HGDIOBJ previous = platform::selectObject(s.dc, font);
    platform::setBkMode(s.dc, (data[3] & 1) ? platform::TRANSPARENT : platform::OPAQUE);
    platform::setTextColor(s.dc, 0xFFFFFF);
    platform::setBkColor(s.dc, 0x800000);
    int x = static_cast<std::int8_t>(data[4]), y = static_cast<std::int8_t>(data[5]);
    const char* text = reinterpret_cast<const char*>(data + 8);
    int length = static_cast<int>(size - 8);
    const platform::TextEncoding encoding =
        (data[3] & 16) ? platform::TextEncoding::Utf8 : platform::TextEncoding::ShiftJis;
    // The text sits at the end of the input, so a read past `length` leaves the buffer.
    platform::textOut(s.dc, x, y, text, length, encoding);
    int width = 0, height = 0;
    platform::getTextExtentPoint(s.dc, text, length, width, height, encoding);
    platform::Rect r{x, y, x + static_cast<std::int8_t>(data[6]), y + static_cast<std::int8_t>(data[7])};
    std::uint32_t format = platform::DT_WORDBREAK | ((data[3] & 2) ? platform::DT_NOPREFIX : 0) |
                           ((data[3] & 4) ? platform::DT_SINGLELINE : 0) | ((data[3] & 8) ? platform::DT_NOCLIP : 0);
    platform::drawText(s.dc, text, length, &r, format, encoding);
    // The terminated form, as the framework passes it.
    std::vector<char> terminated(text, text + length);
    terminated.push_back('\0');
    platform::Rect calc = r;
    platform::drawText(s.dc, terminated.data(), -1, &calc, format | platform::DT_CALCRECT, encoding);
    // What a box is handed: valid UTF-8 whatever came in, each character decoded again the same.
    const std::string valid = platform::validUtf8(terminated.data());
    for (std::size_t i = 0; i < valid.size();) {
        std::size_t used = 0;
        const char32_t c = platform::decodeUtf8Char(valid.data() + i, valid.size() - i, used);
        if (used == 0 || i + used > valid.size()) __builtin_trap();
        if (c == U'\uFFFD' && valid.compare(i, used, "\xEF\xBF\xBD") != 0) __builtin_trap();
        i += used;
    }
    platform::selectObject(s.dc, previous);
    platform::deleteObject(font);
    return 0;
}
