// The message loop: it sleeps in SDL's event wait until something happens, and runs on this
// thread the calls that other threads, timers and tests queue for it, all through one queue.
#pragma once

#include "platform/Event.h"

#include <cstdint>
#include <exception>
#include <functional>

namespace ui
{

class EventLoop
{
public:
    // What the loop serves.
    class Client
    {
    public:
        // Paints and presents what changed since the last turn.
        virtual void Paint() = 0;
        // Reads the devices that are polled; returns how long the loop may then sleep, in
        // milliseconds, or -1 until the next event.
        virtual int Poll() = 0;
        // An event that is neither the end of the program nor a queued call.
        virtual void HandleEvent(const platform::Event& event) = 0;

    protected:
        ~Client() = default;
    };

    // Starts SDL's events and makes the calling thread the one the queued calls run on; what a
    // queued call throws goes to onException.
    EventLoop(Client& client, std::function<void(std::exception_ptr)> onException);
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;
    // Stops, then ends SDL.
    ~EventLoop();

    // Queues a call for the loop's next turn.
    void Post(std::function<void()> call);
    // One turn: the queued calls, painting, then one event (waiting for it when wait is set).
    // False once terminated.
    bool Step(bool wait);
    // Everything pending, without waiting, then painting.
    void ProcessMessages();
    // An event as the system delivers it.
    void Dispatch(const platform::Event& event);

    void Terminate();
    bool Terminated() const { return terminated_; }
    // Drops what is still queued and releases every thread waiting on it; nothing wakes the loop
    // any more. Called before the window goes, which a wake-up reaches on some systems.
    void Stop();

private:
    void RunQueued();
    void Wake() const;

    Client& client_;
    std::uint32_t wakeEvent_ = 0;
    bool terminated_ = false;
    bool stopped_ = false;
};

} // namespace ui
