// The rules of both modes played on the engine alone with scripted or seeded random numbers:
// start layouts, the tick's order, steering, keys, eating, death, removal and the phases, the
// death match's ties, targets and bouts, and the same game again from its seed and turns. What
// the events paint is followed cell by cell, as a screen would show it.
#include "engine/Game.h"
#include "engine/RandomScript.h"
#include "engine/Scenario.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <utility>
#include <vector>

namespace
{

using engine::Cell;

constexpr int kBlank = -1;

// What the events showed: the worm drawn on each cell, and the deaths and meals reported.
class EventFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shown_.fill(kBlank);
        game.SetRandomSource(&script);
    }
    void Apply()
    {
        game.TakeEvents(events_);
        for (const engine::Event& e : events_)
        {
            switch (e.kind)
            {
            case engine::EventKind::Cleared:
                shown_.fill(kBlank);
                break;
            case engine::EventKind::Draw:
                Paint(e.cell) = e.who;
                break;
            case engine::EventKind::Erase:
                Paint(e.cell) = kBlank;
                break;
            case engine::EventKind::Eaten:
                ++eaten;
                break;
            case engine::EventKind::Died:
            case engine::EventKind::BoutOver:
                ++deaths;
                break;
            case engine::EventKind::Finished:
                ++finished;
                break;
            default:
                break;
            }
        }
    }
    int& Paint(Cell c) { return shown_[static_cast<std::size_t>(c.x * 31 + c.y)]; }
    // The worm last drawn on cell (x, y), kBlank when none is shown there.
    int Shown(int x, int y) { return Paint({std::uint8_t(x), std::uint8_t(y)}); }
    bool Died() const { return deaths > 0; }
    // One step of whatever the phase wants, painted.
    void Tick()
    {
        game.Step();
        Apply();
    }
    std::uint8_t Code(int x, int y) const { return game.Board().At(x, y); }

    engine::Game game;
    testing_support::RandomScript script;
    int deaths = 0;
    int eaten = 0;
    int finished = 0;

private:
    std::array<int, 31 * 31> shown_{};
    std::vector<engine::Event> events_;
};

int CountCodes(const engine::Board& board, std::uint8_t code)
{
    int count = 0;
    for (int x = 1; x <= 29; ++x)
        for (int y = 1; y <= 29; ++y)
            count += board.At(x, y) == code ? 1 : 0;
    return count;
}

class RulesTest : public EventFixture
{
protected:
    // A new Professional game of n computer worms whose first target lands on (x, y).
    void StartGame(int worms, int targetX = 29, int targetY = 29)
    {
        script.Push(targetX - 1);
        script.Push(targetY - 1);
        game.NewGame(1, {3, 6, 100, worms});
        Apply();
    }
    // Every computer worm keeps its way (or stays within its free-count rule) in the next tick.
    void KeepAll(int worms)
    {
        for (int n = 0; n < worms; ++n)
            script.Push(1);
    }
    // A key bound to dir (kNone: bound to nothing).
    void Key(std::uint8_t dir)
    {
        const engine::PlayerTurn turn{1, dir};
        game.Key(std::span(&turn, dir == engine::kNone ? 0 : 1));
    }
    Cell Head() const { return game.Player().sections[1]; }
    // Lays computer worm n on the board: cells from head to tail (the last repeated up to
    // section 10), with its codes.
    void PlaceWorm(int n, std::initializer_list<Cell> cells, std::uint8_t direction)
    {
        engine::Scenario(game).ComputerWorm(n, std::span(cells.begin(), cells.size()), direction);
    }
};

TEST_F(RulesTest, StartLayoutsDependOnTheNumberOfComputerWorms)
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
        EXPECT_EQ(CountCodes(game.Board(), engine::kComputer), n);
        for (int k = 1; k <= n; ++k)
        {
            const Expected& e = n <= 4 ? nearCentre[k - 1] : ring[k - 1];
            const engine::ComputerWorm& worm = game.Worm(k);
            for (const Cell c : worm.sections)
                EXPECT_EQ(c, e.cell) << "worm " << k;
            EXPECT_EQ(worm.direction, e.direction) << "worm " << k;
            EXPECT_EQ(Code(e.cell.x, e.cell.y), engine::kComputer);
            // Not drawn by the start: the first tick draws the worms.
            EXPECT_EQ(Shown(e.cell.x, e.cell.y), kBlank);
        }
        EXPECT_EQ(Code(15, 15), engine::kPlayer);
        EXPECT_EQ(CountCodes(game.Board(), engine::kPlayer), 1);
        EXPECT_EQ(game.Player().length, 10);
        EXPECT_EQ(game.Player().direction, engine::kNone);
        EXPECT_EQ(Code(29, 29), engine::kTarget);
        EXPECT_EQ(Code(0, 7), engine::kWall);
        EXPECT_EQ(Code(30, 30), engine::kWall);
        EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
        EXPECT_EQ(game.Interval(), 100);
    }
    // Records beyond the game's count keep what the earlier game left in them.
    EXPECT_EQ(game.Worm(8).sections[1], (Cell{20, 5}));
    StartGame(4);
    EXPECT_EQ(game.Worm(8).sections[1], (Cell{20, 5}));
    EXPECT_EQ(Code(20, 5), engine::kEmpty);
}

