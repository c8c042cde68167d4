// The game model played without any screen: seeded games against golden boards, and long play
// of the single game at every level and of the death match, driven by a seeded stream of turns,
// with the board, the worm records and the picture the events paint checked against each other
// after every step. ZORBEL_SOAK_TICKS sets the ticks of each mode (the long run uses 1 000 000).
#include "engine/Game.h"
#include "engine/Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <span>
#include <string>

namespace
{

using engine::Cell;
using engine::EventKind;

// A key of the single game bound to dir, or to nothing (kNone).
void Press(engine::Game& game, std::uint8_t dir)
{
    const engine::PlayerTurn turn{1, dir};
    game.Key(dir == engine::kNone ? std::span<const engine::PlayerTurn>()
                                  : std::span<const engine::PlayerTurn>(&turn, 1));
}

bool Reported(const engine::Game& game, EventKind kind)
{
    return std::any_of(game.Events().begin(), game.Events().end(),
                       [kind](const engine::Event& e) { return e.kind == kind; });
}

// The turns taken before given ticks.
const std::map<int, std::uint8_t> kTurns = {{0, engine::kLeft},   {5, engine::kDown},
                                            {17, engine::kRight}, {24, engine::kUp},
                                            {30, engine::kLeft},  {33, engine::kUp}};

// Level 3: four computer worms that reconsider their way with chance 1 in 6.
std::string Play(engine::Game& game, int ticks, bool& died)
{
    game.NewGame(1999, *engine::LevelSkill(3));
    died = false;
    std::vector<engine::Event> events;
    for (int tick = 0; tick < ticks; ++tick)
    {
        if (const auto turn = kTurns.find(tick); turn != kTurns.end())
            Press(game, turn->second);
        game.TakeEvents(events);
        game.Step();
        died = died || Reported(game, EventKind::Died);
    }
    return game.Board().ToText();
}

// Eats the target on tick 15 (left, then down onto it), then runs on: the five stacked
// sections have unrolled by tick 20.
constexpr const char* kAfter20 = R"(...................cccccc....
...................c....c....
...................c....c....
.............................
.............................
.............................
ccccc........................
c...c........................
c............................
c............................
c............................
..........................ccc
..........................cc.
..........................cc.
.............................
.........P...................
.........P..................*
.........P...................
.........P...................
.........P...................
.........P...................
.........P...................
.........P..........ccccc....
.........P..........c........
.........P..........c........
.........P..........c........
.........PPPP......cc........
.............................
.............................
)";

constexpr const char* kAfter45 = R"(................cccccccccc...
.............................
.............................
.............................
.............................
.............................
.............................
.............................
.............P...............
.............P...............
.............P.............cc
.............P...........cccc
.............P...........c...
.............P.........ccc...
.............P......ccccc....
.............P..........c....
.............P..........c...*
.............P..........c....
.............P..........c....
.............P..........c....
.............PPP.............
.............................
.............................
.............................
..cccccccccc.................
.............................
.............................
.............................
.............................
)";

