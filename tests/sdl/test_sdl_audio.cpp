// The SDL backend's audio device (SDL's dummy driver, which calls back from SDL's own thread on
// the device's schedule): music and 30 sounds while the music is opened, closed and sought in
// a tight loop; and the clock.
#include <gtest/gtest.h>

#include <cstdlib>

#include <SDL.h>

#include "platform/window/system.h"
#include "tests/support/audio_stress.h"

TEST(SdlAudio, MusicCommandsInATightLoopWithThirtySoundsNeverStallTheCallback) {
    // A driver chosen by whoever runs the test is kept; CTest's environment list reaches only
    // the first of its variables through test discovery.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    audiostress::MusicCommandsInATightLoopWithThirtySounds(3.0);
}

// Reading the clock opens nothing: no window system is asked for (it printed "no display").
TEST(SdlClock, ReadingTheTickCountInitialisesNoSubsystem) {
    platform::getTickCount();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}
