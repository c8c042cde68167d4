// Timer punctuality: how late each tick starts against the end of the previous handler plus the
// interval, with an empty handler and the main thread doing nothing else.
#include "platform/Dispatch.h"
#include "widgets/Timer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
using widgets::TThreadPriority;
using widgets::TzcTimer;

constexpr int kTicks = 1000;

struct Figures
{
    double median;
    double p99;
    double max;
};

// Microseconds; the list is sorted in place.
Figures Summarise(std::vector<double>& lateness)
{
    std::sort(lateness.begin(), lateness.end());
    const auto at = [&](double share)
    {
        return lateness[static_cast<std::size_t>(share * static_cast<double>(lateness.size() - 1))];
    };
    return {at(0.5), at(0.99), lateness.back()};
}

Figures Measure(int interval, TThreadPriority priority)
{
    std::vector<double> lateness;
    lateness.reserve(kTicks);
    Clock::time_point lastEnd;
    bool first = true;
    const auto period = std::chrono::milliseconds(interval);

    TzcTimer timer;
    timer.SetPriority(priority);
    timer.SetInterval(interval);
    timer.SetOnTimer(
        [&](TzcTimer& sender)
        {
            const auto start = Clock::now();
            if (!first)
            {
                lateness.push_back(
                    std::chrono::duration<double, std::micro>(start - lastEnd - period).count());
            }
            first = false;
            if (static_cast<int>(lateness.size()) == kTicks)
            {
                sender.SetEnabled(false);
            }
            lastEnd = Clock::now();
        });
    while (static_cast<int>(lateness.size()) < kTicks)
    {
        if (platform::WaitPending(std::chrono::milliseconds(100)))
        {
            platform::RunPending();
        }
    }
    return Summarise(lateness);
}

const char* Name(TThreadPriority priority)
{
    return priority == TThreadPriority::tpHigher ? "tpHigher" : "tpNormal";
}

} // namespace

int main()
{
    platform::SetMainThread();
    std::printf("%d ticks each; lateness = tick start - (previous handler end + Interval), in us\n",
                kTicks);
    for (const int interval : {20, 1})
    {
        for (const auto priority : {TThreadPriority::tpNormal, TThreadPriority::tpHigher})
        {
            const Figures f = Measure(interval, priority);
            std::printf("Interval %2d ms %-8s  median %8.1f  p99 %8.1f  max %8.1f\n", interval,
                        Name(priority), f.median, f.p99, f.max);
            std::fflush(stdout);
        }
    }
    return 0;
}
