// elDraw: clipped object blits onto Back, the colour fills of Back, the grab from Back, and
// Back's device context.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/blit.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif

#include "platform/video/gdi.h"

namespace elDraw {

// Copies the source rectangle (left, top, right, bottom; right and bottom exclusive) of an object
// to (x, y) on Back, clipped to the ClipWindow, with the object's colour key. An object loaded
// with its alpha kept (LoadPngObject) is blended instead, as PutObjectRotated blends it.
void PutObject(int x, int y, int index, int left, int top, int right, int bottom);
// The same, every pixel copied (no colour key).
void PutObjectOpaque(int x, int y, int index, int left, int top, int right, int bottom);
// Scales the source rectangle to width x height through Buffer, then puts it with Buffer's
// black key.
void StretchObject(int x, int y, int index, int left, int top, int right, int bottom, int width,
                   int height);
// Called by programs for turning and zooming sprites: the source rectangle (right and bottom
// exclusive) turned `degrees` clockwise on the screen about its centre and scaled by `scale`
// (2: every pixel doubled), its centre at (cx, cy) of Back, with the object's colour key: each
// pixel of Back takes the source pixel its centre falls on (nearest neighbour), and key pixels
// leave Back alone. At 0 degrees and scale 1 the put equals PutObject(cx - w / 2, cy - h / 2)
// (w, h the rectangle's size, halves rounded down): a side of odd length is centred on the
// middle of pixel cx (or cy), a side of even length on its left (or top) edge. Multiples of 90
// degrees are exact: a quarter turn is the transposed picture mirrored left to right.
// Clipped to the clip window and to Back; nothing is read outside the source rectangle. Scale
// must lie in [1/1024, 1024] and the angle be finite, and the rectangle be inside the object;
// anything else draws nothing. An object loaded with its alpha kept is blended: each pixel
// becomes (source * a + Back * (255 - a)) / 255, rounded, per channel.
void PutObjectRotated(int cx, int cy, int index, int left, int top, int right, int bottom,
                      double degrees, double scale);
// Fills Back with black (not clipped); the Rect forms fill a rectangle, right and bottom exclusive.
void FillBlack();
void FillBlackRect(int left, int top, int right, int bottom);
// Fills Back with white (not clipped).
void FillWhite();
void FillWhiteRect(int left, int top, int right, int bottom);
// Copies a rectangle of Back into the object's top-left corner, unclipped and unkeyed.
void GrabObject(int index, int left, int top, int right, int bottom);
// Back's device context, held in Display.BackDC until ReleaseBackDC.
void GetBackDC();
// Gives Back's device context back.
void ReleaseBackDC();

}  // namespace elDraw
