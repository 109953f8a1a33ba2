// errors: the errors example (examples/errors.cpp) alone in a window, for tests/windows/box.sh. Its
// start-up loads TITLE.BMP from beside the program: not there, or not a bitmap, it shows the
// framework's error box and goes on.
#include <quorbix/program.h>

#include "examples/examples.h"

int main(int argc, char** argv) {
    UseErrors();
    quorbix::HostCommandLine more;
    more.Program = "errors";
    return quorbix::RunWindowProgram(quorbix::Program, argc, argv, more);
}
