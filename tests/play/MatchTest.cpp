// The match driven as the game screen drives it, with a manual ticker: the wait and the start of
// each game, pause and switching away, leaving, what becomes of a game that is over (its replay,
// the records, Custom left out) and a replay played on the same match.
#include "play/Match.h"
#include "play/ReplayFile.h"
#include "settings/IniFile.h"
#include "settings/ReplayStore.h"
#include "support/TempConfig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace
{

using engine::Phase;

class ManualTicker final : public play::Ticker
{
public:
    void Schedule(int intervalMs) override { interval = intervalMs; }
    int interval = -1;
};

class MatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        match.OnOver = [this](const play::Over& over)
        {
            EXPECT_EQ(ticker.interval, 0) << "nothing ticks while the end is shown";
            overs.push_back(over);
            if (leaveOnOver)
                match.Leave();
        };
    }
    Phase GamePhase() const { return match.Model().GamePhase(); }
    void Tick()
    {
        match.Tick();
        match.TakeEvents(events);
    }
    // The game under way ends with score: the player dies where it stands, the removal runs.
    void FinishGame(int score)
    {
        match.Setup().Scores(score).Kill();
        for (int i = 0; i < 100 && ticker.interval > 0 && GamePhase() != Phase::Waiting; ++i)
            Tick();
    }
    std::optional<engine::Replay> LastGame() const
    {
        const auto path = replays.LastGame();
        return path ? play::OpenReplay(*path).replay : std::nullopt;
    }

    testsupport::TempConfig config;
    TIniFile ini{ConfigFilePath()};
    ReplayStore replays{(config.Root() / "replays").string()};
    ManualTicker ticker;
    play::Lineup lineup{*engine::LevelSkill(3), {"ANNA", "BOB"}};
    std::uint64_t nextSeed = 1;
    play::Match match{ticker, ini, replays, [this] { return lineup; },
                      [this]
                      {
                          return nextSeed++;
                      }};
    std::vector<play::Over> overs;
    std::vector<engine::Event> events;
    bool leaveOnOver = false;
};

TEST_F(MatchTest, EachGameStartsAfterTheWaitWithAFreshSeedAndTheSkillOfThatMoment)
{
    match.Enter(engine::Mode::Single);
    EXPECT_EQ(GamePhase(), Phase::Waiting);
    EXPECT_EQ(ticker.interval, engine::kWaitInterval);
    lineup.skill = *engine::LevelSkill(4);
    Tick();
    EXPECT_EQ(GamePhase(), Phase::Playing);
    EXPECT_EQ(match.Model().Started().seed, 1u);
    EXPECT_EQ(match.Model().Started().skill.worms, 8);
    EXPECT_EQ(ticker.interval, 80);

    match.Leave();
    EXPECT_EQ(GamePhase(), Phase::Idle);
    EXPECT_EQ(ticker.interval, 0);
    Tick();
    EXPECT_EQ(GamePhase(), Phase::Idle) << "a tick after leaving starts nothing";

    match.Enter(engine::Mode::DeathMatch);
    lineup.skill = engine::DeathMatchSkill(150);
    Tick();
    EXPECT_EQ(match.Model().GameMode(), engine::Mode::DeathMatch);
    EXPECT_EQ(match.Model().Started().seed, 2u);
    EXPECT_EQ(ticker.interval, 150);
}

TEST_F(MatchTest, PauseAndSwitchingAwayHoldOnlyAGameInPlay)
{
    match.Enter(engine::Mode::Single);
    EXPECT_FALSE(match.TogglePause()) << "nothing to pause while waiting";
    Tick();
    const engine::PlayerTurn right{1, engine::kRight};
    match.Key(std::span(&right, 1));
    ASSERT_TRUE(match.TogglePause());
    EXPECT_TRUE(match.Paused());
    EXPECT_EQ(match.Caption(), play::kPausedCaption);
    EXPECT_TRUE(match.DisplayMaySleep());
    EXPECT_EQ(ticker.interval, 0);
    Tick();
    EXPECT_EQ(match.Model().Player().sections[1], engine::kPlayerStart) << "a paused game stays";
    ASSERT_TRUE(match.TogglePause());
    EXPECT_EQ(ticker.interval, 100);
    Tick();
    EXPECT_EQ(match.Model().Player().sections[1], (engine::Cell{16, 15}));

    EXPECT_TRUE(match.FocusLost());
    EXPECT_EQ(ticker.interval, 0);
    EXPECT_FALSE(match.FocusLost()) << "a paused game stays paused";
    EXPECT_TRUE(match.Paused());
    ASSERT_TRUE(match.TogglePause());

    match.Setup().Kill();
    const int removal = ticker.interval;
    Tick();
    EXPECT_FALSE(match.TogglePause());
    EXPECT_FALSE(match.FocusLost());
    EXPECT_EQ(GamePhase(), Phase::RemovingPlayer) << "a removal runs to its end";
    EXPECT_GT(removal, 0);
}

