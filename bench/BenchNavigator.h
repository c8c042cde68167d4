// The navigator of the benchmarks that build the game screen: they measure that screen alone,
// so a call to another screen (the records after a game) goes nowhere.
#pragma once

#include "screens/Navigator.h"

namespace bench
{

class StayNavigator final : public Navigator
{
public:
    void StartSingleGame() override {}
    void StartDeathMatch() override {}
    void OpenNetwork() override {}
    void StartNetworkMatch(std::unique_ptr<net::Link>, bool) override {}
    void OpenLogin() override {}
    void OpenSettings() override {}
    void OpenControls() override {}
    void OpenStatistics() override {}
    void ShowGameResult(const records::Table&) override {}
    void PlayReplay(const engine::Replay&) override {}
};

} // namespace bench
