// The X11 window's background, set through the window system SDL runs on.
#include "ui/WindowSystem.h"

#include "platform/Diagnostics.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11) && defined(ZORBEL_X11)
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstdio>
#endif

namespace ui
{

#if defined(SDL_VIDEO_DRIVER_X11) && defined(ZORBEL_X11)
namespace
{

// Every error reaches here after the request that caused it is long gone, so the game can only
// say what happened and go on: what failed was a window operation that no longer matters. Not
// chained to the handler it replaces, which is Xlib's own and ends the process.
int ReportError(Display* display, XErrorEvent* error)
{
    // SDL wakes its waiting loop by sending an event to the window over a second connection. A
    // wake-up still on its way while the window closes arrives at no window: nothing was lost.
    if (error->error_code == BadWindow && error->request_code == X_SendEvent)
        return 0;
    char text[160] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    char line[256];
    std::snprintf(line, sizeof line, "window system error %s (request %u.%u, resource 0x%lx)", text,
                  static_cast<unsigned>(error->request_code),
                  static_cast<unsigned>(error->minor_code), error->resourceid);
    platform::ReportOnStderr(line);
    return 0;
}

} // namespace
#endif

void ReportWindowSystemErrors()
{
#if defined(SDL_VIDEO_DRIVER_X11) && defined(ZORBEL_X11)
    XSetErrorHandler(ReportError);
#endif
}

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