TEST_F(RulesTest, PlayerStandsOnItsStartCellUntilTheFirstKeyAndIsDrawnEveryTick)
{
    StartGame(0);
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
    EXPECT_EQ(Head(), (Cell{15, 15}));
    EXPECT_EQ(Shown(15, 15), engine::kFirstPlayer);
    EXPECT_TRUE(script.bounds.size() == 2) << "no draws in a tick without computer worms";
}

TEST_F(RulesTest, ComputerWormUnrollsFromItsStartCellAndTurnsAtTheWall)
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
            EXPECT_EQ(Shown(9, 15), 1);
            EXPECT_EQ(Shown(8, 15), 1);
            EXPECT_EQ(Code(8, 15), engine::kComputer);
        }
        EXPECT_EQ(Code(9, 15), tick < 10 ? engine::kComputer : engine::kEmpty) << tick;
    }
    EXPECT_EQ(Shown(9, 15), kBlank);
    EXPECT_EQ(game.Worm(1).sections[1], (Cell{1, 13}));
    EXPECT_EQ(CountCodes(game.Board(), engine::kComputer), 10);
    // One draw a tick, and the second only where two ways were open.
    EXPECT_EQ(script.bounds, (std::vector<int>{6, 6, 6, 6, 6, 6, 6, 6, 6, 2, 6}));
}

TEST_F(RulesTest, BoxedInWormStandsStillAndDrawsItselfTogether)
{
    StartGame(1);
    engine::Scenario(game).Code({9, 15}, engine::kEmpty);
    PlaceWorm(1,
              {{5, 5}, {6, 5}, {7, 5}, {8, 5}, {9, 5}, {10, 5}, {11, 5}, {12, 5}, {13, 5}, {14, 5}},
              engine::kLeft);
    for (const Cell wall : {Cell{4, 5}, Cell{5, 4}, Cell{5, 6}})
        engine::Scenario(game).Code(wall, engine::kWall);
    for (int x = 5; x <= 14; ++x)
        Paint({static_cast<std::uint8_t>(x), 5}) = 1;

    for (int tick = 1; tick <= 9; ++tick)
    {
        script.Push(3);
        Tick();
        EXPECT_EQ(game.Worm(1).direction, engine::kNone);
        EXPECT_EQ(game.Worm(1).sections[1], (Cell{5, 5}));
        const int left = 14 - tick + 1; // the cell the tail left in this tick
        EXPECT_EQ(Code(left, 5), engine::kEmpty) << tick;
        EXPECT_EQ(Shown(left, 5), kBlank) << tick;
    }
    for (std::size_t i = 1; i <= 10; ++i)
        EXPECT_EQ(game.Worm(1).sections[i], (Cell{5, 5})) << i;
    EXPECT_EQ(CountCodes(game.Board(), engine::kComputer), 1);
    EXPECT_EQ(Shown(5, 5), 1);

    // Freed on all sides, a worm with direction none stays none even when it reconsiders.
    for (const Cell wall : {Cell{4, 5}, Cell{5, 4}, Cell{5, 6}})
        engine::Scenario(game).Code(wall, engine::kEmpty);
    script.Push(0);
    Tick();
    EXPECT_EQ(game.Worm(1).sections[1], (Cell{5, 5}));
    EXPECT_EQ(game.Worm(1).direction, engine::kNone);
}

TEST_F(RulesTest, LowerNumberedWormTakesAContestedCell)
{
    StartGame(2);
    engine::Scenario(game).Code({9, 15}, engine::kEmpty);
    engine::Scenario(game).Code({21, 15}, engine::kEmpty);
    PlaceWorm(1, {{9, 10}, {8, 10}, {7, 10}, {6, 10}, {5, 10}, {4, 10}, {3, 10}, {2, 10}, {1, 10}},
              engine::kRight);
    PlaceWorm(2, {{11, 10}, {12, 10}, {13, 10}, {14, 10}, {15, 10}, {16, 10}, {17, 10}},
              engine::kLeft);
    script.bounds.clear();
    script.Push(1); // worm 1 goes on
    script.Push(1); // worm 2 would go on, but its way is taken now...
    script.Push(1); // ...so it picks down from up and down
    Tick();
    EXPECT_EQ(game.Worm(1).sections[1], (Cell{10, 10}));
    EXPECT_EQ(game.Worm(2).sections[1], (Cell{11, 11}));
    EXPECT_EQ(game.Worm(2).direction, engine::kDown);
    EXPECT_EQ(Code(10, 10), engine::kComputer);
    EXPECT_EQ(script.bounds, (std::vector<int>{6, 6, 2}));
}

