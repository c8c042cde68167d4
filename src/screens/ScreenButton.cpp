// The screen-button pattern and the labels every screen's form data is made of.
#include "screens/ScreenButton.h"

#include "ui/Bitmap.h"

namespace
{
constexpr int kPressShift = 3;
}

void SetupScreenButton(ui::Image& image, int left, int top, std::function<void()> click)
{
    image.SetPicture(ui::Bitmap::Embedded("button.bmp"));
    image.SetBounds(left, top, 28, 27);
    image.SetTransparent(true);
    if (!click)
        return;
    WireMouse(
        image, [&image] { ScreenButtonDown(image); }, [&image] { ScreenButtonUp(image); },
        std::move(click));
}

void WireMouse(ui::Control& control, std::function<void()> down, std::function<void()> up,
               std::function<void()> click)
{
    if (down)
        control.OnMouseDown = [down = std::move(down)](ui::Control&, ui::MouseButton, int, int)
        {
            down();
        };
    if (up)
        control.OnMouseUp = [up = std::move(up)](ui::Control&, ui::MouseButton, int, int)
        {
            up();
        };
    if (click)
        control.OnClick = [click = std::move(click)](ui::Control&)
        {
            click();
        };
}

void ScreenButtonDown(ui::Control& image)
{
    image.SetBounds(image.Left() + kPressShift, image.Top() + kPressShift, image.Width(),
                    image.Height());
}

void ScreenButtonUp(ui::Control& image)
{
    image.SetBounds(image.Left() - kPressShift, image.Top() - kPressShift, image.Width(),
                    image.Height());
}

void SetupLabel(ui::Label& label, int left, int top, const char* caption, int height,
                ui::Color color, bool bold)
{
    label.SetLeft(left);
    label.SetTop(top);
    label.SetFont(ui::Font{"Comic Sans MS", height, bold, color});
    label.SetCaption(caption);
}
