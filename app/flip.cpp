// Application shell: presentation of the frame and the scene transitions.
#include "app/flip.h"

PresentState Present;

namespace elDraw {

void Flip() {}

void TransitionOut() {
    Present.TransitionStep = 1;
    Present.TransitionDirection = 1;
}

void TransitionIn() {
    Present.TransitionStep = 10;
    Present.TransitionDirection = -1;
}

}  // namespace elDraw
