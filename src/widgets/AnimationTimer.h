// TRxTimer: the animation timer; like TzcTimer, and able to tick without a blocking worker.
#pragma once

#include "widgets/TimerThread.h"

#include <functional>
#include <memory>

namespace widgets
{

// Ticks while Enabled, Interval > 0 and a handler is assigned. Threaded (the default): a worker
// waits Interval after each handler returns. Not threaded: ticks are queued to the main loop every
// Interval without waiting for them, and a tick still queued absorbs later ones.
class TRxTimer final
{
public:
    using TTimerEvent = std::function<void(TRxTimer& sender)>;

    TRxTimer();
    ~TRxTimer();
    TRxTimer(const TRxTimer&) = delete;
    TRxTimer& operator=(const TRxTimer&) = delete;

    [[nodiscard]] bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    [[nodiscard]] int Interval() const { return interval_; }
    void SetInterval(int interval);
    [[nodiscard]] bool Threaded() const { return threaded_; }
    // Throws std::runtime_error "Not enough timers available" when no timer can be had.
    void SetThreaded(bool threaded);
    [[nodiscard]] TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority priority);
    [[nodiscard]] const TTimerEvent& OnTimer() const { return onTimer_; }
    // Always holds and releases the worker, even for the handler already assigned.
    void SetOnTimer(TTimerEvent handler);

    // The tick: calls OnTimer with this timer as sender while Enabled and a handler is assigned.
    void DoTimer();

private:
    void UpdateTimer();

    bool enabled_ = true;
    int interval_ = 1000;
    TTimerEvent onTimer_;
    bool threaded_ = true;
    std::unique_ptr<TimerThread> worker_;
    TThreadPriority threadPriority_ = TThreadPriority::tpNormal;
};

} // namespace widgets
