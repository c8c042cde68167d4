// A single game's end and its records: the settings file is read once at a game's end, whose
// table the statistics screen shows, and once at each game start, which shows what the file then
// holds; the game kept as a replay and watched from its row.
#include "GameScreenFixture.h"
#include "engine/Playback.h"
#include "records/Records.h"
#include "screens/StatisticsScreen.h"
#include "settings/ReplayStore.h"
#include "support/FileOpens.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace
{

using gametest::GameFixture;

TEST_F(GameFixture, AGamesEndAndEachStartReadTheSettingsFileOnce)
{
    Create();
    TForm2 stats(app, navigator, *session);
    navigator.Join(stats);
    session->Skill.level = 3;
    session->UserName = "BOB";
    // A name too long to live inside its string, so that the table shown over the game reads
    // it from memory of its own.
    const std::string anna = "ANNA OF THE LONG NAME, FROM FAR AWAY 39";
    ASSERT_EQ(anna.size(), 39u);
    records::RecordGame(session->Ini, 3, anna, 5);
    game->Show();
    game->Timer1.SetEnabled(false);
    testsupport::FileOpens reads(ConfigFilePath());
    StartGame(0);
    EXPECT_EQ(reads.Take(), 1);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "005");
    EXPECT_EQ(game->GL.Caption(), "00000");

    // BOB's 9 beats ANNA's 5: the statistics screen is shown and closed with Enter.
    testsupport::PostKey(app, ui::vk::Return);
    FinishGame(9);
    EXPECT_EQ(reads.Take(), 1);
    EXPECT_EQ(stats.NL1.Caption(), "BOB");
    EXPECT_EQ(stats.NL2.Caption(), anna) << "pushed down by BOB";
    EXPECT_EQ(stats.GP2.Caption(), "00001");
    EXPECT_FALSE(stats.IsShown());
    StartGame(0);
    EXPECT_EQ(reads.Take(), 1);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "009");
    EXPECT_EQ(game->GL.Caption(), "00001");
    EXPECT_EQ(game->AL.Caption(), "9,00");
    EXPECT_EQ(game->HL.Caption(), "009");

    // Without a climb nothing more is read either.
    FinishGame(1);
    EXPECT_EQ(reads.Take(), 1);

    // Another copy of the game ends two games before the next start here: CARL's best goes
    // to the top and BOB's third game moves his row down.
    {
        TIniFile other(ConfigFilePath());
        records::RecordGame(other, 3, "CARL", 30);
        records::RecordGame(other, 3, "BOB", 2);
    }
    reads.Take();
    StartGame(0);
    EXPECT_EQ(reads.Take(), 1);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "030");
    EXPECT_EQ(game->GL.Caption(), "00003");
    EXPECT_EQ(game->EL.Caption(), "00012");
    EXPECT_EQ(game->AL.Caption(), "4,00");
    EXPECT_EQ(game->HL.Caption(), "009");
    EXPECT_EQ(game->Play().Standing().slot, 2);
    game->Hide();
}

// Three games recorded in one visit leave 1 eaten in 3 games, "0,33" in the file; the fourth
// game's first target changes that average to 2 / 4 - 0,33, not 2 / 4 - 1 / 3.
TEST_F(GameFixture, AfterRecordedGamesTheAverageChangeStartsFromTheAverageShown)
{
    Create();
    session->Skill.level = 3;
    session->UserName = "BOB";
    game->Show();
    game->Timer1.SetEnabled(false);
    for (const int score : {1, 0, 0})
    {
        StartGame(0);
        FinishGame(score);
    }
    EatFirstTarget();
    ASSERT_EQ(game->ScoreLabel.Caption(), "001");
    EXPECT_EQ(game->AL.Caption(), "0,33");
    EXPECT_EQ(game->LLL.Caption(), "+0,17");
    game->Hide();
}

