// The game model's death match: bouts, the tick that settles ties, targets that feed one player
// and kill the other, scores and the removal before the next bout.
#include "engine/Game.h"

#include <algorithm>

namespace engine
{

void Game::NewDeathMatch(std::uint64_t seed, int interval)
{
    Begin(Mode::DeathMatch, seed, DeathMatchSkill(interval));
    score1_ = 0;
    score2_ = 0;
    NewDeath();
}

void Game::NewDeath()
{
    phase_ = Phase::Playing;
    interval_ = start_.skill.interval;
    Clear();
    // The worms are not drawn here: the first tick draws each head on its start cell.
    PlaceStandingWorm(player1_, kPlayer1Start);
    board_.At(kPlayer1Start) = kPlayer;
    PlaceStandingWorm(player2_, kPlayer2Start);
    board_.At(kPlayer2Start) = kPlayer;
    player1_.dead = false;
    player2_.dead = false;
    PutNewTarget1();
    PutNewTarget2();
}

void Game::DeathMatchTick()
{
    CrawlStep(player1_.sections, player1_.length, player1_.direction);
    CheckPlayer1WormEvents();
    RedrawPlayer1Worm();
    TakeQueuedTurn(player1_);

    // Player 2 sees the board as player 1's move left it: a cell player 1 just entered is a
    // section, one its tail just left is free.
    CrawlStep(player2_.sections, player2_.length, player2_.direction);
    CheckPlayer2WormEvents();
    RedrawPlayer2Worm();
    TakeQueuedTurn(player2_);

    if (player1_.dead && player2_.dead)
        BothDead();
    else if (player1_.dead)
        Dead1();
    else if (player2_.dead)
        Dead2();
}

void Game::CheckPlayer1WormEvents()
{
    CheckDeathMatchEvents(player1_, kTarget, kTarget2);
}

void Game::CheckPlayer2WormEvents()
{
    CheckDeathMatchEvents(player2_, kTarget2, kTarget);
}

void Game::CheckDeathMatchEvents(DeathMatchWorm& worm, std::uint8_t ownTarget,
                                 std::uint8_t deadlyTarget)
{
    const Cell head = worm.sections[1];
    const std::uint8_t code = board_.At(head);
    worm.dead = HeadDies(worm, code, deadlyTarget, true);
    if (code != ownTarget)
        return;
    const bool first = ownTarget == kTarget;
    events_.push_back({EventKind::Eaten, head, first ? kFirstPlayer : kSecondPlayer});
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
    Redraw(player1_.sections, player1_.length, kPlayer, kFirstPlayer);
}

void Game::RedrawPlayer2Worm()
{
    Redraw(player2_.sections, player2_.length, kPlayer, kSecondPlayer);
}

void Game::PutNewTarget1()
{
    PlaceTarget(kTarget, targetCell_, kFirstPlayer);
}

void Game::PutNewTarget2()
{
    PlaceTarget(kTarget2, target2Cell_, kSecondPlayer);
}

void Game::Dead1()
{
    ++score2_;
    EndBout(kPlayer1Died, player1_.length);
}

void Game::Dead2()
{
    ++score1_;
    EndBout(kPlayer2Died, player2_.length);
}

void Game::BothDead()
{
    EndBout(kBothDied, std::max(player1_.length, player2_.length));
}

void Game::EndBout(std::uint8_t who, int removalSteps)
{
    whoDied_ = who;
    removalCounter_ = removalSteps;
    phase_ = Phase::RemovingBout;
    // About kRemovalTime for the removal whatever the length.
    interval_ = kRemovalTime / std::max(removalSteps, 1);
    events_.push_back({EventKind::BoutOver, {}, who});
}

bool Game::BoutRemovalStep()
{
    if (whoDied_ == kBothDied)
    {
        for (DeathMatchWorm* worm : {&player1_, &player2_})
        {
            if (worm->length < 1)
                continue;
            events_.push_back(
                {EventKind::Erase, worm->sections[static_cast<std::size_t>(worm->length)]});
            --worm->length;
        }
    }
    else
    {
        const DeathMatchWorm& dead = whoDied_ == kPlayer1Died ? player1_ : player2_;
        events_.push_back(
            {EventKind::Erase, dead.sections[static_cast<std::size_t>(removalCounter_)]});
    }
    --removalCounter_;
    return removalCounter_ <= 0;
}

} // namespace engine