TEST(GameGoldenTest, SeededGameWithAFixedListOfTurnsLeavesTheGoldenBoards)
{
    engine::Game game;
    bool died = true;
    EXPECT_EQ(Play(game, 20, died), kAfter20);
    EXPECT_EQ(game.Score(), 1);
    EXPECT_EQ(game.Player().length, 15);
    EXPECT_FALSE(died);

    // The same seed and turns give the same game again, from a fresh start.
    EXPECT_EQ(Play(game, 45, died), kAfter45);
    EXPECT_EQ(game.Player().length, 15);
    EXPECT_FALSE(died);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr long kDefaultTicks = 10'000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kDefaultTicks = 10'000;
#else
constexpr long kDefaultTicks = 50'000;
#endif
#else
constexpr long kDefaultTicks = 50'000;
#endif

long SoakTicks()
{
    if (const char* text = std::getenv("ZORBEL_SOAK_TICKS"))
        return std::max(std::atol(text), 1L);
    return kDefaultTicks;
}

bool Inside(Cell c)
{
    return c.x <= 30 && c.y <= 30;
}
bool OnBorder(int x, int y)
{
    return x == 0 || y == 0 || x == 30 || y == 30;
}

constexpr int kUnpainted = -1;

// What a screen painting the reported events would show, and what else they told.
struct Reports
{
    bool died = false;
    bool boutOver = false;
    int eaten = 0;
};

class GameSoakTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        engine::Scenario(game).Generator().Seed(20261208);
        keys_.Seed(7);
        painted_.fill(kUnpainted);
    }

    Reports Apply()
    {
        Reports r;
        game.TakeEvents(events_);
        for (const engine::Event& e : events_)
        {
            switch (e.kind)
            {
            case EventKind::Cleared:
                painted_.fill(kUnpainted);
                break;
            case EventKind::Draw:
                Paint(e.cell) = e.who;
                break;
            case EventKind::Erase:
                Paint(e.cell) = kUnpainted;
                break;
            case EventKind::Eaten:
                ++r.eaten;
                break;
            case EventKind::Died:
                r.died = true;
                break;
            case EventKind::BoutOver:
                r.boutOver = true;
                break;
            default:
                break;
            }
        }
        return r;
    }
    int& Paint(Cell c) { return painted_[static_cast<std::size_t>(c.x * 31 + c.y)]; }

    // A turn for a worm: mostly a safe way towards its target, sometimes any way at all or a key
    // bound to nothing (kNone), so that worms both grow long and die in every way.
    template <typename TurnFn> void Steer(const engine::PlayerWorm& worm, Cell target, TurnFn turn)
    {
        const int roll = keys_.Random(100);
        if (roll < 3)
        {
            turn(static_cast<std::uint8_t>(keys_.Random(4)));
            return;
        }
        if (roll < 4)
        {
            turn(engine::kNone);
            return;
        }
        if (roll < 40)
            return;
        const Cell head = worm.sections[1];
        std::uint8_t best = engine::kNone;
        int bestDistance = 1000;
        for (std::uint8_t d = engine::kLeft; d <= engine::kDown; ++d)
        {
            const Cell next = engine::Step(head, d);
            if (!Inside(next))
                continue;
            const std::uint8_t code = game.Board().At(next);
            if (code != engine::kEmpty && next != target)
                continue;
            const int distance = std::abs(next.x - target.x) + std::abs(next.y - target.y);
            if (distance < bestDistance)
            {
                best = d;
                bestDistance = distance;
            }
        }
        if (best != engine::kNone && best != worm.direction)
            turn(best);
    }

    // Codes of the single game against its worm records and, once the worms have been drawn,
    // against the picture the events painted.
    void CheckSingleGame(int worms, bool inPlay, bool drawn)
    {
        const engine::PlayerWorm& player = game.Player();
        ASSERT_GE(player.length, 10);
        ASSERT_LE(player.length, engine::kMaxLength);
        std::set<std::pair<int, int>> computer, own;
        for (int i = 0; i <= player.length; ++i)
        {
            const Cell c = player.sections[static_cast<std::size_t>(i)];
            ASSERT_TRUE(Inside(c)) << "player section " << i;
            if (i >= 1)
                own.insert({c.x, c.y});
        }
        for (int n = 1; n <= worms; ++n)
            for (int i = 0; i <= 10; ++i)
            {
                const Cell c = game.Worm(n).sections[static_cast<std::size_t>(i)];
                ASSERT_TRUE(Inside(c)) << "worm " << n;
                if (i >= 1)
                    computer.insert({c.x, c.y});
            }
        int targets = 0;
        for (int x = 0; x <= 30; ++x)
            for (int y = 0; y <= 30; ++y)
            {
                const std::uint8_t code = game.Board().At(x, y);
                if (OnBorder(x, y))
                {
                    // Only a fatal head is drawn over a wall, and play stops at once.
                    const bool deadHead =
                        code == engine::kPlayer && !inPlay &&
                        player.sections[1] == Cell{std::uint8_t(x), std::uint8_t(y)};
                    ASSERT_TRUE(code == engine::kWall || deadHead) << x << "," << y;
                    continue;
                }
                ASSERT_LE(code, engine::kPlayer) << x << "," << y;
                if (code == engine::kComputer)
                {
                    ASSERT_TRUE(computer.contains({x, y}))
                        << "stray computer code " << x << "," << y;
                }
                if (code == engine::kPlayer)
                {
                    ASSERT_TRUE(own.contains({x, y})) << "stray player code " << x << "," << y;
                }
                targets += code == engine::kTarget ? 1 : 0;
                if (!inPlay || !drawn)
                    continue;
                const int shown = Paint({std::uint8_t(x), std::uint8_t(y)});
                // Only the head is drawn: the sections the player leaves stacked on its start
                // cell stay unseen until they unroll.
                const bool startStack =
                    Cell{std::uint8_t(x), std::uint8_t(y)} == engine::kPlayerStart &&
                    shown == kUnpainted;
                if (code == engine::kPlayer && !startStack)
                {
                    ASSERT_EQ(shown, engine::kFirstPlayer) << x << "," << y;
                }
                else if (code == engine::kComputer)
                {
                    ASSERT_TRUE(shown >= 1 && shown <= worms) << x << "," << y << ": " << shown;
                }
                else if (code != engine::kPlayer)
                {
                    ASSERT_EQ(shown, kUnpainted) << x << "," << y;
                }
            }
        if (!inPlay)
            return;
        for (const auto& [x, y] : own)
            ASSERT_EQ(game.Board().At(x, y), engine::kPlayer) << "player section " << x << "," << y;
        for (const auto& [x, y] : computer)
            ASSERT_EQ(game.Board().At(x, y), engine::kComputer) << "worm section " << x << "," << y;
        ASSERT_EQ(targets, 1);
        ASSERT_EQ(game.Board().At(game.TargetCell()), engine::kTarget);
    }

    void CheckDeathMatch(bool inPlay, bool drawn)
    {
        std::set<std::pair<int, int>> sections;
        for (const engine::DeathMatchWorm* worm : {&game.Player1(), &game.Player2()})
        {
            if (inPlay)
            {
                ASSERT_GE(worm->length, 10);
            }
            ASSERT_LE(worm->length, engine::kMaxLength);
            for (int i = 0; i <= worm->length; ++i)
            {
                const Cell c = worm->sections[static_cast<std::size_t>(i)];
                ASSERT_TRUE(Inside(c));
                if (i >= 1)
                    sections.insert({c.x, c.y});
            }
        }
        int targets1 = 0, targets2 = 0;
        for (int x = 0; x <= 30; ++x)
            for (int y = 0; y <= 30; ++y)
            {
                const std::uint8_t code = game.Board().At(x, y);
                const Cell c{std::uint8_t(x), std::uint8_t(y)};
                if (OnBorder(x, y))
                {
                    const bool deadHead =
                        code == engine::kPlayer && !inPlay &&
                        (game.Player1().sections[1] == c || game.Player2().sections[1] == c);
                    ASSERT_TRUE(code == engine::kWall || deadHead) << x << "," << y;
                    continue;
                }
                ASSERT_TRUE(code == engine::kEmpty || code == engine::kTarget ||
                            code == engine::kPlayer || code == engine::kTarget2)
                    << int(code);
                // The removal paints only; the codes of erased sections stay until the next bout.
                if (inPlay && code == engine::kPlayer)
                {
                    ASSERT_TRUE(sections.contains({x, y})) << "stray section " << x << "," << y;
                }
                targets1 += code == engine::kTarget ? 1 : 0;
                targets2 += code == engine::kTarget2 ? 1 : 0;
                if (!inPlay || !drawn)
                    continue;
                const int shown = Paint(c);
                const bool startStack =
                    (c == engine::kPlayer1Start || c == engine::kPlayer2Start) &&
                    shown == kUnpainted;
                if (code == engine::kPlayer && !startStack)
                {
                    ASSERT_TRUE(shown == engine::kFirstPlayer || shown == engine::kSecondPlayer)
                        << x << "," << y << ": " << shown;
                }
                else if (code != engine::kPlayer)
                {
                    ASSERT_EQ(shown, kUnpainted) << x << "," << y;
                }
            }
        if (!inPlay)
            return;
        for (const auto& [x, y] : sections)
            ASSERT_EQ(game.Board().At(x, y), engine::kPlayer) << x << "," << y;
        ASSERT_EQ(targets1, 1);
        ASSERT_EQ(targets2, 1);
        ASSERT_EQ(game.Board().At(game.TargetCell()), engine::kTarget);
        ASSERT_EQ(game.Board().At(game.Target2Cell()), engine::kTarget2);
    }

    engine::Game game;
    std::vector<engine::Event> events_;
    engine::RandomGenerator keys_;
    std::array<int, 31 * 31> painted_{};
    long longest_ = 0;
    long games_ = 0;
};

