// The game model's shared steps and the single game: start, tick, eating, death and removal.
#include "engine/Game.h"

#include <algorithm>

namespace engine
{

double AverageChange(const Statistics& statistics, int score)
{
    return static_cast<double>(statistics.eaten + score) / (statistics.games + 1) -
           statistics.average;
}

void Game::SetRandomSource(RandomSource* source)
{
    random_ = source != nullptr ? source : &generator;
}

void Game::Clear()
{
    board.Reset();
    events.push_back({EventKind::Cleared});
}

void Game::Redraw(std::span<const Cell> sections, int length, std::uint8_t code, std::uint8_t who)
{
    const Cell left = sections[0];
    if (sections[static_cast<std::size_t>(length)] != left)
    {
        events.push_back({EventKind::Erase, left});
        board.At(left) = kEmpty;
    }
    events.push_back({EventKind::Draw, sections[1], who});
    board.At(sections[1]) = code;
}

void Game::PlaceTarget(std::uint8_t code, Cell& where, std::uint8_t which)
{
    const auto cell = FindTargetCell(board, *random_);
    if (!cell)
    {
        events.push_back({EventKind::TargetHidden, {}, which});
        return;
    }
    where = *cell;
    board.At(*cell) = code;
    events.push_back({EventKind::TargetPlaced, *cell, which});
}

void Game::NewGame(int count, int probability)
{
    Clear();
    wormCount = std::clamp(count, 0, kComputerWorms);
    prob = std::max(probability, 1);
    StartLayout(board, worms, wormCount, player);
    score = 0;
    PutNewTarget();
}

void Game::Tick()
{
    CrawlStep(player.sections, player.length, player.direction);
    // The test comes before the redraw: the cell the tail is leaving still holds code 3, so
    // a head entering it dies.
    CheckPlayerWormEvents();
    RedrawPlayerWorm();
    TakeQueuedTurn(player);
    // In number order, each seeing the codes the player and the lower-numbered worms have
    // already written in this tick; a death does not stop them.
    for (int n = 1; n <= wormCount; ++n)
        MoveComputerWorm(n);
}

void Game::CheckPlayerWormEvents()
{
    const Cell head = player.sections[1];
    const std::uint8_t code = board.At(head);
    if (HeadDies(player, code, kComputer, false))
        events.push_back({EventKind::Died, head});
    if (code != kTarget)
        return;
    ++score;
    events.push_back({EventKind::Eaten, head, kFirstPlayer});
    PutNewTarget();
    Grow(player);
}

void Game::RedrawPlayerWorm()
{
    Redraw(player.sections, player.length, kPlayer, kFirstPlayer);
}

void Game::MoveComputerWorm(int n)
{
    ComputerWorm& worm = worms[static_cast<std::size_t>(n)];
    const auto who = static_cast<std::uint8_t>(n);
    // A worm still stacked on its start cell shows there until it has unrolled.
    if (worm.sections[0] == worm.sections[kComputerLength])
        events.push_back({EventKind::Draw, worm.sections[0], who});
    DetectFree(board, worm);
    DetectMainDir(worm);
    const Cell head = worm.sections[1];
    CrawlStep(worm.sections, kComputerLength, kNone);
    worm.sections[1] = Step(head, ChooseDirection(worm, prob, *random_));
    RedrawWorm(n);
}

void Game::RedrawWorm(int n)
{
    Redraw(worms[static_cast<std::size_t>(n)].sections, kComputerLength, kComputer,
           static_cast<std::uint8_t>(n));
}

void Game::PutNewTarget()
{
    PlaceTarget(kTarget, targetCell, 1);
}

void Game::PlayerKey(std::span<const std::uint8_t> dirs)
{
    // Of several accepted keys within one tick only the last after the first can stay queued.
    player.queued = kNone;
    for (const std::uint8_t dir : dirs)
        Turn(player, dir);
}

void Game::StartPlayerRemoval()
{
    removalCounter = player.length;
}

bool Game::RemovePlayerStep()
{
    events.push_back({EventKind::Erase, player.sections[static_cast<std::size_t>(removalCounter)]});
    --removalCounter;
    if (removalCounter > 0)
        return false;
    removalCounter = kComputerLength;
    return true;
}

bool Game::RemoveComputersStep()
{
    // All eight records, in play or not: the ones beyond this game's count erase the cells an
    // earlier game left in them.
    for (int n = 1; n <= kComputerWorms; ++n)
        events.push_back(
            {EventKind::Erase, worms[static_cast<std::size_t>(n)]
                                   .sections[static_cast<std::size_t>(removalCounter)]});
    --removalCounter;
    return removalCounter <= 0;
}

} // namespace engine
