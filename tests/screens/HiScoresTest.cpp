// The records tables: entering games, climbing, a full table, averages and the whole-or-nothing
// save, checked in the settings file.
#include "screens/HiScores.h"

#include "support/FileSizeLimit.h"
#include "support/TempConfig.h"

#include <string>

#include <gtest/gtest.h>

namespace
{

using testsupport::TempConfig;

constexpr const char* kMissing = "<missing>";

struct SlotText
{
    std::string name, score, games, eaten, average;
    bool operator==(const SlotText&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SlotText& s)
{
    return out << "{" << s.name << ", " << s.score << ", " << s.games << ", " << s.eaten << ", "
               << s.average << "}";
}

class HiScoresTest : public ::testing::Test
{
protected:
    SlotText Slot(int level, int slot) const
    {
        const std::string ls = std::to_string(level) + std::to_string(slot);
        return {ini.ReadString("HiNames", "name" + ls, kMissing),
                ini.ReadString("HiScores", "score" + ls, kMissing),
                ini.ReadString("HiGames", "games" + ls, kMissing),
                ini.ReadString("HiEaten", "eaten" + ls, kMissing),
                ini.ReadString("HiAverage", "average" + ls, kMissing)};
    }

    void Play(int level, const std::string& user, std::initializer_list<int> scores)
    {
        for (const int score : scores)
            RecordGame(ini, level, user, score);
    }

