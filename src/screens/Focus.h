// The keyboard focus of a screen: absent until a key moves it, then on one of the screen's items
// in their order; the mouse moves it to the item it points at once it is shown.
#pragma once

#include <functional>

namespace ui
{
class Control;
}

class Focus
{
public:
    // show paints an item focused or not; available says whether an item can take the focus
    // now (a hidden item cannot).
    Focus(int count, std::function<void(int item, bool focused)> show,
          std::function<bool(int item)> available = {});

    bool Shown() const { return item_ >= 0; }
    // The focused item; -1 while the focus is not shown.
    int Item() const { return item_; }
    // The next (step 1) or previous (step -1) available item, wrapping at the ends; the first
    // move focuses the first or the last.
    void Move(int step);
    // The mouse points at item: the focus goes there if it is shown and item can take it.
    void Point(int item);
    // The mouse over control, or a press on it, points at item. Called once the control's own
    // mouse handlers are set: they still run, after the focus moved.
    void Follow(ui::Control& control, int item);
    // Focuses item, showing the focus.
    void Set(int item);
    void Clear();
    // The item's look again after the screen repainted it.
    void Refresh();

private:
    int count_;
    std::function<void(int, bool)> show_;
    std::function<bool(int)> available_;
    int item_ = -1;
};

// The step a key moves a focus by: 1 for Down and Tab, -1 for Up and Shift+Tab, else 0; Left and
// Right count too when sideways is set.
int FocusStep(int key, bool shift, bool sideways = false);
