// A key press as SDL hands it to the loop: the key and the modifier state, Num Lock among them
// (on unless a test says otherwise, as on most desktops).
#pragma once

#include <SDL.h>

namespace testsupport
{

inline SDL_Event KeyEvent(SDL_Keycode key, Uint16 modifiers = KMOD_NUM, bool repeat = false)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    return event;
}

} // namespace testsupport
