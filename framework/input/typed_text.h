// Input: the text the player typed, gathered from the window's character messages frame by frame
// (SDL's text input on the desktop, the page's key events, a headless script's text events).
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/input/typed_text.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstddef>

namespace quorbix {

// The most bytes of typed text a frame keeps; characters typed past them in one frame are lost.
constexpr std::size_t kTypedTextBytes = 255;

// What the player typed since the last frame, UTF-8 whatever the program's texts are ("" when
// nothing): letters, digits, punctuation, spaces and characters of any script, as the keyboard
// layout makes them. Enter, Backspace, Tab, Escape and the arrows type nothing: they are keys
// (elSystem::GetKey, Input.LastKey). Valid until the end of the frame.
const char* TypedText();

// Called by the window procedure for each character message.
void AddTypedCharacter(char32_t c);
// Called by the frame loop at the end of each frame: the next frame starts with nothing typed.
void ClearTypedText();

}  // namespace quorbix

#include "framework/core/legacy_names.h"
