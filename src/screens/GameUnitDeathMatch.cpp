// The death match on the game screen: the model's bouts painted and sounded, the tick and the
// removal before the next bout timed, the scores shown.
#include "screens/GameUnit.h"

#include "settings/NumberText.h"
#include "ui/Platform.h"

#include <algorithm>
#include <string>

namespace
{

constexpr int kBoutRemovalTime = 1100; // ms, whatever the worm's length

} // namespace

void TGameForm::NewDeathMatch()
{
    Model.NewDeathMatch();
    UpdateScore1Label();
    UpdateScore2Label();
    StartBout();
}

void TGameForm::NewDeath()
{
    Model.NewBout();
    StartBout();
}

void TGameForm::StartBout()
{
    Target.SetVisible(true);
    Target2.SetVisible(true);
    ApplyEvents();
    phase_ = GamePhase::Playing;
    TimerDM.SetEnabled(true);
}

void TGameForm::TimerDMTimer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::Playing)
        return;
    Model.DeathMatchTick();
    ApplyEvents();
}

void TGameForm::CheckPlayer1WormEvents()
{
    Model.CheckPlayer1WormEvents();
    ApplyEvents();
}

void TGameForm::CheckPlayer2WormEvents()
{
    Model.CheckPlayer2WormEvents();
    ApplyEvents();
}

void TGameForm::RedrawPlayer1Worm()
{
    Model.RedrawPlayer1Worm();
    ApplyEvents();
}

void TGameForm::RedrawPlayer2Worm()
{
    Model.RedrawPlayer2Worm();
    ApplyEvents();
}

void TGameForm::Dead1()
{
    Model.Dead1();
    ApplyEvents();
}

void TGameForm::Dead2()
{
    Model.Dead2();
    ApplyEvents();
}

void TGameForm::EndBout(std::uint8_t whoDied)
{
    if (whoDied == engine::kPlayer1Died)
        UpdateScore2Label();
    if (whoDied == engine::kPlayer2Died)
        UpdateScore1Label();
    TimerDM.SetEnabled(false);
    DeadSound.Play();
    if (whoDied != engine::kPlayer2Died)
        App().Rumble(1);
    if (whoDied != engine::kPlayer1Died)
        App().Rumble(2);
    phase_ = GamePhase::RemovingBout;
    // About 1.1 s for the removal whatever the length.
    DMKiller.SetInterval(kBoutRemovalTime / std::max(RemovalCounter, 1));
    DMKiller.SetEnabled(true);
}

void TGameForm::DMKillerTimer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::RemovingBout)
        return;
    const bool done = Model.BoutRemovalStep();
    ApplyEvents();
    if (!done)
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
    Model.PutNewTarget1();
    ApplyEvents();
}

void TGameForm::PutNewTarget2()
{
    Model.PutNewTarget2();
    ApplyEvents();
}
