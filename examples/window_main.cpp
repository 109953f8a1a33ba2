// framework-examples-window: one example of docs/framework.md in a real window (SDL2 backend).
#include <quorbix/program.h>

#include "examples/examples.h"

int main(int argc, char** argv) {
    // The example's name comes first (first-scene without one); the window's options follow it.
    const bool named = argc > 1 && argv[1][0] != '-';
    const Example* example = FindExample(named ? argv[1] : "first-scene");
    if (example == nullptr) return ExampleUsage("framework-examples-window [NAME] [OPTIONS]");
    if (named) argv[1] = argv[0], ++argv, --argc;
    example->use();
    quorbix::HostCommandLine more;
    more.Program = "framework-examples-window";
    return quorbix::RunWindowProgram(quorbix::Program, argc, argv, more);
}
