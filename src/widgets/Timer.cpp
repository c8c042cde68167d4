// TzcTimer: calls its handler on the main thread at a fixed delay measured by a worker thread.
#include "widgets/Timer.h"

#include <utility>

namespace widgets
{

TzcTimer::TzcTimer() : worker_([this] { DoTimer(); })
{
    UpdateTimer();
}

TzcTimer::~TzcTimer()
{
    enabled_ = false;
    UpdateTimer();
}

void TzcTimer::SetPriority(TThreadPriority priority)
{
    if (priority == priority_)
    {
        return;
    }
    priority_ = priority;
    UpdateTimer();
}

void TzcTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
    {
        return;
    }
    enabled_ = enabled;
    UpdateTimer();
}

void TzcTimer::SetInterval(int interval)
{
    if (interval == interval_)
    {
        return;
    }
    interval_ = interval;
    UpdateTimer();
}

void TzcTimer::SetOnTimer(TTimerEvent handler)
{
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TzcTimer::DoTimer()
{
    if (onTimer_)
    {
        // A copy, so that a handler that replaces or clears OnTimer does not destroy itself.
        const TTimerEvent handler = onTimer_;
        handler(*this);
    }
}

void TzcTimer::UpdateTimer()
{
    worker_.Update(enabled_ && interval_ > 0 && onTimer_ != nullptr, interval_, priority_);
}

} // namespace widgets
