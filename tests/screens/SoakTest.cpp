// Long play of the single game and the death match, driven by a seeded stream of keys through the
// screen's own handlers, with the board and the worm records checked against each other after
// every step. ZORBEL_SOAK_TICKS sets the ticks of each mode (the long run uses 1 000 000).
#include "GameUnitFixture.h"

#include "settings/IniFile.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

namespace
{

using engine::Cell;
using gametest::GameFixture;

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

// Keys of one player: left, right, up, down.
struct Keys
{
    int left, right, up, down;
    int For(std::uint8_t dir) const
    {
        const int keys[4] = {left, right, up, down};
        return keys[dir];
    }
};

class SoakTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Create();
        game->SetRandomSource(nullptr);
        game->Generator.Seed(20261208);
        keys_.Seed(7);
    }

    // The real timers would post ticks no one reads; the soak calls the handlers itself.
    void StopRealTimers()
    {
        for (widgets::TzcTimer* t : {&game->Timer1, &game->TimerDM, &game->pKillTimer,
                                     &game->cKillTimer, &game->WaitTimer, &game->DMKiller})
            t->SetEnabled(false);
    }
    void Press(int key) { game->FormKeyDown(*game, key); }

    // A key for a worm: mostly a safe way towards its target, sometimes any key at all, so that
    // worms both grow long and die in every way.
    void Steer(const engine::PlayerWorm& worm, Cell target, const Keys& keys)
    {
        const int roll = keys_.Random(100);
        if (roll < 3)
        {
            Press(keys.For(static_cast<std::uint8_t>(keys_.Random(4))));
            return;
        }
        if (roll < 4)
        {
            Press('Q'); // bound to nothing: cancels a queued turn in the single game
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
            const std::uint8_t code = game->Board.At(next);
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
            Press(keys.For(best));
    }

    // Now and then Pause twice, or Escape and a new visit, so that those paths are soaked too.
    void Interrupt(const std::function<void()>& startAgain)
    {
        const int roll = keys_.Random(20000);
        if (roll < 10)
        {
            Press(ui::vk::Pause);
            Press(ui::vk::Pause);
        }
        else if (roll == 10)
        {
            Press(ui::vk::Escape);
            ASSERT_EQ(game->Phase(), GamePhase::Idle);
            startAgain();
        }
    }

    // Codes of the single game against its worm records.
    void CheckSingleGame(int worms)
    {
        const GamePhase phase = game->Phase();
        const engine::PlayerWorm& player = game->Player;
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
                const Cell c =
                    game->Worms[static_cast<std::size_t>(n)].sections[static_cast<std::size_t>(i)];
                ASSERT_TRUE(Inside(c)) << "worm " << n;
                if (i >= 1)
                    computer.insert({c.x, c.y});
            }
        int targets = 0;
        for (int x = 0; x <= 30; ++x)
            for (int y = 0; y <= 30; ++y)
            {
                const std::uint8_t code = game->Board.At(x, y);
                if (OnBorder(x, y))
                {
                    // Only a fatal head is drawn over a wall, and play stops at once.
                    const bool deadHead =
                        code == engine::kPlayer && phase != GamePhase::Playing &&
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
            }
        if (phase != GamePhase::Playing && phase != GamePhase::Paused)
            return;
        for (const auto& [x, y] : own)
            ASSERT_EQ(game->Board.At(x, y), engine::kPlayer) << "player section " << x << "," << y;
        for (const auto& [x, y] : computer)
            ASSERT_EQ(game->Board.At(x, y), engine::kComputer) << "worm section " << x << "," << y;
        ASSERT_EQ(targets, game->Target.Visible() ? 1 : 0);
        if (game->Target.Visible())
        {
            ASSERT_EQ(game->Board.At(game->TargetCell), engine::kTarget);
        }
    }

    void CheckDeathMatch()
    {
        const GamePhase phase = game->Phase();
        const bool inPlay = phase == GamePhase::Playing || phase == GamePhase::Paused;
        std::set<std::pair<int, int>> sections;
        for (const engine::DeathMatchWorm* worm : {&game->Player1, &game->Player2})
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
                const std::uint8_t code = game->Board.At(x, y);
                const Cell c{std::uint8_t(x), std::uint8_t(y)};
                if (OnBorder(x, y))
                {
                    const bool deadHead =
                        code == engine::kPlayer && !inPlay &&
                        (game->Player1.sections[1] == c || game->Player2.sections[1] == c);
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
            }
        if (!inPlay)
            return;
        for (const auto& [x, y] : sections)
            ASSERT_EQ(game->Board.At(x, y), engine::kPlayer) << x << "," << y;
        ASSERT_EQ(targets1, game->Target.Visible() ? 1 : 0);
        ASSERT_EQ(targets2, game->Target2.Visible() ? 1 : 0);
        if (game->Target.Visible())
        {
            ASSERT_EQ(game->Board.At(game->TargetCell), engine::kTarget);
        }
        if (game->Target2.Visible())
        {
            ASSERT_EQ(game->Board.At(game->Target2Cell), engine::kTarget2);
        }
    }

    // Runs one handler for the phase the screen is in; returns whether it was a game tick.
    bool StepSingleGame()
    {
        switch (game->Phase())
        {
        case GamePhase::Waiting:
            game->WaitTimerTimer(game->WaitTimer);
            break;
        case GamePhase::Playing:
            game->Timer1Timer(game->Timer1);
            StopRealTimers();
            return true;
        case GamePhase::Paused:
            Press(ui::vk::Pause);
            break;
        case GamePhase::RemovingPlayer:
            game->pKillTimerTimer(game->pKillTimer);
            break;
        case GamePhase::RemovingComputers:
            game->cKillTimerTimer(game->cKillTimer);
            break;
        default:
            ADD_FAILURE() << "unexpected phase";
        }
        StopRealTimers();
        return false;
    }

    engine::RandomGenerator keys_;
    long longest_ = 0;
    long games_ = 0;
};

