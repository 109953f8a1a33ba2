// Application shell: WinMain and the frame loop. Messages first; a frame whenever the queue is
// empty, the application is active and the frame is due (one every program's frame period).
#include "framework/shell/frame_loop.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "framework/core/app_state.h"
#include "framework/core/program_state.h"
#include "framework/draw/clip_wipes.h"
#include "framework/input/typed_text.h"
#include "framework/shell/flip.h"
#include "framework/shell/frame_state.h"
#include "framework/shell/window_proc.h"
#include "framework/system/random.h"
#include "framework/system/system_utils.h"
#include "framework/system/wait_timers.h"
#include "platform/text/gdi_text.h"
#include "platform/window/program_name.h"
#include "platform/window/recording.h"
#include "platform/window/state_check.h"
#include "platform/window/system.h"
#include "platform/window/window.h"

namespace quorbix {

std::vector<SceneFunction> SceneFunctions(kSceneSlots);
ProgramSetup Program;

namespace {
FrameObserver frameObserver = nullptr;
}  // namespace

void SetFrameObserver(FrameObserver observer) { frameObserver = observer; }

namespace {
// The installed program's scene table and asset folder back in place and its own state back to
// its start.
void ResetProgram() {
    if (Program.SceneTable.empty())
        SceneFunctions.assign(std::begin(Program.Scenes), std::end(Program.Scenes));
    else
        SceneFunctions = Program.SceneTable;
    elSystem::SetAssetDir(Program.AssetDir);
    if (Program.Reset != nullptr) Program.Reset();
}
const ProgramStateRegistration kProgramReset{ResetStage::Program, ResetProgram};
}  // namespace

void UseProgram(const ProgramSetup& setup) {
    Program = setup;
    platform::setProgramName(setup.Name);
    SetProgramTextEncoding(setup.Texts);
    ResetProgram();
}

unsigned ProgramFramePeriodMs() {
    return std::clamp(Program.FramePeriodMs, kMinFramePeriodMs, kMaxFramePeriodMs);
}

namespace {

void CallScene(int scene) {
    if (scene >= 1 && static_cast<std::size_t>(scene) < SceneFunctions.size() && SceneFunctions[scene] != nullptr)
        SceneFunctions[scene]();
}

// Shows the system cursor outside the client area and hides it inside, where the scenes draw
// their own crosshair. Calls are always paired, so the system's display count never drifts.
void UpdateCursorVisibility() {
    int x = 0, y = 0;
    platform::getCursorPos(x, y);
    bool inside = Shell.ClientOriginX <= x && x < Shell.ClientOriginX + Shell.ClientWidth &&
                  Shell.ClientOriginY <= y && y < Shell.ClientOriginY + Shell.ClientHeight;
    if (!inside && Shell.CursorShown == 0) {
        platform::showCursor(true);
        Shell.CursorShown = 1;
    } else if (inside && Shell.CursorShown == 1) {
        platform::showCursor(false);
        Shell.CursorShown = 0;
    }
}

}  // namespace

void RunFrame() {
    elSystem::UpdateFrameClock();
    Shell.MouseMoveX = Input.MouseX - Shell.PrevMouseX;
    Shell.MouseMoveY = Input.MouseY - Shell.PrevMouseY;
    if (Shell.PrevSceneId == 0 && Shell.SceneId != 0) {
        Shell.SceneEntered = 1;
        Shell.PrevSceneId = Shell.SceneId;
    }

    FrameSeen& seen = Shell.LastFrame;
    ++seen.Count;
    seen.Entered = Shell.SceneEntered;
    seen.DeltaMs = elSystem::Clock.FrameDelta * 1000.0f;
    seen.MouseX = Input.MouseX;
    seen.MouseY = Input.MouseY;
    seen.LeftClick = Input.LeftClick;
    seen.RightClick = Input.RightClick;
    seen.LastKey = Input.LastKey;
    seen.Tick = platform::getTickCount();
    if (Present.TransitionDirection == 1) {
        seen.Scene = 0;
        elDraw::Flip();
        if (Present.TransitionDirection == 0) Shell.SceneId = Shell.NextSceneId;
    } else {
        seen.Scene = Shell.SceneId;
        CallScene(Shell.SceneId);
    }

    if (Shell.SceneId != Shell.PrevSceneId) {
        Shell.SceneEntered = 1;
        if (Program.SceneLeft != nullptr) Program.SceneLeft(Shell.PrevSceneId, Shell.SceneId);
        // A wipe still opening or closing ends with the full window; a closed window stays closed.
        if (elDraw::Wipe.ClipWipeState > 0) {
            const elDraw::ClipRect& full = elDraw::Wipe.SavedClipWindow;
            elDraw::SetClipWindow(full.left, full.top, full.right, full.bottom);
            elDraw::Wipe.ClipWipeState = elDraw::kWipeIdle;
        }
    } else {
        Shell.SceneEntered = 0;
    }
    Shell.PrevSceneId = Shell.SceneId;
    elSystem::AdvanceBlink();
    Shell.PrevMouseX = Input.MouseX;
    Shell.PrevMouseY = Input.MouseY;
    Input.LeftClick = 0;
    Input.RightClick = 0;
    ClearTypedText();
    if (Shell.FullScreen == 0) UpdateCursorVisibility();
    // A recorded session carries what each frame left, and a replay is checked against it.
    if (platform::recordingActive() || platform::replayActive()) {
        const FrameState state = CurrentFrameState(Program.TraceFields);
        platform::recordFrameState(seen.Scene, state.Fields, state.Picture);
        if (platform::replayActive())
            platform::checkFrameState(platform::sessionFrame(), seen.Scene, state.Fields, state.Picture);
    }
}

}  // namespace quorbix

