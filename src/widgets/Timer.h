// TzcTimer: calls its handler on the main thread at a fixed delay measured by a worker thread.
#pragma once

#include "widgets/TimerThread.h"

#include <functional>

namespace widgets
{

// Ticks exactly while Enabled, Interval > 0 and a handler is assigned. Each tick waits for the
// previous one's handler to return and then for Interval; a change of Interval applies from the
// next wait. Property writes are made on the main thread, handlers included.
class TzcTimer final
{
public:
    using TTimerEvent = std::function<void(TzcTimer& sender)>;

    TzcTimer();
    ~TzcTimer();
    TzcTimer(const TzcTimer&) = delete;
    TzcTimer& operator=(const TzcTimer&) = delete;

    [[nodiscard]] TThreadPriority Priority() const { return priority_; }
    void SetPriority(TThreadPriority priority);
    [[nodiscard]] bool Enabled() const { return enabled_; }
    // Once false, no tick of this timer starts, not even one already handed over.
    void SetEnabled(bool enabled);
    [[nodiscard]] int Interval() const { return interval_; }
    void SetInterval(int interval);
    [[nodiscard]] const TTimerEvent& OnTimer() const { return onTimer_; }
    // Always holds and releases the worker, even for the handler already assigned.
    void SetOnTimer(TTimerEvent handler);

    // The tick: calls OnTimer with this timer as sender when a handler is assigned.
    void DoTimer();

private:
    void UpdateTimer();

    TThreadPriority priority_ = TThreadPriority::tpNormal;
    bool enabled_ = true;
    int interval_ = 1000;
    TTimerEvent onTimer_;
    TimerThread worker_; // last: stopped and joined before the handler goes
};

} // namespace widgets
