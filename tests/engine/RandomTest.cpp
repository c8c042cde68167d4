// The generator: reproducible from a seed, within bounds, uniform enough for the steering.
#include "engine/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace
{

TEST(RandomGeneratorTest, SameSeedSameSequenceOtherSeedOtherSequence)
{
    engine::RandomGenerator a(42);
    engine::RandomGenerator b(42);
    engine::RandomGenerator c(43);
    std::vector<int> va;
    std::vector<int> vb;
    std::vector<int> vc;
    for (int i = 0; i < 200; ++i)
    {
        va.push_back(a.Random(29));
        vb.push_back(b.Random(29));
        vc.push_back(c.Random(29));
    }
    EXPECT_EQ(va, vb);
    EXPECT_NE(va, vc);

    a.Seed(42);
    std::vector<int> again;
    for (int i = 0; i < 200; ++i)
        again.push_back(a.Random(29));
    EXPECT_EQ(va, again);
}

TEST(RandomGeneratorTest, StaysInRangeAndCoversItEvenly)
{
    engine::RandomGenerator g(7);
    std::array<int, 6> counts{};
    const int draws = 60000;
    for (int i = 0; i < draws; ++i)
    {
        const int v = g.Random(6);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 6);
        ++counts[static_cast<std::size_t>(v)];
    }
    for (int count : counts)
    {
        EXPECT_GT(count, draws / 6 - 600);
        EXPECT_LT(count, draws / 6 + 600);
    }
    EXPECT_EQ(g.Random(1), 0);
    EXPECT_EQ(g.Random(0), 0);
}

} // namespace
