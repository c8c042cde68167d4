// One small message's round trip between two transports over 127.0.0.1: directly, through the
// tests' relay with no delay (the relay's own cost) and through it as a slow line (100 ms each
// way, 5 % of datagrams lost). ENet's own figure of the round trip is reported beside it.
#include "net/Transport.h"
#include "support/UdpRelay.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace
{

using namespace std::chrono_literals;

struct Line
{
    explicit Line(int relayDelayMs, double dropShare) : slow(relayDelayMs > 0)
    {
        const std::uint16_t port = host->Port();
        if (relayDelayMs >= 0)
        {
            relay = std::make_unique<testsupport::UdpRelay>(
                testsupport::UdpRelay::Options{.targetPort = port,
                                               .delay = std::chrono::milliseconds(relayDelayMs),
                                               .dropShare = dropShare});
        }
        joiner = net::Transport::Join({"127.0.0.1", relay ? relay->Port() : port});
        Until([&] { return joiner->State() == net::TransportState::Connected; });
    }

    template <class Done> void Until(Done done)
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!done())
        {
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("the line stopped carrying messages");
            host->Pump();
            joiner->Pump();
            if (relay)
                relay->Pump();
            // A slow line is not measured to the microsecond: leave the processor to others.
            if (slow)
                std::this_thread::sleep_for(1ms);
        }
    }

    void RoundTrip()
    {
        const std::byte ping[16] = {};
        joiner->Send(ping);
        std::optional<std::vector<std::byte>> got;
        Until([&] { return (got = host->Receive()).has_value(); });
        host->Send(*got);
        Until([&] { return (got = joiner->Receive()).has_value(); });
    }

    bool slow;
    std::unique_ptr<net::Transport> host = net::Transport::Host(0);
    std::unique_ptr<testsupport::UdpRelay> relay;
    std::unique_ptr<net::Transport> joiner;
};

// Arguments: the relay's delay each way in milliseconds (-1: no relay), and its loss in percent.
void BM_RoundTrip(benchmark::State& state)
{
    Line line(static_cast<int>(state.range(0)), static_cast<double>(state.range(1)) / 100);
    for (auto _ : state)
        line.RoundTrip();
    state.counters["enet_rtt_ms"] = line.joiner->RoundTripMs();
}
BENCHMARK(BM_RoundTrip)->Args({-1, 0})->Args({0, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RoundTrip)->Args({100, 5})->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
