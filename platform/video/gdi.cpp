// Platform: device contexts and the selection of drawing objects.
#include "platform/video/gdi.h"

namespace platform {
namespace {

GdiObject makeStock(GdiKind kind, int style, std::uint32_t color) {
    GdiObject o;
    o.kind = kind;
    o.stock = true;
    o.style = style;
    o.color = color;
    return o;
}

GdiObject stockNullBrush = makeStock(GdiKind::Brush, BS_NULL, 0);
GdiObject stockNullPen = makeStock(GdiKind::Pen, NULL_PEN, 0);
GdiObject defaultPen = makeStock(GdiKind::Pen, PS_SOLID, 0x000000);
GdiObject defaultBrush = makeStock(GdiKind::Brush, BS_SOLID, 0xFFFFFF);
// The font a context starts with (all members zero: the default face and size).
GdiObject defaultFont = makeStock(GdiKind::Font, 0, 0);

}  // namespace

HDC createCompatibleDC(HDC dc) {
    auto* mem = new DeviceContext;
    if (dc != nullptr) mem->view.format = dc->view.format;
    mem->view.pixels = nullptr;
    return mem;
}

bool deleteDC(HDC dc) {
    if (dc == nullptr) return false;
    delete dc;
    return true;
}

HGDIOBJ selectObject(HDC dc, HGDIOBJ object) {
    if (dc == nullptr || object == nullptr) return nullptr;
    GdiObject** slot = nullptr;
    switch (object->kind) {
        case GdiKind::Font: slot = &dc->font; break;
        case GdiKind::Pen: slot = &dc->pen; break;
        case GdiKind::Brush: slot = &dc->brush; break;
        case GdiKind::Bitmap: slot = &dc->bitmap; break;
    }
    GdiObject* previous = *slot;
    *slot = object;
    if (object->kind == GdiKind::Bitmap) dc->view = object->view;
    // The classic call answers with the object replaced; the first selection replaces a
    // default the caller never made, reported as the stock default so that selecting it
    // back is harmless.
    if (previous == nullptr) {
        switch (object->kind) {
            case GdiKind::Pen: return &defaultPen;
            case GdiKind::Brush: return &defaultBrush;
            // Without this a font selected first could never be selected out again, and
            // deleting it would leave the context pointing at freed memory.
            case GdiKind::Font: return &defaultFont;
            default: return nullptr;
        }
    }
    return previous;
}

bool deleteObject(HGDIOBJ object) {
    if (object == nullptr) return false;
    if (object->stock) return true;
    delete object;
    return true;
}

HGDIOBJ getStockObject(int which) {
    if (which == NULL_BRUSH) return &stockNullBrush;
    if (which == NULL_PEN) return &stockNullPen;
    return nullptr;
}

const GdiObject& currentPen(HDC dc) {
    return (dc != nullptr && dc->pen != nullptr) ? *dc->pen : defaultPen;
}

const GdiObject& currentBrush(HDC dc) {
    return (dc != nullptr && dc->brush != nullptr) ? *dc->brush : defaultBrush;
}

}  // namespace platform
