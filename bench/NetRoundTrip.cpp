// One small message's round trip between two transports over 127.0.0.1: directly, through the
// tests' relay with no delay (the relay's own cost) and through it as a slow line (100 ms each
// way, 5 % of datagrams lost). ENet's own figure of the round trip is reported beside it. Then
// a network match's key: from the press on one computer to its turn in the other's game (whose
// next frame shows it), on the same lines.
#include "net/NetMatch.h"
#include "net/Transport.h"
#include "settings/ReplayStore.h"
#include "support/UdpRelay.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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

std::int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The host's player turns its worm round and round (so that it never reaches a wall); each
// iteration is one key, timed from the press to the step that turns the worm in the guest's
// game. A key lost to a bout's end (the other worm hit a wall) is pressed again.
void BM_KeyToOtherScreen(benchmark::State& state)
{
    Line line(static_cast<int>(state.range(0)), static_cast<double>(state.range(1)) / 100);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "zorbel-bench-net-key";
    ReplayStore hostStore((folder / "host").string());
    ReplayStore guestStore((folder / "guest").string());
    const auto seed = []
    {
        return std::uint64_t{42};
    };
    net::NetMatch host(*line.host, hostStore, {net::Role::Host, "host", 100}, NowMs, seed);
    net::NetMatch guest(*line.joiner, guestStore, {net::Role::Guest, "guest", 100}, NowMs, seed);
    const auto pump = [&]
    {
        host.Update();
        guest.Update();
        if (line.relay)
            line.relay->Pump();
        std::this_thread::sleep_for(1ms);
    };
    const auto playing = [&]
    {
        return guest.Model().GamePhase() == engine::Phase::Playing;
    };
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!playing() || host.Model().GamePhase() != engine::Phase::Playing)
    {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the match did not start");
        pump();
    }
    // Anticlockwise: each turn a quarter of the way round from the way the worm goes.
    const auto next = [](std::uint8_t way) -> std::uint8_t
    {
        switch (way)
        {
        case engine::kUp:
            return engine::kLeft;
        case engine::kLeft:
            return engine::kDown;
        case engine::kDown:
            return engine::kRight;
        default:
            return engine::kUp;
        }
    };
    std::int64_t ownTotal = 0;
    // The way the worm goes in both games once the last key has reached both; the host's own
    // game may still be behind the guest's.
    std::uint8_t way = guest.Model().Player1().direction;
    for (auto _ : state)
    {
        for (;;)
        {
            const std::uint8_t direction = next(way);
            const std::int64_t pressed = NowMs();
            std::int64_t own = -1;
            host.Key(direction);
            while (guest.Model().Player1().direction != direction && playing())
            {
                pump();
                if (own < 0 && host.Model().Player1().direction == direction)
                    own = NowMs() - pressed;
            }
            if (!playing())
            {
                // The bout ended before the turn came: the next one starts with new worms.
                while (!playing())
                    pump();
                way = guest.Model().Player1().direction;
                continue;
            }
            way = direction;
            while (own < 0 && host.Model().Player1().direction != direction &&
                   host.Model().GamePhase() == engine::Phase::Playing)
                pump();
            if (own < 0)
                own = NowMs() - pressed;
            state.SetIterationTime(static_cast<double>(NowMs() - pressed) / 1000.0);
            ownTotal += std::max<std::int64_t>(own, 0);
            break;
        }
    }
    host.Leave();
    for (int i = 0; i < 20; ++i)
        pump();
    state.counters["delay_steps"] = host.Delay();
    state.counters["own_screen_ms"] =
        static_cast<double>(ownTotal) /
        static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_KeyToOtherScreen)
    ->Args({-1, 0})
    ->Args({100, 5})
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
