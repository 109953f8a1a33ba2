// Application shell: elDraw::Flip, the end of every frame (transition overlay, scroll page,
// presentation), and the state of scene transitions and of the scrolling page.
#pragma once

struct PresentState {
    int TransitionStep = 0;        // 0 idle, 1 to 10 running
    int TransitionDirection = 0;   // +1 covering, -1 uncovering, 0 none
    int TransitionStyle = 0;
    int TransitionPeriod = 0;
    int TransitionPattern = 0;
    int ScrollMode = 0;
    int ScrollPageObject = 0;
    int ScrollTileObject = 0;
    int ScrollPageHeight = 0;
    float ScrollPos = 0.0f;
    float ScrollTileX = 0.0f;
    float ScrollTileY = 0.0f;
    void reset() { *this = PresentState{}; }
};
extern PresentState Present;

namespace elDraw {
void Flip();
void TransitionOut();
void TransitionIn();
}  // namespace elDraw
