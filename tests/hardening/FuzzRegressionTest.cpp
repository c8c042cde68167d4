// Inputs the fuzz targets found, kept so that what they broke stays fixed.
#include "settings/SettingsTestSupport.h"

#include "engine/Playback.h"
#include "settings/NumberText.h"

#include <fstream>
#include <iterator>
#include <string>

namespace
{

using namespace settingstest;

// fuzz_number: the two bytes "-0" parse as negative zero, which came back as the average
// "-0,00", a text that no reader of averages expects.
TEST(FuzzRegression, NegativeZeroAverageIsWrittenAsZero)
{
    const std::optional<double> parsed = ParseCommaNumber("-0");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(FormatAverage(*parsed), "0,00");
    EXPECT_EQ(FormatAverage(-0.0), "0,00");
    EXPECT_EQ(FormatAverage(-0.009), "0,00");
    EXPECT_EQ(FormatAverage(-0.01), "-0,01");
    EXPECT_EQ(FormatAverage(0.0), "0,00");
}

class FuzzRegressionFile : public ConfigFolderTest
{
};

// The same through the settings file: a hand-edited "-0,00" average is read and saved back as
// "0,00", as the end-of-game update does for the slots it does not change.
TEST_F(FuzzRegressionFile, HandEditedNegativeZeroAverageIsSavedAsZero)
{
    SetFileText("[HiAverage]\naverage32=-0,00\n");
    TIniFile ini(path_);
    const std::optional<double> average =
        ParseCommaNumber(ini.ReadString("HiAverage", "average32", "0"));
    ASSERT_TRUE(average.has_value());
    ini.WriteString("HiAverage", "average32", FormatAverage(*average));
    EXPECT_EQ(FileText(), "[HiAverage]\naverage32=0,00\n");
}

// The golden death match, which fuzz_playback changed (mending the checksum) for the findings
// below.
engine::Replay GoldenDeathMatch()
{
    std::ifstream in(std::string(ZORBEL_TEST_DATA_DIR) + "/deathmatch-double-death.zr2",
                     std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const engine::ReplayDecoding read =
        engine::Decode(std::span(reinterpret_cast<const std::byte*>(text.data()), text.size()));
    EXPECT_TRUE(read.replay.has_value());
    return read.replay.value_or(engine::Replay{});
}

// With eight computer worms claimed, the match was read, though the game it starts has none.
TEST(FuzzRegression, DeathMatchWithComputerWormsIsRefused)
{
    engine::Replay match = GoldenDeathMatch();
    match.computerWorms = 8;
    EXPECT_EQ(engine::Decode(engine::Encode(match)).error, engine::ReplayError::Corrupt);
}

// Two of player 1's turns up made left, each against its worm's way: refused by the game, they
// left every board as it was, and playback took the file as proved.
TEST(FuzzRegression, TurnsTheGameRefusesAreNoMatch)
{
    engine::Replay match = GoldenDeathMatch();
    for (const std::size_t turn : {55u, 226u})
    {
        ASSERT_EQ(match.turns[turn].direction, engine::kUp);
        match.turns[turn].direction = engine::kLeft;
    }
    engine::Playback playback(*engine::Decode(engine::Encode(match)).replay);
    engine::Game game;
    std::vector<engine::Event> events;
    playback.Start(game);
    while (playback.Step(game))
        game.TakeEvents(events);
    EXPECT_EQ(game.StateHash(), match.boardHash);
    EXPECT_FALSE(playback.Matches(game));
}

} // namespace
