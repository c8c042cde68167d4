// A single game's end and its records: the settings file is read once, and the statistics screen
// and the next game show the table that game wrote; the game kept as a replay and watched from
// its row.
#include "GameUnitFixture.h"
#include "records/Records.h"
#include "screens/Unit2.h"
#include "settings/ReplayStore.h"
#include "support/FileOpens.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{

using gametest::GameFixture;

TEST_F(GameFixture, AGamesEndReadsTheSettingsFileOnceThoughItsTableIsShown)
{
    Create();
    TForm2 stats(screens, *session);
    session->SkillLevel = 3;
    session->UserName = "BOB";
    records::RecordGame(session->Ini, 3, "ANNA", 5);
    game->Show();
    game->WaitTimer.SetEnabled(false);
    EXPECT_EQ(game->Get_User_ID(), -1);
    StartGame(0);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "005");
    // The death sequence of a game of score, to the start of the next game.
    const auto endGameAndStartNext = [&](int score)
    {
        game->Model.score = score;
        game->Model.Dead();
        game->ApplyEvents();
        while (game->Model.GamePhase() == engine::Phase::RemovingPlayer)
            game->pKillTimerTimer(game->pKillTimer);
        while (game->Model.GamePhase() == engine::Phase::RemovingComputers)
            game->cKillTimerTimer(game->cKillTimer);
        game->WaitTimer.SetEnabled(false);
        StartGame(0);
    };

    testsupport::FileOpens reads(ConfigFilePath());
    // BOB's 9 beats ANNA's 5: the statistics screen is shown and closed with Enter.
    app.PostKey(ui::vk::Return);
    endGameAndStartNext(9);
    EXPECT_EQ(reads.Take(), 1);
    EXPECT_EQ(stats.NL1.Caption(), "BOB");
    EXPECT_EQ(stats.NL2.Caption(), "ANNA");
    EXPECT_FALSE(stats.IsShown());
    EXPECT_EQ(game->HiScoreLabel.Caption(), "009");
    EXPECT_EQ(game->GL.Caption(), "00001");
    EXPECT_EQ(game->AL.Caption(), "9,00");
    EXPECT_EQ(game->HL.Caption(), "009");

    // Without a climb nothing more is read either.
    endGameAndStartNext(1);
    EXPECT_EQ(reads.Take(), 1);
    EXPECT_EQ(game->EL.Caption(), "00010");
    EXPECT_EQ(game->AL.Caption(), "5,00");
    game->Hide();
}

TEST_F(GameFixture, AFinishedGameIsWatchedFromItsRowAndNothingIsCounted)
{
    Create();
    TForm2 stats(screens, *session);
    game->Model.SetRandomSource(nullptr);
    session->SkillLevel = 3;
    session->UserName = "BOB";
    records::RecordGame(session->Ini, 3, "ANNA", 1);
    game->Show();
    game->WaitTimer.SetEnabled(false);
    game->NewGame(42);
    Key(session->LeftKey);
    // The timers' steps until the wait for the next game; the table shown closes with Enter.
    app.PostKey(ui::vk::Return);
    while (game->Model.GamePhase() != engine::Phase::Waiting)
        for (widgets::TzcTimer* t : {&game->Timer1, &game->pKillTimer, &game->cKillTimer})
            if (t->Enabled())
                t->OnTimer()(*t);
    game->Hide();
    ASSERT_TRUE(session->Replays.BestGame("BOB", 3));
    const std::string settings = config.FileText();

    stats.Show();
    // ANNA's row, clicked, has no game to play and says so; Up or Down picks BOB's then.
    const bool bobFirst = stats.NL1.Caption() == "BOB";
    const ui::Point anna = (bobFirst ? stats.NL2 : stats.NL1).ToForm({2, 2});
    app.MouseDown(ui::MouseButton::Left, anna.x, anna.y);
    app.MouseUp(ui::MouseButton::Left, anna.x, anna.y);
    EXPECT_EQ(stats.ReplayMessage.Caption(), "No game of ANNA is kept at this level");
    EXPECT_FALSE(game->IsShown());
    app.KeyDown(bobFirst ? ui::vk::Up : ui::vk::Down);
    app.KeyDown(ui::vk::Return);
    ASSERT_TRUE(game->Replaying());
    app.KeyDown(ui::vk::Right);
    EXPECT_EQ(game->Label3.Caption(), "Replay: BOB x2");
    while (!game->PauseLabel.Visible())
        game->Timer1Timer(game->Timer1);
    EXPECT_EQ(game->PauseLabel.Caption(), "The end: press Esc to go back");
    EXPECT_EQ(game->ScoreLabel.Caption(), game->HiScoreLabel.Caption());
    app.KeyDown(ui::vk::Escape);
    EXPECT_TRUE(stats.IsShown());
    EXPECT_EQ(config.FileText(), settings);

    // A replay that ends elsewhere than it says is refused and left.
    engine::Replay altered = *ReadReplayFile(*session->Replays.BestGame("BOB", 3)).replay;
    altered.boardHash ^= 1;
    game->ShowReplay(altered);
    while (game->IsShown())
        game->Timer1Timer(game->Timer1);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), TGameForm::kReplayMismatch);
    errors.clear();
    EXPECT_TRUE(session->Replays.LastGame());
}

// A replay file given to the game (the command line, a file manager) that cannot be played:
// the message names the file, and one that is not there says so.
TEST_F(GameFixture, ARefusedReplayFileIsNamedAndAMissingOneIsNotFound)
{
    Create();
    const std::string missing = (config.Root() / "missing.zr2").string();
    const std::string other = (config.Root() / "notes.zr2").string();
    std::ofstream(other) << "notes\n";
    EXPECT_FALSE(game->WatchReplayFile(missing));
    EXPECT_FALSE(game->WatchReplayFile(other));
    EXPECT_EQ(errors, (std::vector<std::string>{"Replay file not found:\n" + missing,
                                                "This file is not a Zorbel II replay:\n" + other}));
    errors.clear();
    EXPECT_FALSE(game->IsShown());
}

} // namespace
