// PCG32 (XSH RR) with unbiased bounded draws.
#include "engine/Random.h"

#include <chrono>

namespace engine
{
namespace
{
constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kIncrement = 1442695040888963407ULL;
} // namespace

void RandomGenerator::Seed(std::uint64_t seed)
{
    state_ = 0;
    Next();
    state_ += seed;
    Next();
}

void RandomGenerator::Randomize()
{
    Seed(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

std::uint32_t RandomGenerator::Next()
{
    const std::uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18U) ^ old) >> 27U);
    const auto rot = static_cast<std::uint32_t>(old >> 59U);
    return (xorshifted >> rot) | (xorshifted << ((32U - rot) & 31U));
}

int RandomGenerator::Random(int n)
{
    if (n <= 1)
        return 0;
    // Lemire's multiply-and-reject: no modulo bias, and one draw almost always suffices.
    const auto range = static_cast<std::uint32_t>(n);
    std::uint64_t m = std::uint64_t{Next()} * range;
    auto low = static_cast<std::uint32_t>(m);
    if (low < range)
    {
        const std::uint32_t threshold = (0U - range) % range;
        while (low < threshold)
        {
            m = std::uint64_t{Next()} * range;
            low = static_cast<std::uint32_t>(m);
        }
    }
    return static_cast<int>(m >> 32U);
}

} // namespace engine
