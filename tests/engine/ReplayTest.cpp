// The replay file: its exact bytes, round trips of both modes, and every kind of refused file.
#include "engine/Replay.h"

#include "engine/Board.h"
#include "support/SampleReplay.h"

#include <gtest/gtest.h>

namespace
{

using namespace engine;
using Bytes = std::vector<std::byte>;

ReplayError ErrorOf(const Bytes& bytes)
{
    return Decode(bytes).error;
}

// Two turns in one tick, both players, and the largest distance between ticks.
const Replay kDeathMatch{
    .mode = ReplayMode::DeathMatch,
    .probability = 99,
    .interval = 999,
    .computerWorms = 0,
    .seed = ~std::uint64_t{0},
    .players = {{"J\u00fcrgen \u65e5\u672c", 7, 800}, {"", 9, 10}},
    .turns = {{0, 1, kDown}, {0, 0, kUp}, {1, 1, kRight}, {0xFFFFFFFEu, 0, kLeft}},
    .ticks = 0xFFFFFFFFu,
    .boardHash = 42};

// The example of docs/replay-format.md, computed apart from the writer; long games and both
// modes read back as written.
TEST(ReplayTest, WritesTheDocumentedBytesAndReadsBack)
{
    const Replay r{.level = 4,
                   .interval = 80,
                   .computerWorms = 8,
                   .seed = 0x1122334455667788u,
                   .players = {{"Ann", 2, 20}},
                   .turns = {{3, 0, kUp}, {3, 0, kLeft}, {200, 0, kDown}},
                   .ticks = 250,
                   .boardHash = 0xDEADBEEFCAFEF00Du};
    std::string hex;
    for (const std::byte b : Encode(r))
        for (const int digit : {std::to_integer<int>(b) >> 4, std::to_integer<int>(b) & 15})
            hex += "0123456789abcdef"[digit];
    EXPECT_EQ(hex, "5a4f5242454c32520100000406005000080188776655443322110300416e6e03"
                   "0000001a00ab0cfa00000002000000140000000df0fecaefbeaddecc19c6f7");

    // A quarter of an hour at 80 ms with a turn every five ticks takes a few kilobytes.
    Replay longGame = r;
    for (std::uint32_t tick = 200; tick < 11'000; tick += 5)
        longGame.turns.push_back({tick, 0, static_cast<std::uint8_t>(tick % 4)});
    longGame.ticks = 11'000;
    EXPECT_LT(Encode(longGame).size(), 4096u);
    for (const Replay& replay : {r, longGame, kDeathMatch})
        EXPECT_EQ(Decode(Encode(replay)).replay, replay);
}

TEST(ReplayTest, ShortenedAlteredAndNewerFilesAreRefused)
{
    const Bytes whole = Encode(kDeathMatch);
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_EQ(ErrorOf(Bytes(whole.begin(), whole.begin() + size)), ReplayError::Truncated);
    EXPECT_EQ(ErrorOf(Bytes{std::byte{'Z'}, std::byte{'I'}}), ReplayError::NotAReplay);
    for (std::size_t i = 0; i < whole.size(); ++i)
    {
        Bytes flipped = whole;
        flipped[i] ^= std::byte{0x20};
        const ReplayError error = ErrorOf(flipped);
        EXPECT_NE(error, ReplayError::None) << i;
        EXPECT_EQ(error == ReplayError::NotAReplay, i < kReplayMagic.size()) << i;
    }
    Bytes bytes = whole;
    bytes.push_back(std::byte{0});
    EXPECT_EQ(ErrorOf(bytes), ReplayError::Corrupt);

    bytes = whole;
    bytes[kReplayMagic.size()] = std::byte{kReplayFormatVersion + 1};
    EXPECT_EQ(ErrorOf(bytes), ReplayError::NewerVersion);
    bytes[kReplayMagic.size()] = std::byte{0};
    EXPECT_EQ(ErrorOf(bytes), ReplayError::Corrupt);
}

// Sizes are checked before anything is allocated for them.
TEST(ReplayTest, AbsurdSizesAreRefused)
{
    const Bytes whole = Encode(testsupport::SingleGameReplay("Ann", 1, 1));
    const auto changed = [&](std::size_t at, std::uint8_t value)
    {
        Bytes bytes = whole;
        bytes[at] = std::byte{value};
        return ErrorOf(bytes);
    };
    // The name's length at 26 (1279 bytes), the turn count at 31 (16 777 256 and 65 576).
    EXPECT_EQ(changed(27, 0x04), ReplayError::TooLarge);
    EXPECT_EQ(changed(34, 0x01), ReplayError::TooLarge);
    EXPECT_EQ(changed(33, 0x01), ReplayError::Truncated);
    Bytes huge = whole;
    huge.resize(kReplayMaxFileBytes + 1);
    EXPECT_EQ(ErrorOf(huge), ReplayError::TooLarge);

    // A name beyond the bound is written cut where a character ends.
    const std::string name = std::string(1021, 'a') + "\u00e9";
    EXPECT_EQ(Decode(Encode(testsupport::SingleGameReplay(name + "\u00e9", 1, 1)))
                  .replay->players[0]
                  .name,
              name);
}

// Values no game writes, in a file whose checksum holds.
TEST(ReplayTest, ImpossibleGamesAreRefused)
{
    std::vector<Replay> games(7, testsupport::SingleGameReplay("Ann", 2, 5));
    games[0].players.push_back({"Bob", 0, 10});
    games[1].turns.back().player = 1;
    games[2].ticks = games[2].turns.back().tick - 1;
    games[3].level = 5;
    games[4].probability = 0;
    games[5].computerWorms = 9;
    games[6].mode = ReplayMode::DeathMatch;
    for (const Replay& r : games)
        EXPECT_EQ(ErrorOf(Encode(r)), ReplayError::Corrupt);
}

} // namespace
