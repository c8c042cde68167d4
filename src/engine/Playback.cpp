// Recording a game as a replay and playing a replay on the engine.
#include "engine/Playback.h"

namespace engine
{
namespace
{

constexpr std::uint8_t kNoRecordsLevel = 0;

} // namespace

Replay Record(const Game& game, std::span<const std::string> names)
{
    const GameStart& start = game.Started();
    const bool single = start.mode == Mode::Single;
    Replay r;
    r.mode = single ? ReplayMode::SingleGame : ReplayMode::DeathMatch;
    r.level = single && LevelSkill(start.skill.level) ? static_cast<std::uint8_t>(start.skill.level)
                                                      : kNoRecordsLevel;
    r.probability = static_cast<std::uint16_t>(start.skill.probability);
    r.interval = static_cast<std::uint16_t>(start.skill.interval);
    r.computerWorms = static_cast<std::uint8_t>(single ? start.skill.worms : 0);
    r.seed = start.seed;
    r.turned =
        static_cast<std::uint8_t>((start.turned[0] ? 1 : 0) | (!single && start.turned[1] ? 2 : 0));
    const auto name = [&](std::size_t i)
    {
        return i < names.size() ? names[i] : std::string();
    };
    if (single)
    {
        r.players = {{name(0), static_cast<std::uint32_t>(game.Score()),
                      static_cast<std::uint32_t>(game.Player().length)}};
    }
    else
    {
        r.players = {{name(0), static_cast<std::uint32_t>(game.Score1()),
                      static_cast<std::uint32_t>(game.Player1().length)},
                     {name(1), static_cast<std::uint32_t>(game.Score2()),
                      static_cast<std::uint32_t>(game.Player2().length)}};
    }
    r.turns.reserve(game.AcceptedTurns().size());
    for (const AcceptedTurn& t : game.AcceptedTurns())
        r.turns.push_back({t.step, t.turn.player, t.turn.direction});
    r.ticks = game.Ticks();
    r.steps = game.Steps();
    r.boardHash = game.StateHash();
    return r;
}

GameStart StartOf(const Replay& replay)
{
    GameStart start;
    const bool single = replay.mode == ReplayMode::SingleGame;
    start.mode = single ? Mode::Single : Mode::DeathMatch;
    start.seed = replay.seed;
    start.skill = {single ? (replay.level != kNoRecordsLevel ? replay.level : kCustomLevel) : 0,
                   replay.probability, replay.interval, replay.computerWorms};
    start.turned = {(replay.turned & 1) != 0, (replay.turned & 2) != 0};
    return start;
}

void Playback::Start(Game& game)
{
    foundTurned_ = {game.player_.turned, game.player1_.turned, game.player2_.turned};
    next_ = 0;
    game.Start(StartOf(replay_));
}

void Playback::Restore(Game& game) const
{
    if (!foundTurned_)
        return;
    game.player_.turned = (*foundTurned_)[0];
    game.player1_.turned = (*foundTurned_)[1];
    game.player2_.turned = (*foundTurned_)[2];
}

void Playback::ApplyDue(Game& game)
{
    while (next_ < replay_.turns.size() && replay_.turns[next_].step <= game.Steps())
    {
        const ReplayTurn& t = replay_.turns[next_++];
        game.ApplyTurn({t.player, t.direction});
    }
}

bool Playback::Step(Game& game)
{
    ApplyDue(game);
    if (game.Steps() >= replay_.steps)
        return false;
    const Phase phase = game.GamePhase();
    if (phase == Phase::Idle || phase == Phase::Waiting || phase == Phase::Paused)
        return false;
    game.Step();
    return true;
}

bool Playback::Matches(const Game& game) const
{
    // A single game ends with its removal; a death match wherever its players left it.
    const bool ended = replay_.mode == ReplayMode::DeathMatch || game.GamePhase() == Phase::Waiting;
    // The game as it stands is recorded as exactly the file: its start, every turn taken where
    // the file has it (a turn the game refused is no turn of this game) and its final state.
    Replay now = Record(game, {});
    now.version = replay_.version;
    if (now.players.size() != replay_.players.size())
        return false;
    for (std::size_t i = 0; i < now.players.size(); ++i)
        now.players[i].name = replay_.players[i].name;
    return ended && now == replay_;
}

} // namespace engine
