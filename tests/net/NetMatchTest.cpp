// Two lockstep matches joined by a simulated link on a manual clock: the same game on both sides
// whatever the link does, the delay, the wait and the silence, pause, leaving, games that differ,
// refused messages and versions that do not match.
#include "net/NetMatch.h"

#include "engine/Playback.h"
#include "net/NetMatchControl.h"
#include "settings/ReplayStore.h"
#include "support/SimulatedLink.h"
#include "support/TempConfig.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

namespace
{

using net::NetState;
using testsupport::LinkConditions;

// A host (side 0) and a guest (side 1) on one clock, each keeping replays in its own folder.
struct Duel
{
    explicit Duel(LinkConditions conditions = {}, std::uint64_t linkSeed = 1, int interval = 20,
                  std::array<std::string, 2> versions = {std::string(net::GameVersion()),
                                                         std::string(net::GameVersion())})
        : wire(clock, linkSeed, conditions)
    {
        for (int side = 0; side < 2; ++side)
            matches[side] = std::make_unique<net::NetMatch>(
                wire.Side(side), stores[side],
                net::NetSetup{side == 0 ? net::Role::Host : net::Role::Guest,
                              side == 0 ? "ANNA" : "BOB", interval, versions[side]},
                [this] { return clock; }, [linkSeed] { return linkSeed * 7919; });
    }
    net::NetMatch& Host() { return *matches[0]; }
    net::NetMatch& Guest() { return *matches[1]; }
    // One millisecond on both computers; the board's hash after each update is noted.
    void Tick()
    {
        ++clock;
        for (int side = 0; side < 2; ++side)
        {
            matches[side]->Update();
            matches[side]->TakeEvents(events);
            const engine::Phase phase = matches[side]->Model().GamePhase();
            if (phase == engine::Phase::Playing || phase == engine::Phase::RemovingBout)
                hashes[side][matches[side]->Model().Steps()] = matches[side]->Model().StateHash();
        }
    }
    bool RunUntil(const std::function<bool()>& done, int limitMs = 30'000)
    {
        for (int ms = 0; ms < limitMs && !done(); ++ms)
            Tick();
        return done();
    }
    void RunFor(int ms)
    {
        RunUntil([] { return false; }, ms);
    }
    bool BothEnded()
    {
        return Host().State() == NetState::Ended && Guest().State() == NetState::Ended;
    }
    // Both games under way, each past step steps.
    bool BothAt(std::uint32_t steps)
    {
        return Host().Model().Steps() >= steps && Guest().Model().Steps() >= steps;
    }

    testsupport::TempConfig config;
    std::array<ReplayStore, 2> stores{ReplayStore((config.Root() / "host").string()),
                                      ReplayStore((config.Root() / "guest").string())};
    std::int64_t clock = 1'000;
    testsupport::SimulatedWire wire;
    std::array<std::unique_ptr<net::NetMatch>, 2> matches;
    std::array<std::map<std::uint32_t, std::uint64_t>, 2> hashes;
    std::vector<engine::Event> events;
};

// The board's hash after every step of replay, played back from its start.
std::vector<std::uint64_t> HashesOf(const engine::Replay& replay)
{
    engine::Game game;
    engine::Playback playback(replay);
    playback.Start(game);
    std::vector<std::uint64_t> hashes{game.StateHash()};
    while (playback.Step(game))
        hashes.push_back(game.StateHash());
    EXPECT_TRUE(playback.Matches(game));
    return hashes;
}

TEST(NetMatchTest, BothSidesPlayTheSameMatchAndKeepTheSameReplayWhateverTheLink)
{
    const LinkConditions links[] = {
        {0, 0, 0, 0}, {0, 300, 20, 200}, {100, 120, 0, 0}, {20, 300, 40, 100}, {0, 40, 10, 300}};
    for (std::uint64_t seed = 1; seed <= 5; ++seed)
    {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Duel duel(links[seed - 1], seed);
        std::mt19937 keys(static_cast<std::mt19937::result_type>(seed));
        const int pauser = static_cast<int>(seed % 2);
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(1); }));
        for (int ms = 0; ms < 12'000; ++ms)
        {
            for (int side = 0; side < 2; ++side)
                if (keys() % 40 == 0)
                    duel.matches[side]->Key(static_cast<std::uint8_t>(keys() % 4));
            // A pause in the middle, resumed by its player once both hold.
            if (ms == 4'000)
            {
                EXPECT_TRUE(duel.matches[pauser]->TogglePause());
            }
            if (ms > 4'000 && duel.matches[pauser]->State() == NetState::Paused &&
                duel.matches[1 - pauser]->State() == NetState::PausedByOther)
            {
                EXPECT_TRUE(duel.matches[pauser]->TogglePause());
            }
            duel.Tick();
        }
        // The other side ahead of the leaver (it cuts its replay back), or held up behind it,
        // its turns late (it plays on to the leaver's step).
        const int leaver = static_cast<int>(seed % 3 == 0);
        duel.wire.held[leaver] = seed % 2 == 0;
        duel.RunFor(1'500);
        duel.matches[leaver]->Leave();
        duel.RunFor(400);
        duel.wire.held[leaver] = false;
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothEnded(); }));
        EXPECT_EQ(duel.matches[leaver]->EndMessage(), "");
        EXPECT_EQ(duel.matches[1 - leaver]->EndMessage(), net::kOtherLeftText);

