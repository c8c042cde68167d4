// The player's text read into a host and a port; this computer's addresses chosen for showing.
#include "net/Address.h"

#include "net/Link.h"

#include <algorithm>
#include <charconv>

namespace net
{

namespace
{

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::uint16_t ParsePort(std::string_view digits)
{
    unsigned value = 0;
    const auto* end = digits.data() + digits.size();
    const auto [stop, fault] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || fault != std::errc{} || stop != end || value < 1 || value > 65535)
        throw Error("The port must be a number from 1 to 65535, not \"" + std::string(digits) +
                    "\"");
    return static_cast<std::uint16_t>(value);
}

[[noreturn]] void RefuseIpv6()
{
    throw Error("Network play reaches IPv4 addresses and computer names only, not IPv6 "
                "addresses");
}

} // namespace

std::string Endpoint::Text() const
{
    return host + ":" + std::to_string(port);
}

Endpoint ParseEndpoint(std::string_view text)
{
    text = Trimmed(text);
    if (text.empty())
        throw Error("Type the other computer's name or address");
    if (text.front() == '[')
        RefuseIpv6();
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return {std::string(text), kDefaultPort};
    // Two colons are an IPv6 address written without brackets ("::1", "fe80::1").
    if (text.find(':', colon + 1) != std::string_view::npos)
        RefuseIpv6();
    const std::string_view host = Trimmed(text.substr(0, colon));
    if (host.empty())
        throw Error("Type the other computer's name or address before the port");
    return {std::string(host), ParsePort(Trimmed(text.substr(colon + 1)))};
}

std::vector<std::string> LocalAddresses()
{
    std::vector<std::string> found;
    std::vector<std::string> loopback;
    for (std::string& address : detail::InterfaceAddresses())
    {
        auto& list = address.starts_with("127.") ? loopback : found;
        if (std::find(list.begin(), list.end(), address) == list.end())
            list.push_back(std::move(address));
    }
    return found.empty() ? loopback : found;
}

} // namespace net
