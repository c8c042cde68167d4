// The display's bookkeeping over any presenter: only what changed is painted and presented, and
// nothing is presented when nothing changed.
#include "ui/Presentation.h"

#include "platform/Diagnostics.h"
#include "ui/Canvas.h"
#include "ui/FrameTiming.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ui
{

Presentation::Presentation(std::unique_ptr<Presenter> presenter, Options options)
    : presenter_(std::move(presenter)), title_(std::move(options.title)),
      requestedScale_(options.scale), panelWidth_(options.minimumWidth),
      panelHeight_(options.minimumHeight), fullscreen_(options.fullscreen),
      windowWidth_(options.windowWidth), windowHeight_(options.windowHeight)
{
    timing::StartFromEnvironment();
    if (windowWidth_ <= 0 || windowHeight_ <= 0)
    {
        const Point desktop = presenter_->DesktopSize();
        windowWidth_ = desktop.x * 3 / 4;
        windowHeight_ = desktop.y * 3 / 4;
    }
    FitWindow();
    presenter_->Open(title_, fullscreen_, {windowWidth_, windowHeight_},
                     {minimumWidth_, minimumHeight_});
    const Point size = presenter_->OutputSize();
    physicalWidth_ = size.x;
    physicalHeight_ = size.y;
    BindScreen();
    // After the framebuffer is bound, whose making waits for the server: the clearing then runs
    // in the server while the first frame is painted here.
    clearedBlack_ = presenter_->ClearToBlack();
    LayOut();
}

Presentation::~Presentation()
{
    if (!cursorVisible_)
        presenter_->ShowCursor(true);
    SetScreenSaverAllowed(true);
}

double Presentation::ChooseScale(int physicalWidth, int physicalHeight, int logicalWidth,
                                 int logicalHeight)
{
    double scale = 1.0;
    for (double s = 1.25; s <= 8.0; s += 0.25)
        if (physicalWidth / s >= logicalWidth && physicalHeight / s >= logicalHeight)
            scale = s;
    return scale;
}

double Presentation::FittingScale(int physicalWidth, int physicalHeight, int logicalWidth,
                                  int logicalHeight)
{
    if (physicalWidth >= logicalWidth && physicalHeight >= logicalHeight)
        return ChooseScale(physicalWidth, physicalHeight, logicalWidth, logicalHeight);
    // Sixty-fourths keep a logical position times the scale exact in binary, as quarters do.
    constexpr double kSteps = 64;
    const double fits = std::min(static_cast<double>(physicalWidth) / logicalWidth,
                                 static_cast<double>(physicalHeight) / logicalHeight);
    return std::max(1.0, std::floor(fits * kSteps)) / kSteps;
}

void Presentation::FitWindow()
{
    // Asked each time: the desktop may have changed since the window was last sized.
    desktop_ = presenter_->DesktopSize();
    // A window smaller than the largest panel at scale 1 would need a smaller scale.
    minimumWidth_ = std::min(panelWidth_, desktop_.x);
    minimumHeight_ = std::min(panelHeight_, desktop_.y);
    windowWidth_ = std::clamp(windowWidth_, minimumWidth_, desktop_.x);
    windowHeight_ = std::clamp(windowHeight_, minimumHeight_, desktop_.y);
}

void Presentation::SetTitle(std::string title)
{
    title_ = std::move(title);
    presenter_->SetTitle(title_);
}

void Presentation::SetIcon(const Bitmap& icon, Color transparent)
{
    presenter_->SetIcon(icon, transparent);
}

void Presentation::SetScale(double scale)
{
    requestedScale_ = scale;
    LayOut();
}

void Presentation::ResizeScreen(int physicalWidth, int physicalHeight)
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

void Presentation::BindScreen()
{
    if (presenter_->Bind(screen_))
    {
        physicalWidth_ = screen_.Width();
        physicalHeight_ = screen_.Height();
        direct_ = true;
        return;
    }
    // A view of a framebuffer the output dropped must not be drawn into.
    if (direct_ || screen_.Width() != physicalWidth_ || screen_.Height() != physicalHeight_)
        screen_.Resize(physicalWidth_, physicalHeight_, clBlack);
    direct_ = false;
}

void Presentation::LayOut()
{
    // The largest panel is never cut off: a window forced smaller than it (a tiling window
    // manager, or none at all) shows it smaller.
    const double fits = FittingScale(physicalWidth_, physicalHeight_, panelWidth_, panelHeight_);
    if (requestedScale_ > 0)
    {
        scale_ = std::min(requestedScale_, fits);
        if (scale_ < requestedScale_ && reportedScale_ != requestedScale_)
        {
            reportedScale_ = requestedScale_;
            char line[96];
            std::snprintf(line, sizeof line, "scale %g does not fit the screen, %g is used",
                          requestedScale_, scale_);
            platform::ReportOnStderr(line);
        }
    }
    else
    {
        scale_ = std::min(ChooseScale(physicalWidth_, physicalHeight_), fits);
    }
    // Rounded up, so that the forms cover the last physical column and row too.
    width_ = static_cast<int>(std::ceil(physicalWidth_ / scale_));
    height_ = static_cast<int>(std::ceil(physicalHeight_ / scale_));
    if (OnLayOut)
        OnLayOut();
    InvalidateAll();
}

Point Presentation::ToLogical(Point physical) const
{
    return {LogicalFromPhysical(physical.x, scale_), LogicalFromPhysical(physical.y, scale_)};
}

Rect Presentation::ToPhysical(Rect logical) const
{
    return {PhysicalFromLogical(logical.left, scale_), PhysicalFromLogical(logical.top, scale_),
            PhysicalFromLogical(logical.right, scale_),
            PhysicalFromLogical(logical.bottom, scale_)};
}

Point Presentation::FromOutput(int x, int y) const
{
    return ToLogical(presenter_->FromOutput({x, y}));
}

bool Presentation::SetFullscreen(bool fullscreen)
{
    if (fullscreen == fullscreen_)
        return false;
    fullscreen_ = fullscreen;
    // A size remembered from a larger desktop, or a window dragged larger than this one, comes
    // back inside it.
    if (!fullscreen_)
        FitWindow();
    // The output drops its framebuffer with the size change; the screen image must move to the
    // new one before anything is presented again.
    if (presenter_->SetMode(fullscreen_, {windowWidth_, windowHeight_}))
    {
        const Point size = presenter_->OutputSize();
        ResizeScreen(size.x, size.y);
    }
    return true;
}

void Presentation::SetCursorVisible(bool visible)
{
    if (visible == cursorVisible_)
        return;
    cursorVisible_ = visible;
    presenter_->ShowCursor(visible);
}

void Presentation::SetScreenSaverAllowed(bool allowed)
{
    if (allowed == screenSaverAllowed_)
        return;
    screenSaverAllowed_ = allowed;
    presenter_->AllowScreenSaver(allowed);
}

Presentation::Change Presentation::Handle(const platform::Event& event)
{
    switch (event.kind)
    {
    case platform::Event::Kind::WindowSized:
    {
        const Point size = presenter_->OutputSize();
        ResizeScreen(size.x, size.y);
        if (!fullscreen_ && (event.x != windowWidth_ || event.y != windowHeight_))
        {
            windowWidth_ = event.x;
            windowHeight_ = event.y;
            return Change::WindowSized;
        }
        return Change::None;
    }
    // The screen image keeps everything painted; uncovering only needs presenting again.
    case platform::Event::Kind::WindowShown:
        Present({screen_.BoundsRect()});
        return Change::None;
    case platform::Event::Kind::WindowDeactivated:
        return Change::Deactivated;
    default:
        return Change::None;
    }
}

void Presentation::InvalidateAll()
{
    const timing::Scope timed(timing::Part::Union);
    dirty_.assign(1, screen_.BoundsRect());
}

void Presentation::Invalidate(Rect physical)
{
    const timing::Scope timed(timing::Part::Union);
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

void Presentation::Render(const std::function<void(Canvas&)>& paint)
{
    if (dirty_.empty())
        return;
    std::vector<Rect> rects = std::move(dirty_);
    dirty_.clear();
    {
        const timing::Scope timed(timing::Part::Panels);
        for (const Rect& r : rects)
        {
            Canvas canvas(screen_, scale_, {0, 0}, {0, 0}, r);
            paint(canvas);
        }
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

void Presentation::Present(const std::vector<Rect>& rects)
{
    ++frames_;
    presenter_->Present(screen_, rects);
    if (timing::active != nullptr)
    {
        long long pixels = 0;
        for (const Rect& r : rects)
            pixels += static_cast<long long>(r.Width()) * r.Height();
        timing::FramePresented(static_cast<int>(rects.size()), pixels);
    }
}

} // namespace ui
