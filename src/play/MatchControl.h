// play::MatchControl: what a screen drives a match through, whether the match is played here, on
// two computers or from a replay: its start and end, the players' turns, pause, the ticks, and
// what the screen shows of it besides the board.
#pragma once

#include "engine/Game.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace play
{

// The caption over the board of a game paused with the Pause key.
inline constexpr std::string_view kPausedCaption = "Paused: press Pause to go on";

class MatchControl
{
public:
    virtual ~MatchControl() = default;

    // What the screen shows begins: games after the wait, a replay from its start, or the first
    // update of a network match. Its ticks are scheduled from here on.
    virtual void Start() = 0;
    // Whatever is under way stops, and nothing ticks any more.
    virtual void Leave() = 0;
    // The ticker's call: whatever is due.
    virtual void Tick() = 0;
    // A direction key or controller event as the turns it stands for; each kind of match takes
    // the ones that are its players'.
    virtual void Key(std::span<const engine::PlayerTurn> turns) = 0;
    // Pause pressed: false when nothing changed.
    virtual bool TogglePause() = 0;
    // The player switched away: true when that paused what is in play.
    virtual bool FocusLost() = 0;
    virtual bool Paused() const = 0;
    // The display may sleep: a game held by a pause.
    virtual bool DisplayMaySleep() const = 0;

    // The events since the last call, in order (see engine::Game::TakeEvents).
    virtual void TakeEvents(std::vector<engine::Event>& into) = 0;
    // The game on the board, read only.
    virtual const engine::Game& Model() const = 0;
    virtual engine::Mode Mode() const = 0;
    // The players' names when the match knows them better than the screen; null otherwise.
    virtual const std::array<std::string, 2>* Names() const { return nullptr; }
    // The text over the board (a pause, a wait, an end to look at); empty when there is none.
    virtual std::string_view Caption() const = 0;
    // Over for the screen, which goes back after EndMessage is shown, when there is one.
    virtual bool Done() const = 0;
    virtual std::string_view EndMessage() const = 0;
};

} // namespace play
