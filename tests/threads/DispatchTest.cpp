// The blocking hand-over of calls from worker threads to the main thread.
#include "ThreadTest.h"

#include "platform/Worker.h"

#include <stdexcept>

namespace
{

using namespace threadtest;

using DispatchTest = ThreadTest;

TEST_F(DispatchTest, SendOnTheMainThreadRunsAtOnce)
{
    bool ran = false;
    EXPECT_TRUE(platform::Send([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_THROW(platform::Send([] { throw std::runtime_error("inline"); }), std::runtime_error);
    EXPECT_TRUE(failures_.empty());
}

TEST_F(DispatchTest, SendFromAWorkerBlocksUntilTheMainThreadRanIt)
{
    std::atomic<bool> returned{false};
    std::atomic<bool> result{false};
    std::thread::id ranOn;
    std::thread worker(
        [&]
        {
            result = platform::Send([&] { ranOn = std::this_thread::get_id(); });
            returned = true;
        });
    ASSERT_TRUE(platform::WaitPending(kPatience));
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_FALSE(returned) << "the sender went on before its call ran";
    platform::RunPending();
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(DispatchTest, WaitPendingTimesOutWhenNothingIsQueued)
{
    const auto start = Clock::now();
    EXPECT_FALSE(platform::WaitPending(milliseconds(30)));
    EXPECT_GE(Clock::now() - start, milliseconds(30));
}

TEST_F(DispatchTest, RunPendingRunsInOrderOnlyWhatWasQueuedBefore)
{
    std::string trace;
    platform::Post([&] { trace += 'a'; });
    platform::Post(
        [&]
        {
            trace += 'b';
            platform::Post([&] { trace += 'd'; });
        });
    platform::Post([&] { trace += 'c'; });
    platform::RunPending();
    EXPECT_EQ(trace, "abc");
    platform::RunPending();
    EXPECT_EQ(trace, "abcd");
}

// A call that ends the loop is the last its turn runs: the rest stay queued, for a later turn
// or to be dropped with the loop.
TEST_F(DispatchTest, RunPendingStopsAfterTheCallThatEndsTheLoop)
{
    std::string trace;
    bool ended = false;
    platform::Post(
        [&]
        {
            trace += 'a';
            ended = true;
        });
    platform::Post([&] { trace += 'b'; });
    platform::RunPending(&ended);
    EXPECT_EQ(trace, "a");
    ended = false;
    platform::RunPending(&ended);
    EXPECT_EQ(trace, "ab");
}

TEST_F(DispatchTest, WakeupRunsOnTheQueuingThreadForEachCall)
{
    std::atomic<int> wakes{0};
    std::atomic<bool> wokeOnMain{false};
    platform::SetWakeup(
        [&]
        {
            ++wakes;
            if (platform::IsMainThread())
            {
                wokeOnMain = true;
            }
        });
    std::atomic<bool> done{false};
    std::thread worker(
        [&]
        {
            platform::Send([] {});
            platform::Send([] {});
            done = true;
        });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(wakes, 2);
    EXPECT_FALSE(wokeOnMain);
    platform::Post([] {});
    EXPECT_EQ(wakes, 3);
    platform::RunPending();
}

TEST_F(DispatchTest, AThrowingCallIsReportedAfterItsSenderWasReleased)
{
    std::atomic<bool> returned{false};
    std::atomic<bool> result{false};
    bool senderFreeAtReport = false;
    platform::SetExceptionHandler(
        [&](const std::exception_ptr& e)
        {
            failures_.push_back(e);
            // A report may be a modal box; the worker must not be stuck behind it.
            senderFreeAtReport = WaitUntil([&] { return returned.load(); });
        });
    std::thread worker(
        [&]
        {
            result = platform::Send([] { throw std::runtime_error("handler failed"); });
            returned = true;
        });
    ASSERT_TRUE(PumpUntil([&] { return !failures_.empty(); }));
    worker.join();
    EXPECT_TRUE(senderFreeAtReport);
    EXPECT_TRUE(result) << "the call did run, up to its exception";
    ASSERT_EQ(failures_.size(), 1u);
    EXPECT_EQ(Message(failures_[0]), "handler failed");

    bool later = false;
    platform::Post([&] { later = true; });
    platform::RunPending();
    EXPECT_TRUE(later);
}

TEST_F(DispatchTest, CancelReleasesOnlyThatOwnersSenders)
{
    auto& wakes = CountWakeups();
    const int ownerA = 0;
    const int ownerB = 0;
    std::atomic<int> ranA{0};
    std::atomic<int> ranB{0};
    bool resultA = true;
    bool resultB = false;
    std::thread a([&] { resultA = platform::Send([&] { ++ranA; }, &ownerA); });
    std::thread b([&] { resultB = platform::Send([&] { ++ranB; }, &ownerB); });
    ASSERT_TRUE(WaitUntil([&] { return wakes == 2; }));
    platform::Cancel(&ownerA);
    a.join(); // returns without the main thread running anything
    EXPECT_FALSE(resultA);
    platform::RunPending();
    b.join();
    EXPECT_TRUE(resultB);
    EXPECT_EQ(ranA, 0);
    EXPECT_EQ(ranB, 1);
}

TEST_F(DispatchTest, ShutdownReleasesWaitersAndRefusesLaterCalls)
{
    auto& wakes = CountWakeups();
    std::atomic<bool> ran{false};
    bool result = true;
    std::thread blocked([&] { result = platform::Send([&] { ran = true; }); });
    ASSERT_TRUE(WaitUntil([&] { return wakes == 1; }));
    {
        Watchdog watchdog("a sender stayed blocked after Shutdown");
        platform::Shutdown();
        blocked.join();
    }
    EXPECT_FALSE(result);
    platform::RunPending();
    EXPECT_FALSE(ran);

    bool late = true;
    std::thread after([&] { late = platform::Send([&] { ran = true; }); });
    after.join();
    EXPECT_FALSE(late);
    EXPECT_FALSE(platform::Post([&] { ran = true; }));
    EXPECT_FALSE(platform::Send([&] { ran = true; }));
    platform::RunPending();
    EXPECT_FALSE(ran);

    platform::Restart();
    bool again = false;
    std::thread restarted([&] { again = platform::Send([] {}); });
    ASSERT_TRUE(PumpUntil([&] { return wakes == 2; }));
    platform::RunPending();
    restarted.join();
    EXPECT_TRUE(again);
}

// A job stuck in a call it cannot leave (a sound bank read at idle priority on a busy machine) must
// not hold its owner, nor the program's exit; once let go it hands nothing over. A job that checks
// its token is waited for, and what it handed over arrives.
TEST_F(DispatchTest, AWorkerStuckInACallIsLetGoAndHandsNothingOver)
{
    std::mutex gate;
    std::condition_variable opened;
    bool open = false;
    std::atomic<bool> started{false};
    std::atomic<int> handedOver{0};
    std::atomic<int> refused{0};
    auto stuck = [&](std::stop_token, const platform::Worker::HandOver& handOver)
    {
        started = true;
        std::unique_lock lock(gate);
        opened.wait(lock, [&] { return open; });
        lock.unlock();
        if (!handOver([&] { ++handedOver; }))
            ++refused;
    };
    {
        platform::Worker worker;
        worker.Start(stuck);
        ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
        Watchdog watchdog("stopping waited for a job that never checks its token");
        worker.Stop();
        EXPECT_FALSE(worker.Running());
    }
    {
        std::lock_guard lock(gate);
        open = true;
    }
    opened.notify_all();
    ASSERT_TRUE(WaitUntil([&] { return refused == 1; }));
    EXPECT_EQ(handedOver, 0);

    platform::Worker worker;
    bool ran = false;
    worker.Start(
        [&](std::stop_token stop, const platform::Worker::HandOver& handOver)
        {
            while (!stop.stop_requested())
                std::this_thread::sleep_for(milliseconds(1));
            handOver([&] { platform::Post([&] { ran = true; }); });
        });
    worker.Stop(kPatience);
    platform::RunPending();
    EXPECT_TRUE(ran) << "a job that stopped in time was let go";

    worker.Start([](std::stop_token, const platform::Worker::HandOver&)
                 { throw std::runtime_error("render"); });
    worker.Wait();
    ASSERT_TRUE(PumpUntil([&] { return failures_.size() == 1; }));
}

} // namespace
