// The window and what it shows: the scale between the screens' logical pixels and the output's
// physical ones, the one screen image, the rectangles still to present, full screen or a window,
// and the first frame's path. What the output is (a window, or nothing) is its presenter's.
#pragma once

#include "platform/Event.h"
#include "ui/Bitmap.h"
#include "ui/Presenter.h"
#include "ui/Types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui
{

class Canvas;

// How the application starts its output; the window's part is the presentation's.
struct DisplayOptions
{
    // Without a window: everything but presenting works, for tests.
    bool headless = false;
    // The screen size in physical pixels when headless.
    int width = 1024;
    int height = 768;
    std::string title = "Zorbel2";
    // Physical pixels per logical pixel; 0 chooses it from the screen's size.
    double scale = 1.0;
    bool fullscreen = true;
    // The window's size when not full screen; 0 for three quarters of the desktop.
    int windowWidth = 0;
    int windowHeight = 0;
    // The logical screen the largest panel needs: no window is made smaller than it at scale 1,
    // and the scale is lowered until the screen holds it, below 1 where a window is forced
    // smaller.
    int minimumWidth = 0;
    int minimumHeight = 0;
};

class Presentation
{
public:
    using Options = DisplayOptions;

    // What a window event meant beyond the display itself.
    enum class Change
    {
        None,
        // The user resized the window (its new size is remembered).
        WindowSized,
        // The window lost the keyboard focus or was minimised.
        Deactivated
    };

    // The largest scale in quarter steps (1 to 8) at which the logical screen still holds
    // logicalWidth x logicalHeight (1 when none does).
    static double ChooseScale(int physicalWidth, int physicalHeight, int logicalWidth = 800,
                              int logicalHeight = 600);
    // As ChooseScale, and below 1 (in steps of 1/64) where even scale 1 would not hold it.
    static double FittingScale(int physicalWidth, int physicalHeight, int logicalWidth,
                               int logicalHeight);

    Presentation(std::unique_ptr<Presenter> presenter, Options options);
    Presentation(const Presentation&) = delete;
    Presentation& operator=(const Presentation&) = delete;
    ~Presentation();

    // Called after the scale or the logical screen changed, before everything is painted again.
    std::function<void()> OnLayOut;

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);
    void SetIcon(const Bitmap& icon, Color transparent);
    // Whether anyone sees the output and can answer a message box there.
    bool Seen() const { return presenter_->Seen(); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int PhysicalWidth() const { return physicalWidth_; }
    int PhysicalHeight() const { return physicalHeight_; }
    double Scale() const { return scale_; }
    // Sets the scale (0: chosen from the screen's size) and lays the screen out again.
    void SetScale(double scale);
    // The output took a new physical size.
    void ResizeScreen(int physicalWidth, int physicalHeight);
    Point ToLogical(Point physical) const;
    Rect ToPhysical(Rect logical) const;
    // A point of the output's own (a window event's) in logical pixels.
    Point FromOutput(int x, int y) const;

    bool Fullscreen() const { return fullscreen_; }
    // Full screen, or a resizable window of the remembered size; false when nothing changed.
    bool SetFullscreen(bool fullscreen);
    int WindowWidth() const { return windowWidth_; }
    int WindowHeight() const { return windowHeight_; }

    void SetCursorVisible(bool visible);
    bool CursorVisible() const { return cursorVisible_; }
    void SetScreenSaverAllowed(bool allowed);
    bool ScreenSaverAllowed() const { return screenSaverAllowed_; }

    // A window event: size changes, exposure; what else it meant is returned.
    Change Handle(const platform::Event& event);

    // A physical rectangle to present at the next Render.
    void Invalidate(Rect physical);
    void InvalidateAll();
    // Paints the dirty rectangles through paint (given a canvas clipped to each) and presents them.
    void Render(const std::function<void(Canvas&)>& paint);
    const Bitmap& Screen() const { return screen_; }
    int FramesPresented() const { return frames_; }

private:
    void Present(const std::vector<Rect>& rects);
    void BindScreen();
    void LayOut();
    // The remembered window's size, within the desktop as it is now and at least the minimum.
    void FitWindow();

    std::unique_ptr<Presenter> presenter_;
    std::string title_;
    int width_ = 0;
    int height_ = 0;
    int physicalWidth_ = 0;
    int physicalHeight_ = 0;
    Point desktop_;
    double requestedScale_ = 1.0;
    double scale_ = 1.0;
    // The scale asked for that was last reported as lowered to fit.
    double reportedScale_ = 0.0;
    // The largest panel's logical size, and the window's least size (within the desktop).
    int panelWidth_ = 0;
    int panelHeight_ = 0;
    int minimumWidth_ = 0;
    int minimumHeight_ = 0;
    bool fullscreen_ = true;
    int windowWidth_ = 0;
    int windowHeight_ = 0;
    bool cursorVisible_ = true;
    bool screenSaverAllowed_ = true;
    // The screen image is the output's own framebuffer when its layout allows.
    bool direct_ = false;
    // The output clears itself to black, and nothing was presented yet.
    bool clearedBlack_ = false;
    bool firstPresent_ = true;
    Bitmap screen_;
    // Physical rectangles still to paint; overlapping ones are merged.
    std::vector<Rect> dirty_;
    int frames_ = 0;
};

} // namespace ui
