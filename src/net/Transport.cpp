// ENet under net::Link: one host, one joining player, whole messages on one reliable channel.
#include "net/Transport.h"

#include <enet/enet.h>

#include <cerrno>
#include <stdexcept>

namespace net
{

namespace
{

// Messages travel on the first channel; the second carries the host's word that it took the
// joiner as its player, so that a joiner turned away is never Connected in between.
constexpr std::uint8_t kMessageChannel = 0;
constexpr std::uint8_t kControlChannel = 1;
constexpr std::size_t kChannels = 2;

// Sent with the connection request: the game and the version of this transport, so that a host
// tells a program of another version apart before a message of the match is exchanged.
constexpr enet_uint32 kHello = 0x5A4F5201;

// Why a side disconnects, as the other side receives it. ENet reports 0 for a peer it gave up.
constexpr enet_uint32 kLeaving = 1;
constexpr enet_uint32 kBusy = 2;
constexpr enet_uint32 kOtherVersion = 3;

constexpr std::chrono::milliseconds kGoodbyeWait{200};

CloseReason WhyClosed(TransportState state, enet_uint32 data)
{
    switch (data)
    {
    case kLeaving:
        return CloseReason::PeerLeft;
    case kBusy:
        return CloseReason::HostBusy;
    case kOtherVersion:
        return CloseReason::OtherVersion;
    default:
        return state == TransportState::Connecting ? CloseReason::NobodyAnswered
                                                   : CloseReason::TimedOut;
    }
}

enet_uint32 Milliseconds(std::chrono::milliseconds time)
{
    return static_cast<enet_uint32>(time.count());
}

} // namespace

// enet_initialize once for all transports alive at a time, enet_deinitialize after the last.
class Transport::Library
{
public:
    Library()
    {
        if (enet_initialize() != 0)
            throw Error("The network could not be started");
    }
    ~Library() { enet_deinitialize(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    static std::shared_ptr<Library> Use()
    {
        static std::weak_ptr<Library> current;
        std::shared_ptr<Library> library = current.lock();
        if (!library)
        {
            library = std::make_shared<Library>();
            current = library;
        }
        return library;
    }
};

void Transport::HostDeleter::operator()(_ENetHost* host) const
{
    enet_host_destroy(host);
}

Transport::Transport(Key, TransportState state, TransportTimes times)
    : library_(Library::Use()), state_(state), times_(times)
{
}

std::unique_ptr<Transport> Transport::Host(std::uint16_t port, TransportTimes times)
{
    auto transport = std::make_unique<Transport>(Key{}, TransportState::Listening, times);
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    errno = 0;
    // Room for two: the player, and one more to be told that the place is taken rather than left
    // without an answer.
    transport->host_.reset(enet_host_create(&address, 2, kChannels, 0, 0));
    if (!transport->host_)
    {
        const std::string number = std::to_string(port);
        if (errno == EACCES)
            throw Error("Port " + number + " is reserved for the system: choose one above 1023");
        throw Error("Port " + number + " is in use");
    }
    transport->host_->maximumPacketSize = kMaxLinkMessageBytes;
    transport->port_ = transport->host_->address.port;
    return transport;
}

std::unique_ptr<Transport> Transport::Join(const Endpoint& where, TransportTimes times)
{
    auto transport = std::make_unique<Transport>(Key{}, TransportState::Connecting, times);
    transport->where_ = where;
    ENetAddress address{};
    address.port = where.port;
    if (enet_address_set_host(&address, where.host.c_str()) != 0)
        throw Error("No computer called \"" + where.host + "\" was found");
    transport->host_.reset(enet_host_create(nullptr, 1, kChannels, 0, 0));
    if (!transport->host_)
        throw Error("The network could not be opened");
    transport->host_->maximumPacketSize = kMaxLinkMessageBytes;
    transport->peer_ = enet_host_connect(transport->host_.get(), &address, kChannels, kHello);
    if (!transport->peer_)
        throw Error("The network could not be opened");
    // The answer's own deadline is kept here; ENet's limit is the one for a silent peer.
    enet_peer_timeout(transport->peer_, 0, Milliseconds(times.silence),
                      Milliseconds(times.silence));
    transport->answerDeadline_ = std::chrono::steady_clock::now() + times.answer;
    return transport;
}

Transport::~Transport()
{
    if (!peer_)
        return;
    // Once what was sent has arrived, so that a last message before leaving is not lost.
    enet_peer_disconnect_later(peer_, kLeaving);
    const auto giveUp = std::chrono::steady_clock::now() + kGoodbyeWait;
    ENetEvent event;
    while (peer_->state != ENET_PEER_STATE_DISCONNECTED &&
           std::chrono::steady_clock::now() < giveUp &&
           enet_host_service(host_.get(), &event, 1) >= 0)
    {
        if (event.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(event.packet);
    }
    // The other side did not take the last messages in time: it is told all the same, once.
    enet_peer_disconnect_now(peer_, kLeaving);
}

void Transport::Pump()
{
    if (state_ == TransportState::Connecting && std::chrono::steady_clock::now() >= answerDeadline_)
    {
        enet_peer_reset(peer_);
        peer_ = nullptr;
        Close(CloseReason::NobodyAnswered);
        return;
    }
    ENetEvent event;
    int result = 0;
    while ((result = enet_host_service(host_.get(), &event, 0)) > 0)
        Handle(event);
    if (result < 0 && state_ != TransportState::Closed)
        Close(CloseReason::NetworkFailed);
    // ENet's figure is its starting guess until the first acknowledgement comes back.
    if (peer_ && peer_->lastReceiveTime > 0)
        roundTripMs_ = static_cast<int>(peer_->roundTripTime);
}

void Transport::Handle(const ENetEvent& event)
{
    switch (event.type)
    {
    case ENET_EVENT_TYPE_CONNECT:
        if (event.peer == peer_)
            break; // the joiner's request went through; the host's word follows
        if (state_ == TransportState::Listening && event.data == kHello)
            Accept(event.peer);
        else
            enet_peer_disconnect(event.peer, event.data == kHello ? kBusy : kOtherVersion);
        break;
    case ENET_EVENT_TYPE_RECEIVE:
        if (event.peer == peer_)
        {
            // The host sends messages only to the player it took, so a message says so as well as
            // the host's word, which may arrive after it on its own channel.
            if (state_ == TransportState::Connecting)
                MarkConnected();
            if (event.channelID == kMessageChannel)
            {
                const auto* bytes = reinterpret_cast<const std::byte*>(event.packet->data);
                inbox_.emplace_back(bytes, bytes + event.packet->dataLength);
            }
        }
        enet_packet_destroy(event.packet);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        if (event.peer == peer_)
        {
            peer_ = nullptr;
            Close(WhyClosed(state_, event.data));
        }
        break;
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

void Transport::Accept(ENetPeer* peer)
{
    peer_ = peer;
    enet_peer_timeout(peer_, 0, Milliseconds(times_.silence), Milliseconds(times_.silence));
    const std::byte welcome[1] = {std::byte{1}};
    SendNow(welcome, kControlChannel);
    MarkConnected();
}

void Transport::MarkConnected()
{
    state_ = TransportState::Connected;
    for (const auto& message : outbox_)
        SendNow(message, kMessageChannel);
    outbox_.clear();
}

void Transport::Close(CloseReason why)
{
    state_ = TransportState::Closed;
    why_ = why;
    outbox_.clear();
}

bool Transport::SendNow(std::span<const std::byte> message, std::uint8_t channel)
{
    ENetPacket* packet =
        enet_packet_create(message.data(), message.size(), ENET_PACKET_FLAG_RELIABLE);
    if (!packet)
        return false;
    // ENet refuses a peer whose disconnection it has seen but not reported yet; that report
    // closes the link with its reason at the next Pump.
    if (enet_peer_send(peer_, channel, packet) != 0)
    {
        enet_packet_destroy(packet);
        return false;
    }
    return true;
}

bool Transport::Send(std::span<const std::byte> message)
{
    if (message.size() > kMaxLinkMessageBytes)
        throw std::length_error("A message of " + std::to_string(message.size()) +
                                " bytes is over the link's limit");
    switch (state_)
    {
    case TransportState::Closed:
        return false;
    case TransportState::Connected:
        return SendNow(message, kMessageChannel);
    case TransportState::Listening:
    case TransportState::Connecting:
        outbox_.emplace_back(message.begin(), message.end());
        return true;
    }
    return false;
}

std::optional<std::vector<std::byte>> Transport::Receive()
{
    if (inbox_.empty())
        return std::nullopt;
    std::vector<std::byte> message = std::move(inbox_.front());
    inbox_.pop_front();
    return message;
}

bool Transport::Open() const
{
    return state_ != TransportState::Closed;
}

int Transport::RoundTripMs() const
{
    return roundTripMs_;
}

std::string Transport::WhyText() const
{
    switch (why_)
    {
    case CloseReason::None:
        return {};
    case CloseReason::PeerLeft:
        return "The other player closed the connection";
    case CloseReason::TimedOut:
        return "The other computer stopped answering";
    case CloseReason::NobodyAnswered:
        return "Nobody answered at " + where_.Text();
    case CloseReason::HostBusy:
        return "The host at " + where_.Text() + " already has a player";
    case CloseReason::OtherVersion:
        return "The other computer runs another version of Zorbel II";
    case CloseReason::NetworkFailed:
        return "The network stopped working";
    }
    return {};
}

} // namespace net
