// elSystem's neighbour: a 32-bit random generator of a program's own, beside elSystem::Random
// (whose 15-bit sequence it leaves alone). It is PCG32 (XSH RR output on a 64-bit linear
// congruential state), each generator with its own seed and stream: two generators seeded alike
// give the same values on every system.
#pragma once
#include <cstdint>

namespace quorbix {

// One generator: its seed, stream and the draws from it.
class Random32 {
public:
    // Seeded with 0 on stream 0, so that a generator a program's state holds starts alike in
    // every run (and the state can be made afresh with `= State{}`).
    Random32() { Seed(0, 0); }
    // Seeded with `seed`; generators on different `stream`s give different sequences.
    explicit Random32(std::uint64_t seed, std::uint64_t stream = 0) { Seed(seed, stream); }
    // Starts the sequence again from `seed` on `stream`.
    void Seed(std::uint64_t seed, std::uint64_t stream = 0);
    // The next value, 0 to 4294967295.
    std::uint32_t Next();
    // A value from 0 to bound - 1, every one equally likely (0 for a bound of 0).
    std::uint32_t Below(std::uint32_t bound);
    // A value from low to high, both included, every one equally likely (low when high < low).
    int Between(int low, int high);
    // A value from 0 up to, but not including, 1.
    float Unit();

private:
    std::uint64_t state_ = 0;
    std::uint64_t increment_ = 1;
};

}  // namespace quorbix
