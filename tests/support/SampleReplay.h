// Replays made up for tests of the replay file and its store.
#pragma once

#include "engine/Game.h"
#include "engine/Replay.h"

#include <string>

namespace testsupport
{

// A finished single game of user at level (0: Custom) with its skill, that scored score, told apart
// from other games by its seed, with a turn (or a cancelled one) every few steps.
inline engine::Replay SingleGameReplay(std::string user, int level, std::uint32_t score,
                                       std::uint64_t seed = 1)
{
    engine::Replay r;
    r.level = static_cast<std::uint8_t>(level);
    if (const auto skill = engine::LevelSkill(level))
    {
        r.probability = static_cast<std::uint16_t>(skill->probability);
        r.interval = static_cast<std::uint16_t>(skill->interval);
        r.computerWorms = static_cast<std::uint8_t>(skill->worms);
    }
    r.seed = seed;
    r.players = {{std::move(user), score, 10 + 5 * score}};
    for (std::uint32_t i = 0; i < 40; ++i)
        r.turns.push_back({i * 7 + i % 3, 1, static_cast<std::uint8_t>(i % 5)});
    r.ticks = 300;
    r.steps = 340;
    r.boardHash = 0x0123456789ABCDEFu ^ seed;
    return r;
}

} // namespace testsupport
