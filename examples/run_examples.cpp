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

#include <quorbix/headless.h>

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
        if (quorbix::TraceField(line, "ran") != 1) return "frame " + std::to_string(quorbix::TraceField(line, "frame")) + " did not run";
        if (quorbix::TraceField(line, "quit") != 0) return "the program quit at frame " + std::to_string(quorbix::TraceField(line, "frame"));
    }
    if (quorbix::TraceField(trace[0], "scene") == 0) return "the first frame ran no scene";
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
        if (e == nullptr) return ExampleUsage("framework-examples [--pictures DIR] [NAME...]");
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
            std::string written;
            if (!quorbix::WritePicture(pictures + "/" + e->name + ".png", quorbix::ShownPicture(), written))
                std::fprintf(stderr, "%s: %s\n", e->name, written.c_str());
        }
        std::printf("%-4s %-12s %s\n", why.empty() ? "ok" : "FAIL", e->name, why.c_str());
        failures += why.empty() ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
