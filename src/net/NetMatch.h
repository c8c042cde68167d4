// net::NetMatch: a death match between two computers in lockstep. Both run the same engine death
// match from the same seed; only the players' turns travel, each stamped with the step it applies
// at, so that both boards are the same at every step. The game screen drives it from one timer
// (Update, then the engine's events to paint) through net::NetMatchControl, as it drives a local
// play::Match.
//
// Rules both sides keep:
// - The host plays player 1 and the guest player 2. After both Hellos the host draws the seed and
//   sends Start with its death-match interval and the delay d; the match is one engine death match
//   from that seed (its bouts follow from the one generator), started after the usual wait.
// - A key pressed when the game has taken s steps turns the worm before step s + d on both sides.
//   Every step a side settles one more step of its own and sends its turns for it (or none), so
//   a step runs once both players' turns for it are known and its interval has passed. Before a
//   step the host's turns are applied, then the guest's, each in the order pressed.
// - Every kHashEvery steps each side sends its board's hash; a difference ends the match on both
//   sides ("The two games differ"), each keeping the replay it played.
// - A pause is stamped with the first step its side has not settled, so that both hold at that
//   step; only the player who paused resumes it. Focus loss does not pause a network match: the
//   other player's game would stop with it (FocusLost says so to the screen).
// - Leave ends the match on both sides at the step the leaver stopped at: the other side plays on
//   to it, or cuts its replay back to it, so that both keep the same replay. When both leave at
//   once, each keeps the replay of the steps it played.
// - Each game is kept as a death-match replay (both players' names and turns) that plays back like
//   a local one; a network match never touches the records tables.
#pragma once

#include "engine/Game.h"
#include "engine/Replay.h"
#include "net/Link.h"
#include "net/Protocol.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class ReplayStore;

namespace net
{

enum class Role : std::uint8_t
{
    Host,  // listens, draws the seed, plays player 1
    Guest, // connects, plays player 2
};

enum class NetState : std::uint8_t
{
    Handshaking,   // Hellos and Start not yet through
    Playing,       // the game runs (or waits the usual moment before it starts)
    Waiting,       // the other side's turns are kWaitingShownMs late: show kWaitingText
    Paused,        // this player paused
    PausedByOther, // the other player paused: show kPausedByOtherText
    Ended,         // over: EndMessage says why (empty when this player left)
};

// What the screen shows for the states and ends above.
inline constexpr std::string_view kWaitingText = "Waiting for the other player\u2026";
inline constexpr std::string_view kPausedByOtherText = "Paused by the other player";
inline constexpr std::string_view kOtherLeftText = "The other player has left";
inline constexpr std::string_view kGamesDifferText = "The two games differ";
inline constexpr std::string_view kRefusedUsText =
    "The other player's game could not use a message from this one.";
// The end of a match whose other side sent a message refused for refusal.
std::string RefusalText(Refusal refusal);

// Late turns are shown as a wait after this long; silence this long means the other has gone.
inline constexpr std::int64_t kWaitingShownMs = 500;
inline constexpr std::int64_t kSilenceMs = 10'000;
// With nothing else to send, a side says it is there this often (while paused, while waiting).
inline constexpr std::int64_t kKeepAliveMs = 1'000;
// The longest the screen is asked to wait between updates, so that messages are read promptly.
inline constexpr int kPollMs = 10;
// The host's delay never exceeds this: a slower link waits rather than lags further.
inline constexpr int kChosenMaxDelay = 3;

// The delay for a link of this round trip at this tick interval: 1 while the round trip is under
// one interval, then one step more for each further interval, up to kChosenMaxDelay.
int ChooseDelay(int roundTripMs, int intervalMs);

struct NetSetup
{
    Role role = Role::Host;
    std::string name;   // this player's (cut to kMaxNameBytes)
    int interval = 100; // the death match's tick; the host's counts
    // This build's version; another can be named to see two versions refuse each other.
    std::string version = std::string(GameVersion());
};

class NetMatch
{
public:
    // Milliseconds on a clock that only goes forward (the program's steady clock, a test's own).
    using Clock = std::function<std::int64_t()>;
    using Seeds = std::function<std::uint64_t()>;

    // Nothing is sent until the first Update.
    NetMatch(Link& link, ReplayStore& replays, NetSetup setup, Clock clock, Seeds seeds);
    NetMatch(const NetMatch&) = delete;
    NetMatch& operator=(const NetMatch&) = delete;

