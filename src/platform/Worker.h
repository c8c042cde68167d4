// A background job that its owner can let go of: stopping waits a short while for it, and a job
// that cannot finish in time is left to end on its own, handing nothing over once let go.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace platform
{

class Worker final
{
public:
    // Runs `hand` under the worker's lock unless its owner has let it go; true when it ran. A job
    // hands its results over through this, so that nothing reaches an owner that has gone.
    using HandOver = std::function<bool(const std::function<void()>& hand)>;
    using Job = std::function<void(std::stop_token stop, const HandOver& handOver)>;

    // How long stopping waits before letting the job go. A job stops within this when it checks
    // its token; one inside a call that cannot be interrupted (a library reading a file, slowed by
    // a low priority on a busy machine) would otherwise hold its owner, and the program's exit,
    // for as long as that call takes.
    static constexpr std::chrono::milliseconds kPatience{200};

    Worker() = default;
    ~Worker() { Stop(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Stops the job under way first.
    void Start(Job job);
    // Asks the job to stop, and waits up to `patience` for it to end before letting it go.
    void Stop(std::chrono::milliseconds patience = kPatience);
    // Waits as long as the job takes.
    void Wait();
    [[nodiscard]] bool Running() const { return thread_.joinable(); }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool finished = false;
        bool letGo = false;
        std::stop_source stop;
    };

    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace platform
