// TzcTimer with its real worker thread: fixed delay, holding, dropping and destruction.
#include "ThreadTest.h"

#include "widgets/Timer.h"

#include <dirent.h>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace
{

using namespace threadtest;
using widgets::TThreadPriority;
using widgets::TzcTimer;

using TzcTimerTest = ThreadTest;

TzcTimer::TTimerEvent Logging(TickLog& log, milliseconds busy = milliseconds(0))
{
    return [&log, busy](TzcTimer&)
    {
        log.starts.push_back(Clock::now());
        log.threads.push_back(std::this_thread::get_id());
        if (busy.count() > 0)
        {
            std::this_thread::sleep_for(busy);
        }
        log.ends.push_back(Clock::now());
    };
}

TEST_F(TzcTimerTest, TicksOnlyWhileEnabledWithAPositiveIntervalAndAHandler)
{
    TzcTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.Priority(), TThreadPriority::tpNormal);

    int calls = 0;
    const auto count = [&](TzcTimer&)
    {
        ++calls;
    };
    timer.SetInterval(0);
    timer.SetOnTimer(count);
    PumpFor(milliseconds(150));
    EXPECT_EQ(calls, 0) << "Interval 0";

    timer.SetInterval(-5);
    PumpFor(milliseconds(100));
    EXPECT_EQ(calls, 0) << "negative Interval";

    timer.SetInterval(10);
    timer.SetEnabled(false);
    PumpFor(milliseconds(100));
    EXPECT_EQ(calls, 0) << "disabled";

    timer.SetOnTimer(nullptr);
    timer.SetEnabled(true);
    PumpFor(milliseconds(100));
    EXPECT_EQ(calls, 0) << "no handler";

    timer.SetOnTimer(count);
    EXPECT_TRUE(PumpUntil([&] { return calls >= 3; }));
}

TEST_F(TzcTimerTest, NextTickWaitsAFullIntervalAfterASlowHandlerReturns)
{
    TickLog log;
    TzcTimer timer;
    timer.SetInterval(20);
    timer.SetOnTimer(Logging(log, milliseconds(45)));
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 6; }));
    timer.SetEnabled(false);

    for (std::size_t i = 1; i < log.Count(); ++i)
    {
        // A fixed rate, or ticks piled up while the handler slept, would give gaps under 20 ms.
        EXPECT_GE(log.GapBefore(i).count(), 20) << "tick " << i;
    }
    for (const auto id : log.threads)
    {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

TEST_F(TzcTimerTest, RepeatedEnableAndSameHandlerKeepOneTickStream)
{
    TickLog log;
    TzcTimer timer;
    timer.SetInterval(15);
    const auto handler = Logging(log);
    timer.SetOnTimer(handler);
    ASSERT_TRUE(PumpUntil(
        [&]
        {
            timer.SetEnabled(true);
            timer.SetOnTimer(handler);
            return log.Count() >= 8;
        }));
    for (std::size_t i = 1; i < log.Count(); ++i)
    {
        EXPECT_GE(log.GapBefore(i).count(), 15) << "tick " << i;
    }
}

TEST_F(TzcTimerTest, HandlerThatDisablesItsTimerGetsNoFurtherCallUntilReenabled)
{
    TickLog log;
    TzcTimer timer;
    timer.SetInterval(30);
    const auto logging = Logging(log);
    timer.SetOnTimer(
        [&](TzcTimer& sender)
        {
            logging(sender);
            sender.SetEnabled(false);
        });
    ASSERT_TRUE(PumpUntil([&] { return log.Count() == 1; }));
    PumpFor(milliseconds(200));
    EXPECT_EQ(log.Count(), 1u);
    EXPECT_FALSE(timer.Enabled());

    const auto resumed = Clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() == 2; }));
    EXPECT_GE(log.starts[1] - resumed, milliseconds(30));
}

TEST_F(TzcTimerTest, StoppedInTheMiddleOfAWaitAndStartedAgainWaitsAFullInterval)
{
    TickLog log;
    TzcTimer timer;
    timer.SetInterval(100);
    timer.SetOnTimer(Logging(log));
    // Stopped half-way through its first wait, and started again once that tick's time is past:
    // as a spin button held, let go and pressed again.
    PumpFor(milliseconds(50));
    timer.SetEnabled(false);
    PumpFor(milliseconds(200));
    ASSERT_EQ(log.Count(), 0u);

    const auto restarted = Clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return log.Count() == 1; }));
    EXPECT_GE(log.starts[0] - restarted, milliseconds(100));
}

