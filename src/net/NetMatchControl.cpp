// net::NetMatchControl: the lockstep match behind the surface a screen drives.
#include "net/NetMatchControl.h"

#include <chrono>

namespace net
{

std::int64_t SteadyClockMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

NetMatchControl::NetMatchControl(Link& link, ReplayStore& replays, NetSetup setup,
                                 play::Ticker& ticker, NetMatch::Clock clock, NetMatch::Seeds seeds)
    : match_(link, replays, std::move(setup), std::move(clock), std::move(seeds)), ticker_(ticker)
{
    NoteNames();
}

void NetMatchControl::Start()
{
    ticker_.Schedule(match_.NextUpdateInMs());
}

void NetMatchControl::Leave()
{
    ticker_.Schedule(0);
    // The other side's match ends too; the link says goodbye as it goes.
    match_.Leave();
}

void NetMatchControl::Tick()
{
    match_.Update();
    NoteNames();
    // Nothing more once ended: the screen shows why and goes back.
    ticker_.Schedule(match_.NextUpdateInMs());
}

void NetMatchControl::Key(std::span<const engine::PlayerTurn> turns)
{
    for (const engine::PlayerTurn turn : turns)
        if (turn.player == 1)
            match_.Key(turn.direction);
}

std::string_view NetMatchControl::Caption() const
{
    switch (match_.State())
    {
    case NetState::Waiting:
        return kWaitingText;
    case NetState::PausedByOther:
        return kPausedByOtherText;
    case NetState::Paused:
        return play::kPausedCaption;
    default:
        return {};
    }
}

void NetMatchControl::NoteNames()
{
    const std::array<std::string, 2>& known = match_.Names();
    names_ = {known[0].empty() ? "Player 1" : known[0], known[1].empty() ? "Player 2" : known[1]};
}

} // namespace net
