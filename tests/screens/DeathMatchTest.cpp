// The death match with scripted targets: both worms standing, every tie the tick's order settles,
// targets that feed one player and kill the other, the end of a bout, the removal and the next
// bout, the keys both players share, Pause and switching away, hiding, the screen's setup and the
// settings file.
#include "GameUnitFixture.h"

#include "settings/IniFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{

using engine::Cell;
using gametest::GameFixture;

constexpr ui::Color kPlayer2Colour{0, 250, 250};
// Player 2's own keys in most tests, so that each worm can be steered alone.
constexpr int kA = 'A', kD = 'D', kW = 'W', kS = 'S';

class DeathMatchTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Create();
        UseSolidPictures();
        game->Player2Picture = gametest::Solid(kPlayer2Colour);
        session->DeathMatch = true;
    }

    void SeparateKeys()
    {
        session->LeftKey2 = kA;
        session->RightKey2 = kD;
        session->UpKey2 = kW;
        session->DownKey2 = kS;
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
        game->NewDeathMatch();
    }
    void Tick() { game->TimerDMTimer(game->TimerDM); }
    void Remove() { game->DMKillerTimer(game->DMKiller); }

    // Lays and paints a worm from head to tail (the last cell repeated up to its length).
    void Lay(engine::DeathMatchWorm& worm, std::initializer_list<Cell> cells, std::uint8_t dir,
             int length = 10)
    {
        auto& board = game->Board;
        for (int i = 0; i <= worm.length; ++i)
            board.At(worm.sections[static_cast<std::size_t>(i)]) = engine::kEmpty;
        worm.length = length;
        std::size_t i = 1;
        Cell last{};
        const ui::Bitmap& picture =
            &worm == &game->Player1 ? game->WormPictures[0] : game->Player2Picture;
        for (const Cell c : cells)
        {
            worm.sections[i++] = c;
            board.At(c) = engine::kPlayer;
            game->DrawSection(picture, c);
            last = c;
        }
        for (; i <= static_cast<std::size_t>(length); ++i)
            worm.sections[i] = last;
        worm.sections[0] = last;
        worm.direction = dir;
    }
    // A straight horizontal worm of ten cells with its head at (x, y), running right.
    void LayRightward(engine::DeathMatchWorm& worm, int x, int y)
    {
        Lay(worm, {}, engine::kRight);
        for (int i = 1; i <= 10; ++i)
        {
            const Cell c{static_cast<std::uint8_t>(x - i + 1), static_cast<std::uint8_t>(y)};
            worm.sections[static_cast<std::size_t>(i)] = c;
            game->Board.At(c) = engine::kPlayer;
        }
        worm.sections[0] = worm.sections[10];
    }

    std::uint8_t Code(Cell c) const { return game->Board.At(c); }
};

TEST_F(DeathMatchTest, WormsStandStillUntilTheirPlayersMoveAndTheFirstTickDrawsBothHeads)
{
    StartMatch();
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    EXPECT_TRUE(game->TimerDM.Enabled());
    EXPECT_EQ(game->ScoreLabel.Caption(), "000");
    EXPECT_EQ(game->HiScoreLabel.Caption(), "000");
    EXPECT_EQ(Code({10, 10}), engine::kPlayer);
    EXPECT_EQ(Code({20, 20}), engine::kPlayer);
    EXPECT_EQ(Code({1, 29}), engine::kTarget);
    EXPECT_EQ(Code({29, 1}), engine::kTarget2);
    EXPECT_TRUE(game->Target.Visible());
    EXPECT_TRUE(game->Target2.Visible());
    EXPECT_EQ(game->Target2.Left(), 15 * 29 - 6);
    EXPECT_EQ(game->Target2.Top(), 15 * 1 + 2);
    // Not drawn before the first tick.
    EXPECT_EQ(CellPixel(10, 10), ui::clGreen);

    for (int i = 0; i < 200; ++i)
        Tick();
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    EXPECT_FALSE(game->Player1.dead);
    EXPECT_FALSE(game->Player2.dead);
    EXPECT_EQ(CellPixel(10, 10), gametest::kPlayerColour);
    EXPECT_EQ(CellPixel(20, 20), kPlayer2Colour);
    EXPECT_EQ(game->Board.EmptyInnerCells(), 29 * 29 - 4);
    EXPECT_EQ(script.Left(), 0U) << "a tick draws no random number";
}

