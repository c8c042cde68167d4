// The worker thread behind the timer components.
#include "widgets/TimerThread.h"

#include "ui/Dispatch.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <utility>

#include <sys/resource.h>
#include <unistd.h>

namespace widgets
{
namespace
{

using Clock = std::chrono::steady_clock;

// Linux gives each thread its own nice value. Going below the nice the process started with needs
// a privilege most users lack; the worker then keeps its level, which only costs punctuality.
void ApplyPriority(TThreadPriority priority)
{
    static constexpr std::array<int, 7> kNice = {19, 10, 5, 0, -5, -10, -20};
    const int nice = kNice.at(static_cast<std::size_t>(priority));
    static_cast<void>(setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice));
}

} // namespace

TimerThread::TimerThread(std::function<void()> tick, Handover handover)
    : tick_(std::move(tick)), handover_(handover), worker_([this] { Run(); })
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
    ui::Cancel(this);
    worker_.join();
}

void TimerThread::Update(bool ticking, int interval, TThreadPriority priority)
{
    {
        std::lock_guard lock(mutex_);
        ticking_ = ticking;
        interval_ = interval;
        priority_ = priority;
    }
    changed_.notify_all();
}

void TimerThread::Run()
{
    std::unique_lock lock(mutex_);
    TThreadPriority applied = TThreadPriority::tpNormal;
    std::optional<Clock::time_point> deadline;
    while (!stop_)
    {
        if (!ticking_)
        {
            // A wait cut short by stopping is over: started again, the timer waits a full
            // interval, not what was left of the old one.
            deadline.reset();
            changed_.wait(lock);
            continue;
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
            ui::Send([this] { Deliver(); }, this, lock);
        }
        else if (!posted_)
        {
            posted_ = ui::Post([this] { Deliver(); }, this);
        }
    }
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