// The worm grows no more at 800 sections but goes on eating and scoring, and its tail stacked
// under the head does not kill it.
TEST_F(MatchTest, AWormStopsGrowingAt800SectionsAndEatingStillScores)
{
    lineup.skill.worms = 0;
    match.Enter(engine::Mode::Single);
    Tick();
    match.Setup().StandingPlayer({15, 15}, 798).Target({16, 15});
    const engine::PlayerTurn right{1, engine::kRight};
    match.Key(std::span(&right, 1));
    Tick();
    EXPECT_EQ(match.Model().Player().length, 800);
    EXPECT_EQ(match.Model().Score(), 1);

    match.Setup().Target({17, 15});
    Tick();
    EXPECT_EQ(match.Model().Player().length, 800);
    EXPECT_EQ(match.Model().Score(), 2);
    EXPECT_EQ(GamePhase(), Phase::Playing);
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(GamePhase(), Phase::Playing) << "stacked sections do not kill the head";
}

TEST_F(MatchTest, AGameOverIsKeptThenRecordedUnlessCustomAndTheWaitFollows)
{
    match.Enter(engine::Mode::Single);
    Tick();
    FinishGame(4);
    ASSERT_EQ(overs.size(), 1u);
    ASSERT_TRUE(overs[0].recorded);
    EXPECT_EQ(overs[0].recorded->standing.slot, 1);
    EXPECT_EQ(match.Standing().slot, 1);
    EXPECT_EQ(ini.ReadString("HiNames", "name31", ""), "ANNA");
    EXPECT_EQ(ini.ReadInteger("HiScores", "score31", -1), 4);
    EXPECT_TRUE(replays.BestGame("ANNA", 3));
    EXPECT_EQ(GamePhase(), Phase::Waiting);
    EXPECT_EQ(ticker.interval, engine::kWaitInterval) << "the next game follows the records";

    // Custom games are kept as replays but never enter a table.
    lineup.skill = {engine::kCustomLevel, 6, 100, 0};
    Tick();
    FinishGame(9);
    ASSERT_EQ(overs.size(), 2u);
    EXPECT_FALSE(overs[1].recorded);
    EXPECT_EQ(ini.ReadInteger("HiGames", "games31", -1), 1);
    EXPECT_EQ(ini.ReadString("HiNames", "name51", "none"), "none");
    ASSERT_TRUE(LastGame());
    EXPECT_EQ(LastGame()->players[0].score, 9u);

    // Left while the end is shown: no next game behind the menu.
    leaveOnOver = true;
    lineup.skill = *engine::LevelSkill(3);
    Tick();
    FinishGame(1);
    EXPECT_EQ(GamePhase(), Phase::Idle);
    EXPECT_EQ(ticker.interval, 0);
    EXPECT_EQ(ini.ReadInteger("HiGames", "games31", -1), 2);
}

TEST_F(MatchTest, AGameCutShortIsNotKeptButADeathMatchEndsWhenItsPlayersLeave)
{
    match.Enter(engine::Mode::Single);
    Tick();
    Tick();
    match.Leave();
    EXPECT_FALSE(replays.LastGame());
    EXPECT_TRUE(overs.empty());

    // Left while the dead player is being removed: the removal stops where it stood.
    match.Enter(engine::Mode::Single);
    Tick();
    match.Setup().Kill();
    const int removal = match.Model().RemovalCounter();
    match.Leave();
    EXPECT_EQ(GamePhase(), Phase::Idle);
    EXPECT_EQ(ticker.interval, 0);
    events.clear();
    Tick();
    EXPECT_EQ(match.Model().RemovalCounter(), removal);
    EXPECT_TRUE(events.empty());

    match.Enter(engine::Mode::DeathMatch);
    lineup.skill = engine::DeathMatchSkill(100);
    match.Leave();
    EXPECT_FALSE(replays.LastGame()) << "no match was played";

    for (const bool paused : {false, true})
    {
        match.Enter(engine::Mode::DeathMatch);
        Tick();
        Tick();
        if (paused)
            match.TogglePause();
        const std::uint64_t seed = match.Model().Seed();
        match.Leave();
        ASSERT_TRUE(LastGame());
        EXPECT_EQ(LastGame()->seed, seed);
        EXPECT_EQ(LastGame()->players[1].name, "BOB");
    }
    EXPECT_TRUE(overs.empty());
    EXPECT_EQ(ini.ReadString("HiNames", "name31", "none"), "none");
}