TEST_F(DeathMatchTest, PlayerTwoRunningIntoPlayerOnesStartCellLosesTheBout)
{
    SeparateKeys();
    StartMatch();
    Key(kW);
    for (int i = 0; i < 10; ++i)
        Tick();
    ASSERT_EQ(game->Player2.sections[1], (Cell{20, 10}));
    Key(kA);
    for (int i = 0; i < 9; ++i)
        Tick();
    ASSERT_EQ(game->Phase(), GamePhase::Playing);
    Tick();
    EXPECT_TRUE(game->Player2.dead);
    EXPECT_FALSE(game->Player1.dead);
    EXPECT_EQ(game->Phase(), GamePhase::RemovingBout);
    EXPECT_EQ(game->WhoDied, 2);
    EXPECT_EQ(game->ScoreLabel.Caption(), "001");
    EXPECT_EQ(game->HiScoreLabel.Caption(), "000");
    EXPECT_FALSE(game->TimerDM.Enabled());
    EXPECT_TRUE(game->DMKiller.Enabled());
    EXPECT_EQ(game->DMKiller.Interval(), 110);
    // The dead head is drawn over player 1's start cell.
    EXPECT_EQ(CellPixel(10, 10), kPlayer2Colour);

    // Ten steps erase player 2 from tail to head; then the next bout begins at once.
    for (int i = 0; i < 9; ++i)
        Remove();
    EXPECT_EQ(game->Phase(), GamePhase::RemovingBout);
    EXPECT_EQ(CellPixel(20, 10), ui::clGreen);
    EXPECT_EQ(CellPixel(11, 10), ui::clGreen);
    EXPECT_EQ(CellPixel(10, 10), kPlayer2Colour) << "the head goes last";
    PushTargets({5, 5}, {6, 6});
    Remove();
    EXPECT_EQ(CellPixel(10, 10), ui::clGreen);
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    EXPECT_TRUE(game->TimerDM.Enabled());
    EXPECT_FALSE(game->DMKiller.Enabled());
    EXPECT_EQ(game->Player2.sections[1], (Cell{20, 20}));
    EXPECT_EQ(game->Player2.direction, engine::kNone);
    EXPECT_EQ(Code({5, 5}), engine::kTarget);
    EXPECT_EQ(Code({6, 6}), engine::kTarget2);
    EXPECT_EQ(game->ScoreLabel.Caption(), "001") << "scores carry over from bout to bout";
}

// Still gathered on its start cell, a worm is spared only by its own sections: its first step
// into the other worm's body kills it.
TEST_F(DeathMatchTest, AFirstStepIntoTheOtherWormsBodyLosesTheBout)
{
    SeparateKeys();
    StartMatch();
    LayRightward(game->Player1, 22, 19); // its body crosses (20, 19), above player 2's start
    Key(kW);
    Tick();
    EXPECT_EQ(game->Player2.sections[1], (Cell{20, 19}));
    EXPECT_TRUE(game->Player2.dead);
    EXPECT_FALSE(game->Player1.dead);
    EXPECT_EQ(game->WhoDied, 2);
    EXPECT_EQ(game->Phase(), GamePhase::RemovingBout);
}

