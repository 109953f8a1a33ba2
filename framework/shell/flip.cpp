// Application shell: presentation of the frame (elDraw::Flip), the scene transitions and the
// scrolling page drawn over Back before it is shown.
#include "framework/shell/flip.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "framework/core/app_state.h"
#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "framework/input/keys.h"
#include "framework/system/random.h"
#include "framework/system/wait_timers.h"
#include "platform/video/surface.h"

namespace {

constexpr int kScreenObject = 1;
// A full-screen flip that keeps failing for another reason than a lost surface is given up
// after this many tries; the frame is dropped rather than the program hanging.
constexpr int kFlipAttempts = 16;

// Positions are worked out in 64 bits and cut into int's range: anything that far out is
// clipped away anyway.
int ToInt(std::int64_t v) { return static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v); }

// trunc toward zero, kept inside int's range.
int Trunc(float v) {
    if (!(v > -2147483648.0f)) return INT_MIN;
    if (!(v < 2147483648.0f)) return INT_MAX;
    return static_cast<int>(v);
}

void CopyScreenRow(std::int64_t x, std::int64_t y, std::int64_t rows) {
    const int w = elDraw::Display.ScreenWidth;
    elDraw::PutObjectOpaque(ToInt(x), ToInt(y), kScreenObject, 0, ToInt(y), w, ToInt(y + rows));
}

// The jitter of styles 3 and 4: between -(P - S + 1) and P - S; none when that range is empty.
std::int64_t Jitter(std::int64_t range) {
    if (range <= 0) return 0;
    return elSystem::Random() % (2 * range) - range;
}

void DrawTransition() {
    const std::int64_t S = Present.TransitionStep, P = Present.TransitionPeriod;
    const std::int64_t W = elDraw::Display.ScreenWidth, H = elDraw::Display.ScreenHeight;
    const int style = Present.TransitionStyle;
    // Styles 2 to 8 step, jitter or slide by the period; without one they draw nothing.
    if (style >= 2 && style <= 8 && P < 1) return;
    switch (style) {
        case 0:
            for (int n = 0; n < 10; ++n)
                for (int m = 0; m < 10; ++m)
                    elDraw::PutObject(64 * n, 48 * m, Present.TransitionPattern, ToInt(64 * (S - 1)), 0,
                                      ToInt(64 * S), 48);
            break;
        case 1:
        case 3:
            for (std::int64_t y = 0; y < H; ++y) {
                if (y % S == 0) continue;
                std::int64_t j = style == 3 ? Jitter(P - S + 1) : 0;
                CopyScreenRow(j, y, 1);
            }
            break;
        case 2:
        case 4:
            for (std::int64_t y = 0; y < H; y += P) {
                std::int64_t j = style == 4 ? Jitter(P - S + 1) : 0;
                CopyScreenRow(j, y, S + 1);
            }
            break;
        case 5:
        case 6:
        case 7:
        case 8: {
            const std::int64_t shift = (style <= 6 ? H / P : W / P) * (P - S + 1);
            const std::int64_t x = style == 7 ? -shift : style == 8 ? shift : 0;
            const std::int64_t y = style == 5 ? -shift : style == 6 ? shift : 0;
            elDraw::PutObjectOpaque(ToInt(x), ToInt(y), kScreenObject, 0, 0, ToInt(W), ToInt(H));
            break;
        }
        default:
            break;
    }
}

void AdvanceTransition() {
    Present.TransitionStep += Present.TransitionDirection;
    if ((Present.TransitionDirection == -1 && Present.TransitionStep < 1) ||
        (Present.TransitionDirection == 1 && Present.TransitionStep > 10)) {
        Present.TransitionStep = 0;
        Present.TransitionDirection = 0;
    }
}

// Keeps a tile offset in (-size, 0]. At any ordinary frame rate this adds `size` once; after
// a long pause (the first frame after re-activation spans it) the whole remainder is taken, so
// the tiles never drift off the screen.
float WrapTile(float offset, float size) {
    if (offset <= -size) offset = std::fmod(offset, size);
    return offset;
}

void DrawScrollPage() {
    const float delta = elSystem::Clock.FrameDelta;
    const int tx = Trunc(Present.ScrollTileX), ty = Trunc(Present.ScrollTileY);
    for (int n = 0; n <= 10; ++n)
        for (int m = 0; m <= 10; ++m)
            elDraw::PutObject(ToInt(64LL * n + tx), ToInt(48LL * m + ty), Present.ScrollTileObject, 0, 0, 64, 48);

    Present.ScrollTileX = WrapTile(Present.ScrollTileX - delta * 10.0f, 64.0f);
    Present.ScrollTileY = WrapTile(Present.ScrollTileY - delta * 10.0f, 48.0f);

    const elDraw::ClipRect& clip = elDraw::Display.ClipWindow;
    const std::int64_t p = Trunc(Present.ScrollPos);
    const std::int64_t w = static_cast<std::int64_t>(clip.right) - clip.left;
    const std::int64_t h = static_cast<std::int64_t>(clip.bottom) - clip.top;
    elDraw::PutObject(clip.left, clip.top, Present.ScrollPageObject, 0, ToInt(p), ToInt(w), ToInt(p + h));

    switch (Input.ScrollKey) {
        case elKey::Up: Present.ScrollPos -= delta * 100.0f; break;
        case elKey::Left: Present.ScrollPos -= delta * 300.0f; break;
        case elKey::Down: Present.ScrollPos += delta * 100.0f; break;
        case elKey::Right: Present.ScrollPos += delta * 300.0f; break;
        default: break;
    }
    if (Present.ScrollPos < 0.0f) Present.ScrollPos = 0.0f;
    const float lowest = static_cast<float>(static_cast<std::int64_t>(Present.ScrollPageHeight) - h);
    if (Present.ScrollPos > lowest) Present.ScrollPos = lowest;
}

void Show() {
    using namespace platform;
    elDraw::DisplayState& d = elDraw::Display;
    if (d.Front == nullptr || d.Back == nullptr) return;
    if (Shell.FullScreen != 0) {
        for (int attempt = 0; attempt < kFlipAttempts; ++attempt) {
            HResult hr = d.Front->Flip(nullptr, DDFLIP_WAIT);
            if (!failed(hr)) return;
            if (hr == DDERR_SURFACELOST) elDraw::RestoreObjects();
        }
        return;
    }
    Rect whole{0, 0, d.ScreenWidth, d.ScreenHeight};
    HResult hr = d.Front->BltFast(Shell.ClientOriginX, Shell.ClientOriginY, d.Back, &whole, DDBLTFAST_WAIT);
    if (hr == DDERR_SURFACELOST) elDraw::RestoreObjects();
}

}  // namespace

namespace elDraw {

void Flip() {
    if (Present.TransitionStep != 0) {
        DrawTransition();
        AdvanceTransition();
    }
    if (Present.ScrollMode != 0) DrawScrollPage();
    Show();
}

void TransitionOut() {
    Present.TransitionStep = 1;
    Present.TransitionDirection = 1;
}

void TransitionIn() {
    Present.TransitionStep = 10;
    Present.TransitionDirection = -1;
}

}  // namespace elDraw
