// Framework core: what the services below the display (the error box, elSystem) ask of it. The
// display registers the answers where its state is defined (framework/draw/display.cpp), so that
// they need not include it; in a program without the display there is nothing to prepare before
// a box and the screen is 0 x 0.
#pragma once

struct DisplayLink {
    void (*PrepareForBox)() = nullptr;                       // makes the desktop visible for a box
    void (*ScreenSize)(int& width, int& height) = nullptr;   // the size elDraw::Screen was given
};

class DisplayLinkRegistration {
public:
    explicit DisplayLinkRegistration(const DisplayLink& link);
};

// Called by the error box and elSystem::Message just before they show their box: a full-screen
// display flips to the desktop's surface so that the box can be seen.
void PrepareDisplayForBox();
// Called by elSystem::ClipCursorToScreen: the display's width and height in pixels.
void GetScreenSize(int& width, int& height);