TEST_F(GameFixture, AFinishedGameIsWatchedFromItsRowAndNothingIsCounted)
{
    Create();
    TForm2 stats(app, navigator, *session);
    navigator.Join(stats);
    game->Play().Setup().UseRandom(nullptr);
    session->Skill.level = 3;
    session->UserName = "BOB";
    records::RecordGame(session->Ini, 3, "ANNA", 1);
    game->Show();
    game->Timer1.SetEnabled(false);
    game->Play().NewGame();
    game->ApplyEvents();
    Key(session->Bindings[0][engine::kLeft]);
    // The timers' steps until the wait for the next game; the table shown closes with Enter.
    testsupport::PostKey(app, ui::vk::Return);
    gametest::StepToTheWait(*game);
    game->Hide();
    ASSERT_TRUE(session->Replays.BestGame("BOB", 3));
    const std::string settings = config.FileText();

    stats.Show();
    // ANNA's row, clicked, has no game to play and says so; Up or Down picks BOB's then.
    const bool bobFirst = stats.NL1.Caption() == "BOB";
    const ui::Point anna = (bobFirst ? stats.NL2 : stats.NL1).ToForm({2, 2});
    app.Devices().MouseDown(ui::MouseButton::Left, anna.x, anna.y);
    app.Devices().MouseUp(ui::MouseButton::Left, anna.x, anna.y);
    EXPECT_EQ(stats.ReplayMessage.Caption(), "No game of ANNA is kept at this level");
    EXPECT_FALSE(game->IsShown());
    app.Devices().KeyDown(bobFirst ? ui::vk::Up : ui::vk::Down);
    app.Devices().KeyDown(ui::vk::Return);
    ASSERT_TRUE(game->Play().Replaying());
    // The final score is the file's claim until playback reaches it.
    EXPECT_EQ(game->HiScoreLabel.Caption(), "---");
    app.Devices().KeyDown(ui::vk::Right);
    EXPECT_EQ(game->Label3.Caption(), "Replay: BOB x2");
    while (!game->PauseLabel.Visible())
        game->Timer1Timer(game->Timer1);
    EXPECT_EQ(game->PauseLabel.Caption(), "The end: press Esc to go back");
    EXPECT_EQ(game->ScoreLabel.Caption(), game->HiScoreLabel.Caption());
    app.Devices().KeyDown(ui::vk::Escape);
    EXPECT_TRUE(stats.IsShown());
    EXPECT_EQ(config.FileText(), settings);

    // A replay that ends elsewhere than it says is refused and left, its claimed score never
    // shown; names a line cannot hold are cut before they are drawn.
    engine::Replay altered = *ReadReplayFile(*session->Replays.BestGame("BOB", 3)).replay;
    altered.boardHash ^= 1;
    altered.players[0].score = 999;
    altered.players[0].name = std::string(1000, '\x80') + "BOB";
    game->ShowReplay(altered);
    EXPECT_EQ(game->Label1.Caption(), std::string(128, '\x80') + "...");
    EXPECT_EQ(game->Label3.Caption().size(), 8u + 131u + 3u);
    altered.players[0].name = std::string(40, 'W') + "\u00e9";
    game->Hide();
    game->ShowReplay(altered);
    EXPECT_EQ(game->Label1.Caption(), std::string(32, 'W') + "...");
    EXPECT_EQ(game->Label3.Caption(), "Replay: " + std::string(32, 'W') + "... x1");
    while (game->IsShown())
    {
        EXPECT_NE(game->HiScoreLabel.Caption(), "999");
        game->Timer1Timer(game->Timer1);
    }
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), play::kReplayMismatch);
    errors.clear();
    EXPECT_TRUE(session->Replays.LastGame());
}

// The line under the board holds the logged-in player's figures at the level in force: over a
// replay (of a Custom game, watched by a player of Professional) it shows nothing, and the
// replay's target leaves the average change alone; the next game shows the line again.
TEST_F(GameFixture, AReplaysStatusLineShowsNothingOfTheLoggedInPlayer)
{
    Create();
    session->UserName = "BOB";
    records::RecordGame(session->Ini, 3, "BOB", 5);
    const ui::Rect line =
        app.Display().ToPhysical(game->Label6.BoundsRect()
                                     .Union(game->LLL.BoundsRect())
                                     .Union(game->HL.BoundsRect())
                                     .Offset(game->Panel1.Left(), game->Panel1.Top()));
    const auto inkOnLine = [&]
    {
        app.Render();
        return !screentest::InkBox(app.Display().Screen(), line).Empty();
    };
    game->Show();
    game->Timer1.SetEnabled(false);
    StartGame(0);
    EXPECT_TRUE(inkOnLine());
    const std::string change = game->LLL.Caption();
    game->Hide();

    // The replayed player turns right at once onto the first target (the script places it).
    engine::Replay replay;
    replay.players = {{"ANNA"}};
    replay.computerWorms = 0;
    replay.turns = {{0, 1, engine::kRight}};
    replay.steps = 100;
    for (const int draw : {15, 14, 0, 0})
        script.Push(draw);
    game->ShowReplay(replay);
    EXPECT_FALSE(inkOnLine());
    game->Timer1Timer(game->Timer1);
    EXPECT_EQ(game->ScoreLabel.Caption(), "001");
    EXPECT_EQ(game->LLL.Caption(), change);
    EXPECT_FALSE(inkOnLine());
    Key(ui::vk::Escape);
    game->Show();
    StartGame(0);
    EXPECT_TRUE(inkOnLine());
    game->Hide();
}

// Replays of a game that started with its first key queued and of one that did not, each
// watched between two games and left at once: the next game's first key turns the worm at the
// first tick, or waits a tick when the game before left it a key, as if nothing had been
// watched.
TEST_F(GameFixture, AReplayWatchedBetweenGamesLeavesTheNextGamesFirstKeyAlone)
{
    Create();
    session->Skill.level = 3;
    session->UserName = "BOB";
    engine::Game recorded;
    recorded.Start({engine::Mode::Single, 7, *engine::LevelSkill(3), {true, false}});
    const std::string names[] = {"ANNA"};
    const engine::Replay queued = engine::Record(recorded, names);
    ASSERT_EQ(queued.turned, 1);
    engine::Replay unqueued = queued;
    unqueued.turned = 0;

    // The head after the next game's first key, Up, and its first tick.
    const auto firstMoveAfter = [&](const engine::Replay& watched)
    {
        // The replay draws from its own seed, the game after it from the script.
        game->Play().Setup().UseRandom(nullptr);
        game->ShowReplay(watched);
        EXPECT_TRUE(game->Play().Replaying());
        Key(ui::vk::Escape);
        EXPECT_FALSE(game->IsShown());
        game->Play().Setup().UseRandom(&script);
        game->Show();
        game->Timer1.SetEnabled(false);
        StartGame(0);
        Key(session->Bindings[0][engine::kUp]);
        Tick();
        return Head();
    };
    EXPECT_EQ(firstMoveAfter(queued), (engine::Cell{15, 14}));

    // A key after the last tick, then Esc: the next game has it, and its first key waits.
    Key(session->Bindings[0][engine::kLeft]);
    Key(ui::vk::Escape);
    EXPECT_EQ(firstMoveAfter(unqueued), (engine::Cell{15, 15}));
    game->Hide();
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
