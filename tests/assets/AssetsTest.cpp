// Checks the generated assets as the game will read them: embedded pictures and sounds, and the
// worm pictures and music written to the program directory.
#include "assets/Assets.h"
#include "support/Environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

struct Rgb
{
    int r = 0, g = 0, b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBoardGreen{0, 128, 0};

std::uint32_t Le16(std::span<const std::uint8_t> b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8);
}
std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at)
{
    return Le16(b, at) | (Le16(b, at + 2) << 16);
}
std::uint32_t Be16(std::span<const std::uint8_t> b, std::size_t at)
{
    return (b[at] << 8) | b[at + 1];
}
std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at)
{
    return (Be16(b, at) << 16) | Be16(b, at + 2);
}

// A BMP read the strict way: every header field the game's loader may rely on is checked.
struct Picture
{
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<Rgb> pixels; // top row first

    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Picture ParseBmp(std::span<const std::uint8_t> bytes)
{
    Picture p;
    EXPECT_GE(bytes.size(), 54u);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
    {
        ADD_FAILURE() << "not a BMP";
        return p;
    }
    EXPECT_EQ(Le32(bytes, 2), bytes.size()) << "file size field";
    EXPECT_EQ(Le32(bytes, 14), 40u) << "BITMAPINFOHEADER";
    p.width = static_cast<int>(Le32(bytes, 18));
    const auto height = static_cast<std::int32_t>(Le32(bytes, 22));
    EXPECT_GT(height, 0) << "rows stored bottom-up";
    p.height = height;
    EXPECT_EQ(Le16(bytes, 26), 1u) << "planes";
    p.bitsPerPixel = static_cast<int>(Le16(bytes, 28));
    EXPECT_EQ(Le32(bytes, 30), 0u) << "uncompressed";
    const std::uint32_t stride =
        ((static_cast<std::uint32_t>(p.width) * p.bitsPerPixel + 31) / 32) * 4;
    const std::uint32_t offset = Le32(bytes, 10);
    const std::uint32_t paletteEntries =
        p.bitsPerPixel == 8 ? (Le32(bytes, 46) == 0 ? 256 : Le32(bytes, 46)) : 0;
    EXPECT_EQ(offset, 54 + paletteEntries * 4);
    EXPECT_EQ(bytes.size(), offset + stride * static_cast<std::uint32_t>(p.height));
    if (bytes.size() != offset + stride * static_cast<std::uint32_t>(p.height) ||
        (p.bitsPerPixel != 8 && p.bitsPerPixel != 24))
    {
        ADD_FAILURE() << "unexpected layout, " << p.bitsPerPixel << " bits";
        return p;
    }
    for (int y = 0; y < p.height; ++y)
    {
        const std::size_t row = offset + static_cast<std::size_t>(p.height - 1 - y) * stride;
        for (int x = 0; x < p.width; ++x)
        {
            if (p.bitsPerPixel == 24)
            {
                const std::size_t at = row + 3 * static_cast<std::size_t>(x);
                p.pixels.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
            }
            else
            {
                const std::uint32_t index = bytes[row + static_cast<std::size_t>(x)];
                EXPECT_LT(index, paletteEntries);
                const std::size_t at = 54 + 4 * index;
                p.pixels.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
            }
        }
    }
    return p;
}

Picture Embedded(const std::string& name)
{
    const auto bytes = assets::Find(name);
    EXPECT_FALSE(bytes.empty()) << name << " is not embedded";
    return ParseBmp(bytes);
}

bool IsYellow(Rgb c)
{
    return c.r > 180 && c.g > 140 && c.b < 120;
}
bool IsCyan(Rgb c)
{
    return c.r < 140 && c.g > 150 && c.b > 170;
}
// The death-match players' colours, lightened: lime (player 1's worm) and blue (player 2's).
bool IsLime(Rgb c)
{
    return c.g > 120 && c.g > c.r + 15 && c.r > c.b + 30;
}
bool IsBlue(Rgb c)
{
    return c.b > 120 && c.b > c.g + 40 && c.g > c.r;
}
// Red, or the white of its highlight; never black.
bool IsRedOrHighlight(Rgb c)
{
    return c != kBlack && c.r >= c.g && c.r >= c.b;
}

TEST(EmbeddedPictures, HaveTheirSizesAndDepths)
{
    struct Expected
    {
        std::string name;
        int width, height, bits;
    };
    const Expected expected[] = {
        {"button.bmp", 28, 27, 24},
        {"grid.bmp", 436, 436, 8},
        {"target_yellow.bmp", 65, 13, 24},
        {"target_lime.bmp", 65, 13, 24},
        {"target_blue.bmp", 65, 13, 24},
        {"ball_yellow.bmp", 16, 16, 24},
        {"ball_lime.bmp", 16, 16, 24},
        {"ball_blue.bmp", 16, 16, 24},
        {"strip3.bmp", 42, 14, 8},
        {"worm_left.bmp", 46, 35, 24},
        {"worm_right.bmp", 46, 35, 24},
        {"worm_up.bmp", 35, 46, 24},
        {"worm_down.bmp", 35, 46, 24},
        {"worm_left_small.bmp", 32, 24, 24},
        {"worm_right_small.bmp", 32, 24, 24},
        {"worm_up_small.bmp", 24, 32, 24},
        {"worm_down_small.bmp", 24, 32, 24},
    };
    for (const Expected& e : expected)
    {
        SCOPED_TRACE(e.name);
        const Picture p = Embedded(e.name);
        EXPECT_EQ(p.width, e.width);
        EXPECT_EQ(p.height, e.height);
        EXPECT_EQ(p.bitsPerPixel, e.bits);
    }
    EXPECT_TRUE(assets::Find("no_such_asset.bmp").empty());
    EXPECT_TRUE(assets::Find("").empty());
}

TEST(EmbeddedPictures, GridHasBlackLinesEveryFifteenPixelsAndWhiteCells)
{
    const Picture grid = Embedded("grid.bmp");
    ASSERT_EQ(grid.pixels.size(), 436u * 436u);
    for (int y = 0; y < 436; ++y)
    {
        for (int x = 0; x < 436; ++x)
        {
            const bool line = x % 15 == 0 || y % 15 == 0;
            ASSERT_EQ(grid.At(x, y), line ? kBlack : kWhite) << "at " << x << "," << y;
        }
    }
}

// A target frame's ball must be solid: a pixel of the transparent green enclosed by ball pixels
// in its row and column would show the board through the ball.
void ExpectSolidBall(const Picture& strip, int frame, bool (*isBallColour)(Rgb))
{
    const int x0 = frame * 13;
    const Rgb centre = strip.At(x0 + 6, 6);
    EXPECT_TRUE(isBallColour(centre))
        << "frame " << frame << " centre " << centre.r << "," << centre.g << "," << centre.b;
    for (int y = 0; y < 13; ++y)
    {
        for (int x = x0; x < x0 + 13; ++x)
        {
            if (strip.At(x, y) != kBoardGreen)
            {
                continue;
            }
            bool left = false, right = false, up = false, down = false;
            for (int i = x0; i < x; ++i)
                left |= strip.At(i, y) != kBoardGreen;
            for (int i = x + 1; i < x0 + 13; ++i)
                right |= strip.At(i, y) != kBoardGreen;
            for (int j = 0; j < y; ++j)
                up |= strip.At(x, j) != kBoardGreen;
            for (int j = y + 1; j < 13; ++j)
                down |= strip.At(x, j) != kBoardGreen;
            EXPECT_FALSE(left && right && up && down) << "hole at " << x << "," << y;
        }
    }
}

TEST(EmbeddedPictures, TargetStripsShrinkOnTransparentGreen)
{
    for (const auto& [name, isBallColour] :
         {std::pair{"target_yellow.bmp", &IsYellow}, std::pair{"target_lime.bmp", &IsLime},
          std::pair{"target_blue.bmp", &IsBlue}})
    {
        SCOPED_TRACE(name);
        const Picture strip = Embedded(name);
        ASSERT_EQ(strip.pixels.size(), 65u * 13u);
        // The loader takes the bottom-left pixel as the transparent colour.
        EXPECT_EQ(strip.At(0, 12), kBoardGreen);
        int previousArea = 13 * 13 + 1;
        for (int frame = 0; frame < 5; ++frame)
        {
            EXPECT_EQ(strip.At(frame * 13, 0), kBoardGreen);
            EXPECT_EQ(strip.At(frame * 13 + 12, 12), kBoardGreen);
            int area = 0;
            for (int y = 0; y < 13; ++y)
            {
                for (int x = frame * 13; x < frame * 13 + 13; ++x)
                {
                    area += strip.At(x, y) != kBoardGreen;
                }
            }
            EXPECT_LT(area, previousArea) << "frame " << frame << " does not shrink";
            EXPECT_GT(area, 8) << "frame " << frame << " is almost empty";
            previousArea = area;
            ExpectSolidBall(strip, frame, isBallColour);
        }
    }
}

TEST(EmbeddedPictures, BallsSitOnBlack)
{
    const Picture button = Embedded("button.bmp");
    ASSERT_EQ(button.pixels.size(), 28u * 27u);
    for (const auto& [x, y] : {std::pair{0, 0}, {27, 0}, {0, 26}, {27, 26}})
    {
        EXPECT_EQ(button.At(x, y), kBlack);
    }
    // Drawn transparent with black: a black pixel inside the ball would be a hole.
    for (int y = 0; y < 27; ++y)
    {
        for (int x = 0; x < 28; ++x)
        {
            if (std::hypot(x + 0.5 - 14.0, y + 0.5 - 13.5) < 11.0)
            {
                EXPECT_TRUE(IsRedOrHighlight(button.At(x, y))) << "at " << x << "," << y;
            }
        }
    }
    for (const auto& [name, isBallColour] :
         {std::pair{"ball_yellow.bmp", &IsYellow}, std::pair{"ball_lime.bmp", &IsLime},
          std::pair{"ball_blue.bmp", &IsBlue}})
    {
        SCOPED_TRACE(name);
        const Picture ball = Embedded(name);
        ASSERT_EQ(ball.pixels.size(), 16u * 16u);
        EXPECT_EQ(ball.At(0, 0), kBlack);
        EXPECT_EQ(ball.At(15, 15), kBlack);
        EXPECT_TRUE(isBallColour(ball.At(8, 8)));
    }
}

TEST(EmbeddedPictures, PulseStripHasThreeDifferentFramesOnBlack)
{
    const Picture strip = Embedded("strip3.bmp");
    ASSERT_EQ(strip.pixels.size(), 42u * 14u);
    EXPECT_EQ(strip.At(0, 13), kBlack); // the transparent colour
    std::set<int> areas;
    for (int frame = 0; frame < 3; ++frame)
    {
        EXPECT_NE(strip.At(frame * 14 + 7, 7), kBlack) << "frame " << frame << " has no dot";
        int area = 0;
        for (int y = 0; y < 14; ++y)
        {
            for (int x = frame * 14; x < frame * 14 + 14; ++x)
            {
                area += strip.At(x, y) != kBlack;
            }
        }
        areas.insert(area);
    }
    EXPECT_EQ(areas.size(), 3u);
}

struct Centroid
{
    double x = 0, y = 0;
    int count = 0;
};

TEST(EmbeddedPictures, ControlsWormsPointTheirArrowTheirWay)
{
    for (const std::string size : {"", "_small"})
    {
        for (const std::string way : {"left", "right", "up", "down"})
        {
            const std::string name = "worm_" + way + size + ".bmp";
            SCOPED_TRACE(name);
            const Picture p = Embedded(name);
            ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(p.width * p.height));
            Centroid worm, arrow;
            int black = 0;
            for (int y = 0; y < p.height; ++y)
            {
                for (int x = 0; x < p.width; ++x)
                {
                    const Rgb c = p.At(x, y);
                    Centroid* into = IsYellow(c) ? &worm : IsCyan(c) ? &arrow : nullptr;
                    black += c == kBlack;
                    if (into != nullptr)
                    {
                        into->x += x;
                        into->y += y;
                        ++into->count;
                    }
                }
            }
            ASSERT_GT(worm.count, 20);
            ASSERT_GT(arrow.count, 8);
            EXPECT_GT(black, p.width * p.height / 3) << "the background is black";
            const double dx = arrow.x / arrow.count - worm.x / worm.count;
            const double dy = arrow.y / arrow.count - worm.y / worm.count;
            // How far the arrow lies ahead of the worm, in the picture's direction.
            const double ahead = way == "left" ? -dx : way == "right" ? dx : way == "up" ? -dy : dy;
            EXPECT_GT(ahead, 5);
        }
    }
}