        const auto& replay = duel.Host().KeptReplay();
        ASSERT_TRUE(replay);
        EXPECT_EQ(replay, duel.Guest().KeptReplay());
        EXPECT_EQ(replay->mode, engine::ReplayMode::DeathMatch);
        EXPECT_EQ(replay->players[0].name, "ANNA");
        EXPECT_EQ(replay->players[1].name, "BOB");
        EXPECT_GT(replay->steps, 100u);
        for (std::uint8_t player : {1, 2})
            EXPECT_TRUE(std::any_of(replay->turns.begin(), replay->turns.end(),
                                    [&](const engine::ReplayTurn& t)
                                    { return t.player == player; }))
                << "player " << int(player) << " turned";
        // Every step either side showed is the step the replay plays back.
        const std::vector<std::uint64_t> played = HashesOf(*replay);
        for (const auto& seen : duel.hashes)
            for (auto at = seen.begin(); at != seen.upper_bound(replay->steps); ++at)
                EXPECT_EQ(at->second, played[at->first]) << "step " << at->first;
        for (const ReplayStore& store : duel.stores)
        {
            ASSERT_TRUE(store.LastGame());
            EXPECT_EQ(ReadReplayFile(*store.LastGame()).replay, replay);
        }
    }
}

TEST(NetMatchTest, TheHostChoosesTheDelayFromTheRoundTripAndATurnAppliesThatManyStepsLater)
{
    EXPECT_EQ(net::ChooseDelay(0, 100), 1);
    EXPECT_EQ(net::ChooseDelay(99, 100), 1);
    EXPECT_EQ(net::ChooseDelay(100, 100), 2);
    EXPECT_EQ(net::ChooseDelay(199, 100), 2);
    EXPECT_EQ(net::ChooseDelay(200, 100), 3);
    EXPECT_EQ(net::ChooseDelay(5'000, 1), net::kChosenMaxDelay);

    for (const int oneWay : {10, 60, 150})
    {
        Duel duel({oneWay, oneWay}, 1, 100);
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(5); }));
        const int delay = net::ChooseDelay(2 * oneWay, 100);
        EXPECT_EQ(duel.Host().Delay(), delay);
        EXPECT_EQ(duel.Guest().Delay(), delay);
        const std::uint32_t pressedAt = duel.Guest().Model().Steps();
        duel.Guest().Key(engine::kUp);
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(pressedAt + 4); }));
        duel.Guest().Leave();
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothEnded(); }));
        ASSERT_TRUE(duel.Host().KeptReplay());
        EXPECT_EQ(duel.Host().KeptReplay()->turns,
                  (std::vector<engine::ReplayTurn>{
                      {pressedAt + static_cast<std::uint32_t>(delay), 2, engine::kUp}}));
    }
}

