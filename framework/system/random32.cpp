// elSystem's neighbour: the 32-bit generator (PCG32).
#include "framework/system/random32.h"

namespace quorbix {

namespace {
constexpr std::uint64_t kMultiplier = 6364136223846793005u;
}

void Random32::Seed(std::uint64_t seed, std::uint64_t stream) {
    state_ = 0;
    increment_ = stream << 1u | 1u;
    Next();
    state_ += seed;
    Next();
}

std::uint32_t Random32::Next() {
    const std::uint64_t old = state_;
    state_ = old * kMultiplier + increment_;
    const auto shifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<std::uint32_t>(old >> 59u);
    return shifted >> rotation | shifted << ((32u - rotation) & 31u);
}

std::uint32_t Random32::Below(std::uint32_t bound) {
    if (bound == 0) return 0;
    // Values under 2^32 mod bound are drawn again: the rest fall on each result equally often.
    const std::uint32_t threshold = (0u - bound) % bound;
    for (;;) {
        const std::uint32_t r = Next();
        if (r >= threshold) return r % bound;
    }
}

int Random32::Between(int low, int high) {
    if (high <= low) return low;
    const auto span = static_cast<std::uint32_t>(static_cast<std::int64_t>(high) - low + 1);   // 0 for the whole range
    const std::uint32_t offset = span == 0 ? Next() : Below(span);
    return static_cast<int>(static_cast<std::int64_t>(low) + offset);
}

float Random32::Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }

}  // namespace quorbix
