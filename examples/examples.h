// Examples for game writers (docs/framework.md): small programs on the game's shell, one topic
// per file. Each Use function puts its program's start-up and scenes into the shell; WinMain
// then runs it, in a window or headless.
#pragma once

#include "examples/outside/first_scene.h"   // UseFirstScene: start-up, frame protocol, entry work, clicks
void UseBitmaps();       // bitmaps.cpp: colour keys, PutObject, clipping, the ClipWindow
void UseTexts();         // texts.cpp: text brackets, colours, word-wrapped boxes, DebugPrint
void UseLanguages();     // texts.cpp: a program's texts in Japanese and English
void UseSounds();        // sounds.cpp: wave objects, playing copies, pan, volume, frequency
void UseMusic();         // music.cpp: looping MIDI music started and stopped by scenes
void UseTransitions();   // transitions.cpp: covering and uncovering a change of scene
void UseWipes();         // wipes.cpp: opening and closing the picture with the ClipWindow
void UseEffects();       // effects.cpp: a picture made at start-up, waved, mirrored, in strips
void UseInput();         // input.cpp: polled keys and joystick, per-second movement
void UseErrors();        // errors.cpp: the error box, message boxes and failed loads
void UseGameSetup();     // game_setup.cpp: frame period, scene table, asset folder, keys, overlaps
void UseDrawing();       // drawing.cpp: filled shapes, the turned put, a PNG with its alpha
void UseBestScore();     // best_score.cpp: a best score saved and loaded across runs
void UseHelpers();       // helpers.cpp: sprite-sheet animation, rectangles, a 32-bit generator
void UseTyping();        // typing.cpp: texts in UTF-8 and a name the player types
void UseFading();        // fading.cpp: music faded out and in, the scene-left hook

// One example as the example programs run it.
struct Example {
    const char* name;     // on the command line and in reports
    void (*use)();
    const char* script;   // the headless input (docs/headless.md)
    int frames;           // frame numbers the headless run lasts
    int boxes;            // message boxes the run shows on purpose
};

extern const Example kExamples[];
extern const int kExampleCount;
// The example of that name, or nullptr.
const Example* FindExample(const char* name);
// Says the usage line and the examples' names on standard error; returns 2, the exit status.
int ExampleUsage(const char* usage);
