// The network messages' byte form.
#include "net/Protocol.h"

#include "engine/Board.h"
#include "engine/Game.h"

#include <type_traits>

namespace net
{
namespace
{

enum class Type : std::uint8_t
{
    Hello = 1,
    Start = 2,
    Turns = 3,
    Hash = 4,
    Pause = 5,
    Resume = 6,
    Leave = 7,
};

class Writer
{
public:
    void Byte(std::uint8_t value) { out_.push_back(static_cast<std::byte>(value)); }
    void U16(std::uint16_t value) { Unsigned(value, 2); }
    void U32(std::uint32_t value) { Unsigned(value, 4); }
    void U64(std::uint64_t value) { Unsigned(value, 8); }
    // A text after its length in lengthBytes bytes.
    void Text(std::string_view text, int lengthBytes)
    {
        Unsigned(text.size(), lengthBytes);
        for (const char c : text)
            out_.push_back(static_cast<std::byte>(c));
    }
    std::vector<std::byte> Take() { return std::move(out_); }

private:
    void Unsigned(std::uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            Byte(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    std::vector<std::byte> out_;
};

// Reads fields in order; the first that does not fit is the refusal, and every later read gives
// zero without reading.
class Reader
{
public:
    explicit Reader(std::span<const std::byte> in) : in_(in) {}

    std::uint8_t Byte() { return static_cast<std::uint8_t>(Unsigned(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
    std::uint64_t U64() { return Unsigned(8); }
    std::string Text(int lengthBytes, std::size_t bound)
    {
        const std::uint64_t length = Unsigned(lengthBytes);
        if (length > bound)
            Refuse(Refusal::TextTooLong);
        if (refusal_ != Refusal::None || !Fits(length))
            return {};
        std::string text(reinterpret_cast<const char*>(in_.data() + pos_),
                         static_cast<std::size_t>(length));
        pos_ += static_cast<std::size_t>(length);
        return text;
    }
    void Refuse(Refusal refusal)
    {
        if (refusal_ == Refusal::None)
            refusal_ = refusal;
    }
    // Whatever follows is another version's and goes unread.
    void SkipRest() { pos_ = in_.size(); }
    // The refusal once every field is read: one the fields gave, or bytes left over.
    Refusal Finish()
    {
        if (refusal_ == Refusal::None && pos_ != in_.size())
            refusal_ = Refusal::Overlong;
        return refusal_;
    }

private:
    bool Fits(std::uint64_t bytes)
    {
        if (bytes <= in_.size() - pos_)
            return true;
        Refuse(Refusal::Truncated);
        return false;
    }
    std::uint64_t Unsigned(int bytes)
    {
        if (refusal_ != Refusal::None || !Fits(static_cast<std::uint64_t>(bytes)))
            return 0;
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= std::to_integer<std::uint64_t>(in_[pos_++]) << (8 * i);
        return value;
    }

    std::span<const std::byte> in_;
    std::size_t pos_ = 0;
    Refusal refusal_ = Refusal::None;
};

constexpr int kVersionLengthBytes = 1;
constexpr int kNameLengthBytes = 2;

Hello ReadHello(Reader& in)
{
    Hello hello;
    hello.protocol = in.U16();
    hello.version = in.Text(kVersionLengthBytes, kMaxVersionBytes);
    hello.name = in.Text(kNameLengthBytes, kMaxNameBytes);
    // Another protocol's Hello may say more after the fields every version has: it is read that
    // far, so that both versions can be named.
    if (hello.protocol != kProtocolVersion)
        in.SkipRest();
    return hello;
}

Start ReadStart(Reader& in)
{
    Start start;
    start.seed = in.U64();
    start.interval = in.U16();
    if (start.interval < engine::kMinInterval || start.interval > engine::kMaxInterval)
        in.Refuse(Refusal::BadInterval);
    start.delay = in.Byte();
    if (start.delay < 1 || start.delay > kMaxDelay)
        in.Refuse(Refusal::BadDelay);
    for (std::string& name : start.names)
        name = in.Text(kNameLengthBytes, kMaxNameBytes);
    return start;
}

Turns ReadTurns(Reader& in)
{
    Turns turns;
    turns.player = in.Byte();
    if (turns.player != 1 && turns.player != 2)
        in.Refuse(Refusal::BadPlayer);
    turns.first = in.U32();
    turns.count = in.U16();
    if (turns.count > kMaxTurnSteps || turns.first > UINT32_MAX - turns.count)
        in.Refuse(Refusal::BadRange);
    const std::uint16_t listed = in.U16();
    if (listed > turns.count * kMaxTurnsPerStep)
    {
        in.Refuse(Refusal::TooManyTurns);
        return turns;
    }
    turns.turns.reserve(listed);
    std::uint32_t lastOffset = 0;
    std::size_t inStep = 0;
    for (std::uint16_t i = 0; i < listed; ++i)
    {
        const std::uint16_t offset = in.U16();
        const std::uint8_t direction = in.Byte();
        if (offset >= turns.count || offset < lastOffset)
            in.Refuse(Refusal::TurnOutOfRange);
        if (direction > engine::kDown)
            in.Refuse(Refusal::BadDirection);
        inStep = i > 0 && offset == lastOffset ? inStep + 1 : 1;
        if (inStep > kMaxTurnsPerStep)
            in.Refuse(Refusal::TooManyTurns);
        lastOffset = offset;
        turns.turns.push_back({turns.first + offset, direction});
    }
    return turns;
}

Hash ReadHash(Reader& in)
{
    Hash hash;
    hash.step = in.U32();
    hash.hash = in.U64();
    if (hash.step == 0 || hash.step % kHashEvery != 0)
        in.Refuse(Refusal::WrongHashStep);
    return hash;
}

Leave ReadLeave(Reader& in)
{
    Leave leave;
    const std::uint8_t reason = in.Byte();
    if (reason > static_cast<std::uint8_t>(LeaveReason::Refused))
        in.Refuse(Refusal::BadReason);
    leave.reason = static_cast<LeaveReason>(reason);
    leave.step = in.U32();
    return leave;
}

} // namespace

std::string_view GameVersion()
{
    return ZORBEL_VERSION;
}

std::string_view Describe(Refusal refusal)
{
    switch (refusal)
    {
    case Refusal::None:
        return "nothing wrong";
    case Refusal::TooLong:
        return "a message longer than any the game sends";
    case Refusal::UnknownType:
        return "a message of a kind this game does not know";
    case Refusal::Truncated:
        return "a message that ends inside a field";
    case Refusal::Overlong:
        return "a message with bytes after its last field";
    case Refusal::TextTooLong:
        return "a name or version longer than the game allows";
    case Refusal::BadPlayer:
        return "turns for a player that is not the sender's";
    case Refusal::BadDirection:
        return "a turn that is no direction";
    case Refusal::BadRange:
        return "a range of steps longer than allowed";
    case Refusal::TurnOutOfRange:
        return "a turn outside its steps or out of order";
    case Refusal::TooManyTurns:
        return "more turns in one step than a player can make";
    case Refusal::BadInterval:
        return "a tick interval outside the game's range";
    case Refusal::BadDelay:
        return "a delay outside the allowed steps";
    case Refusal::BadReason:
        return "a reason for leaving the game does not know";
    case Refusal::WrongHashStep:
        return "a board hash for the wrong step";
    case Refusal::Unexpected:
        return "a message out of turn";
    case Refusal::PastStep:
        return "a step that is already settled";
    case Refusal::FutureStep:
        return "a step further ahead than the other game can be";
    case Refusal::WrongResumeStep:
        return "a resume for a step its pause was not at";
    }
    return "a message it cannot use";
}

std::vector<std::byte> Encode(const Message& message)
{
    Writer out;
    std::visit(
        [&out](const auto& m)
        {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Hello>)
            {
                out.Byte(static_cast<std::uint8_t>(Type::Hello));
                out.U16(m.protocol);
                out.Text(m.version, kVersionLengthBytes);
                out.Text(m.name, kNameLengthBytes);
            }
            else if constexpr (std::is_same_v<T, Start>)
            {
                out.Byte(static_cast<std::uint8_t>(Type::Start));
                out.U64(m.seed);
                out.U16(m.interval);
                out.Byte(m.delay);
                for (const std::string& name : m.names)
                    out.Text(name, kNameLengthBytes);
            }
            else if constexpr (std::is_same_v<T, Turns>)
            {
                out.Byte(static_cast<std::uint8_t>(Type::Turns));
                out.Byte(m.player);
                out.U32(m.first);
                out.U16(static_cast<std::uint16_t>(m.count));
                out.U16(static_cast<std::uint16_t>(m.turns.size()));
                for (const StepTurn& turn : m.turns)
                {
                    out.U16(static_cast<std::uint16_t>(turn.step - m.first));
                    out.Byte(turn.direction);
                }
            }
            else if constexpr (std::is_same_v<T, Hash>)
            {
                out.Byte(static_cast<std::uint8_t>(Type::Hash));
                out.U32(m.step);
                out.U64(m.hash);
            }
            else if constexpr (std::is_same_v<T, Pause> || std::is_same_v<T, Resume>)
            {
                out.Byte(static_cast<std::uint8_t>(std::is_same_v<T, Pause> ? Type::Pause
                                                                            : Type::Resume));
                out.U32(m.step);
            }
            else
            {
                out.Byte(static_cast<std::uint8_t>(Type::Leave));
                out.Byte(static_cast<std::uint8_t>(m.reason));
                out.U32(m.step);
            }
        },
        message);
    return out.Take();
}

Decoded Decode(std::span<const std::byte> bytes)
{
    if (bytes.size() > kMaxMessageBytes)
        return {std::nullopt, Refusal::TooLong};
    Reader in(bytes);
    Message message;
    switch (static_cast<Type>(in.Byte()))
    {
    case Type::Hello:
        message = ReadHello(in);
        break;
    case Type::Start:
        message = ReadStart(in);
        break;
    case Type::Turns:
        message = ReadTurns(in);
        break;
    case Type::Hash:
        message = ReadHash(in);
        break;
    case Type::Pause:
        message = Pause{in.U32()};
        break;
    case Type::Resume:
        message = Resume{in.U32()};
        break;
    case Type::Leave:
        message = ReadLeave(in);
        break;
    default:
        if (bytes.empty())
            return {std::nullopt, Refusal::Truncated};
        return {std::nullopt, Refusal::UnknownType};
    }
    const Refusal refusal = in.Finish();
    if (refusal != Refusal::None)
        return {std::nullopt, refusal};
    return {std::move(message), Refusal::None};
}

std::string CutName(std::string name)
{
    if (name.size() <= kMaxNameBytes)
        return name;
    std::size_t end = kMaxNameBytes;
    // Back to the first byte of the character the bound falls in.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    name.resize(end);
    return name;
}

} // namespace net
