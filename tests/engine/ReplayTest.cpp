// The replay file: its exact bytes, round trips of both modes, and every kind of refused file;
// games recorded and played back on the engine, and the golden replays in tests/data.
#include "engine/Replay.h"

#include "engine/Board.h"
#include "engine/Playback.h"
#include "support/SampleReplay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace
{

using namespace engine;
using Bytes = std::vector<std::byte>;

ReplayError ErrorOf(const Bytes& bytes)
{
    return Decode(bytes).error;
}

// Two turns in one step, both players, the largest distance between steps and interval.
const Replay kDeathMatch{
    .mode = ReplayMode::DeathMatch,
    .probability = 1,
    .interval = 999,
    .computerWorms = 0,
    .seed = ~std::uint64_t{0},
    .turned = 2,
    .players = {{"J\u00fcrgen \u65e5\u672c", 7, 800}, {"", 9, 10}},
    .turns = {{0, 2, kDown}, {0, 1, kUp}, {1, 2, kRight}, {0xFFFFFFFEu, 1, kLeft}},
    .ticks = 0xFFFFFFF0u,
    .steps = 0xFFFFFFFFu,
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
                   .turns = {{3, 1, kUp}, {3, 1, kLeft}, {200, 1, kNone}},
                   .ticks = 250,
                   .steps = 300,
                   .boardHash = 0xDEADBEEFCAFEF00Du};
    std::string hex;
    for (const std::byte b : Encode(r))
        for (const int digit : {std::to_integer<int>(b) >> 4, std::to_integer<int>(b) & 15})
            hex += "0123456789abcdef"[digit];
    EXPECT_EQ(hex, "5a4f5242454c3252010000040600500008010088776655443322110300416e6e03"
                   "0000003200d418fa0000002c01000002000000140000000df0fecaefbeadded995da67");

    // A quarter of an hour at 80 ms with a turn every five ticks takes a few kilobytes.
    Replay longGame = r;
    for (std::uint32_t step = 200; step < 11'000; step += 5)
        longGame.turns.push_back({step, 1, static_cast<std::uint8_t>(step % 5)});
    longGame.ticks = 11'000;
    longGame.steps = 11'100;
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
    // The name's length at 27 (1279 bytes), the turn count at 32 (16 777 256 and 65 576).
    EXPECT_EQ(changed(28, 0x04), ReplayError::TooLarge);
    EXPECT_EQ(changed(35, 0x01), ReplayError::TooLarge);
    EXPECT_EQ(changed(34, 0x01), ReplayError::Truncated);
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

// Values no game writes, in a file whose checksum holds; the skills at the edges of what games
// write are read.
TEST(ReplayTest, ImpossibleGamesAreRefused)
{
    const Replay amateur = testsupport::SingleGameReplay("Ann", 2, 5);
    const Replay custom = testsupport::SingleGameReplay("Ann", 0, 5);
    std::vector<Replay> games(20, amateur);
    games[0].players.push_back({"Bob", 0, 10});
    games[1].turns.back().player = 2;
    games[2].steps = games[2].turns.back().step - 1;
    games[3].level = 5;
    games[4].mode = ReplayMode::DeathMatch;
    games[5].turns.back().direction = kNone + 1;
    games[6].ticks = games[6].steps + 1;
    games[7].turned = 2;
    // A death match's keys only ever turn.
    games[8] = kDeathMatch;
    games[8].turns[0].direction = kNone;
    // A level plays with its own values only, Custom within what its screen sets, a death match
    // with no computer worms.
    games[9].interval = 100;
    games[10].level = 3;
    games[11].computerWorms = 4;
    for (std::size_t i = 12; i < 20; ++i)
        games[i] = i < 16 ? custom : kDeathMatch;
    games[12].probability = 0;
    games[13].probability = 100;
    games[14].interval = 1000;
    games[15].computerWorms = 9;
    games[16].probability = 6;
    games[17].computerWorms = 4;
    games[18].interval = 0;
    games[19].interval = 1000;
    for (const Replay& r : games)
        EXPECT_EQ(ErrorOf(Encode(r)), ReplayError::Corrupt) << (&r - games.data());

    Replay low = custom;
    Replay high = custom;
    Replay fast = kDeathMatch;
    low.probability = low.interval = 1;
    low.computerWorms = 0;
    high.probability = 99;
    high.interval = 999;
    high.computerWorms = 8;
    fast.interval = 1;
    for (const Replay& r : {low, high, fast, testsupport::SingleGameReplay("Ann", 4, 5)})
        EXPECT_EQ(Decode(Encode(r)).replay, r);
}

// A game played with keys from a seeded stream (a pause now and then, with keys pressed in it):
// the board's hash after every step, and its replay.
struct Played
{
    Replay replay;
    std::vector<std::uint64_t> hashes;
    std::uint8_t whoDied = 0;
};

// Keys of either player, some bound to nothing; a steered worm (for long games) turns only onto
// a free cell, and whenever the cell ahead would kill it.
void PressKeys(Game& game, std::mt19937& keys, bool steer)
{
    const bool single = game.GameMode() == Mode::Single;
    const PlayerWorm& worm = single ? game.Player() : game.Player1();
    const auto free = [&](std::uint8_t dir)
    {
        const std::uint8_t code = game.Board().At(Step(worm.sections[1], dir));
        return dir != Opposite(worm.direction) && (code == kEmpty || code == kTarget);
    };
    if (steer && worm.direction != kNone && free(worm.direction) && keys() % 8 != 0)
        return;
    for (auto n = steer ? 1 : keys() % 4 == 0 ? 1 + keys() % 3 : 0; n > 0; --n)
    {
        PlayerTurn turn{static_cast<std::uint8_t>(single ? 1 : 1 + keys() % 2),
                        static_cast<std::uint8_t>(keys() % (single && !steer ? 5 : 4))};
        for (int i = 0; steer && i < 4 && !free(turn.direction); ++i)
            turn.direction = (turn.direction + 1) % 4;
        game.Key(turn.direction == kNone ? std::span<const PlayerTurn>() : std::span(&turn, 1));
    }
}

// A single game to its end, a death match to its bouts-th bout (0: to a double death, or 5000
// steps).
Played Play(const GameStart& start, unsigned keySeed, bool steer = false, int bouts = 4)
{
    Game game;
    std::mt19937 keys(keySeed);
    game.Start(start);
    Played played;
    std::vector<Event> events;
    for (int ended = 0; game.GamePhase() != Phase::Waiting && (bouts == 0 || ended < bouts) &&
                        played.whoDied != kBothDied && game.Steps() < 5000;)
    {
        if (keys() % 97 == 0 && game.TogglePause())
        {
            PressKeys(game, keys, steer); // kept for the step the game resumes at
            game.TogglePause();
        }
        PressKeys(game, keys, steer);
        game.Step();
        played.hashes.push_back(game.StateHash());
        game.TakeEvents(events);
        for (const Event& e : events)
            if (e.kind == EventKind::BoutOver && (++ended, bouts == 0))
                played.whoDied = e.who;
    }
    const std::string names[] = {"Ann", "Bob"};
    played.replay = Record(game, names);
    return played;
}

// The replay read back from its file and played, every step compared; true when it matched.
bool PlaysBack(const Replay& replay, std::span<const std::uint64_t> hashes = {})
{
    const ReplayDecoding read = Decode(Encode(replay));
    EXPECT_TRUE(read.replay.has_value());
    Playback playback(read.replay.value_or(Replay{}));
    Game game;
    playback.Start(game);
    for (std::size_t step = 0; playback.Step(game); ++step)
        if (!hashes.empty() && (step >= hashes.size() || game.StateHash() != hashes[step]))
            return ADD_FAILURE() << "step " << step, false;
    return playback.Matches(game) && game.Steps() == replay.steps;
}

TEST(ReplayPlaybackTest, RecordedGamesPlayBackStepForStep)
{
    for (int level = 1; level <= kCustomLevel; ++level)
    {
        const Played played = Play({Mode::Single,
                                    1000u + level,
                                    LevelSkill(level).value_or(Skill{5, 2, 50, 8}),
                                    {level % 2 == 0, false}},
                                   static_cast<unsigned>(level));
        EXPECT_EQ(played.replay.level, level % kCustomLevel);
        EXPECT_EQ(played.replay.turned, level % 2 == 0 ? 1 : 0);
        EXPECT_TRUE(PlaysBack(played.replay, played.hashes)) << level;
    }
    // A death match over several bouts, keys kept while a loser is erased.
    Played match = Play({Mode::DeathMatch, 77, {0, 1, 60, 0}, {true, true}}, 5);
    EXPECT_GE(match.replay.steps, match.replay.ticks + 4);
    EXPECT_TRUE(PlaysBack(match.replay, match.hashes));
    // Another turn gives another game, and playback says so.
    match.replay.turns[match.replay.turns.size() / 2].direction ^= 1;
    EXPECT_FALSE(PlaysBack(match.replay));
}

// Games of an earlier build that this one must still play to their recorded end: a change of the
// rules or the generator shows here first. The disabled test below wrote them, run in tests/data
// as test_engine --gtest_also_run_disabled_tests --gtest_filter='*WriteGolden*'; rewrite them
// only for a new format.
const char* const kGoldenReplays[] = {"master-long.zr2", "custom-8-worms.zr2",
                                      "deathmatch-double-death.zr2"};

TEST(ReplayPlaybackTest, GoldenReplaysPlayToTheirRecordedEnd)
{
    for (const char* name : kGoldenReplays)
    {
        std::ifstream in(std::string(ZORBEL_TEST_DATA_DIR) + "/" + name, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        const ReplayDecoding read =
            Decode(std::span(reinterpret_cast<const std::byte*>(text.data()), text.size()));
        ASSERT_TRUE(read.replay.has_value()) << name;
        EXPECT_TRUE(PlaysBack(*read.replay)) << name;
    }
}

TEST(ReplayPlaybackTest, DISABLED_WriteGoldenReplays)
{
    // The longest of fifty steered single games, and the first death match to a double death.
    const auto longest = [](Skill skill)
    {
        Played best;
        for (unsigned keys = 11; keys < 61; ++keys)
            if (Played game = Play({Mode::Single, 0x5EED0000 + keys, skill, {}}, keys, true);
                game.replay.ticks > best.replay.ticks)
                best = std::move(game);
        return best;
    };
    Played match;
    for (unsigned keys = 13; match.whoDied != kBothDied; ++keys)
        match = Play({Mode::DeathMatch, 0x5EED0003, {0, 1, 100, 0}, {}}, keys, false, 0);
    const Played games[] = {longest(*LevelSkill(4)), longest({kCustomLevel, 3, 70, 8}), match};
    for (std::size_t i = 0; i < std::size(games); ++i)
    {
        const std::vector<std::byte> bytes = Encode(games[i].replay);
        std::ofstream(kGoldenReplays[i], std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
}

} // namespace
