// The message loop over SDL: it sleeps in SDL_WaitEvent, paints only what changed, and runs the
// calls that timer threads hand over.
#include "ui/Application.h"

#include "ui/Canvas.h"
#include "ui/Dispatch.h"
#include "ui/Form.h"
#include "ui/MessageDialog.h"
#include "ui/Presenter.h"
#include "ui/WindowSystem.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

} // namespace

Application::Application(Options options)
{
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL would keep the screen awake for as long as the program runs; only a running game
    // holds it off.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Every picture is drawn in software and only the changed rectangles are presented, which
    // the window system's own shared-memory framebuffer does cheaply. Through OpenGL each present
    // becomes a texture upload, and on a machine without a GPU that runs in a software
    // rasteriser costing a third of a core and some 100 MB. The environment can still ask for it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // SDL reads the window's class and app id from its environment when it starts.
    if (!options.appId.empty())
    {
        SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", options.appId.c_str(), 0);
        SDL_setenv("SDL_VIDEO_X11_WMCLASS", options.appId.c_str(), 0);
    }
    if (!options.headless)
        ReportWindowSystemErrors();
    // No SDL_INIT_TIMER: the game's timers are its own, and SDL's would add an idle thread.
    const Uint32 systems = SDL_INIT_EVENTS | (options.headless ? 0 : SDL_INIT_VIDEO);
    if (SDL_Init(systems) != 0)
        throw std::runtime_error(std::string("Cannot start SDL: ") + SDL_GetError());
    // Without a display SDL falls back to a video driver that shows nothing: the game would run
    // on unseen and never end. Only a caller who asked for such a driver gets it.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (!options.headless && (asked == nullptr || *asked == '\0') && !OnDisplay())
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
        {
            SDL_Quit();
            throw std::runtime_error("Cannot open the display");
        }
    }
    wakeEvent_ = SDL_RegisterEvents(1);

    physicalWidth_ = options.width;
    physicalHeight_ = options.height;
    requestedScale_ = options.scale;
    fullscreen_ = options.fullscreen;
    windowWidth_ = options.windowWidth;
    windowHeight_ = options.windowHeight;
    desktopWidth_ = options.width;
    desktopHeight_ = options.height;
    if (!options.headless)
    {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
        {
            desktopWidth_ = mode.w;
            desktopHeight_ = mode.h;
        }
    }
    if (windowWidth_ <= 0 || windowHeight_ <= 0)
    {
        windowWidth_ = desktopWidth_ * 3 / 4;
        windowHeight_ = desktopHeight_ * 3 / 4;
    }
    // A window smaller than the largest panel at scale 1 would cut a screen off.
    minimumWidth_ = std::min(options.minimumWidth, desktopWidth_);
    minimumHeight_ = std::min(options.minimumHeight, desktopHeight_);
    windowWidth_ = std::clamp(windowWidth_, minimumWidth_, desktopWidth_);
    windowHeight_ = std::clamp(windowHeight_, minimumHeight_, desktopHeight_);
    if (!options.headless)
    {
        const char* driver = SDL_GetCurrentVideoDriver();
        fullscreenState_ = std::string_view(driver != nullptr ? driver : "") == "wayland";
        // On an output with a scale factor the window draws at its physical pixels.
        const Uint32 highDpi = SDL_WINDOW_ALLOW_HIGHDPI;
        // Full screen is a borderless window of the desktop's size at the origin: a fullscreen
        // flag alone leaves it small under an X server without a window manager.
        if (fullscreen_)
            window_.reset(SDL_CreateWindow(
                title_.c_str(), 0, 0, desktopWidth_, desktopHeight_,
                highDpi | SDL_WINDOW_SHOWN |
                    (fullscreenState_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_BORDERLESS)));
        else
            window_.reset(SDL_CreateWindow(title_.c_str(), (desktopWidth_ - windowWidth_) / 2,
                                           (desktopHeight_ - windowHeight_) / 2, windowWidth_,
                                           windowHeight_,
                                           highDpi | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN));
        if (window_ == nullptr)
            throw std::runtime_error(std::string("Cannot open the window: ") + SDL_GetError());
        if (minimumWidth_ > 0 && minimumHeight_ > 0)
            SDL_SetWindowMinimumSize(window_.get(), minimumWidth_, minimumHeight_);
        // A window without a framebuffer of its own is presented through the renderer; with
        // neither, nothing could ever be seen.
        if (SDL_GetWindowSurface(window_.get()) == nullptr)
        {
            presenter_ = RendererPresenter::Create(window_.get());
            if (presenter_ == nullptr)
            {
                window_.reset();
                SDL_Quit();
                throw std::runtime_error("Cannot open the display");
            }
        }
        const Point size = DrawableSize();
        physicalWidth_ = size.x;
        physicalHeight_ = size.y;
        SDL_StopTextInput();
    }
    BindScreen();
    // After the framebuffer is bound, whose making waits for the server: the clearing then runs
    // in the server while the first frame is painted here.
    if (window_ != nullptr)
        clearedBlack_ = ClearWindowToBlack(window_.get());
    LayOut();

    SetMainThread();
    Restart();
    const Uint32 wake = wakeEvent_;
    SetWakeup(
        [wake]
        {
            SDL_Event e{};
            e.type = wake;
            SDL_PushEvent(&e);
        });
    SetExceptionHandler([this](std::exception_ptr error) { HandleException(error); });
}

