// TGameForm: the game screen's network match: a death match against the other computer, its
// turns only this player's keys, its waits and pauses shown over the board, and its end told.
#include "screens/GameScreen.h"

#include "net/NetMatch.h"
#include "ui/Platform.h"

#include <chrono>

namespace
{

std::int64_t SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void TGameForm::ShowNetworkMatch(std::unique_ptr<net::Link> link, bool hosting)
{
    if (IsShown())
        return;
    link_ = std::move(link);
    net::NetSetup setup;
    setup.role = hosting ? net::Role::Host : net::Role::Guest;
    setup.name = session_.UserName;
    // The host's interval is the match's; the guest's is sent for nothing but the form.
    setup.interval = deathMatchInterval_;
    net_.emplace(*link_, session_.Replays, std::move(setup), SteadyMs, play::ClockSeed);
    ShowNetworkNames();
    Label2.SetLeft(kPlayer2Left);
    Label3.SetVisible(true);
    ShowPlayerColours(true);
    Show();
}

void TGameForm::ShowNetworkNames()
{
    // Each side's own name once the two have said hello; until then, who plays which worm.
    const std::array<std::string, 2>& names = net_->Names();
    Label1.SetCaption(names[0].empty() ? "Player 1" : names[0]);
    Label2.SetCaption(names[1].empty() ? "Player 2" : names[1]);
}

void TGameForm::NetworkTimer()
{
    net_->Update();
    ApplyEvents();
    if (Label1.Caption() != net_->Names()[0] || Label2.Caption() != net_->Names()[1])
        ShowNetworkNames();
    switch (net_->State())
    {
    case net::NetState::Ended:
    {
        ticker_.Schedule(0);
        ShowPauseCaption(false);
        // The message box first: the board stays behind it as the match ended.
        if (!net_->EndMessage().empty())
            App().ShowMessage(net_->EndMessage());
        Hide();
        return;
    }
    case net::NetState::Waiting:
        ShowNetworkCaption(net::kWaitingText);
        break;
    case net::NetState::PausedByOther:
        ShowNetworkCaption(net::kPausedByOtherText);
        break;
    case net::NetState::Paused:
        ShowNetworkCaption(kPauseCaption);
        break;
    default:
        if (PauseLabel.Visible())
            ShowPauseCaption(false);
        break;
    }
    App().SetScreenSaverAllowed(net_->Paused());
    ticker_.Schedule(net_->NextUpdateInMs());
}

void TGameForm::ShowNetworkCaption(std::string_view caption)
{
    if (PauseLabel.Visible() && PauseLabel.Caption() == caption)
        return;
    PauseLabel.SetCaption(std::string(caption));
    ShowPauseCaption(true);
}

void TGameForm::NetworkKey(int key)
{
    if (key == ui::vk::Escape)
    {
        Hide();
        return;
    }
    if (key == ui::vk::Pause)
        net_->TogglePause();
    // Each computer's player steers with that computer's first player's keys.
    Session::Turns turns{};
    const std::size_t count = session_.TurnsOf(engine::Mode::DeathMatch, key, turns);
    for (std::size_t i = 0; i < count; ++i)
        if (turns[i].player == 1)
            net_->Key(turns[i].direction);
}

void TGameForm::EndNetworkMatch()
{
    ticker_.Schedule(0);
    // Leaving tells the other side, whose match ends too; the link says goodbye as it goes.
    net_->Leave();
    net_.reset();
    link_.reset();
    PauseLabel.SetCaption(std::string(kPauseCaption));
}
