// The desktop icons as a desktop reads them: strict PNG files of the right sizes, a transparent
// background, the player's yellow-green worm head with eyes that still show at 16 pixels.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

constexpr std::array<int, 6> kSizes{16, 32, 48, 64, 128, 256};

std::uint32_t Be32(const Bytes& b, std::size_t at)
{
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) |
           (std::uint32_t(b[at + 2]) << 8) | std::uint32_t(b[at + 3]);
}

struct Rgba
{
    int r = 0, g = 0, b = 0, a = 0;
};

struct Icon
{
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels; // top row first

    const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
}

// Reads an 8-bit RGBA PNG the way a strict loader does: signature, chunk checksums, header
// fields, every filter type and the exact amount of image data.
Icon ReadPng(const Bytes& file)
{
    Icon icon;
    const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(file.size() > 8 && std::equal(signature.begin(), signature.end(), file.begin()));
    Bytes packed;
    bool ended = false;
    bool headerSeen = false;
    for (std::size_t at = 8; at + 12 <= file.size() && !ended;)
    {
        const std::uint32_t length = Be32(file, at);
        const std::string type(file.begin() + at + 4, file.begin() + at + 8);
        if (at + 12 + length > file.size())
        {
            ADD_FAILURE() << type << " runs past the end of the file";
            return icon;
        }
        const auto data = file.begin() + at + 8;
        const uLong crc = crc32(0L, file.data() + at + 4, length + 4);
        EXPECT_EQ(crc, Be32(file, at + 8 + length)) << "checksum of " << type;
        if (type == "IHDR")
        {
            EXPECT_EQ(length, 13u);
            icon.width = int(Be32(file, at + 8));
            icon.height = int(Be32(file, at + 12));
            EXPECT_EQ(data[8], 8) << "bits per channel";
            EXPECT_EQ(data[9], 6) << "colour type RGBA";
            EXPECT_EQ(data[10], 0);
            EXPECT_EQ(data[11], 0);
            EXPECT_EQ(data[12], 0) << "interlaced";
            headerSeen = true;
        }
        else if (type == "IDAT")
        {
            EXPECT_TRUE(headerSeen) << "image data before the header";
            packed.insert(packed.end(), data, data + length);
        }
        else if (type == "IEND")
        {
            EXPECT_EQ(length, 0u);
            ended = true;
            EXPECT_EQ(at + 12, file.size()) << "bytes after IEND";
        }
        at += 12 + length;
    }
    EXPECT_TRUE(ended) << "no IEND chunk";
    if (!headerSeen || icon.width <= 0 || icon.height <= 0)
    {
        ADD_FAILURE() << "no usable header";
        return icon;
    }
    const std::size_t stride = std::size_t(icon.width) * 4;
    Bytes raw((stride + 1) * std::size_t(icon.height) + 1); // one spare byte: too much data shows
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &rawSize, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(rawSize, raw.size() - 1);
    Bytes previous(stride, 0);
    for (int y = 0; y < icon.height; ++y)
    {
        const std::uint8_t* line = raw.data() + std::size_t(y) * (stride + 1);
        const int filter = line[0];
        EXPECT_LE(filter, 4) << "row " << y;
        Bytes row(stride);
        for (std::size_t i = 0; i < stride; ++i)
        {
            const int left = i >= 4 ? row[i - 4] : 0;
            const int up = previous[i];
            const int upLeft = i >= 4 ? previous[i - 4] : 0;
            const int predictor = filter == 1   ? left
                                  : filter == 2 ? up
                                  : filter == 3 ? (left + up) / 2
                                  : filter == 4 ? Paeth(left, up, upLeft)
                                                : 0;
            row[i] = std::uint8_t(line[1 + i] + predictor);
        }
        for (std::size_t i = 0; i < stride; i += 4)
        {
            icon.pixels.push_back({row[i], row[i + 1], row[i + 2], row[i + 3]});
        }
        previous = row;
    }
    return icon;
}

Icon LoadIcon(int size)
{
    const auto path =
        std::filesystem::path(ZORBEL_ICON_DIR) / ("icon_" + std::to_string(size) + ".png");
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return ReadPng(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
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
