// A UDP relay on the loopback for the network tests: what passes through it arrives late, and a
// seeded share of it not at all. It forwards between the first computer that writes to it and a
// target port of 127.0.0.1, and talks to nothing else.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

namespace testsupport
{

class UdpRelay
{
public:
    struct Options
    {
        std::uint16_t targetPort = 0;
        // 0: a port the system chooses (Port() tells which).
        std::uint16_t listenPort = 0;
        std::chrono::milliseconds delay{100}; // each way
        double dropShare = 0.05;
        std::uint64_t seed = 1;
    };

    // Throws std::runtime_error when a socket cannot be had.
    explicit UdpRelay(const Options& options);
    ~UdpRelay();
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    // Takes in what has arrived and sends on what is due; never waits.
    void Pump();
    // How long until the next datagram is due (an hour when none waits): the tool's wait.
    std::chrono::milliseconds UntilDue() const;
    // The sockets to wait on.
    int FrontSocket() const { return front_; }
    int BackSocket() const { return back_; }

    std::uint16_t Port() const { return port_; }
    // From now on; 1 cuts the wire.
    void SetDropShare(double share) { drop_ = std::bernoulli_distribution(share); }
    std::size_t Forwarded() const { return forwarded_; }
    std::size_t Dropped() const { return dropped_; }

private:
    struct Datagram
    {
        std::chrono::steady_clock::time_point due;
        bool toTarget;
        std::vector<unsigned char> bytes;
    };
    void Take(int socket, bool toTarget);

    int front_ = -1; // where the joining side writes
    int back_ = -1;  // toward the target, which sees the relay as its peer
    std::uint16_t port_ = 0;
    std::uint16_t targetPort_;
    std::uint16_t clientPort_ = 0;
    std::chrono::milliseconds delay_;
    std::mt19937_64 random_;
    std::bernoulli_distribution drop_;
    // The delay is the same for all, so the queue is in due order.
    std::deque<Datagram> waiting_;
    std::size_t forwarded_ = 0;
    std::size_t dropped_ = 0;
};

} // namespace testsupport