Application::~Application()
{
    controllers_.reset();
    Shutdown();
    SetWakeup(nullptr);
    SetExceptionHandler(nullptr);
    if (!cursorVisible_)
        SDL_ShowCursor(SDL_ENABLE);
    SetScreenSaverAllowed(true);
    // The renderer and the window go before SDL itself.
    presenter_.reset();
    window_.reset();
    SDL_Quit();
}

double Application::ChooseScale(int physicalWidth, int physicalHeight, int logicalWidth,
                                int logicalHeight)
{
    double scale = 1.0;
    for (double s = 1.25; s <= 8.0; s += 0.25)
        if (physicalWidth / s >= logicalWidth && physicalHeight / s >= logicalHeight)
            scale = s;
    return scale;
}

void Application::SetScale(double scale)
{
    requestedScale_ = scale;
    LayOut();
}

void Application::ResizeScreen(int physicalWidth, int physicalHeight)
{
    if (physicalWidth == physicalWidth_ && physicalHeight == physicalHeight_)
    {
        BindScreen();
        InvalidateAll();
        return;
    }
    physicalWidth_ = physicalWidth;
    physicalHeight_ = physicalHeight;
    BindScreen();
    LayOut();
}

void Application::BindScreen()
{
    if (presenter_ != nullptr)
    {
        const Point size = DrawableSize();
        physicalWidth_ = size.x;
        physicalHeight_ = size.y;
    }
    else if (window_ != nullptr)
    {
        SDL_Surface* surface = SDL_GetWindowSurface(window_.get());
        surface_ = surface;
        // Drawing straight into the window's framebuffer keeps a single screen image; any other
        // pixel layout gets an image of its own that presenting converts.
        if (surface != nullptr && surface->format->BytesPerPixel == 4 &&
            surface->format->Rmask == 0xFF0000 && surface->format->Gmask == 0xFF00 &&
            surface->format->Bmask == 0xFF && !SDL_MUSTLOCK(surface))
        {
            physicalWidth_ = surface->w;
            physicalHeight_ = surface->h;
            screen_ = Bitmap::View(static_cast<std::uint32_t*>(surface->pixels), surface->w,
                                   surface->h, surface->pitch / 4);
            direct_ = true;
            return;
        }
    }
    // A view of a framebuffer SDL dropped must not be drawn into.
    if (direct_ || screen_.Width() != physicalWidth_ || screen_.Height() != physicalHeight_)
        screen_.Resize(physicalWidth_, physicalHeight_, clBlack);
    direct_ = false;
}

