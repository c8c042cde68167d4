// TRxTimer: the animation timer; like TzcTimer, and able to tick without a blocking worker.
#include "widgets/AnimationTimer.h"

#include <stdexcept>
#include <system_error>
#include <utility>

namespace widgets
{

TRxTimer::TRxTimer()
{
    UpdateTimer();
}

TRxTimer::~TRxTimer()
{
    // Stopped before the handler it calls goes.
    worker_.reset();
}

void TRxTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
    {
        return;
    }
    enabled_ = enabled;
    UpdateTimer();
}

void TRxTimer::SetInterval(int interval)
{
    if (interval == interval_)
    {
        return;
    }
    interval_ = interval;
    UpdateTimer();
}

void TRxTimer::SetThreaded(bool threaded)
{
    if (threaded == threaded_)
    {
        return;
    }
    threaded_ = threaded;
    worker_.reset();
    UpdateTimer();
}

void TRxTimer::SetThreadPriority(TThreadPriority priority)
{
    if (priority == threadPriority_)
    {
        return;
    }
    threadPriority_ = priority;
    if (threaded_)
    {
        UpdateTimer();
    }
}

void TRxTimer::SetOnTimer(TTimerEvent handler)
{
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TRxTimer::DoTimer()
{
    if (enabled_ && onTimer_)
    {
        // A copy, so that a handler that replaces or clears OnTimer does not destroy itself.
        const TTimerEvent handler = onTimer_;
        handler(*this);
    }
}

void TRxTimer::UpdateTimer()
{
    if (!worker_)
    {
        const auto handover =
            threaded_ ? TimerThread::Handover::Blocking : TimerThread::Handover::Posting;
        try
        {
            worker_ = std::make_unique<TimerThread>([this] { DoTimer(); }, handover);
        }
        catch (const std::system_error&)
        {
            if (threaded_)
            {
                throw;
            }
            throw std::runtime_error("Not enough timers available");
        }
    }
    const bool ticking = enabled_ && interval_ > 0 && onTimer_ != nullptr;
    worker_->Update(ticking, interval_, threaded_ ? threadPriority_ : TThreadPriority::tpNormal);
}

} // namespace widgets
