// The SDL window as a presenter: its own framebuffer where it has one (X11's shared memory), else
// SDL's renderer with one streaming texture refreshed only where the frame changed (Wayland).
#include "ui/Presenter.h"

#include "platform/SdlPtrs.h"
#include "ui/FrameTiming.h"
#include "ui/WindowSystem.h"

#include <SDL.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace ui
{

namespace
{

// SDL shows its windows somewhere: its video driver is not the one it falls back to last.
bool OnDisplay()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::string_view(driver) != "offscreen";
}

// For a window that has no framebuffer of its own: the screen image goes into a streaming
// texture of its size, a changed rectangle at a time, and the texture is drawn one to one onto
// the window's physical pixels.
class RendererOutput
{
public:
    explicit RendererOutput(platform::RendererPtr renderer) : renderer_(std::move(renderer)) {}

    // The window's drawable in physical pixels: its size in window points times the output's
    // scale where the window is high-DPI.
    Point OutputSize() const
    {
        Point size;
        if (SDL_GetRendererOutputSize(renderer_.get(), &size.x, &size.y) != 0)
            return {0, 0};
        return size;
    }

    void Present(const Bitmap& screen, const std::vector<Rect>& rects)
    {
        bool whole = false;
        if (texture_ == nullptr || textureWidth_ != screen.Width() ||
            textureHeight_ != screen.Height())
        {
            texture_.reset();
            // The screen image's own layout (0x00RRGGBB), so that uploading converts nothing.
            texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_RGB888,
                                             SDL_TEXTUREACCESS_STREAMING, screen.Width(),
                                             screen.Height()));
            if (texture_ == nullptr)
                return;
            SDL_SetTextureBlendMode(texture_.get(), SDL_BLENDMODE_NONE);
            textureWidth_ = screen.Width();
            textureHeight_ = screen.Height();
            whole = true;
        }
        const int pitch = screen.Stride() * 4;
        const auto upload = [&](const Rect& r)
        {
            const SDL_Rect area{r.left, r.top, r.Width(), r.Height()};
            const std::uint32_t* first =
                screen.Data() + static_cast<std::ptrdiff_t>(r.top) * screen.Stride() + r.left;
            SDL_UpdateTexture(texture_.get(), &area, first, pitch);
        };
        {
            const timing::Scope timed(timing::Part::Upload);
            if (whole)
                upload(screen.BoundsRect());
            else
                for (const Rect& r : rects)
                    if (Rect clipped = r.Intersect(screen.BoundsRect()); !clipped.Empty())
                        upload(clipped);
        }
        const timing::Scope timed(timing::Part::Put);
        // The window's back buffers keep nothing between frames: the whole texture is drawn each
        // time, which the renderer does without touching the frame's pixels here.
        SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
        SDL_RenderPresent(renderer_.get());
    }

private:
    platform::RendererPtr renderer_;
    platform::TexturePtr texture_;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
};

class WindowPresenter final : public Presenter
{
public:
    WindowPresenter()
    {
        const char* driver = SDL_GetCurrentVideoDriver();
        fullscreenState_ = std::string_view(driver != nullptr ? driver : "") == "wayland";
    }

    ~WindowPresenter() override
    {
        // The renderer goes before its window.
        renderer_.reset();
        window_.reset();
    }

