// The keyboard focus shared by the screens.
#include "screens/Focus.h"

#include "ui/Control.h"
#include "ui/Types.h"

#include <utility>

Focus::Focus(int count, std::function<void(int, bool)> show, std::function<bool(int)> available)
    : count_(count), show_(std::move(show)), available_(std::move(available))
{
}

void Focus::Move(int step)
{
    int item = item_ >= 0 ? item_ : (step > 0 ? count_ - 1 : 0);
    for (int tries = 0; tries < count_; ++tries)
    {
        item = (item + step + count_) % count_;
        if (!available_ || available_(item))
        {
            Set(item);
            return;
        }
    }
}

void Focus::Point(int item)
{
    if (Shown() && (!available_ || available_(item)))
        Set(item);
}

void Focus::Follow(ui::Control& control, int item)
{
    control.OnMouseMove =
        [this, item, move = std::move(control.OnMouseMove)](ui::Control& sender, int x, int y)
    {
        Point(item);
        if (move)
            move(sender, x, y);
    };
    control.OnMouseDown = [this, item, down = std::move(control.OnMouseDown)](
                              ui::Control& sender, ui::MouseButton button, int x, int y)
    {
        Point(item);
        if (down)
            down(sender, button, x, y);
    };
}

void Focus::Set(int item)
{
    if (item == item_)
        return;
    if (item_ >= 0)
        show_(item_, false);
    item_ = item;
    if (item_ >= 0)
        show_(item_, true);
}

void Focus::Clear()
{
    Set(-1);
}

void Focus::Refresh()
{
    if (item_ >= 0)
        show_(item_, true);
}

int FocusStep(int key, bool shift, bool sideways)
{
    if (key == ui::vk::Tab)
        return shift ? -1 : 1;
    if (key == ui::vk::Down || (sideways && key == ui::vk::Right))
        return 1;
    if (key == ui::vk::Up || (sideways && key == ui::vk::Left))
        return -1;
    return 0;
}
