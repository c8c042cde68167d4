// This computer's IPv4 addresses on Windows: GetAdaptersAddresses.
#include "net/Address.h"

#include <winsock2.h>

#include <iphlpapi.h>

namespace net::detail
{

std::vector<std::string> InterfaceAddresses()
{
    std::vector<std::string> addresses;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list's size is known only once asked; an adapter may come between two calls.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt)
    {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(
            AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR)
        return addresses;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
         adapter = adapter->Next)
    {
        if (adapter->OperStatus != IfOperStatusUp)
            continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next)
        {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET)
                continue;
            const auto bytes = reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
            const auto* octet = reinterpret_cast<const unsigned char*>(&bytes);
            addresses.push_back(std::to_string(octet[0]) + "." + std::to_string(octet[1]) + "." +
                                std::to_string(octet[2]) + "." + std::to_string(octet[3]));
        }
    }
    return addresses;
}

} // namespace net::detail
