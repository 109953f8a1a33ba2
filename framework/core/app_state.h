// Framework core: the process-wide state of the shell (entry point, frame loop, window procedure
// and presentation), which the shell writes and the services and scenes read.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/core/app_state.h is the framework's own; include <quorbix/program.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>

#include "framework/core/program_state.h"
#include "platform/window/window.h"

namespace quorbix {

constexpr int kCommandLineSize = 256;
// The frame period a program gets unless it asks for another (ProgramSetup::FramePeriodMs):
// one frame every 50 ms. The game counts its time and speeds in frames at 20 a second.
constexpr unsigned kFramePeriodMs = 50;

// What the last frame that ran saw (for observers such as the headless runner's trace).
struct FrameSeen {
    int Count = 0;          // frames run since start
    int Scene = 0;          // SceneId whose frame function ran; 0 when elDraw::Flip ran instead
    int Entered = 0;
    float DeltaMs = 0.0f;   // FrameDelta in milliseconds
    int MouseX = 0, MouseY = 0;
    int LeftClick = 0, RightClick = 0;
    int LastKey = 0;
    std::uint32_t Tick = 0;   // the tick count while it ran
};

}  // namespace quorbix

// The shell's state: the scene (SceneId, NextSceneId, SceneEntered), the window and its command
// line.
struct ShellState {
    int FullScreen = 1;
    int ClientWidth = 480;    // the window's client area: the entry point's, then elDraw::Screen's
    int ClientHeight = 360;
    platform::WindowId MainWindow = 0;
    char CommandLine[quorbix::kCommandLineSize] = {};
    int AppActive = 0;
    int SceneId = 0;
    int PrevSceneId = 0;
    int NextSceneId = 0;
    int SceneEntered = 0;
    int PrevMouseX = 0, PrevMouseY = 0;
    int MouseMoveX = 0, MouseMoveY = 0;
    int CursorShown = 1;
    int CursorClipMode = 0;
    int ClientOriginX = 0, ClientOriginY = 0;
    quorbix::FrameSeen LastFrame;
    void reset() { *this = ShellState{}; }
};
// The shell itself: Shell.SceneId, Shell.SceneEntered, Shell.NextSceneId.
extern ShellState Shell;

// The mouse and keys as messages brought them: position, buttons, clicks, the last key.
struct InputState {
    int MouseX = 0, MouseY = 0;
    int LeftDown = 0, RightDown = 0;
    int LeftClick = 0, RightClick = 0;
    int LastKey = 0;
    int ScrollKey = 0;
    int HoldKey = 0;
    int HoldLeftDown = 0;
    int ShiftToggle = 0;
    void reset() { *this = InputState{}; }
};
// The input itself: Input.MouseX, Input.LeftClick, Input.LastKey...
extern InputState Input;

// The scene transitions and the scrolling page that elDraw::Flip draws over Back
// (framework/shell/flip.h); the object table loads their pictures, the polled input is held
// back while they run.
struct PresentState {
    int TransitionStep = 0;        // 0 idle, 1 to 10 running
    int TransitionDirection = 0;   // +1 covering, -1 uncovering, 0 none
    int TransitionStyle = 0;
    int TransitionPeriod = 0;
    int TransitionPattern = 0;
    int ScrollMode = 0;
    int ScrollPageObject = 0;
    int ScrollTileObject = 0;
    int ScrollPageHeight = 0;
    float ScrollPos = 0.0f;
    float ScrollTileX = 0.0f;
    float ScrollTileY = 0.0f;
    void reset() { *this = PresentState{}; }
};
// The transitions' and scrolling page's state itself: Present.TransitionStyle, TransitionStep...
extern PresentState Present;

#include "framework/core/legacy_names.h"
