// PNG files read back the way a strict loader reads them: 8-bit RGBA, every chunk checked.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport
{

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t Be32(const Bytes& b, std::size_t at)
{
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) |
           (std::uint32_t(b[at + 2]) << 8) | std::uint32_t(b[at + 3]);
}

struct Rgba
{
    int r = 0, g = 0, b = 0, a = 0;
};

struct PngImage
{
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels; // top row first

    const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

inline int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
}

// Reads an 8-bit RGBA PNG the way a strict loader does: signature, chunk checksums, header
// fields, every filter type and the exact amount of image data.
inline PngImage ReadPng(const Bytes& file)
{
    PngImage image;
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
            return image;
        }
        const auto data = file.begin() + at + 8;
        const uLong crc = crc32(0L, file.data() + at + 4, length + 4);
        EXPECT_EQ(crc, Be32(file, at + 8 + length)) << "checksum of " << type;
        if (type == "IHDR")
        {
            EXPECT_EQ(length, 13u);
            image.width = int(Be32(file, at + 8));
            image.height = int(Be32(file, at + 12));
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
    if (!headerSeen || image.width <= 0 || image.height <= 0)
    {
        ADD_FAILURE() << "no usable header";
        return image;
    }
    const std::size_t stride = std::size_t(image.width) * 4;
    Bytes raw((stride + 1) * std::size_t(image.height) + 1); // one spare byte: too much data shows
    uLongf rawSize = raw.size();
    EXPECT_EQ(uncompress(raw.data(), &rawSize, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(rawSize, raw.size() - 1);
    Bytes previous(stride, 0);
    for (int y = 0; y < image.height; ++y)
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
            image.pixels.push_back({row[i], row[i + 1], row[i + 2], row[i + 3]});
        }
        previous = row;
    }
    return image;
}

inline PngImage LoadPng(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return ReadPng(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

} // namespace testsupport
