// Platform: text on device contexts: fonts, colours, TextOut, DrawText and text measures.
#include "platform/text/gdi_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/text/font_engine.h"
#include "platform/video/gdi_raster.h"
#include "platform/text/line_break.h"
#include "platform/files/text_codec.h"

namespace platform {
namespace {

using raster::Clip;

// One character laid out: its glyph and how far it moves the pen (26.6, screen axes).
struct Item {
    char32_t c;
    const Glyph* glyph;
    std::int32_t advanceX;
    std::int32_t advanceY;
    int width;   // whole pixels along the baseline
};

FontFace* defaultHint = nullptr;

// The font a context draws with; its face stays valid until the next font is resolved.
FontFace* contextFont(HDC dc) {
    if (dc->font != nullptr) {
        dc->font->face = resolveFont(dc->font->font, dc->font->face);
        return dc->font->face;
    }
    defaultHint = resolveFont(defaultLogFont(), defaultHint);
    return defaultHint;
}

bool underlined(HDC dc) { return dc->font != nullptr && dc->font->font.lfUnderline != 0; }

// Decodes text in `encoding` into items. Without `prefixes`, an ampersand marks the next character
// and is itself not drawn ("&&" stands for one).
void layOut(FontFace* face, const char* text, std::size_t length, bool prefixes, TextEncoding encoding,
            std::vector<Item>& out) {
    out.clear();
    char32_t replacement = replacementChar(face);
    std::size_t i = 0;
    while (i < length) {
        std::size_t used = 1;
        char32_t c = decodeChar(encoding, text + i, length - i, used);
        i += used;
        if (prefixes && c == U'&') {
            if (i >= length) break;
            c = decodeChar(encoding, text + i, length - i, used);
            i += used;
        }
        if (c == U'\uFFFD') c = replacement;
        const Glyph& g = glyphFor(face, c);
        int width = fontMetrics(face).escapement == 0
                        ? g.advanceX / 64
                        : static_cast<int>(std::lround(std::hypot(g.advanceX, g.advanceY) / 64.0));
        out.push_back(Item{c, &g, g.advanceX, g.advanceY, width});
    }
}

// Paints a glyph's spans straight into rows of one pixel format; the caller has made sure the
// whole glyph lies inside the pixels.
template <typename Word, int Bytes>
void paintUnclipped(const PixelView& v, const Glyph& g, long long penX, long long penY, std::uint32_t ink) {
    const Word w = static_cast<Word>(ink);
    const std::ptrdiff_t pitch = v.pitch;
    for (const GlyphSpan& s : g.spans) {
        // Copies of the span, so that the pixel stores need not reload it.
        const int n = s.x1 - s.x0;
        std::uint8_t* p = v.pixels + (penY + s.dy) * pitch + (penX + s.x0) * Bytes;
        for (int i = 0; i < n; ++i) std::memcpy(p + i * Bytes, &w, Bytes);
    }
}

void drawGlyph(const PixelView& v, const Clip& clip, const Glyph& g, long long penX, long long penY,
               std::uint32_t ink) {
    if (g.spans.empty()) return;
    bool inside = penX + g.left >= clip.left && penX + g.right <= clip.right && penY + g.top >= clip.top &&
                  penY + g.bottom <= clip.bottom;
    if (inside && v.format == PixelFormat::XRGB8888) return paintUnclipped<std::uint32_t, 4>(v, g, penX, penY, ink);
    if (inside && v.format == PixelFormat::RGB565) return paintUnclipped<std::uint16_t, 2>(v, g, penX, penY, ink);
    for (const GlyphSpan& s : g.spans) raster::fillSpan(v, clip, penY + s.dy, penX + s.x0, penX + s.x1, ink);
}

// Fills the rotated band that starts `from` pixels below the baseline of a run and is `thick`
// pixels deep, `length` pixels along the run.
void fillBand(const PixelView& v, const Clip& clip, double ox, double oy, double ux, double uy, double length,
              double from, double thick, std::uint32_t pixel) {
    // Down the cell is the run's direction turned a quarter clockwise on screen.
    double dx = -uy, dy = ux;
    raster::Vertex quad[4] = {
        {ox + from * dx, oy + from * dy},
        {ox + from * dx + length * ux, oy + from * dy + length * uy},
        {ox + (from + thick) * dx + length * ux, oy + (from + thick) * dy + length * uy},
        {ox + (from + thick) * dx, oy + (from + thick) * dy},
    };
    raster::scanPolygon(quad, 4, clip, [&](int y, int x0, int x1) { raster::fillSpan(v, clip, y, x0, x1, pixel); });
}

// Draws items [first, last) as one line whose cell's top-left corner is (x, y).
void drawRun(HDC dc, FontFace* face, const Clip& clip, const Item* items, std::size_t count, long long x,
             long long y) {
    const PixelView& v = dc->view;
    const FontMetrics& m = fontMetrics(face);
    std::uint32_t ink = colorToPixel(dc->textColor, v.format);
    std::uint32_t paper = colorToPixel(dc->bkColor, v.format);
    bool opaque = dc->bkMode != TRANSPARENT;
    bool underline = underlined(dc);
    if (m.escapement == 0) {
        long long width = 0;
        for (std::size_t i = 0; i < count; ++i) width += items[i].width;
        if (opaque) raster::fillRect(v, clip, x, y, x + width, y + m.height, paper);
        long long penX = x, baseline = y + m.ascent;
        for (std::size_t i = 0; i < count; ++i) {
            drawGlyph(v, clip, *items[i].glyph, penX, baseline, ink);
            penX += items[i].width;
        }
        if (underline) {
            long long top = baseline + m.underlineOffset;
            raster::fillRect(v, clip, x, top, x + width, top + m.underlineThickness, ink);
        }
        return;
    }
    // Rotated: the pen walks along the turned baseline in fractions of a pixel.
    double angle = m.escapement * 3.14159265358979323846 / 1800.0;
    double ux = std::cos(angle), uy = -std::sin(angle);
    double sumX = 0, sumY = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sumX += items[i].advanceX / 64.0;
        sumY += items[i].advanceY / 64.0;
    }
    double length = std::hypot(sumX, sumY);
    double ox = static_cast<double>(x), oy = static_cast<double>(y);
    if (opaque) fillBand(v, clip, ox, oy, ux, uy, length, 0, m.height, paper);
    double penX = ox - uy * m.ascent, penY = oy + ux * m.ascent;   // the baseline's start
    double baseX = penX, baseY = penY;
    for (std::size_t i = 0; i < count; ++i) {
        drawGlyph(v, clip, *items[i].glyph, std::llround(penX), std::llround(penY), ink);
        penX += items[i].advanceX / 64.0;
        penY += items[i].advanceY / 64.0;
    }
    if (underline) fillBand(v, clip, baseX, baseY, ux, uy, length, m.underlineOffset, m.underlineThickness, ink);
}

thread_local std::vector<Item> scratch;

struct Line {
    std::size_t first, last;   // items drawn: [first, last)
    long long width;
};

bool isLineEnd(char32_t c) { return c == U'\r' || c == U'\n'; }

// Splits laid-out items into lines for a box `maxWidth` pixels wide.
void breakLines(const std::vector<Item>& items, long long maxWidth, bool wordBreak, bool singleLine,
                std::vector<Line>& lines) {
    lines.clear();
    std::size_t n = items.size(), i = 0;
    while (i < n) {
        std::size_t start = i, j = i, next = n, breakAt = 0;
        long long width = 0;
        bool wrapped = false;
        for (; j < n; ++j) {
            char32_t c = items[j].c;
            if (!singleLine && isLineEnd(c)) {
                next = j + 1;
                if (c == U'\r' && next < n && items[next].c == U'\n') ++next;
                break;
            }
            if (wordBreak && j > start && canBreakBetween(items[j - 1].c, c)) breakAt = j;
            if (wordBreak && j > start && !isBreakSpace(c) && width + items[j].width > maxWidth && breakAt > start) {
                next = breakAt;
                wrapped = true;
                break;
            }
            width += items[j].width;
        }
        std::size_t end = wrapped ? next : j;
        // The spaces where a line was wrapped are not part of it.
        while (wrapped && end > start && isBreakSpace(items[end - 1].c)) --end;
        long long w = 0;
        for (std::size_t k = start; k < end; ++k) w += items[k].width;
        lines.push_back(Line{start, end, w});
        i = next;
    }
}

}  // namespace