TEST_F(DeathMatchTest, TheTicksOrderSettlesEveryTie)
{
    StartMatch();
    {
        SCOPED_TRACE("both heads entering one empty cell: player 2 dies");
        Lay(game->Player1, {{14, 15}, {13, 15}}, engine::kRight);
        Lay(game->Player2, {{16, 15}, {17, 15}}, engine::kLeft);
        played.clear();
        Tick();
        EXPECT_EQ(played, screentest::Sounds{&game->DeadSound});
        EXPECT_FALSE(game->Player1.dead);
        EXPECT_TRUE(game->Player2.dead);
        EXPECT_EQ(game->Score1, 1);
        EXPECT_EQ(game->Score2, 0);
    }
    PushTargets({1, 29}, {29, 1});
    game->NewDeath();
    {
        SCOPED_TRACE("heads side by side moving at each other: both die");
        Lay(game->Player1, {{14, 15}, {13, 15}}, engine::kRight, 15);
        Lay(game->Player2, {{15, 15}, {16, 15}}, engine::kLeft);
        played.clear();
        Tick();
        EXPECT_EQ(played, screentest::Sounds{&game->DeadSound}) << "one sound for both";
        EXPECT_TRUE(game->Player1.dead);
        EXPECT_TRUE(game->Player2.dead);
        EXPECT_EQ(game->WhoDied, 3);
        EXPECT_EQ(game->Score1, 1);
        EXPECT_EQ(game->Score2, 0);
        EXPECT_EQ(game->DMKiller.Interval(), 1100 / 15);
        for (int i = 0; i < 14; ++i)
            Remove();
        EXPECT_EQ(game->Phase(), GamePhase::RemovingBout) << "as long as the longer worm";
        PushTargets({1, 29}, {29, 1});
        Remove();
        EXPECT_EQ(game->Phase(), GamePhase::Playing);
    }
    {
        SCOPED_TRACE("player 2 takes the cell player 1's tail left in the same tick");
        LayRightward(game->Player1, 12, 5);
        Lay(game->Player2, {{3, 6}, {3, 7}, {3, 8}}, engine::kUp);
        played.clear();
        Tick();
        EXPECT_TRUE(played.empty());
        EXPECT_FALSE(game->Player1.dead);
        EXPECT_FALSE(game->Player2.dead);
        EXPECT_EQ(game->Phase(), GamePhase::Playing);
        EXPECT_EQ(Code({3, 5}), engine::kPlayer);
        EXPECT_EQ(CellPixel(3, 5), kPlayer2Colour);
    }
    PushTargets({1, 29}, {29, 1});
    game->NewDeath();
    {
        SCOPED_TRACE("player 1 enters the cell player 2's tail is about to leave");
        LayRightward(game->Player2, 12, 5);
        Lay(game->Player1, {{3, 6}, {3, 7}, {3, 8}}, engine::kUp);
        played.clear();
        Tick();
        EXPECT_EQ(played, screentest::Sounds{&game->DeadSound});
        EXPECT_TRUE(game->Player1.dead);
        EXPECT_FALSE(game->Player2.dead);
        EXPECT_EQ(game->Score2, 1);
        EXPECT_EQ(game->HiScoreLabel.Caption(), "001");
    }
    PushTargets({1, 29}, {29, 1});
    game->NewDeath();
    {
        SCOPED_TRACE("a worm running into the cell its own tail leaves dies");
        Lay(game->Player1, {{5, 5}, {6, 5}, {6, 6}, {5, 6}}, engine::kDown, 4);
        Tick();
        EXPECT_TRUE(game->Player1.dead);
    }
}

