// One loop, one queue: a call queued from this thread (a test's key, a screen's deferred step)
// and one handed over by a timer thread wait in the same queue and run in their order.
#include "ui/EventLoop.h"

#include "platform/Dispatch.h"

#include <SDL.h>

#include <stdexcept>
#include <string>

namespace ui
{

EventLoop::EventLoop(Client& client, std::function<void(std::exception_ptr)> onException)
    : client_(client)
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // No SDL_INIT_TIMER: the game's timers are its own, and SDL's would add an idle thread.
    if (SDL_Init(SDL_INIT_EVENTS) != 0)
        throw std::runtime_error(std::string("Cannot start SDL: ") + SDL_GetError());
    wakeEvent_ = SDL_RegisterEvents(1);
    platform::SetMainThread();
    platform::Restart();
    const std::uint32_t wake = wakeEvent_;
    platform::SetWakeup(
        [wake]
        {
            SDL_Event e{};
            e.type = wake;
            SDL_PushEvent(&e);
        });
    platform::SetExceptionHandler(std::move(onException));
}

EventLoop::~EventLoop()
{
    Stop();
    SDL_Quit();
}

void EventLoop::Stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    platform::Shutdown();
    platform::SetWakeup(nullptr);
    platform::SetExceptionHandler(nullptr);
}

void EventLoop::Wake() const
{
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);
}

void EventLoop::Post(std::function<void()> call)
{
    platform::Post(std::move(call));
}

void EventLoop::Terminate()
{
    terminated_ = true;
    Wake();
}

void EventLoop::RunQueued()
{
    // A call that ends the loop is the last one to run.
    platform::RunPending(&terminated_);
}

bool EventLoop::Step(bool wait)
{
    RunQueued();
    client_.Paint();
    if (terminated_)
        return false;
    const int interval = client_.Poll();
    SDL_Event event;
    int got = 0;
    if (!wait)
        got = SDL_PollEvent(&event);
    else if (interval >= 0)
        got = SDL_WaitEventTimeout(&event, interval);
    else
        got = SDL_WaitEvent(&event);
    if (got != 0 && event.type == wakeEvent_)
        RunQueued();
    else if (got != 0)
        Dispatch(platform::FromSdl(event));
    return !terminated_;
}

void EventLoop::ProcessMessages()
{
    SDL_Event event;
    for (;;)
    {
        RunQueued();
        client_.Poll();
        if (terminated_ || SDL_PollEvent(&event) == 0)
            break;
        // The wake-up only says that calls are queued; the next pass runs them.
        if (event.type != wakeEvent_)
            Dispatch(platform::FromSdl(event));
    }
    client_.Paint();
}

void EventLoop::Dispatch(const platform::Event& event)
{
    if (event.kind == platform::Event::Kind::Quit)
        Terminate();
    else
        client_.HandleEvent(event);
}

} // namespace ui
