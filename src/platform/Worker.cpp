// Worker: a background job that can be let go of.
#include "platform/Worker.h"

#include "platform/Dispatch.h"

#include <exception>

namespace platform
{

void Worker::Start(Job job)
{
    Stop();
    auto state = std::make_shared<State>();
    state_ = state;
    // The thread shares the state, so that a thread let go still finds it after its owner went.
    thread_ = std::thread(
        [state, job = std::move(job)]
        {
            const HandOver handOver = [&state](const std::function<void()>& hand)
            {
                std::lock_guard lock(state->mutex);
                if (state->letGo)
                    return false;
                hand();
                return true;
            };
            try
            {
                job(state->stop.get_token(), handOver);
            }
            catch (...)
            {
                // Nothing escapes a worker: what it threw is reported on the main thread as a
                // handed-over call's is.
                handOver([failure = std::current_exception()]
                         { Post([failure] { std::rethrow_exception(failure); }); });
            }
            std::lock_guard lock(state->mutex);
            state->finished = true;
            state->changed.notify_all();
        });
}

void Worker::Stop(std::chrono::milliseconds patience)
{
    if (!thread_.joinable())
        return;
    state_->stop.request_stop();
    {
        std::unique_lock lock(state_->mutex);
        if (!state_->changed.wait_for(lock, patience, [this] { return state_->finished; }))
        {
            // From here on the job hands nothing over; it ends when its call returns, or with the
            // process.
            state_->letGo = true;
            lock.unlock();
            thread_.detach();
            state_.reset();
            return;
        }
    }
    thread_.join();
    state_.reset();
}

void Worker::Wait()
{
    if (!thread_.joinable())
        return;
    thread_.join();
    state_.reset();
}

} // namespace platform
