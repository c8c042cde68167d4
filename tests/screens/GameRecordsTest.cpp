// A single game's end and its records: the settings file is read once, and the statistics screen
// and the next game show the table that game wrote.
#include "GameUnitFixture.h"
#include "records/Records.h"
#include "screens/Unit2.h"
#include "support/FileOpens.h"

#include <gtest/gtest.h>

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
        game->Score = score;
        game->Dead();
        while (game->Phase() == GamePhase::RemovingPlayer)
            game->pKillTimerTimer(game->pKillTimer);
        while (game->Phase() == GamePhase::RemovingComputers)
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

} // namespace