    TempConfig config;
    TIniFile ini{ConfigFilePath()};
};

const SlotText kFree{"", "0", "0", "0", "0,00"};

TEST_F(HiScoresTest, FirstGameWritesAllSevenSlotsAndALaterBetterScoreClimbs)
{
    const HiScoreOutcome anna = RecordGame(ini, 3, "ANNA", 12);
    EXPECT_EQ(anna.slot, 1);
    EXPECT_FALSE(anna.orderChanged);
    EXPECT_EQ(Slot(3, 1), (SlotText{"ANNA", "12", "1", "12", "12,00"}));
    for (int s = 2; s <= 7; ++s)
        EXPECT_EQ(Slot(3, s), kFree) << "slot " << s;
    EXPECT_EQ(Slot(3, 8).name, kMissing);
    EXPECT_EQ(Slot(2, 1).name, kMissing) << "other levels untouched";

    const HiScoreOutcome bob = RecordGame(ini, 3, "BOB", 20);
    EXPECT_EQ(bob.slot, 1);
    EXPECT_TRUE(bob.orderChanged);
    EXPECT_EQ(Slot(3, 1), (SlotText{"BOB", "20", "1", "20", "20,00"}));
    EXPECT_EQ(Slot(3, 2), (SlotText{"ANNA", "12", "1", "12", "12,00"}));
    EXPECT_EQ(Slot(3, 3), kFree);

    EXPECT_EQ(GetUserId(ini, 3, "BOB"), 1);
    EXPECT_EQ(GetUserId(ini, 3, "ANNA"), 2);
    EXPECT_EQ(GetUserId(ini, 3, "anna"), -1) << "names match with their letter case";
    EXPECT_EQ(GetUserId(ini, 3, "CARL"), -1);
    EXPECT_EQ(GetUserId(ini, 4, "BOB"), -1);

    // An equal score does not climb: the comparison is strict.
    const HiScoreOutcome equal = RecordGame(ini, 3, "ANNA", 20);
    EXPECT_EQ(equal.slot, 2);
    EXPECT_FALSE(equal.orderChanged);
    EXPECT_EQ(Slot(3, 1), (SlotText{"BOB", "20", "1", "20", "20,00"}));
    EXPECT_EQ(Slot(3, 2), (SlotText{"ANNA", "20", "2", "32", "16,00"}));

    // Below the own best: place and best kept, the counts move on.
    const HiScoreOutcome lower = RecordGame(ini, 3, "BOB", 5);
    EXPECT_EQ(lower.slot, 1);
    EXPECT_FALSE(lower.orderChanged);
    EXPECT_EQ(Slot(3, 1), (SlotText{"BOB", "20", "2", "25", "12,50"}));
}

TEST_F(HiScoresTest, ClimbStopsBelowTheFirstEqualOrHigherBest)
{
    Play(1, "A", {30});
    Play(1, "B", {20});
    Play(1, "C", {10});
    Play(1, "D", {5});
    const HiScoreOutcome d = RecordGame(ini, 1, "D", 20);
    EXPECT_EQ(d.slot, 3);
    EXPECT_TRUE(d.orderChanged);
    EXPECT_EQ(Slot(1, 1).name, "A");
    EXPECT_EQ(Slot(1, 2).name, "B");
    EXPECT_EQ(Slot(1, 3), (SlotText{"D", "20", "2", "25", "12,50"}));
    EXPECT_EQ(Slot(1, 4), (SlotText{"C", "10", "1", "10", "10,00"}));
}

TEST_F(HiScoresTest, FullTableKeepsOutAnEqualNewcomerAndLetsInABetterOne)
{
    const char* users[] = {"U1", "U2", "U3", "U4", "U5", "U6", "U7"};
    for (int i = 0; i < 7; ++i)
        RecordGame(ini, 4, users[i], 70 - 10 * i);
    ASSERT_EQ(Slot(4, 7), (SlotText{"U7", "10", "1", "10", "10,00"}));
    const std::string full = TempConfig::FileText();

    const HiScoreOutcome out = RecordGame(ini, 4, "NEWCOMER", 10);
    EXPECT_EQ(out.slot, 8);
    EXPECT_FALSE(out.orderChanged);
    EXPECT_EQ(TempConfig::FileText().find("NEWCOMER"), std::string::npos);
    EXPECT_EQ(Slot(4, 7), (SlotText{"U7", "10", "1", "10", "10,00"}));
    EXPECT_EQ(TempConfig::FileText(), full) << "the same seven slots written again";
    const RecordLabels outside = ReadRecordLabels(ini, 4, out.slot);
    EXPECT_EQ(outside.hiScore, "070");
    EXPECT_EQ(outside.games, "00000");
    EXPECT_EQ(outside.eaten, "00000");
    EXPECT_EQ(outside.average, "00");
    EXPECT_EQ(outside.best, "000");

    const HiScoreOutcome in = RecordGame(ini, 4, "NEWCOMER", 11);
    EXPECT_EQ(in.slot, 7);
    EXPECT_TRUE(in.orderChanged);
    EXPECT_EQ(Slot(4, 7), (SlotText{"NEWCOMER", "11", "1", "11", "11,00"}));
    EXPECT_EQ(GetUserId(ini, 4, "U7"), -1);
    EXPECT_EQ(TempConfig::FileText().find("U7"), std::string::npos);

    // A newcomer with a high score goes on climbing, and the last entry drops out.
    const HiScoreOutcome high = RecordGame(ini, 4, "HIGH", 65);
    EXPECT_EQ(high.slot, 2);
    EXPECT_TRUE(high.orderChanged);
    EXPECT_EQ(Slot(4, 1).name, "U1");
    EXPECT_EQ(Slot(4, 3).name, "U2");
    EXPECT_EQ(Slot(4, 7).name, "U6");
    EXPECT_EQ(GetUserId(ini, 4, "NEWCOMER"), -1);
}

TEST_F(HiScoresTest, AveragesAreCutToTwoDecimalsWithAComma)
{
    Play(2, "TEN", {1, 2, 3, 4});
    Play(2, "SEVEN", {2, 2, 3});
    Play(2, "FIVE", {1, 1, 1, 2, 2});
    EXPECT_EQ(Slot(2, GetUserId(ini, 2, "TEN")).average, "2,50");
    EXPECT_EQ(Slot(2, GetUserId(ini, 2, "SEVEN")).average, "2,33");
    EXPECT_EQ(Slot(2, GetUserId(ini, 2, "FIVE")).average, "1,40");
}

TEST_F(HiScoresTest, AveragesFromTheFileAreKeptAndJunkIsRecomputed)
{
    ini.WriteString("HiNames", "name31", "ANNA");
    ini.WriteString("HiScores", "score31", "9");
    ini.WriteString("HiGames", "games31", "7");
    ini.WriteString("HiEaten", "eaten31", "53");
    ini.WriteString("HiAverage", "average31", "6,66");
    ini.WriteString("HiNames", "name32", "BOB");
    ini.WriteString("HiScores", "score32", "5");
    ini.WriteString("HiGames", "games32", "2");
    ini.WriteString("HiEaten", "eaten32", "9");
    ini.WriteString("HiAverage", "average32", "4.5 junk");
    ini.WriteString("HiNames", "name33", "CARL");
    ini.WriteString("HiScores", "score33", "3");
    ini.WriteString("HiAverage", "average33", "1,39");

    RecordGame(ini, 3, "DORA", 1);
    EXPECT_EQ(Slot(3, 1).average, "6,66") << "kept as read, not recomputed from 53 / 7";
    EXPECT_EQ(Slot(3, 2).average, "4,50");
    EXPECT_EQ(Slot(3, 3), (SlotText{"CARL", "3", "0", "0", "1,39"}));
    EXPECT_EQ(Slot(3, 4), (SlotText{"DORA", "1", "1", "1", "1,00"}));
}

TEST_F(HiScoresTest, OtherLevelsRecordNothing)
{
    EXPECT_EQ(RecordGame(ini, 5, "ANNA", 12).slot, -1);
    EXPECT_EQ(RecordGame(ini, 0, "ANNA", 12).slot, -1);
    EXPECT_FALSE(TempConfig::FileExists());
}

TEST_F(HiScoresTest, AFailedSaveLeavesThePreviousTableWhole)
{
    RecordGame(ini, 3, "ANNA", 12);
    const std::string before = TempConfig::FileText();

    // The new table is longer than the file on disk, so the file-size limit fails its write.
    bool threw = false;
    try
    {
        const testsupport::FileSizeLimit full(before.size());
        RecordGame(ini, 3, "BOB", 20);
    }
    catch (const EIniFileException& e)
    {
        threw = std::string(e.what()) == "Unable to write to Zorbel2.ini";
    }

    EXPECT_TRUE(threw);
    EXPECT_EQ(TempConfig::FileText(), before);
    EXPECT_EQ(RecordGame(ini, 3, "BOB", 20).slot, 1) << "the file object still works";
}

TEST_F(HiScoresTest, RecordLabelsArePaddedAndShowTheLevelsTopScore)
{
    Play(3, "ANNA", {12});
    Play(3, "BOB", {20, 120});
    const RecordLabels anna = ReadRecordLabels(ini, 3, GetUserId(ini, 3, "ANNA"));
    EXPECT_EQ(anna.hiScore, "120");
    EXPECT_EQ(anna.games, "00001");
    EXPECT_EQ(anna.eaten, "00012");
    EXPECT_EQ(anna.average, "12,00");
    EXPECT_EQ(anna.best, "012");
    const RecordLabels bob = ReadRecordLabels(ini, 3, 1);
    EXPECT_EQ(bob.eaten, "00140");
    EXPECT_EQ(bob.average, "70,00");

    const RecordLabels nobody = ReadRecordLabels(ini, 3, -1);
    EXPECT_EQ(nobody.games, "00000");
    EXPECT_EQ(nobody.eaten, "00000");
    EXPECT_EQ(nobody.average, "00");
    EXPECT_EQ(nobody.best, "000");
    const RecordLabels empty = ReadRecordLabels(ini, 1, 1);
    EXPECT_EQ(empty.hiScore, "000");
}

} // namespace
