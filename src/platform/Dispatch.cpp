// Hand-over of calls from worker threads to the one user-interface thread.
#include "platform/Dispatch.h"

#include "platform/Diagnostics.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace platform
{
namespace
{

enum class Outcome
{
    Waiting,
    Ran,
    Dropped
};

// Lives on the stack of a blocked sender.
struct Waiter
{
    Outcome outcome = Outcome::Waiting;
};

struct Entry
{
    std::function<void()> call;
    const void* owner = nullptr;
    std::uint64_t number = 0;
    Waiter* waiter = nullptr; // null for a posted call
};

void PrintException(const std::exception_ptr& failure)
{
    try
    {
        std::rethrow_exception(failure);
    }
    catch (const std::exception& e)
    {
        ReportOnStderr(std::string("Unhandled exception: ") + e.what());
    }
    catch (...)
    {
        ReportOnStderr("Unhandled exception of unknown type");
    }
}

struct State
{
    std::mutex mutex;
    std::condition_variable queued;   // the main thread waits here for work
    std::condition_variable finished; // senders wait here for their call's outcome
    std::deque<Entry> queue;
    std::uint64_t nextNumber = 0;
    bool shutDown = false;
    // The wake-up is called under a lock of its own, so that once SetWakeup has replaced it no
    // thread is still inside the old one. That one reaches the window system, and a wake-up the
    // server sees after the window has gone is an error there.
    std::mutex wakeMutex;
    std::function<void()> wake;
    std::function<void(std::exception_ptr)> onException = PrintException;
};

State& Shared()
{
    static State state;
    return state;
}

std::atomic<std::thread::id> mainThread;

bool Enqueue(State& s, std::function<void()>&& call, const void* owner, Waiter* waiter)
{
    {
        std::lock_guard lock(s.mutex);
        if (s.shutDown)
        {
            return false;
        }
        s.queue.push_back({std::move(call), owner, s.nextNumber++, waiter});
    }
    s.queued.notify_all();
    std::lock_guard wakeLock(s.wakeMutex);
    if (s.wake)
    {
        s.wake();
    }
    return true;
}

bool AwaitOutcome(State& s, const Waiter& waiter)
{
    std::unique_lock lock(s.mutex);
    s.finished.wait(lock, [&] { return waiter.outcome != Outcome::Waiting; });
    return waiter.outcome == Outcome::Ran;
}

// Caller holds the mutex. The dropped calls are handed back so that their captures are destroyed
// after the lock is released.
template <typename Pred> std::vector<Entry> DropWhere(State& s, Pred pred)
{
    std::vector<Entry> dropped;
    for (auto it = s.queue.begin(); it != s.queue.end();)
    {
        if (pred(*it))
        {
            if (it->waiter != nullptr)
            {
                it->waiter->outcome = Outcome::Dropped;
            }
            dropped.push_back(std::move(*it));
            it = s.queue.erase(it);
        }
        else
        {
            ++it;
        }
    }
    if (!dropped.empty())
    {
        s.finished.notify_all();
    }
    return dropped;
}

bool RunInline(State& s, const std::function<void()>& call)
{
    {
        std::lock_guard lock(s.mutex);
        if (s.shutDown)
        {
            return false;
        }
    }
    call();
    return true;
}

} // namespace

void SetMainThread()
{
    mainThread.store(std::this_thread::get_id());
}

bool IsMainThread()
{
    return mainThread.load() == std::this_thread::get_id();
}

bool Send(std::function<void()> call, const void* owner)
{
    State& s = Shared();
    if (IsMainThread())
    {
        return RunInline(s, call);
    }
    Waiter waiter;
    if (!Enqueue(s, std::move(call), owner, &waiter))
    {
        return false;
    }
    return AwaitOutcome(s, waiter);
}

bool Send(std::function<void()> call, const void* owner, std::unique_lock<std::mutex>& held)
{
    State& s = Shared();
    if (IsMainThread())
    {
        held.unlock();
        bool ran = false;
        try
        {
            ran = RunInline(s, call);
        }
        catch (...)
        {
            held.lock();
            throw;
        }
        held.lock();
        return ran;
    }
    Waiter waiter;
    if (!Enqueue(s, std::move(call), owner, &waiter))
    {
        return false;
    }
    held.unlock();
    const bool ran = AwaitOutcome(s, waiter);
    held.lock();
    return ran;
}

bool Post(std::function<void()> call, const void* owner)
{
    return Enqueue(Shared(), std::move(call), owner, nullptr);
}

void RunPending(const bool* stopped)
{
    State& s = Shared();
    std::unique_lock lock(s.mutex);
    const std::uint64_t end = s.nextNumber;
    while (!s.queue.empty() && s.queue.front().number < end && (stopped == nullptr || !*stopped))
    {
        Entry entry = std::move(s.queue.front());
        s.queue.pop_front();
        lock.unlock();
        std::exception_ptr failure;
        try
        {
            entry.call();
        }
        catch (...)
        {
            failure = std::current_exception();
        }
        entry.call = nullptr;
        lock.lock();
        if (entry.waiter != nullptr)
        {
            entry.waiter->outcome = Outcome::Ran;
            s.finished.notify_all();
        }
        if (failure)
        {
            // The sender is already free to go on when the report (perhaps a modal box) shows.
            auto report = s.onException;
            lock.unlock();
            report(failure);
            lock.lock();
        }
    }
}

bool WaitPending(std::chrono::milliseconds timeout)
{
    State& s = Shared();
    std::unique_lock lock(s.mutex);
    return s.queued.wait_for(lock, timeout, [&] { return !s.queue.empty(); });
}

void SetWakeup(std::function<void()> wake)
{
    State& s = Shared();
    std::lock_guard lock(s.wakeMutex);
    s.wake = std::move(wake);
}

void SetExceptionHandler(std::function<void(std::exception_ptr)> handler)
{
    State& s = Shared();
    std::lock_guard lock(s.mutex);
    s.onException = handler ? std::move(handler) : PrintException;
}

void Cancel(const void* owner)
{
    State& s = Shared();
    std::unique_lock lock(s.mutex);
    auto dropped = DropWhere(s, [owner](const Entry& e) { return e.owner == owner; });
    lock.unlock();
}

void Shutdown()
{
    State& s = Shared();
    std::unique_lock lock(s.mutex);
    s.shutDown = true;
    auto dropped = DropWhere(s, [](const Entry&) { return true; });
    lock.unlock();
}

void Restart()
{
    State& s = Shared();
    std::lock_guard lock(s.mutex);
    s.shutDown = false;
}

} // namespace platform
