// The screen-button pattern shared by every screen: a red ball picture beside a caption; the
// picture sinks 3 pixels while a mouse button is held on it.
#pragma once

#include "ui/Control.h"

#include <functional>

// A handler of a screen as an action.
template <class S> std::function<void()> Bind(S* screen, void (S::*handler)())
{
    return [screen, handler]
    {
        (screen->*handler)();
    };
}
// Mouse pressed on the picture (any button): it moves 3 pixels right and down.
void ScreenButtonDown(ui::Control& image);
// Any release: it moves back. The click (left button released over it) runs before this.
void ScreenButtonUp(ui::Control& image);
