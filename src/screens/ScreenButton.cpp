// The screen-button pattern: the press that sinks the picture and the release that lifts it.
#include "screens/ScreenButton.h"

namespace
{
constexpr int kPressShift = 3;
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