Point Application::DrawableSize() const
{
    Point size;
    if (presenter_ != nullptr)
        size = presenter_->OutputSize();
    else if (window_ != nullptr)
        SDL_GetWindowSize(window_.get(), &size.x, &size.y);
    return size;
}

Point Application::FromWindow(int x, int y) const
{
    // Window points are physical pixels unless the window is high-DPI on a scaled output.
    int w = 0;
    int h = 0;
    if (presenter_ == nullptr || window_ == nullptr)
        return {x, y};
    SDL_GetWindowSize(window_.get(), &w, &h);
    if (w <= 0 || h <= 0 || (w == physicalWidth_ && h == physicalHeight_))
        return {x, y};
    return {static_cast<int>(static_cast<long long>(x) * physicalWidth_ / w),
            static_cast<int>(static_cast<long long>(y) * physicalHeight_ / h)};
}

void Application::LayOut()
{
    if (requestedScale_ > 0)
    {
        const double fits =
            ChooseScale(physicalWidth_, physicalHeight_, minimumWidth_, minimumHeight_);
        scale_ = std::min(requestedScale_, fits);
        if (scale_ < requestedScale_ && reportedScale_ != requestedScale_)
        {
            reportedScale_ = requestedScale_;
            std::fprintf(stderr, "%s: scale %g does not fit the screen, %g is used\n",
                         title_.c_str(), requestedScale_, scale_);
        }
    }
    else
    {
        scale_ = ChooseScale(physicalWidth_, physicalHeight_);
    }
    // Rounded up, so that the forms cover the last physical column and row too.
    width_ = static_cast<int>(std::ceil(physicalWidth_ / scale_));
    height_ = static_cast<int>(std::ceil(physicalHeight_ / scale_));
    for (Form* form : allForms_)
        form->LayOut();
    InvalidateAll();
}

Point Application::ToLogical(Point physical) const
{
    return {LogicalFromPhysical(physical.x, scale_), LogicalFromPhysical(physical.y, scale_)};
}

Rect Application::ToPhysical(Rect logical) const
{
    return {PhysicalFromLogical(logical.left, scale_), PhysicalFromLogical(logical.top, scale_),
            PhysicalFromLogical(logical.right, scale_),
            PhysicalFromLogical(logical.bottom, scale_)};
}

void Application::AddForm(Form& form)
{
    allForms_.push_back(&form);
}

void Application::ForgetForm(Form& form)
{
    std::erase(allForms_, &form);
}

void Application::SetFullscreen(bool fullscreen)
{
    if (fullscreen == fullscreen_)
        return;
    fullscreen_ = fullscreen;
    if (window_ != nullptr)
        ApplyWindowMode();
    if (OnDisplayChanged)
        Guard(OnDisplayChanged);
}

void Application::ApplyWindowMode()
{
    if (fullscreenState_)
    {
        SDL_SetWindowFullscreen(window_.get(), fullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!fullscreen_)
        {
            SDL_SetWindowResizable(window_.get(), SDL_TRUE);
            SDL_SetWindowSize(window_.get(), windowWidth_, windowHeight_);
        }
    }
    else if (fullscreen_)
    {
        SDL_SetWindowResizable(window_.get(), SDL_FALSE);
        SDL_SetWindowBordered(window_.get(), SDL_FALSE);
        SDL_SetWindowPosition(window_.get(), 0, 0);
        SDL_SetWindowSize(window_.get(), desktopWidth_, desktopHeight_);
    }
    else
    {
        SDL_SetWindowBordered(window_.get(), SDL_TRUE);
        SDL_SetWindowResizable(window_.get(), SDL_TRUE);
        SDL_SetWindowSize(window_.get(), windowWidth_, windowHeight_);
        SDL_SetWindowPosition(window_.get(), (desktopWidth_ - windowWidth_) / 2,
                              (desktopHeight_ - windowHeight_) / 2);
    }
    SDL_RaiseWindow(window_.get());
    // SDL drops the window's framebuffer with the size change; the screen image must move to
    // the new one before anything is presented again.
    const Point size = DrawableSize();
    ResizeScreen(size.x, size.y);
}

