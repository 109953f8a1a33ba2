// Examples: the table of examples with the headless input each is run with.
#include <cstdio>
#include <cstring>

#include "examples/examples.h"

// Scripts: "N EVENT ..." posts the event before frame N (docs/headless.md).
const Example kExamples[] = {
    {"first-scene", UseFirstScene, "1 move 240 180\n5 ldown\n5 lup\n30 rdown\n30 rup\n", 40, 0},
    {"bitmaps", UseBitmaps, "", 5, 0},
    {"texts", UseTexts, "", 5, 0},
    {"languages", UseLanguages, "", 3, 0},
    {"sounds", UseSounds, "3 move 40 100\n3 ldown\n3 lup\n4 ldown\n4 lup\n6 rdown\n6 rup\n12 rdown\n12 rup\n",
     15, 0},
    {"music", UseMusic, "10 ldown\n10 lup\n20 ldown\n20 lup\n25 rdown\n25 rup\n", 30, 0},
    // Nine clicks, one for each transition style, 25 frames apart.
    {"transitions", UseTransitions,
     "3 ldown\n28 ldown\n53 ldown\n78 ldown\n103 ldown\n128 ldown\n153 ldown\n178 ldown\n203 ldown\n", 230, 0},
    {"wipes", UseWipes, "12 ldown\n40 ldown\n", 70, 0},
    {"effects", UseEffects, "", 30, 0},
    // The stick lies at rest from start-up; Right is held for ten frames, then Space tapped,
    // then the stick pushed left with button 1 down.
    {"input", UseInput,
     "0 joy 0 32767 32767 0\n3 key 39\n13 keyup 39\n15 key 32\n16 keyup 32\n18 joy 0 0 32767 1\n"
     "24 joy 0 32767 32767 0\n",
     28, 0},
    {"errors", UseErrors, "5 ldown\n6 rdown\n", 8, 3},
    // Enter at the title, then two shots a frame apart, then N for the next level.
    {"game-setup", UseGameSetup, "2 key 13\n3 keyup 13\n5 key 32\n6 keyup 32\n6 ldown\n6 lup\n9 key 78\n", 12, 0},
    {"drawing", UseDrawing, "", 5, 0},
    // Two clicks in the round; nothing is kept here (no --data), so the best stays 2 every run.
    {"best-score", UseBestScore, "3 ldown\n3 lup\n6 ldown\n6 lup\n", 110, 0},
    {"helpers", UseHelpers, "", 10, 0},
    // A name typed in two goes, a character taken off with Backspace, then Enter keeps it.
    {"typing", UseTyping, "2 text \"Ren\"\n3 text \"é 東\"\n5 key 8\n6 keyup 8\n7 key 13\n8 keyup 13\n", 9, 0},
    // A click on the title: a second's fade (20 frames), then the play scene fades in.
    {"fading", UseFading, "3 ldown\n3 lup\n", 40, 0},
};
const int kExampleCount = sizeof kExamples / sizeof kExamples[0];

const Example* FindExample(const char* name) {
    for (const Example& e : kExamples)
        if (std::strcmp(e.name, name) == 0) return &e;
    return nullptr;
}

int ExampleUsage(const char* usage) {
    std::fprintf(stderr, "usage: %s\nexamples:", usage);
    for (const Example& e : kExamples) std::fprintf(stderr, " %s", e.name);
    std::fprintf(stderr, "\n");
    return 2;
}
