// The screen tests' navigator: a call is handed on, as the program does, to the screen that
// answers it where the test has joined one, and goes nowhere where it has not, so a test makes
// only the screens it looks at.
#pragma once

#include "engine/Replay.h"
#include "screens/ControlsScreen.h"
#include "screens/GameScreen.h"
#include "screens/LoginScreen.h"
#include "screens/Navigator.h"
#include "screens/NetworkScreen.h"
#include "screens/SkillScreen.h"
#include "screens/StatisticsScreen.h"

namespace screentest
{

class TestNavigator final : public Navigator
{
public:
    // The screens the calls reach.
    template <class... Screens> void Join(Screens&... screens) { (Set(screens), ...); }

    void StartSingleGame() override
    {
        if (game_)
            game_->ShowSingleGame();
    }
    void StartDeathMatch() override
    {
        if (game_)
            game_->ShowDeathMatch();
    }
    void OpenNetwork() override
    {
        if (network_)
            network_->Show();
    }
    void StartNetworkMatch(std::unique_ptr<net::Link> link, bool hosting) override
    {
        if (game_)
            game_->ShowNetworkMatch(std::move(link), hosting);
    }
    void OpenLogin() override
    {
        if (login_)
            login_->ShowModal();
    }
    void OpenSettings() override
    {
        if (skill_)
            skill_->Show();
    }
    void OpenControls() override
    {
        if (controls_)
            controls_->Show();
    }
    void OpenStatistics() override
    {
        if (statistics_)
            statistics_->Show();
    }
    void ShowGameResult(const records::Table& table) override
    {
        if (statistics_)
            statistics_->ShowGameResult(table);
    }
    void PlayReplay(const engine::Replay& replay) override
    {
        if (game_)
            game_->ShowReplay(replay);
    }

private:
    void Set(TGameForm& game) { game_ = &game; }
    void Set(TNameForm& login) { login_ = &login; }
    void Set(TKeyForm& controls) { controls_ = &controls; }
    void Set(TSkillForm& skill) { skill_ = &skill; }
    void Set(TForm2& statistics) { statistics_ = &statistics; }
    void Set(TNetForm& network) { network_ = &network; }

    TGameForm* game_ = nullptr;
    TNameForm* login_ = nullptr;
    TKeyForm* controls_ = nullptr;
    TSkillForm* skill_ = nullptr;
    TForm2* statistics_ = nullptr;
    TNetForm* network_ = nullptr;
};

} // namespace screentest