TEST_F(GameSoakTest, SingleGamesAtEveryLevelPlayToTheirEndsInAgreement)
{
    struct Level
    {
        int worms;
        int prob;
    };
    // Beginner, Amateur, Professional and Master, then custom games of 4, 0 and 8 worms.
    const Level levels[] = {{2, 10}, {3, 8}, {4, 6}, {8, 6}, {4, 6}, {0, 6}, {8, 6}};
    const long ticksPerRun = std::max(SoakTicks() / 7, 1L);
    for (const Level& level : levels)
    {
        SCOPED_TRACE(std::to_string(level.worms) + " worms, 1 in " + std::to_string(level.prob));
        long ticks = 0;
        // Past its share of ticks a run stops steering, so that the game under way ends.
        while (ticks < ticksPerRun)
        {
            game.NewGame(static_cast<std::uint64_t>(games_), {0, level.prob, 100, level.worms});
            Apply();
            ++games_;
            CheckSingleGame(level.worms, true, false);
            int eaten = 0;
            for (Reports r; !r.died; ++ticks)
            {
                if (ticks < ticksPerRun)
                    Steer(game.Player(), game.TargetCell(),
                          [this](std::uint8_t dir) { Press(game, dir); });
                else if (game.Player().direction == engine::kNone)
                    Press(game, engine::kLeft);
                game.Step();
                r = Apply();
                eaten += r.eaten;
                longest_ = std::max<long>(longest_, game.Player().length);
                CheckSingleGame(level.worms, !r.died, true);
                if (::testing::Test::HasFatalFailure())
                    return;
            }
            ASSERT_EQ(eaten, game.Score()) << "every point was reported eaten";
            // The death sequence erases every worm the game drew.
            ASSERT_EQ(game.GamePhase(), engine::Phase::RemovingPlayer);
            while (game.GamePhase() != engine::Phase::Waiting)
                game.Step();
            Apply();
            ASSERT_EQ(std::count(painted_.begin(), painted_.end(), kUnpainted), 31 * 31);
        }
    }
    std::cout << "single game: " << ticksPerRun * 7 << " ticks, " << games_
              << " games, longest worm " << longest_ << "\n";
    EXPECT_GT(games_, 7) << "every run ends games";
    EXPECT_GT(longest_, 10) << "worms grow";
}