TEST_F(DeathMatchTest, EachTargetFeedsItsOwnerAndKillsTheOther)
{
    StartMatch({12, 10}, {20, 22});
    // Player 1 eats: five sections longer, the tail stays for five moves.
    LayRightward(game->Player1, 11, 10);
    script.Push(24); // the new target at (25, 25)
    script.Push(24);
    Tick();
    EXPECT_FALSE(game->Player1.dead);
    EXPECT_EQ(game->Player1.length, 15);
    EXPECT_EQ(game->TargetCell, (Cell{25, 25}));
    EXPECT_EQ(Code({25, 25}), engine::kTarget);
    EXPECT_EQ(game->Score1, 0) << "eating scores nothing";
    const Cell tail = game->Player1.sections[15];
    for (int i = 0; i < 5; ++i)
    {
        Tick();
        EXPECT_EQ(game->Player1.sections[15], tail);
    }
    Tick();
    EXPECT_NE(game->Player1.sections[15], tail);

    // Player 1's head on player 2's target: player 1 dies and the target stays uneaten.
    PushTargets({1, 29}, {29, 1});
    game->NewDeath();
    Lay(game->Player1, {{29, 2}, {28, 2}}, engine::kUp);
    Tick();
    EXPECT_TRUE(game->Player1.dead);
    EXPECT_EQ(game->Score2, 1);
    EXPECT_EQ(game->Target2Cell, (Cell{29, 1}));
    EXPECT_TRUE(game->Target2.Visible());
    EXPECT_EQ(game->Player2.length, 10);
    EXPECT_EQ(game->Player1.length, 10);
}

TEST_F(DeathMatchTest, PlayerTwoOnPlayerOnesTargetDies)
{
    StartMatch({1, 29}, {29, 1});
    Lay(game->Player2, {{1, 28}, {1, 27}}, engine::kDown);
    Tick();
    EXPECT_TRUE(game->Player2.dead);
    EXPECT_EQ(game->Score1, 1);
    EXPECT_EQ(game->TargetCell, (Cell{1, 29}));
}

TEST_F(DeathMatchTest, DefaultKeysTurnBothWormsAndSharedKeysDoEverythingBoundToThem)
{
    StartMatch();
    Key(ui::vk::Left);
    EXPECT_EQ(game->Player1.direction, engine::kLeft);
    EXPECT_EQ(game->Player2.direction, engine::kLeft);
    Tick();
    EXPECT_EQ(game->Player1.sections[1], (Cell{9, 10}));
    EXPECT_EQ(game->Player2.sections[1], (Cell{19, 20}));
    Key(ui::vk::Right); // the opposite of both worms' way: nothing
    EXPECT_EQ(game->Player1.direction, engine::kLeft);
    EXPECT_FALSE(game->Player1.turned);

    // One key bound to several directions performs every one of them in the binding order:
    // player 1's right (rejected, the opposite of left), player 1's up, player 2's down.
    session->RightKey1 = 'K';
    session->UpKey1 = 'K';
    session->DownKey2 = 'K';
    Key('K');
    EXPECT_EQ(game->Player1.direction, engine::kUp);
    EXPECT_EQ(game->Player1.queued, engine::kNone);
    EXPECT_EQ(game->Player2.direction, engine::kDown);
    Tick();
    // Now right is accepted first and up, no longer the opposite, is queued behind it.
    Key('K');
    EXPECT_EQ(game->Player1.direction, engine::kRight);
    EXPECT_EQ(game->Player1.queued, engine::kUp);
    Tick();
    EXPECT_EQ(game->Player1.sections[1], (Cell{10, 9}));
    EXPECT_EQ(game->Player1.direction, engine::kUp) << "the queued turn after one move";
    EXPECT_EQ(game->Player1.queued, engine::kNone);
}

