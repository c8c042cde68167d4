// net::Transport in a build made without ENet (a Windows build whose libraries were made where
// ENet's source could not be had): hosting and joining say so, and nothing else is ever reached.
#include "net/Transport.h"

namespace net
{

namespace
{

[[noreturn]] void Missing()
{
    throw Error("This build of Zorbel II was made without network play");
}

} // namespace

class Transport::Library
{
};

void Transport::HostDeleter::operator()(_ENetHost*) const {}

Transport::Transport(Key, TransportState state, TransportTimes times) : state_(state), times_(times)
{
}

std::unique_ptr<Transport> Transport::Host(std::uint16_t, TransportTimes)
{
    Missing();
}

std::unique_ptr<Transport> Transport::Join(const Endpoint&, TransportTimes)
{
    Missing();
}

Transport::~Transport() = default;
void Transport::Pump() {}
bool Transport::Send(std::span<const std::byte>)
{
    return false;
}
std::optional<std::vector<std::byte>> Transport::Receive()
{
    return std::nullopt;
}
bool Transport::Open() const
{
    return false;
}
int Transport::RoundTripMs() const
{
    return 0;
}
std::string Transport::WhyText() const
{
    return {};
}

} // namespace net
