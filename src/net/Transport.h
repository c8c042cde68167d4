// net::Transport: the program's net::Link, ENet over UDP between a hosting and a joining computer.
#pragma once

#include "net/Address.h"
#include "net/Link.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

struct _ENetEvent;
struct _ENetHost;
struct _ENetPeer;

namespace net
{

// The largest message Send takes (the protocol's own are far smaller); ENet refuses larger ones
// from the other side as well.
inline constexpr std::size_t kMaxLinkMessageBytes = 64 * 1024;

enum class TransportState
{
    Listening,  // a host waiting for its player
    Connecting, // a joiner waiting for the host's answer
    Connected,
    Closed, // Why() tells what ended it
};

enum class CloseReason
{
    None,           // still open
    PeerLeft,       // the other side closed the match
    TimedOut,       // the other side stopped answering
    NobodyAnswered, // a joiner's host did not answer in time
    HostBusy,       // the host already has its player
    OtherVersion,   // the other side is another version of the game
    NetworkFailed,  // the system's network calls failed
};

struct TransportTimes
{
    // How long a joiner waits for the host's answer.
    std::chrono::milliseconds answer{5000};
    // How long ENet lets the other side stay silent before it gives it up: longer than the match's
    // own 10 s rule, which decides first and says so its own way. ENet looks only when a resend
    // falls due, and resends ever more rarely: it gives up between this and about twice this.
    std::chrono::milliseconds silence{12000};
};

class Transport final : public Link
{
    struct Key
    {
        explicit Key() = default;
    };

public:
    // Listens on every IPv4 address of this computer at `port` (0: one the system chooses) for one
    // player; a second is refused. Throws Error ("Port 42512 is in use").
    static std::unique_ptr<Transport> Host(std::uint16_t port, TransportTimes times = {});
    // Starts connecting to a host: Connecting until it answers. Throws Error when the name does not
    // resolve to an IPv4 address. The name lookup may take a moment: it is the system's.
    static std::unique_ptr<Transport> Join(const Endpoint& where, TransportTimes times = {});
    // Says goodbye to the other side (waiting a fifth of a second at most for its answer) and
    // stops listening.
    ~Transport() override;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;
    // For Host and Join alone.
    Transport(Key, TransportState state, TransportTimes times);

    void Pump() override;
    // Messages sent before the link is Connected wait and go first once it is. Throws
    // std::length_error for a message over kMaxLinkMessageBytes: the protocol bounds its messages.
    bool Send(std::span<const std::byte> message) override;
    std::optional<std::vector<std::byte>> Receive() override;
    // True until Closed.
    bool Open() const override;
    int RoundTripMs() const override;

    TransportState State() const { return state_; }
    CloseReason Why() const { return why_; }
    // The sentence for the player once Closed ("Nobody answered at 192.168.1.20:42512"); empty
    // while open.
    std::string WhyText() const;
    // The port a host listens on (the one the system chose when asked for 0); 0 for a joiner.
    std::uint16_t Port() const { return port_; }

private:
    struct HostDeleter
    {
        void operator()(_ENetHost* host) const;
    };
    class Library;

    void Handle(const _ENetEvent& event);
    void Accept(_ENetPeer* peer);
    void MarkConnected();
    void Close(CloseReason why);
    bool SendNow(std::span<const std::byte> message, std::uint8_t channel);

    std::shared_ptr<Library> library_;
    std::unique_ptr<_ENetHost, HostDeleter> host_;
    _ENetPeer* peer_ = nullptr;
    TransportState state_;
    CloseReason why_ = CloseReason::None;
    TransportTimes times_;
    std::chrono::steady_clock::time_point answerDeadline_{};
    Endpoint where_;
    std::uint16_t port_ = 0;
    int roundTripMs_ = 0;
    std::deque<std::vector<std::byte>> inbox_;
    std::deque<std::vector<std::byte>> outbox_;
};

} // namespace net
