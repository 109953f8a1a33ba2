// Gallery: the tour of pages, stepping between them, and the frame every page shares: clear
// Back, draw the page, its caption and the crosshair, show the frame rate, present.
#include "gallery/gallery.h"

#include <string>

#include <cstdio>

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/system.h>

GalleryState Gallery;

namespace {

constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;

const elSystem::CodePageText kHelp("左クリック・→ 次へ　右クリック・← 前へ　Esc 終了");

void EnterPage(int index) {
    const int count = GalleryPageCount();
    Gallery.Page = (index % count + count) % count;
    Gallery.PageFrame = 0;
    const GalleryPage& page = GalleryPageAt(Gallery.Page);
    if (page.enter != nullptr) page.enter();
}

void StepTo(int index) {
    const GalleryPage& page = GalleryPageAt(Gallery.Page);
    if (page.leave != nullptr) page.leave();
    EnterPage(index);
}

// The game's crosshair (cell 0 of the sprite sheet) at the mouse point, as the game draws it.
// It is drawn with the whole screen as the clip window, so that wipes and the scrolling page's
// narrower window do not cut it; the ClipWindow is read by each PutObject at the moment of the
// call, so setting it back afterwards leaves the rest of the frame as it was.
void DrawCrosshair() {
    const elDraw::ClipRect saved = elDraw::Display.ClipWindow;
    elDraw::SetClipWindow(0, 0, elDraw::Display.ScreenWidth, elDraw::Display.ScreenHeight);
    elDraw::PutObject(Input.MouseX - 15, Input.MouseY - 15, Pictures.Sheet, 9, 9, 39, 39);
    elDraw::SetClipWindow(saved.left, saved.top, saved.right, saved.bottom);
}

}  // namespace

int GalleryPageCount() { return kEffectPageCount + kTransitionPageCount + kWipePageCount + 1; }

const GalleryPage& GalleryPageAt(int index) {
    if (index < kEffectPageCount) return kEffectPages[index];
    index -= kEffectPageCount;
    if (index < kTransitionPageCount) return kTransitionPages[index];
    index -= kTransitionPageCount;
    if (index < kWipePageCount) return kWipePages[index];
    return kInputPage;
}

int GalleryTourFrames() {
    int frames = 0;
    for (int i = 0; i < GalleryPageCount(); ++i) {
        const GalleryPage& page = GalleryPageAt(i);
        frames += page.stays ? page.showcase + 20 : kPageFrames + page.covering;
    }
    return frames;
}

void DrawCaption(const GalleryPage& page, int index) {
    // Two bands, top and bottom; the frame-rate display takes the top-left corner.
    elDraw::FillBlackRect(0, 0, 480, 36);
    elDraw::FillBlackRect(0, 342, 480, 360);
    char heading[128];
    std::snprintf(heading, sizeof heading, "%d/%d  %s", index + 1, GalleryPageCount(), page.name);
    elDraw::BeginText(elDraw::kFaceGothic, 16, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x000000, 1);
    elDraw::PutText(92, 1, heading);
    elDraw::EndText();
    elDraw::BeginText(elDraw::kFaceGothic, 12, 0, 0, 0, 0);
    elDraw::SetTextColors(0x40FFFF, 0x000000, 1);   // yellow (COLORREF is 0x00BBGGRR)
    elDraw::PutText(4, 20, page.call);
    elDraw::SetTextColors(0xA0A0A0, 0x000000, 1);
    elDraw::PutText(4, 345, kHelp);
    elDraw::EndText();
}

quorbix::ProgramSetup GalleryProgram() {
    quorbix::ProgramSetup setup;
    setup.Name = "quorbix-gallery";
    setup.Title = "Quorbix gallery";
    setup.Summary = "The Quorbix effects gallery: every drawing effect and transition of the framework, a page each.";
    setup.Init = GalleryInit;
    // Scenes 2 and 3 take turns on the transition pages; every scene number is the gallery.
    setup.Scenes[1] = GalleryFrame;
    setup.Scenes[2] = GalleryFrame;
    setup.Scenes[3] = GalleryFrame;
    setup.Reset = [] { Gallery.reset(); };
    // The page shown after the frame (0 is the first) and the frames it has run, in a trace.
    setup.TraceFields = [](std::string& line) {
        line += ",\"page\":" + std::to_string(Gallery.Page);
        line += ",\"page_frame\":" + std::to_string(Gallery.PageFrame);
    };
    return setup;
}

void UseGallery() { quorbix::UseProgram(GalleryProgram()); }

void GalleryInit() {
    elDraw::Screen(480, 360);
    MakeGalleryPictures();
    Shell.SceneId = 2;
    EnterPage(0);
}

void GalleryFrame() {
    // Each key is polled once per frame, so that its edge states describe frames. While a
    // transition runs or the scrolling page is shown, the polls read every key as up.
    elSystem::GetKey(VK_LEFT, Gallery.KeyLeft);
    elSystem::GetKey(VK_RIGHT, Gallery.KeyRight);
    elSystem::GetKey(VK_UP, Gallery.KeyUp);
    elSystem::GetKey(VK_DOWN, Gallery.KeyDown);
    const GalleryPage& current = GalleryPageAt(Gallery.Page);
    if (Input.LeftClick == 1 || Gallery.KeyRight == kButtonPressed)
        StepTo(Gallery.Page + 1);
    else if (Input.RightClick == 1 || Gallery.KeyLeft == kButtonPressed)
        StepTo(Gallery.Page - 1);
    else if (!current.stays && Gallery.PageFrame >= kPageFrames)
        StepTo(Gallery.Page + 1);

    const GalleryPage& page = GalleryPageAt(Gallery.Page);
    elDraw::FillBlack();
    page.frame(Gallery.PageFrame);
    DrawCaption(page, Gallery.Page);
    DrawCrosshair();
    elDraw::ShowFps();
    if (Gallery.PageFrame == page.showcase) Gallery.ShowcaseReady = 1;
    ++Gallery.PageFrame;
    elDraw::Flip();
}