int WinMain(const char* commandLine, int showCommand) {
    using namespace platform;
    // Values taken before the entry point's own work, as static initialisation would.
    elSystem::SetStartValues();
    // The fonts are made ready while the window opens and the program sets up: the first frame's
    // text would otherwise wait for them longer than for anything else.
    prepareFonts();

    WindowClass wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.proc = WndProc;
    wc.icon = "MAIN";
    wc.menuName = "DEFAULT";
    wc.className = "DEFAULT";
    wc.background = BLACK_BRUSH;
    registerClass(wc);

    // The program always runs in a window, centred and kept above the others: the full-screen
    // display stays the framework's to offer (elDraw::Screen reads FullScreen), the entry point
    // never asks for it. The window opens at 480 x 360; the program's elDraw::Screen gives its
    // client area the picture's size around the same centre.
    Shell.FullScreen = 0;
    Shell.ClientWidth = 480;
    Shell.ClientHeight = 360;
    Shell.CursorClipMode = 0;

    const int outerW = Shell.ClientWidth + getSystemMetrics(SM_CXBORDER) + getSystemMetrics(SM_CXEDGE) +
                       getSystemMetrics(SM_CXDLGFRAME);
    const int outerH = Shell.ClientHeight + getSystemMetrics(SM_CYCAPTION) + getSystemMetrics(SM_CYEDGE) +
                       getSystemMetrics(SM_CYBORDER) + getSystemMetrics(SM_CYDLGFRAME);
    const WindowId window = createWindow("DEFAULT", Program.Title, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                         (getSystemMetrics(SM_CXSCREEN) - outerW) / 2,
                                         (getSystemMetrics(SM_CYSCREEN) - outerH) / 2, outerW, outerH);
    if (window == 0) return 0;
    Shell.MainWindow = window;

    showWindow(window, showCommand);
    updateWindow(window);
    setWindowTopmost(window);

    // The command line is kept up to 255 characters and always terminated.
    std::strncpy(Shell.CommandLine, commandLine != nullptr ? commandLine : "", kCommandLineSize - 1);
    Shell.CommandLine[kCommandLineSize - 1] = '\0';

    elSystem::SeedRandom(static_cast<std::uint32_t>(calendarTime()));
    if (Program.Init != nullptr) Program.Init();
    elSystem::UpdateFrameClock();

    for (;;) {
        Message msg;
        if (peekMessage(msg)) {
            if (msg.message == WM_QUIT) {
                if (frameObserver != nullptr) frameObserver(true);
                return 1;
            }
            translateMessage(msg);
            dispatchMessage(msg);
            continue;
        }
        if (Shell.AppActive == 0) {
            waitMessage();
            continue;
        }
        if (!waitFrame(ProgramFramePeriodMs())) continue;
        RunFrame();
        if (frameObserver != nullptr) frameObserver(false);
    }
}
