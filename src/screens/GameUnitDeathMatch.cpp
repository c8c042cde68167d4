// The death match on the game screen: two players' worms and targets on one board, the tick
// that settles their ties, the end of a bout and the removal before the next one.
#include "screens/GameUnit.h"

#include "settings/NumberText.h"
#include "ui/Application.h"

#include <algorithm>
#include <string>

namespace
{

constexpr engine::Cell kPlayer1Start{10, 10};
constexpr engine::Cell kPlayer2Start{20, 20};
constexpr int kBoutRemovalTime = 1100; // ms, whatever the worm's length
constexpr std::uint8_t kPlayer1Died = 1;
constexpr std::uint8_t kPlayer2Died = 2;
constexpr std::uint8_t kBothDied = 3;

} // namespace

void TGameForm::NewDeathMatch()
{
    Score1 = 0;
    Score2 = 0;
    UpdateScore1Label();
    UpdateScore2Label();
    NewDeath();
}

void TGameForm::NewDeath()
{
    ResetBoard();
    // The worms are not drawn here: the first tick draws each head on its start cell.
    engine::PlaceStandingWorm(Player1, kPlayer1Start);
    Board.At(kPlayer1Start) = engine::kPlayer;
    engine::PlaceStandingWorm(Player2, kPlayer2Start);
    Board.At(kPlayer2Start) = engine::kPlayer;
    Player1.dead = false;
    Player2.dead = false;
    Target.SetVisible(true);
    Target2.SetVisible(true);
    PutNewTarget1();
    PutNewTarget2();
    phase_ = GamePhase::Playing;
    TimerDM.SetEnabled(true);
}

void TGameForm::TimerDMTimer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::Playing)
        return;

    engine::CrawlStep(Player1.sections, Player1.length, Player1.direction);
    CheckPlayer1WormEvents();
    RedrawPlayer1Worm();
    engine::TakeQueuedTurn(Player1);

    // Player 2 sees the board as player 1's move left it: a cell player 1 just entered is a
    // section, one its tail just left is free.
    engine::CrawlStep(Player2.sections, Player2.length, Player2.direction);
    CheckPlayer2WormEvents();
    RedrawPlayer2Worm();
    engine::TakeQueuedTurn(Player2);

    if (Player1.dead && Player2.dead)
        EndBout(kBothDied, std::max(Player1.length, Player2.length));
    else if (Player1.dead)
        Dead1();
    else if (Player2.dead)
        Dead2();
}

void TGameForm::CheckPlayer1WormEvents()
{
    CheckDeathMatchEvents(Player1, engine::kTarget, engine::kTarget2);
}

void TGameForm::CheckPlayer2WormEvents()
{
    CheckDeathMatchEvents(Player2, engine::kTarget2, engine::kTarget);
}

void TGameForm::CheckDeathMatchEvents(engine::DeathMatchWorm& worm, std::uint8_t ownTarget,
                                      std::uint8_t deadlyTarget)
{
    const engine::Cell head = worm.sections[1];
    const std::uint8_t code = Board.At(head);
    // A worm still gathered on its start cell stands on its own code without dying; the same
    // code under its head anywhere else is the other worm's body, even on its first step.
    const auto body = worm.sections.begin() + 2;
    const auto bodyEnd = worm.sections.begin() + worm.length + 1;
    const bool ownStack =
        worm.sections[2] == worm.sections[3] && std::find(body, bodyEnd, head) != bodyEnd;
    worm.dead =
        code == engine::kWall || code == deadlyTarget || (code == engine::kPlayer && !ownStack);
    if (code != ownTarget)
        return;
    Hrum.Play();
    // The head cell still holds the eaten target's code and the tail's cell a section, so the
    // new target lands on neither.
    if (ownTarget == engine::kTarget)
    {
        Target.SetVisible(false);
        PutNewTarget1();
    }
    else
    {
        Target2.SetVisible(false);
        PutNewTarget2();
    }
    engine::Grow(worm);
    Invalidate();
}

void TGameForm::RedrawPlayer1Worm()
{
    RedrawDeathMatchWorm(Player1, WormPictures[0]);
}

void TGameForm::RedrawPlayer2Worm()
{
    RedrawDeathMatchWorm(Player2, Player2Picture);
}

void TGameForm::RedrawDeathMatchWorm(engine::DeathMatchWorm& worm, const ui::Bitmap& picture)
{
    const auto tail = static_cast<std::size_t>(worm.length);
    if (worm.sections[tail] != worm.sections[0])
    {
        DeleteSection(worm.sections[0]);
        Board.At(worm.sections[0]) = engine::kEmpty;
    }
    // Also on the tick of a death: the head is drawn over whatever killed it.
    DrawSection(picture, worm.sections[1]);
    Board.At(worm.sections[1]) = engine::kPlayer;
}

void TGameForm::Dead1()
{
    ++Score2;
    UpdateScore2Label();
    EndBout(kPlayer1Died, Player1.length);
}

void TGameForm::Dead2()
{
    ++Score1;
    UpdateScore1Label();
    EndBout(kPlayer2Died, Player2.length);
}

void TGameForm::EndBout(std::uint8_t whoDied, int removalSteps)
{
    TimerDM.SetEnabled(false);
    DeadSound.Play();
    if (whoDied != kPlayer2Died)
        App().Rumble(1);
    if (whoDied != kPlayer1Died)
        App().Rumble(2);
    WhoDied = whoDied;
    RemovalCounter = removalSteps;
    phase_ = GamePhase::RemovingBout;
    // About 1.1 s for the removal whatever the length.
    DMKiller.SetInterval(kBoutRemovalTime / std::max(removalSteps, 1));
    DMKiller.SetEnabled(true);
}

void TGameForm::DMKillerTimer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::RemovingBout)
        return;
    // Only painting: the codes stay until the next bout clears the board.
    if (WhoDied == kBothDied)
    {
        for (engine::DeathMatchWorm* worm : {&Player1, &Player2})
        {
            if (worm->length < 1)
                continue;
            DeleteSection(worm->sections[static_cast<std::size_t>(worm->length)]);
            --worm->length;
        }
    }
    else
    {
        const engine::DeathMatchWorm& dead = WhoDied == kPlayer1Died ? Player1 : Player2;
        DeleteSection(dead.sections[static_cast<std::size_t>(RemovalCounter)]);
    }
    --RemovalCounter;
    if (RemovalCounter > 0)
        return;
    DMKiller.SetEnabled(false);
    NewDeath();
}

void TGameForm::UpdateScore1Label()
{
    ScoreLabel.SetCaption(PadLeft(std::to_string(Score1), 3));
}

void TGameForm::UpdateScore2Label()
{
    HiScoreLabel.SetCaption(PadLeft(std::to_string(Score2), 3));
}

void TGameForm::PutNewTarget1()
{
    PlaceTarget(Target, engine::kTarget, TargetCell);
}

void TGameForm::PutNewTarget2()
{
    PlaceTarget(Target2, engine::kTarget2, Target2Cell);
}
