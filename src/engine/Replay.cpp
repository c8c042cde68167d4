// The replay file layout: writer and reader.
#include "engine/Replay.h"

#include "engine/Game.h"

#include <algorithm>
#include <array>
#include <limits>

namespace engine
{
namespace
{

// Fixed part after the magic: version, mode, level, probability, interval, computer worms,
// player count, turned flags, seed.
constexpr std::size_t kHeaderBytes = kReplayMagic.size() + 2 + 1 + 1 + 2 + 2 + 1 + 1 + 1 + 8;
constexpr std::size_t kChecksumBytes = 4;
// A turn is one LEB128 number: the step's distance from the turn before (from step 0 for the
// first) shifted past four bits: the player less one, then three of the direction.
constexpr int kTurnFieldBits = 4;
constexpr int kDirectionBits = 3;
constexpr std::uint8_t kMaxDirection = 4; // kNone
constexpr std::uint64_t kMaxTurnValue = (std::uint64_t{1} << (32 + kTurnFieldBits)) - 1;
constexpr int kMaxTurnVarintBytes = 6;

// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320).
constexpr std::array<std::uint32_t, 256> kCrcTable = []
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n)
    {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

std::uint32_t Crc32(std::span<const std::byte> bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (const std::byte b : bytes)
        c = kCrcTable[(c ^ std::to_integer<std::uint32_t>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

class Writer
{
public:
    void Unsigned(std::uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out_.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
    void Varint(std::uint64_t value)
    {
        while (value >= 0x80)
        {
            out_.push_back(static_cast<std::byte>((value & 0x7F) | 0x80));
            value >>= 7;
        }
        out_.push_back(static_cast<std::byte>(value));
    }
    void Text(std::string_view text)
    {
        for (const char c : text)
            out_.push_back(static_cast<std::byte>(c));
    }
    std::vector<std::byte>& Bytes() { return out_; }

private:
    std::vector<std::byte> out_;
};

// Reads forward through the input; a read past its end fails and leaves the reader spent.
class Reader
{
public:
    explicit Reader(std::span<const std::byte> in) : in_(in) {}

    [[nodiscard]] std::size_t Left() const { return in_.size() - pos_; }

    bool Unsigned(std::uint64_t& value, int bytes)
    {
        if (Left() < static_cast<std::size_t>(bytes))
            return Spent();
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= std::to_integer<std::uint64_t>(in_[pos_ + i]) << (8 * i);
        pos_ += static_cast<std::size_t>(bytes);
        return true;
    }
    template <typename T> bool Field(T& field)
    {
        std::uint64_t value = 0;
        if (!Unsigned(value, sizeof(T)))
            return false;
        field = static_cast<T>(value);
        return true;
    }
    bool Text(std::string& text, std::size_t size)
    {
        if (Left() < size)
            return Spent();
        text.resize(size);
        for (std::size_t i = 0; i < size; ++i)
            text[i] = static_cast<char>(in_[pos_ + i]);
        pos_ += size;
        return true;
    }
    // False with overlong set for a number no writer makes (more than six bytes or 36 bits, or
    // padded with a zero byte); false alone at the end of the input.
    bool Varint(std::uint64_t& value, bool& overlong)
    {
        value = 0;
        for (int i = 0; i < kMaxTurnVarintBytes; ++i)
        {
            if (Left() == 0)
                return Spent();
            const auto b = std::to_integer<std::uint64_t>(in_[pos_++]);
            value |= (b & 0x7F) << (7 * i);
            if ((b & 0x80) == 0)
            {
                // A zero last byte after the first would be a second spelling of a number.
                overlong = value > kMaxTurnValue || (b == 0 && i > 0);
                return !overlong;
            }
        }
        overlong = true;
        return false;
    }

private:
    bool Spent()
    {
        pos_ = in_.size();
        return false;
    }

    std::span<const std::byte> in_;
    std::size_t pos_ = 0;
};

// The longest start of name within the bound that ends where a UTF-8 character ends.
std::string_view BoundedName(std::string_view name)
{
    if (name.size() <= kReplayMaxNameBytes)
        return name;
    std::size_t end = kReplayMaxNameBytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return name.substr(0, end);
}

ReplayDecoding Refused(ReplayError error)
{
    return ReplayDecoding{std::nullopt, error};
}

// The skill of a game the game could have started: a level's own values, Custom's within the
// ranges its screen and the settings file allow, the death match's fixed values and its interval.
bool GameSkill(const Replay& r)
{
    const auto inRange = [](int value, int lo, int hi)
    {
        return value >= lo && value <= hi;
    };
    if (r.mode == ReplayMode::DeathMatch)
    {
        const Skill skill = DeathMatchSkill(r.interval);
        return r.level == 0 && r.probability == skill.probability &&
               r.computerWorms == skill.worms && inRange(r.interval, kMinInterval, kMaxInterval);
    }
    if (r.level == 0)
        return inRange(r.probability, kMinProbability, kMaxProbability) &&
               inRange(r.interval, kMinInterval, kMaxInterval) &&
               inRange(r.computerWorms, 0, kComputerWorms);
    const std::optional<Skill> level = LevelSkill(r.level);
    return level && r.probability == level->probability && r.interval == level->interval &&
           r.computerWorms == level->worms;
}

// Values the game itself never writes, checked once everything has been read.
bool Plausible(const Replay& r)
{
    const bool single = r.mode == ReplayMode::SingleGame;
    if (!GameSkill(r) || r.ticks > r.steps || r.turned > (single ? 1 : 3))
        return false;
    if (r.players.size() != (single ? 1u : 2u))
        return false;
    // Only the single game's key cancels a queued turn without turning.
    return std::all_of(r.turns.begin(), r.turns.end(),
                       [&](const ReplayTurn& t)
                       {
                           return t.step <= r.steps && t.direction <= kMaxDirection &&
                                  (single ? t.player == 1 : t.direction < kMaxDirection);
                       });
}

} // namespace

std::string_view Describe(ReplayError error)
{
    switch (error)
    {
    case ReplayError::None:
        return {};
    case ReplayError::NotAReplay:
        return "This file is not a Zorbel II replay";
    case ReplayError::NewerVersion:
        return "This replay was made by a newer version of the game";
    case ReplayError::Truncated:
        return "This replay file is incomplete";
    case ReplayError::Corrupt:
        return "This replay file is damaged";
    case ReplayError::TooLarge:
        return "This replay file is too large";
    case ReplayError::Unreadable:
        return "This replay file cannot be read";
    }
    return "This replay file is damaged";
}

std::vector<std::byte> Encode(const Replay& replay)
{
    Writer w;
    w.Bytes().reserve(kHeaderBytes + 64 + 2 * replay.turns.size());
    w.Text(kReplayMagic);
    w.Unsigned(kReplayFormatVersion, 2);
    w.Unsigned(static_cast<std::uint8_t>(replay.mode), 1);
    w.Unsigned(replay.level, 1);
    w.Unsigned(replay.probability, 2);
    w.Unsigned(replay.interval, 2);
    w.Unsigned(replay.computerWorms, 1);
    const std::size_t players = std::min<std::size_t>(replay.players.size(), 255);
    w.Unsigned(players, 1);
    w.Unsigned(replay.turned, 1);
    w.Unsigned(replay.seed, 8);
    for (std::size_t i = 0; i < players; ++i)
    {
        const std::string_view name = BoundedName(replay.players[i].name);
        w.Unsigned(name.size(), 2);
        w.Text(name);
    }

    w.Unsigned(replay.turns.size(), 4);
    std::uint32_t previous = 0;
    for (const ReplayTurn& turn : replay.turns)
    {
        const std::uint32_t delta = turn.step - previous;
        previous = turn.step;
        w.Varint(std::uint64_t{delta} << kTurnFieldBits |
                 ((turn.player - 1u) & 1u) << kDirectionBits | (turn.direction & 7u));
    }

    w.Unsigned(replay.ticks, 4);
    w.Unsigned(replay.steps, 4);
    for (std::size_t i = 0; i < players; ++i)
    {
        w.Unsigned(replay.players[i].score, 4);
        w.Unsigned(replay.players[i].length, 4);
    }
    w.Unsigned(replay.boardHash, 8);
    w.Unsigned(Crc32(w.Bytes()), 4);
    return std::move(w.Bytes());
}

ReplayDecoding Decode(std::span<const std::byte> bytes)
{
    const std::size_t magicSeen = std::min(bytes.size(), kReplayMagic.size());
    for (std::size_t i = 0; i < magicSeen; ++i)
        if (std::to_integer<char>(bytes[i]) != kReplayMagic[i])
            return Refused(ReplayError::NotAReplay);
    if (bytes.size() > kReplayMaxFileBytes)
        return Refused(ReplayError::TooLarge);

    Replay r;
    Reader in(bytes.subspan(magicSeen));
    if (magicSeen < kReplayMagic.size() || !in.Field(r.version))
        return Refused(ReplayError::Truncated);
    // A later layout may differ anywhere after the version, so nothing more is read.
    if (r.version > kReplayFormatVersion)
        return Refused(ReplayError::NewerVersion);
    if (r.version == 0)
        return Refused(ReplayError::Corrupt);

    std::uint8_t mode = 0;
    std::uint8_t players = 0;
    if (!in.Field(mode) || !in.Field(r.level) || !in.Field(r.probability) ||
        !in.Field(r.interval) || !in.Field(r.computerWorms) || !in.Field(players) ||
        !in.Field(r.turned) || !in.Field(r.seed))
        return Refused(ReplayError::Truncated);
    if (mode > static_cast<std::uint8_t>(ReplayMode::DeathMatch))
        return Refused(ReplayError::Corrupt);
    r.mode = static_cast<ReplayMode>(mode);

    r.players.resize(players);
    for (ReplayPlayer& player : r.players)
    {
        std::uint16_t size = 0;
        if (!in.Field(size))
            return Refused(ReplayError::Truncated);
        if (size > kReplayMaxNameBytes)
            return Refused(ReplayError::TooLarge);
        if (!in.Text(player.name, size))
            return Refused(ReplayError::Truncated);
    }

    std::uint32_t count = 0;
    if (!in.Field(count))
        return Refused(ReplayError::Truncated);
    if (count > kReplayMaxTurns)
        return Refused(ReplayError::TooLarge);
    // Every turn takes a byte at least: a count beyond what is left is not allocated.
    if (count > in.Left())
        return Refused(ReplayError::Truncated);
    r.turns.resize(count);
    std::uint64_t step = 0;
    for (ReplayTurn& turn : r.turns)
    {
        std::uint64_t value = 0;
        bool overlong = false;
        if (!in.Varint(value, overlong))
            return Refused(overlong ? ReplayError::Corrupt : ReplayError::Truncated);
        step += value >> kTurnFieldBits;
        if (step > std::numeric_limits<std::uint32_t>::max())
            return Refused(ReplayError::Corrupt);
        turn.step = static_cast<std::uint32_t>(step);
        turn.player = static_cast<std::uint8_t>(((value >> kDirectionBits) & 1) + 1);
        turn.direction = static_cast<std::uint8_t>(value & 7);
    }

    if (!in.Field(r.ticks) || !in.Field(r.steps))
        return Refused(ReplayError::Truncated);
    for (ReplayPlayer& player : r.players)
        if (!in.Field(player.score) || !in.Field(player.length))
            return Refused(ReplayError::Truncated);
    std::uint32_t checksum = 0;
    if (!in.Field(r.boardHash) || !in.Field(checksum))
        return Refused(ReplayError::Truncated);
    if (in.Left() != 0 || checksum != Crc32(bytes.first(bytes.size() - kChecksumBytes)) ||
        !Plausible(r))
        return Refused(ReplayError::Corrupt);
    return ReplayDecoding{std::move(r), ReplayError::None};
}

} // namespace engine
