// The worker thread behind the timer components.
#include "widgets/TimerThread.h"

#include "platform/Dispatch.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace widgets
{
namespace
{

using Clock = std::chrono::steady_clock;

// Linux gives each thread its own nice value. Going below the nice the process started with needs
// a privilege most users lack; the worker then keeps its level, which only costs punctuality.
void ApplyPriority(TThreadPriority priority)
{
#ifdef _WIN32
    // Windows has the same seven levels, from idle to time-critical.
    static constexpr std::array<int, 7> kLevels = {
        THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
        THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
        THREAD_PRIORITY_TIME_CRITICAL};
    static_cast<void>(
        ::SetThreadPriority(::GetCurrentThread(), kLevels.at(static_cast<std::size_t>(priority))));
#else
    static constexpr std::array<int, 7> kNice = {19, 10, 5, 0, -5, -10, -20};
    const int nice = kNice.at(static_cast<std::size_t>(priority));
    static_cast<void>(setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice));
#endif
}

} // namespace

TimerThread::TimerThread(std::function<void()> tick, Handover handover)
    : tick_(std::move(tick)), handover_(handover)
{
}

TimerThread::~TimerThread()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        ticking_ = false;
    }
    changed_.notify_all();
    // The worker queues a tick only while holding mutex_ and seeing stop_ false, so nothing new
    // can be queued from here on; dropping what is queued frees a worker blocked in Send.
    platform::Cancel(this);
    if (worker_.joinable())
        worker_.join();
}

void TimerThread::Update(bool ticking, int interval, TThreadPriority priority)
{
    bool start = false;
    {
        std::lock_guard lock(mutex_);
        if (ticking && !ticking_)
            ++restarts_;
        ticking_ = ticking;
        interval_ = interval;
        priority_ = priority;
        start = ticking && !running_ && !stop_;
        running_ = running_ || start;
    }
    if (!start)
    {
        changed_.notify_all();
        return;
    }
    // A worker that has seen the timer stop leaves without waiting for anything, so the join is
    // short; an idle timer thus keeps no thread that the system must schedule.
    if (worker_.joinable())
        worker_.join();
    worker_ = std::thread([this] { Run(); });
}

void TimerThread::Run()
{
    std::unique_lock lock(mutex_);
    TThreadPriority applied = TThreadPriority::tpNormal;
    std::optional<Clock::time_point> deadline;
    std::uint64_t restarts = restarts_;
    while (!stop_ && ticking_)
    {
        if (restarts != restarts_)
        {
            // Stopped and started again while this wait was under way: the timer waits a full
            // interval, not what was left of the old one.
            restarts = restarts_;
            deadline.reset();
        }
        if (priority_ != applied)
        {
            applied = priority_;
            ApplyPriority(applied);
        }
        if (!deadline)
        {
            deadline = Clock::now() + std::chrono::milliseconds(interval_);
        }
        if (Clock::now() < *deadline)
        {
            // Woken early by a change: every condition is checked again, the deadline kept.
            changed_.wait_until(lock, *deadline);
            continue;
        }
        deadline.reset();
        if (handover_ == Handover::Blocking)
        {
            platform::Send([this] { Deliver(); }, this, lock);
        }
        else if (!posted_)
        {
            posted_ = platform::Post([this] { Deliver(); }, this);
        }
    }
    running_ = false;
}

void TimerThread::Deliver()
{
    {
        std::lock_guard lock(mutex_);
        posted_ = false;
        if (!ticking_ || stop_)
        {
            return;
        }
    }
    tick_();
}

} // namespace widgets
