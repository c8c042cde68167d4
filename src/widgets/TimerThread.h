// The worker thread behind the timer components: it waits out an interval, then hands a tick to
// the main thread. The thread exists only while the timer ticks.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace widgets
{

// Scheduling priority of a timer's worker, lowest first.
enum class TThreadPriority
{
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

class TimerThread final
{
public:
    enum class Handover
    {
        Blocking, // wait until the tick has run; the next wait starts after it (fixed delay)
        Posting   // queue the tick and go on waiting; a tick still queued absorbs the next ones
    };

    // No thread runs until Update lets the timer tick. `tick` runs on the main thread.
    explicit TimerThread(std::function<void()> tick, Handover handover = Handover::Blocking);
    // Main thread. No tick starts once this has begun, and it does not wait for the main thread,
    // so it must not run inside this worker's own tick.
    ~TimerThread();
    TimerThread(const TimerThread&) = delete;
    TimerThread& operator=(const TimerThread&) = delete;

    // Main thread. While not `ticking` no tick starts and the worker ends; a tick already queued
    // is dropped when it comes up. `interval` (ms) is read at each new wait.
    void Update(bool ticking, int interval, TThreadPriority priority);

private:
    void Run();
    void Deliver();

    std::function<void()> tick_;
    Handover handover_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool ticking_ = false;
    int interval_ = 0;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    bool stop_ = false;
    bool posted_ = false;
    bool running_ = false;       // the worker has not yet left Run
    std::uint64_t restarts_ = 0; // counts each start after a stop
    std::thread worker_;
};

} // namespace widgets