void prepareFonts() { prepareFaces(); }

HGDIOBJ createFontIndirect(const LogFont* font) {
    if (font == nullptr) return nullptr;
    auto* f = new GdiObject;
    f->kind = GdiKind::Font;
    f->font = *font;
    f->face = resolveFont(f->font, nullptr);
    return f;
}

std::uint32_t setTextColor(HDC dc, std::uint32_t color) {
    if (dc == nullptr) return CLR_INVALID;
    std::uint32_t previous = dc->textColor;
    dc->textColor = color & 0x00FFFFFFu;
    return previous;
}

std::uint32_t setBkColor(HDC dc, std::uint32_t color) {
    if (dc == nullptr) return CLR_INVALID;
    std::uint32_t previous = dc->bkColor;
    dc->bkColor = color & 0x00FFFFFFu;
    return previous;
}

int setBkMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

bool textOut(HDC dc, int x, int y, const char* text, int length, TextEncoding encoding) {
    if (dc == nullptr || (text == nullptr && length > 0)) return false;
    FontFace* face = contextFont(dc);
    if (face == nullptr) return false;
    if (length <= 0) return true;
    Clip clip = raster::viewClip(dc->view);
    layOut(face, text, static_cast<std::size_t>(length), false, encoding, scratch);
    if (!clip.empty()) drawRun(dc, face, clip, scratch.data(), scratch.size(), x, y);
    return true;
}

