// Game: the variables the three scenes share, and the drawing steps more than one scene uses.
#pragma once
#include <cstdint>

constexpr int kBallCount = 40;
constexpr int kHitSoundCount = 5;
constexpr int kGameFrames = 600;
constexpr int kWaveFrames = 40;

struct GameState {
    int Level = 1;            // 1 easy, 2 normal, 3 hard; survives from game to game
    int Score = 0;
    int TimeLeft = 0;         // frames left in the game
    float BallX[kBallCount] = {};
    float BallY[kBallCount] = {};
    float BallAngle[kBallCount] = {};   // radians, 0 toward +x, y pointing down
    unsigned char BallAlive[kBallCount] = {};
    int SheetObject = 0;
    int HitSounds[kHitSoundCount] = {};
    int NextHitSound = 0;
    int TitleBallCell = 0;
    int ResultBallCell = 0;
    char PasswordText[20] = {};
    char PasswordLetters[4] = {};   // the three letters of the last password, for observers
    std::uint32_t ResultEnteredAt = 0;
    void reset() { *this = GameState{}; }
};
extern GameState Game;

// The crosshair, centred on the mouse point: 30 x 30 pixels of the sheet's first cell.
void DrawCrosshair(int mouseX, int mouseY);
// Two rows of ten balls (y 0 and 150), their cell alternating 1, 2, 1, ... from frame to frame.
void DrawBallRows(int& cell);
// The chosen level, in the text bracket the caller has opened.
void PutLevelLine();
