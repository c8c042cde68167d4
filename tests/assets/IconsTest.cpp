// The desktop icons as a desktop reads them: strict PNG files of the right sizes, a transparent
// background, the player's yellow-green worm head with eyes that still show at 16 pixels.
#include "support/Png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using Icon = testsupport::PngImage;
using testsupport::Rgba;

constexpr std::array<int, 6> kSizes{16, 32, 48, 64, 128, 256};

Icon LoadIcon(int size)
{
    const auto path =
        std::filesystem::path(ZORBEL_ICON_DIR) / ("icon_" + std::to_string(size) + ".png");
    return testsupport::LoadPng(path);
}

double OpaqueShare(const Icon& icon)
{
    double covered = 0;
    for (const Rgba& p : icon.pixels)
    {
        covered += p.a / 255.0;
    }
    return covered / double(icon.pixels.size());
}

TEST(DesktopIcon, EverySizeIsASquareRgbaPngOnATransparentBackground)
{
    std::vector<double> shares;
    for (const int size : kSizes)
    {
        SCOPED_TRACE("size " + std::to_string(size));
        const Icon icon = LoadIcon(size);
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        ASSERT_EQ(icon.pixels.size(), std::size_t(size * size));
        // The worm lies from the lower left to the upper right: the other two corners are
        // empty, and so is everything at the very bottom right.
        EXPECT_EQ(icon.At(0, 0).a, 0);
        EXPECT_EQ(icon.At(size - 1, size - 1).a, 0);
        // The head is solid all across its middle, and the tail end is solid too.
        for (int i = 0; i < 5; ++i)
        {
            const Rgba& p = icon.At(size * (50 + 4 * i) / 100, size * (35 + 4 * i) / 100);
            EXPECT_EQ(p.a, 255) << "head pixel " << i;
        }
        EXPECT_EQ(icon.At(size / 5, size * 4 / 5).a, 255) << "tail";
        shares.push_back(OpaqueShare(icon));
        int soft = 0;
        for (const Rgba& p : icon.pixels)
        {
            soft += p.a > 0 && p.a < 255;
        }
        // Anti-aliased outline: partly covered pixels along the edge, not a jagged cut-out.
        EXPECT_GT(soft, size) << "edge pixels with partial cover";
    }
    // One drawing scaled to every size: the worm covers the same share of each icon.
    for (const double share : shares)
    {
        EXPECT_GT(share, 0.35);
        EXPECT_LT(share, 0.65);
        EXPECT_NEAR(share, shares.back(), 0.06);
    }
}

TEST(DesktopIcon, PlayersYellowGreenHeadWithEyesThatShowEvenAtSixteenPixels)
{
    for (const int size : kSizes)
    {
        SCOPED_TRACE("size " + std::to_string(size));
        const Icon icon = LoadIcon(size);
        ASSERT_EQ(icon.pixels.size(), std::size_t(size * size));
        int green = 0, white = 0, dark = 0;
        for (const Rgba& p : icon.pixels)
        {
            if (p.a < 255)
                continue;
            green += p.g > 150 && p.r > 100 && p.r < p.g && p.b < 100;
            white += p.r > 200 && p.g > 200 && p.b > 200;
            dark += p.r < 70 && p.g < 70 && p.b < 70;
        }
        const int area = size * size;
        EXPECT_GT(green, area / 12) << "the worm is the player's yellow-green";
        // Two eye whites and their pupils, a few pixels each even at the smallest size.
        EXPECT_GE(white, std::max(4, area / 200));
        EXPECT_GE(dark, std::max(2, area / 400));
    }
}

} // namespace
