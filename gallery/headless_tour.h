// Gallery: what a headless run of the gallery adds to the runner: a script that plays the tour's
// input, and one picture per page written when the page reaches its showcase frame.
#pragma once
#include <string>

#include <quorbix/headless.h>

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

// The gallery's headless command line: the runner's, with --frames-dir alone its own (one
// picture per page).
quorbix::HostCommandLine GalleryHeadlessCommandLine();
// Called by the host once the command line is read: the tour's script when none is given, and
// the page pictures when --frames-dir comes without --dump. -1 goes on; 2 when the pictures'
// folder cannot be made (said on standard error).
int PrepareGalleryRun(quorbix::HeadlessCommandLine& run, PagePictures& pictures);
// The status the program ends with after the run: 1 when a page picture was not written.
int FinishGalleryRun(int status, const PagePictures& pictures);
