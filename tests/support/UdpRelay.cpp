// The loopback relay: two sockets bound to 127.0.0.1, one queue of datagrams in due order.
#include "support/UdpRelay.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport
{

namespace
{

sockaddr_in Loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

int BoundSocket(std::uint16_t port)
{
    const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket < 0)
        throw std::runtime_error("socket: " + std::string(std::strerror(errno)));
    const sockaddr_in address = Loopback(port);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::fcntl(socket, F_SETFL, O_NONBLOCK) != 0)
    {
        const int fault = errno;
        ::close(socket);
        throw std::runtime_error("bind 127.0.0.1:" + std::to_string(port) + ": " +
                                 std::strerror(fault));
    }
    return socket;
}

std::uint16_t BoundPort(int socket)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

} // namespace

UdpRelay::UdpRelay(const Options& options)
    : targetPort_(options.targetPort), delay_(options.delay), random_(options.seed),
      drop_(options.dropShare)
{
    if (options.targetPort == 0)
        throw std::runtime_error("the relay needs a target port");
    front_ = BoundSocket(options.listenPort);
    try
    {
        back_ = BoundSocket(0);
    }
    catch (...)
    {
        ::close(front_);
        throw;
    }
    port_ = BoundPort(front_);
}

UdpRelay::~UdpRelay()
{
    ::close(front_);
    ::close(back_);
}

void UdpRelay::Take(int socket, bool toTarget)
{
    unsigned char buffer[65536];
    for (;;)
    {
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t length =
            ::recvfrom(socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (length < 0)
            return;
        if (toTarget)
            clientPort_ = ntohs(from.sin_port);
        else if (ntohs(from.sin_port) != targetPort_)
            continue; // only the target answers through the back socket
        if (drop_(random_))
        {
            ++dropped_;
            continue;
        }
        waiting_.push_back({std::chrono::steady_clock::now() + delay_, toTarget,
                            std::vector<unsigned char>(buffer, buffer + length)});
    }
}

void UdpRelay::Pump()
{
    Take(front_, true);
    Take(back_, false);
    const auto now = std::chrono::steady_clock::now();
    while (!waiting_.empty() && waiting_.front().due <= now)
    {
        const Datagram& datagram = waiting_.front();
        if (datagram.toTarget || clientPort_ != 0)
        {
            // Both ends are ports of 127.0.0.1: the relay never writes anywhere else.
            const sockaddr_in to = Loopback(datagram.toTarget ? targetPort_ : clientPort_);
            ::sendto(datagram.toTarget ? back_ : front_, datagram.bytes.data(),
                     datagram.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            ++forwarded_;
        }
        waiting_.pop_front();
    }
}

std::chrono::milliseconds UdpRelay::UntilDue() const
{
    if (waiting_.empty())
        return std::chrono::hours(1);
    const auto left = waiting_.front().due - std::chrono::steady_clock::now();
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::ceil<std::chrono::milliseconds>(left));
}

} // namespace testsupport
