// Gallery: the demonstration script and the per-page pictures of a headless run.
#include "gallery/headless_tour.h"

#include <cstdio>
#include <string>
#include <utility>

#include <quorbix/headless.h>

#include "gallery/gallery.h"

namespace {

int PageIndexOf(const char* file) {
    for (int i = 0; i < GalleryPageCount(); ++i)
        if (std::string(GalleryPageAt(i).file) == file) return i;
    return 0;
}

}  // namespace

int GalleryPageStartFrame(int page) {
    int frame = 1;
    for (int i = 0; i < page && i < GalleryPageCount(); ++i) frame += kPageFrames + GalleryPageAt(i).covering;
    return frame;
}

std::string GalleryDemoScript() {
    std::string s = "0 joy 0 32767 32767 0\n";   // at rest while the sticks are calibrated
    char line[64];
    auto at = [&](int frame, const char* event) {
        std::snprintf(line, sizeof line, "%d %s\n", frame, event);
        s += line;
    };
    // The scrolling page: Down for a second and a half, then Right for half a second.
    const int scroll = GalleryPageStartFrame(PageIndexOf("scroll-page"));
    at(scroll + 10, "key 40");
    at(scroll + 40, "keyup 40");
    at(scroll + 42, "key 39");
    at(scroll + 48, "keyup 39");
    // The input page: the stick right with button 1, then up-right with buttons 1 and 2; Space
    // pressed and held, Z tapped; then the stick back to the left with button 4.
    const int input = GalleryPageStartFrame(PageIndexOf("input"));
    at(input + 2, "joy 0 65535 32767 1");
    at(input + 7, "joy 0 65535 0 3");
    at(input + 9, "key 32");
    at(input + 12, "key 90");
    at(input + 13, "keyup 90");
    at(input + 14, "joy 0 0 40000 8");
    at(input + 18, "keyup 32");
    return s;
}

void WritePagePicture(int frame, void* user) {
    auto& out = *static_cast<PagePictures*>(user);
    if (Gallery.ShowcaseReady == 0) return;
    Gallery.ShowcaseReady = 0;
    if (!out.error.empty()) return;
    char name[96];
    std::snprintf(name, sizeof name, "/%02d-%s.png", Gallery.Page + 1, GalleryPageAt(Gallery.Page).file);
    if (quorbix::WritePicture(out.dir + name, quorbix::ShownPicture(), out.error))
        ++out.written;
}

quorbix::HostCommandLine GalleryHeadlessCommandLine() {
    quorbix::HostCommandLine more;
    more.Summary = "The Quorbix effects gallery without a display, through the runner of quorbix-headless.";
    more.Options = {
        {"--frames-dir", "DIR", "alone: one picture per page, DIR/NN-NAME.png; with --dump: the frames",
         quorbix::FileUse::Writes},
    };
    more.Help =
        "--frames-dir DIR without --dump runs one tour (--frames defaults to its length). Without\n"
        "SCRIPT a built-in one plays the tour's input. Options may also follow SCRIPT. See\n"
        "docs/headless.md and docs/gallery.md.";
    return more;
}

int PrepareGalleryRun(quorbix::HeadlessCommandLine& run, PagePictures& pictures) {
    if (run.scriptPath.empty()) run.options.script = GalleryDemoScript();
    // --frames-dir alone is the gallery's own: one picture per page. With --dump it is the
    // runner's frame dump.
    if (!run.options.dump.empty() || run.options.framesDir.empty()) return -1;
    pictures.dir = std::exchange(run.options.framesDir, std::string());
    std::string error;
    if (!quorbix::MakeFramesDirectory(pictures.dir, error)) {
        std::fprintf(stderr, "quorbix-gallery-headless: %s\n", error.c_str());
        return 2;
    }
    run.options.frameEnd = WritePagePicture;
    run.options.frameEndUser = &pictures;
    if (!run.args.has("--frames")) run.options.config.frames = GalleryTourFrames();
    return -1;
}

int FinishGalleryRun(int status, const PagePictures& pictures) {
    if (status != 0) return status;
    if (!pictures.error.empty()) {
        std::fprintf(stderr, "quorbix-gallery-headless: writing a page picture failed: %s\n", pictures.error.c_str());
        return 1;
    }
    if (!pictures.dir.empty()) std::printf("%d page pictures in %s\n", pictures.written, pictures.dir.c_str());
    return 0;
}
