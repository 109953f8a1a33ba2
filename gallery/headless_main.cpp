// quorbix-gallery-headless: the effects gallery on the headless backend, through the same runner
// and options as quorbix-headless (docs/gallery.md).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "gallery/gallery.h"
#include "gallery/headless_tour.h"
#include "framework/runner/headless_runner.h"
#include "framework/shell/command_line.h"

namespace {
const char kUsage[] =
    "usage: quorbix-gallery-headless [--frames-dir DIR [--dump LIST]] [--frames N] [--trace FILE]\n"
    "                                [--time S] [--start-tick MS] [--frame-ms MS] [--audio FILE]\n"
    "                                [SCRIPT]\n"
    "--frames-dir DIR without --dump writes one picture per page, DIR/NN-NAME.png, and runs one\n"
    "tour (--frames defaults to its length). Without SCRIPT a built-in one plays the tour's\n"
    "input. The other options are those of quorbix-headless (docs/headless.md, docs/gallery.md).\n";
}

int main(int argc, char** argv) {
    std::vector<char*> args{argv[0]};
    std::string pagesDir;
    bool dump = false, frames = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("%s\n", VersionText("quorbix-gallery-headless").c_str());
            return 0;
        }
        dump = dump || a == "--dump";
        frames = frames || a == "--frames";
    }
    // --frames-dir alone is the gallery's own: one picture per page. With --dump it is the
    // runner's frame dump, handled there.
    for (int i = 1; i < argc; ++i) {
        if (!dump && std::string(argv[i]) == "--frames-dir" && i + 1 < argc) {
            pagesDir = argv[++i];
            continue;
        }
        args.push_back(argv[i]);
    }
    RunOptions options;
    std::string scriptPath, tracePath, error;
    if (!ParseRunnerArguments(static_cast<int>(args.size()), args.data(), options, scriptPath, tracePath, error)) {
        std::fprintf(stderr, "quorbix-gallery-headless: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    options.prepare = UseGallery;
    if (scriptPath.empty()) {
        options.script = GalleryDemoScript();
    } else if (scriptPath == "-") {
        options.script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(scriptPath, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "quorbix-gallery-headless: cannot read script '%s'\n", scriptPath.c_str());
            return 2;
        }
        options.script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    PagePictures pictures;
    if (!pagesDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(pagesDir, ec);
        if (ec || !std::filesystem::is_directory(pagesDir)) {
            std::fprintf(stderr, "quorbix-gallery-headless: cannot make the frames directory '%s'\n", pagesDir.c_str());
            return 2;
        }
        pictures.dir = pagesDir;
        options.frameEnd = WritePagePicture;
        options.frameEndUser = &pictures;
        if (!frames) options.config.frames = GalleryTourFrames();
    }
    std::ofstream traceFile;
    if (!tracePath.empty()) {
        traceFile.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!traceFile) {
            std::fprintf(stderr, "quorbix-gallery-headless: cannot write trace '%s'\n", tracePath.c_str());
            return 2;
        }
        options.trace = &traceFile;
    }
    const int code = RunHeadless(options, error);
    if (code != 0) {
        std::fprintf(stderr, "quorbix-gallery-headless: %s\n", error.c_str());
        return code;
    }
    if (!pictures.error.empty()) {
        std::fprintf(stderr, "quorbix-gallery-headless: writing a page picture failed: %s\n", pictures.error.c_str());
        return 1;
    }
    traceFile.flush();
    if (traceFile.is_open() && !traceFile) {
        std::fprintf(stderr, "quorbix-gallery-headless: writing the trace '%s' failed\n", tracePath.c_str());
        return 1;
    }
    if (!pagesDir.empty()) std::printf("%d page pictures in %s\n", pictures.written, pagesDir.c_str());
    return 0;
}
