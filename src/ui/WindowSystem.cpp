// The X11 window's background, set through the window system SDL runs on.
#include "ui/WindowSystem.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11) && defined(ZORBEL_X11)
#include <X11/Xlib.h>
#endif

namespace ui
{

bool ClearWindowToBlack(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11) && defined(ZORBEL_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* display = info.info.x11.display;
    const ::Window handle = info.info.x11.window;
    XSetWindowBackground(display, handle, BlackPixel(display, DefaultScreen(display)));
    XClearWindow(display, handle);
    XFlush(display);
    return true;
#else
    static_cast<void>(window);
    return false;
#endif
}

} // namespace ui
