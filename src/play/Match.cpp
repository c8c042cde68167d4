// play::Match: the flow of games and replays over the engine, and the end-of-game policy.
#include "play/Match.h"

#include "settings/IniFile.h"
#include "settings/ReplayStore.h"

#include <algorithm>
#include <chrono>

namespace play
{
namespace
{

constexpr int kFastestReplay = 8;
// A replay takes Space for its pause, as the key beside the arrows that set its speed.
constexpr std::string_view kReplayPausedCaption = "Paused: press Space to go on";
// The last board stays until the player leaves.
constexpr std::string_view kReplayEndCaption = "The end: press Esc to go back";

} // namespace

std::uint64_t ClockSeed()
{
    return static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

Match::Match(Ticker& ticker, TIniFile& ini, ReplayStore& replays, std::function<Lineup()> lineup,
             Seeds seeds)
    : ticker_(ticker), ini_(ini), replays_(replays), lineup_(std::move(lineup)),
      seeds_(std::move(seeds))
{
}

void Match::Enter(engine::Mode mode)
{
    if (playback_)
    {
        replaySpeed_ = 1;
        replayPaused_ = false;
        replayEnded_ = false;
        playback_->Start(game_);
    }
    else
        game_.Enter(mode);
    Sync();
}

void Match::Leave()
{
    const std::size_t before = game_.Events().size();
    game_.Leave();
    if (playback_)
    {
        playback_->Restore(game_);
        playback_.reset();
    }
    else if (std::any_of(
                 game_.Events().begin() + static_cast<std::ptrdiff_t>(before), game_.Events().end(),
                 [](const engine::Event& e) { return e.kind == engine::EventKind::Finished; }))
        Conclude();
    Schedule(0, game_.GamePhase());
}

void Match::NewGame()
{
    playing_ = lineup_();
    const std::uint64_t seed = seeds_();
    if (game_.GameMode() == engine::Mode::DeathMatch)
    {
        game_.NewDeathMatch(seed, playing_.skill.interval);
    }
    else
    {
        game_.NewGame(seed, playing_.skill);
        // One reading of the file at every start: another copy of the game may have written a
        // best, or moved this user, since this copy last wrote the table.
        if (records::LevelHasRecords(playing_.skill.level))
        {
            standing_.table = records::ReadTable(ini_, playing_.skill.level);
            standing_.slot = records::FindUser(standing_.table, playing_.names[0]);
        }
    }
    Sync();
}

void Match::Tick()
{
    if (playback_)
    {
        if (replayPaused_ || replayEnded_)
            return;
        if (!playback_->Step(game_))
        {
            replayEnded_ = true;
            replayMatches_ = playback_->Matches(game_);
            Schedule(0, game_.GamePhase());
            if (OnOver)
                OnOver({std::nullopt, {}, replayMatches_});
            return;
        }
        Sync();
        return;
    }
    if (game_.GamePhase() == engine::Phase::Waiting)
    {
        NewGame();
        return;
    }
    const std::size_t before = game_.Events().size();
    game_.Step();
    if (std::any_of(game_.Events().begin() + static_cast<std::ptrdiff_t>(before),
                    game_.Events().end(),
                    [](const engine::Event& e) { return e.kind == engine::EventKind::Finished; }))
    {
        // The next game waits until the player has seen what this one changed.
        Schedule(0, game_.GamePhase());
        const Over over = Conclude();
        if (OnOver)
            OnOver(over);
    }
    Sync();
}

bool Match::KeepsRecords() const
{
    const engine::GameStart& start = game_.Started();
    return start.mode == engine::Mode::Single && records::LevelHasRecords(start.skill.level);
}

const records::Row& Match::UserRow() const
{
    static const records::Row kNotInTable;
    return standing_.slot >= 1 ? standing_.table[static_cast<std::size_t>(standing_.slot - 1)]
                               : kNotInTable;
}

Over Match::Conclude()
{
    Over over;
    const engine::GameStart& start = game_.Started();
    const bool single = start.mode == engine::Mode::Single;
    // Kept before the records are shown, so that the table can already play it.
    replays_.Keep(engine::Record(game_, std::span(playing_.names.data(), single ? 1 : 2)));
    if (!KeepsRecords())
        return over;
    try
    {
        over.recorded =
            records::RecordGame(ini_, start.skill.level, playing_.names[0], game_.Score());
        standing_ = over.recorded->standing;
    }
    catch (const EIniFileException& e)
    {
        over.recordError = e.what();
    }
    return over;
}

void Match::Key(std::span<const engine::PlayerTurn> turns)
{
    if (!playback_)
        game_.Key(turns);
}

bool Match::TogglePause()
{
    if (playback_)
    {
        if (replayEnded_)
            return false;
        replayPaused_ = !replayPaused_;
    }
    else if (!game_.TogglePause())
        return false;
    Sync();
    return true;
}

bool Match::FocusLost()
{
    if (playback_)
        return !replayPaused_ && TogglePause();
    if (!game_.PauseInPlay())
        return false;
    Sync();
    return true;
}

bool Match::Paused() const
{
    return playback_ ? replayPaused_ : game_.GamePhase() == engine::Phase::Paused;
}

std::string_view Match::Caption() const
{
    if (!playback_)
        return Paused() ? kPausedCaption : "";
    if (replayEnded_)
        return replayMatches_ ? kReplayEndCaption : "";
    return replayPaused_ ? kReplayPausedCaption : "";
}

int Match::Interval() const
{
    if (playback_)
        return replayPaused_ || replayEnded_ ? 0 : std::max(1, game_.Interval() / replaySpeed_);
    const engine::Phase phase = game_.GamePhase();
    return phase == engine::Phase::Idle || phase == engine::Phase::Paused ? 0 : game_.Interval();
}

void Match::Sync()
{
    Schedule(Interval(), game_.GamePhase());
}

void Match::Schedule(int intervalMs, engine::Phase phase)
{
    if (intervalMs == scheduled_ && (intervalMs == 0 || phase == scheduledPhase_))
        return;
    scheduled_ = intervalMs;
    scheduledPhase_ = phase;
    ticker_.Schedule(intervalMs);
}

void Match::Watch(const engine::Replay& replay)
{
    playback_.emplace(replay);
}

void Match::FasterReplay()
{
    replaySpeed_ = std::min(kFastestReplay, replaySpeed_ * 2);
    Sync();
}

void Match::SlowerReplay()
{
    replaySpeed_ = std::max(1, replaySpeed_ / 2);
    Sync();
}

} // namespace play
