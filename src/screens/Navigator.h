// Navigator: what one screen asks of another (open it, hand it a table or a replay), answered
// where the screens are made, so that no screen knows another.
#pragma once

#include "net/Link.h"
#include "records/Records.h"

#include <memory>

namespace engine
{
struct Replay;
}

class Navigator
{
public:
    virtual ~Navigator() = default;

    // The game screen with a new single game of the logged-in user, or a new death match.
    virtual void StartSingleGame() = 0;
    virtual void StartDeathMatch() = 0;
    // The network match screen: host, or join another computer.
    virtual void OpenNetwork() = 0;
    // The game screen with a death match against the computer at the other end of link, which
    // is connected; the host plays player 1.
    virtual void StartNetworkMatch(std::unique_ptr<net::Link> link, bool hosting) = 0;
    // The login screen; returns once it has closed.
    virtual void OpenLogin() = 0;
    // The skill settings, the controls and the statistics screens.
    virtual void OpenSettings() = 0;
    virtual void OpenControls() = 0;
    virtual void OpenStatistics() = 0;
    // The records table a finished game changed, shown as the game wrote it; returns once the
    // player has closed it.
    virtual void ShowGameResult(const records::Table& table) = 0;
    // The game screen playing replay back over the screen that asked.
    virtual void PlayReplay(const engine::Replay& replay) = 0;

protected:
    Navigator() = default;
    Navigator(const Navigator&) = default;
    Navigator& operator=(const Navigator&) = default;
};
