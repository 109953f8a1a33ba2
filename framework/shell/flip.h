// Application shell: elDraw::Flip, the end of every frame (transition overlay, scroll page,
// presentation), and the scene transitions. Their state, Present, is in framework/core/app_state.h.
#pragma once
#include "framework/core/app_state.h"

namespace elDraw {
void Flip();
void TransitionOut();
void TransitionIn();
}  // namespace elDraw