TEST_F(DeathMatchTest, ThreeKeysInOneTickQueueOnlyTheLastAndAKeyDuringTheRemovalDelaysTheStart)
{
    SeparateKeys();
    StartMatch();
    Key(ui::vk::Right);
    Tick();
    Key(ui::vk::Up);
    Key(ui::vk::Left);
    Key(ui::vk::Down); // the opposite of up, which is now the direction: rejected
    EXPECT_EQ(game->Player1.direction, engine::kUp);
    EXPECT_EQ(game->Player1.queued, engine::kLeft);
    EXPECT_EQ(game->Player2.direction, engine::kNone) << "the arrows are player 1's alone";
    Tick();
    Tick();
    EXPECT_EQ(game->Player1.sections[1], (Cell{10, 9}));
    EXPECT_EQ(game->Player1.sections[2], (Cell{11, 9}));

    // Player 1 into the top wall; a key pressed during the removal.
    game->Player1.direction = engine::kUp;
    for (int i = 0; i < 9 && game->Phase() == GamePhase::Playing; ++i)
        Tick();
    ASSERT_EQ(game->Phase(), GamePhase::RemovingBout);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "001");
    Key(ui::vk::Left);
    EXPECT_TRUE(game->Player1.turned);
    PushTargets({1, 29}, {29, 1});
    while (game->Phase() == GamePhase::RemovingBout)
        Remove();
    EXPECT_EQ(game->Player1.direction, engine::kNone) << "the new bout resets the way";
    EXPECT_TRUE(game->Player1.turned) << "but not the turned flag";
    Key(ui::vk::Down);
    EXPECT_EQ(game->Player1.queued, engine::kDown);
    Tick();
    EXPECT_EQ(game->Player1.sections[1], (Cell{10, 10})) << "one tick later than usual";
    Tick();
    EXPECT_EQ(game->Player1.sections[1], (Cell{10, 11}));
}

TEST_F(DeathMatchTest, ScoresShowAtLeastThreeDigits)
{
    StartMatch();
    game->Score1 = 999;
    Lay(game->Player2, {{29, 15}}, engine::kRight);
    Tick();
    EXPECT_EQ(game->ScoreLabel.Caption(), "1000");
    game->Score2 = 41;
    game->UpdateScore2Label();
    EXPECT_EQ(game->HiScoreLabel.Caption(), "041");
}