int drawText(HDC dc, const char* text, int length, Rect* rect, std::uint32_t format, TextEncoding encoding) {
    if (dc == nullptr || rect == nullptr) return 0;
    std::size_t n = 0;
    if (text != nullptr) n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
    FontFace* face = contextFont(dc);
    if (face == nullptr) return 0;
    layOut(face, text, n, (format & DT_NOPREFIX) == 0, encoding, scratch);
    thread_local std::vector<Line> lines;
    long long boxWidth = static_cast<long long>(rect->right) - rect->left;
    breakLines(scratch, boxWidth, (format & DT_WORDBREAK) != 0, (format & DT_SINGLELINE) != 0, lines);
    const FontMetrics& m = fontMetrics(face);
    long long height = static_cast<long long>(lines.size()) * m.height;
    if (height > 0x7FFFFFFF) height = 0x7FFFFFFF;
    if (format & DT_CALCRECT) {
        long long widest = 0;
        for (const Line& l : lines) widest = std::max(widest, l.width);
        long long right = rect->left + widest;
        if ((format & DT_WORDBREAK) && lines.size() > 1) right = std::max<long long>(right, rect->right);
        rect->right = static_cast<int>(std::clamp<long long>(right, -0x7FFFFFFFLL - 1, 0x7FFFFFFF));
        rect->bottom = static_cast<int>(std::clamp<long long>(rect->top + height, -0x7FFFFFFFLL - 1, 0x7FFFFFFF));
        return static_cast<int>(height);
    }
    Clip clip = raster::viewClip(dc->view);
    if (!(format & DT_NOCLIP)) clip = raster::intersect(clip, Clip{rect->left, rect->top, rect->right, rect->bottom});
    for (std::size_t i = 0; i < lines.size() && !clip.empty(); ++i) {
        long long top = rect->top + static_cast<long long>(i) * m.height;
        if (m.escapement == 0 && (top >= clip.bottom || top + m.height <= clip.top)) continue;
        drawRun(dc, face, clip, scratch.data() + lines[i].first, lines[i].last - lines[i].first, rect->left, top);
    }
    return static_cast<int>(height);
}

bool getTextExtentPoint(HDC dc, const char* text, int length, int& width, int& height, TextEncoding encoding) {
    width = height = 0;
    if (dc == nullptr || (text == nullptr && length > 0)) return false;
    FontFace* face = contextFont(dc);
    if (face == nullptr) return false;
    layOut(face, text, length > 0 ? static_cast<std::size_t>(length) : 0, false, encoding, scratch);
    long long w = 0;
    for (const Item& it : scratch) w += it.width;
    width = static_cast<int>(std::min<long long>(w, 0x7FFFFFFF));
    height = fontMetrics(face).height;
    return true;
}

bool getTextMetrics(HDC dc, TextMetric& metric) {
    metric = TextMetric{};
    if (dc == nullptr) return false;
    FontFace* face = contextFont(dc);
    if (face == nullptr) return false;
    const FontMetrics& m = fontMetrics(face);
    metric.height = m.height;
    metric.ascent = m.ascent;
    metric.descent = m.descent;
    metric.aveCharWidth = m.aveCharWidth;
    metric.weight = m.weight;
    metric.italic = m.italic;
    metric.underlined = underlined(dc);
    return true;
}

}  // namespace platform