void Application::SetIcon(const Bitmap& icon, Color transparent)
{
    if (window_ == nullptr || icon.Empty())
        return;
    const SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(0, icon.Width(), icon.Height(), 32,
                                                            SDL_PIXELFORMAT_ARGB8888));
    if (!surface)
        return;
    for (int y = 0; y < icon.Height(); ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) +
                                                     y * surface->pitch);
        for (int x = 0; x < icon.Width(); ++x)
        {
            const Color c = icon.Pixel(x, y);
            row[x] = c == transparent ? 0 : (0xFF000000u | c.Pixel());
        }
    }
    SDL_SetWindowIcon(window_.get(), surface.get());
}

void Application::SetTitle(std::string title)
{
    title_ = std::move(title);
    if (window_ != nullptr)
        SDL_SetWindowTitle(window_.get(), title_.c_str());
}

void Application::Run(Form& mainForm)
{
    mainForm_ = &mainForm;
    Guard([&] { mainForm.Show(); });
    while (Step(true))
    {
    }
}

void Application::Terminate()
{
    terminated_ = true;
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);
}

bool Application::Step(bool wait)
{
    while (!posted_.empty() && !terminated_)
    {
        auto call = std::move(posted_.front());
        posted_.pop_front();
        Guard(call);
    }
    RunPending();
    Render();
    if (controllersWanted_ && frames_ > 0)
        EnableControllers(controllerMappings_);
    if (terminated_)
        return false;
    SDL_Event event;
    int got = 0;
    if (controllers_ != nullptr)
    {
        controllers_->Update();
        got = wait ? SDL_WaitEventTimeout(&event, controllers_->PollInterval())
                   : SDL_PollEvent(&event);
    }
    else
    {
        got = wait ? SDL_WaitEvent(&event) : SDL_PollEvent(&event);
    }
    if (got != 0)
        Handle(event);
    return !terminated_;
}

void Application::ProcessMessages()
{
    SDL_Event event;
    for (;;)
    {
        while (!posted_.empty() && !terminated_)
        {
            auto call = std::move(posted_.front());
            posted_.pop_front();
            Guard(call);
        }
        RunPending();
        if (controllers_ != nullptr)
            controllers_->Update();
        if (terminated_ || SDL_PollEvent(&event) == 0)
            break;
        Handle(event);
    }
    Render();
}

void Application::PostCall(std::function<void()> call)
{
    posted_.push_back(std::move(call));
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);
}

void Application::PostKey(int key)
{
    PostCall([this, key] { KeyDown(key); });
}