TEST_F(RulesTest, PlayerDiesOnAComputerTailThatLeavesLaterInTheSameTick)
{
    StartGame(1);
    engine::Scenario(game).Code({9, 15}, engine::kEmpty);
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
    Key(engine::kRight);
    script.Push(1);
    Tick();
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingPlayer);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(game.Interval(), 110);
    // The tick ran to its end: the worm took its step and its tail left the cell.
    EXPECT_EQ(game.Worm(1).sections[1], (Cell{16, 5}));
    EXPECT_EQ(Code(16, 15), engine::kEmpty);
    EXPECT_EQ(Head(), (Cell{16, 15}));
}

TEST_F(RulesTest, PlayerDiesEnteringTheCellItsOwnTailLeavesInThatTick)
{
    StartGame(0);
    engine::Scenario(game).Code({15, 15}, engine::kEmpty);
    const Cell loop[10] = {{10, 10}, {10, 11}, {10, 12}, {10, 13}, {10, 14},
                           {11, 14}, {11, 13}, {11, 12}, {11, 11}, {11, 10}};
    engine::Scenario(game).Player(loop, engine::kRight);
    Tick();
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingPlayer);
    EXPECT_EQ(Head(), (Cell{11, 10}));
}

TEST_F(RulesTest, DeathIntoTheWallStillDrawsTheHeadThereAndMarksTheWallCell)
{
    StartGame(0);
    Key(engine::kUp);
    for (int i = 0; i < 15; ++i)
    {
        ASSERT_EQ(game.GamePhase(), engine::Phase::Playing) << i;
        Tick();
    }
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingPlayer);
    EXPECT_EQ(Head(), (Cell{15, 0}));
    EXPECT_EQ(Code(15, 0), engine::kPlayer);
    EXPECT_EQ(game.RemovalCounter(), 10);
}

TEST_F(RulesTest, MovingRightTheLeftKeyIsIgnoredAndUpThenLeftMakeAUTurn)
{
    StartGame(0);
    Key(engine::kRight);
    Tick();
    Key(engine::kLeft);
    EXPECT_EQ(game.Player().direction, engine::kRight);
    EXPECT_FALSE(game.Player().turned) << "a rejected key does not count as a turn";
    Tick();
    EXPECT_EQ(Head(), (Cell{17, 15}));

    Key(engine::kUp);
    Key(engine::kLeft);
    EXPECT_EQ(game.Player().direction, engine::kUp);
    EXPECT_EQ(game.Player().queued, engine::kLeft);
    Tick();
    EXPECT_EQ(Head(), (Cell{17, 14}));
    EXPECT_EQ(game.Player().direction, engine::kLeft);
    EXPECT_EQ(game.Player().queued, engine::kNone);
    Tick();
    EXPECT_EQ(Head(), (Cell{16, 14}));
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
}

TEST_F(RulesTest, OfThreeKeysInOneTickTheFirstActsAndTheThirdIsQueued)
{
    StartGame(0);
    Key(engine::kUp);
    Key(engine::kLeft);
    Key(engine::kRight);
    EXPECT_EQ(game.Player().direction, engine::kUp);
    EXPECT_EQ(game.Player().queued, engine::kRight);
    Tick();
    Tick();
    EXPECT_EQ(Head(), (Cell{16, 14}));

    // A key after the queued one, even an unbound one, cancels the queued turn.
    Key(engine::kDown);
    Key(engine::kLeft);
    Key(engine::kNone);
    EXPECT_EQ(game.Player().direction, engine::kDown);
    EXPECT_EQ(game.Player().queued, engine::kNone);
    Tick();
    Tick();
    EXPECT_EQ(Head(), (Cell{16, 16}));
}

TEST_F(RulesTest, KeyDuringTheDeathSequenceLeavesTheTurnedFlagForTheNextGame)
{
    StartGame(0);
    Key(engine::kUp);
    while (game.GamePhase() == engine::Phase::Playing)
        Tick();
    EXPECT_FALSE(game.Player().turned);
    Key(engine::kLeft);
    EXPECT_TRUE(game.Player().turned);

    StartGame(0);
    EXPECT_EQ(game.Player().direction, engine::kNone);
    EXPECT_TRUE(game.Player().turned);
    Key(engine::kUp);
    EXPECT_EQ(game.Player().direction, engine::kNone);
    EXPECT_EQ(game.Player().queued, engine::kUp);
    Tick();
    EXPECT_EQ(Head(), (Cell{15, 15})) << "the first key of the game is queued";
    Tick();
    EXPECT_EQ(Head(), (Cell{15, 14}));
}

