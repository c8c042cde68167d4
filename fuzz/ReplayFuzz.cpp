// Fuzz target: the replay reader. Any input is read without a crash and without a byte read past
// its end (the sanitizers watch), as it is and with its checksum mended, so that values no writer
// makes reach the reader's checks; an input that is accepted is exactly what the writer makes of
// the replay read; and a replay built from the input's bytes is written, read back and equal.
#include "FuzzSupport.h"
#include "ReplayInput.h"

#include "engine/Game.h"
#include "engine/Replay.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace
{

// The input's bytes as the values of a replay, zero once they run out.
class Values
{
public:
    explicit Values(std::span<const std::byte> in) : in_(in) {}
    std::uint64_t Next(int bytes)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes && pos_ < in_.size(); ++i)
            value |= std::to_integer<std::uint64_t>(in_[pos_++]) << (8 * i);
        return value;
    }
    [[nodiscard]] std::size_t Left() const { return in_.size() - pos_; }

private:
    std::span<const std::byte> in_;
    std::size_t pos_ = 0;
};

// A replay that a game could have written, its values taken from the input.
engine::Replay Built(std::span<const std::byte> in)
{
    Values v(in);
    engine::Replay r;
    const bool deathMatch = (v.Next(1) & 1) != 0;
    r.mode = deathMatch ? engine::ReplayMode::DeathMatch : engine::ReplayMode::SingleGame;
    r.level = deathMatch ? 0 : static_cast<std::uint8_t>(v.Next(1) % 5);
    // A level's own skill, Custom's within its ranges, the death match's with its interval.
    const std::optional<engine::Skill> skill =
        deathMatch ? std::optional(engine::DeathMatchSkill(0)) : engine::LevelSkill(r.level);
    const auto within = [&](int lo, int hi)
    {
        return lo + static_cast<int>(v.Next(2) % (hi - lo + 1));
    };
    r.probability = static_cast<std::uint16_t>(
        skill ? skill->probability : within(engine::kMinProbability, engine::kMaxProbability));
    r.interval = static_cast<std::uint16_t>(
        skill && !deathMatch ? skill->interval
                             : within(engine::kMinInterval, engine::kMaxInterval));
    r.computerWorms =
        static_cast<std::uint8_t>(skill ? skill->worms : within(0, engine::kComputerWorms));
    r.seed = v.Next(8);
    r.turned = static_cast<std::uint8_t>(v.Next(1) & (deathMatch ? 3 : 1));
    r.players.resize(deathMatch ? 2 : 1);
    for (engine::ReplayPlayer& player : r.players)
    {
        const std::size_t size = v.Next(1) % 40;
        for (std::size_t i = 0; i < size; ++i)
            player.name += static_cast<char>(v.Next(1));
        player.score = static_cast<std::uint32_t>(v.Next(4));
        player.length = static_cast<std::uint32_t>(v.Next(2));
    }
    std::uint32_t step = 0;
    while (v.Left() > 12)
    {
        const std::uint64_t turn = v.Next(2);
        // Mostly near steps, now and then a far one, as long as the steps do not wrap.
        const std::uint32_t distance = (turn & 0x8000) != 0
                                           ? static_cast<std::uint32_t>(v.Next(4))
                                           : static_cast<std::uint32_t>(turn >> 4) & 0xFF;
        if (step + distance < step)
            break;
        step += distance;
        // A death match turns (0..3); a single game's key may only cancel (4).
        r.turns.push_back({step, static_cast<std::uint8_t>(deathMatch ? ((turn >> 3) & 1) + 1 : 1),
                           static_cast<std::uint8_t>((turn & 7) % (deathMatch ? 4 : 5))});
    }
    r.steps = step + static_cast<std::uint32_t>(v.Next(1));
    if (r.steps < step)
        r.steps = step;
    r.ticks = r.steps - static_cast<std::uint32_t>(v.Next(1) % (r.steps + 1ull));
    r.boardHash = v.Next(8);
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A copy of exactly the input's size on the heap, so that a read past it is caught.
    const std::vector<std::byte> input(reinterpret_cast<const std::byte*>(data),
                                       reinterpret_cast<const std::byte*>(data) + size);
    for (const std::vector<std::byte>& file : {input, fuzzing::WithChecksum(input)})
    {
        const engine::ReplayDecoding read = engine::Decode(file);
        FUZZ_CHECK(read.replay.has_value() == (read.error == engine::ReplayError::None));
        FUZZ_CHECK(read.error != engine::ReplayError::Unreadable);
        if (read.replay)
            FUZZ_CHECK(engine::Encode(*read.replay) == file);
    }

    const engine::Replay built = Built(input);
    const engine::ReplayDecoding back = engine::Decode(engine::Encode(built));
    FUZZ_CHECK(back.error == engine::ReplayError::None);
    FUZZ_CHECK(back.replay == built);
    return 0;
}
