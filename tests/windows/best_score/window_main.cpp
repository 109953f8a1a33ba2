// best-score: the best-score example (examples/best_score.cpp) in a window, its best score kept
// in the user's own folder for the program's data (%APPDATA%\best-score\ on Windows).
#include <quorbix/program.h>

#include "examples/examples.h"

int main(int argc, char** argv) {
    UseBestScore();
    return quorbix::RunWindowProgram(quorbix::Program, argc, argv);
}
