// Gallery: a program on the game's shell that shows every raster effect, transition style,
// the scrolling page, every clip wipe and the polled input, one page at a time.
#pragma once
#include <quorbix/program.h>
#include <quorbix/system.h>

// One page: what it is called on screen, and what it does while it is shown.
struct GalleryPage {
    const char* name = "";           // the operation shown, as the page's heading
    const char* call = "";           // the call as a program would write it
    const char* file = "";           // the name of the page's picture in a headless run
    void (*enter)() = nullptr;       // when the page comes up (may be null)
    void (*frame)(int t) = nullptr;  // draws the page; t counts the page's frames from 0
    void (*leave)() = nullptr;       // before the next page comes up (may be null)
    int showcase = 0;                // the frame whose picture a headless run keeps
    int covering = 0;      // frame numbers spent in covering halves of transitions, which run
                           // in place of the page's frames
    bool stays = false;    // shown until the user moves on (no automatic step)
};

// The page tables of each topic (effect_pages.cpp, transition_pages.cpp, wipe_pages.cpp,
// input_page.cpp).
extern const GalleryPage kEffectPages[];
extern const int kEffectPageCount;
extern const GalleryPage kTransitionPages[];
extern const int kTransitionPageCount;
extern const GalleryPage kWipePages[];
extern const int kWipePageCount;
extern const GalleryPage kInputPage;

constexpr int kPageFrames = 80;   // four seconds at the frame loop's 20 frames a second

struct GalleryState {
    int Page = 0;            // index into the whole tour
    int PageFrame = 0;       // frames the page has run
    ButtonState KeyLeft = 0, KeyRight = 0, KeyUp = 0, KeyDown = 0;   // polled once per frame
    int ShowcaseReady = 0;   // 1 after the frame a headless run keeps; the runner clears it
    void reset() { *this = GalleryState{}; }
};
extern GalleryState Gallery;

// The objects the pages draw from (gallery_pictures.cpp).
struct GalleryPictures {
    int Sheet = 0;    // the game's sprite sheet, keyed green: cell 0 the crosshair, 1 to 3 balls
    int Poster = 0;   // a screen-sized object keyed black, laid out as the kPoster... rectangles
};
extern GalleryPictures Pictures;

// Rectangles of the Poster object: left, top, right, bottom.
struct PictureRect {
    int left, top, right, bottom;
};
constexpr PictureRect kPosterPicture{0, 0, 400, 240};   // the picture the effects work on
constexpr PictureRect kPosterTile{400, 0, 464, 48};     // a 64 x 48 tile
constexpr PictureRect kPosterBandTile{400, 48, 464, 96};
constexpr PictureRect kPosterLabel{0, 240, 240, 300};   // a label whose turns are easy to read

// Called by GalleryInit: the sprite sheet, the Poster drawn with the primitives and text, and
// the bitmaps made in memory for the transition pattern and the scrolling page.
void MakeGalleryPictures();
// Draws the picture of one scene of the transition pages onto Back (scene 2 or 3).
void DrawScenePicture(int scene);

// The whole tour, in order.
int GalleryPageCount();
const GalleryPage& GalleryPageAt(int index);
// Frames a headless run needs for one tour with no input (the input page counted to its
// showcase and a little beyond).
int GalleryTourFrames();
// Draws the page's heading, its call and the key help over Back (also into the transitions'
// curtain, so that the heading stays readable under them).
void DrawCaption(const GalleryPage& page, int index);

// The gallery as the shell runs it: window title, start-up, scenes, trace fields.
quorbix::ProgramSetup GalleryProgram();
// Installs it (quorbix::UseProgram), for tests that run it headless.
void UseGallery();
void GalleryInit();
void GalleryFrame();
