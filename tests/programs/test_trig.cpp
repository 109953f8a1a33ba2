// The game's cosine and sine: the nearest double to the true value (worked out to 200 bits
// elsewhere), where a C library may miss by one, and the same bits for every angle the game lays
// out, whatever the build.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "game/trig.h"

namespace {

TEST(GameTrig, NearestDoubleToTheTrueValue) {
    struct Case { double x, cos, sin; } cases[] = {
        {0x0.0p+0, 0x1.0000000000000p+0, 0x0.0p+0},
        {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, 0x1.0000000000000p+0},   // pi/2 as a double
        {0x1.921fb54442d18p+1, -0x1.0000000000000p+0, 0x1.1a62633145c07p-53},  // pi
        {-0x1.4000000000000p+1, -0x1.9a2f7ef858b7dp-1, -0x1.326af0dcfcab1p-1},
        {0x1.9000000000000p+6, 0x1.b981dbf665fdfp-1, -0x1.03425b78c4db8p-1},
        {-0x1.34a456d5cfaadp+10, -0x1.fe7053dc31387p-1, -0x1.3fa00084ee3ddp-4},
        {0x1.e848080000000p+19, 0x1.fd0a79db83ee8p-1, -0x1.b7bbd56f648b8p-4},
        {0x1.999999999999ap-4, 0x1.fd712f9a817c1p-1, 0x1.98eaecb8bcb2cp-4},
        {0x1.c000000000000p+2, 0x1.81ff79ed92017p-1, 0x1.50608c26d0a08p-1},
        // Two of the game's angles whose sine glibc 2.36 gives one unit too low or too high.
        {0x1.fb61f80000000p-5, 0x1.ff04ad45da433p-1, 0x1.fb0ef0721e1b3p-5},
        {0x1.24f6640000000p-3, 0x1.fac53cfffd878p-1, 0x1.23f6df8f06f7bp-3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GameCos(c.x), c.cos) << std::hexfloat << c.x;
        EXPECT_EQ(GameSin(c.x), c.sin) << std::hexfloat << c.x;
    }
    EXPECT_TRUE(std::isnan(GameCos(NAN)));
    EXPECT_TRUE(std::isnan(GameSin(INFINITY)));
}

// Every angle LayOutWave can give, as the game stores it (a float), through both functions: the
// bits hashed (FNV-1a) against the value they have on x86-64, which arm64, the web build and
// Windows must give too.
TEST(GameTrig, EveryAngleOfTheGameGivesTheSameBitsEverywhere) {
    std::uint64_t hash = 1469598103934665603u;
    auto mix = [&](double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int i = 0; i < 8; ++i) {
            hash ^= (bits >> (8 * i)) & 0xFF;
            hash *= 1099511628211u;
        }
    };
    for (int r3 = 0; r3 <= 32767; ++r3) {
        const float angle = static_cast<float>((2 * r3) * 3.1415926 / 32767.0);
        mix(GameCos(angle));
        mix(GameSin(angle));
    }
    EXPECT_EQ(hash, 0x724e18ae95c857f8u);
}

}  // namespace
