// The replay file: its exact bytes, round trips of both modes, and every kind of refused file.
#include "engine/Replay.h"

#include "engine/Board.h"

#include "support/SampleReplay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using engine::Decode;
using engine::Encode;
using engine::Replay;
using engine::ReplayError;
using Bytes = std::vector<std::byte>;

ReplayError ErrorOf(const Bytes& bytes)
{
    return Decode(bytes).error;
}

Replay DeathMatch()
{
    Replay r;
    r.mode = engine::ReplayMode::DeathMatch;
    r.probability = 99;
    r.interval = 999;
    r.computerWorms = 0;
    r.seed = ~std::uint64_t{0};
    r.players = {{"J\u00fcrgen \u65e5\u672c", 7, 800}, {"", 9, 10}};
    // Two turns in one tick, both players, and the largest distance between ticks.
    r.turns = {{0, 1, engine::kDown},
               {0, 0, engine::kUp},
               {1, 1, engine::kRight},
               {0xFFFFFFFEu, 0, engine::kLeft}};
    r.ticks = 0xFFFFFFFFu;
    r.boardHash = 42;
    return r;
}

// The layout as docs/replay-format.md spells it, computed apart from the writer.
TEST(ReplayTest, WritesTheDocumentedBytes)
{
    Replay r;
    r.level = 4;
    r.interval = 80;
    r.computerWorms = 8;
    r.seed = 0x1122334455667788u;
    r.players = {{"Ann", 2, 20}};
    r.turns = {{3, 0, engine::kUp}, {3, 0, engine::kLeft}, {200, 0, engine::kDown}};
    r.ticks = 250;
    r.boardHash = 0xDEADBEEFCAFEF00Du;
    const std::string expected = "5a4f5242454c32520100000406005000080188776655443322110300416e6e03"
                                 "0000001a00ab0cfa00000002000000140000000df0fecaefbeaddecc19c6f7";
    std::string hex;
    for (const std::byte b : Encode(r))
    {
        hex += "0123456789abcdef"[std::to_integer<int>(b) >> 4];
        hex += "0123456789abcdef"[std::to_integer<int>(b) & 15];
    }
    EXPECT_EQ(hex, expected);
}

TEST(ReplayTest, BothModesReadBackAsWritten)
{
    for (const Replay& r : {testsupport::SingleGameReplay("Ann", 3, 17), DeathMatch()})
    {
        const engine::ReplayDecoding back = Decode(Encode(r));
        ASSERT_EQ(back.error, ReplayError::None);
        EXPECT_EQ(*back.replay, r);
    }
}

TEST(ReplayTest, LongGameTakesAFewKilobytes)
{
    // A quarter of an hour at 80 ms with a turn every five ticks.
    Replay r = testsupport::SingleGameReplay("Ann", 4, 120);
    r.turns.clear();
    for (std::uint32_t tick = 0; tick < 11'000; tick += 5)
        r.turns.push_back({tick, 0, static_cast<std::uint8_t>(tick % 4)});
    r.ticks = 11'000;
    const Bytes bytes = Encode(r);
    EXPECT_LT(bytes.size(), 4096u);
    EXPECT_EQ(*Decode(bytes).replay, r);
}

TEST(ReplayTest, EveryShortenedOrAlteredFileIsRefused)
{
    const Bytes whole = Encode(DeathMatch());
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_EQ(ErrorOf(Bytes(whole.begin(), whole.begin() + size)), ReplayError::Truncated)
            << size;

    EXPECT_EQ(ErrorOf(Bytes{std::byte{'Z'}, std::byte{'I'}}), ReplayError::NotAReplay);
    for (std::size_t i = 0; i < whole.size(); ++i)
    {
        Bytes flipped = whole;
        flipped[i] ^= std::byte{0x20};
        const ReplayError error = ErrorOf(flipped);
        EXPECT_NE(error, ReplayError::None) << i;
        EXPECT_EQ(error == ReplayError::NotAReplay, i < engine::kReplayMagic.size()) << i;
    }
    Bytes longer = whole;
    longer.push_back(std::byte{0});
    EXPECT_EQ(ErrorOf(longer), ReplayError::Corrupt);
}

TEST(ReplayTest, NewerLayoutIsRefusedAsSuch)
{
    Bytes bytes = Encode(DeathMatch());
    bytes[engine::kReplayMagic.size()] = std::byte{engine::kReplayFormatVersion + 1};
    EXPECT_EQ(ErrorOf(bytes), ReplayError::NewerVersion);
    bytes[engine::kReplayMagic.size()] = std::byte{0};
    EXPECT_EQ(ErrorOf(bytes), ReplayError::Corrupt);
}

// Sizes are checked before anything is allocated for them.
TEST(ReplayTest, AbsurdSizesAreRefused)
{
    const Bytes whole = Encode(testsupport::SingleGameReplay("Ann", 1, 1));
    const std::size_t nameSize = 26;
    const std::size_t turnCount = nameSize + 2 + 3;
    Bytes bytes = whole;
    bytes[nameSize] = std::byte{0xFF};
    bytes[nameSize + 1] = std::byte{0x04};
    EXPECT_EQ(ErrorOf(bytes), ReplayError::TooLarge);
    bytes = whole;
    bytes[turnCount + 3] = std::byte{0x01};
    EXPECT_EQ(ErrorOf(bytes), ReplayError::TooLarge);
    bytes = whole;
    bytes[turnCount + 2] = std::byte{0x01};
    EXPECT_EQ(ErrorOf(bytes), ReplayError::Truncated);
    bytes = whole;
    bytes.resize(engine::kReplayMaxFileBytes + 1);
    EXPECT_EQ(ErrorOf(bytes), ReplayError::TooLarge);

    // A name beyond the bound is cut where a character ends.
    Replay r = testsupport::SingleGameReplay(std::string(1021, 'a') + "\u00e9\u00e9", 1, 1);
    EXPECT_EQ(Decode(Encode(r)).replay->players[0].name, std::string(1021, 'a') + "\u00e9");
}

// Values no game writes, in a file whose checksum holds.
TEST(ReplayTest, ImpossibleGamesAreRefused)
{
    const auto refused = [](void (*change)(Replay&))
    {
        Replay r = testsupport::SingleGameReplay("Ann", 2, 5);
        change(r);
        return ErrorOf(Encode(r)) == ReplayError::Corrupt;
    };
    EXPECT_TRUE(refused([](Replay& r) { r.players.push_back({"Bob", 0, 10}); }));
    EXPECT_TRUE(refused([](Replay& r) { r.turns.back().player = 1; }));
    EXPECT_TRUE(refused([](Replay& r) { r.ticks = r.turns.back().tick - 1; }));
    EXPECT_TRUE(refused([](Replay& r) { r.level = 5; }));
    EXPECT_TRUE(refused([](Replay& r) { r.probability = 0; }));
    EXPECT_TRUE(refused([](Replay& r) { r.computerWorms = 9; }));
    EXPECT_TRUE(refused([](Replay& r) { r.mode = engine::ReplayMode::DeathMatch; }));
    EXPECT_TRUE(refused([](Replay& r) { r.mode = static_cast<engine::ReplayMode>(2); }));
}

} // namespace