TEST_F(RulesTest, EatingScoresGrowsByFiveStackedSectionsAndPlacesTheNextTarget)
{
    StartGame(0, 26, 15);
    Key(engine::kRight);
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(Head(), (Cell{25, 15}));
    EXPECT_EQ(eaten, 0);

    script.Push(0); // the next target on (1, 1)
    script.Push(0);
    Tick();
    EXPECT_EQ(eaten, 1);
    EXPECT_EQ(game.Score(), 1);
    EXPECT_EQ(game.Player().length, 15);
    for (int i = 10; i <= 15; ++i)
        EXPECT_EQ(game.Player().sections[static_cast<std::size_t>(i)], (Cell{17, 15})) << i;
    EXPECT_EQ(Code(26, 15), engine::kPlayer);
    EXPECT_EQ(Code(1, 1), engine::kTarget);
    EXPECT_EQ(game.TargetCell(), (Cell{1, 1}));

    // The tail stays on its cell for the next five moves and leaves it on the sixth.
    Key(engine::kDown);
    for (int move = 1; move <= 6; ++move)
    {
        Tick();
        EXPECT_EQ(Code(17, 15), move <= 5 ? engine::kPlayer : engine::kEmpty) << move;
    }
    EXPECT_EQ(Shown(17, 15), kBlank);
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
}

TEST_F(RulesTest, PlayerRemovalTakesLengthStepsAtElevenHundredDivLength)
{
    // Within eight ticks no computer worm reaches a wall, so one draw each keeps them going.
    StartGame(4);
    Key(engine::kDown);
    for (int i = 0; i < 8; ++i)
    {
        if (i == 3)
            Key(engine::kRight);
        KeepAll(4);
        Tick();
    }
    ASSERT_EQ(game.GamePhase(), engine::Phase::Playing);
    ASSERT_EQ(Head(), (Cell{20, 18}));
    const engine::Board codes = game.Board();
    engine::Scenario(game).Kill();
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingPlayer);
    EXPECT_EQ(game.Interval(), 110);
    int steps = 0;
    while (game.GamePhase() == engine::Phase::RemovingPlayer && steps < 1000)
    {
        Tick();
        ++steps;
    }
    EXPECT_EQ(steps, 10);
    for (int i = 1; i <= 10; ++i)
    {
        const Cell c = game.Player().sections[static_cast<std::size_t>(i)];
        EXPECT_EQ(Shown(c.x, c.y), kBlank) << i;
    }
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingComputers);
    EXPECT_EQ(game.Interval(), 20);

    for (int step = 1; step <= 10; ++step)
    {
        ASSERT_EQ(game.GamePhase(), engine::Phase::RemovingComputers) << step;
        EXPECT_EQ(finished, 0);
        Tick();
    }
    EXPECT_EQ(game.GamePhase(), engine::Phase::Waiting);
    EXPECT_EQ(game.Interval(), 200);
    EXPECT_EQ(finished, 1) << "a game played to its end is over";
    for (int n = 1; n <= 4; ++n)
        for (const Cell c : game.Worm(n).sections)
            EXPECT_EQ(Shown(c.x, c.y), kBlank);
    EXPECT_EQ(game.Board().ToText(), codes.ToText()) << "the removal only paints";

    // A worm of 60 sections: 60 steps of 18 ms.
    StartGame(0);
    engine::Scenario(game).PlayerLength(60);
    engine::Scenario(game).Kill();
    EXPECT_EQ(game.Interval(), 18);
    steps = 0;
    while (game.GamePhase() == engine::Phase::RemovingPlayer && steps < 1000)
    {
        Tick();
        ++steps;
    }
    EXPECT_EQ(steps, 60);
}

