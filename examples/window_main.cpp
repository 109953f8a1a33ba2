// framework-examples-window: one example of docs/framework.md in a real window (SDL2 backend).
#include <cstdio>

#include "framework/shell/frame_loop.h"
#include "examples/examples.h"
#include "platform/window/window.h"

int main(int argc, char** argv) {
    const Example* example = FindExample(argc > 1 ? argv[1] : "first-scene");
    if (example == nullptr) {
        std::fprintf(stderr, "usage: framework-examples-window [NAME]\nexamples:");
        for (int i = 0; i < kExampleCount; ++i) std::fprintf(stderr, " %s", kExamples[i].name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    example->use();
    return WinMain("", platform::SW_SHOWNORMAL) == 0 ? 1 : 0;
}
