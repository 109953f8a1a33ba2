// elSystem: the linear congruential generator that the wave layout and the effects draw on.
#include "framework/system/random.h"
#include "framework/core/program_state.h"

namespace elSystem {

RandomState RandomGen;
const ProgramStateRegistration kRandomGenReset{ResetStage::System, [] { RandomGen.reset(); }};

void SeedRandom(std::uint32_t seed) { RandomGen.Seed = seed; }

int Random() {
    RandomGen.Seed = RandomGen.Seed * 214013u + 2531011u;
    return static_cast<int>((RandomGen.Seed >> 16) & 0x7FFF);
}

}  // namespace elSystem
