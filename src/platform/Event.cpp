// SDL's events in the program's terms.
#include "platform/Event.h"

#include <SDL.h>

namespace platform
{

namespace
{

Event WindowEvent(const SDL_WindowEvent& window)
{
    switch (window.event)
    {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        return {.kind = Event::Kind::WindowSized, .x = window.data1, .y = window.data2};
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
        return {.kind = Event::Kind::WindowShown};
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        return {.kind = Event::Kind::WindowDeactivated};
    default:
        return {};
    }
}

Event::Button ButtonOf(Uint8 button)
{
    if (button == SDL_BUTTON_RIGHT)
        return Event::Button::Right;
    if (button == SDL_BUTTON_MIDDLE)
        return Event::Button::Middle;
    return Event::Button::Left;
}

} // namespace

Event FromSdl(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_QUIT:
        return {.kind = Event::Kind::Quit};
    case SDL_KEYDOWN:
        return {.kind = Event::Kind::KeyDown,
                .key = event.key.keysym.sym,
                .numLock = (event.key.keysym.mod & KMOD_NUM) != 0,
                .alt = (event.key.keysym.mod & KMOD_ALT) != 0,
                .shift = (event.key.keysym.mod & KMOD_SHIFT) != 0,
                .repeat = event.key.repeat != 0,
                .timestamp = event.key.timestamp};
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return {.kind = event.type == SDL_MOUSEBUTTONDOWN ? Event::Kind::MouseDown
                                                          : Event::Kind::MouseUp,
                .button = ButtonOf(event.button.button),
                .x = event.button.x,
                .y = event.button.y,
                .timestamp = event.button.timestamp};
    case SDL_MOUSEMOTION:
        return {.kind = Event::Kind::MouseMove, .x = event.motion.x, .y = event.motion.y};
    case SDL_WINDOWEVENT:
        return WindowEvent(event.window);
    case SDL_CONTROLLERDEVICEADDED:
        return {.kind = Event::Kind::ControllerAdded, .device = event.cdevice.which};
    case SDL_CONTROLLERDEVICEREMOVED:
        return {.kind = Event::Kind::ControllerRemoved, .device = event.cdevice.which};
    case SDL_CONTROLLERBUTTONDOWN:
        return {.kind = Event::Kind::ControllerButtonDown,
                .device = event.cbutton.which,
                .controllerButton = event.cbutton.button};
    case SDL_CONTROLLERAXISMOTION:
        return {.kind = Event::Kind::ControllerAxis,
                .device = event.caxis.which,
                .axis = event.caxis.axis,
                .value = event.caxis.value};
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERDEVICEREMAPPED:
        return {.kind = Event::Kind::ControllerOther};
    default:
        return {};
    }
}

} // namespace platform
