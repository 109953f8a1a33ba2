// Application shell: WndProc. Input is only stored here; the scenes decide what it means.
#include "framework/shell/window_proc.h"

#include <cstdint>

#include "framework/core/app_state.h"
#include "framework/input/keys.h"
#include "framework/input/typed_text.h"
#include "framework/shell/flip.h"
#include "framework/sound/midi_music.h"
#include "framework/system/system_utils.h"
#include "platform/sound/mci.h"
#include "platform/window/system.h"

namespace {

// Mouse positions are unsigned 16-bit halves of the parameter.
int LowWord(platform::LParam p) { return static_cast<int>(static_cast<std::uint32_t>(p) & 0xFFFF); }
int HighWord(platform::LParam p) { return static_cast<int>((static_cast<std::uint32_t>(p) >> 16) & 0xFFFF); }
// Window positions can lie left of or above the screen: they are signed 16-bit halves.
int SignedLowWord(platform::LParam p) { return static_cast<std::int16_t>(LowWord(p)); }
int SignedHighWord(platform::LParam p) { return static_cast<std::int16_t>(HighWord(p)); }

void LeftPress() {
    if (elSystem::System.InputHold == 1) {
        Input.HoldLeftDown = 1;
    } else {
        Input.LeftDown = 1;
        Input.LeftClick = 1;
    }
}

void RightPress() {
    if (elSystem::System.InputHold == 1) return;
    Input.RightDown = 1;
    Input.RightClick = 1;
}

}  // namespace

void OnKeyDown(int key) {
    // While the scrolling page is shown, it takes the keys for itself.
    if (Present.ScrollMode == 1)
        Input.ScrollKey = key;
    else
        Input.LastKey = key;
    if (key == elKey::Escape) elSystem::Shutdown();
}

platform::LResult WndProc(platform::WindowId window, std::uint32_t message, platform::WParam wParam,
                          platform::LParam lParam) {
    using namespace platform;
    switch (message) {
        case WM_DESTROY:
            postQuitMessage(0);
            break;
        case WM_MOVE:
            Shell.ClientOriginX = SignedLowWord(lParam);
            Shell.ClientOriginY = SignedHighWord(lParam);
            if (Shell.CursorClipMode == 1) elSystem::ClipCursorToScreen();
            break;
        case WM_CLOSE:
            if (elSystem::System.CloseState == 0) elSystem::System.CloseState = 1;
            if (elSystem::System.CloseState < 2) elSystem::Shutdown();
            destroyWindow(Shell.MainWindow);
            return 0;
        case WM_ACTIVATEAPP:
            if (wParam != 0) {
                Shell.AppActive = 1;
                if (Shell.CursorClipMode == 1) elSystem::ClipCursorToScreen();
            } else {
                Shell.AppActive = 0;
                if (Shell.CursorShown == 0) {
                    showCursor(true);
                    Shell.CursorShown = 1;
                }
                if (Shell.CursorClipMode == 1) elSystem::FreeCursor();
            }
            return 0;
        case WM_SETCURSOR:
            if (Shell.FullScreen == 1) return 1;   // no system cursor in full screen
            break;
        case WM_KEYDOWN:
            if (elSystem::System.InputHold == 1)
                Input.HoldKey = static_cast<int>(wParam);
            else
                OnKeyDown(static_cast<int>(wParam));
            break;
        case WM_CHAR:
            AddTypedCharacter(static_cast<char32_t>(wParam));
            break;
        case WM_KEYUP: {
            int key = static_cast<int>(wParam);
            if (key == Input.LastKey) Input.LastKey = 0;
            if (key == Input.ScrollKey) Input.ScrollKey = 0;
            if (key == Input.HoldKey) Input.HoldKey = 0;
            if (key == elKey::Shift) Input.ShiftToggle = 1 - Input.ShiftToggle;
            break;
        }
        case WM_MOUSEMOVE:
            Input.MouseX = LowWord(lParam);
            Input.MouseY = HighWord(lParam);
            break;
        // The second press of a quick pair arrives as a double-click: it is a press all the same,
        // or a player clicking fast on one spot would lose every other click.
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            LeftPress();
            break;
        case WM_LBUTTONUP:
            Input.LeftDown = 0;
            Input.HoldLeftDown = 0;
            break;
        case WM_RBUTTONDOWN:
            RightPress();
            break;
        case WM_RBUTTONDBLCLK:
            RightPress();
            if (Shell.CursorClipMode == 1) {
                if (elSystem::IsCursorClipped() != 0)
                    elSystem::FreeCursor();
                else
                    elSystem::ClipCursorToScreen();
            }
            return 0;
        case WM_RBUTTONUP:
            Input.RightDown = 0;
            break;
        case MM_MCINOTIFY:
            // Only a play that reached its end restarts the music; a stopped or superseded one
            // must not.
            if (wParam == MCI_NOTIFY_SUCCESSFUL) elSound::NotifyMidi();
            break;
        default:
            break;
    }
    return defWindowProc(window, message, wParam, lParam);
}