TEST_F(TzcTimerTest, TickHandedOverBeforeTheTimerStoppedIsDropped)
{
    int calls = 0;
    TzcTimer timer;
    timer.SetInterval(10);
    timer.SetOnTimer([&](TzcTimer&) { ++calls; });

    ASSERT_TRUE(platform::WaitPending(kPatience)) << "the worker should have handed a tick over";
    timer.SetEnabled(false);
    platform::RunPending();
    EXPECT_EQ(calls, 0);
    PumpFor(milliseconds(60));
    EXPECT_EQ(calls, 0);

    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));

    ASSERT_TRUE(platform::WaitPending(kPatience));
    timer.SetInterval(0);
    platform::RunPending();
    EXPECT_EQ(calls, 1) << "Interval 0 stops the timer as Enabled false does";
    timer.SetInterval(10);
    EXPECT_TRUE(PumpUntil([&] { return calls == 2; }));
}

TEST_F(TzcTimerTest, TimerStoppedByAnotherTimersHandlerLosesItsQueuedTick)
{
    auto& wakes = CountWakeups();
    int aCalls = 0;
    int bCalls = 0;
    TzcTimer a;
    TzcTimer b;
    a.SetInterval(10);
    b.SetInterval(10);
    a.SetOnTimer(
        [&](TzcTimer&)
        {
            ++aCalls;
            b.SetEnabled(false);
        });
    b.SetOnTimer(
        [&](TzcTimer&)
        {
            ++bCalls;
            a.SetEnabled(false);
        });
    // Each worker blocks after queuing one tick, so two wake-ups mean both ticks are queued.
    ASSERT_TRUE(WaitUntil([&] { return wakes == 2; }));
    platform::RunPending();
    ASSERT_EQ(aCalls + bCalls, 1);
    const bool aWon = aCalls == 1;
    ASSERT_TRUE(PumpUntil([&] { return aCalls + bCalls >= 3; }));
    EXPECT_EQ(aWon ? bCalls : aCalls, 0) << "the stopped timer ran";
}

TEST_F(TzcTimerTest, IntervalChangedInsideAHandlerAppliesToTheNextWait)
{
    TickLog log;
    TzcTimer timer;
    timer.SetInterval(20);
    const auto logging = Logging(log);
    timer.SetOnTimer(
        [&](TzcTimer& sender)
        {
            logging(sender);
            if (log.Count() == 3)
            {
                sender.SetInterval(55);
            }
        });
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 6; }));
    timer.SetEnabled(false);
    for (std::size_t i = 3; i < log.Count(); ++i)
    {
        EXPECT_GE(log.GapBefore(i).count(), 55) << "tick " << i;
    }
}

TEST_F(TzcTimerTest, IntervalChangedBetweenTicksLeavesAtMostOneTickAtTheOldDelay)
{
    TickLog log;
    TzcTimer timer;
    timer.SetInterval(20);
    timer.SetOnTimer(Logging(log));
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 3; }));
    timer.SetInterval(55);
    const std::size_t changedAt = log.Count();
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= changedAt + 4; }));
    timer.SetEnabled(false);
    for (std::size_t i = changedAt + 1; i < log.Count(); ++i)
    {
        EXPECT_GE(log.GapBefore(i).count(), 55) << "tick " << i;
    }
}

TEST_F(TzcTimerTest, DestroyingATimerWhoseTickIsQueuedNeitherHangsNorRunsIt)
{
    int calls = 0;
    auto timer = std::make_unique<TzcTimer>();
    timer->SetInterval(5);
    timer->SetOnTimer([&](TzcTimer&) { ++calls; });
    ASSERT_TRUE(platform::WaitPending(kPatience));
    {
        Watchdog watchdog("timer destruction with its worker blocked in Send");
        timer.reset();
    }
    platform::RunPending();
    PumpFor(milliseconds(50));
    EXPECT_EQ(calls, 0);
}

