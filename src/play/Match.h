// play::Match: one single game or death match, or a replay of one, as a screen drives it: the
// engine's game behind keys, ticks and pauses, the seed of every game, and what becomes of a game
// that is over (its replay kept, its score entered into the records).
#pragma once

#include "engine/Game.h"
#include "engine/Playback.h"
#include "engine/Replay.h"
#include "engine/Scenario.h"
#include "play/MatchControl.h"
#include "records/Records.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TIniFile;
class ReplayStore;

namespace play
{

// Calls Match::Tick every so often: the game screen's timer in the program, a manual one in tests.
class Ticker
{
public:
    virtual ~Ticker() = default;
    // Ticks every intervalMs from now on, the first a whole interval from now, whatever was
    // scheduled before; 0 stops the ticks. Called only when what runs changes.
    virtual void Schedule(int intervalMs) = 0;
};

// A game's seed from the clock, different for every game.
std::uint64_t ClockSeed();

// Who plays and how; asked for at every start, so that a change on the skill screen counts from
// the next game on.
struct Lineup
{
    // The single game's skill, or the death match's (engine::DeathMatchSkill).
    engine::Skill skill;
    // The players as their replay names them; the single game's is also the user whose records
    // it enters.
    std::array<std::string, 2> names;
};

// The end of a replay that does not reach the recorded end in the recorded state.
inline constexpr std::string_view kReplayMismatch =
    "This replay does not match this version of the game";

// What the end of a game or of a replay leaves for the screen to show.
struct Over
{
    // A single game of a level with records: the table after it, or why it could not be written
    // (the file then keeps its table).
    std::optional<records::GameResult> recorded;
    std::string recordError;
    // A replay played to its end: whether it reached the recorded end in the recorded state.
    bool replayMatches = false;
};

class Match final : public MatchControl
{
public:
    using Seeds = std::function<std::uint64_t()>;

    Match(Ticker& ticker, TIniFile& ini, ReplayStore& replays, std::function<Lineup()> lineup,
          Seeds seeds = ClockSeed);
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    // Called when a game or a replay is over, with the events of its last step not yet taken;
    // the wait for the next game begins after it returns, unless the match was left meanwhile.
    std::function<void(const Over&)> OnOver;

    // Games of mode from now on, each after the wait; or, after Watch, the replay from its start.
    void Enter(engine::Mode mode);
    // Enters the mode entered last, or the replay being watched.
    void Start() override { Enter(Mode()); }
    // Whatever was under way stops: a death match under way is over and kept, a single game cut
    // short is neither kept nor counted, a replay gives the players' turned flags back.
    void Leave() override;
    // The next game now, as the end of the wait starts it.
    void NewGame();
    // The ticker's call: one step of what the phase (or the replay) wants; at the end of the wait
    // the next game of the mode entered.
    void Tick() override;
    // A direction key or controller event: the turns it stands for (nothing in a replay).
    void Key(std::span<const engine::PlayerTurn> turns) override;
    // Pause: holds a game or bout in play (or a replay not at its end), or resumes it; false when
    // nothing changed.
    bool TogglePause() override;
    // The player switched away: what is in play pauses. True when it paused.
    bool FocusLost() override;
    bool Paused() const override;
    // A replay held by its pause still keeps the display awake.
    bool DisplayMaySleep() const override { return !playback_ && Paused(); }
    // The pause's caption, or a replay's end once it has matched the recorded one.
    std::string_view Caption() const override;
    // A replay that did not reach its recorded end, with kReplayMismatch; games never end the
    // screen themselves.
    bool Done() const override { return playback_ && replayEnded_ && !replayMatches_; }
    std::string_view EndMessage() const override { return Done() ? kReplayMismatch : ""; }
    // The milliseconds until the next tick; 0 when nothing ticks.
    int Interval() const;
    // The events since the last call, in order (see engine::Game::TakeEvents).
    void TakeEvents(std::vector<engine::Event>& into) override { game_.TakeEvents(into); }
    // The game, read only: mode, phase, scores, board.
    const engine::Game& Model() const override { return game_; }
    // The mode entered last, or the replay's once it is entered.
    engine::Mode Mode() const override { return game_.GameMode(); }
    // The game started last is a single game of a level with records: its end is entered into
    // the table.
    bool KeepsRecords() const;
    // The level's records table and the user's place in it, read at every start of a single game
    // of a level with records, or as the game just recorded left it; a Custom game keeps the
    // last one.
    const records::Standing& Standing() const { return standing_; }
    // The user's row of Standing's table, or an empty one when the user is not in it.
    const records::Row& UserRow() const;

    // Replays. Watch makes the next Enter play replay instead of games, until Leave.
    void Watch(const engine::Replay& replay);
    bool Replaying() const { return playback_.has_value(); }
    const engine::Replay& Replay() const { return playback_->Recorded(); }
    bool ReplayEnded() const { return replayEnded_; }
    // How many steps a replay takes in the time of one: 1, 2, 4 or 8.
    int ReplaySpeed() const { return replaySpeed_; }
    void FasterReplay();
    void SlowerReplay();

    // The game set up cell by cell, for tests and benchmarks.
    engine::Scenario Setup() { return engine::Scenario(game_); }

private:
    bool Reported(engine::EventKind kind) const;
    // The ticker told the interval of what runs now, or stopped, when that changed: a new phase
    // starts a whole interval after the step that began it, as a timer of its own would.
    void Sync();
    void Schedule(int intervalMs, engine::Phase phase);
    // The game that is over kept, and entered into the records when it counts.
    Over Conclude();

    Ticker& ticker_;
    TIniFile& ini_;
    ReplayStore& replays_;
    std::function<Lineup()> lineup_;
    Seeds seeds_;
    engine::Game game_;
    Lineup playing_;
    records::Standing standing_;
    std::optional<engine::Playback> playback_;
    int replaySpeed_ = 1;
    bool replayPaused_ = false;
    bool replayEnded_ = false;
    bool replayMatches_ = false;
    int scheduled_ = 0;
    engine::Phase scheduledPhase_ = engine::Phase::Idle;
};

} // namespace play
