// Where the time goes between an input and the frame that answers it, for the latency benchmark
// (bench/key_latency.sh): recorded only when ZORBEL_FRAME_LOG names a file to write. Off, a timed
// part costs one test of a null pointer.
#pragma once

#include <cstdint>

namespace platform
{
struct Event;
}

namespace ui::timing
{

// The stages of a frame's time; each moment is counted in one stage only (the innermost).
enum class Part
{
    // Painting that is none of the stages below: fills, outlines, the control tree's walk.
    Panels,
    // The form's own background.
    Clear,
    Text,
    // Pictures copied at their own size or repeated exactly.
    Pictures,
    // Pictures resampled smoothly to the scale.
    Resampled,
    // The dirty rectangles' bookkeeping.
    Union,
    // The screen image copied into the output's own (a framebuffer of another layout).
    Copy,
    // Handing the changed rectangles to the window system (XShmPutImage and its wait, or the
    // renderer's present).
    Put,
    // The texture upload where the window has no framebuffer (Wayland).
    Upload,
    Count
};

class Recorder;

// The recorder while timing is on, else null.
extern Recorder* active;

// Turns timing on when ZORBEL_FRAME_LOG names a file that opens for writing.
void StartFromEnvironment();
// A key or a mouse button event was taken from the queue; the next frame answers it.
void NoteInput(const platform::Event& event);
// A frame was presented: with an input waiting for it, one line goes to the log.
void FramePresented(int rects, long long pixels);

// Counts the time until its end towards part, and meanwhile none towards the enclosing part.
class Scope
{
public:
    explicit Scope(Part part)
    {
        if (active != nullptr)
            Enter(part);
    }
    ~Scope()
    {
        if (entered_)
            Leave();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    void Enter(Part part);
    void Leave();

    // Part::Count while no part was counting: the handlers' own time.
    Part enclosing_ = Part::Count;
    bool entered_ = false;
};

} // namespace ui::timing
