// Where the screen image goes: a presenter owns the output (a window, or nothing at all) and
// shows the rectangles of the image that changed. The display's bookkeeping (scale, dirty
// rectangles, full screen or window) is the same over every presenter.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace ui
{

class Presenter
{
public:
    virtual ~Presenter() = default;

    // The desktop's size in physical pixels, known before the output opens.
    virtual Point DesktopSize() const = 0;
    // Opens the output: full screen at the desktop's size, or a resizable window of the given
    // size centred on the desktop, never smaller than the minimum.
    virtual void Open(const std::string& title, bool fullscreen, Point window, Point minimum) = 0;
    // The output's drawable in physical pixels.
    virtual Point OutputSize() const = 0;
    // Points the screen image at the output's own framebuffer where its layout allows; false
    // when the screen image is to be an image of its own that presenting converts.
    virtual bool Bind(Bitmap& screen) = 0;
    // Asks the output to clear itself to black without waiting for it; true when it does.
    virtual bool ClearToBlack() { return false; }
    virtual void Present(const Bitmap& screen, const std::vector<Rect>& rects) = 0;
    // Switches between full screen and the window; true when the output (and so its
    // framebuffer) may have changed, to be bound again.
    virtual bool SetMode(bool fullscreen, Point window) = 0;
    // A point in the output's own coordinates, in physical pixels.
    virtual Point FromOutput(Point p) const { return p; }
    // Whether anyone can see and answer what is presented (a message box, say).
    virtual bool Seen() const = 0;

    virtual void SetTitle(const std::string&) {}
    virtual void SetIcon(const Bitmap&, Color) {}
    virtual void ShowCursor(bool) {}
    virtual void AllowScreenSaver(bool) {}
};

// Presents nothing, to an output of a fixed size: forms, painting and the loop work the same
// with no display at all.
class NullPresenter final : public Presenter
{
public:
    explicit NullPresenter(Point size) : size_(size) {}
    Point DesktopSize() const override { return size_; }
    void Open(const std::string&, bool, Point, Point) override {}
    Point OutputSize() const override { return size_; }
    bool Bind(Bitmap&) override { return false; }
    void Present(const Bitmap&, const std::vector<Rect>&) override {}
    bool SetMode(bool, Point) override { return false; }
    bool Seen() const override { return false; }

private:
    Point size_;
};

// The SDL window. Starts SDL's video (on a display that may need asking twice) and throws when
// nothing could be shown.
std::unique_ptr<Presenter> OpenWindowPresenter();

// The desktop entry's id, which the window system matches the window with. SDL reads it from the
// environment, and changing the environment while another thread reads it (fontconfig, a sound
// library) can crash that thread: call it while the program has no other thread yet.
void SetWindowClass(const std::string& appId);

} // namespace ui
