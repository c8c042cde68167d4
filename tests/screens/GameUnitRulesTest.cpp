// The single game's rules through the game screen's own operations, with scripted or seeded
// random numbers: start layouts, the tick's order, steering, keys, eating, death and removal.
#include "GameUnitFixture.h"

#include <set>
#include <utility>

namespace
{

using engine::Cell;
using gametest::GameTest;
using gametest::WormColour;

int CountCodes(const engine::Board& board, std::uint8_t code)
{
    int count = 0;
    for (int x = 1; x <= 29; ++x)
        for (int y = 1; y <= 29; ++y)
            count += board.At(x, y) == code ? 1 : 0;
    return count;
}

TEST_F(GameTest, StartLayoutsDependOnTheNumberOfComputerWorms)
{
    struct Expected
    {
        Cell cell;
        std::uint8_t direction;
    };
    const Expected nearCentre[4] = {{{9, 15}, engine::kLeft},
                                    {{21, 15}, engine::kRight},
                                    {{15, 9}, engine::kUp},
                                    {{15, 21}, engine::kDown}};
    const Expected ring[8] = {{{10, 5}, engine::kUp},     {{5, 10}, engine::kLeft},
                              {{5, 20}, engine::kLeft},   {{10, 25}, engine::kDown},
                              {{20, 25}, engine::kDown},  {{25, 20}, engine::kRight},
                              {{25, 10}, engine::kRight}, {{20, 5}, engine::kUp}};
    for (const int n : {0, 4, 5, 8})
    {
        SCOPED_TRACE(n);
        StartGame(n);
        EXPECT_EQ(CountCodes(game->Board, engine::kComputer), n);
        for (int k = 1; k <= n; ++k)
        {
            const Expected& e = n <= 4 ? nearCentre[k - 1] : ring[k - 1];
            const engine::ComputerWorm& worm = game->Worms[static_cast<std::size_t>(k)];
            for (const Cell c : worm.sections)
                EXPECT_EQ(c, e.cell) << "worm " << k;
            EXPECT_EQ(worm.direction, e.direction) << "worm " << k;
            EXPECT_EQ(Code(e.cell.x, e.cell.y), engine::kComputer);
            // Not drawn by the start: the first tick draws the worms.
            EXPECT_EQ(CellPixel(e.cell.x, e.cell.y), ui::clGreen);
        }
        EXPECT_EQ(Code(15, 15), engine::kPlayer);
        EXPECT_EQ(CountCodes(game->Board, engine::kPlayer), 1);
        EXPECT_EQ(game->Player.length, 10);
        EXPECT_EQ(game->Player.direction, engine::kNone);
        EXPECT_EQ(Code(29, 29), engine::kTarget);
        EXPECT_EQ(Code(0, 7), engine::kWall);
        EXPECT_EQ(Code(30, 30), engine::kWall);
        EXPECT_EQ(game->Phase(), GamePhase::Playing);
        EXPECT_TRUE(game->Timer1.Enabled());
    }
    // Records beyond the game's count keep what the earlier game left in them.
    EXPECT_EQ(game->Worms[8].sections[1], (Cell{20, 5}));
    StartGame(4);
    EXPECT_EQ(game->Worms[8].sections[1], (Cell{20, 5}));
    EXPECT_EQ(Code(20, 5), engine::kEmpty);
}

TEST_F(GameTest, PlayerStandsOnItsStartCellUntilTheFirstKeyAndIsDrawnEveryTick)
{
    StartGame(0);
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    EXPECT_EQ(Head(), (Cell{15, 15}));
    EXPECT_EQ(CellPixel(15, 15), gametest::kPlayerColour);
    EXPECT_TRUE(script.bounds.size() == 2) << "no draws in a tick without computer worms";
}

TEST_F(GameTest, ComputerWormUnrollsFromItsStartCellAndTurnsAtTheWall)
{
    StartGame(1);
    script.bounds.clear();
    for (int tick = 1; tick <= 10; ++tick)
    {
        script.Push(1);
        if (tick == 9)
            script.Push(0); // at the wall: up or down, and up it is
        Tick();
        if (tick == 1)
        {
            // The stacked tail paints the start cell; the head moved one cell away.
            EXPECT_EQ(CellPixel(9, 15), WormColour(1));
            EXPECT_EQ(CellPixel(8, 15), WormColour(1));
            EXPECT_EQ(Code(8, 15), engine::kComputer);
        }
        EXPECT_EQ(Code(9, 15), tick < 10 ? engine::kComputer : engine::kEmpty) << tick;
    }
    EXPECT_EQ(CellPixel(9, 15), ui::clGreen);
    EXPECT_EQ(game->Worms[1].sections[1], (Cell{1, 13}));
    EXPECT_EQ(CountCodes(game->Board, engine::kComputer), 10);
    // One draw a tick, and the second only where two ways were open.
    EXPECT_EQ(script.bounds, (std::vector<int>{6, 6, 6, 6, 6, 6, 6, 6, 6, 2, 6}));
}

TEST_F(GameTest, BoxedInWormStandsStillAndDrawsItselfTogether)
{
    StartGame(1);
    game->Board.At(9, 15) = engine::kEmpty;
    PlaceWorm(1,
              {{5, 5}, {6, 5}, {7, 5}, {8, 5}, {9, 5}, {10, 5}, {11, 5}, {12, 5}, {13, 5}, {14, 5}},
              engine::kLeft);
    for (const Cell wall : {Cell{4, 5}, Cell{5, 4}, Cell{5, 6}})
        game->Board.At(wall) = engine::kWall;
    for (int x = 5; x <= 14; ++x)
        game->DrawSection(game->WormPictures[1], {static_cast<std::uint8_t>(x), 5});

    for (int tick = 1; tick <= 9; ++tick)
    {
        script.Push(3);
        Tick();
        EXPECT_EQ(game->Worms[1].direction, engine::kNone);
        EXPECT_EQ(game->Worms[1].sections[1], (Cell{5, 5}));
        const int left = 14 - tick + 1; // the cell the tail left in this tick
        EXPECT_EQ(Code(left, 5), engine::kEmpty) << tick;
        EXPECT_EQ(CellPixel(left, 5), ui::clGreen) << tick;
    }
    for (std::size_t i = 1; i <= 10; ++i)
        EXPECT_EQ(game->Worms[1].sections[i], (Cell{5, 5})) << i;
    EXPECT_EQ(CountCodes(game->Board, engine::kComputer), 1);
    EXPECT_EQ(CellPixel(5, 5), WormColour(1));

    // Freed on all sides, a worm with direction none stays none even when it reconsiders.
    for (const Cell wall : {Cell{4, 5}, Cell{5, 4}, Cell{5, 6}})
        game->Board.At(wall) = engine::kEmpty;
    script.Push(0);
    Tick();
    EXPECT_EQ(game->Worms[1].sections[1], (Cell{5, 5}));
    EXPECT_EQ(game->Worms[1].direction, engine::kNone);
}

TEST_F(GameTest, LowerNumberedWormTakesAContestedCell)
{
    StartGame(2);
    game->Board.At(9, 15) = engine::kEmpty;
    game->Board.At(21, 15) = engine::kEmpty;
    PlaceWorm(1, {{9, 10}, {8, 10}, {7, 10}, {6, 10}, {5, 10}, {4, 10}, {3, 10}, {2, 10}, {1, 10}},
              engine::kRight);
    PlaceWorm(2, {{11, 10}, {12, 10}, {13, 10}, {14, 10}, {15, 10}, {16, 10}, {17, 10}},
              engine::kLeft);
    script.bounds.clear();
    script.Push(1); // worm 1 goes on
    script.Push(1); // worm 2 would go on, but its way is taken now...
    script.Push(1); // ...so it picks down from up and down
    Tick();
    EXPECT_EQ(game->Worms[1].sections[1], (Cell{10, 10}));
    EXPECT_EQ(game->Worms[2].sections[1], (Cell{11, 11}));
    EXPECT_EQ(game->Worms[2].direction, engine::kDown);
    EXPECT_EQ(Code(10, 10), engine::kComputer);
    EXPECT_EQ(script.bounds, (std::vector<int>{6, 6, 2}));
}

TEST_F(GameTest, PlayerDiesOnAComputerTailThatLeavesLaterInTheSameTick)
{
    StartGame(1);
    game->Board.At(9, 15) = engine::kEmpty;
    PlaceWorm(1,
              {{16, 6},
               {16, 7},
               {16, 8},
               {16, 9},
               {16, 10},
               {16, 11},
               {16, 12},
               {16, 13},
               {16, 14},
               {16, 15}},
              engine::kUp);
    Key(ui::vk::Right);
    script.Push(1);
    Tick();
    EXPECT_EQ(game->Phase(), GamePhase::RemovingPlayer);
    EXPECT_EQ(played, screentest::Sounds{&game->DeadSound});
    EXPECT_FALSE(game->Timer1.Enabled());
    EXPECT_TRUE(game->pKillTimer.Enabled());
    // The tick ran to its end: the worm took its step and its tail left the cell.
    EXPECT_EQ(game->Worms[1].sections[1], (Cell{16, 5}));
    EXPECT_EQ(Code(16, 15), engine::kEmpty);
    EXPECT_EQ(Head(), (Cell{16, 15}));
}

TEST_F(GameTest, PlayerDiesEnteringTheCellItsOwnTailLeavesInThatTick)
{
    StartGame(0);
    game->Board.At(15, 15) = engine::kEmpty;
    const Cell loop[10] = {{10, 10}, {10, 11}, {10, 12}, {10, 13}, {10, 14},
                           {11, 14}, {11, 13}, {11, 12}, {11, 11}, {11, 10}};
    for (int i = 0; i < 10; ++i)
    {
        game->Player.sections[static_cast<std::size_t>(i + 1)] = loop[i];
        game->Board.At(loop[i]) = engine::kPlayer;
    }
    game->Player.sections[0] = loop[9];
    game->Player.direction = engine::kRight;
    Tick();
    EXPECT_EQ(game->Phase(), GamePhase::RemovingPlayer);
    EXPECT_EQ(Head(), (Cell{11, 10}));
}

TEST_F(GameTest, DeathIntoTheWallStillDrawsTheHeadThereAndMarksTheWallCell)
{
    StartGame(0);
    Key(ui::vk::Up);
    for (int i = 0; i < 15; ++i)
    {
        ASSERT_EQ(game->Phase(), GamePhase::Playing) << i;
        Tick();
    }
    EXPECT_EQ(game->Phase(), GamePhase::RemovingPlayer);
    EXPECT_EQ(Head(), (Cell{15, 0}));
    EXPECT_EQ(Code(15, 0), engine::kPlayer);
    EXPECT_EQ(game->RemovalCounter, 10);
}

TEST_F(GameTest, MovingRightTheLeftKeyIsIgnoredAndUpThenLeftMakeAUTurn)
{
    StartGame(0);
    Key(ui::vk::Right);
    Tick();
    Key(ui::vk::Left);
    EXPECT_EQ(game->Player.direction, engine::kRight);
    EXPECT_FALSE(game->Player.turned) << "a rejected key does not count as a turn";
    Tick();
    EXPECT_EQ(Head(), (Cell{17, 15}));

    Key(ui::vk::Up);
    Key(ui::vk::Left);
    EXPECT_EQ(game->Player.direction, engine::kUp);
    EXPECT_EQ(game->Player.queued, engine::kLeft);
    Tick();
    EXPECT_EQ(Head(), (Cell{17, 14}));
    EXPECT_EQ(game->Player.direction, engine::kLeft);
    EXPECT_EQ(game->Player.queued, engine::kNone);
    Tick();
    EXPECT_EQ(Head(), (Cell{16, 14}));
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
}

TEST_F(GameTest, OfThreeKeysInOneTickTheFirstActsAndTheThirdIsQueued)
{
    StartGame(0);
    Key(ui::vk::Up);
    Key(ui::vk::Left);
    Key(ui::vk::Right);
    EXPECT_EQ(game->Player.direction, engine::kUp);
    EXPECT_EQ(game->Player.queued, engine::kRight);
    Tick();
    Tick();
    EXPECT_EQ(Head(), (Cell{16, 14}));

    // A key after the queued one, even an unbound one, cancels the queued turn.
    Key(ui::vk::Down);
    Key(ui::vk::Left);
    Key('A');
    EXPECT_EQ(game->Player.direction, engine::kDown);
    EXPECT_EQ(game->Player.queued, engine::kNone);
    Tick();
    Tick();
    EXPECT_EQ(Head(), (Cell{16, 16}));
}

TEST_F(GameTest, KeyDuringTheDeathSequenceLeavesTheTurnedFlagForTheNextGame)
{
    StartGame(0);
    Key(ui::vk::Up);
    while (game->Phase() == GamePhase::Playing)
        Tick();
    EXPECT_FALSE(game->Player.turned);
    Key(ui::vk::Left);
    EXPECT_TRUE(game->Player.turned);

    StartGame(0);
    EXPECT_EQ(game->Player.direction, engine::kNone);
    EXPECT_TRUE(game->Player.turned);
    Key(ui::vk::Up);
    EXPECT_EQ(game->Player.direction, engine::kNone);
    EXPECT_EQ(game->Player.queued, engine::kUp);
    Tick();
    EXPECT_EQ(Head(), (Cell{15, 15})) << "the first key of the game is queued";
    Tick();
    EXPECT_EQ(Head(), (Cell{15, 14}));
}

TEST_F(GameTest, EatingScoresGrowsByFiveStackedSectionsAndPlacesTheNextTarget)
{
    StartGame(0, 26, 15);
    EXPECT_EQ(game->Target.Left(), 15 * 26 - 6);
    EXPECT_EQ(game->Target.Top(), 15 * 15 + 2);
    Key(ui::vk::Right);
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(Head(), (Cell{25, 15}));
    EXPECT_EQ(game->ScoreLabel.Caption(), "000");
    EXPECT_TRUE(played.empty()) << "moving is silent";

    script.Push(0); // the next target on (1, 1)
    script.Push(0);
    Tick();
    EXPECT_EQ(played, screentest::Sounds{&game->Hrum});
    EXPECT_EQ(game->Score, 1);
    EXPECT_EQ(game->ScoreLabel.Caption(), "001");
    EXPECT_EQ(game->LLL.Caption(), "+1,00");
    EXPECT_EQ(game->LLL.Font().color, ui::clLime);
    EXPECT_EQ(game->Player.length, 15);
    for (int i = 10; i <= 15; ++i)
        EXPECT_EQ(game->Player.sections[static_cast<std::size_t>(i)], (Cell{17, 15})) << i;
    EXPECT_EQ(Code(26, 15), engine::kPlayer);
    EXPECT_EQ(Code(1, 1), engine::kTarget);
    EXPECT_EQ(game->TargetCell, (Cell{1, 1}));
    EXPECT_TRUE(game->Target.Visible());
    EXPECT_EQ(game->Target.Left(), 9);
    EXPECT_EQ(game->Target.Top(), 17);

    // The tail stays on its cell for the next five moves and leaves it on the sixth.
    Key(ui::vk::Down);
    for (int move = 1; move <= 6; ++move)
    {
        Tick();
        EXPECT_EQ(Code(17, 15), move <= 5 ? engine::kPlayer : engine::kEmpty) << move;
    }
    EXPECT_EQ(CellPixel(17, 15), ui::clGreen);
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
}

TEST_F(GameTest, PlayerRemovalTakesLengthStepsAtElevenHundredDivLength)
{
    // Within eight ticks no computer worm reaches a wall, so one draw each keeps them going.
    StartGame(4);
    Key(ui::vk::Down);
    for (int i = 0; i < 8; ++i)
    {
        if (i == 3)
            Key(ui::vk::Right);
        KeepAll(4);
        Tick();
    }
    ASSERT_EQ(game->Phase(), GamePhase::Playing);
    ASSERT_EQ(Head(), (Cell{20, 18}));
    const engine::Board codes = game->Board;
    game->Dead();
    EXPECT_FALSE(game->Timer1.Enabled());
    EXPECT_EQ(game->pKillTimer.Interval(), 110);
    int steps = 0;
    while (game->Phase() == GamePhase::RemovingPlayer && steps < 1000)
    {
        game->pKillTimerTimer(game->pKillTimer);
        ++steps;
    }
    EXPECT_EQ(steps, 10);
    for (int i = 1; i <= 10; ++i)
    {
        const Cell c = game->Player.sections[static_cast<std::size_t>(i)];
        EXPECT_EQ(CellPixel(c.x, c.y), ui::clGreen) << i;
    }
    EXPECT_FALSE(game->pKillTimer.Enabled());
    EXPECT_TRUE(game->cKillTimer.Enabled());
    EXPECT_EQ(game->cKillTimer.Interval(), 20);

    for (int step = 1; step <= 10; ++step)
    {
        ASSERT_EQ(game->Phase(), GamePhase::RemovingComputers) << step;
        EXPECT_FALSE(game->WaitTimer.Enabled());
        game->cKillTimerTimer(game->cKillTimer);
    }
    EXPECT_EQ(game->Phase(), GamePhase::Waiting);
    EXPECT_FALSE(game->cKillTimer.Enabled());
    EXPECT_TRUE(game->WaitTimer.Enabled());
    for (int n = 1; n <= 4; ++n)
        for (const Cell c : game->Worms[static_cast<std::size_t>(n)].sections)
            EXPECT_EQ(CellPixel(c.x, c.y), ui::clGreen);
    EXPECT_EQ(game->Board.ToText(), codes.ToText()) << "the removal only paints";

    // A worm of 60 sections: 60 steps of 18 ms.
    StartGame(0);
    game->Player.length = 60;
    game->Dead();
    EXPECT_EQ(game->pKillTimer.Interval(), 18);
    steps = 0;
    while (game->Phase() == GamePhase::RemovingPlayer && steps < 1000)
    {
        game->pKillTimerTimer(game->pKillTimer);
        ++steps;
    }
    EXPECT_EQ(steps, 60);
}

TEST_F(GameTest, EveryWormDrawsOnceAndASecondTimeOnlyWhenChoosingAmongTwoOrThree)
{
    session->WormCount = 8;
    game->SetRandomSource(nullptr);
    game->Generator.Seed(20260101);
    game->NewGame();
    testing_support::RandomCounter counter(game->Generator);
    game->SetRandomSource(&counter);
    int seconds = 0;
    for (int tick = 0; tick < 300; ++tick)
    {
        counter.bounds.clear();
        counter.values.clear();
        Tick();
        std::size_t i = 0;
        for (int n = 1; n <= 8; ++n)
        {
            const engine::ComputerWorm& worm = game->Worms[static_cast<std::size_t>(n)];
            ASSERT_LT(i, counter.bounds.size());
            ASSERT_EQ(counter.bounds[i], 6) << "tick " << tick << " worm " << n;
            const bool reconsiders = worm.mainDirection == engine::kNone || counter.values[i] == 0;
            ++i;
            if (reconsiders && (worm.freeCount == 2 || worm.freeCount == 3))
            {
                ASSERT_LT(i, counter.bounds.size());
                EXPECT_EQ(counter.bounds[i], worm.freeCount) << "tick " << tick << " worm " << n;
                ++i;
                ++seconds;
            }
        }
        EXPECT_EQ(i, counter.bounds.size()) << "tick " << tick;
    }
    EXPECT_GT(seconds, 0);
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
}

TEST_F(GameTest, PaintedBoardAndCodesAgreeWithTheWormsThroughALongGame)
{
    session->WormCount = 8;
    game->SetRandomSource(nullptr);
    game->Generator.Seed(77);
    game->NewGame();
    for (int tick = 0; tick < 400; ++tick)
    {
        Tick();
        ASSERT_EQ(game->Phase(), GamePhase::Playing);
        std::set<std::pair<int, int>> covered;
        for (int n = 1; n <= 8; ++n)
            for (int i = 1; i <= 10; ++i)
            {
                const Cell c =
                    game->Worms[static_cast<std::size_t>(n)].sections[static_cast<std::size_t>(i)];
                covered.insert({c.x, c.y});
            }
        ASSERT_EQ(CountCodes(game->Board, engine::kComputer), static_cast<int>(covered.size()))
            << "tick " << tick;
        ASSERT_EQ(Code(game->TargetCell.x, game->TargetCell.y), engine::kTarget);
        for (int x = 1; x <= 29; ++x)
            for (int y = 1; y <= 29; ++y)
            {
                const std::uint8_t code = Code(x, y);
                const ui::Color pixel = CellPixel(x, y);
                if (code == engine::kEmpty || code == engine::kTarget)
                {
                    ASSERT_EQ(pixel, ui::clGreen) << x << "," << y << " tick " << tick;
                }
                else if (code == engine::kComputer)
                {
                    ASSERT_EQ(pixel.b, 200) << x << "," << y << " tick " << tick;
                }
                else
                {
                    ASSERT_EQ(pixel, gametest::kPlayerColour);
                }
            }
    }
}

} // namespace
