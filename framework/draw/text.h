// elDraw: text in brackets on Back: the persistent font description, BeginText / SetTextColors /
// PutText / DrawTextBox / MeasureTextBox / EndText.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/text.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>

#include "platform/video/gdi.h"

namespace elDraw {

// Face selector of BeginText: 0 "標準明朝", 1 "標準ゴシック", anything else keeps the last face.
constexpr int kFaceMincho = 0;
constexpr int kFaceGothic = 1;

// The text brackets' state: the font description and the bracket that is open.
struct TextState {
    platform::LogFont* Font = nullptr;            // the font description, AllocFont to FreeFont
    // Valid between BeginText and EndText.
    bool Open = false;
    platform::HGDIOBJ CurrentFont = nullptr;
    platform::HDC Context = nullptr;
    platform::HGDIOBJ PreviousFont = nullptr;
    // Program-start state: no description and no bracket (an open bracket is closed first).
    void reset();
};
// The text state itself.
extern TextState Text;

// Called by elDraw::Screen: the zero-filled font description.
void AllocFont();
// Called by elSystem::Shutdown.
void FreeFont();

// Opens a bracket: rewrites the description (face, height, angle in degrees, weight selector
// 0 normal / 1 bold / else the default, italic, underline), makes the font and takes Back's
// context. Before AllocFont it does nothing; a bracket still open is closed first.
void BeginText(int face, int height, int angle, int weight, int italic, int underline);
// Colours are COLORREF 0x00BBGGRR; a non-zero `transparent` leaves the background unpainted,
// zero leaves the context's background mode as it is.
void SetTextColors(std::uint32_t color, std::uint32_t background, int transparent);
// Draws text (code-page bytes) with its top-left corner at (x, y); the GDI's success flag.
int PutText(int x, int y, const char* text);
// Draws text word-broken into the box; answers the height of the drawn text.
int DrawTextBox(int left, int top, int right, int bottom, const char* text);
// The height DrawTextBox would draw for the same box and text, drawing nothing.
int MeasureTextBox(int left, int top, int right, int bottom, const char* text);
// Closes the bracket: the font is deleted and Back's context given back.
void EndText();

}  // namespace elDraw
