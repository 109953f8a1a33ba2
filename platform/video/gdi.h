// Platform: GDI-style device contexts and drawing objects (fonts, pens, brushes, bitmaps) over
// the pixels of a surface or of a memory bitmap.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/video/pixels.h"

namespace platform {

// ---------------------------------------------------------------- numbers

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr std::uint32_t CLR_INVALID = 0xFFFFFFFFu;
constexpr int PS_SOLID = 0;
constexpr int BS_SOLID = 0;
constexpr int BS_NULL = 1;
constexpr int BS_HATCHED = 2;
constexpr int HS_DIAGCROSS = 5;
constexpr int NULL_BRUSH = 5;
constexpr int NULL_PEN = 8;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// The classic 60-byte font description; members other than height, width, escapement,
// weight, italic, underline and face name are kept at zero by the framework.
struct LogFont {
    std::int32_t lfHeight;
    std::int32_t lfWidth;
    std::int32_t lfEscapement;
    std::int32_t lfOrientation;
    std::int32_t lfWeight;
    std::uint8_t lfItalic;
    std::uint8_t lfUnderline;
    std::uint8_t lfStrikeOut;
    std::uint8_t lfCharSet;
    std::uint8_t lfOutPrecision;
    std::uint8_t lfClipPrecision;
    std::uint8_t lfQuality;
    std::uint8_t lfPitchAndFamily;
    char lfFaceName[32];   // code-page text
};
static_assert(sizeof(LogFont) == 60, "the font description is 60 bytes");

// ---------------------------------------------------------------- objects

enum class GdiKind { Font, Pen, Brush, Bitmap };

struct FontFace;   // the text renderer's opened face at a size and style

struct GdiObject {
    GdiKind kind = GdiKind::Pen;
    bool stock = false;            // stock objects are never deleted
    // Font
    LogFont font{};
    FontFace* face = nullptr;      // resolved by the text renderer on first use
    // Pen and brush
    int style = 0;                 // PS_* for pens, BS_* for brushes
    int width = 1;
    int hatch = 0;
    std::uint32_t color = 0;       // COLORREF
    // Bitmap: its own pixels (a memory bitmap, or a loaded picture)
    std::vector<std::uint8_t> bits;
    PixelView view;
};
using HGDIOBJ = GdiObject*;

// A device context draws into `view`: a surface's pixels (the surface's GetDC) or the bitmap
// selected into a memory context. A context without pixels draws nothing.
struct DeviceContext {
    PixelView view;
    void* surface = nullptr;       // the surface whose GetDC made it, if any
    GdiObject* font = nullptr;
    GdiObject* pen = nullptr;
    GdiObject* brush = nullptr;
    GdiObject* bitmap = nullptr;
    std::uint32_t textColor = 0x000000;
    std::uint32_t bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int curX = 0, curY = 0;
};
using HDC = DeviceContext*;

// ---------------------------------------------------------------- contexts and selection

// A memory context compatible with `dc` (or with the display when null); it draws nothing until
// a bitmap is selected into it.
HDC createCompatibleDC(HDC dc);
bool deleteDC(HDC dc);
// Selects a font, pen, brush or bitmap; returns the object it replaces (nullptr on a bad call).
HGDIOBJ selectObject(HDC dc, HGDIOBJ object);
// Deletes an object that is not selected anywhere; stock objects are left alone.
bool deleteObject(HGDIOBJ object);
// NULL_BRUSH, NULL_PEN.
HGDIOBJ getStockObject(int which);

// A context's selected objects, or the defaults (black 1-pixel pen, white solid brush, the
// default font) when nothing is selected.
const GdiObject& currentPen(HDC dc);
const GdiObject& currentBrush(HDC dc);

}  // namespace platform
