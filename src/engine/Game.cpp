// The game model's flow (phases, pause, keys, the skill table, the start from a seed) and the
// single game: start, tick, eating, death and removal.
#include "engine/Game.h"

#include <algorithm>

namespace engine
{

std::optional<Skill> LevelSkill(int level)
{
    // Beginner, Amateur, Professional, Master.
    static constexpr Skill kLevels[4] = {
        {1, 10, 120, 2}, {2, 8, 110, 3}, {3, 6, 100, 4}, {4, 6, 80, 8}};
    if (level < 1 || level > 4)
        return std::nullopt;
    return kLevels[level - 1];
}

void Game::SetRandomSource(RandomSource* source)
{
    random_ = source != nullptr ? source : &generator_;
}

void Game::Enter(Mode mode)
{
    mode_ = mode;
    phase_ = Phase::Waiting;
    interval_ = kWaitInterval;
}

void Game::Leave()
{
    // A death match has no end of its own: it ends when its players leave it.
    if (mode_ == Mode::DeathMatch &&
        (phase_ == Phase::Playing || phase_ == Phase::Paused || phase_ == Phase::RemovingBout))
        events_.push_back({EventKind::Finished});
    phase_ = Phase::Idle;
}

void Game::TakeEvents(std::vector<Event>& into)
{
    into.clear();
    into.swap(events_);
}

void Game::Step()
{
    switch (phase_)
    {
    case Phase::Playing:
        ++ticks_;
        ++steps_;
        if (mode_ == Mode::Single)
            Tick();
        else
            DeathMatchTick();
        break;
    case Phase::RemovingPlayer:
        ++steps_;
        if (RemovePlayerStep())
        {
            phase_ = Phase::RemovingComputers;
            interval_ = kRemovalInterval;
        }
        break;
    case Phase::RemovingComputers:
        ++steps_;
        if (RemoveComputersStep())
        {
            phase_ = Phase::Waiting;
            interval_ = kWaitInterval;
            events_.push_back({EventKind::Finished});
        }
        break;
    case Phase::RemovingBout:
        ++steps_;
        if (BoutRemovalStep())
            NewDeath();
        break;
    case Phase::Idle:
    case Phase::Waiting:
    case Phase::Paused:
        break;
    }
}

bool Game::TogglePause()
{
    if (phase_ == Phase::Playing)
        phase_ = Phase::Paused;
    else if (phase_ == Phase::Paused)
        phase_ = Phase::Playing;
    else
        return false;
    return true;
}

bool Game::PauseInPlay()
{
    return phase_ == Phase::Playing && TogglePause();
}

void Game::TurnWorm(PlayerWorm& worm, PlayerTurn turn)
{
    // A turn against the current way changes nothing and is not kept.
    if (turn.direction >= kNone || worm.direction == Opposite(turn.direction))
        return;
    Turn(worm, turn.direction);
    Keep(turn);
}

void Game::Keep(PlayerTurn turn)
{
    if (phase_ != Phase::Idle && phase_ != Phase::Waiting)
        turns_.push_back({steps_, turn});
}

void Game::Key(std::span<const PlayerTurn> turns)
{
    if (mode_ == Mode::DeathMatch)
    {
        for (const PlayerTurn turn : turns)
            TurnWorm(turn.player == 2 ? player2_ : player1_, turn);
        return;
    }
    // Player 2's keys and controller are nothing to the single game.
    if (!turns.empty() &&
        std::none_of(turns.begin(), turns.end(), [](PlayerTurn t) { return t.player == 1; }))
        return;
    // Of several accepted keys within one tick only the last after the first can stay queued.
    if (player_.queued != kNone)
    {
        player_.queued = kNone;
        Keep({1, kNone});
    }
    for (const PlayerTurn turn : turns)
        if (turn.player == 1)
            TurnWorm(player_, turn);
}

void Game::ApplyTurn(PlayerTurn turn)
{
    if (mode_ == Mode::DeathMatch)
    {
        TurnWorm(turn.player == 2 ? player2_ : player1_, turn);
        return;
    }
    if (turn.direction != kNone)
    {
        TurnWorm(player_, turn);
        return;
    }
    player_.queued = kNone;
    Keep(turn);
}

void Game::Start(const GameStart& start)
{
    if (start.mode == Mode::Single)
    {
        player_.turned = start.turned[0];
        NewGame(start.seed, start.skill);
        return;
    }
    player1_.turned = start.turned[0];
    player2_.turned = start.turned[1];
    NewDeathMatch(start.seed, start.skill.interval);
}

void Game::Begin(Mode mode, std::uint64_t seed, const Skill& skill)
{
    mode_ = mode;
    generator_.Seed(seed);
    start_ = {mode, seed, skill, {}};
    start_.turned = mode == Mode::Single ? std::array<bool, 2>{player_.turned, false}
                                         : std::array<bool, 2>{player1_.turned, player2_.turned};
    ticks_ = 0;
    steps_ = 0;
    turns_.clear();
    phase_ = Phase::Playing;
    interval_ = skill.interval;
}

void Game::Clear()
{
    board_.Reset();
    events_.push_back({EventKind::Cleared});
}

void Game::Redraw(std::span<const Cell> sections, int length, std::uint8_t code, std::uint8_t who)
{
    const Cell left = sections[0];
    if (sections[static_cast<std::size_t>(length)] != left)
    {
        events_.push_back({EventKind::Erase, left});
        board_.At(left) = kEmpty;
    }
    events_.push_back({EventKind::Draw, sections[1], who});
    board_.At(sections[1]) = code;
}

void Game::PlaceTarget(std::uint8_t code, Cell& where, std::uint8_t who)
{
    const auto cell = FindTargetCell(board_, *random_);
    if (!cell)
    {
        events_.push_back({EventKind::TargetHidden, {}, who});
        return;
    }
    where = *cell;
    board_.At(*cell) = code;
    events_.push_back({EventKind::TargetPlaced, *cell, who});
}

void Game::NewGame(std::uint64_t seed, const Skill& skill)
{
    Skill played = skill;
    played.worms = std::clamp(skill.worms, 0, kComputerWorms);
    played.probability = std::max(skill.probability, 1);
    Begin(Mode::Single, seed, played);
    Clear();
    StartLayout(board_, worms_, played.worms, player_);
    score_ = 0;
    PutNewTarget();
}

void Game::Tick()
{
    CrawlStep(player_.sections, player_.length, player_.direction);
    // The test comes before the redraw: the cell the tail is leaving still holds code 3, so
    // a head entering it dies.
    CheckPlayerWormEvents();
    RedrawPlayerWorm();
    TakeQueuedTurn(player_);
    // In number order, each seeing the codes the player and the lower-numbered worms have
    // already written in this tick; a death does not stop them.
    for (int n = 1; n <= start_.skill.worms; ++n)
        MoveComputerWorm(n);
}

void Game::CheckPlayerWormEvents()
{
    const Cell head = player_.sections[1];
    const std::uint8_t code = board_.At(head);
    if (HeadDies(player_, code, kComputer, false))
    {
        events_.push_back({EventKind::Died, head});
        Dead();
    }
    if (code != kTarget)
        return;
    ++score_;
    events_.push_back({EventKind::Eaten, head, kFirstPlayer});
    PutNewTarget();
    Grow(player_);
}

void Game::RedrawPlayerWorm()
{
    Redraw(player_.sections, player_.length, kPlayer, kFirstPlayer);
}

void Game::MoveComputerWorm(int n)
{
    ComputerWorm& worm = worms_[static_cast<std::size_t>(n)];
    const auto who = static_cast<std::uint8_t>(n);
    // A worm still stacked on its start cell shows there until it has unrolled.
    if (worm.sections[0] == worm.sections[kComputerLength])
        events_.push_back({EventKind::Draw, worm.sections[0], who});
    DetectFree(board_, worm);
    DetectMainDir(worm);
    const Cell head = worm.sections[1];
    CrawlStep(worm.sections, kComputerLength, kNone);
    worm.sections[1] =
        engine::Step(head, ChooseDirection(worm, start_.skill.probability, *random_));
    RedrawWorm(n);
}

void Game::RedrawWorm(int n)
{
    Redraw(worms_[static_cast<std::size_t>(n)].sections, kComputerLength, kComputer,
           static_cast<std::uint8_t>(n));
}

void Game::PutNewTarget()
{
    PlaceTarget(kTarget, targetCell_, kFirstPlayer);
}

void Game::Dead()
{
    // The tick that found the death still runs to its end; no tick follows.
    phase_ = Phase::RemovingPlayer;
    removalCounter_ = player_.length;
    KillPlayerWorm();
}

void Game::KillPlayerWorm()
{
    interval_ = kRemovalTime / std::max(player_.length, 1);
}

bool Game::RemovePlayerStep()
{
    events_.push_back(
        {EventKind::Erase, player_.sections[static_cast<std::size_t>(removalCounter_)]});
    --removalCounter_;
    if (removalCounter_ > 0)
        return false;
    removalCounter_ = kComputerLength;
    return true;
}

bool Game::RemoveComputersStep()
{
    // All eight records, in play or not: the ones beyond this game's count erase the cells an
    // earlier game left in them.
    for (int n = 1; n <= kComputerWorms; ++n)
        events_.push_back(
            {EventKind::Erase, worms_[static_cast<std::size_t>(n)]
                                   .sections[static_cast<std::size_t>(removalCounter_)]});
    --removalCounter_;
    return removalCounter_ <= 0;
}

} // namespace engine