TEST(NetMatchTest, LateTurnsShowAWaitAfterHalfASecondAndSilenceEndsTheMatchAfterTen)
{
    Duel duel;
    ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(5); }));
    duel.wire.held[1] = true;
    std::int64_t lastStepAt = duel.clock;
    for (std::uint32_t steps = 0; duel.Host().State() != NetState::Waiting && duel.clock < 10'000;)
    {
        duel.Tick();
        if (duel.Host().Model().Steps() != steps)
            lastStepAt = duel.clock, steps = duel.Host().Model().Steps();
    }
    // The blocked step was due within an interval (20 ms) after the last one.
    EXPECT_GT(duel.clock, lastStepAt + net::kWaitingShownMs);
    EXPECT_LE(duel.clock, lastStepAt + 20 + net::kWaitingShownMs);
    duel.wire.held[1] = false;
    const std::uint32_t held = duel.Host().Model().Steps();
    ASSERT_TRUE(duel.RunUntil([&] { return duel.Host().Model().Steps() > held + 10; }));
    EXPECT_EQ(duel.Host().State(), NetState::Playing);

    duel.wire.held[1] = true;
    ASSERT_TRUE(duel.RunUntil([&] { return duel.Host().State() == NetState::Ended; }));
    EXPECT_EQ(duel.clock, duel.wire.LastDelivery(0) + net::kSilenceMs);
    EXPECT_EQ(duel.Host().EndMessage(), net::kOtherLeftText);
    EXPECT_TRUE(duel.Host().KeptReplay());
}

TEST(NetMatchTest, APauseOnEitherSideHoldsBothAtOneStepUntilItsPlayerResumes)
{
    for (const int pauser : {0, 1})
    {
        Duel duel({30, 60}, 3);
        net::NetMatch& other = *duel.matches[1 - pauser];
        net::NetMatch& presser = *duel.matches[pauser];
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(10); }));
        EXPECT_FALSE(presser.FocusLost());
        EXPECT_TRUE(presser.TogglePause());
        EXPECT_FALSE(presser.TogglePause()) << "a pause not yet reached stays";
        ASSERT_TRUE(duel.RunUntil([&] { return presser.Paused() && other.Paused(); }));
        EXPECT_EQ(presser.State(), NetState::Paused);
        EXPECT_EQ(other.State(), NetState::PausedByOther);
        const std::uint32_t heldAt = presser.Model().Steps();
        EXPECT_EQ(other.Model().Steps(), heldAt);
        // Longer than the silence that ends a match: both still say they are there.
        duel.RunFor(static_cast<int>(net::kSilenceMs) + 2'000);
        EXPECT_EQ(presser.Model().Steps(), heldAt);
        EXPECT_EQ(other.State(), NetState::PausedByOther);
        EXPECT_FALSE(other.TogglePause()) << "only the player who paused resumes";
        EXPECT_TRUE(presser.TogglePause());
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(heldAt + 10); }));
        EXPECT_EQ(other.State(), NetState::Playing);
    }
}

