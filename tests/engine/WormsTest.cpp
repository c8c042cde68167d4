// Crawl step, growth cap, steering choices and target search on the bare board.
#include "engine/Worms.h"

#include "engine/RandomScript.h"

#include <gtest/gtest.h>

namespace
{

using engine::Cell;
using testing_support::RandomScript;

TEST(BoardTest, ResetMakesWallsAroundAnEmptyFieldStoredXMajor)
{
    engine::Board board;
    board.At(5, 5) = engine::kComputer;
    board.Reset();
    EXPECT_EQ(board.EmptyInnerCells(), 841);
    for (int i = 0; i <= 30; ++i)
    {
        EXPECT_EQ(board.At(i, 0), engine::kWall);
        EXPECT_EQ(board.At(i, 30), engine::kWall);
        EXPECT_EQ(board.At(0, i), engine::kWall);
        EXPECT_EQ(board.At(30, i), engine::kWall);
    }
    board.At(Cell{3, 1}) = engine::kPlayer;
    const std::string text = board.ToText();
    EXPECT_EQ(text.substr(0, 30), "..P..........................\n");
    EXPECT_EQ(text.size(), 29U * 30U);
}

TEST(CrawlStepTest, StackedWormUnrollsOneCellPerStepAndStandingWormGathersInItsHead)
{
    std::array<Cell, 11> s{};
    s.fill(Cell{20, 15});
    for (int step = 1; step <= 10; ++step)
    {
        engine::CrawlStep(s, 10, engine::kLeft);
        EXPECT_EQ(s[1], (Cell{static_cast<std::uint8_t>(20 - step), 15}));
        // The start cell stays under the tail until the tenth step moves the tail off it.
        EXPECT_EQ(s[10] == (Cell{20, 15}), step < 10) << step;
    }
    EXPECT_EQ(s[0], (Cell{20, 15}));
    EXPECT_EQ(s[10], (Cell{19, 15}));

    for (int step = 1; step <= 9; ++step)
        engine::CrawlStep(s, 10, engine::kNone);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(s[static_cast<std::size_t>(i)], (Cell{10, 15})) << i;
    EXPECT_EQ(s[0], (Cell{11, 15}));
}

TEST(GrowTest, FiveSectionsStackOnTheTailAndGrowthStopsAt800)
{
    engine::PlayerWorm worm;
    for (int i = 1; i <= 10; ++i)
        worm.sections[static_cast<std::size_t>(i)] = Cell{static_cast<std::uint8_t>(i), 1};
    engine::Grow(worm);
    EXPECT_EQ(worm.length, 15);
    for (int i = 10; i <= 15; ++i)
        EXPECT_EQ(worm.sections[static_cast<std::size_t>(i)], (Cell{10, 1}));

    worm.length = 798;
    worm.sections[798] = Cell{7, 7};
    engine::Grow(worm);
    EXPECT_EQ(worm.length, 800);
    EXPECT_EQ(worm.sections[799], (Cell{7, 7}));
    EXPECT_EQ(worm.sections[800], (Cell{7, 7}));
    engine::Grow(worm);
    EXPECT_EQ(worm.length, 800);
}

class SteeringTest : public ::testing::Test
{
protected:
    SteeringTest()
    {
        board.Reset();
        worm.sections.fill(Cell{10, 10});
    }
    std::uint8_t Choose(int prob, RandomScript& script)
    {
        engine::DetectFree(board, worm);
        engine::DetectMainDir(worm);
        return engine::ChooseDirection(worm, prob, script);
    }

