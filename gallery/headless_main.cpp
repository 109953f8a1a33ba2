// quorbix-gallery-headless: the effects gallery on the headless backend, through the same runner
// and options as quorbix-headless (docs/gallery.md).
#include <cstdio>
#include <string>
#include <utility>

#include "framework/runner/runner_command_line.h"
#include "gallery/gallery.h"
#include "gallery/headless_tour.h"

namespace {
const CommandLineSyntax kCommandLine{
    "quorbix-gallery-headless",
    "[OPTIONS] [SCRIPT]",
    "The Quorbix effects gallery without a display, through the runner of quorbix-headless.",
    RunnerOptions({
        {"--frames-dir", "DIR", "alone: one picture per page, DIR/NN-NAME.png; with --dump: the frames",
         FileUse::Writes},
    }),
    "--frames-dir DIR without --dump runs one tour (--frames defaults to its length). Without\n"
    "SCRIPT a built-in one plays the tour's input. Options may also follow SCRIPT. See\n"
    "docs/headless.md and docs/gallery.md.",
};
}  // namespace

int main(int argc, char** argv) {
    HeadlessCommandLine run;
    const int exitCode = ParseHeadlessCommandLine(argc, argv, kCommandLine, run);
    if (exitCode >= 0) return exitCode;
    run.options.prepare = UseGallery;
    if (run.scriptPath.empty()) run.options.script = GalleryDemoScript();
    // --frames-dir alone is the gallery's own: one picture per page. With --dump it is the
    // runner's frame dump.
    PagePictures pictures;
    if (run.options.dump.empty() && !run.options.framesDir.empty()) {
        pictures.dir = std::exchange(run.options.framesDir, std::string());
        std::string error;
        if (!MakeFramesDirectory(pictures.dir, error)) {
            std::fprintf(stderr, "%s: %s\n", kCommandLine.program, error.c_str());
            return 2;
        }
        run.options.frameEnd = WritePagePicture;
        run.options.frameEndUser = &pictures;
        if (!run.args.has("--frames")) run.options.config.frames = GalleryTourFrames();
    }
    const int status = RunHeadlessCommandLine(kCommandLine, run);
    if (status != 0) return status;
    if (!pictures.error.empty()) {
        std::fprintf(stderr, "%s: writing a page picture failed: %s\n", kCommandLine.program, pictures.error.c_str());
        return 1;
    }
    if (!pictures.dir.empty()) std::printf("%d page pictures in %s\n", pictures.written, pictures.dir.c_str());
    return 0;
}