// The guest as the game screen drives it: steered by player 1's keys (the arrows turn both
// players' worms by default), its wait and pauses as the caption, the host's leaving its end.
TEST(NetMatchTest, AsTheScreenDrivesItTheGuestSteersWithPlayerOnesKeysAndShowsWaitsPausesAndEnd)
{
    struct : play::Ticker
    {
        void Schedule(int intervalMs) override { interval = intervalMs; }
        int interval = -1;
    } ticker;
    Duel duel;
    duel.matches[1].reset();
    net::NetMatchControl guest(
        duel.wire.Side(1), duel.stores[1], {net::Role::Guest, "BOB", 20}, ticker,
        [&] { return duel.clock; }, [] { return 1u; });
    const auto runUntil = [&](const std::function<bool()>& done)
    {
        for (int ms = 0; ms < 30'000 && !done(); ++ms, ++duel.clock)
            duel.Host().Update(), guest.Tick();
        return done();
    };
    EXPECT_EQ(*guest.Names(), (std::array<std::string, 2>{"Player 1", "Player 2"}));
    guest.Start();
    EXPECT_GT(ticker.interval, 0);
    ASSERT_TRUE(runUntil([&] { return guest.Model().GamePhase() == engine::Phase::Playing; }));
    EXPECT_EQ(*guest.Names(), (std::array<std::string, 2>{"ANNA", "BOB"}));
    const engine::PlayerTurn turns[] = {{2, engine::kDown}, {1, engine::kUp}};
    guest.Key(turns);

    duel.wire.held[0] = true;
    EXPECT_TRUE(runUntil([&] { return guest.Caption() == net::kWaitingText; }));
    duel.wire.held[0] = false;
    ASSERT_TRUE(guest.TogglePause());
    EXPECT_TRUE(runUntil([&] { return guest.Caption() == play::kPausedCaption; }));
    EXPECT_TRUE(guest.DisplayMaySleep());
    EXPECT_FALSE(guest.FocusLost());
    ASSERT_TRUE(guest.TogglePause());
    EXPECT_TRUE(runUntil([&] { return guest.Caption().empty() && !duel.Host().Paused(); }));
    ASSERT_TRUE(duel.Host().TogglePause());
    EXPECT_TRUE(runUntil([&] { return guest.Caption() == net::kPausedByOtherText; }));

    duel.Host().Leave();
    ASSERT_TRUE(runUntil([&] { return guest.Done(); }));
    EXPECT_EQ(guest.EndMessage(), net::kOtherLeftText);
    EXPECT_EQ(ticker.interval, 0) << "nothing ticks once the match has ended";
    ASSERT_TRUE(guest.Match().KeptReplay());
    const auto& kept = guest.Match().KeptReplay()->turns;
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].player, 2);
    EXPECT_EQ(kept[0].direction, engine::kUp);
}

TEST(NetMatchTest, GamesThatDifferEndOnBothSidesAndBothKeepTheirReplays)
{
    const auto changed = [](auto change)
    {
        return [change](std::vector<std::byte> bytes) -> std::optional<std::vector<std::byte>>
        {
            net::Message message = *net::Decode(bytes).message;
            change(message);
            return net::Encode(message);
        };
    };
    // A different seed: the boards differ and each side finds it. A hash spoilt on the way: the
    // guest finds it and tells the host.
    for (const bool seed : {true, false})
    {
        Duel duel({0, 30}, 2);
        bool spoilt = false;
        duel.wire.tamper[0] = changed(
            [&](net::Message& m)
            {
                if (auto* start = std::get_if<net::Start>(&m); start && seed)
                    start->seed ^= 1;
                if (auto* hash = std::get_if<net::Hash>(&m); hash && !seed && !spoilt)
                    hash->hash ^= 1, spoilt = true;
            });
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothEnded(); }));
        for (const auto& match : duel.matches)
        {
            EXPECT_EQ(match->EndMessage(), net::kGamesDifferText);
            ASSERT_TRUE(match->KeptReplay());
            HashesOf(*match->KeptReplay());
        }
        EXPECT_EQ(duel.Host().KeptReplay()->seed != duel.Guest().KeptReplay()->seed, seed);
    }
}

