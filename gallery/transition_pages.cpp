// Gallery: the scene transitions, one page per style, and the scrolling page. A transition page
// switches between scenes 2 and 3 twice: it sets NextSceneId and the style and calls
// elDraw::TransitionOut; the frame loop then runs elDraw::Flip in place of the scene until the
// picture is covered and enters the next scene, whose first frame calls elDraw::TransitionIn.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "gallery/gallery.h"
#include "gallery/generated_bitmaps.h"

namespace {

constexpr int kScreenObject = 1;       // the work surface the styles 1 to 8 copy from
constexpr int kTransitionPeriod = 10;  // styles 3 and 4 need at least 10
constexpr int kCycle = 40;             // a transition starts at frame 15 of every 40
constexpr int kStartAt = 15;
// The frame that calls TransitionOut shows step 1 in its own Flip; the loop then runs Flip
// alone for steps 2 to 10.
constexpr int kCoveringFrames = 9;

struct TransitionPageState {
    bool Covering = false;   // a covering half was started: the next scene uncovers
};
TransitionPageState State;

// What styles 1 to 8 lay over the picture: a curtain in Screen, drawn onto Back with the
// primitives and copied into Screen with GrabObject. It carries the page's caption, so that the
// caption reads the same through the curtain.
void MakeCurtain() {
    elDraw::FillBlack();
    for (int x = -360; x < 480; x += 24) elDraw::Line(x, 360, x + 360, 0, (x / 24) % 2 ? 0x3050C0 : 0x2040A0, 12);
    elDraw::BeginText(elDraw::kFaceGothic, 56, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x000000, 1);
    elDraw::PutText(110, 120, "Screen");
    elDraw::EndText();
    elDraw::BeginText(elDraw::kFaceGothic, 16, 0, 0, 0, 0);
    elDraw::SetTextColors(0xE0E0FF, 0x000000, 1);
    elDraw::PutText(130, 190, "object 1, filled by GrabObject");
    elDraw::EndText();
    DrawCaption(GalleryPageAt(Gallery.Page), Gallery.Page);
    elDraw::GrabObject(kScreenObject, 0, 0, 480, 360);
    elDraw::FillBlack();
}

void StopTransition() {
    // Leaving the page in the middle of an uncovering half ends it at once.
    Present.TransitionStep = 0;
    Present.TransitionDirection = 0;
    State.Covering = false;
}

template <int Style>
void EnterStyle() {
    StopTransition();
    if (Style != 0) MakeCurtain();
}

template <int Style>
void StyleFrame(int t) {
    if (Shell.SceneEntered == 1 && State.Covering) {
        elDraw::TransitionIn();   // the new scene takes the overlay away over its own frames
        State.Covering = false;
    }
    DrawScenePicture(Shell.SceneId);
    elDraw::DebugPrint(4, 326, "SceneId %d  TransitionStep %d  TransitionDirection %d", Shell.SceneId,
                       Present.TransitionStep, Present.TransitionDirection);
    if (t % kCycle == kStartAt) {
        Present.TransitionStyle = Style;
        Present.TransitionPeriod = kTransitionPeriod;
        Shell.NextSceneId = Shell.SceneId == 2 ? 3 : 2;
        elDraw::TransitionOut();
        State.Covering = true;
    }
}

void EnterScrollPage() {
    // The page is shown through the ClipWindow: narrowed here, it leaves the caption alone.
    elDraw::SetClipWindow(20, 40, 460, 336);
    if (Present.ScrollMode == 0) elDraw::ToggleScrollPage();
}

void LeaveScrollPage() {
    if (Present.ScrollMode != 0) elDraw::ToggleScrollPage();
    elDraw::SetClipWindow(0, 0, elDraw::Display.ScreenWidth, elDraw::Display.ScreenHeight);
}

void ScrollFrame(int t) {
    DrawScenePicture(2);
    elDraw::DebugPrint(4, 326, "ScrollPos %.1f of %d  (Up/Down 100 rows/s, Left/Right 300 rows/s)",
                       Present.ScrollPos, kScrollPageHeight - 296);
}

constexpr int kCovering = 2 * kCoveringFrames;   // two transitions per page

}  // namespace

const GalleryPage kTransitionPages[] = {
    {.name = "TransitionStyle 0: tile pattern",
     .call = "elDraw::LoadWipePattern(\"GALLERYWIPE\"); NextSceneId = 3; elDraw::TransitionOut();",
     .file = "transition-0-pattern", .enter = EnterStyle<0>, .frame = StyleFrame<0>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 1: rows",
     .call = "elDraw::GrabObject(1, 0, 0, 480, 360); TransitionStyle = 1; elDraw::TransitionOut();",
     .file = "transition-1-rows", .enter = EnterStyle<1>, .frame = StyleFrame<1>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 2: bands",
     .call = "TransitionStyle = 2; TransitionPeriod = 10; elDraw::TransitionOut();",
     .file = "transition-2-bands", .enter = EnterStyle<2>, .frame = StyleFrame<2>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 3: rows with jitter",
     .call = "TransitionStyle = 3; TransitionPeriod = 10; elDraw::TransitionOut();",
     .file = "transition-3-rows-jitter", .enter = EnterStyle<3>, .frame = StyleFrame<3>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 4: bands with jitter",
     .call = "TransitionStyle = 4; TransitionPeriod = 10; elDraw::TransitionOut();",
     .file = "transition-4-bands-jitter", .enter = EnterStyle<4>, .frame = StyleFrame<4>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 5: slides in from above",
     .call = "TransitionStyle = 5; TransitionPeriod = 10; elDraw::TransitionOut();",
     .file = "transition-5-from-above", .enter = EnterStyle<5>, .frame = StyleFrame<5>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 6: slides in from below",
     .call = "TransitionStyle = 6; TransitionPeriod = 10; elDraw::TransitionOut();",
     .file = "transition-6-from-below", .enter = EnterStyle<6>, .frame = StyleFrame<6>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 7: slides in from the left",
     .call = "TransitionStyle = 7; TransitionPeriod = 10; elDraw::TransitionOut();",
     .file = "transition-7-from-left", .enter = EnterStyle<7>, .frame = StyleFrame<7>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "TransitionStyle 8: slides in from the right",
     .call = "TransitionStyle = 8; TransitionPeriod = 10; elDraw::TransitionOut();",
     .file = "transition-8-from-right", .enter = EnterStyle<8>, .frame = StyleFrame<8>, .leave = StopTransition,
     .showcase = 20, .covering = kCovering},
    {.name = "Scrolling page (arrow keys scroll it)",
     .call = "elDraw::LoadScrollPage(\"GALLERYPAGE\", \"GALLERYTILE\", 1200); elDraw::ToggleScrollPage();",
     .file = "scroll-page", .enter = EnterScrollPage, .frame = ScrollFrame, .leave = LeaveScrollPage,
     .showcase = 50},
};
const int kTransitionPageCount = sizeof kTransitionPages / sizeof kTransitionPages[0];
