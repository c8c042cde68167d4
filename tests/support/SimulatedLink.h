// Two net::Link ends joined in memory on a manual clock, for the lockstep tests. Each message takes
// its own delay within a range; a lost one is repaired after a while, as ENet resends it; and, as
// over ENet's reliable channel, a message is never handed over before one sent earlier, so the
// reordering and the losses underneath only show as later deliveries. Tests may change, drop or
// add messages on the way, hold one direction back or close the link.
#pragma once

#include "net/Link.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace testsupport
{

struct LinkConditions
{
    int minDelayMs = 0;
    int maxDelayMs = 0;
    int lossPercent = 0; // messages that arrive only after repairMs more
    int repairMs = 0;
};

class SimulatedWire
{
public:
    using Bytes = std::vector<std::byte>;
    // Changes or drops (nullopt) a message as it is sent from one side.
    using Tamper = std::function<std::optional<Bytes>(Bytes)>;

    SimulatedWire(const std::int64_t& clock, std::uint64_t seed, LinkConditions conditions = {})
        : clock_(clock), random_(seed), conditions_(conditions), ends_{End(*this, 0), End(*this, 1)}
    {
    }
    SimulatedWire(const SimulatedWire&) = delete;
    SimulatedWire& operator=(const SimulatedWire&) = delete;

    net::Link& Side(int side) { return ends_[static_cast<std::size_t>(side)]; }

    std::array<Tamper, 2> tamper;
    // Messages from this side wait, however long, while it is held.
    std::array<bool, 2> held{};
    void Close() { closed_ = true; }
    // A message handed to side to before anything in flight.
    void Inject(int to, Bytes message) { Queue(1 - to).push_front({clock_, std::move(message)}); }
    // When side last received a message.
    std::int64_t LastDelivery(int side) const
    {
        return lastDelivery_[static_cast<std::size_t>(side)];
    }

private:
    struct InFlight
    {
        std::int64_t due;
        Bytes message;
    };

    class End final : public net::Link
    {
    public:
        End(SimulatedWire& wire, int side) : wire_(&wire), side_(side) {}
        void Pump() override {}
        bool Send(std::span<const std::byte> message) override
        {
            return wire_->Send(side_, Bytes(message.begin(), message.end()));
        }
        std::optional<std::vector<std::byte>> Receive() override { return wire_->Receive(side_); }
        bool Open() const override { return !wire_->closed_; }
        int RoundTripMs() const override
        {
            return wire_->conditions_.minDelayMs + wire_->conditions_.maxDelayMs;
        }

    private:
        SimulatedWire* wire_;
        int side_;
    };

    std::deque<InFlight>& Queue(int from) { return queues_[static_cast<std::size_t>(from)]; }

    bool Send(int from, Bytes message)
    {
        if (closed_)
            return false;
        const auto index = static_cast<std::size_t>(from);
        if (tamper[index])
        {
            auto changed = tamper[index](std::move(message));
            if (!changed)
                return true;
            message = std::move(*changed);
        }
        std::uniform_int_distribution<int> delay(conditions_.minDelayMs, conditions_.maxDelayMs);
        std::int64_t due = clock_ + delay(random_);
        if (std::uniform_int_distribution<int>(0, 99)(random_) < conditions_.lossPercent)
            due += conditions_.repairMs;
        // Reliable and ordered: a message overtaking an earlier one waits for it.
        if (!Queue(from).empty())
            due = std::max(due, Queue(from).back().due);
        Queue(from).push_back({due, std::move(message)});
        return true;
    }

    std::optional<Bytes> Receive(int to)
    {
        std::deque<InFlight>& queue = Queue(1 - to);
        if (held[static_cast<std::size_t>(1 - to)] || queue.empty() || queue.front().due > clock_)
            return std::nullopt;
        Bytes message = std::move(queue.front().message);
        queue.pop_front();
        lastDelivery_[static_cast<std::size_t>(to)] = clock_;
        return message;
    }

    const std::int64_t& clock_;
    std::mt19937_64 random_;
    LinkConditions conditions_;
    std::array<End, 2> ends_;
    std::array<std::deque<InFlight>, 2> queues_;
    std::array<std::int64_t, 2> lastDelivery_{};
    bool closed_ = false;
};

} // namespace testsupport