TEST_F(RulesTest, EveryWormDrawsOnceAndASecondTimeOnlyWhenChoosingAmongTwoOrThree)
{
    game.SetRandomSource(nullptr);
    game.NewGame(20260101, {3, 6, 100, 8});
    testing_support::RandomCounter counter(engine::Scenario(game).Generator());
    game.SetRandomSource(&counter);
    int seconds = 0;
    for (int tick = 0; tick < 300; ++tick)
    {
        counter.bounds.clear();
        counter.values.clear();
        Tick();
        std::size_t i = 0;
        for (int n = 1; n <= 8; ++n)
        {
            const engine::ComputerWorm& worm = game.Worm(n);
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
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
}

TEST_F(RulesTest, PaintedBoardAndCodesAgreeWithTheWormsThroughALongGame)
{
    game.SetRandomSource(nullptr);
    game.NewGame(77, {3, 6, 100, 8});
    Apply();
    for (int tick = 0; tick < 400; ++tick)
    {
        Tick();
        ASSERT_EQ(game.GamePhase(), engine::Phase::Playing);
        std::set<std::pair<int, int>> covered;
        for (int n = 1; n <= 8; ++n)
            for (int i = 1; i <= 10; ++i)
            {
                const Cell c = game.Worm(n).sections[static_cast<std::size_t>(i)];
                covered.insert({c.x, c.y});
            }
        ASSERT_EQ(CountCodes(game.Board(), engine::kComputer), static_cast<int>(covered.size()))
            << "tick " << tick;
        ASSERT_EQ(Code(game.TargetCell().x, game.TargetCell().y), engine::kTarget);
        for (int x = 1; x <= 29; ++x)
            for (int y = 1; y <= 29; ++y)
            {
                const std::uint8_t code = Code(x, y);
                const int shown = Shown(x, y);
                if (code == engine::kEmpty || code == engine::kTarget)
                {
                    ASSERT_EQ(shown, kBlank) << x << "," << y << " tick " << tick;
                }
                else if (code == engine::kComputer)
                {
                    ASSERT_TRUE(shown >= 1 && shown <= 8) << x << "," << y << " tick " << tick;
                }
                else
                {
                    ASSERT_EQ(shown, engine::kFirstPlayer);
                }
            }
    }
}

class DeathMatchTest : public EventFixture
{
protected:
    // Player 2 on keys of its own, so that each worm can be steered alone; otherwise the
    // players share the arrows.
    void SeparateKeys() { separate_ = true; }
    void Key(std::uint8_t dir)
    {
        const engine::PlayerTurn both[2] = {{1, dir}, {2, dir}};
        game.Key(std::span(both, separate_ ? 1 : 2));
    }
    void Key2(std::uint8_t dir)
    {
        const engine::PlayerTurn turn{2, dir};
        game.Key(std::span(&turn, 1));
    }
    // Queues the cells the next two targets land on (x drawn before y).
    void PushTargets(Cell first, Cell second)
    {
        for (const Cell c : {first, second})
        {
            script.Push(c.x - 1);
            script.Push(c.y - 1);
        }
    }
    // A new match whose targets land on the given cells, out of every test's way by default.
    void StartMatch(Cell target1 = {1, 29}, Cell target2 = {29, 1})
    {
        PushTargets(target1, target2);
        game.NewDeathMatch(1, 100);
        Apply();
    }
    void NewDeath()
    {
        engine::Scenario(game).NextBout();
        Apply();
    }
    void Remove() { Tick(); }

    // Lays and paints player's worm from head to tail (the last cell repeated up to its length).
    void Lay(int player, std::span<const Cell> cells, std::uint8_t dir, int length = 10)
    {
        engine::Scenario(game).DeathMatchPlayer(player, cells, dir, length);
        for (const Cell c : cells)
            Paint(c) = player == 1 ? engine::kFirstPlayer : engine::kSecondPlayer;
    }
    void Lay(int player, std::initializer_list<Cell> cells, std::uint8_t dir, int length = 10)
    {
        Lay(player, std::span(cells.begin(), cells.size()), dir, length);
    }
    // A straight horizontal worm of ten cells with its head at (x, y), running right, not painted.
    void LayRightward(int player, int x, int y)
    {
        std::array<Cell, 10> cells{};
        for (int i = 0; i < 10; ++i)
            cells[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(x - i),
                                                  static_cast<std::uint8_t>(y)};
        engine::Scenario(game).DeathMatchPlayer(player, cells, engine::kRight, 10);
    }

    std::uint8_t Code(Cell c) const { return game.Board().At(c); }

private:
    bool separate_ = false;
};

TEST_F(DeathMatchTest, WormsStandStillUntilTheirPlayersMoveAndTheFirstTickDrawsBothHeads)
{
    StartMatch();
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
    EXPECT_EQ(game.Interval(), 100);
    EXPECT_EQ(Code({10, 10}), engine::kPlayer);
    EXPECT_EQ(Code({20, 20}), engine::kPlayer);
    EXPECT_EQ(Code({1, 29}), engine::kTarget);
    EXPECT_EQ(Code({29, 1}), engine::kTarget2);
    // Not drawn before the first tick.
    EXPECT_EQ(Shown(10, 10), kBlank);

    for (int i = 0; i < 200; ++i)
        Tick();
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
    EXPECT_FALSE(game.Player1().dead);
    EXPECT_FALSE(game.Player2().dead);
    EXPECT_EQ(Shown(10, 10), engine::kFirstPlayer);
    EXPECT_EQ(Shown(20, 20), engine::kSecondPlayer);
    EXPECT_EQ(game.Board().EmptyInnerCells(), 29 * 29 - 4);
    EXPECT_EQ(script.Left(), 0U) << "a tick draws no random number";
}

TEST_F(DeathMatchTest, PlayerTwoRunningIntoPlayerOnesStartCellLosesTheBout)
{
    SeparateKeys();
    StartMatch();
    Key2(engine::kUp);
    for (int i = 0; i < 10; ++i)
        Tick();
    ASSERT_EQ(game.Player2().sections[1], (Cell{20, 10}));
    Key2(engine::kLeft);
    for (int i = 0; i < 9; ++i)
        Tick();
    ASSERT_EQ(game.GamePhase(), engine::Phase::Playing);
    Tick();
    EXPECT_TRUE(game.Player2().dead);
    EXPECT_FALSE(game.Player1().dead);
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingBout);
    EXPECT_EQ(game.WhoDied(), 2);
    EXPECT_EQ(game.Score1(), 1);
    EXPECT_EQ(game.Score2(), 0);
    EXPECT_EQ(game.Interval(), 110);
    // The dead head is drawn over player 1's start cell.
    EXPECT_EQ(Shown(10, 10), engine::kSecondPlayer);

    // Ten steps erase player 2 from tail to head; then the next bout begins at once.
    for (int i = 0; i < 9; ++i)
        Remove();
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingBout);
    EXPECT_EQ(Shown(20, 10), kBlank);
    EXPECT_EQ(Shown(11, 10), kBlank);
    EXPECT_EQ(Shown(10, 10), engine::kSecondPlayer) << "the head goes last";
    PushTargets({5, 5}, {6, 6});
    Remove();
    EXPECT_EQ(Shown(10, 10), kBlank);
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
    EXPECT_EQ(game.Interval(), 100);
    EXPECT_EQ(game.Player2().sections[1], (Cell{20, 20}));
    EXPECT_EQ(game.Player2().direction, engine::kNone);
    EXPECT_EQ(Code({5, 5}), engine::kTarget);
    EXPECT_EQ(Code({6, 6}), engine::kTarget2);
    EXPECT_EQ(game.Score1(), 1) << "scores carry over from bout to bout";
}