void Application::Handle(const SDL_Event& event)
{
    if (controllers_ != nullptr && controllers_->Handle(event))
        return;
    switch (event.type)
    {
    case SDL_QUIT:
        Terminate();
        break;
    case SDL_KEYDOWN:
    {
        const SDL_Keysym& keysym = event.key.keysym;
        const int key = VirtualKeyFromSdl(keysym.sym, (keysym.mod & KMOD_NUM) != 0);
        const bool altEnter =
            (keysym.sym == SDLK_RETURN || keysym.sym == SDLK_KP_ENTER) && (keysym.mod & KMOD_ALT);
        // The toggle's keys are also keys a player can bind: the form on top says when it
        // needs them.
        const Form* top = TopForm();
        if ((keysym.sym == SDLK_F11 || altEnter) && (top == nullptr || !top->ClaimsKey(key)))
        {
            if (event.key.repeat == 0)
                SetFullscreen(!fullscreen_);
            break;
        }
        KeyDown(key);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        MouseButton button = MouseButton::Left;
        if (event.button.button == SDL_BUTTON_RIGHT)
            button = MouseButton::Right;
        else if (event.button.button == SDL_BUTTON_MIDDLE)
            button = MouseButton::Middle;
        const Point p = ToLogical(FromWindow(event.button.x, event.button.y));
        if (event.type == SDL_MOUSEBUTTONDOWN)
            MouseDown(button, p.x, p.y);
        else
            MouseUp(button, p.x, p.y);
        break;
    }
    case SDL_MOUSEMOTION:
    {
        const Point p = ToLogical(FromWindow(event.motion.x, event.motion.y));
        MouseMove(p.x, p.y);
        break;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        {
            const Point size = DrawableSize();
            ResizeScreen(size.x, size.y);
            if (!fullscreen_ &&
                (event.window.data1 != windowWidth_ || event.window.data2 != windowHeight_))
            {
                windowWidth_ = event.window.data1;
                windowHeight_ = event.window.data2;
                if (OnDisplayChanged)
                    Guard(OnDisplayChanged);
            }
        }
        // The screen image keeps everything painted; uncovering only needs presenting again.
        else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                 event.window.event == SDL_WINDOWEVENT_SHOWN)
            Present({screen_.BoundsRect()});
        else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                 event.window.event == SDL_WINDOWEVENT_MINIMIZED)
            Deactivate();
        break;
    default:
        if (event.type == wakeEvent_)
            RunPending();
        break;
    }
}

void Application::KeyDown(int key)
{
    Form* form = TopForm();
    if (form == nullptr)
        return;
    int k = key;
    Guard(
        [&]
        {
            if (form->OnKeyDown)
                form->OnKeyDown(*form, k);
        });
    // The character goes to the form that had the key, and only while it is still shown:
    // Esc that closes a screen must not reach the menu beneath it.
    char c = 0;
    if (key == vk::Back || key == vk::Tab || key == vk::Return || key == vk::Escape ||
        key == vk::Space)
        c = static_cast<char>(key);
    else if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        c = static_cast<char>(key);
    if (c != 0 && form->IsShown() && form->OnKeyPress)
        Guard([&] { form->OnKeyPress(*form, c); });
}

void Application::Deactivate()
{
    if (Form* form = TopForm(); form != nullptr && form->OnDeactivate)
        Guard([&] { form->OnDeactivate(*form); });
}

Control* Application::ControlAt(Point p, Point& local) const
{
    Form* form = TopForm();
    if (form == nullptr)
        return nullptr;
    Control* found = form;
    Point origin{0, 0};
    for (;;)
    {
        Control* next = nullptr;
        const auto& children = found->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
        {
            Control* c = *it;
            if (!c->Visible())
                continue;
            const Point q{p.x - origin.x - c->Left(), p.y - origin.y - c->Top()};
            if (c->ClientRect().Contains(q) && c->HitTest(q))
            {
                next = c;
                break;
            }
        }
        if (next == nullptr)
            break;
        origin.x += next->Left();
        origin.y += next->Top();
        found = next;
    }
    local = {p.x - origin.x, p.y - origin.y};
    return found;
}

void Application::MouseDown(MouseButton button, int x, int y)
{
    // The first pressed control keeps the mouse until its own button is released: another
    // button pressed meanwhile must not take the release away from it.
    if (capture_ != nullptr)
        return;
    Point local;
    Control* c = ControlAt({x, y}, local);
    if (c == nullptr)
        return;
    capture_ = c;
    captureButton_ = button;
    if (c->OnMouseDown)
        Guard([&] { c->OnMouseDown(*c, button, local.x, local.y); });
}

