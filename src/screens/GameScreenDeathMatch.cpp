// TGameForm: the death match on the game screen: the engine's bouts started, painted and sounded,
// the scores shown.
#include "screens/GameScreen.h"

#include "settings/NumberText.h"
#include "ui/Platform.h"

#include <string>

void TGameForm::NewDeathMatch()
{
    NewDeathMatch(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

void TGameForm::NewDeathMatch(std::uint64_t seed)
{
    Target.SetVisible(true);
    Target2.SetVisible(true);
    Model.NewDeathMatch(seed, deathMatchInterval_);
    UpdateScore1Label();
    UpdateScore2Label();
    ApplyEvents();
}

void TGameForm::EndBout(std::uint8_t whoDied)
{
    if (whoDied == engine::kPlayer1Died)
        UpdateScore2Label();
    if (whoDied == engine::kPlayer2Died)
        UpdateScore1Label();
    DeadSound.Play();
    if (whoDied != engine::kPlayer2Died)
        App().Rumble(1);
    if (whoDied != engine::kPlayer1Died)
        App().Rumble(2);
}

void TGameForm::UpdateScore1Label()
{
    ScoreLabel.SetCaption(PadLeft(std::to_string(Model.Score1()), 3));
}

void TGameForm::UpdateScore2Label()
{
    HiScoreLabel.SetCaption(PadLeft(std::to_string(Model.Score2()), 3));
}