    // The desktop the window is on, as it is now: a monitor may have come or gone since.
    Point DesktopSize() const override
    {
        const int display = window_ != nullptr ? SDL_GetWindowDisplayIndex(window_.get()) : 0;
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(std::max(display, 0), &mode) == 0 && mode.w > 0 && mode.h > 0)
            return {mode.w, mode.h};
        return kCommonDesktop;
    }

    void Open(const std::string& title, bool fullscreen, Point window, Point minimum) override
    {
        // On an output with a scale factor the window draws at its physical pixels.
        const Uint32 highDpi = SDL_WINDOW_ALLOW_HIGHDPI;
        // Full screen is a borderless window of the desktop's size at the origin: a fullscreen
        // flag alone leaves it small under an X server without a window manager.
        const Point desktop = DesktopSize();
        if (fullscreen)
            window_.reset(SDL_CreateWindow(
                title.c_str(), 0, 0, desktop.x, desktop.y,
                highDpi | SDL_WINDOW_SHOWN |
                    (fullscreenState_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_BORDERLESS)));
        else
            window_.reset(SDL_CreateWindow(title.c_str(), (desktop.x - window.x) / 2,
                                           (desktop.y - window.y) / 2, window.x, window.y,
                                           highDpi | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN));
        if (window_ == nullptr)
            throw std::runtime_error(std::string("Cannot open the window: ") + SDL_GetError());
        if (minimum.x > 0 && minimum.y > 0)
            SDL_SetWindowMinimumSize(window_.get(), minimum.x, minimum.y);
        // A window without a framebuffer of its own is presented through the renderer; with
        // neither, nothing could ever be seen.
        if (SDL_GetWindowSurface(window_.get()) == nullptr)
        {
            // No vertical sync: a present must never hold the loop, which also runs the ticks.
            platform::RendererPtr renderer(SDL_CreateRenderer(window_.get(), -1, 0));
            if (renderer == nullptr)
            {
                window_.reset();
                throw std::runtime_error("Cannot open the display");
            }
            renderer_ = std::make_unique<RendererOutput>(std::move(renderer));
        }
        SDL_StopTextInput();
    }

    Point OutputSize() const override
    {
        Point size;
        if (renderer_ != nullptr)
            size = renderer_->OutputSize();
        else
            SDL_GetWindowSize(window_.get(), &size.x, &size.y);
        return size;
    }

    bool Bind(Bitmap& screen) override
    {
        direct_ = false;
        if (renderer_ != nullptr)
            return false;
        SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
        surface_ = surface;
        // Drawing straight into the window's framebuffer keeps a single screen image; any other
        // pixel layout gets an image of its own that presenting converts.
        if (surface != nullptr && surface->format->BytesPerPixel == 4 &&
            surface->format->Rmask == 0xFF0000 && surface->format->Gmask == 0xFF00 &&
            surface->format->Bmask == 0xFF && !SDL_MUSTLOCK(surface))
        {
            screen = Bitmap::View(static_cast<std::uint32_t*>(surface->pixels), surface->w,
                                  surface->h, surface->pitch / 4);
            direct_ = true;
        }
        return direct_;
    }

    bool ClearToBlack() override { return ClearWindowToBlack(window_.get()); }

    void Present(const Bitmap& screen, const std::vector<Rect>& rects) override
    {
        if (renderer_ != nullptr)
        {
            renderer_->Present(screen, rects);
            return;
        }
        // The framebuffer bound to the screen image, never a fresh one: SDL_GetWindowSurface
        // after a size change would free the pixels the screen image points at.
        SDL_Surface* surface = surface_;
        if (surface == nullptr)
            return;
        std::vector<SDL_Rect> update;
        update.reserve(rects.size());
        for (const Rect& r : rects)
            update.push_back({r.left, r.top, r.Width(), r.Height()});
        if (!direct_)
        {
            const timing::Scope timed(timing::Part::Copy);
            const platform::SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(
                const_cast<std::uint32_t*>(screen.Data()), screen.Width(), screen.Height(), 32,
                screen.Stride() * 4, SDL_PIXELFORMAT_XRGB8888));
            if (!source)
                return;
            for (SDL_Rect& rect : update)
            {
                SDL_Rect dst = rect;
                SDL_BlitSurface(source.get(), &rect, surface, &dst);
            }
        }
        const timing::Scope timed(timing::Part::Put);
        SDL_UpdateWindowSurfaceRects(window_.get(), update.data(), static_cast<int>(update.size()));
    }

    bool SetMode(bool fullscreen, Point window) override
    {
        SDL_Window* w = window_.get();
        const Point desktop = DesktopSize();
        // Full screen is the window system's fullscreen state, not a borderless window at the
        // origin, where the compositor places every window itself.
        if (fullscreenState_)
        {
            SDL_SetWindowFullscreen(w, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
            if (!fullscreen)
            {
                SDL_SetWindowResizable(w, SDL_TRUE);
                SDL_SetWindowSize(w, window.x, window.y);
            }
        }
        else if (fullscreen)
        {
            SDL_SetWindowResizable(w, SDL_FALSE);
            SDL_SetWindowBordered(w, SDL_FALSE);
            SDL_SetWindowPosition(w, 0, 0);
            SDL_SetWindowSize(w, desktop.x, desktop.y);
        }
        else
        {
            SDL_SetWindowBordered(w, SDL_TRUE);
            SDL_SetWindowResizable(w, SDL_TRUE);
            SDL_SetWindowSize(w, window.x, window.y);
            SDL_SetWindowPosition(w, (desktop.x - window.x) / 2, (desktop.y - window.y) / 2);
        }
        SDL_RaiseWindow(w);
        return true;
    }

    Point FromOutput(Point p) const override
    {
        // Window points are physical pixels unless the window is high-DPI on a scaled output.
        if (renderer_ == nullptr)
            return p;
        int w = 0;
        int h = 0;
        SDL_GetWindowSize(window_.get(), &w, &h);
        const Point size = renderer_->OutputSize();
        if (w <= 0 || h <= 0 || (w == size.x && h == size.y))
            return p;
        return {static_cast<int>(static_cast<long long>(p.x) * size.x / w),
                static_cast<int>(static_cast<long long>(p.y) * size.y / h)};
    }

    bool Seen() const override { return true; }

    void SetTitle(const std::string& title) override
    {
        SDL_SetWindowTitle(window_.get(), title.c_str());
    }

    void SetIcon(const Bitmap& icon, Color transparent) override
    {
        if (icon.Empty())
            return;
        const platform::SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(
            0, icon.Width(), icon.Height(), 32, SDL_PIXELFORMAT_ARGB8888));
        if (!surface)
            return;
        for (int y = 0; y < icon.Height(); ++y)
        {
            auto* row = reinterpret_cast<std::uint32_t*>(
                static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch);
            for (int x = 0; x < icon.Width(); ++x)
            {
                const Color c = icon.Pixel(x, y);
                row[x] = c == transparent ? 0 : (0xFF000000u | c.Pixel());
            }
        }
        SDL_SetWindowIcon(window_.get(), surface.get());
    }

    void ShowCursor(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    void AllowScreenSaver(bool allowed) override
    {
        if (allowed)
            SDL_EnableScreenSaver();
        else
            SDL_DisableScreenSaver();
    }

private:
    platform::WindowPtr window_;
    std::unique_ptr<RendererOutput> renderer_;
    // The window's own framebuffer, which the window owns.
    SDL_Surface* surface_ = nullptr;
    // The screen image is that framebuffer.
    bool direct_ = false;
    // Where the system cannot say, a desktop of a common size.
    static constexpr Point kCommonDesktop{1024, 768};
    bool fullscreenState_ = false;
};

} // namespace

