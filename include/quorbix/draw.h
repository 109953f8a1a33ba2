// Quorbix: elDraw, the picture. The display (Screen, FillBlack, the clip window), the table of
// sprite objects (LoadObject, SetDefaultKey), blits (PutObject), text in brackets and quick text
// (DebugPrint, ShowFps), primitives, raster effects, clip-window wipes, the bitmap helpers, the
// error box (ShowError) and the end of every frame, elDraw::Flip, with its scene transitions;
// rectangles (quorbix::Rect) and sprite-sheet animation (quorbix::Animation).
#pragma once
#pragma push_macro("QRB_PUBLIC_HEADERS")
#undef QRB_PUBLIC_HEADERS
#define QRB_PUBLIC_HEADERS 1
#include "framework/core/error_box.h"
#include "framework/draw/bitmap_helpers.h"
#include "framework/draw/animation.h"
#include "framework/draw/blit.h"
#include "framework/draw/clip_wipes.h"
#include "framework/draw/debug_text.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "framework/draw/primitives.h"
#include "framework/draw/raster_effects.h"
#include "framework/draw/rect.h"
#include "framework/draw/text.h"
#include "framework/shell/flip.h"
#pragma pop_macro("QRB_PUBLIC_HEADERS")
