// The game's pseudo-random numbers: uniform integers 0..n-1 from a seedable generator.
#pragma once

#include <cstdint>

namespace engine
{

// Where the game takes its random numbers from; tests put a counting or scripted source here.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A uniform integer from 0 to n - 1; 0 when n is 1 or less.
    virtual int Random(int n) = 0;
};

// PCG32: the same seed gives the same numbers on every platform and build.
class RandomGenerator final : public RandomSource
{
public:
    explicit RandomGenerator(std::uint64_t seed = 0) { Seed(seed); }

    void Seed(std::uint64_t seed);
    // Seeds from the clock, as the game does when its screen is created.
    void Randomize();
    int Random(int n) override;

private:
    std::uint32_t Next();

    std::uint64_t state_ = 0;
};

} // namespace engine