TEST_F(DeathMatchTest, PauseHoldsOnlyABoutInPlayAndHidingStopsEverything)
{
    game->Show();
    game->WaitTimer.SetEnabled(false);
    StartMatch();
    int pause = ui::vk::Pause;
    game->FormKeyDown(*game, pause);
    EXPECT_EQ(game->Phase(), GamePhase::Paused);
    EXPECT_FALSE(game->TimerDM.Enabled());
    game->FormKeyDown(*game, pause);
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    EXPECT_TRUE(game->TimerDM.Enabled());
    // Switching away pauses the bout as Pause does, and only Pause resumes it.
    SwitchAway(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(game->Phase(), GamePhase::Paused);
    EXPECT_FALSE(game->TimerDM.Enabled());
    SwitchAway();
    EXPECT_EQ(game->Phase(), GamePhase::Paused);
    game->FormKeyDown(*game, pause);
    EXPECT_EQ(game->Phase(), GamePhase::Playing);

    Lay(game->Player1, {{1, 15}}, engine::kLeft);
    Tick();
    ASSERT_EQ(game->Phase(), GamePhase::RemovingBout);
    game->FormKeyDown(*game, pause);
    SwitchAway();
    EXPECT_EQ(game->Phase(), GamePhase::RemovingBout) << "Pause changes nothing in the removal";
    EXPECT_FALSE(game->TimerDM.Enabled());
    EXPECT_TRUE(game->DMKiller.Enabled());
    Tick();
    EXPECT_EQ(game->Player1.sections[1], (Cell{0, 15})) << "no tick during the removal";

    game->Hide();
    EXPECT_EQ(game->Phase(), GamePhase::Idle);
    EXPECT_FALSE(game->DMKiller.Enabled());
    EXPECT_FALSE(game->TimerDM.Enabled());
    EXPECT_FALSE(game->WaitTimer.Enabled());
    EXPECT_FALSE(game->Target2.Visible());
    Remove();
    EXPECT_EQ(game->Phase(), GamePhase::Idle) << "a late removal step starts nothing";

    // A new visit starts from 0 to 0.
    game->Show();
    PushTargets({1, 29}, {29, 1});
    game->WaitTimerTimer(game->WaitTimer);
    EXPECT_FALSE(game->WaitTimer.Enabled());
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    EXPECT_EQ(game->ScoreLabel.Caption(), "000");
    EXPECT_EQ(game->HiScoreLabel.Caption(), "000");
    game->Hide();
}

TEST_F(DeathMatchTest, MenuSetsUpTheScreenAndNothingReachesTheSettingsFile)
{
    session->DeathMatch = false;
    const std::filesystem::path ini = ConfigFilePath();
    session->Ini.WriteString("Main", "Skill", "3");
    const auto read = [&]
    {
        std::ifstream in(ini, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string before = read();
    ASSERT_FALSE(before.empty());
    const auto writeTime = std::filesystem::last_write_time(ini);

    game->Label1.SetCaption("ANNA");
    game->GL.SetCaption("00012");
    form1->StartDeathMatch();
    EXPECT_TRUE(session->DeathMatch);
    EXPECT_TRUE(game->IsShown());
    EXPECT_EQ(game->Label2.Caption(), "Player 2");
    EXPECT_EQ(game->Label2.Left(), 536);
    EXPECT_TRUE(game->Label3.Visible());
    EXPECT_EQ(game->Label3.Caption(), "Death Match");
    EXPECT_TRUE(game->Image3.Visible());
    EXPECT_EQ(game->Label1.Caption(), "ANNA") << "the left caption stays as it was";

    PushTargets({1, 29}, {29, 1});
    game->WaitTimerTimer(game->WaitTimer);
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    Lay(game->Player2, {{29, 15}}, engine::kRight);
    Tick();
    PushTargets({1, 29}, {29, 1});
    while (game->Phase() == GamePhase::RemovingBout)
        Remove();
    EXPECT_EQ(game->ScoreLabel.Caption(), "001");
    EXPECT_EQ(game->GL.Caption(), "00012") << "the statistics row is left alone";
    int escape = ui::vk::Escape;
    game->FormKeyDown(*game, escape);
    EXPECT_FALSE(game->IsShown());

    EXPECT_EQ(read(), before);
    EXPECT_EQ(std::filesystem::last_write_time(ini), writeTime);
}

TEST_F(DeathMatchTest, RemovalOfBothErasesEachWormFromItsTail)
{
    StartMatch();
    Lay(game->Player1, {{14, 15}, {13, 15}, {12, 15}}, engine::kRight, 3);
    Lay(game->Player2, {{15, 15}, {16, 15}, {17, 15}, {18, 15}, {19, 15}}, engine::kLeft, 5);
    Tick();
    ASSERT_EQ(game->WhoDied, 3);
    EXPECT_EQ(game->RemovalCounter, 5);
    EXPECT_EQ(CellPixel(12, 15), ui::clGreen) << "the cell player 1's tail left";
    EXPECT_EQ(CellPixel(14, 15), kPlayer2Colour) << "player 2's dead head";
    EXPECT_EQ(CellPixel(15, 15), gametest::kPlayerColour) << "player 1's dead head";
    Remove();
    EXPECT_EQ(CellPixel(13, 15), ui::clGreen) << "player 1's tail";
    EXPECT_EQ(CellPixel(18, 15), ui::clGreen) << "player 2's tail";
    EXPECT_EQ(CellPixel(17, 15), kPlayer2Colour);
    Remove();
    EXPECT_EQ(CellPixel(14, 15), ui::clGreen) << "erased with player 1's section under it";
    Remove();
    EXPECT_EQ(game->Player1.length, 0);
    EXPECT_EQ(game->Player2.length, 2);
    EXPECT_EQ(CellPixel(15, 15), ui::clGreen);
    EXPECT_EQ(CellPixel(16, 15), ui::clGreen);
    Remove();
    PushTargets({1, 29}, {29, 1});
    Remove();
    EXPECT_EQ(game->Phase(), GamePhase::Playing);
    EXPECT_EQ(game->Score1 + game->Score2, 0);
}

} // namespace