void Application::MouseUp(MouseButton button, int x, int y)
{
    Control* c = capture_;
    if (c == nullptr || button != captureButton_)
        return;
    capture_ = nullptr;
    const Point origin = c->ToForm({0, 0});
    const Point local{x - origin.x, y - origin.y};
    // As on Windows: a left release over the pressed control is a click, and the click comes
    // before the release event.
    if (button == MouseButton::Left && c->ClientRect().Contains(local) && c->Showing() &&
        c->OnClick)
        Guard([&] { c->OnClick(*c); });
    if (c->OnMouseUp)
        Guard([&] { c->OnMouseUp(*c, button, local.x, local.y); });
}

void Application::MouseMove(int x, int y)
{
    Point local;
    Control* c = capture_;
    if (c != nullptr)
    {
        const Point origin = c->ToForm({0, 0});
        local = {x - origin.x, y - origin.y};
    }
    else
    {
        c = ControlAt({x, y}, local);
    }
    if (c != nullptr && c->OnMouseMove)
        Guard([&] { c->OnMouseMove(*c, local.x, local.y); });
}

Form* Application::TopForm() const
{
    return forms_.empty() ? nullptr : forms_.back();
}

bool Application::IsShown(const Form& form) const
{
    return std::find(forms_.begin(), forms_.end(), &form) != forms_.end();
}

void Application::PushForm(Form& form)
{
    if (TopForm() == &form)
        return;
    Form* covered = TopForm();
    std::erase(forms_, &form);
    forms_.push_back(&form);
    InvalidateAll();
    TopChanged(covered);
}

void Application::RemoveForm(Form& form)
{
    if (!IsShown(form))
        return;
    Form* top = TopForm();
    std::erase(forms_, &form);
    InvalidateAll();
    if (top == &form)
        TopChanged(&form);
}

void Application::TopChanged(Form* previous)
{
    // Only the form on top can be seen: what animates on the others rests meanwhile.
    if (previous != nullptr)
        previous->ScreenChanged();
    if (Form* top = TopForm(); top != nullptr && top != previous)
        top->ScreenChanged();
}

void Application::EnableControllers(std::string mappingFile)
{
    controllerMappings_ = std::move(mappingFile);
    controllersWanted_ = frames_ == 0;
    if (controllersWanted_ || controllers_ != nullptr)
        return;
    auto controllers = std::make_unique<Controllers>(Controllers::Sink{
        .turn = [this](int player, Turn turn) { PlayerTurn(player, turn); },
        .key = [this](int key) { KeyDown(key); },
        .changed =
            [this]
        {
            if (Form* form = TopForm(); form != nullptr && form->OnControllersChanged)
                Guard([&] { form->OnControllersChanged(*form); });
        }});
    // A system without joysticks (no /dev/input access) plays on without a word.
    if (controllers->Open(controllerMappings_))
        controllers_ = std::move(controllers);
}

std::string Application::ControllerName(int player) const
{
    return controllers_ != nullptr ? controllers_->Name(player) : std::string();
}

void Application::Rumble(int player) const
{
    if (controllers_ != nullptr)
        controllers_->Rumble(player);
}

void Application::PlayerTurn(int player, Turn turn)
{
    Form* form = TopForm();
    if (form == nullptr)
        return;
    if (form->OnPlayerTurn)
    {
        Guard([&] { form->OnPlayerTurn(*form, player, turn); });
        return;
    }
    constexpr int kArrows[] = {vk::Left, vk::Right, vk::Up, vk::Down};
    KeyDown(kArrows[static_cast<int>(turn)]);
}