// A sound as the wave player receives it.
struct Sound
{
    std::uint32_t sampleRate = 0;
    std::span<const std::uint8_t> samples;
};

Sound ParseWav(std::span<const std::uint8_t> bytes)
{
    Sound s;
    if (bytes.size() < 44)
    {
        ADD_FAILURE() << "too short";
        return s;
    }
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(bytes, 16), 16u);
    EXPECT_EQ(Le16(bytes, 20), 1u) << "PCM";
    EXPECT_EQ(Le16(bytes, 22), 1u) << "mono";
    s.sampleRate = Le32(bytes, 24);
    EXPECT_EQ(Le32(bytes, 28), s.sampleRate) << "bytes per second";
    EXPECT_EQ(Le16(bytes, 32), 1u) << "block align";
    EXPECT_EQ(Le16(bytes, 34), 8u) << "bits";
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    const std::uint32_t size = Le32(bytes, 40);
    if (44 + size > bytes.size())
    {
        ADD_FAILURE() << "data chunk runs past the file";
        return s;
    }
    s.samples = bytes.subspan(44, size);
    return s;
}

double Rms(std::span<const std::uint8_t> samples)
{
    double sum = 0;
    for (const std::uint8_t v : samples)
    {
        sum += (v - 128.0) * (v - 128.0);
    }
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

TEST(EmbeddedSounds, AreEightBitMonoWavesOfExactLengthsWithoutClipping)
{
    const std::map<std::string, std::size_t> lengths{
        {"pop.wav", 12224}, {"hrum.wav", 69358}, {"deadsound.wav", 130048}};
    for (const auto& [name, length] : lengths)
    {
        SCOPED_TRACE(name);
        const Sound s = ParseWav(assets::Find(name));
        EXPECT_EQ(s.sampleRate, 22050u);
        ASSERT_EQ(s.samples.size(), length);
        const auto [lo, hi] = std::minmax_element(s.samples.begin(), s.samples.end());
        EXPECT_GT(*lo, 0);
        EXPECT_LT(*hi, 255);
        // Peak no louder than -3 dBFS, but clearly audible.
        const int peak = std::max(128 - *lo, *hi - 128);
        EXPECT_LE(peak, 91);
        EXPECT_GE(peak, 45);
        // Starting and ending at rest: no click when the sound starts or is cut off at its end.
        EXPECT_NEAR(s.samples.front(), 128, 1);
        EXPECT_NEAR(s.samples.back(), 128, 1);
        for (std::size_t i = 0; i < 2; ++i)
        {
            EXPECT_NEAR(s.samples[i], 128, 3) << "sample " << i;
            EXPECT_NEAR(s.samples[length - 1 - i], 128, 3) << "sample " << length - 1 - i;
        }
    }
}

TEST(EmbeddedSounds, EnvelopesHaveTheirShapes)
{
    const auto second = [](const Sound& s, double from, double to)
    {
        return s.samples.subspan(static_cast<std::size_t>(from * 22050),
                                 static_cast<std::size_t>((to - from) * 22050));
    };
    // The pop is over quickly and its tail dies away.
    const Sound pop = ParseWav(assets::Find("pop.wav"));
    ASSERT_EQ(pop.samples.size(), 12224u);
    EXPECT_GT(Rms(second(pop, 0.0, 0.05)), 10 * Rms(second(pop, 0.25, 0.55)));
    // Eating is a run of bites: loud and quiet stretches alternate throughout.
    const Sound hrum = ParseWav(assets::Find("hrum.wav"));
    ASSERT_EQ(hrum.samples.size(), 69358u);
    int bites = 0;
    bool loud = false;
    for (double t = 0; t + 0.05 <= 3.1; t += 0.05)
    {
        const double level = Rms(second(hrum, t, t + 0.05));
        if (!loud && level > 8)
            ++bites;
        loud = level > 8 ? true : level < 5 ? false : loud;
    }
    EXPECT_GE(bites, 4);
    // Dying carries on for seconds and fades to silence.
    const Sound dead = ParseWav(assets::Find("deadsound.wav"));
    ASSERT_EQ(dead.samples.size(), 130048u);
    for (double t = 0; t < 4.5; t += 0.5)
    {
        EXPECT_GT(Rms(second(dead, t, t + 0.5)), 5) << "at " << t << " s";
    }
    EXPECT_LT(Rms(second(dead, 5.6, 5.89)), 1.5);
}

std::filesystem::path ProgramDir()
{
    const std::filesystem::path& dir = testsupport::BuiltProgramFolder();
    return dir.empty() ? std::filesystem::current_path() : dir;
}

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ProgramDirectory, WormPicturesAreCellSizedDistinctBeadsOnTheBoardsGreen)
{
    std::vector<Rgb> colours;
    for (int n = 0; n <= 8; ++n)
    {
        // Drawn opaque over a cell, at its size and finer: around the ball, the board's green.
        for (const std::string k : {"@2x", "@4x", ""})
        {
            const auto path = ProgramDir() / ("b" + std::to_string(n) + k + ".bmp");
            SCOPED_TRACE(path.string());
            const Picture p = ParseBmp(ReadFile(path));
            const int side = 14 * (k.empty() ? 1 : k[1] - '0');
            ASSERT_EQ(p.width, side);
            ASSERT_EQ(p.height, side);
            int outside = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    if (std::hypot(x + 0.5 - side / 2.0, y + 0.5 - side / 2.0) > side / 2.0 + 0.75)
                    {
                        ++outside;
                        ASSERT_EQ(p.At(x, y), kBoardGreen) << x << "," << y;
                    }
            EXPECT_GE(outside, 8);
        }
        const auto path = ProgramDir() / ("b" + std::to_string(n) + ".bmp");
        const Bytes bytes = ReadFile(path);
        const Picture p = ParseBmp(bytes);
        EXPECT_EQ(p.bitsPerPixel, 24);
        ASSERT_EQ(p.pixels.size(), 196u);
        // Drawn opaque over the board: the middle of the picture is the worm's own colour.
        Rgb sum;
        for (int y = 4; y < 10; ++y)
        {
            for (int x = 4; x < 10; ++x)
            {
                sum = {sum.r + p.At(x, y).r, sum.g + p.At(x, y).g, sum.b + p.At(x, y).b};
            }
        }
        colours.push_back({sum.r / 36, sum.g / 36, sum.b / 36});
    }
    const auto distance = [](Rgb a, Rgb b)
    {
        return std::hypot(a.r - b.r, a.g - b.g, a.b - b.b);
    };
    for (std::size_t i = 0; i < colours.size(); ++i)
    {
        EXPECT_GT(distance(colours[i], kBoardGreen), 80) << "b" << i << " vanishes on the board";
        for (std::size_t j = i + 1; j < colours.size(); ++j)
        {
            EXPECT_GT(distance(colours[i], colours[j]), 50) << "b" << i << " and b" << j;
        }
    }
    // The two death-match players: b0 and b2.
    EXPECT_GT(distance(colours[0], colours[2]), 150);
}

