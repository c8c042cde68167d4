// The screen-button pattern and the labels every screen's form data is made of.
#include "screens/ScreenButton.h"

#include "assets/Assets.h"

namespace
{
constexpr int kPressShift = 3;
}

void SetupScreenButton(ui::Image& image, int left, int top, std::function<void()> click)
{
    const auto bytes = assets::Find("button.bmp");
    if (!bytes.empty())
        image.SetPicture(ui::Bitmap::FromBmp(bytes));
    image.SetBounds(left, top, 28, 27);
    image.SetTransparent(true);
    if (!click)
        return;
    image.OnMouseDown = [](ui::Control& c, ui::MouseButton, int, int)
    {
        ScreenButtonDown(c);
    };
    image.OnMouseUp = [](ui::Control& c, ui::MouseButton, int, int)
    {
        ScreenButtonUp(c);
    };
    image.OnClick = [click = std::move(click)](ui::Control&)
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
