// A recorded game as data, and its file form: a versioned little-endian binary layout that
// docs/replay-format.md describes byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

// The layout this build writes; it reads every layout from 1 up to this one.
inline constexpr std::uint16_t kReplayFormatVersion = 1;
// The first bytes of every replay file.
inline constexpr std::string_view kReplayMagic = "ZORBEL2R";
// Bounds a reader holds a file to before it allocates anything: a name is a settings value (at
// most 1023 bytes), and a million turns are days of play.
inline constexpr std::size_t kReplayMaxNameBytes = 1023;
inline constexpr std::uint32_t kReplayMaxTurns = 1'000'000;
inline constexpr std::size_t kReplayMaxFileBytes = 8u << 20;

enum class ReplayMode : std::uint8_t
{
    SingleGame = 0, // one player among computer worms
    DeathMatch = 1, // two players
};

// One accepted turn as the engine keeps it: the steps taken before it (play ticks and removal
// steps from 0, pauses left out), the player (1, or 2 for a death match's second player) and the
// direction as the engine numbers them (kLeft, kRight, kUp, kDown, or kNone for a single-game
// key that only cancelled the queued turn).
struct ReplayTurn
{
    std::uint32_t step = 0;
    std::uint8_t player = 1;
    std::uint8_t direction = 0;

    bool operator==(const ReplayTurn&) const = default;
};

// A player's name and where the game left them.
struct ReplayPlayer
{
    std::string name; // UTF-8
    std::uint32_t score = 0;
    std::uint32_t length = 0;

    bool operator==(const ReplayPlayer&) const = default;
};

struct Replay
{
    std::uint16_t version = kReplayFormatVersion; // the layout the file was read from
    ReplayMode mode = ReplayMode::SingleGame;
    std::uint8_t level = 0; // 1..4 a level with a records table; 0 for Custom and a death match
    std::uint16_t probability = 6; // computer worms reconsider their way with chance 1 in this
    std::uint16_t interval = 100;  // milliseconds per tick
    std::uint8_t computerWorms = 4;
    std::uint64_t seed = 0;
    // The players' turned flags as the game started: bit 0 player 1, bit 1 player 2.
    std::uint8_t turned = 0;
    std::vector<ReplayPlayer> players; // one for a single game, two for a death match
    std::vector<ReplayTurn> turns;     // in the order they were accepted
    std::uint32_t ticks = 0;           // the play ticks the game ran
    std::uint32_t steps = 0;           // its steps: the ticks and the removal steps
    std::uint64_t boardHash = 0;       // the board as the game ended

    bool operator==(const Replay&) const = default;
};

enum class ReplayError : std::uint8_t
{
    None,
    NotAReplay,   // the file does not begin as a replay
    NewerVersion, // written by a later version of the game in a layout this one cannot read
    Truncated,    // the file ends before the replay does
    Corrupt,      // a checksum or a value that no game writes
    TooLarge,     // longer than any game, or a name or a turn count beyond the bounds
    Unreadable,   // missing or unreadable: the file's reader says so, Decode never does
};

// What a player is told about a file that was refused.
std::string_view Describe(ReplayError error);

struct ReplayDecoding
{
    std::optional<Replay> replay; // set exactly when error is None
    ReplayError error = ReplayError::None;
};

// The file form of a replay. The replay is taken as it is: names longer than the bound are cut
// at a character's end, and a turn count beyond it is written as it is and refused on reading.
std::vector<std::byte> Encode(const Replay& replay);
// Reads a replay from exactly the bytes given, never past them; every refusal says why. Each
// replay has one spelling: what is accepted is what Encode writes for the replay read.
ReplayDecoding Decode(std::span<const std::byte> bytes);

} // namespace engine