TEST_F(MatchTest, AReplayPlaysOnTheSameMatchToItsEndKeepingAndCountingNothing)
{
    match.Enter(engine::Mode::Single);
    Tick();
    const engine::PlayerTurn up{1, engine::kUp};
    match.Key(std::span(&up, 1));
    // Into the top wall, and the removal after it.
    for (int i = 0; i < 100 && GamePhase() != Phase::Waiting; ++i)
        Tick();
    match.Leave();
    ASSERT_TRUE(LastGame());
    const engine::Replay replay = *LastGame();
    const std::string settings = testsupport::TempConfig::FileText();
    overs.clear();

    match.Watch(replay);
    match.Enter(engine::Mode::Single);
    EXPECT_TRUE(match.Replaying());
    EXPECT_EQ(ticker.interval, 100);
    match.FasterReplay();
    match.FasterReplay();
    EXPECT_EQ(ticker.interval, 25);
    match.SlowerReplay();
    EXPECT_EQ(match.ReplaySpeed(), 2);
    ASSERT_TRUE(match.FocusLost());
    EXPECT_EQ(ticker.interval, 0);
    EXPECT_EQ(match.Caption(), "Paused: press Space to go on");
    EXPECT_FALSE(match.DisplayMaySleep()) << "only a game's pause lets the display sleep";
    ASSERT_TRUE(match.TogglePause());
    const engine::PlayerTurn left{1, engine::kLeft};
    for (int i = 0; i < 1000 && ticker.interval > 0; ++i)
    {
        match.Key(std::span(&left, 1));
        Tick();
    }
    ASSERT_EQ(overs.size(), 1u);
    EXPECT_TRUE(overs[0].replayMatches) << "the recorded turns alone, to the recorded end";
    EXPECT_TRUE(match.ReplayEnded());
    EXPECT_EQ(match.Caption(), "The end: press Esc to go back");
    EXPECT_FALSE(match.Done()) << "the last board stays";
    EXPECT_FALSE(match.TogglePause());
    match.Leave();
    EXPECT_FALSE(match.Replaying());
    EXPECT_EQ(testsupport::TempConfig::FileText(), settings);
    EXPECT_EQ(*LastGame(), replay) << "a replay is not kept again";

    engine::Replay changed = replay;
    ++changed.boardHash;
    match.Watch(changed);
    match.Enter(engine::Mode::Single);
    for (int i = 0; i < 1000 && ticker.interval > 0; ++i)
        Tick();
    ASSERT_EQ(overs.size(), 2u);
    EXPECT_FALSE(overs[1].replayMatches);
    EXPECT_TRUE(match.Done());
    EXPECT_EQ(match.EndMessage(), play::kReplayMismatch);
    EXPECT_EQ(match.Caption(), "");
    match.Leave();
    match.Enter(engine::Mode::Single);
    EXPECT_FALSE(match.Done()) << "the games after it go on";
}

TEST_F(MatchTest, AReplayFileThatIsMissingOrRefusedIsToldApart)
{
    const std::string missing = (config.Root() / "none.zr2").string();
    EXPECT_EQ(play::OpenReplay(missing).problem, "Replay file not found");
    const std::string junk = (config.Root() / "junk.zr2").string();
    std::ofstream(junk, std::ios::binary) << "not a replay";
    const play::OpenedReplay refused = play::OpenReplay(junk);
    EXPECT_FALSE(refused.replay);
    EXPECT_EQ(
        refused.problem,
        engine::Describe(
            engine::Decode(std::as_bytes(std::span(std::string_view("not a replay")))).error));
}

} // namespace
