// Fuzz target: a replay file played on the engine. The input, its checksum mended, is read; a
// replay the reader accepts starts the game with exactly the skill and turned flags it holds, and
// plays to its end (or a cap on the steps) without a crash or undefined behaviour (the sanitizers
// watch); a replay that playback proves is what the game records of the game it played.
#include "FuzzSupport.h"
#include "ReplayInput.h"

#include "engine/Playback.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{

// Ten times the golden replays' longest: enough for mutations of them to end, few enough that a
// file claiming billions of steps costs one run a fraction of a second.
constexpr std::uint32_t kStepCap = 10'000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::byte> file = fuzzing::WithChecksum(std::vector<std::byte>(
        reinterpret_cast<const std::byte*>(data), reinterpret_cast<const std::byte*>(data) + size));
    const engine::ReplayDecoding read = engine::Decode(file);
    if (!read.replay)
        return 0;
    const engine::Replay& replay = *read.replay;
    std::vector<std::string> names;
    for (const engine::ReplayPlayer& player : replay.players)
        names.push_back(player.name);

    engine::Playback playback(replay);
    engine::Game game;
    std::vector<engine::Event> events;
    playback.Start(game);
    // The reader accepts only a start the game can take as it is: recorded now, it is the file's.
    const engine::Replay started = engine::Record(game, names);
    FUZZ_CHECK(started.mode == replay.mode && started.level == replay.level &&
               started.probability == replay.probability && started.interval == replay.interval &&
               started.computerWorms == replay.computerWorms && started.turned == replay.turned &&
               started.seed == replay.seed);

    std::uint32_t steps = 0;
    for (; steps < kStepCap && playback.Step(game); ++steps)
        game.TakeEvents(events);
    if (steps == kStepCap || !playback.Matches(game))
        return 0;
    FUZZ_CHECK(engine::Encode(engine::Record(game, names)) == file);
    return 0;
}