    // Pumps the link, handles what arrived, starts the game after the wait and runs the steps
    // that are due. Nothing once Ended.
    void Update();
    // Milliseconds until Update wants to be called again: 1..kPollMs, 0 once Ended.
    int NextUpdateInMs() const;
    NetState State() const;
    // Why the match ended: kOtherLeftText, kGamesDifferText, a refused message or a version
    // mismatch naming both versions; empty when this player left.
    const std::string& EndMessage() const { return endMessage_; }

    // This player's direction key (engine::kLeft..kDown). Ignored before the game starts and
    // after it ends, and beyond kMaxTurnsPerStep in one step.
    void Key(std::uint8_t direction);
    // Pauses both sides from a step ahead, or resumes this player's own pause; false when
    // nothing changed (before the start, paused by the other player, a pause not yet reached).
    bool TogglePause();
    // A network match goes on when its window loses focus; always false.
    bool FocusLost() { return false; }
    bool Paused() const;
    // Ends the match for both sides (Esc, the window closed), keeping the replay.
    void Leave();

    // The events since the last call, in order (see engine::Game::TakeEvents).
    void TakeEvents(std::vector<engine::Event>& into) { game_.TakeEvents(into); }
    // The game, read only: mode (always DeathMatch once started), phase, scores, board.
    const engine::Game& Model() const { return game_; }

    Role GetRole() const { return setup_.role; }
    // 1 for the host, 2 for the guest.
    std::uint8_t LocalPlayer() const { return setup_.role == Role::Host ? 1 : 2; }
    // Player 1's and player 2's names, known from Start on.
    const std::array<std::string, 2>& Names() const { return names_; }
    // The delay in steps, known from Start on (0 before).
    int Delay() const { return delay_; }
    // The replay kept when the match ended, if its game took a step.
    const std::optional<engine::Replay>& KeptReplay() const { return kept_; }

private:
    struct QueuedTurn
    {
        std::uint32_t step;
        std::uint8_t direction;
    };

    void Send(const Message& message);
    void Handle(std::span<const std::byte> bytes);
    Refusal HandleHello(const Hello& hello);
    Refusal HandleStart(const Start& start);
    Refusal HandleTurns(const Turns& turns);
    Refusal HandleHash(const Hash& hash);
    Refusal HandlePause(const Pause& pause);
    Refusal HandleResume(const Resume& resume);
    Refusal HandleLeave(const net::Leave& leave);
    // The agreed start: both sides' game from the seed after the wait.
    void Begin(const Start& start);
    void StartGame();
    void RunDueSteps();
    // Applies both players' turns for the next step and takes it.
    void TakeStep();
    // Sends this side's turns for the steps settled since the last call, then a checkpoint's hash.
    void SendSettled();
    void CheckHash(std::uint32_t step, std::uint64_t hash);
    bool PausedNow() const;
    bool Started() const { return delay_ > 0; }
    // The last step the sender of a Turns has settled shows how far it has played.
    std::int64_t RemotePlayedTo() const { return remoteKnown_ - delay_ + 1; }
    // Plays on to, or cuts the replay back to, the step the other side stopped at.
    void EndAt(std::uint32_t step, std::string message);
    void End(std::string message, std::optional<LeaveReason> tell);
    void Keep(engine::Replay replay);

    Link& link_;
    ReplayStore& replays_;
    NetSetup setup_;
    Clock clock_;
    Seeds seeds_;
    engine::Game game_;
    std::int64_t now_ = 0;

    bool helloSent_ = false;
    std::optional<Hello> peer_;
    std::array<std::string, 2> names_;
    std::uint64_t seed_ = 0;
    int interval_ = 0;
    int delay_ = 0;
    std::int64_t startAt_ = 0;
    bool begun_ = false; // NewDeathMatch called
    std::int64_t nextStepAt_ = 0;

    // Turns of player 1 and player 2 settled for steps not yet taken, this side's own included.
    std::array<std::deque<QueuedTurn>, 2> queued_;
    // This side's turns pressed for the first step it has not settled yet.
    std::vector<std::uint8_t> unsettled_;
    // The last step each side has settled.
    std::int64_t sentThrough_ = -1;
    std::int64_t remoteKnown_ = -1;

    std::optional<std::uint32_t> localPause_;
    std::optional<std::uint32_t> remotePause_;

    // This side's hashes at its latest checkpoints, and the other's next hash when it came first.
    std::deque<std::pair<std::uint32_t, std::uint64_t>> ownHashes_;
    std::optional<std::pair<std::uint32_t, std::uint64_t>> remoteHash_;
    std::uint32_t lastRemoteHashStep_ = 0;

    std::int64_t lastHeard_ = 0;
    std::int64_t lastSent_ = 0;
    std::optional<std::int64_t> waitingSince_;

    bool ended_ = false;
    std::string endMessage_;
    std::optional<engine::Replay> kept_;
};

} // namespace net
