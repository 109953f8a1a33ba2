// SDL2 backend: SDL's events as window messages (less the window's own keys: Alt+Enter and F11
// switch the view, F12 takes a screenshot, F9 saves the session and its GIF); joysticks 0 and 1
// through SDL's pad mappings (a raw joystick where SDL knows no mapping), found again after they
// are plugged in or pulled out; the key state as the key messages leave it; what the keys type,
// as the program's typed text.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/window/program_name.h"
#include "platform/backend.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window/joystick.h"
#include "platform/window/mouse_buttons.h"
#include "platform/window/recording.h"
#include "platform/window/window.h"

namespace platform::sdl {
namespace {

// A joystick as opened: through its mapping where SDL has one for the device, raw otherwise.
struct Pad {
    SDL_GameController* mapped = nullptr;
    SDL_Joystick* device = nullptr;   // the device under either
};

// The window's own key (the view switch's, the screenshot's) while it is down, and the
// joysticks as opened.
struct InputDevices {
    SDL_Keycode windowKey = SDLK_UNKNOWN;
    bool joystickTried = false;
    bool joystickOk = false;
    Pad pads[kJoystickIds] = {};
};

InputDevices inputDevices;

// Alt+Enter and F11 switch the view; the program never sees them (nor their release).
bool isViewSwitch(const SDL_KeyboardEvent& key) {
    return key.keysym.sym == SDLK_F11 ||
           ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT) != 0);
}

// A pointer position in window points as the program's client position.
void clientPoint(int wx, int wy, int& x, int& y) {
    x = wx;
    y = wy;
    windowToPicture(wx, wy, x, y);
}

MouseButton buttonOf(Uint8 button) {
    if (button == SDL_BUTTON_LEFT) return MouseButton::left;
    if (button == SDL_BUTTON_RIGHT) return MouseButton::right;
    return MouseButton::other;
}

void postButton(const SDL_MouseButtonEvent& b, bool pressed) {
    int x = 0, y = 0;
    clientPoint(b.x, b.y, x, y);
    // SDL counts quick presses on one spot.
    postMouseButton(buttonOf(b.button), pressed, b.clicks, x, y);
}

void translateEvent(const SDL_Event& e) {
    const WindowId window = mainWindow();
    switch (e.type) {
        case SDL_QUIT:
            postMessage(window, WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: postMessage(window, WM_CLOSE, 0, 0); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED: postMessage(window, WM_ACTIVATEAPP, 1, 0); break;
                case SDL_WINDOWEVENT_FOCUS_LOST: postMessage(window, WM_ACTIVATEAPP, 0, 0); break;
                case SDL_WINDOWEVENT_MOVED:
                    setReportedClientOrigin(e.window.data1, e.window.data2);
                    postMessage(window, WM_MOVE, 0, makePosition(e.window.data1, e.window.data2));
                    break;
                case SDL_WINDOWEVENT_EXPOSED: presentNow(); break;
                default: break;
            }
            break;
        case SDL_KEYDOWN: {
            if (isViewSwitch(e.key)) {
                if (e.key.repeat == 0) toggleFullScreen();
                inputDevices.windowKey = e.key.keysym.sym;
                break;
            }
            // F12 saves the shown picture; the program never sees it, as a message or as a key held.
            // F9 saves the session so far and makes its GIF; the program does not see it either.
            if (e.key.keysym.sym == SDLK_F12 || e.key.keysym.sym == SDLK_F9) {
                if (e.key.repeat == 0) e.key.keysym.sym == SDLK_F12 ? takeScreenshot() : saveSessionGif();
                inputDevices.windowKey = e.key.keysym.sym;
                break;
            }
            int vk = virtualKey(e.key.keysym.sym);
            if (vk != 0) postMessage(window, WM_KEYDOWN, static_cast<WParam>(vk), 1);
            break;
        }
        case SDL_KEYUP: {
            // The window's key is held back until it is released, Alt let go first or not.
            if (e.key.keysym.sym == inputDevices.windowKey) {
                inputDevices.windowKey = SDLK_UNKNOWN;
                break;
            }
            int vk = virtualKey(e.key.keysym.sym);
            if (vk != 0) postMessage(window, WM_KEYUP, static_cast<WParam>(vk), 1);
            break;
        }
        case SDL_TEXTINPUT:
            // What the keys typed, after the keyboard layout and any input method: UTF-8.
            postTypedText(e.text.text, std::strlen(e.text.text));
            break;
        case SDL_MOUSEMOTION: {
            int x = 0, y = 0;
            clientPoint(e.motion.x, e.motion.y, x, y);
            postMessage(window, WM_MOUSEMOVE, 0, makePosition(x, y));
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            postButton(e.button, true);
            break;
        case SDL_MOUSEBUTTONUP:
            postButton(e.button, false);
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            deviceLost();
            break;
        default:
            break;
    }
}

// Starts SDL's pads once, apart from video, with the mapping files; false (said on standard
// error) where joysticks cannot be read.
bool ensureJoystick() {
    if (inputDevices.joystickTried) return inputDevices.joystickOk;
    inputDevices.joystickTried = true;
    // Joysticks are read when the program asks, in or out of focus, as the classic query does.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    std::string named;
    holdBackMappingFile(named);
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        platform::say("joysticks cannot be read (%s); they read as absent.\n",
                     SDL_GetError());
        return false;
    }
    // Pads are read straight from the devices, so their events would only fill the queue.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    loadPadMappings(named);
    inputDevices.joystickOk = true;
    return true;
}

