// The game model's death match: bouts, the tick that settles ties, targets that feed one player
// and kill the other, scores and the removal before the next bout.
#include "engine/Game.h"

#include <algorithm>

namespace engine
{

void Game::NewDeathMatch(std::uint64_t seed, int interval)
{
    Begin(Mode::DeathMatch, seed, DeathMatchSkill(interval));
    score1 = 0;
    score2 = 0;
    NewDeath();
}

void Game::NewDeath()
{
    phase_ = Phase::Playing;
    interval_ = start_.skill.interval;
    Clear();
    // The worms are not drawn here: the first tick draws each head on its start cell.
    PlaceStandingWorm(player1, kPlayer1Start);
    board.At(kPlayer1Start) = kPlayer;
    PlaceStandingWorm(player2, kPlayer2Start);
    board.At(kPlayer2Start) = kPlayer;
    player1.dead = false;
    player2.dead = false;
    PutNewTarget1();
    PutNewTarget2();
}

void Game::DeathMatchTick()
{
    CrawlStep(player1.sections, player1.length, player1.direction);
    CheckPlayer1WormEvents();
    RedrawPlayer1Worm();
    TakeQueuedTurn(player1);

    // Player 2 sees the board as player 1's move left it: a cell player 1 just entered is a
    // section, one its tail just left is free.
    CrawlStep(player2.sections, player2.length, player2.direction);
    CheckPlayer2WormEvents();
    RedrawPlayer2Worm();
    TakeQueuedTurn(player2);

    if (player1.dead && player2.dead)
        BothDead();
    else if (player1.dead)
        Dead1();
    else if (player2.dead)
        Dead2();
}

void Game::CheckPlayer1WormEvents()
{
    CheckDeathMatchEvents(player1, kTarget, kTarget2);
}

void Game::CheckPlayer2WormEvents()
{
    CheckDeathMatchEvents(player2, kTarget2, kTarget);
}

void Game::CheckDeathMatchEvents(DeathMatchWorm& worm, std::uint8_t ownTarget,
                                 std::uint8_t deadlyTarget)
{
    const Cell head = worm.sections[1];
    const std::uint8_t code = board.At(head);
    worm.dead = HeadDies(worm, code, deadlyTarget, true);
    if (code != ownTarget)
        return;
    const bool first = ownTarget == kTarget;
    events.push_back({EventKind::Eaten, head, first ? kFirstPlayer : kSecondPlayer});
    // The head cell still holds the eaten target's code and the tail's cell a section, so the
    // new target lands on neither.
    if (first)
        PutNewTarget1();
    else
        PutNewTarget2();
    Grow(worm);
}

void Game::RedrawPlayer1Worm()
{
    // Also on the tick of a death: the head is drawn over whatever killed it.
    Redraw(player1.sections, player1.length, kPlayer, kFirstPlayer);
}

void Game::RedrawPlayer2Worm()
{
    Redraw(player2.sections, player2.length, kPlayer, kSecondPlayer);
}

void Game::PutNewTarget1()
{
    PlaceTarget(kTarget, targetCell, kFirstPlayer);
}

void Game::PutNewTarget2()
{
    PlaceTarget(kTarget2, target2Cell, kSecondPlayer);
}

void Game::Dead1()
{
    ++score2;
    EndBout(kPlayer1Died, player1.length);
}

void Game::Dead2()
{
    ++score1;
    EndBout(kPlayer2Died, player2.length);
}

void Game::BothDead()
{
    EndBout(kBothDied, std::max(player1.length, player2.length));
}

void Game::EndBout(std::uint8_t who, int removalSteps)
{
    whoDied = who;
    removalCounter = removalSteps;
    phase_ = Phase::RemovingBout;
    // About kRemovalTime for the removal whatever the length.
    interval_ = kRemovalTime / std::max(removalSteps, 1);
    events.push_back({EventKind::BoutOver, {}, who});
}

bool Game::BoutRemovalStep()
{
    if (whoDied == kBothDied)
    {
        for (DeathMatchWorm* worm : {&player1, &player2})
        {
            if (worm->length < 1)
                continue;
            events.push_back(
                {EventKind::Erase, worm->sections[static_cast<std::size_t>(worm->length)]});
            --worm->length;
        }
    }
    else
    {
        const DeathMatchWorm& dead = whoDied == kPlayer1Died ? player1 : player2;
        events.push_back(
            {EventKind::Erase, dead.sections[static_cast<std::size_t>(removalCounter)]});
    }
    --removalCounter;
    return removalCounter <= 0;
}

} // namespace engine
