// Helpers for the tests that run real worker threads against the main-thread hand-over.
#pragma once

#include "platform/Dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace threadtest
{

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Generous: a shared 2-core machine can stall a thread for a long time.
constexpr milliseconds kPatience{10000};

// The test body's thread is the main thread; this pumps handed-over calls like the message loop.
inline bool PumpUntil(const std::function<bool()>& done, milliseconds limit = kPatience)
{
    const auto end = Clock::now() + limit;
    while (!done())
    {
        const auto now = Clock::now();
        if (now >= end)
        {
            return false;
        }
        const auto left = std::chrono::duration_cast<milliseconds>(end - now);
        if (platform::WaitPending(std::min(left, milliseconds(10))))
        {
            platform::RunPending();
        }
    }
    return true;
}

inline void PumpFor(milliseconds span)
{
    PumpUntil([] { return false; }, span);
}

// Waits without pumping until `done` holds; for states reached by worker threads alone.
inline bool WaitUntil(const std::function<bool()>& done, milliseconds limit = kPatience)
{
    const auto end = Clock::now() + limit;
    while (!done())
    {
        if (Clock::now() >= end)
        {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
}

// Turns a deadlock into a failed run instead of a hung one.
class Watchdog final
{
public:
    explicit Watchdog(const char* what, milliseconds limit = std::chrono::seconds(30))
        : thread_(
              [this, what, limit]
              {
                  std::unique_lock lock(mutex_);
                  if (!cv_.wait_for(lock, limit, [this] { return disarmed_; }))
                  {
                      std::fprintf(stderr, "Deadlock: %s\n", what);
                      std::abort();
                  }
              })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            disarmed_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool disarmed_ = false;
    std::thread thread_;
};

// Makes the test's thread the main thread and records what handed-over calls throw; restores the
// dispatcher's defaults afterwards.
class ThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::SetMainThread();
        platform::Restart();
        platform::SetExceptionHandler([this](const std::exception_ptr& e)
                                      { failures_.push_back(e); });
    }

    void TearDown() override
    {
        platform::RunPending();
        platform::SetWakeup(nullptr);
        platform::SetExceptionHandler(nullptr);
        platform::Restart();
    }

    static std::string Message(const std::exception_ptr& e)
    {
        try
        {
            std::rethrow_exception(e);
        }
        catch (const std::exception& ex)
        {
            return ex.what();
        }
        catch (...)
        {
            return "?";
        }
    }

    // Counts the calls queued from now on (each queuing wakes the main loop once).
    std::atomic<int>& CountWakeups()
    {
        wakeups_ = 0;
        platform::SetWakeup([this] { ++wakeups_; });
        return wakeups_;
    }

    std::vector<std::exception_ptr> failures_;
    std::atomic<int> wakeups_{0};
};

// Start and end of each handler call, taken on the main thread.
struct TickLog
{
    std::vector<Clock::time_point> starts;
    std::vector<Clock::time_point> ends;
    std::vector<std::thread::id> threads;

    [[nodiscard]] std::size_t Count() const { return starts.size(); }

    // Time from the end of call i - 1 to the start of call i.
    [[nodiscard]] milliseconds GapBefore(std::size_t i) const
    {
        return std::chrono::duration_cast<milliseconds>(starts[i] - ends[i - 1]);
    }
};

} // namespace threadtest