// Still gathered on its start cell, a worm is spared only by its own sections: its first step
// into the other worm's body kills it.
TEST_F(DeathMatchTest, AFirstStepIntoTheOtherWormsBodyLosesTheBout)
{
    SeparateKeys();
    StartMatch();
    LayRightward(1, 22, 19); // its body crosses (20, 19), above player 2's start
    Key2(engine::kUp);
    Tick();
    EXPECT_EQ(game.Player2().sections[1], (Cell{20, 19}));
    EXPECT_TRUE(game.Player2().dead);
    EXPECT_FALSE(game.Player1().dead);
    EXPECT_EQ(game.WhoDied(), 2);
    EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingBout);
}

TEST_F(DeathMatchTest, TheTicksOrderSettlesEveryTie)
{
    StartMatch();
    {
        SCOPED_TRACE("both heads entering one empty cell: player 2 dies");
        Lay(1, {{14, 15}, {13, 15}}, engine::kRight);
        Lay(2, {{16, 15}, {17, 15}}, engine::kLeft);
        deaths = 0;
        Tick();
        EXPECT_EQ(deaths, 1);
        EXPECT_FALSE(game.Player1().dead);
        EXPECT_TRUE(game.Player2().dead);
        EXPECT_EQ(game.Score1(), 1);
        EXPECT_EQ(game.Score2(), 0);
    }
    PushTargets({1, 29}, {29, 1});
    NewDeath();
    {
        SCOPED_TRACE("heads side by side moving at each other: both die");
        Lay(1, {{14, 15}, {13, 15}}, engine::kRight, 15);
        Lay(2, {{15, 15}, {16, 15}}, engine::kLeft);
        deaths = 0;
        Tick();
        EXPECT_EQ(deaths, 1) << "one sound for both";
        EXPECT_TRUE(game.Player1().dead);
        EXPECT_TRUE(game.Player2().dead);
        EXPECT_EQ(game.WhoDied(), 3);
        EXPECT_EQ(game.Score1(), 1);
        EXPECT_EQ(game.Score2(), 0);
        EXPECT_EQ(game.Interval(), 1100 / 15);
        for (int i = 0; i < 14; ++i)
            Remove();
        EXPECT_EQ(game.GamePhase(), engine::Phase::RemovingBout) << "as long as the longer worm";
        PushTargets({1, 29}, {29, 1});
        Remove();
        EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
    }
    {
        SCOPED_TRACE("player 2 takes the cell player 1's tail left in the same tick");
        LayRightward(1, 12, 5);
        Lay(2, {{3, 6}, {3, 7}, {3, 8}}, engine::kUp);
        deaths = 0;
        Tick();
        EXPECT_TRUE(deaths == 0);
        EXPECT_FALSE(game.Player1().dead);
        EXPECT_FALSE(game.Player2().dead);
        EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
        EXPECT_EQ(Code({3, 5}), engine::kPlayer);
        EXPECT_EQ(Shown(3, 5), engine::kSecondPlayer);
    }
    PushTargets({1, 29}, {29, 1});
    NewDeath();
    {
        SCOPED_TRACE("player 1 enters the cell player 2's tail is about to leave");
        LayRightward(2, 12, 5);
        Lay(1, {{3, 6}, {3, 7}, {3, 8}}, engine::kUp);
        deaths = 0;
        Tick();
        EXPECT_EQ(deaths, 1);
        EXPECT_TRUE(game.Player1().dead);
        EXPECT_FALSE(game.Player2().dead);
        EXPECT_EQ(game.Score2(), 1);
    }
    PushTargets({1, 29}, {29, 1});
    NewDeath();
    {
        SCOPED_TRACE("a worm running into the cell its own tail leaves dies");
        Lay(1, {{5, 5}, {6, 5}, {6, 6}, {5, 6}}, engine::kDown, 4);
        Tick();
        EXPECT_TRUE(game.Player1().dead);
    }
}