void closePad(Pad& pad) {
    if (pad.mapped != nullptr)
        SDL_GameControllerClose(pad.mapped);
    else if (pad.device != nullptr)
        SDL_JoystickClose(pad.device);
    pad = Pad{};
}

// The pad that is the system's id-th joystick now. The slot is reopened when the device at that
// place changed: one pulled out moves the next one up, one plugged in takes a free place.
const Pad* openPad(int id) {
    Pad& pad = inputDevices.pads[id];
    if (pad.device != nullptr && !SDL_JoystickGetAttached(pad.device)) closePad(pad);
    if (id >= SDL_NumJoysticks()) {
        closePad(pad);
        return nullptr;
    }
    if (pad.device != nullptr && SDL_JoystickInstanceID(pad.device) != SDL_JoystickGetDeviceInstanceID(id))
        closePad(pad);
    if (pad.device == nullptr && SDL_IsGameController(id)) {
        pad.mapped = SDL_GameControllerOpen(id);
        if (pad.mapped != nullptr) pad.device = SDL_GameControllerGetJoystick(pad.mapped);
    }
    if (pad.device == nullptr) pad.device = SDL_JoystickOpen(id);
    return pad.device != nullptr ? &pad : nullptr;
}

// Axes run from -32768 to 32767; the query's scale runs from 0 to 65535.
std::uint32_t onScale(Sint16 axis) { return static_cast<std::uint32_t>(axis + 32768); }

// The d-pad held one way along an axis puts the stick at that end; both ways or neither leave it.
std::uint32_t withPad(std::uint32_t position, bool low, bool high) {
    if (low == high) return position;
    return low ? 0 : 65535;
}

// A mapped pad: the left stick and the d-pad; buttons 1 to 4 are the face buttons A, B, X, Y
// (bottom, right, left, top on most pads), as the browser's standard layout numbers them.
void readMapped(SDL_GameController* pad, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    auto down = [pad](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(pad, b) != 0; };
    x = withPad(onScale(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX)), down(SDL_CONTROLLER_BUTTON_DPAD_LEFT),
                down(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    y = withPad(onScale(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY)), down(SDL_CONTROLLER_BUTTON_DPAD_UP),
                down(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    constexpr SDL_GameControllerButton kFaceButtons[] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
                                                         SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y};
    buttons = 0;
    for (int b = 0; b < 4; ++b)
        if (down(kFaceButtons[b])) buttons |= 1u << b;
}

// A pad SDL knows no mapping for: axes 0 and 1 and its first hat, buttons in the device's order.
void readRaw(SDL_Joystick* stick, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    x = SDL_JoystickNumAxes(stick) > 0 ? onScale(SDL_JoystickGetAxis(stick, 0)) : 32767;
    y = SDL_JoystickNumAxes(stick) > 1 ? onScale(SDL_JoystickGetAxis(stick, 1)) : 32767;
    if (SDL_JoystickNumHats(stick) > 0) {
        const Uint8 hat = SDL_JoystickGetHat(stick, 0);
        x = withPad(x, (hat & SDL_HAT_LEFT) != 0, (hat & SDL_HAT_RIGHT) != 0);
        y = withPad(y, (hat & SDL_HAT_UP) != 0, (hat & SDL_HAT_DOWN) != 0);
    }
    buttons = 0;
    int count = SDL_JoystickNumButtons(stick);
    for (int b = 0; b < count && b < 32; ++b)
        if (SDL_JoystickGetButton(stick, b) != 0) buttons |= 1u << b;
}

}  // namespace

void translate(const SDL_Event& e) {
    recording::beginInput();
    translateEvent(e);
    recording::endInput();
}

void drainEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
}

}  // namespace platform::sdl

namespace platform::backend {

// ---------------------------------------------------------------- input devices

bool readJoystick(int id, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    if (!sdl::ensureJoystick()) return false;
    // Reads the devices now and notices joysticks that came or went.
    SDL_JoystickUpdate();
    const sdl::Pad* pad = sdl::openPad(id);
    if (pad == nullptr) return false;
    if (pad->mapped != nullptr)
        sdl::readMapped(pad->mapped, x, y, buttons);
    else
        sdl::readRaw(pad->device, x, y, buttons);
    return true;
}

bool keyDown(int virtualKey) {
    // As the key messages leave it (not SDL's own keyboard state), so that a replayed session's
    // keys are what the program polls. SDL lets the keys go with messages when the window loses
    // the keyboard.
    return postedKeyDown(virtualKey);
}

}  // namespace platform::backend
