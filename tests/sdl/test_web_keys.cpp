// The browser's key names reach the program as the same virtual keys as the desktop's: every key
// the SDL backend gives a code to has a name on a browser's keyboard with that code, and no name
// gives a code the desktop never gives.
#include <SDL.h>
#include <gtest/gtest.h>

#include <set>

#include "platform/sdl/sdl_backend.h"
#include "platform/web/web_backend.h"

namespace {

// The key names a browser reports (KeyboardEvent.code) for a standard keyboard.
const char* const kBrowserKeys[] = {
    "Escape", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "Backquote", "Digit1", "Digit2", "Digit3", "Digit4", "Digit5", "Digit6", "Digit7", "Digit8",
    "Digit9", "Digit0", "Minus", "Equal", "Backspace", "Tab", "KeyQ", "KeyW", "KeyE", "KeyR",
    "KeyT", "KeyY", "KeyU", "KeyI", "KeyO", "KeyP", "BracketLeft", "BracketRight", "Backslash",
    "CapsLock", "KeyA", "KeyS", "KeyD", "KeyF", "KeyG", "KeyH", "KeyJ", "KeyK", "KeyL",
    "Semicolon", "Quote", "Enter", "ShiftLeft", "KeyZ", "KeyX", "KeyC", "KeyV", "KeyB", "KeyN",
    "KeyM", "Comma", "Period", "Slash", "ShiftRight", "ControlLeft", "MetaLeft", "AltLeft",
    "Space", "AltRight", "MetaRight", "ContextMenu", "ControlRight", "PrintScreen", "ScrollLock",
    "Pause", "Insert", "Home", "PageUp", "Delete", "End", "PageDown", "ArrowUp", "ArrowLeft",
    "ArrowDown", "ArrowRight", "NumLock", "NumpadDivide", "NumpadMultiply", "NumpadSubtract",
    "Numpad7", "Numpad8", "Numpad9", "NumpadAdd", "Numpad4", "Numpad5", "Numpad6", "Numpad1",
    "Numpad2", "Numpad3", "NumpadEnter", "Numpad0", "NumpadDecimal", "IntlRo", "IntlYen",
    "Convert", "NonConvert", "KanaMode", "Lang1", "Lang2",
};

TEST(WebKeys, TheBrowsersKeyNamesGiveTheDesktopsVirtualKeys) {
    std::set<int> desktop, browser;
    // Every key SDL can name: the characters by themselves, the other keys by their scancode.
    for (int key = 0; key < 128; ++key)
        if (const int vk = platform::sdl::virtualKey(key)) desktop.insert(vk);
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc)
        if (const int vk = platform::sdl::virtualKey(SDL_SCANCODE_TO_KEYCODE(sc))) desktop.insert(vk);
    for (const char* name : kBrowserKeys) {
        const int vk = platform::web::virtualKey(name);
        if (vk != 0) browser.insert(vk);
    }
    EXPECT_EQ(browser, desktop);
    // Names that are no key, or a key's name cut short or run on, give nothing.
    for (const char* name : {"", "Key", "KeyAA", "Keya", "Digit10", "F13", "F0", "Numpad", "escape", "Unidentified"})
        EXPECT_EQ(platform::web::virtualKey(name), 0) << name;
    EXPECT_EQ(platform::web::virtualKey(nullptr), 0);
}

}  // namespace