TEST_F(DeathMatchTest, EachTargetFeedsItsOwnerAndKillsTheOther)
{
    StartMatch({12, 10}, {20, 22});
    // Player 1 eats: five sections longer, the tail stays for five moves.
    LayRightward(1, 11, 10);
    script.Push(24); // the new target at (25, 25)
    script.Push(24);
    Tick();
    EXPECT_FALSE(game.Player1().dead);
    EXPECT_EQ(game.Player1().length, 15);
    EXPECT_EQ(game.TargetCell(), (Cell{25, 25}));
    EXPECT_EQ(Code({25, 25}), engine::kTarget);
    EXPECT_EQ(game.Score1(), 0) << "eating scores nothing";
    const Cell tail = game.Player1().sections[15];
    for (int i = 0; i < 5; ++i)
    {
        Tick();
        EXPECT_EQ(game.Player1().sections[15], tail);
    }
    Tick();
    EXPECT_NE(game.Player1().sections[15], tail);

    // Player 1's head on player 2's target: player 1 dies and the target stays uneaten.
    PushTargets({1, 29}, {29, 1});
    NewDeath();
    Lay(1, {{29, 2}, {28, 2}}, engine::kUp);
    Tick();
    EXPECT_TRUE(game.Player1().dead);
    EXPECT_EQ(game.Score2(), 1);
    EXPECT_EQ(game.Target2Cell(), (Cell{29, 1}));
    EXPECT_EQ(game.Player2().length, 10);
    EXPECT_EQ(game.Player1().length, 10);
}

TEST_F(DeathMatchTest, PlayerTwoOnPlayerOnesTargetDies)
{
    StartMatch({1, 29}, {29, 1});
    Lay(2, {{1, 28}, {1, 27}}, engine::kDown);
    Tick();
    EXPECT_TRUE(game.Player2().dead);
    EXPECT_EQ(game.Score1(), 1);
    EXPECT_EQ(game.TargetCell(), (Cell{1, 29}));
}

TEST_F(DeathMatchTest, DefaultKeysTurnBothWormsAndSharedKeysDoEverythingBoundToThem)
{
    StartMatch();
    Key(engine::kLeft);
    EXPECT_EQ(game.Player1().direction, engine::kLeft);
    EXPECT_EQ(game.Player2().direction, engine::kLeft);
    Tick();
    EXPECT_EQ(game.Player1().sections[1], (Cell{9, 10}));
    EXPECT_EQ(game.Player2().sections[1], (Cell{19, 20}));
    Key(engine::kRight); // the opposite of both worms' way: nothing
    EXPECT_EQ(game.Player1().direction, engine::kLeft);
    EXPECT_FALSE(game.Player1().turned);

    // One key bound to several directions performs every one of them in the binding order:
    // player 1's right (rejected, the opposite of left), player 1's up, player 2's down.
    const engine::PlayerTurn k[3] = {{1, engine::kRight}, {1, engine::kUp}, {2, engine::kDown}};
    game.Key(k);
    EXPECT_EQ(game.Player1().direction, engine::kUp);
    EXPECT_EQ(game.Player1().queued, engine::kNone);
    EXPECT_EQ(game.Player2().direction, engine::kDown);
    Tick();
    // Now right is accepted first and up, no longer the opposite, is queued behind it.
    game.Key(k);
    EXPECT_EQ(game.Player1().direction, engine::kRight);
    EXPECT_EQ(game.Player1().queued, engine::kUp);
    Tick();
    EXPECT_EQ(game.Player1().sections[1], (Cell{10, 9}));
    EXPECT_EQ(game.Player1().direction, engine::kUp) << "the queued turn after one move";
    EXPECT_EQ(game.Player1().queued, engine::kNone);
}

TEST_F(DeathMatchTest, ThreeKeysInOneTickQueueOnlyTheLastAndAKeyDuringTheRemovalDelaysTheStart)
{
    SeparateKeys();
    StartMatch();
    Key(engine::kRight);
    Tick();
    Key(engine::kUp);
    Key(engine::kLeft);
    Key(engine::kDown); // the opposite of up, which is now the direction: rejected
    EXPECT_EQ(game.Player1().direction, engine::kUp);
    EXPECT_EQ(game.Player1().queued, engine::kLeft);
    EXPECT_EQ(game.Player2().direction, engine::kNone) << "the arrows are player 1's alone";
    Tick();
    Tick();
    EXPECT_EQ(game.Player1().sections[1], (Cell{10, 9}));
    EXPECT_EQ(game.Player1().sections[2], (Cell{11, 9}));

    // Player 1 into the top wall; a key pressed during the removal.
    engine::Scenario(game).Direction(1, engine::kUp);
    for (int i = 0; i < 9 && game.GamePhase() == engine::Phase::Playing; ++i)
        Tick();
    ASSERT_EQ(game.GamePhase(), engine::Phase::RemovingBout);
    EXPECT_EQ(game.Score2(), 1);
    Key(engine::kLeft);
    EXPECT_TRUE(game.Player1().turned);
    PushTargets({1, 29}, {29, 1});
    while (game.GamePhase() == engine::Phase::RemovingBout)
        Remove();
    EXPECT_EQ(game.Player1().direction, engine::kNone) << "the new bout resets the way";
    EXPECT_TRUE(game.Player1().turned) << "but not the turned flag";
    Key(engine::kDown);
    EXPECT_EQ(game.Player1().queued, engine::kDown);
    Tick();
    EXPECT_EQ(game.Player1().sections[1], (Cell{10, 10})) << "one tick later than usual";
    Tick();
    EXPECT_EQ(game.Player1().sections[1], (Cell{10, 11}));
}

