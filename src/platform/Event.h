// An input or window event in the program's own terms, so that no header above the platform
// layer names SDL's event type: the loop translates each event it takes from SDL once.
#pragma once

#include <cstdint>

union SDL_Event;

namespace platform
{

struct Event
{
    enum class Kind
    {
        // Nothing the program reads.
        Other,
        Quit,
        // key, numLock, alt, repeat.
        KeyDown,
        // button, x, y in the output's pixels.
        MouseDown,
        MouseUp,
        // x, y in the output's pixels.
        MouseMove,
        // x, y: the window's new size.
        WindowSized,
        // Uncovered or shown again.
        WindowShown,
        // Lost the keyboard focus or minimised.
        WindowDeactivated,
        // device: the index a controller was plugged in at.
        ControllerAdded,
        // device: the controller's instance, as for the rest.
        ControllerRemoved,
        // device, button.
        ControllerButtonDown,
        // device, axis, value.
        ControllerAxis,
        // A button let go, a mapping changed: the controller's, with nothing to do.
        ControllerOther
    };
    enum class Button
    {
        Left,
        Middle,
        Right
    };

    Kind kind = Kind::Other;
    // The key as the system names it (SDL's key codes: Unicode for a printable key), with the
    // Num Lock, Alt and Shift states at the time and whether it is an auto-repeat.
    int key = 0;
    bool numLock = false;
    bool alt = false;
    bool shift = false;
    bool repeat = false;
    // Any other mouse button counts as the left one.
    Button button = Button::Left;
    int x = 0;
    int y = 0;
    // A controller's button and axis in the game controller layout's numbering.
    int device = 0;
    int controllerButton = 0;
    int axis = 0;
    int value = 0;
    // When a key or mouse button event happened, in milliseconds since the start.
    std::uint32_t timestamp = 0;
};

Event FromSdl(const SDL_Event& event);

} // namespace platform
