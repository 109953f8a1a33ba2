// elDraw: clipped blitting onto Back and the fills. PutObject is the framework's hot path: it
// allocates nothing, clips in integers and makes one blit.
#include "framework/draw/blit.h"

#include <climits>
#include <cstdint>

#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "platform/video/gdi_bitmap.h"
#include "platform/video/surface.h"

namespace elDraw {
namespace {

using namespace platform;

bool FitsInt(std::int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

void PutClipped(int x, int y, int index, int left, int top, int right, int bottom, std::uint32_t flags) {
    if (!ValidObject(index) || Display.Back == nullptr) return;
    Surface* source = Objects.Slot[index].Surface;
    if (source == nullptr) return;
    const ClipRect& clip = Display.ClipWindow;
    // Worked in 64 bits: positions far outside the screen must not overflow.
    std::int64_t X = x, Y = y, l = left, t = top, r = right, b = bottom;
    const std::int64_t w = r - l, h = b - t;
    if (X + w > clip.right) r -= X + w - clip.right;
    if (Y + h > clip.bottom) b -= Y + h - clip.bottom;
    if (X < clip.left) {
        l += clip.left - X;
        X = clip.left;
    }
    if (Y < clip.top) {
        t += clip.top - Y;
        Y = clip.top;
    }
    if (r < l || b < t) return;
    if (!FitsInt(l) || !FitsInt(t) || !FitsInt(r) || !FitsInt(b)) return;   // outside any surface
    Rect rect{static_cast<int>(l), static_cast<int>(t), static_cast<int>(r), static_cast<int>(b)};
    HResult hr = Display.Back->BltFast(static_cast<int>(X), static_cast<int>(Y), source, &rect, flags);
    // The sprite is missing from this frame; the next one finds everything restored.
    if (hr == DDERR_SURFACELOST) RestoreObjects();
}

void Fill(int left, int top, int right, int bottom, std::uint32_t value) {
    if (Display.Back == nullptr) return;
    BltFx fx;
    fx.fillColor = value;
    Rect rect{left, top, right, bottom};
    Display.Back->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

}  // namespace

void PutObject(int x, int y, int index, int left, int top, int right, int bottom) {
    if (ValidObject(index) && !Objects.Slot[index].Alpha.empty()) {
        // Kept alpha is blended by the turned put, which at no turn and scale 1 lands here.
        const std::int64_t cx = x + (static_cast<std::int64_t>(right) - left) / 2;
        const std::int64_t cy = y + (static_cast<std::int64_t>(bottom) - top) / 2;
        if (FitsInt(cx) && FitsInt(cy))
            PutObjectRotated(static_cast<int>(cx), static_cast<int>(cy), index, left, top, right, bottom, 0, 1);
        return;
    }
    PutClipped(x, y, index, left, top, right, bottom, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void PutObjectOpaque(int x, int y, int index, int left, int top, int right, int bottom) {
    PutClipped(x, y, index, left, top, right, bottom, DDBLTFAST_WAIT);
}

void StretchObject(int x, int y, int index, int left, int top, int right, int bottom, int width,
                   int height) {
    if (!ValidObject(index)) return;
    Surface* buffer = Objects.Slot[0].Surface;
    Surface* source = Objects.Slot[index].Surface;
    if (buffer == nullptr || source == nullptr) return;
    const std::int64_t w = static_cast<std::int64_t>(right) - left;
    const std::int64_t h = static_cast<std::int64_t>(bottom) - top;
    HDC bufferDC = nullptr, sourceDC = nullptr;
    bool haveBuffer = !failed(buffer->GetDC(&bufferDC));
    bool haveSource = !failed(source->GetDC(&sourceDC));
    if (haveBuffer && haveSource && FitsInt(w) && FitsInt(h))
        stretchBlt(bufferDC, 0, 0, width, height, sourceDC, left, top, static_cast<int>(w),
                   static_cast<int>(h), SRCCOPY);
    if (haveBuffer) buffer->ReleaseDC(bufferDC);
    if (haveSource) source->ReleaseDC(sourceDC);
    PutObject(x, y, 0, 0, 0, width, height);
}

void FillBlack() { Fill(0, 0, Display.ScreenWidth, Display.ScreenHeight, 0); }
void FillBlackRect(int left, int top, int right, int bottom) { Fill(left, top, right, bottom, 0); }
void FillWhite() { Fill(0, 0, Display.ScreenWidth, Display.ScreenHeight, 0xFFFFFF); }
void FillWhiteRect(int left, int top, int right, int bottom) { Fill(left, top, right, bottom, 0xFFFFFF); }

void GrabObject(int index, int left, int top, int right, int bottom) {
    if (!ValidObject(index) || Display.Back == nullptr) return;
    Surface* target = Objects.Slot[index].Surface;
    if (target == nullptr) return;
    Rect rect{left, top, right, bottom};
    // A grab replaces the picture: kept alpha no longer belongs to it.
    Objects.Slot[index].Alpha.clear();
    if (target->BltFast(0, 0, Display.Back, &rect, DDBLTFAST_WAIT) == DDERR_SURFACELOST) RestoreObjects();
}

void GetBackDC() {
    // On failure the variable keeps what it held.
    if (Display.Back != nullptr) Display.Back->GetDC(&Display.BackDC);
}

void ReleaseBackDC() {
    if (Display.Back != nullptr && Display.BackDC != nullptr) Display.Back->ReleaseDC(Display.BackDC);
    Display.BackDC = nullptr;
}

}  // namespace elDraw