// Reads one MIDI variable-length number.
std::uint32_t ReadVariable(std::span<const std::uint8_t> data, std::size_t& at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4 && at < data.size(); ++i)
    {
        const std::uint8_t b = data[at++];
        value = (value << 7) | (b & 0x7F);
        if ((b & 0x80) == 0)
        {
            return value;
        }
    }
    ADD_FAILURE() << "bad variable-length number";
    return value;
}

TEST(ProgramDirectory, MusicIsAGeneralMidiLoopOfAboutAMinute)
{
    const Bytes file = ReadFile(ProgramDir() / "zbmusic.mid");
    ASSERT_GE(file.size(), 14u);
    const std::span<const std::uint8_t> bytes(file);
    ASSERT_EQ(std::string(file.begin(), file.begin() + 4), "MThd");
    ASSERT_EQ(Be32(bytes, 4), 6u);
    const std::uint32_t format = Be16(bytes, 8);
    const std::uint32_t trackCount = Be16(bytes, 10);
    const std::uint32_t division = Be16(bytes, 12);
    EXPECT_LE(format, 1u);
    ASSERT_EQ(division & 0x8000, 0u) << "ticks per quarter, not SMPTE";
    ASSERT_GT(division, 0u);

    std::map<std::uint32_t, std::uint32_t> tempos; // tick -> microseconds per quarter
    std::set<int> channelsWithNotes;
    std::set<int> channelsWithPrograms;
    std::set<std::uint32_t> endTicks;
    std::size_t at = 14;
    for (std::uint32_t t = 0; t < trackCount; ++t)
    {
        SCOPED_TRACE("track " + std::to_string(t));
        ASSERT_LE(at + 8, file.size());
        ASSERT_EQ(std::string(file.begin() + at, file.begin() + at + 4), "MTrk");
        const std::size_t end = at + 8 + Be32(bytes, at + 4);
        ASSERT_LE(end, file.size());
        std::size_t p = at + 8;
        std::uint32_t tick = 0;
        std::uint8_t status = 0;
        std::map<std::pair<int, int>, int> sounding;
        bool ended = false;
        while (p < end)
        {
            ASSERT_FALSE(ended) << "events after the end of the track";
            tick += ReadVariable(bytes, p);
            if (file[p] & 0x80)
            {
                status = file[p++];
            }
            if (status == 0xFF)
            {
                const std::uint8_t type = file[p++];
                const std::uint32_t length = ReadVariable(bytes, p);
                if (type == 0x51)
                {
                    ASSERT_EQ(length, 3u);
                    tempos[tick] = (file[p] << 16) | (file[p + 1] << 8) | file[p + 2];
                }
                if (type == 0x2F)
                {
                    ended = true;
                    endTicks.insert(tick);
                }
                p += length;
                continue;
            }
            ASSERT_NE(status, 0xF0) << "no system exclusive expected";
            const int kind = status & 0xF0;
            const int channel = status & 0x0F;
            const int data1 = file[p++];
            const int data2 = kind == 0xC0 || kind == 0xD0 ? 0 : file[p++];
            if (kind == 0x90 && data2 > 0)
            {
                channelsWithNotes.insert(channel);
                ++sounding[{channel, data1}];
            }
            else if (kind == 0x80 || kind == 0x90)
            {
                const int before = sounding[{channel, data1}]--;
                EXPECT_GT(before, 0) << "note off without a note on";
            }
            else if (kind == 0xC0)
            {
                channelsWithPrograms.insert(channel);
            }
        }
        EXPECT_TRUE(ended) << "no end-of-track";
        EXPECT_EQ(p, end);
        for (const auto& [note, count] : sounding)
        {
            EXPECT_EQ(count, 0) << "note " << note.second << " still sounding at the end";
        }
        at = end;
    }
    EXPECT_EQ(at, file.size());

    EXPECT_TRUE(channelsWithNotes.contains(9)) << "drums";
    EXPECT_GE(channelsWithNotes.size(), 3u) << "melody, bass and drums";
    EXPECT_GE(channelsWithPrograms.size(), 2u);
    ASSERT_FALSE(tempos.empty());
    // Every track ends together, on a bar line, so that the repeat follows without a seam.
    ASSERT_EQ(endTicks.size(), 1u);
    const std::uint32_t last = *endTicks.begin();
    EXPECT_EQ(last % (4 * division), 0u);

    double seconds = 0;
    std::uint32_t tick = 0;
    std::uint32_t tempo = 500000; // the default until the first tempo event
    for (const auto& [when, microsPerQuarter] : tempos)
    {
        const std::uint32_t upTo = std::min(when, last);
        seconds += double(upTo - tick) / division * tempo / 1e6;
        tick = upTo;
        tempo = microsPerQuarter;
    }
    seconds += double(last - tick) / division * tempo / 1e6;
    EXPECT_GE(seconds, 50.0);
    EXPECT_LE(seconds, 70.0);
}

} // namespace