TEST_F(DeathMatchTest, RemovalOfBothErasesEachWormFromItsTail)
{
    StartMatch();
    Lay(1, {{14, 15}, {13, 15}, {12, 15}}, engine::kRight, 3);
    Lay(2, {{15, 15}, {16, 15}, {17, 15}, {18, 15}, {19, 15}}, engine::kLeft, 5);
    Tick();
    ASSERT_EQ(game.WhoDied(), 3);
    EXPECT_EQ(game.RemovalCounter(), 5);
    EXPECT_EQ(Shown(12, 15), kBlank) << "the cell player 1's tail left";
    EXPECT_EQ(Shown(14, 15), engine::kSecondPlayer) << "player 2's dead head";
    EXPECT_EQ(Shown(15, 15), engine::kFirstPlayer) << "player 1's dead head";
    Remove();
    EXPECT_EQ(Shown(13, 15), kBlank) << "player 1's tail";
    EXPECT_EQ(Shown(18, 15), kBlank) << "player 2's tail";
    EXPECT_EQ(Shown(17, 15), engine::kSecondPlayer);
    Remove();
    EXPECT_EQ(Shown(14, 15), kBlank) << "erased with player 1's section under it";
    Remove();
    EXPECT_EQ(game.Player1().length, 0);
    EXPECT_EQ(game.Player2().length, 2);
    EXPECT_EQ(Shown(15, 15), kBlank);
    EXPECT_EQ(Shown(16, 15), kBlank);
    Remove();
    PushTargets({1, 29}, {29, 1});
    Remove();
    EXPECT_EQ(game.GamePhase(), engine::Phase::Playing);
    EXPECT_EQ(game.Score1() + game.Score2(), 0);
}

} // namespace

namespace
{

// A game played with random keys and recorded, then played again from its start and accepted
// turns alone: the boards agree after every step, removals and new bouts included.
void PlayBackEqual(const engine::GameStart& start, int steps)
{
    engine::Game played;
    engine::RandomGenerator keys(start.seed + 1);
    played.Start(start);
    std::vector<std::uint64_t> hashes;
    std::vector<engine::Event> events;
    for (int s = 0; s < steps && played.GamePhase() != engine::Phase::Waiting; ++s)
    {
        if (keys.Random(3) == 0)
        {
            const engine::PlayerTurn turns[2] = {{1, static_cast<std::uint8_t>(keys.Random(5))},
                                                 {2, static_cast<std::uint8_t>(keys.Random(5))}};
            played.Key(std::span(turns, static_cast<std::size_t>(keys.Random(3))));
        }
        played.Step();
        played.TakeEvents(events);
        hashes.push_back(played.StateHash());
    }
    ASSERT_GT(played.AcceptedTurns().size(), 2U);

    engine::Game again;
    again.Start(played.Started());
    std::size_t next = 0;
    const auto& turns = played.AcceptedTurns();
    for (std::size_t s = 0; s < hashes.size(); ++s)
    {
        for (; next < turns.size() && turns[next].step == again.Steps(); ++next)
            again.Key(std::span(&turns[next].turn, 1));
        again.Step();
        again.TakeEvents(events);
        ASSERT_EQ(again.StateHash(), hashes[s]) << "step " << s;
    }
    EXPECT_EQ(again.AcceptedTurns(), turns);
    EXPECT_EQ(again.Ticks(), played.Ticks());
    EXPECT_EQ(again.Score() + again.Score1() + again.Score2(),
              played.Score() + played.Score1() + played.Score2());
}

TEST(PlaybackTest, TheSameStartAndTurnsAtTheSameStepsGiveTheSameBoardEveryStep)
{
    // A Master game with its first key queued by a key pressed before it began.
    PlayBackEqual({engine::Mode::Single, 4242, *engine::LevelSkill(4), {true, false}}, 3000);
    // A death match over many bouts, each player turned before the start.
    PlayBackEqual({engine::Mode::DeathMatch, 99, {0, 1, 100, 0}, {true, true}}, 3000);
    // The seed alone decides: another seed gives another game.
    engine::Game a, b;
    a.NewGame(1, *engine::LevelSkill(4));
    b.NewGame(2, *engine::LevelSkill(4));
    for (int i = 0; i < 20; ++i)
    {
        a.Step();
        b.Step();
    }
    EXPECT_NE(a.StateHash(), b.StateHash());
    EXPECT_EQ(a.Seed(), 1U);
    EXPECT_EQ(a.Ticks(), 20U);
}

} // namespace