void Application::SetCursorVisible(bool visible)
{
    if (visible == cursorVisible_)
        return;
    cursorVisible_ = visible;
    if (window_ != nullptr)
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void Application::SetScreenSaverAllowed(bool allowed)
{
    if (allowed == screenSaverAllowed_)
        return;
    screenSaverAllowed_ = allowed;
    if (window_ == nullptr)
        return;
    if (allowed)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

void Application::InvalidateFormRect(const Form& form, Rect r)
{
    if (TopForm() == &form)
        AddDirty(ToPhysical(r));
}

void Application::InvalidateAll()
{
    dirty_.assign(1, screen_.BoundsRect());
}

void Application::AddDirty(Rect physical)
{
    Rect r = physical.Intersect(screen_.BoundsRect());
    if (r.Empty())
        return;
    // Separate rectangles keep a game's scattered cells from repainting the whole board between
    // them; overlapping ones are merged so that nothing is painted twice.
    for (std::size_t i = 0; i < dirty_.size();)
    {
        if (!dirty_[i].Intersect(r).Empty())
        {
            r = r.Union(dirty_[i]);
            dirty_.erase(dirty_.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
        }
        else
        {
            ++i;
        }
    }
    dirty_.push_back(r);
    constexpr std::size_t kMaxRects = 64;
    if (dirty_.size() > kMaxRects)
    {
        Rect all;
        for (const Rect& d : dirty_)
            all = all.Union(d);
        dirty_.assign(1, all);
    }
}

void Application::Render()
{
    if (dirty_.empty())
        return;
    std::vector<Rect> rects = std::move(dirty_);
    dirty_.clear();
    for (const Rect& r : rects)
    {
        Canvas canvas(screen_, scale_, {0, 0}, {0, 0}, r);
        if (Form* form = TopForm())
            Guard([&] { PaintTree(*form, canvas); });
        else
            canvas.FillRect({0, 0, width_, height_}, clBlack);
    }
    // The window system's first handling of a whole screen costs it some 30 ms on a large
    // screen. Where it clears the window to black itself, doing so while the first frame is
    // painted here, that frame hands over only what is not black.
    if (firstPresent_ && clearedBlack_)
    {
        const Rect shown = screen_.NonBlackBounds();
        rects.clear();
        if (!shown.Empty())
            rects.push_back(shown);
    }
    firstPresent_ = false;
    Present(rects);
}

void Application::Present(const std::vector<Rect>& rects)
{
    ++frames_;
    if (presenter_ != nullptr)
    {
        presenter_->Present(screen_, rects);
        return;
    }
    // The framebuffer bound to the screen image, never a fresh one: SDL_GetWindowSurface after a
    // size change would free the pixels the screen image points at.
    SDL_Surface* surface = surface_;
    if (window_ == nullptr || surface == nullptr)
        return;
    std::vector<SDL_Rect> update;
    update.reserve(rects.size());
    for (const Rect& r : rects)
        update.push_back({r.left, r.top, r.Width(), r.Height()});
    if (!direct_)
    {
        const SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<std::uint32_t*>(screen_.Data()), screen_.Width(), screen_.Height(), 32,
            screen_.Stride() * 4, SDL_PIXELFORMAT_XRGB8888));
        if (!source)
            return;
        for (SDL_Rect& rect : update)
        {
            SDL_Rect dst = rect;
            SDL_BlitSurface(source.get(), &rect, surface, &dst);
        }
    }
    SDL_UpdateWindowSurfaceRects(window_.get(), update.data(), static_cast<int>(update.size()));
}

void Application::HandleException(std::exception_ptr error)
{
    std::string message = "Unknown error";
    try
    {
        std::rethrow_exception(error);
    }
    catch (const std::exception& e)
    {
        message = e.what();
    }
    catch (...)
    {
    }
    ShowMessage(message);
}

void Application::ShowMessage(const std::string& message)
{
    if (ErrorHandler)
    {
        ErrorHandler(message);
        return;
    }
    // With no window, or with the loop already ending, nobody could close a box.
    if (window_ == nullptr || terminated_)
    {
        std::fprintf(stderr, "%s: %s\n", title_.c_str(), message.c_str());
        return;
    }
    MessageDialog(*this, message).Run();
}

int VirtualKeyFromSdl(int sdlKey, bool numLock)
{
    // SDL reports the keypad's keys as keypad keys whatever Num Lock says; the system's meaning
    // of them without it is the navigation keys printed beneath the digits.
    if (!numLock)
    {
        switch (sdlKey)
        {
        case SDLK_KP_8:
            return vk::Up;
        case SDLK_KP_4:
            return vk::Left;
        case SDLK_KP_6:
            return vk::Right;
        case SDLK_KP_2:
            return vk::Down;
        case SDLK_KP_7:
            return vk::Home;
        case SDLK_KP_1:
            return vk::End;
        case SDLK_KP_9:
            return vk::Prior;
        case SDLK_KP_3:
            return vk::Next;
        case SDLK_KP_0:
            return vk::Insert;
        case SDLK_KP_PERIOD:
            return vk::Delete;
        default:
            break;
        }
    }
    if (sdlKey >= SDLK_a && sdlKey <= SDLK_z)
        return 'A' + (sdlKey - SDLK_a);
    if (sdlKey >= SDLK_0 && sdlKey <= SDLK_9)
        return '0' + (sdlKey - SDLK_0);
    if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F12)
        return vk::F1 + (sdlKey - SDLK_F1);
    if (sdlKey >= SDLK_KP_1 && sdlKey <= SDLK_KP_9)
        return vk::Numpad0 + 1 + (sdlKey - SDLK_KP_1);
    switch (sdlKey)
    {
    case SDLK_BACKSPACE:
        return vk::Back;
    case SDLK_TAB:
        return vk::Tab;
    case SDLK_RETURN:
        return vk::Return;
    case SDLK_KP_ENTER:
        return vk::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return vk::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return vk::Control;
    case SDLK_LALT:
    case SDLK_RALT:
        return vk::Menu;
    case SDLK_PAUSE:
        return vk::Pause;
    case SDLK_ESCAPE:
        return vk::Escape;
    case SDLK_SPACE:
        return vk::Space;
    case SDLK_PAGEUP:
        return vk::Prior;
    case SDLK_PAGEDOWN:
        return vk::Next;
    case SDLK_END:
        return vk::End;
    case SDLK_HOME:
        return vk::Home;
    case SDLK_LEFT:
        return vk::Left;
    case SDLK_UP:
        return vk::Up;
    case SDLK_RIGHT:
        return vk::Right;
    case SDLK_DOWN:
        return vk::Down;
    case SDLK_INSERT:
        return vk::Insert;
    case SDLK_DELETE:
        return vk::Delete;
    case SDLK_BACKQUOTE:
        return vk::Oem3;
    case SDLK_KP_0:
        return vk::Numpad0;
    case SDLK_KP_MULTIPLY:
        return 106;
    case SDLK_KP_PLUS:
        return 107;
    case SDLK_KP_MINUS:
        return 109;
    case SDLK_KP_PERIOD:
        return 110;
    case SDLK_KP_DIVIDE:
        return 111;
    case SDLK_CAPSLOCK:
        return 20;
    case SDLK_NUMLOCKCLEAR:
        return 144;
    case SDLK_SCROLLLOCK:
        return 145;
    case SDLK_PRINTSCREEN:
        return 44;
    case SDLK_SEMICOLON:
        return 186;
    case SDLK_EQUALS:
        return 187;
    case SDLK_COMMA:
        return 188;
    case SDLK_MINUS:
        return 189;
    case SDLK_PERIOD:
        return 190;
    case SDLK_SLASH:
        return 191;
    case SDLK_LEFTBRACKET:
        return 219;
    case SDLK_BACKSLASH:
        return 220;
    case SDLK_RIGHTBRACKET:
        return 221;
    case SDLK_QUOTE:
        return 222;
    case SDLK_LGUI:
        return 91;
    case SDLK_RGUI:
        return 92;
    case SDLK_APPLICATION:
        return 93;
    default:
        if (sdlKey >= SDLK_F13 && sdlKey <= SDLK_F24)
            return vk::F1 + 12 + (sdlKey - SDLK_F13);
        // Keys Windows has no code for still reach the screens (the controls screen names
        // them "None"), rather than vanishing.
        return vk::NoCode;
    }
}

} // namespace ui
