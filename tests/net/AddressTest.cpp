// The address a player types, read into a host and a port or refused with a reason; this
// computer's addresses as the host screen shows them.
#include "net/Address.h"
#include "net/Link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{

TEST(AddressTest, ParseEndpointReadsHostAndPortOrSaysWhyNot)
{
    struct Case
    {
        std::string text;
        std::string host; // empty: refused
        int port;
        std::string reason; // a part of the refusal's sentence
    };
    const Case cases[] = {
        {"192.168.1.20", "192.168.1.20", net::kDefaultPort, ""},
        {"  zorbel-box  ", "zorbel-box", net::kDefaultPort, ""},
        {"zorbel-box:1", "zorbel-box", 1, ""},
        {"10.0.0.2:65535", "10.0.0.2", 65535, ""},
        {"10.0.0.2 : 4000", "10.0.0.2", 4000, ""},
        {"", "", 0, "Type the other computer's name"},
        {"   ", "", 0, "Type the other computer's name"},
        {":42512", "", 0, "before the port"},
        {"host:", "", 0, "from 1 to 65535"},
        {"host:0", "", 0, "from 1 to 65535, not \"0\""},
        {"host:65536", "", 0, "from 1 to 65535"},
        {"host:99999999999", "", 0, "from 1 to 65535"},
        {"host:12ab", "", 0, "not \"12ab\""},
        {"host:-5", "", 0, "from 1 to 65535"},
        {"[::1]:42512", "", 0, "IPv4 addresses and computer names only"},
        {"[::1]", "", 0, "IPv4"},
        {"::1", "", 0, "IPv4"},
        {"fe80::1:2", "", 0, "IPv4"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("\"" + c.text + "\"");
        if (c.host.empty())
        {
            try
            {
                net::ParseEndpoint(c.text);
                ADD_FAILURE() << "accepted";
            }
            catch (const net::Error& error)
            {
                EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                    << error.what();
            }
            continue;
        }
        const net::Endpoint endpoint = net::ParseEndpoint(c.text);
        EXPECT_EQ(endpoint.host, c.host);
        EXPECT_EQ(endpoint.port, c.port);
    }
    EXPECT_EQ(net::ParseEndpoint("zorbel-box").Text(), "zorbel-box:42512");
}

TEST(AddressTest, LocalAddressesAreDottedIpv4WithTheLoopbackOnlyAlone)
{
    const auto addresses = net::LocalAddresses();
    ASSERT_FALSE(addresses.empty()) << "the loopback at least is up";
    for (const std::string& address : addresses)
    {
        int octets[4] = {};
        char rest = 0;
        EXPECT_EQ(std::sscanf(address.c_str(), "%d.%d.%d.%d%c", &octets[0], &octets[1], &octets[2],
                              &octets[3], &rest),
                  4)
            << address;
        if (addresses.size() > 1)
        {
            EXPECT_FALSE(address.starts_with("127.")) << address;
        }
    }
    const auto all = net::detail::InterfaceAddresses();
    const bool onlyLoopback =
        std::all_of(all.begin(), all.end(), [](const auto& a) { return a.starts_with("127."); });
    EXPECT_EQ(addresses.front().starts_with("127."), onlyLoopback);
}

} // namespace
