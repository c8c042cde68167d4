// Two transports in one process over real ENet on 127.0.0.1, pumped in turn until what a test
// waits for holds: connecting, whole messages both ways and in order, the second joiner turned
// away, a taken port, nobody answering, a side that goes away, and the same through a relay that
// delays and drops.
#include "net/Transport.h"
#include "support/UdpRelay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace std::chrono_literals;
using net::CloseReason;
using net::Transport;
using net::TransportState;

std::vector<std::byte> Numbered(std::uint32_t number, std::size_t size)
{
    std::vector<std::byte> message(size);
    for (std::size_t i = 0; i < size; ++i)
        message[i] = static_cast<std::byte>((number * 31 + i * 7) & 0xFF);
    if (size > 0)
        std::memcpy(message.data(), &number, std::min(size, sizeof number));
    return message;
}

class TransportTest : public ::testing::Test
{
protected:
    // Pumps everything until `done` holds; false when the deadline, kept for a stuck test alone,
    // passes first.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = 30s)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done())
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            for (Transport* side : {host.get(), joiner.get()})
                if (side)
                    side->Pump();
            if (relay)
                relay->Pump();
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    void Connect(std::uint16_t port, net::TransportTimes times = {})
    {
        joiner = Transport::Join({"127.0.0.1", port}, times);
        ASSERT_TRUE(PumpUntil(
            [&]
            {
                return host->State() == TransportState::Connected &&
                       joiner->State() == TransportState::Connected;
            }));
    }

    // Sends `count` numbered messages of the given sizes from one side and checks that the other
    // receives each whole, in order.
    void Exchange(Transport& from, Transport& to, const std::vector<std::size_t>& sizes)
    {
        for (std::uint32_t i = 0; i < sizes.size(); ++i)
            ASSERT_TRUE(from.Send(Numbered(i, sizes[i])));
        std::vector<std::vector<std::byte>> received;
        ASSERT_TRUE(PumpUntil(
            [&]
            {
                while (auto message = to.Receive())
                    received.push_back(std::move(*message));
                return received.size() >= sizes.size();
            }))
            << received.size() << " of " << sizes.size() << " arrived";
        ASSERT_EQ(received.size(), sizes.size());
        for (std::uint32_t i = 0; i < sizes.size(); ++i)
            ASSERT_EQ(received[i], Numbered(i, sizes[i])) << "message " << i;
    }

    std::unique_ptr<Transport> host = Transport::Host(0);
    std::unique_ptr<Transport> joiner;
    std::unique_ptr<testsupport::UdpRelay> relay;
};

std::vector<std::size_t> ManySmallAndLarge()
{
    std::vector<std::size_t> sizes(300, 12);
    sizes[0] = 0;
    sizes[100] = net::kMaxLinkMessageBytes;
    sizes[200] = 5000;
    return sizes;
}

TEST_F(TransportTest, HostAndJoinerExchangeWholeMessagesInOrder)
{
    EXPECT_EQ(host->State(), TransportState::Listening);
    EXPECT_NE(host->Port(), 0);
    // Sent before the joiner is there: it waits and goes first.
    ASSERT_TRUE(host->Send(Numbered(0, 3)));
    joiner = Transport::Join({"127.0.0.1", host->Port()});
    EXPECT_EQ(joiner->State(), TransportState::Connecting);
    EXPECT_EQ(joiner->RoundTripMs(), 0);
    std::optional<std::vector<std::byte>> early;
    ASSERT_TRUE(PumpUntil([&] { return (early = joiner->Receive()).has_value(); }));
    EXPECT_EQ(*early, Numbered(0, 3));
    EXPECT_EQ(joiner->State(), TransportState::Connected);
    EXPECT_EQ(host->State(), TransportState::Connected);

    Exchange(*host, *joiner, ManySmallAndLarge());
    Exchange(*joiner, *host, ManySmallAndLarge());
    EXPECT_GT(host->RoundTripMs(), 0);
    EXPECT_GT(joiner->RoundTripMs(), 0);
    EXPECT_TRUE(host->Open() && joiner->Open());
    EXPECT_EQ(host->WhyText(), "");
    EXPECT_THROW(joiner->Send(std::vector<std::byte>(net::kMaxLinkMessageBytes + 1)),
                 std::length_error);
}

TEST_F(TransportTest, ASecondJoinerIsTurnedAwayAndTheFirstPlaysOn)
{
    Connect(host->Port());
    auto second = Transport::Join({"127.0.0.1", host->Port()});
    ASSERT_TRUE(PumpUntil(
        [&]
        {
            second->Pump();
            EXPECT_NE(second->State(), TransportState::Connected) << "a joiner turned away";
            return second->State() == TransportState::Closed;
        }));
    EXPECT_EQ(second->Why(), CloseReason::HostBusy);
    EXPECT_EQ(second->WhyText(),
              "The host at 127.0.0.1:" + std::to_string(host->Port()) + " already has a player");
    EXPECT_FALSE(second->Send(Numbered(1, 4)));
    Exchange(*joiner, *host, {8, 8, 8});
}

