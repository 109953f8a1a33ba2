// Gallery: what a headless run of the gallery adds to the runner: a script that plays the tour's
// input, and one picture per page written when the page reaches its showcase frame.
#pragma once
#include <string>

// The frame number at which a page comes up in a tour without clicks (frame numbers from 1).
int GalleryPageStartFrame(int page);
// Input for a tour without a script of its own: a joystick at rest from start-up, the arrow keys
// on the scrolling page, the joystick moved and keys pressed on the input page.
std::string GalleryDemoScript();

// Writes DIR/NN-NAME.png after a frame that was a page's showcase; the first failure is kept.
struct PagePictures {
    std::string dir;
    std::string error;
    int written = 0;
};
// The runner's frameEnd hook; user is a PagePictures.
void WritePagePicture(int frame, void* user);
