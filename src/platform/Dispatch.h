// Hand-over of calls from worker threads to the one user-interface thread.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <mutex>

namespace platform
{

// Marks the calling thread as the main (user-interface) thread.
void SetMainThread();
bool IsMainThread();

// Runs `call` on the main thread and blocks until it has run. True when it ran (even if it threw:
// the exception goes to the exception handler); false when it was cancelled or the dispatcher is
// shut down, and then it never runs. On the main thread the call runs at once and what it throws
// reaches the caller.
bool Send(std::function<void()> call, const void* owner = nullptr);

// As Send, for a caller that must not be overtaken between a check it made under `held` and the
// queuing: `held` is released only once the call is queued, and is locked again on return.
bool Send(std::function<void()> call, const void* owner, std::unique_lock<std::mutex>& held);

// Queues `call` for the main thread without waiting for it; false when shut down.
bool Post(std::function<void()> call, const void* owner = nullptr);

// Main thread: runs the calls queued before this call began, in order. Calls queued meanwhile wait
// for the next turn, so a fast worker cannot keep the loop here. Once *stopped is set (by a call
// that ends the loop) the rest stay queued.
void RunPending(const bool* stopped = nullptr);

// Main thread: blocks until a call is queued or the timeout passes; true when one is queued.
bool WaitPending(std::chrono::milliseconds timeout);

// Called on the queuing thread each time a call is queued, so that a sleeping main loop wakes up.
// Returns once no thread is inside the previous one any more.
void SetWakeup(std::function<void()> wake);

// Receives what a handed-over call throws; the default (also restored by an empty handler) prints
// it to stderr.
void SetExceptionHandler(std::function<void(std::exception_ptr)> handler);

// Drops every queued call of `owner` (null: the calls queued without one); its senders return
// false.
void Cancel(const void* owner);

// Drops every queued call and makes further Send and Post calls give up at once; Restart undoes it.
void Shutdown();
void Restart();

} // namespace platform
