// TRxTimer: the threaded mode it shares with TzcTimer and its unthreaded mode.
#include "ThreadTest.h"

#include "widgets/AnimationTimer.h"
#include "widgets/Timer.h"

namespace
{

using namespace threadtest;
using widgets::TRxTimer;
using widgets::TThreadPriority;
using widgets::TzcTimer;

using RxTimerTest = ThreadTest;

TEST_F(RxTimerTest, TickMethodRunsTheHandlerOnlyWhileEnabled)
{
    TRxTimer rx;
    EXPECT_TRUE(rx.Enabled());
    EXPECT_EQ(rx.Interval(), 1000);
    EXPECT_TRUE(rx.Threaded());
    EXPECT_EQ(rx.ThreadPriority(), TThreadPriority::tpNormal);

    int rxCalls = 0;
    rx.SetInterval(0);
    rx.SetOnTimer([&](TRxTimer&) { ++rxCalls; });
    rx.SetEnabled(false);
    rx.DoTimer();
    EXPECT_EQ(rxCalls, 0);
    rx.SetEnabled(true);
    rx.DoTimer();
    EXPECT_EQ(rxCalls, 1);

    // TzcTimer's tick method does not look at Enabled.
    int zcCalls = 0;
    TzcTimer zc;
    zc.SetInterval(0);
    zc.SetOnTimer([&](TzcTimer&) { ++zcCalls; });
    zc.SetEnabled(false);
    zc.DoTimer();
    EXPECT_EQ(zcCalls, 1);
}

TEST_F(RxTimerTest, ThreadedTicksKeepAFixedDelayAndStopOnDisable)
{
    TickLog log;
    TRxTimer timer;
    timer.SetInterval(15);
    timer.SetOnTimer(
        [&](TRxTimer&)
        {
            log.starts.push_back(Clock::now());
            std::this_thread::sleep_for(milliseconds(30));
            log.ends.push_back(Clock::now());
        });
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 5; }));
    for (std::size_t i = 1; i < log.Count(); ++i)
    {
        EXPECT_GE(log.GapBefore(i).count(), 15) << "tick " << i;
    }

    ASSERT_TRUE(platform::WaitPending(kPatience));
    timer.SetEnabled(false);
    const std::size_t stoppedAt = log.Count();
    PumpFor(milliseconds(60));
    EXPECT_EQ(log.Count(), stoppedAt);
}

TEST_F(RxTimerTest, UnthreadedTicksDoNotPileUpWhileTheLoopIsBusy)
{
    int calls = 0;
    TRxTimer timer;
    timer.SetThreaded(false);
    timer.SetInterval(5);
    timer.SetOnTimer([&](TRxTimer&) { ++calls; });

    ASSERT_TRUE(platform::WaitPending(kPatience));
    std::this_thread::sleep_for(milliseconds(100)); // some twenty intervals without a pump
    platform::RunPending();
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(PumpUntil([&] { return calls >= 4; }));

    ASSERT_TRUE(platform::WaitPending(kPatience));
    timer.SetEnabled(false);
    const int stoppedAt = calls;
    PumpFor(milliseconds(60));
    EXPECT_EQ(calls, stoppedAt);

    timer.SetThreaded(true);
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return calls >= stoppedAt + 2; }));
}

TEST_F(RxTimerTest, UnthreadedHandlerFailureGoesToTheExceptionReport)
{
    TRxTimer timer;
    timer.SetThreaded(false);
    timer.SetInterval(5);
    timer.SetOnTimer(
        [](TRxTimer& sender)
        {
            sender.SetEnabled(false);
            throw std::runtime_error("step failed");
        });
    ASSERT_TRUE(PumpUntil([&] { return !failures_.empty(); }));
    EXPECT_EQ(Message(failures_[0]), "step failed");
    PumpFor(milliseconds(40));
    EXPECT_EQ(failures_.size(), 1u);
}

} // namespace
