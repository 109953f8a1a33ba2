// Application shell: elDraw::Flip, the end of every frame (transition overlay, scroll page,
// presentation), and the scene transitions. Their state, Present, is in framework/core/app_state.h.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/shell/flip.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include "framework/core/app_state.h"

namespace elDraw {
// The end of every frame: draws any transition or scrolling page over Back and shows it.
void Flip();
// Starts covering the picture (Present's style and period); once covered the loop goes to
// Shell.NextSceneId.
void TransitionOut();
// Called by the new scene in its entry frame: uncovers the picture over its first ten frames.
void TransitionIn();
}  // namespace elDraw