TEST_F(GameSoakTest, DeathMatchPlaysBoutAfterBoutInAgreement)
{
    const long ticks = SoakTicks();
    long bouts = 0;
    long bothDied = 0;
    game.NewDeathMatch(20261208, 100);
    Apply();
    // Half the match with every turn taken by both worms (the default keys, which the players
    // share), half with each player steering alone.
    for (int half = 0; half < 2; ++half)
    {
        const bool shared = half == 0;
        const auto turn = [&](const engine::DeathMatchWorm& worm)
        {
            return [&, shared](std::uint8_t dir)
            {
                if (dir == engine::kNone)
                    return;
                const std::uint8_t own = &worm == &game.Player1() ? 1 : 2;
                const engine::PlayerTurn both[2] = {{1, dir}, {2, dir}};
                game.Key(shared ? std::span<const engine::PlayerTurn>(both)
                                : std::span<const engine::PlayerTurn>(&both[own - 1], 1));
            };
        };
        for (long done = 0; done < ticks / 2; ++done)
        {
            Steer(game.Player1(), game.TargetCell(), turn(game.Player1()));
            Steer(game.Player2(), game.Target2Cell(), turn(game.Player2()));
            game.Step();
            const Reports r = Apply();
            longest_ =
                std::max<long>(longest_, std::max(game.Player1().length, game.Player2().length));
            CheckDeathMatch(!r.boutOver, true);
            if (::testing::Test::HasFatalFailure())
                return;
            if (!r.boutOver)
                continue;
            ++bouts;
            bothDied += game.WhoDied() == engine::kBothDied ? 1 : 0;
            ASSERT_EQ(game.Score1() + game.Score2() + bothDied, bouts);
            // The removal's last step starts the next bout.
            while (game.GamePhase() == engine::Phase::RemovingBout)
                game.Step();
            Apply();
            CheckDeathMatch(true, false);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
    std::cout << "death match: " << ticks << " ticks, " << bouts << " bouts, longest worm "
              << longest_ << "\n";
    EXPECT_GT(bouts, 2);
    EXPECT_GT(longest_, 10);
}

} // namespace
