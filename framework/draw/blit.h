// elDraw: clipped object blits onto Back, the colour fills of Back, the grab from Back, and
// Back's device context.
#pragma once

#include "platform/video/gdi.h"

namespace elDraw {

// Copies the source rectangle (left, top, right, bottom; right and bottom exclusive) of an object
// to (x, y) on Back, clipped to the ClipWindow, with the object's colour key.
void PutObject(int x, int y, int index, int left, int top, int right, int bottom);
// The same, every pixel copied (no colour key).
void PutObjectOpaque(int x, int y, int index, int left, int top, int right, int bottom);
// Scales the source rectangle to width x height through Buffer, then puts it with Buffer's
// black key.
void StretchObject(int x, int y, int index, int left, int top, int right, int bottom, int width,
                   int height);
void FillBlack();
void FillBlackRect(int left, int top, int right, int bottom);
void FillWhite();
void FillWhiteRect(int left, int top, int right, int bottom);
// Copies a rectangle of Back into the object's top-left corner, unclipped and unkeyed.
void GrabObject(int index, int left, int top, int right, int bottom);
// Back's device context, held in Display.BackDC until ReleaseBackDC.
void GetBackDC();
void ReleaseBackDC();

}  // namespace elDraw