TEST(NetMatchTest, AMessageTheMatchCannotUseEndsItOnBothSidesWithTheReason)
{
    using net::Refusal;
    const struct
    {
        const char* what;
        int to;
        net::Message message;
        Refusal refusal;
        bool pauseFirst = false;
    } rows[] = {
        {"turns of the receiver's own player", 1, net::Turns{2, 0, 0, {}}, Refusal::BadPlayer},
        {"turns of the host's player to the host", 0, net::Turns{1, 0, 0, {}}, Refusal::BadPlayer},
        {"turns for steps settled", 1, net::Turns{1, 0, 1, {}}, Refusal::PastStep},
        {"turns far ahead", 1, net::Turns{1, 100'000, 1, {}}, Refusal::FutureStep},
        {"a hash skipping a checkpoint", 1, net::Hash{8'000, 1}, Refusal::WrongHashStep},
        {"a pause at a settled step", 0, net::Pause{0}, Refusal::PastStep},
        {"a pause far ahead", 0, net::Pause{100'000}, Refusal::FutureStep},
        {"a resume with no pause", 1, net::Resume{5}, Refusal::Unexpected},
        {"a resume of another step", 1, net::Resume{100'000}, Refusal::WrongResumeStep, true},
        {"a second hello", 1, net::Hello{net::kProtocolVersion, "x", "y"}, Refusal::Unexpected},
        {"a start to the host", 0, net::Start{1, 100, 1, {}}, Refusal::Unexpected},
        {"a second start", 1, net::Start{1, 100, 1, {}}, Refusal::Unexpected},
        {"a leave at a step not reached", 1, net::Leave{net::LeaveReason::Left, 100'000},
         Refusal::FutureStep},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        Duel duel;
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(10); }));
        if (row.pauseFirst)
        {
            ASSERT_TRUE(duel.Host().TogglePause());
        }
        duel.RunFor(5);
        duel.wire.Inject(row.to, net::Encode(row.message));
        ASSERT_TRUE(duel.RunUntil([&] { return duel.BothEnded(); }, 1'000));
        EXPECT_EQ(duel.matches[row.to]->EndMessage(), net::RefusalText(row.refusal));
        EXPECT_EQ(duel.matches[1 - row.to]->EndMessage(), net::kRefusedUsText);
    }
    // A message the decoder refuses ends the match the same way.
    Duel duel;
    ASSERT_TRUE(duel.RunUntil([&] { return duel.BothAt(1); }));
    duel.wire.Inject(1, {std::byte{0xff}});
    ASSERT_TRUE(duel.RunUntil([&] { return duel.BothEnded(); }, 1'000));
    EXPECT_EQ(duel.Guest().EndMessage(), net::RefusalText(Refusal::UnknownType));
}

TEST(NetMatchTest, DifferentVersionsAreRefusedOnBothSidesNamingBoth)
{
    Duel duel({5, 5}, 1, 20, {"2.0.0", "2.1.0"});
    ASSERT_TRUE(duel.RunUntil([&] { return duel.BothEnded(); }, 1'000));
    EXPECT_EQ(duel.Host().EndMessage(), "This game is version 2.0.0 and the other player's is "
                                        "version 2.1.0: both need the same version.");
    EXPECT_EQ(duel.Guest().EndMessage(), "This game is version 2.1.0 and the other player's is "
                                         "version 2.0.0: both need the same version.");
    EXPECT_FALSE(duel.Host().KeptReplay());

    Duel older({5, 5});
    older.wire.tamper[1] = [](std::vector<std::byte> bytes)
    {
        if (bytes[0] == std::byte{1})
            bytes[1] = std::byte{2}; // the guest's Hello speaks protocol 2
        return std::optional(bytes);
    };
    ASSERT_TRUE(older.RunUntil([&] { return older.Host().State() == NetState::Ended; }, 1'000));
    EXPECT_EQ(older.Host().EndMessage(), "This game speaks network protocol 1 and the other "
                                         "player's speaks 2: both need the same version of the "
                                         "game.");
}

} // namespace
