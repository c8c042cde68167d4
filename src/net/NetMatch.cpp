// net::NetMatch: the lockstep death match over a link.
#include "net/NetMatch.h"

#include "engine/Playback.h"
#include "settings/ReplayStore.h"

#include <algorithm>
#include <memory>

namespace net
{
namespace
{

// A side can be at most the delay (at most kMaxDelay <= kHashEvery steps) ahead of the other, so
// the other's hash for a checkpoint finds this side's among the last two.
constexpr std::size_t kOwnHashesKept = 4;
// One late update catches up at most this many steps.
constexpr int kMaxStepsPerUpdate = 4;

template <class... F> struct Overloaded : F...
{
    using F::operator()...;
};
// Spelled out for compilers without aggregate deduction (Clang before 17).
template <class... F> Overloaded(F...) -> Overloaded<F...>;

std::string VersionMismatch(std::uint16_t protocol, const std::string& version, const Hello& peer)
{
    if (peer.protocol != protocol)
        return "This game speaks network protocol " + std::to_string(protocol) +
               " and the other player's speaks " + std::to_string(peer.protocol) +
               ": both need the same version of the game.";
    return "This game is version " + version + " and the other player's is version " +
           peer.version + ": both need the same version.";
}

// The replay of the same game ended at step end: played again from its start with the turns
// before end.
engine::Replay CutBack(engine::Replay replay, std::uint32_t end, std::span<const std::string> names)
{
    std::erase_if(replay.turns, [end](const engine::ReplayTurn& t) { return t.step >= end; });
    replay.steps = end;
    const auto game = std::make_unique<engine::Game>();
    engine::Playback playback(std::move(replay));
    playback.Start(*game);
    while (playback.Step(*game))
    {
    }
    return engine::Record(*game, names);
}

} // namespace

std::string RefusalText(Refusal refusal)
{
    return "The other player's game sent " + std::string(Describe(refusal)) + ".";
}

int ChooseDelay(int roundTripMs, int intervalMs)
{
    return std::clamp(1 + std::max(roundTripMs, 0) / std::max(intervalMs, 1), 1, kChosenMaxDelay);
}

NetMatch::NetMatch(Link& link, ReplayStore& replays, NetSetup setup, Clock clock, Seeds seeds)
    : link_(link), replays_(replays), setup_(std::move(setup)), clock_(std::move(clock)),
      seeds_(std::move(seeds))
{
    setup_.name = CutName(std::move(setup_.name));
    setup_.interval = std::clamp(setup_.interval, engine::kMinInterval, engine::kMaxInterval);
    now_ = clock_();
    lastHeard_ = now_;
    lastSent_ = now_;
}

void NetMatch::Update()
{
    if (ended_)
        return;
    now_ = clock_();
    if (!helloSent_)
    {
        helloSent_ = true;
        Send(Hello{kProtocolVersion, setup_.version, setup_.name});
    }
    link_.Pump();
    while (!ended_)
    {
        const auto message = link_.Receive();
        if (!message)
            break;
        lastHeard_ = now_;
        Handle(*message);
    }
    if (ended_)
        return;
    // Read after the messages, so that a Leave that came just before the link closed counts.
    if (!link_.Open() || now_ - lastHeard_ >= kSilenceMs)
    {
        End(std::string(kOtherLeftText), std::nullopt);
        return;
    }
    if (Started())
    {
        if (!begun_ && now_ >= startAt_)
            StartGame();
        if (begun_)
            RunDueSteps();
    }
    if (!ended_ && now_ - lastSent_ >= kKeepAliveMs)
        Send(Turns{LocalPlayer(), 0, 0, {}});
    link_.Pump();
}

int NetMatch::NextUpdateInMs() const
{
    if (ended_)
        return 0;
    std::int64_t wait = kPollMs;
    if (Started() && !begun_)
        wait = std::min(wait, startAt_ - now_);
    else if (begun_ && !PausedNow())
        wait = std::min(wait, nextStepAt_ - now_);
    return static_cast<int>(std::clamp<std::int64_t>(wait, 1, kPollMs));
}

NetState NetMatch::State() const
{
    if (ended_)
        return NetState::Ended;
    if (!Started())
        return NetState::Handshaking;
    if (localPause_ && *localPause_ <= game_.Steps())
        return NetState::Paused;
    if (remotePause_ && *remotePause_ <= game_.Steps())
        return NetState::PausedByOther;
    if (waitingSince_ && now_ - *waitingSince_ >= kWaitingShownMs)
        return NetState::Waiting;
    return NetState::Playing;
}

void NetMatch::Key(std::uint8_t direction)
{
    if (ended_ || !begun_ || direction > engine::kDown || unsettled_.size() >= kMaxTurnsPerStep)
        return;
    unsettled_.push_back(direction);
}

bool NetMatch::TogglePause()
{
    if (ended_ || !Started())
        return false;
    if (localPause_)
    {
        // A pause not yet reached cannot be taken back: the other side may already hold there.
        if (*localPause_ > game_.Steps())
            return false;
        Send(Resume{*localPause_});
        localPause_.reset();
        link_.Pump();
        return true;
    }
    if (remotePause_ && *remotePause_ <= game_.Steps())
        return false;
    // The first step this side has not settled: the other cannot have played it yet.
    localPause_ = static_cast<std::uint32_t>(sentThrough_ + 1);
    Send(Pause{*localPause_});
    link_.Pump();
    return true;
}

bool NetMatch::Paused() const
{
    return !ended_ && Started() && PausedNow();
}

void NetMatch::Leave()
{
    if (ended_)
        return;
    End({}, helloSent_ ? std::optional(LeaveReason::Left) : std::nullopt);
}

void NetMatch::Send(const Message& message)
{
    link_.Send(Encode(message));
    lastSent_ = now_;
}

void NetMatch::Handle(std::span<const std::byte> bytes)
{
    const Decoded decoded = Decode(bytes);
    Refusal refusal = decoded.refusal;
    if (refusal == Refusal::None)
        refusal = std::visit(Overloaded{[this](const Hello& m) { return HandleHello(m); },
                                        [this](const Start& m) { return HandleStart(m); },
                                        [this](const Turns& m) { return HandleTurns(m); },
                                        [this](const Hash& m) { return HandleHash(m); },
                                        [this](const Pause& m) { return HandlePause(m); },
                                        [this](const Resume& m) { return HandleResume(m); },
                                        [this](const net::Leave& m)
                                        {
                                            return HandleLeave(m);
                                        }},
                             *decoded.message);
    if (refusal != Refusal::None)
        End(RefusalText(refusal), LeaveReason::Refused);
}

Refusal NetMatch::HandleHello(const Hello& hello)
{
    if (peer_)
        return Refusal::Unexpected;
    peer_ = hello;
    if (hello.protocol != kProtocolVersion || hello.version != setup_.version)
    {
        // The other side reads this side's Hello and ends the same way.
        End(VersionMismatch(kProtocolVersion, setup_.version, hello), std::nullopt);
        return Refusal::None;
    }
    if (setup_.role == Role::Host)
    {
        const Start start{
            seeds_(),
            static_cast<std::uint16_t>(setup_.interval),
            static_cast<std::uint8_t>(ChooseDelay(link_.RoundTripMs(), setup_.interval)),
            {setup_.name, CutName(hello.name)}};
        Send(start);
        Begin(start);
    }
    return Refusal::None;
}

Refusal NetMatch::HandleStart(const Start& start)
{
    if (setup_.role == Role::Host || !peer_ || Started())
        return Refusal::Unexpected;
    Begin(start);
    return Refusal::None;
}

void NetMatch::Begin(const Start& start)
{
    seed_ = start.seed;
    interval_ = start.interval;
    delay_ = start.delay;
    names_ = start.names;
    // The first delay steps carry no turn on either side: nothing pressed before the start
    // reaches them.
    sentThrough_ = delay_ - 1;
    remoteKnown_ = delay_ - 1;
    game_.Enter(engine::Mode::DeathMatch);
    startAt_ = now_ + engine::kWaitInterval;
}

void NetMatch::StartGame()
{
    game_.NewDeathMatch(seed_, interval_);
    begun_ = true;
    nextStepAt_ = now_ + game_.Interval();
}

Refusal NetMatch::HandleTurns(const Turns& turns)
{
    const std::uint8_t sender = LocalPlayer() == 1 ? 2 : 1;
    if (!peer_)
        return Refusal::Unexpected;
    if (turns.player != sender)
        return Refusal::BadPlayer;
    if (turns.count == 0)
        return Refusal::None;
    if (!Started())
        return Refusal::Unexpected;
    if (turns.first <= remoteKnown_)
        return Refusal::PastStep;
    const std::int64_t last = std::int64_t{turns.first} + turns.count - 1;
    // The sender is at most the delay ahead of this side's settled steps, and settles the delay
    // beyond where it is.
    if (turns.first > remoteKnown_ + 1 || last > std::int64_t{game_.Steps()} + 2 * delay_ - 1)
        return Refusal::FutureStep;
    for (const StepTurn& turn : turns.turns)
        queued_[sender - 1].push_back({turn.step, turn.direction});
    remoteKnown_ = last;
    return Refusal::None;
}

Refusal NetMatch::HandleHash(const Hash& hash)
{
    if (!Started())
        return Refusal::Unexpected;
    // Sent just after the steps it settled as it reached the checkpoint.
    if (hash.step != lastRemoteHashStep_ + kHashEvery || hash.step != RemotePlayedTo())
        return Refusal::WrongHashStep;
    lastRemoteHashStep_ = hash.step;
    if (hash.step <= game_.Steps())
        CheckHash(hash.step, hash.hash);
    else
        remoteHash_ = {hash.step, hash.hash};
    return Refusal::None;
}

void NetMatch::CheckHash(std::uint32_t step, std::uint64_t hash)
{
    const auto own = std::find_if(ownHashes_.begin(), ownHashes_.end(),
                                  [step](const auto& kept) { return kept.first == step; });
    if (own == ownHashes_.end())
        End(RefusalText(Refusal::WrongHashStep), LeaveReason::Refused);
    else if (own->second != hash)
        End(std::string(kGamesDifferText), LeaveReason::GamesDiffer);
}

Refusal NetMatch::HandlePause(const Pause& pause)
{
    if (!Started() || remotePause_)
        return Refusal::Unexpected;
    if (pause.step <= remoteKnown_)
        return Refusal::PastStep;
    if (pause.step > remoteKnown_ + 1)
        return Refusal::FutureStep;
    remotePause_ = pause.step;
    return Refusal::None;
}

Refusal NetMatch::HandleResume(const Resume& resume)
{
    if (!remotePause_)
        return Refusal::Unexpected;
    if (resume.step != *remotePause_)
        return Refusal::WrongResumeStep;
    remotePause_.reset();
    return Refusal::None;
}

Refusal NetMatch::HandleLeave(const net::Leave& leave)
{
    switch (leave.reason)
    {
    case LeaveReason::Left:
        if (!Started())
        {
            End(std::string(kOtherLeftText), std::nullopt);
            return Refusal::None;
        }
        // The leaver had settled every step it played and the delay beyond.
        if (leave.step != RemotePlayedTo())
            return leave.step < RemotePlayedTo() ? Refusal::PastStep : Refusal::FutureStep;
        EndAt(leave.step, std::string(kOtherLeftText));
        return Refusal::None;
    case LeaveReason::GamesDiffer:
        End(std::string(kGamesDifferText), std::nullopt);
        return Refusal::None;
    case LeaveReason::Refused:
        End(std::string(kRefusedUsText), std::nullopt);
        return Refusal::None;
    }
    return Refusal::BadReason;
}

void NetMatch::RunDueSteps()
{
    for (int ran = 0; ran < kMaxStepsPerUpdate && !ended_; ++ran)
    {
        if (PausedNow())
        {
            // The first step after the pause comes a whole interval after it ends.
            nextStepAt_ = now_ + game_.Interval();
            waitingSince_.reset();
            return;
        }
        if (now_ < nextStepAt_)
            return;
        if (remoteKnown_ < game_.Steps())
        {
            if (!waitingSince_)
                waitingSince_ = now_;
            return;
        }
        waitingSince_.reset();
        TakeStep();
        // A step run late lets the next follow at once, but no more than that: a long wait is
        // not made up for in a rush.
        nextStepAt_ = std::max(nextStepAt_ + game_.Interval(), now_);
        SendSettled();
        const std::uint32_t step = game_.Steps();
        if (step % kHashEvery == 0)
        {
            Send(Hash{step, game_.StateHash()});
            if (remoteHash_ && remoteHash_->first == step)
            {
                CheckHash(step, remoteHash_->second);
                remoteHash_.reset();
            }
        }
    }
}

void NetMatch::TakeStep()
{
    const std::uint32_t step = game_.Steps();
    for (std::uint8_t player = 1; player <= 2; ++player)
    {
        std::deque<QueuedTurn>& queue = queued_[player - 1];
        for (; !queue.empty() && queue.front().step <= step; queue.pop_front())
            if (queue.front().step == step)
                game_.ApplyTurn({player, queue.front().direction});
    }
    game_.Step();
    if (game_.Steps() % kHashEvery == 0)
    {
        ownHashes_.emplace_back(game_.Steps(), game_.StateHash());
        if (ownHashes_.size() > kOwnHashesKept)
            ownHashes_.pop_front();
    }
}

void NetMatch::SendSettled()
{
    const std::int64_t through = std::int64_t{game_.Steps()} + delay_ - 1;
    while (sentThrough_ < through)
    {
        Turns turns{LocalPlayer(),
                    static_cast<std::uint32_t>(sentThrough_ + 1),
                    static_cast<std::uint32_t>(
                        std::min<std::int64_t>(through - sentThrough_, kMaxTurnSteps)),
                    {}};
        // What was pressed since the last settled step applies at the first one settled now.
        for (const std::uint8_t direction : unsettled_)
        {
            turns.turns.push_back({turns.first, direction});
            queued_[LocalPlayer() - 1].push_back({turns.first, direction});
        }
        unsettled_.clear();
        sentThrough_ += turns.count;
        Send(turns);
    }
}

bool NetMatch::PausedNow() const
{
    return (localPause_ && *localPause_ <= game_.Steps()) ||
           (remotePause_ && *remotePause_ <= game_.Steps());
}

void NetMatch::EndAt(std::uint32_t step, std::string message)
{
    if (step > 0 && !begun_)
        StartGame();
    // Every turn up to there is known: the other side had this side's turns for its last step.
    while (begun_ && game_.Steps() < step)
    {
        const std::uint32_t before = game_.Steps();
        TakeStep();
        if (game_.Steps() == before)
            break;
    }
    if (begun_ && game_.Steps() > step)
    {
        Keep(CutBack(engine::Record(game_, names_), step, names_));
        begun_ = false; // kept already
    }
    End(std::move(message), std::nullopt);
}

void NetMatch::End(std::string message, std::optional<LeaveReason> tell)
{
    if (ended_)
        return;
    ended_ = true;
    endMessage_ = std::move(message);
    if (tell)
    {
        Send(net::Leave{*tell, game_.Steps()});
        link_.Pump();
    }
    if (begun_)
        Keep(engine::Record(game_, names_));
    // A death match under way reports Finished, as a local one left does.
    game_.Leave();
    localPause_.reset();
    remotePause_.reset();
    waitingSince_.reset();
}

void NetMatch::Keep(engine::Replay replay)
{
    // A game that never took a step has nothing to watch; both sides agree on the step it ended
    // at, so both keep it or neither does.
    if (replay.steps == 0)
        return;
    replays_.Keep(replay);
    kept_ = std::move(replay);
}

} // namespace net
