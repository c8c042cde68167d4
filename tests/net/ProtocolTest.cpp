// The network messages' byte form: each message reads back as written, and every form the
// decoder refuses is refused with its own reason, never read past its end.
#include "net/Protocol.h"

#include "engine/Board.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using net::Refusal;
using Bytes = std::vector<std::byte>;

Bytes Of(const net::Message& message)
{
    return net::Encode(message);
}

const std::vector<net::Message>& Samples()
{
    static const std::vector<net::Message> samples = {
        net::Hello{net::kProtocolVersion, "2.0.0", "ANNA \xc3\xa9"},
        net::Start{0x1122334455667788, 80, 3, {"ANNA", "BOB"}},
        net::Turns{2, 40, 3, {{40, 0}, {40, 3}, {42, 1}}},
        net::Turns{1, 7, 0, {}},
        net::Hash{16, 0xdeadbeefcafef00d},
        net::Pause{12},
        net::Resume{12},
        net::Leave{net::LeaveReason::GamesDiffer, 99},
    };
    return samples;
}

TEST(ProtocolTest, EveryMessageReadsBackAsWrittenAndEachShorterPrefixIsTruncated)
{
    for (const net::Message& message : Samples())
    {
        const Bytes bytes = Of(message);
        const net::Decoded decoded = net::Decode(bytes);
        ASSERT_EQ(decoded.refusal, Refusal::None) << net::Describe(decoded.refusal);
        EXPECT_EQ(*decoded.message, message);
        for (std::size_t length = 0; length < bytes.size(); ++length)
            EXPECT_EQ(net::Decode(std::span(bytes).first(length)).refusal, Refusal::Truncated)
                << "message type " << message.index() << " cut to " << length;
    }
}

TEST(ProtocolTest, EachMalformedMessageIsRefusedForItsReason)
{
    const auto with = [](Bytes bytes, std::size_t at, std::uint8_t value)
    {
        bytes.at(at) = static_cast<std::byte>(value);
        return bytes;
    };
    Bytes longer = Of(net::Pause{1});
    longer.push_back(std::byte{0});
    const std::string nameTooLong(net::kMaxNameBytes + 1, 'x');
    const Bytes start = Of(net::Start{1, 100, 1, {"A", "B"}});
    const Bytes turn = Of(net::Turns{1, 10, 2, {{10, 1}}});
    const net::Turns nine{1, 0, 1, std::vector<net::StepTurn>(9, {0, 1})};

    const struct
    {
        const char* what;
        Bytes bytes;
        Refusal refusal;
    } rows[] = {
        {"nothing", {}, Refusal::Truncated},
        {"type 0", {std::byte{0}}, Refusal::UnknownType},
        {"type 8", {std::byte{8}, std::byte{0}}, Refusal::UnknownType},
        {"longer than any", Bytes(net::kMaxMessageBytes + 1, std::byte{1}), Refusal::TooLong},
        {"a byte after the end", longer, Refusal::Overlong},
        {"version too long", Of(net::Hello{1, std::string(65, '1'), "A"}), Refusal::TextTooLong},
        {"name too long", Of(net::Hello{1, "2.0.0", nameTooLong}), Refusal::TextTooLong},
        {"second name too long", Of(net::Start{1, 100, 1, {"A", nameTooLong}}),
         Refusal::TextTooLong},
        {"name longer than the bytes", with(Of(net::Hello{1, "2", "A"}), 5, 9), Refusal::Truncated},
        {"interval 0", Of(net::Start{1, 0, 1, {}}), Refusal::BadInterval},
        {"interval 1000", Of(net::Start{1, 1000, 1, {}}), Refusal::BadInterval},
        {"delay 0", with(start, 11, 0), Refusal::BadDelay},
        {"delay 9", with(start, 11, 9), Refusal::BadDelay},
        {"player 0", with(turn, 1, 0), Refusal::BadPlayer},
        {"player 3", with(turn, 1, 3), Refusal::BadPlayer},
        {"65 steps", Of(net::Turns{1, 0, 65, {}}), Refusal::BadRange},
        {"past the last step", Of(net::Turns{1, UINT32_MAX, 2, {}}), Refusal::BadRange},
        {"a turn after its steps", Of(net::Turns{1, 10, 2, {{12, 1}}}), Refusal::TurnOutOfRange},
        {"turns out of order", Of(net::Turns{1, 10, 2, {{11, 1}, {10, 1}}}),
         Refusal::TurnOutOfRange},
        {"no direction", with(turn, 12, engine::kNone), Refusal::BadDirection},
        {"nine turns in a step", Of(nine), Refusal::TooManyTurns},
        {"more turns than steps allow", with(Of(net::Turns{1, 0, 1, {}}), 8, 9),
         Refusal::TooManyTurns},
        {"hash at step 0", Of(net::Hash{0, 1}), Refusal::WrongHashStep},
        {"hash between checkpoints", Of(net::Hash{12, 1}), Refusal::WrongHashStep},
        {"reason 3", with(Of(net::Leave{}), 1, 3), Refusal::BadReason},
    };
    for (const auto& row : rows)
    {
        const net::Decoded decoded = net::Decode(row.bytes);
        EXPECT_EQ(decoded.refusal, row.refusal)
            << row.what << ": " << net::Describe(decoded.refusal);
        EXPECT_FALSE(decoded.message) << row.what;
    }
}

TEST(ProtocolTest, AnotherProtocolsHelloIsReadAsFarAsEveryVersionsFields)
{
    Bytes later = Of(net::Hello{net::kProtocolVersion + 1, "3.0.0", "ANNA"});
    later.push_back(std::byte{7});
    const net::Decoded decoded = net::Decode(later);
    ASSERT_EQ(decoded.refusal, Refusal::None);
    EXPECT_EQ(*decoded.message,
              net::Message(net::Hello{net::kProtocolVersion + 1, "3.0.0", "ANNA"}));
}

TEST(ProtocolTest, ALongNameIsCutAtACharactersEnd)
{
    // 1022 bytes, then a two-byte character across the bound.
    const std::string name = std::string(net::kMaxNameBytes - 1, 'a') + "\xc3\xa9";
    EXPECT_EQ(net::CutName(name), std::string(net::kMaxNameBytes - 1, 'a'));
    EXPECT_EQ(net::CutName("BOB"), "BOB");
}

} // namespace
