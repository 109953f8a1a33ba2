// best-score-headless: the best-score example as a headless program, with the runner's command
// line (--data DIR keeps its best score there); its test runs it twice.
#include <quorbix/headless.h>
#include <quorbix/program.h>

#include "examples/examples.h"

int main(int argc, char** argv) {
    UseBestScore();
    return quorbix::RunHeadlessProgram(quorbix::Program, argc, argv);
}