void SetWindowClass(const std::string& appId)
{
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", appId.c_str(), 0);
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", appId.c_str(), 0);
}

std::unique_ptr<Presenter> OpenWindowPresenter()
{
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // SDL would keep the screen awake for as long as the program runs; only a running game
    // holds it off.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Every picture is drawn in software and only the changed rectangles are presented, which
    // the window system's own shared-memory framebuffer does cheaply. Through OpenGL each present
    // becomes a texture upload, and on a machine without a GPU that runs in a software
    // rasteriser costing a third of a core and some 100 MB. The environment can still ask for it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    ReportWindowSystemErrors();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        throw std::runtime_error(std::string("Cannot start SDL: ") + SDL_GetError());
    // Without a display SDL falls back to a video driver that shows nothing: the game would run
    // on unseen and never end. Only a caller who asked for such a driver gets it.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if ((asked == nullptr || *asked == '\0') && !OnDisplay())
    {
        // An X server whose last client has just left resets, and drops the connections that
        // were still being set up meanwhile. Such a server is asked again, by itself, for a
        // moment before the game gives up.
        const char* display = SDL_getenv("DISPLAY");
        for (int attempt = 0; attempt < 4 && display != nullptr && *display != '\0' && !OnDisplay();
             ++attempt)
        {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            SDL_Delay(50u << attempt);
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
            SDL_InitSubSystem(SDL_INIT_VIDEO);
            SDL_ResetHint(SDL_HINT_VIDEODRIVER);
        }
        if (!OnDisplay())
            throw std::runtime_error("Cannot open the display");
    }
    return std::make_unique<WindowPresenter>();
}

} // namespace ui
