// The messages two computers exchange in a network death match, and their byte form: a type byte,
// then fixed little-endian fields, with every count and text bounded. Decode checks a message's
// form completely before anything is allocated or used; what a message may say at a given moment
// of the match (a step not yet played, the sender's own player) the match checks (net/NetMatch.h).
#pragma once

#include "engine/Replay.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace net
{

// Raised whenever a message changes its meaning. Hello's layout is the same in every version, so
// that two different versions can still tell each other which they are.
inline constexpr std::uint16_t kProtocolVersion = 1;
// Longer than any message this protocol has (a Start with two names of the longest is about 2 KB).
inline constexpr std::size_t kMaxMessageBytes = 4096;
inline constexpr std::size_t kMaxVersionBytes = 64;
// A player's name is a replay's name.
inline constexpr std::size_t kMaxNameBytes = engine::kReplayMaxNameBytes;
// The largest delay a Start may carry; the host chooses at most kChosenMaxDelay (NetMatch.h).
inline constexpr int kMaxDelay = 8;
// How many steps one Turns message may settle, and how many turns a player may make in a step
// (far more than keys a player can press in one tick).
inline constexpr std::uint32_t kMaxTurnSteps = 64;
inline constexpr std::size_t kMaxTurnsPerStep = 8;
// Every this many steps each side sends the board's hash.
inline constexpr std::uint32_t kHashEvery = 8;

// The game's version as this build names it ("2.0.0").
std::string_view GameVersion();

// The first message of each side.
struct Hello
{
    std::uint16_t protocol = kProtocolVersion;
    std::string version;
    std::string name; // the player's, as replays name it
    bool operator==(const Hello&) const = default;
};

// From the host once both have said Hello: what both sides' death match starts from. The match is
// one engine death match (it has no end of its own: it ends when a player leaves), all of its bouts
// drawn from this one seed.
struct Start
{
    std::uint64_t seed = 0;
    std::uint16_t interval = 100;     // the death match's tick in milliseconds
    std::uint8_t delay = 1;           // steps between a key press and the step its turn applies at
    std::array<std::string, 2> names; // player 1 (the host) and player 2 (the guest)
    bool operator==(const Start&) const = default;
};

// One turn of a Turns message: the step it applies before, and the direction (engine::kLeft,
// kRight, kUp or kDown).
struct StepTurn
{
    std::uint32_t step = 0;
    std::uint8_t direction = 0;
    bool operator==(const StepTurn&) const = default;
};

// Settles steps first .. first + count - 1 of one player: these are all of that player's turns for
// them. No turns says "no turn at these steps"; count 0 settles nothing and only says the sender is
// still there.
struct Turns
{
    std::uint8_t player = 1;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    std::vector<StepTurn> turns; // by step, each step's in the order pressed
    bool operator==(const Turns&) const = default;
};

// The board's hash (engine::Game::StateHash) once the sender had taken step steps.
struct Hash
{
    std::uint32_t step = 0;
    std::uint64_t hash = 0;
    bool operator==(const Hash&) const = default;
};

// The sender's pause, from the step both sides hold at; its Resume names the same step.
struct Pause
{
    std::uint32_t step = 0;
    bool operator==(const Pause&) const = default;
};
struct Resume
{
    std::uint32_t step = 0;
    bool operator==(const Resume&) const = default;
};

enum class LeaveReason : std::uint8_t
{
    Left = 0,        // the player left; step is where the sender stopped
    GamesDiffer = 1, // the sender found the two boards different
    Refused = 2,     // the sender could not use a message from this side
};
struct Leave
{
    LeaveReason reason = LeaveReason::Left;
    std::uint32_t step = 0;
    bool operator==(const Leave&) const = default;
};

using Message = std::variant<Hello, Start, Turns, Hash, Pause, Resume, Leave>;

// Why a message was refused: by Decode for its form, by the match for what it says now.
enum class Refusal : std::uint8_t
{
    None,
    TooLong,         // longer than kMaxMessageBytes
    UnknownType,     // a type byte no message has
    Truncated,       // it ends inside a field
    Overlong,        // bytes follow its last field
    TextTooLong,     // a version or name beyond its bound
    BadPlayer,       // a player that is not 1 or 2, or not the sender's
    BadDirection,    // a turn that is no direction
    BadRange,        // a range of steps longer than kMaxTurnSteps or past the last step
    TurnOutOfRange,  // a turn outside its message's steps, or before the one listed before it
    TooManyTurns,    // more than kMaxTurnsPerStep turns for one step
    BadInterval,     // an interval the game's settings cannot hold
    BadDelay,        // a delay outside 1..kMaxDelay
    BadReason,       // a reason for leaving that no version sends
    WrongHashStep,   // a hash for a step that is no checkpoint, or not the next one
    Unexpected,      // a message out of turn: before the handshake, twice, or from the wrong role
    PastStep,        // a step already settled, or a gap before it
    FutureStep,      // a step further ahead than the sender can be
    WrongResumeStep, // a resume for a step its pause was not at
};

// What the player is told the other side's game sent.
std::string_view Describe(Refusal refusal);

struct Decoded
{
    std::optional<Message> message; // set exactly when refusal is None
    Refusal refusal = Refusal::None;
};

// A message's bytes. Texts are written as they are: the sender cuts names with CutName.
std::vector<std::byte> Encode(const Message& message);
// Reads exactly the bytes given; every refusal says why, and nothing is allocated beyond what
// the bounds allow.
Decoded Decode(std::span<const std::byte> bytes);

// name cut to at most kMaxNameBytes at a character's end, as a replay cuts it.
std::string CutName(std::string name);

} // namespace net
