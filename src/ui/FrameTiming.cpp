// The frame timing's recorder: one clock, the time per part since the last frame, and a line per
// frame that answers an input.
#include "ui/FrameTiming.h"

#include "platform/Event.h"

#include <SDL.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace ui::timing
{

using Clock = std::chrono::steady_clock;

class Recorder
{
public:
    explicit Recorder(std::FILE* file) : file_(file) {}

    // The time since the last switch goes to the stage that was counting.
    void Switch(Part next)
    {
        const Clock::time_point now = Clock::now();
        spent_[static_cast<std::size_t>(current_)] += now - since_;
        since_ = now;
        current_ = next;
    }
    Part Current() const { return current_; }

    void Input(const char* kind, std::uint32_t timestamp)
    {
        if (pending_)
            return;
        Switch(current_);
        spent_.fill({});
        pending_ = true;
        kind_ = kind;
        arrived_ = since_;
        // SDL stamps the event in milliseconds when it takes it from the window system; the
        // wait until this moment is added to the exact time from here on.
        queued_ = SDL_GetTicks() - timestamp;
    }

    void Presented(int rects, long long pixels)
    {
        Switch(current_);
        if (pending_)
        {
            const auto us = [](Clock::duration d)
            {
                return static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(d).count());
            };
            static constexpr const char* kNames[] = {"panels",    "clear", "text", "pictures",
                                                     "resampled", "union", "copy", "put",
                                                     "upload",    "other"};
            std::fprintf(file_, "input %s total %lld queued %u", kind_,
                         us(since_ - arrived_) + 1000LL * queued_, queued_);
            for (std::size_t i = 0; i < spent_.size(); ++i)
                std::fprintf(file_, " %s %lld", kNames[i], us(spent_[i]));
            std::fprintf(file_, " rects %d pixels %lld\n", rects, pixels);
            std::fflush(file_);
            pending_ = false;
        }
        spent_.fill({});
    }

private:
    std::FILE* file_;
    std::array<Clock::duration, static_cast<std::size_t>(Part::Count) + 1> spent_{};
    Part current_ = Part::Count;
    Clock::time_point since_ = Clock::now();
    bool pending_ = false;
    const char* kind_ = "";
    Clock::time_point arrived_;
    std::uint32_t queued_ = 0;
};

Recorder* active = nullptr;

void StartFromEnvironment()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    const char* path = std::getenv("ZORBEL_FRAME_LOG");
    if (path == nullptr || *path == '\0')
        return;
    if (std::FILE* file = std::fopen(path, "a"))
    {
        // Kept for the program's life: the last frame may be presented as it ends.
        static Recorder recorder(file);
        active = &recorder;
    }
}

void NoteInput(const platform::Event& event)
{
    if (active == nullptr)
        return;
    switch (event.kind)
    {
    case platform::Event::Kind::KeyDown:
        active->Input("key", event.timestamp);
        break;
    case platform::Event::Kind::MouseDown:
        active->Input("down", event.timestamp);
        break;
    case platform::Event::Kind::MouseUp:
        active->Input("up", event.timestamp);
        break;
    default:
        break;
    }
}

void FramePresented(int rects, long long pixels)
{
    if (active != nullptr)
        active->Presented(rects, pixels);
}

void Scope::Enter(Part part)
{
    enclosing_ = active->Current();
    active->Switch(part);
    entered_ = true;
}

void Scope::Leave()
{
    if (active != nullptr)
        active->Switch(enclosing_);
}

} // namespace ui::timing
