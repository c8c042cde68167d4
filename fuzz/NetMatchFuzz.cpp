// Fuzz target: two lockstep matches joined by a link, driven by the input: time passing, keys,
// pauses and leaving on either side, and messages of the input's making (raw bytes, messages built
// from its values, a byte changed on the way) slipped in among the real ones. Nothing crashes,
// hangs or grows without bound (the sanitizers and a cap on time watch); every replay kept plays
// back to its recorded end; and where nothing was slipped in, the two sides never differ nor
// refuse each other, and a match one player left leaves the same replay on both sides.
#include "FuzzSupport.h"

#include "engine/Playback.h"
#include "net/NetMatch.h"
#include "settings/ReplayStore.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::byte>;

// Time the input may make pass, and so the steps a match can take (at the shortest interval
// below, 3000).
constexpr std::int64_t kTimeCap = 30'000;
constexpr int kShortestInterval = 10;

class Input
{
public:
    explicit Input(std::span<const std::byte> in) : in_(in) {}
    std::uint64_t Next(int bytes = 1)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes && pos_ < in_.size(); ++i)
            value |= std::to_integer<std::uint64_t>(in_[pos_++]) << (8 * i);
        return value;
    }
    Bytes Take(std::size_t count)
    {
        count = std::min(count, in_.size() - pos_);
        Bytes taken(in_.begin() + static_cast<std::ptrdiff_t>(pos_),
                    in_.begin() + static_cast<std::ptrdiff_t>(pos_ + count));
        pos_ += count;
        return taken;
    }
    bool Left() const { return pos_ < in_.size(); }

private:
    std::span<const std::byte> in_;
    std::size_t pos_ = 0;
};

// One end of a link that delivers at once, in order.
class QueueLink final : public net::Link
{
public:
    void Pump() override {}
    bool Send(std::span<const std::byte> message) override
    {
        other->inbox.emplace_back(message.begin(), message.end());
        return true;
    }
    std::optional<std::vector<std::byte>> Receive() override
    {
        if (inbox.empty())
            return std::nullopt;
        Bytes message = std::move(inbox.front());
        inbox.pop_front();
        return message;
    }
    bool Open() const override { return true; }
    int RoundTripMs() const override { return roundTrip; }

    QueueLink* other = nullptr;
    std::deque<Bytes> inbox;
    int roundTrip = 0;
};

// A message of the input's values, near the steps a match plays so that it passes the decoder
// and reaches the match's own checks.
net::Message Built(Input& in)
{
    const auto step = [&]
    {
        return static_cast<std::uint32_t>(in.Next() % 64);
    };
    switch (in.Next() % 7)
    {
    case 0:
        return net::Hello{static_cast<std::uint16_t>(in.Next() % 3),
                          std::string(net::GameVersion()), "X"};
    case 1:
        return net::Start{in.Next(8),
                          static_cast<std::uint16_t>(in.Next(2) % 1001),
                          static_cast<std::uint8_t>(in.Next() % 10),
                          {"A", "B"}};
    case 2:
    {
        net::Turns turns{static_cast<std::uint8_t>(1 + in.Next() % 2),
                         step(),
                         static_cast<std::uint32_t>(in.Next() % 4),
                         {}};
        for (std::uint64_t n = in.Next() % 4; n > 0 && turns.count > 0; --n)
            turns.turns.push_back(
                {turns.first + static_cast<std::uint32_t>(in.Next() % turns.count),
                 static_cast<std::uint8_t>(in.Next() % 4)});
        std::sort(turns.turns.begin(), turns.turns.end(),
                  [](const net::StepTurn& a, const net::StepTurn& b) { return a.step < b.step; });
        return turns;
    }
    case 3:
        return net::Hash{step() * net::kHashEvery, in.Next() % 2 == 0 ? 0 : in.Next(8)};
    case 4:
        return net::Pause{step()};
    case 5:
        return net::Resume{step()};
    default:
        return net::Leave{static_cast<net::LeaveReason>(in.Next() % 3), step()};
    }
}

void CheckPlaysBack(const engine::Replay& replay)
{
    engine::Game game;
    engine::Playback playback(replay);
    playback.Start(game);
    while (playback.Step(game))
    {
    }
    FUZZ_CHECK(playback.Matches(game));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(std::span(reinterpret_cast<const std::byte*>(data), size));
    std::int64_t clock = 0;
    std::array<QueueLink, 2> links;
    links[0].other = &links[1];
    links[1].other = &links[0];
    links[0].roundTrip = static_cast<int>(in.Next() * 4);
    const int interval = kShortestInterval + static_cast<int>(in.Next() % 190);
    ReplayStore store(""); // keeps nothing on disk: the matches' own copies are checked
    std::array<std::unique_ptr<net::NetMatch>, 2> matches;
    for (int side = 0; side < 2; ++side)
        matches[side] = std::make_unique<net::NetMatch>(
            links[side], store,
            net::NetSetup{side == 0 ? net::Role::Host : net::Role::Guest, side == 0 ? "A" : "B",
                          interval},
            [&clock] { return clock; }, [] { return 42; });
    const auto run = [&](std::int64_t ms, int every)
    {
        for (std::int64_t end = std::min(clock + ms, kTimeCap); clock < end;)
        {
            clock += every;
            for (auto& match : matches)
                match->Update();
        }
    };

    bool slippedIn = false;
    int leaves = 0;
    while (in.Left() && clock < kTimeCap)
    {
        const std::uint64_t op = in.Next();
        const std::size_t side = op >> 7;
        net::NetMatch& match = *matches[side];
        switch (op & 7)
        {
        case 0:
        case 1:
            run(1 + static_cast<std::int64_t>(in.Next()), 1);
            break;
        case 2:
            match.Key(static_cast<std::uint8_t>(in.Next() % 5));
            break;
        case 3:
            match.TogglePause();
            break;
        case 4:
            leaves += match.State() != net::NetState::Ended;
            match.Leave();
            break;
        case 5:
            links[side].inbox.push_back(in.Take(in.Next() % 64));
            slippedIn = true;
            break;
        case 6:
            links[side].inbox.push_back(net::Encode(Built(in)));
            slippedIn = true;
            break;
        default:
            if (!links[side].inbox.empty() && !links[side].inbox.back().empty())
            {
                Bytes& message = links[side].inbox.back();
                message[in.Next(2) % message.size()] ^= static_cast<std::byte>(1 + in.Next() % 255);
                slippedIn = true;
            }
            break;
        }
    }
    // Long enough for a silence to end a match, in coarser steps.
    run(net::kSilenceMs + 1'000, 5);

    for (const auto& match : matches)
    {
        FUZZ_CHECK(match->Model().Steps() <= kTimeCap / kShortestInterval + 1);
        if (match->KeptReplay())
            CheckPlaysBack(*match->KeptReplay());
        if (!slippedIn)
            FUZZ_CHECK(match->EndMessage().empty() || match->EndMessage() == net::kOtherLeftText);
    }
    if (!slippedIn && leaves == 1 && matches[0]->State() == net::NetState::Ended &&
        matches[1]->State() == net::NetState::Ended)
        FUZZ_CHECK(matches[0]->KeptReplay() == matches[1]->KeptReplay());
    return 0;
}
