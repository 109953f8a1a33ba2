// elSystem: the process-wide random generator (values 0 to 32767).
#pragma once
#include <cstdint>

namespace elSystem {

// Seeds the generator; the entry point seeds it with the calendar time in whole seconds, and the
// play scene again on entry.
void SeedRandom(std::uint32_t seed);
// Next value: seed = seed * 214013 + 2531011 (mod 2^32), value = (seed >> 16) & 0x7FFF.
int Random();

// The generator's state: the seed the next Random() steps from.
struct RandomState {
    std::uint32_t Seed = 1;
    void reset() { *this = RandomState{}; }
};
// The generator itself.
extern RandomState RandomGen;

}  // namespace elSystem
