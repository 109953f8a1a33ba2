// elDraw: the clip-window wipes. Edges are worked in 64 bits and stored back into the
// ClipWindow, so no speed or window size can overflow them.
#include "framework/draw/clip_wipes.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "framework/system/random.h"
#include "framework/system/wait_timers.h"
#include "platform/window/system.h"
#include "framework/core/program_state.h"

namespace elDraw {

ClipWipeStatus Wipe;
const ProgramStateRegistration kWipeReset{ResetStage::Effects, [] { Wipe.reset(); }};

namespace {

using i64 = std::int64_t;

struct Edges {
    i64 left, top, right, bottom;
};

Edges Load(const ClipRect& r) { return {r.left, r.top, r.right, r.bottom}; }

int ToInt(i64 v) { return static_cast<int>(std::clamp<i64>(v, INT_MIN, INT_MAX)); }

void Store(const Edges& e) { SetClipWindow(ToInt(e.left), ToInt(e.top), ToInt(e.right), ToInt(e.bottom)); }

// The centre of the saved window (rounded toward its top-left) and half the strip of types 8, 9.
i64 CentreX(const Edges& s) { return s.left + (s.right - s.left) / 2; }
i64 CentreY(const Edges& s) { return s.top + (s.bottom - s.top) / 2; }
i64 Half() { return Wipe.ClipWipeSize / 2; }

bool AtFull(const Edges& e, const Edges& s) {
    return e.left == s.left && e.top == s.top && e.right == s.right && e.bottom == s.bottom;
}

// Moves a pair of edges apart; once either reaches its full-size edge, both are set there.
void OpenPair(i64& lo, i64& hi, i64 fullLo, i64 fullHi, i64 step) {
    lo -= step;
    hi += step;
    if (lo <= fullLo || hi >= fullHi) {
        lo = fullLo;
        hi = fullHi;
    }
}

// Moves a pair of edges together; once they meet or cross, both are set to `centre`.
void ClosePairTo(i64& lo, i64& hi, i64 centre, i64 step) {
    lo += step;
    hi -= step;
    if (lo >= hi) lo = hi = centre;
}

// Moves a pair of edges together until either reaches its strip edge, where both stop exactly.
void ClosePairToStrip(i64& lo, i64& hi, i64 stripLo, i64 stripHi, i64 step) {
    lo += step;
    hi -= step;
    if (lo >= stripLo || hi <= stripHi) {
        lo = stripLo;
        hi = stripHi;
    }
}

// One update of an opening wipe; true when the window is back to its full size.
bool Open(Edges& e, const Edges& s, i64 step) {
    switch (Wipe.ClipWipeType) {
        case 1:
            e.top -= step;
            if (e.top <= s.top) e.top = s.top;
            return e.top == s.top;
        case 2:
            e.bottom += step;
            if (e.bottom >= s.bottom) e.bottom = s.bottom;
            return e.bottom == s.bottom;
        case 3:
            e.left -= step;
            if (e.left <= s.left) e.left = s.left;
            return e.left == s.left;
        case 4:
            e.right += step;
            if (e.right >= s.right) e.right = s.right;
            return e.right == s.right;
        case 5:
            OpenPair(e.top, e.bottom, s.top, s.bottom, step);
            return e.top == s.top;
        case 6:
            OpenPair(e.left, e.right, s.left, s.right, step);
            return e.left == s.left;
        case 7:
            OpenPair(e.left, e.right, s.left, s.right, step);
            OpenPair(e.top, e.bottom, s.top, s.bottom, step);
            return AtFull(e, s);
        case 8:   // the column grows to full height first, then widens
            if (e.top != s.top || e.bottom != s.bottom)
                OpenPair(e.top, e.bottom, s.top, s.bottom, step);
            else
                OpenPair(e.left, e.right, s.left, s.right, step);
            return AtFull(e, s);
        case 9:   // the band grows to full width first, then heightens
            if (e.left != s.left || e.right != s.right)
                OpenPair(e.left, e.right, s.left, s.right, step);
            else
                OpenPair(e.top, e.bottom, s.top, s.bottom, step);
            return AtFull(e, s);
        default:
            return true;
    }
}

// One update of a closing wipe; true when the window is empty. The closing edges of types 1
// to 6 and of the last phase of 8 and 9 are not held back: they may pass each other.
bool Close(Edges& e, const Edges& s, i64 step) {
    const i64 cx = CentreX(s), cy = CentreY(s), half = Half();
    switch (Wipe.ClipWipeType) {
        case 1:
            e.top += step;
            return e.top >= s.bottom;
        case 2:
            e.bottom -= step;
            return e.bottom <= s.top;
        case 3:
            e.left += step;
            return e.left >= s.right;
        case 4:
            e.right -= step;
            return e.right <= s.left;
        case 5:
            e.top += step;
            e.bottom -= step;
            return e.top >= e.bottom;
        case 6:
            e.left += step;
            e.right -= step;
            return e.left >= e.right;
        case 7:
            ClosePairTo(e.left, e.right, cx, step);
            ClosePairTo(e.top, e.bottom, cy, step);
            return e.left == e.right && e.top == e.bottom;
        case 8:   // narrows to the centre column, then closes it from top and bottom
            if (e.left != cx - half && e.right != cx + half) {
                ClosePairToStrip(e.left, e.right, cx - half, cx + half, step);
            } else {
                e.top += step;
                e.bottom -= step;
            }
            return e.top >= e.bottom;
        case 9:   // narrows to the centre band, then closes it from left and right
            if (e.top != cy - half && e.bottom != cy + half) {
                ClosePairToStrip(e.top, e.bottom, cy - half, cy + half, step);
            } else {
                e.left += step;
                e.right -= step;
            }
            return e.left >= e.right;
        default:
            return true;
    }
}

// The window an opening wipe of the stored type starts from; edges not named keep the full size.
Edges OpeningShape(const Edges& s) {
    Edges e = s;
    const i64 cx = CentreX(s), cy = CentreY(s), half = Half();
    switch (Wipe.ClipWipeType) {
        case 1: e.top = s.bottom; break;
        case 2: e.bottom = s.top; break;
        case 3: e.left = s.right; break;
        case 4: e.right = s.left; break;
        case 5: e.top = e.bottom = cy; break;
        case 6: e.left = e.right = cx; break;
        case 7: e.left = e.right = cx; e.top = e.bottom = cy; break;
        case 8: e.left = cx - half; e.right = cx + half; e.top = e.bottom = cy; break;
        case 9: e.top = cy - half; e.bottom = cy + half; e.left = e.right = cx; break;
        default: break;
    }
    return e;
}

void Refuse(const char* why, double value) {
    char line[160];
    std::snprintf(line, sizeof line, "elDraw::StartClipWipe: %s %g; no wipe started\n", why, value);
    platform::outputDebugString(line);
}

}  // namespace

int StartClipWipe(int closing, int type, float speed, int size) {
    if (Wipe.ClipWipeState > 0) return 0;
    // A type without a pattern or a speed that moves no edge would never end.
    if (type < 0 || type > 9) {
        Refuse("the type is not 0 to 9:", type);
        return 0;
    }
    if (!(speed >= 0.0f)) {
        Refuse("the speed is below 0 or not a number:", speed);
        return 0;
    }
    if (Wipe.ClipWipeState == kWipeClosed) {
        const ClipRect& s = Wipe.SavedClipWindow;
        SetClipWindow(s.left, s.top, s.right, s.bottom);
    }
    Wipe.SavedClipWindow = Display.ClipWindow;
    if (type == 0) type = elSystem::Random() % 9 + 1;
    Wipe.ClipWipeOpened = 0;
    Wipe.ClipWipeClosed = 0;
    Wipe.ClipWipeClosing = closing != 0 ? 1 : 0;
    Wipe.ClipWipeType = type;
    Wipe.ClipWipeSpeed = speed;
    // The centre strip stays within the window: a wider one would move edges beyond the picture.
    const Edges s = Load(Wipe.SavedClipWindow);
    const i64 across = type == 8 ? s.right - s.left : type == 9 ? s.bottom - s.top : INT_MAX;
    Wipe.ClipWipeSize = static_cast<int>(std::clamp<i64>(size, 0, std::max<i64>(across, 0)));
    if (closing != 0) {
        Wipe.ClipWipeState = kWipeClosing;
        return 1;
    }
    Wipe.ClipWipeState = kWipeOpening;
    Store(OpeningShape(s));
    return 1;
}

int UpdateClipWipe() {
    if (Wipe.ClipWipeState <= 0) return 0;
    // At least one pixel per update; a step beyond int's range is as good as int's largest.
    const float moved = elSystem::Clock.FrameDelta * Wipe.ClipWipeSpeed;
    i64 step = 1;
    if (moved >= 2147483647.0f)
        step = INT_MAX;
    else if (moved >= 1.0f)
        step = static_cast<i64>(moved) + 1;
    const Edges s = Load(Wipe.SavedClipWindow);
    Edges e = Load(Display.ClipWindow);
    if (Wipe.ClipWipeState == kWipeOpening) {
        if (Open(e, s, step)) {
            e = s;
            Wipe.ClipWipeState = kWipeIdle;
            Wipe.ClipWipeOpened = 1;
        }
    } else if (Close(e, s, step)) {
        Wipe.ClipWipeState = kWipeClosed;
        Wipe.ClipWipeClosed = 1;
    }
    Store(e);
    return 1;
}

void CloseClipWindow() {
    // While a wipe runs or the window is closed, the saved window already holds the full size;
    // saving the part-collapsed window over it would lose the picture for good.
    if (Wipe.ClipWipeState == kWipeIdle) Wipe.SavedClipWindow = Display.ClipWindow;
    const ClipRect& c = Display.ClipWindow;
    SetClipWindow(c.left, c.top, c.left, c.top);
    Wipe.ClipWipeState = kWipeClosed;
}

}  // namespace elDraw
