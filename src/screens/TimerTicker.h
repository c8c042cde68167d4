// TimerTicker: a match's ticks from a screen's TzcTimer, the timer stopped and restarted whenever
// the match's interval changes.
#pragma once

#include "play/Match.h"
#include "widgets/Timer.h"

#include <chrono>
#include <functional>

class TimerTicker final : public play::Ticker
{
public:
    // The timer, stopped until the first Schedule, calls tick at every tick not made stale.
    TimerTicker(widgets::TzcTimer& timer, std::function<void()> tick);

    void Schedule(int intervalMs) override;

private:
    // A tick handed over before the last Schedule and arriving after it, which would cut the new
    // interval short (the end of a removal's 20 ms into the 200 ms wait).
    bool Stale() const;

    widgets::TzcTimer& timer_;
    std::chrono::steady_clock::time_point since_;
    int interval_ = 0;
};
