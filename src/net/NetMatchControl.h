// net::NetMatchControl: a network match as the game screen drives a local one: updated at every
// tick and ticked again when it asks, only this computer's player steered, the wait and the
// pauses as the caption over the board, and the match over for the screen once it has ended.
#pragma once

#include "net/NetMatch.h"
#include "play/Match.h"
#include "play/MatchControl.h"

#include <array>
#include <string>

namespace net
{

// The program's steady clock in milliseconds.
std::int64_t SteadyClockMs();

class NetMatchControl final : public play::MatchControl
{
public:
    // Nothing is sent until Start; link outlives this.
    NetMatchControl(Link& link, ReplayStore& replays, NetSetup setup, play::Ticker& ticker,
                    NetMatch::Clock clock = SteadyClockMs, NetMatch::Seeds seeds = play::ClockSeed);

    const NetMatch& Match() const { return match_; }

    void Start() override;
    // Ends the match for both sides, keeping the replay.
    void Leave() override;
    void Tick() override;
    // Each computer's player steers with that computer's player 1's keys and first controller,
    // whichever worm it plays.
    void Key(std::span<const engine::PlayerTurn> turns) override;
    bool TogglePause() override { return match_.TogglePause(); }
    // A pause here would stop the other player's game too.
    bool FocusLost() override { return false; }
    bool Paused() const override { return match_.Paused(); }
    bool DisplayMaySleep() const override { return match_.Paused(); }

    void TakeEvents(std::vector<engine::Event>& into) override { match_.TakeEvents(into); }
    const engine::Game& Model() const override { return match_.Model(); }
    engine::Mode Mode() const override { return engine::Mode::DeathMatch; }
    // Each side's own name once the two have said hello; until then, who plays which worm.
    const std::array<std::string, 2>* Names() const override { return &names_; }
    std::string_view Caption() const override;
    bool Done() const override { return match_.State() == NetState::Ended; }
    // Empty when this player left.
    std::string_view EndMessage() const override { return match_.EndMessage(); }

private:
    void NoteNames();

    NetMatch match_;
    play::Ticker& ticker_;
    std::array<std::string, 2> names_;
};

} // namespace net