TEST_F(TransportTest, ATakenPortIsNamed)
{
    try
    {
        Transport::Host(host->Port());
        FAIL() << "a second host listens on the same port";
    }
    catch (const net::Error& error)
    {
        EXPECT_EQ(std::string(error.what()), "Port " + std::to_string(host->Port()) + " is in use");
    }
    // The port is free again once its host is gone.
    const std::uint16_t port = host->Port();
    host.reset();
    EXPECT_NO_THROW(Transport::Host(port));
}

TEST_F(TransportTest, NobodyAnsweringEndsTheWaitWithTheAddress)
{
    // A relay that drops everything listens but never answers.
    relay = std::make_unique<testsupport::UdpRelay>(
        testsupport::UdpRelay::Options{.targetPort = host->Port(), .dropShare = 1.0});
    // ENet's own limit, far away, is not what ends the wait.
    joiner = Transport::Join({"127.0.0.1", relay->Port()}, {.answer = 300ms, .silence = 120s});
    ASSERT_TRUE(PumpUntil([&] { return !joiner->Open(); }));
    EXPECT_EQ(joiner->Why(), CloseReason::NobodyAnswered);
    EXPECT_EQ(joiner->WhyText(), "Nobody answered at 127.0.0.1:" + std::to_string(relay->Port()));
    EXPECT_EQ(host->State(), TransportState::Listening);
}

TEST_F(TransportTest, EitherSideGoingAwayClosesTheOther)
{
    Connect(host->Port());
    // The joiner's last message arrives before its goodbye, while the host's computer goes on
    // answering as it would.
    ASSERT_TRUE(joiner->Send(Numbered(7, 20)));
    {
        std::jthread otherComputer(
            [&](std::stop_token stop)
            {
                while (!stop.stop_requested() && host->Open())
                {
                    host->Pump();
                    std::this_thread::sleep_for(1ms);
                }
            });
        joiner.reset();
    }
    ASSERT_TRUE(PumpUntil([&] { return host->State() == TransportState::Closed; }));
    EXPECT_EQ(host->Why(), CloseReason::PeerLeft);
    EXPECT_EQ(host->Receive(), Numbered(7, 20));
    EXPECT_FALSE(host->Send(Numbered(1, 4)));

    // Goodbye without the other side answering in time: it is told all the same.
    host = Transport::Host(0);
    Connect(host->Port());
    ASSERT_TRUE(host->Send(Numbered(8, 20)));
    host.reset();
    ASSERT_TRUE(PumpUntil([&] { return !joiner->Open(); }));
    EXPECT_EQ(joiner->Why(), CloseReason::PeerLeft);
    EXPECT_EQ(joiner->WhyText(), "The other player closed the connection");
}

TEST_F(TransportTest, ARelayThatDelaysAndDropsDeliversEverythingInOrder)
{
    relay = std::make_unique<testsupport::UdpRelay>(testsupport::UdpRelay::Options{
        .targetPort = host->Port(), .delay = 100ms, .dropShare = 0.05, .seed = 7});
    Connect(relay->Port());
    Exchange(*host, *joiner, ManySmallAndLarge());
    Exchange(*joiner, *host, ManySmallAndLarge());
    EXPECT_GT(relay->Dropped(), 0u);
    // ENet's measure of the round trip, which cannot be below the relay's delays.
    EXPECT_GE(joiner->RoundTripMs(), 200);
    EXPECT_GE(host->RoundTripMs(), 200);
}

TEST_F(TransportTest, ASilentPeerIsGivenUpAtTheSilenceLimitAndNotBefore)
{
    // Longer than ENet gives a quiet peer on its own (5 to 7 s here), so that a limit left unset
    // shows.
    const net::TransportTimes times{.silence = 8s};
    host = Transport::Host(0, times);
    relay = std::make_unique<testsupport::UdpRelay>(
        testsupport::UdpRelay::Options{.targetPort = host->Port(), .delay = 0ms, .dropShare = 0});
    Connect(relay->Port(), times);
    relay->SetDropShare(1.0);
    const auto cut = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration hostSilence{}, joinerSilence{};
    ASSERT_TRUE(PumpUntil(
        [&]
        {
            const auto now = std::chrono::steady_clock::now() - cut;
            if (!host->Open() && hostSilence == hostSilence.zero())
                hostSilence = now;
            if (!joiner->Open() && joinerSilence == joinerSilence.zero())
                joinerSilence = now;
            return !host->Open() && !joiner->Open();
        }));
    // A lower bound alone, which a busy machine cannot break; the margin is for a ping that left
    // just before the cut.
    EXPECT_GE(hostSilence, times.silence - 100ms);
    EXPECT_GE(joinerSilence, times.silence - 100ms);
    EXPECT_EQ(host->Why(), CloseReason::TimedOut);
    EXPECT_EQ(joiner->Why(), CloseReason::TimedOut);
    EXPECT_EQ(joiner->WhyText(), "The other computer stopped answering");
}

} // namespace
