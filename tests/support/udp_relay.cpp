// udp_relay: the loopback relay as a program, for end-to-end tests of two game processes.
//
//   udp_relay --target [127.0.0.1:]PORT [--listen PORT] [--delay-ms 100] [--drop 0.05] [--seed 1]
//
// Prints "127.0.0.1:PORT" (the port it listens on) on its first line, then forwards until
// SIGINT or SIGTERM. A target other than the loopback is refused.
#include "support/UdpRelay.h"

#include <poll.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace
{

volatile std::sig_atomic_t stopped = 0;

void Stop(int)
{
    stopped = 1;
}

int Usage(const std::string& why)
{
    std::cerr << "udp_relay: " << why
              << "\nusage: udp_relay --target [127.0.0.1:]PORT [--listen PORT] [--delay-ms N] "
                 "[--drop SHARE] [--seed N]\n";
    return 2;
}

// "PORT" or "127.x.y.z:PORT"; 0 for anything else.
unsigned long TargetPort(std::string text)
{
    const auto colon = text.rfind(':');
    if (colon != std::string::npos)
    {
        if (text.compare(0, 4, "127.") != 0 && text.substr(0, colon) != "localhost")
            return 0;
        text = text.substr(colon + 1);
    }
    char* end = nullptr;
    const unsigned long port = std::strtoul(text.c_str(), &end, 10);
    return (*end == '\0' && port <= 65535) ? port : 0;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::UdpRelay::Options options;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--target")
        {
            const unsigned long port = TargetPort(value);
            if (port == 0)
                return Usage("the target must be a port of the loopback, not " + value);
            options.targetPort = static_cast<std::uint16_t>(port);
        }
        else if (name == "--listen")
            options.listenPort = static_cast<std::uint16_t>(std::stoul(value));
        else if (name == "--delay-ms")
            options.delay = std::chrono::milliseconds(std::stoul(value));
        else if (name == "--drop")
            options.dropShare = std::stod(value);
        else if (name == "--seed")
            options.seed = std::stoull(value);
        else
            return Usage("unknown option " + name);
    }
    if (argc % 2 == 0)
        return Usage("every option takes a value");
    if (options.targetPort == 0)
        return Usage("--target is needed");
    if (options.dropShare < 0 || options.dropShare > 1)
        return Usage("--drop is a share from 0 to 1");

    testsupport::UdpRelay relay(options);
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
    std::cout << "127.0.0.1:" << relay.Port() << std::endl;
    while (!stopped)
    {
        pollfd sockets[2] = {{relay.FrontSocket(), POLLIN, 0}, {relay.BackSocket(), POLLIN, 0}};
        const auto wait = std::min<long long>(relay.UntilDue().count(), 200);
        ::poll(sockets, 2, static_cast<int>(wait));
        relay.Pump();
    }
    std::cerr << "udp_relay: forwarded " << relay.Forwarded() << ", dropped " << relay.Dropped()
              << "\n";
    return 0;
}