TEST_F(SoakTest, SingleGameAtEveryLevelKeepsBoardAndWormsInAgreement)
{
    struct Run
    {
        int level;
        int customWorms;
    };
    const Run runs[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 4}, {5, 0}, {5, 8}};
    const long ticksPerRun = std::max(SoakTicks() / 7, 1L);
    const Keys arrows{ui::vk::Left, ui::vk::Right, ui::vk::Up, ui::vk::Down};
    form1->UserName = "SOAK";
    for (const Run& run : runs)
    {
        SCOPED_TRACE("level " + std::to_string(run.level) + ", custom worms " +
                     std::to_string(run.customWorms));
        form1->Ini->WriteInteger("Custom", "worms", run.customWorms);
        form1->Ini->WriteInteger("Custom", "timer", 1);
        form1->SkillLevel = static_cast<std::uint8_t>(run.level);
        form1->SetSkill();
        const auto start = [&]
        {
            form1->StartNewGame();
            StopRealTimers();
        };
        start();
        long ticks = 0;
        while (ticks < ticksPerRun)
        {
            if (game->Phase() == GamePhase::Playing)
            {
                Steer(game->Player, game->TargetCell, arrows);
                Interrupt(start);
                if (::testing::Test::HasFatalFailure())
                    return;
                StopRealTimers();
            }
            const bool wasNewGame = game->Phase() == GamePhase::Waiting;
            if (StepSingleGame())
                ++ticks;
            games_ += wasNewGame ? 1 : 0;
            longest_ = std::max<long>(longest_, game->Player.length);
            CheckSingleGame(form1->WormCount);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        game->Hide();
    }
    RecordProperty("games", std::to_string(games_));
    RecordProperty("longest", std::to_string(longest_));
    std::cout << "single game: " << ticksPerRun * 7 << " ticks, " << games_
              << " games, longest worm " << longest_ << "\n";
    EXPECT_GT(games_, 7) << "every run ends games";
    EXPECT_GT(longest_, 10) << "worms grow";
    EXPECT_TRUE(errors.empty());
}

TEST_F(SoakTest, DeathMatchKeepsBoardAndWormsInAgreement)
{
    const long ticks = SoakTicks();
    form1->DeathMatch = true;
    long bouts = 0;
    const auto start = [&]
    {
        form1->StartDeathMatch();
        StopRealTimers();
    };
    // Half the match with the default keys (every arrow turns both worms), half with keys of
    // each player's own.
    for (int half = 0; half < 2; ++half)
    {
        if (half == 1)
        {
            form1->LeftKey2 = 'A';
            form1->RightKey2 = 'D';
            form1->UpKey2 = 'W';
            form1->DownKey2 = 'S';
        }
        const Keys keys1{form1->LeftKey1, form1->RightKey1, form1->UpKey1, form1->DownKey1};
        const Keys keys2{form1->LeftKey2, form1->RightKey2, form1->UpKey2, form1->DownKey2};
        start();
        long done = 0;
        while (done < ticks / 2)
        {
            switch (game->Phase())
            {
            case GamePhase::Waiting:
                game->WaitTimerTimer(game->WaitTimer);
                ++bouts;
                break;
            case GamePhase::Playing:
                Steer(game->Player1, game->TargetCell, keys1);
                Steer(game->Player2, game->Target2Cell, keys2);
                Interrupt(start);
                if (::testing::Test::HasFatalFailure())
                    return;
                StopRealTimers();
                if (game->Phase() != GamePhase::Playing)
                    break;
                game->TimerDMTimer(game->TimerDM);
                ++done;
                if (game->Phase() == GamePhase::RemovingBout)
                    ++bouts;
                break;
            case GamePhase::Paused:
                Press(ui::vk::Pause);
                break;
            case GamePhase::RemovingBout:
                game->DMKillerTimer(game->DMKiller);
                break;
            default:
                ADD_FAILURE() << "unexpected phase";
                return;
            }
            StopRealTimers();
            longest_ =
                std::max<long>(longest_, std::max(game->Player1.length, game->Player2.length));
            CheckDeathMatch();
            if (::testing::Test::HasFatalFailure())
                return;
        }
        game->Hide();
    }
    std::cout << "death match: " << ticks << " ticks, " << bouts << " bouts, longest worm "
              << longest_ << "\n";
    EXPECT_GT(bouts, 2);
    EXPECT_GT(longest_, 10);
    EXPECT_TRUE(errors.empty());
}

} // namespace
