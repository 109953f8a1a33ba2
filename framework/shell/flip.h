// Application shell: elDraw::Flip, the end of every frame (transition overlay, scroll page,
// presentation), and the scene transitions. Their state, Present, is in framework/core/app_state.h.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/shell/flip.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include "framework/core/app_state.h"

namespace elDraw {
void Flip();
void TransitionOut();
void TransitionIn();
}  // namespace elDraw