    engine::Board board;
    engine::ComputerWorm worm;
};

TEST_F(SteeringTest, OpenWayAheadKeepsGoingUnlessTheFirstDrawIsZero)
{
    worm.direction = engine::kRight;
    board.At(9, 10) = engine::kComputer; // its own second section behind it
    RandomScript keep{3};
    EXPECT_EQ(Choose(6, keep), engine::kRight);
    EXPECT_EQ(keep.bounds, (std::vector<int>{6}));

    // Reconsidering with three free neighbours: Rand3 over the free ones, ascending.
    RandomScript turn{0, 1};
    EXPECT_EQ(Choose(6, turn), engine::kUp);
    EXPECT_EQ(turn.bounds, (std::vector<int>{6, 3}));
    worm.direction = engine::kRight;
    RandomScript turn2{0, 2};
    EXPECT_EQ(Choose(6, turn2), engine::kDown);
}

TEST_F(SteeringTest, BlockedWayPicksAmongFreeNeighboursWithOneOrTwoDraws)
{
    worm.direction = engine::kUp;
    board.At(10, 9) = engine::kWall;      // ahead
    board.At(10, 11) = engine::kComputer; // behind
    RandomScript two{5, 1};               // the first draw counts even though it is not 0
    EXPECT_EQ(Choose(6, two), engine::kRight);
    EXPECT_EQ(two.bounds, (std::vector<int>{6, 2}));

    worm.direction = engine::kUp;
    board.At(11, 10) = engine::kTarget; // a target blocks like a wall
    RandomScript one{4};
    EXPECT_EQ(Choose(6, one), engine::kLeft);
    EXPECT_EQ(one.bounds, (std::vector<int>{6}));

    board.At(9, 10) = engine::kPlayer;
    RandomScript none{0};
    EXPECT_EQ(Choose(6, none), engine::kNone);
    EXPECT_EQ(worm.freeCount, 0);
}

TEST_F(SteeringTest, FourFreeNeighboursKeepTheDirectionEvenNone)
{
    worm.direction = engine::kLeft;
    RandomScript reconsider{0};
    EXPECT_EQ(Choose(6, reconsider), engine::kLeft);
    EXPECT_EQ(reconsider.bounds.size(), 1U);

    worm.direction = engine::kNone;
    RandomScript stay{2};
    EXPECT_EQ(Choose(6, stay), engine::kNone);
    EXPECT_EQ(worm.mainDirection, engine::kNone);
}

TEST(TargetSearchTest, DrawsXBeforeYUntilAnEmptyCell)
{
    engine::Board board;
    board.Reset();
    board.At(3, 4) = engine::kComputer;
    RandomScript script{2, 3, 2, 4};
    const auto cell = engine::FindTargetCell(board, script);
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(*cell, (Cell{3, 5}));
    EXPECT_EQ(script.bounds, (std::vector<int>{29, 29, 29, 29}));
}

TEST(TargetSearchTest, OnlyTheLastEmptyCellIsFoundAndAFullBoardGivesNone)
{
    engine::Board board;
    board.Reset();
    for (int x = 1; x <= 29; ++x)
        for (int y = 1; y <= 29; ++y)
            board.At(x, y) = engine::kPlayer;
    engine::RandomGenerator generator(5);
    testing_support::RandomCounter counter(generator);
    EXPECT_FALSE(engine::FindTargetCell(board, counter).has_value());
    EXPECT_TRUE(counter.bounds.empty());

    board.At(29, 29) = engine::kEmpty;
    const auto cell = engine::FindTargetCell(board, counter);
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(*cell, (Cell{29, 29}));
    EXPECT_EQ(counter.bounds.size() % 2, 0U);
}

// The death test both modes share, and the start-cell exception that differs between them.
TEST(HeadDiesTest, WallsFoesAndSectionsKillButAGatheredWormStandsOnItsOwnCode)
{
    engine::PlayerWorm worm;
    engine::PlaceStandingWorm(worm, {10, 10});
    engine::CrawlStep(worm.sections, worm.length, engine::kLeft); // head (9, 10), rest stacked
    for (const bool ownOnly : {false, true})
    {
        SCOPED_TRACE(ownOnly);
        EXPECT_TRUE(engine::HeadDies(worm, engine::kWall, engine::kComputer, ownOnly));
        EXPECT_TRUE(engine::HeadDies(worm, engine::kTarget2, engine::kTarget2, ownOnly));
        EXPECT_FALSE(engine::HeadDies(worm, engine::kEmpty, engine::kTarget2, ownOnly));
        EXPECT_FALSE(engine::HeadDies(worm, engine::kTarget, engine::kTarget2, ownOnly));
    }
    // A head on a player code off the worm's own cells: spared in the single game, killed in
    // the death match, where that code is the other worm's body.
    EXPECT_FALSE(engine::HeadDies(worm, engine::kPlayer, engine::kComputer, false));
    EXPECT_TRUE(engine::HeadDies(worm, engine::kPlayer, engine::kTarget2, true));
    // On its own stacked sections both modes spare it.
    worm.sections[1] = {10, 10};
    EXPECT_FALSE(engine::HeadDies(worm, engine::kPlayer, engine::kTarget2, true));
    // Unrolled (sections 2 and 3 apart), any section kills.
    engine::CrawlStep(worm.sections, worm.length, engine::kUp);
    engine::CrawlStep(worm.sections, worm.length, engine::kDown);
    ASSERT_NE(worm.sections[2], worm.sections[3]);
    EXPECT_TRUE(engine::HeadDies(worm, engine::kPlayer, engine::kComputer, false));
    EXPECT_TRUE(engine::HeadDies(worm, engine::kPlayer, engine::kTarget2, true));
}

} // namespace
