// Where the other computer of a network match is reached: the text a player types, read, and this
// computer's own addresses to tell the other player.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace net
{

// A network operation that failed, with the sentence to show the player.
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct Endpoint
{
    // A computer's name or its IPv4 address, as typed.
    std::string host;
    std::uint16_t port = 0;

    // "HOST:PORT", the way the player typed it or may type it.
    std::string Text() const;
};

// Reads "host" or "host:port" (port 1 to 65535; kDefaultPort when left out). Throws Error with
// the reason for empty text, a bad port, or an IPv6 address, which ENet's IPv4 hosts cannot reach.
Endpoint ParseEndpoint(std::string_view text);

// This computer's IPv4 addresses, as dotted text, for the host to tell the joining player; the
// loopback only when there is nothing else.
std::vector<std::string> LocalAddresses();

namespace detail
{
// Every address of the interfaces that are up, the loopback included.
std::vector<std::string> InterfaceAddresses();
} // namespace detail

} // namespace net
