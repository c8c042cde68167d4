// The records tables: entering games, climbing, a full table and averages on tables in memory;
// reading, the whole-or-nothing save and the written text through the settings file.
#include "records/Records.h"

#include "settings/IniFile.h"
#ifndef _WIN32
#include "support/FileSizeLimit.h"
#endif
#include "support/TempConfig.h"

#include <climits>
#include <initializer_list>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace records
{

// Failure messages show the row rather than its bytes.
void PrintTo(const Row& r, std::ostream* out)
{
    *out << "{" << r.name << ", " << r.score << ", " << r.games << ", " << r.eaten << ", "
         << r.averageText << " (" << r.average << ")}";
}

} // namespace records

namespace
{

using records::ApplyGame;
using records::GameResult;
using records::Row;
using records::Table;
using testsupport::TempConfig;

Row Entry(const std::string& name, int score, int games, int eaten, double average,
          const std::string& averageText)
{
    return {name, score, games, eaten, average, averageText};
}

// The table after each user's games, in order.
Table Play(Table table, const std::string& user, std::initializer_list<int> scores)
{
    for (const int score : scores)
        table = ApplyGame(table, user, score).standing.table;
    return table;
}

const Row kFreeAfterAGame = Entry("", 0, 0, 0, 0, "0,00");

TEST(Records, FirstGameTakesSlotOneAndABetterScoreClimbsButAnEqualOneDoesNot)
{
    const GameResult anna = ApplyGame(Table{}, "ANNA", 12);
    EXPECT_EQ(anna.standing.slot, 1);
    EXPECT_FALSE(anna.orderChanged);
    EXPECT_EQ(anna.standing.table[0], Entry("ANNA", 12, 1, 12, 12, "12,00"));
    for (int s = 1; s < 7; ++s)
        EXPECT_EQ(anna.standing.table[s], kFreeAfterAGame) << "slot " << s + 1;

    const GameResult bob = ApplyGame(anna.standing.table, "BOB", 20);
    EXPECT_EQ(bob.standing.slot, 1);
    EXPECT_TRUE(bob.orderChanged);
    const Table& t = bob.standing.table;
    EXPECT_EQ(t[0], Entry("BOB", 20, 1, 20, 20, "20,00"));
    EXPECT_EQ(t[1], Entry("ANNA", 12, 1, 12, 12, "12,00"));
    EXPECT_EQ(records::FindUser(t, "ANNA"), 2);
    EXPECT_EQ(records::FindUser(t, "anna"), -1) << "names match with their letter case";
    EXPECT_EQ(records::FindUser(t, "CARL"), -1);

    const GameResult equal = ApplyGame(t, "ANNA", 20);
    EXPECT_EQ(equal.standing.slot, 2);
    EXPECT_FALSE(equal.orderChanged);
    EXPECT_EQ(equal.standing.table[1], Entry("ANNA", 20, 2, 32, 16, "16,00"));

    // Below the own best: place and best kept, the counts move on.
    const GameResult lower = ApplyGame(equal.standing.table, "BOB", 5);
    EXPECT_EQ(lower.standing.slot, 1);
    EXPECT_FALSE(lower.orderChanged);
    EXPECT_EQ(lower.standing.table[0], Entry("BOB", 20, 2, 25, 12.5, "12,50"));
}

TEST(Records, ClimbStopsBelowTheFirstEqualOrHigherBest)
{
    Table t = Play(Play(Play(Play(Table{}, "A", {30}), "B", {20}), "C", {10}), "D", {5});
    const GameResult d = ApplyGame(t, "D", 20);
    EXPECT_EQ(d.standing.slot, 3);
    EXPECT_TRUE(d.orderChanged);
    EXPECT_EQ(d.standing.table[1].name, "B");
    EXPECT_EQ(d.standing.table[2], Entry("D", 20, 2, 25, 12.5, "12,50"));
    EXPECT_EQ(d.standing.table[3], Entry("C", 10, 1, 10, 10, "10,00"));
}

TEST(Records, FullTableKeepsOutAnEqualNewcomerAndLetsInABetterOne)
{
    Table full;
    for (int i = 0; i < 7; ++i)
        full = Play(full, "U" + std::to_string(i + 1), {70 - 10 * i});
    ASSERT_EQ(full[6], Entry("U7", 10, 1, 10, 10, "10,00"));

    const GameResult out = ApplyGame(full, "NEWCOMER", 10);
    EXPECT_EQ(out.standing.slot, -1);
    EXPECT_FALSE(out.orderChanged);
    EXPECT_EQ(out.standing.table, full);

    const GameResult in = ApplyGame(full, "NEWCOMER", 11);
    EXPECT_EQ(in.standing.slot, 7);
    EXPECT_TRUE(in.orderChanged);
    EXPECT_EQ(in.standing.table[6], Entry("NEWCOMER", 11, 1, 11, 11, "11,00"));
    EXPECT_EQ(records::FindUser(in.standing.table, "U7"), -1);

    // A newcomer with a high score goes on climbing, and the last entry drops out.
    const GameResult high = ApplyGame(in.standing.table, "HIGH", 65);
    EXPECT_EQ(high.standing.slot, 2);
    EXPECT_EQ(high.standing.table[0].name, "U1");
    EXPECT_EQ(high.standing.table[2].name, "U2");
    EXPECT_EQ(high.standing.table[6].name, "U6");
}

TEST(Records, RowsNamedUnknownAreFreeAndAveragesAreCutToTwoDecimals)
{
    Table t;
    t[0] = Entry("UNKNOWN", 50, 3, 9, 3, "3");
    t = Play(Play(Play(t, "TEN", {1, 2, 3, 4}), "SEVEN", {2, 2, 3}), "FIVE", {1, 1, 1, 2, 2});
    EXPECT_EQ(t[0], Entry("TEN", 4, 4, 10, 2.5, "2,50")) << "took the row named UNKNOWN";
    EXPECT_EQ(t[1].averageText, "2,33");
    EXPECT_EQ(t[2].averageText, "1,40");
}

class RecordsFileTest : public ::testing::Test
{
protected:
    TempConfig config;
    TIniFile ini{ConfigFilePath()};
};

TEST_F(RecordsFileTest, AveragesFromTheFileAreKeptAsShownAndJunkIsRecomputed)
{
    TempConfig::WriteIni("[HiNames]\nname31=ANNA\nname32=BOB\nname33=CARL\n"
                         "[HiScores]\nscore31=9\nscore32=5\nscore33=3\n"
                         "[HiGames]\ngames31=7\ngames32=2\n"
                         "[HiEaten]\neaten31=53\neaten32=9\n"
                         "[HiAverage]\naverage31=6,66\naverage32=4.5 junk\naverage33=3\n");
    const Table read = records::ReadTable(ini, 3);
    EXPECT_EQ(read[0], Entry("ANNA", 9, 7, 53, 6.66, "6,66")) << "not recomputed from 53 / 7";
    EXPECT_EQ(read[1], Entry("BOB", 5, 2, 9, 4.5, "4.5 junk"));
    EXPECT_EQ(read[2], Entry("CARL", 3, 0, 0, 3, "3"));
    EXPECT_EQ(read[3], Entry("", 0, 0, 0, 0, "0"));

    records::RecordGame(ini, 3, "DORA", 1);
    EXPECT_EQ(ini.ReadString("HiAverage", "average31", ""), "6,66");
    EXPECT_EQ(ini.ReadString("HiAverage", "average32", ""), "4,50");
    EXPECT_EQ(ini.ReadString("HiAverage", "average33", ""), "3,00");
    EXPECT_EQ(records::ReadTable(ini, 3)[3], Entry("DORA", 1, 1, 1, 1, "1,00"));

    // What a write gives back is what the file then holds: 2 eaten in 3 games is 0,66 there,
    // whatever the quotient.
    records::RecordGame(ini, 3, "DORA", 1);
    const GameResult third = records::RecordGame(ini, 3, "DORA", 0);
    EXPECT_EQ(third.standing.table[3], Entry("DORA", 1, 3, 2, 0.66, "0,66"));
    EXPECT_EQ(third.standing.table, records::ReadTable(ini, 3));
}

// Counts edited to the integer limit or below zero are held within bounds, so that the games
// that follow add to them without wrapping round.
TEST_F(RecordsFileTest, HandEditedCountsAreBoundedAndGamesAddToThemWithoutWrapping)
{
    using records::kMostCounted;
    TempConfig::WriteIni("[HiNames]\nname31=ANNA\nname32=BOB\n[HiGames]\ngames31=2147483647\n"
                         "games32=-7\n[HiEaten]\neaten31=2147483647\neaten32=-9\n");
    EXPECT_EQ(records::ReadTable(ini, 3)[1], Entry("BOB", 0, 0, 0, 0, "0"));
    records::RecordGame(ini, 3, "ANNA", 7);
    const Row bounded = Entry("ANNA", 7, kMostCounted, kMostCounted, 1, "1,00");
    EXPECT_EQ(records::ReadTable(ini, 3)[0], bounded);
    EXPECT_EQ(
        ApplyGame(Table{Entry("ANNA", 1, INT_MAX, INT_MAX, 1, "1")}, "ANNA", 7).standing.table[0],
        bounded);
}

TEST_F(RecordsFileTest, AGameWritesAllSevenSlotsOfItsLevelOnlyAndAFailedSaveNone)
{
    records::RecordGame(ini, 3, "ANNA", 12);
    EXPECT_EQ(TempConfig::FileText(),
              "[HiNames]\nname31=ANNA\nname32=\nname33=\nname34=\nname35=\nname36=\nname37=\n"
              "[HiScores]\nscore31=12\nscore32=0\nscore33=0\nscore34=0\nscore35=0\nscore36=0\n"
              "score37=0\n[HiGames]\ngames31=1\ngames32=0\ngames33=0\ngames34=0\ngames35=0\n"
              "games36=0\ngames37=0\n[HiEaten]\neaten31=12\neaten32=0\neaten33=0\neaten34=0\n"
              "eaten35=0\neaten36=0\neaten37=0\n[HiAverage]\naverage31=12,00\naverage32=0,00\n"
              "average33=0,00\naverage34=0,00\naverage35=0,00\naverage36=0,00\naverage37=0,00\n");
#ifndef _WIN32 // the full disk is a POSIX file-size limit
    const std::string before = TempConfig::FileText();

    // The new table is longer than the file on disk, so the file-size limit fails its write.
    bool threw = false;
    try
    {
        const testsupport::FileSizeLimit full(before.size());
        records::RecordGame(ini, 3, "BOB", 20);
    }
    catch (const EIniFileException& e)
    {
        threw = std::string(e.what()) == "Unable to write to Zorbel2.ini";
    }
    EXPECT_TRUE(threw);
    EXPECT_EQ(TempConfig::FileText(), before);
    EXPECT_EQ(records::RecordGame(ini, 3, "BOB", 20).standing.slot, 1)
        << "the file object still works";
#endif
}

} // namespace
