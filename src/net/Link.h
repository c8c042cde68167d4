// net::Link: the connection to the other computer of a network match as the match sees it: whole
// messages, delivered reliably and in the order sent. The program's link is ENet's; the lockstep
// tests join two matches with a simulated one that delays, reorders and drops underneath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace net
{

// The UDP port a host listens on unless the player names another.
inline constexpr std::uint16_t kDefaultPort = 42512;

class Link
{
public:
    virtual ~Link() = default;

    // Sends and receives what is due, without waiting: ENet's service call in the program.
    virtual void Pump() = 0;
    // Queues one whole message for the other side; false once the link is closed.
    virtual bool Send(std::span<const std::byte> message) = 0;
    // The next whole message received, in the order the other side sent them; nothing when none
    // is waiting. Never blocks.
    virtual std::optional<std::vector<std::byte>> Receive() = 0;
    // False once the other side disconnected or stopped answering.
    virtual bool Open() const = 0;
    // The latest measured round trip in milliseconds; 0 before the first is measured.
    virtual int RoundTripMs() const = 0;
};

} // namespace net
