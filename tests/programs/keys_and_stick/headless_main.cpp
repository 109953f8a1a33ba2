// keys-and-stick-headless: the test program without a display (a recorded session replayed with
// --check).
#include <quorbix/headless.h>

#include "keys_and_stick.h"

int main(int argc, char** argv) { return quorbix::RunHeadlessProgram(KeysAndStickProgram(), argc, argv); }
