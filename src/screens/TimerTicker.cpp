// TimerTicker: the match's intervals given to the timer, and stale ticks dropped.
#include "screens/TimerTicker.h"

TimerTicker::TimerTicker(widgets::TzcTimer& timer, std::function<void()> tick) : timer_(timer)
{
    // Stopped before the handler is given: nothing ticks until the match schedules it.
    timer_.SetEnabled(false);
    timer_.SetOnTimer(
        [this, tick = std::move(tick)](widgets::TzcTimer&)
        {
            if (!Stale())
                tick();
        });
}

void TimerTicker::Schedule(int intervalMs)
{
    // Stopped first, so that the first tick waits the whole new interval.
    timer_.SetEnabled(false);
    if (intervalMs > 0)
        timer_.SetInterval(intervalMs);
    timer_.SetEnabled(intervalMs > 0);
    since_ = std::chrono::steady_clock::now();
    interval_ = intervalMs;
}

bool TimerTicker::Stale() const
{
    return std::chrono::steady_clock::now() - since_ < std::chrono::milliseconds(interval_) / 2;
}
