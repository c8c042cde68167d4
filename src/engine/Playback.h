// A game and its replay: the replay of what a game played, and a replay played again on a game,
// turn by turn at the steps they came in, to the final state it recorded.
#pragma once

#include "engine/Game.h"
#include "engine/Replay.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace engine
{

// The replay of the game as it stands: its start, every turn it accepted, where it is now. names
// are the players' (one for a single game, two for a death match).
Replay Record(const Game& game, std::span<const std::string> names);

// What replay's game started from.
GameStart StartOf(const Replay& replay);

class Playback
{
public:
    explicit Playback(Replay replay) : replay_(std::move(replay)) {}

    const Replay& Recorded() const { return replay_; }
    // The game started as the recorded one was; the players' turned flags it found are kept.
    void Start(Game& game);
    // The players' turned flags put back as Start found them: a replay watched between two
    // games neither queues the next game's first key nor drops a key carried over to it.
    void Restore(Game& game) const;
    // The turns due before the game's next step, then the step; false (nothing done) once the
    // recorded end is reached or the game cannot step any further.
    bool Step(Game& game);
    // Whether the game reached the recorded end in the recorded final state, having taken
    // exactly the recorded turns: then the file is what the game writes for it.
    bool Matches(const Game& game) const;

private:
    void ApplyDue(Game& game);

    Replay replay_;
    std::size_t next_ = 0;
    // The single game's player's, then the death match's players'; none before Start.
    std::optional<std::array<bool, 3>> foundTurned_;
};

} // namespace engine
