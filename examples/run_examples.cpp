// framework-examples: runs every example of docs/framework.md headless for a few frames and checks
// that each ran: a frame in every frame number, no early end, and no message box but the ones an
// example shows on purpose. With --pictures DIR it also writes each example's last picture.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "examples/examples.h"
#include "examples/run_example.h"
#include "platform/headless/headless.h"
#include "platform/files/png_writer.h"
#include "framework/runner/headless_runner.h"

namespace {

int CountBoxes(const std::vector<std::string>& trace) {
    int boxes = 0;
    for (const std::string& line : trace)
        for (std::size_t p = line.find("\"caption\":"); p != std::string::npos; p = line.find("\"caption\":", p + 1))
            ++boxes;
    return boxes;
}

// What went wrong with one run, or "".
std::string Check(const Example& e, const std::vector<std::string>& trace) {
    if (static_cast<int>(trace.size()) != e.frames)
        return std::to_string(trace.size()) + " trace lines, expected " + std::to_string(e.frames);
    for (const std::string& line : trace) {
        if (TraceField(line, "ran") != 1) return "frame " + std::to_string(TraceField(line, "frame")) + " did not run";
        if (TraceField(line, "quit") != 0) return "the program quit at frame " + std::to_string(TraceField(line, "frame"));
    }
    if (TraceField(trace[0], "scene") == 0) return "the first frame ran no scene";
    const int boxes = CountBoxes(trace);
    if (boxes != e.boxes) return std::to_string(boxes) + " message boxes, expected " + std::to_string(e.boxes);
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    std::string pictures;
    std::vector<const Example*> chosen;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pictures") == 0 && i + 1 < argc) {
            pictures = argv[++i];
            continue;
        }
        const Example* e = FindExample(argv[i]);
        if (e == nullptr) {
            std::fprintf(stderr, "usage: framework-examples [--pictures DIR] [NAME...]\nexamples:");
            for (int k = 0; k < kExampleCount; ++k) std::fprintf(stderr, " %s", kExamples[k].name);
            std::fprintf(stderr, "\n");
            return 2;
        }
        chosen.push_back(e);
    }
    if (chosen.empty())
        for (int k = 0; k < kExampleCount; ++k) chosen.push_back(&kExamples[k]);
    if (!pictures.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(pictures, ec);
    }

    int failures = 0;
    for (const Example* e : chosen) {
        std::string error;
        const std::vector<std::string> trace = RunExample(e->use, e->script, e->frames, error);
        const std::string why = error.empty() ? Check(*e, trace) : error;
        if (why.empty() && !pictures.empty()) {
            const auto& pic = platform::headless::shownPicture();
            std::string written;
            if (!platform::writePng(pictures + "/" + e->name + ".png", pic.pixels.data(), pic.width, pic.height,
                                    written))
                std::fprintf(stderr, "%s: %s\n", e->name, written.c_str());
        }
        std::printf("%-4s %-12s %s\n", why.empty() ? "ok" : "FAIL", e->name, why.c_str());
        failures += why.empty() ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