TEST_F(TzcTimerTest, DestroyingATimerInTheMiddleOfALongWaitIsPrompt)
{
    auto timer = std::make_unique<TzcTimer>();
    timer->SetInterval(60000);
    timer->SetOnTimer([](TzcTimer&) {});
    std::this_thread::sleep_for(milliseconds(20));
    const auto start = Clock::now();
    timer.reset();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_F(TzcTimerTest, TimersDestroyingEachOtherFromTheirHandlers)
{
    auto& wakes = CountWakeups();
    int calls = 0;
    auto a = std::make_unique<TzcTimer>();
    auto b = std::make_unique<TzcTimer>();
    a->SetInterval(10);
    b->SetInterval(10);
    a->SetOnTimer(
        [&](TzcTimer&)
        {
            ++calls;
            b.reset();
        });
    b->SetOnTimer(
        [&](TzcTimer&)
        {
            ++calls;
            a.reset();
        });
    ASSERT_TRUE(WaitUntil([&] { return wakes == 2; }));
    {
        Watchdog watchdog("a handler destroying another timer whose tick is queued");
        platform::RunPending();
    }
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE((a == nullptr) != (b == nullptr));
    // The survivor goes on ticking.
    EXPECT_TRUE(PumpUntil([&] { return calls >= 2; }));
}

// The nice values of this process's threads, from /proc.
std::vector<int> ThreadNiceValues()
{
    std::vector<int> values;
    DIR* dir = opendir("/proc/self/task");
    if (dir == nullptr)
    {
        return values;
    }
    while (const dirent* entry = readdir(dir))
    {
        if (entry->d_name[0] == '.')
        {
            continue;
        }
        std::ifstream file(std::string("/proc/self/task/") + entry->d_name + "/stat");
        std::string stat((std::istreambuf_iterator<char>(file)), {});
        const auto paren = stat.rfind(')');
        if (paren == std::string::npos)
        {
            continue;
        }
        // After the command name: field 3 (state) onwards; the nice value is field 19.
        std::istringstream rest(stat.substr(paren + 1));
        std::string field;
        for (int i = 3; i <= 19 && rest >> field; ++i)
        {
        }
        values.push_back(std::stoi(field));
    }
    closedir(dir);
    return values;
}

TEST_F(TzcTimerTest, PriorityIsAppliedToTheWorkerAlone)
{
    const int mainNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (mainNice >= 19)
    {
        GTEST_SKIP() << "already at the lowest priority";
    }
    int calls = 0;
    TzcTimer idle;
    idle.SetPriority(TThreadPriority::tpIdle);
    idle.SetInterval(5);
    idle.SetOnTimer([&](TzcTimer&) { ++calls; });
    ASSERT_TRUE(PumpUntil([&] { return calls >= 1; }));
    const auto values = ThreadNiceValues();
    EXPECT_NE(std::find(values.begin(), values.end(), 19), values.end());
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), mainNice);

    // Raising may not be permitted here; it must not stop the ticks.
    TzcTimer high;
    int highCalls = 0;
    high.SetPriority(TThreadPriority::tpHigher);
    high.SetInterval(5);
    high.SetOnTimer([&](TzcTimer&) { ++highCalls; });
    EXPECT_TRUE(PumpUntil([&] { return highCalls >= 3; }));
}

TEST_F(TzcTimerTest, ATimerHasAThreadOnlyWhileItTicks)
{
    const auto threads = []
    {
        return ThreadNiceValues().size();
    };
    // ThreadSanitizer starts a thread of its own with the process's first new thread: it is
    // there before counting starts.
    std::thread([] {}).join();
    const std::size_t before = threads();
    std::vector<std::unique_ptr<TzcTimer>> timers;
    for (int i = 0; i < 6; ++i)
    {
        timers.push_back(std::make_unique<TzcTimer>());
        timers.back()->SetEnabled(false);
        timers.back()->SetInterval(5);
        timers.back()->SetOnTimer([](TzcTimer&) {});
    }
    EXPECT_EQ(threads(), before) << "six stopped timers";

    int calls = 0;
    timers[0]->SetOnTimer([&](TzcTimer&) { ++calls; });
    timers[0]->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return calls >= 2; }));
    EXPECT_EQ(threads(), before + 1);
    timers[0]->SetEnabled(false);
    EXPECT_TRUE(WaitUntil([&] { return threads() == before; })) << "its worker stays after a stop";

    // Started again it ticks as before.
    timers[0]->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return calls >= 4; }));
}

} // namespace
