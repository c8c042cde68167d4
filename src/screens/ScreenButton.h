// The screen-button pattern shared by every screen: a red ball picture beside a caption; the
// picture sinks 3 pixels while a mouse button is held on it.
#pragma once

#include "ui/Control.h"

#include <functional>

namespace ui
{
class Image;
}

// Loads the red-ball picture into image, drawn transparent on the black panel. Given a click
// action, also wires the press effect and the click.
void SetupScreenButton(ui::Image& image, int left, int top, std::function<void()> click = {});
// Runs the actions on a mouse press (any button), a release (any), and a click (a left release
// over the control, before the release's action); an empty action leaves that event alone.
void WireMouse(ui::Control& control, std::function<void()> down, std::function<void()> up,
               std::function<void()> click);
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

// A caption label of the screens: Comic Sans MS of the given character height and colour.
void SetupLabel(ui::Label& label, int left, int top, const char* caption, int height,
                ui::Color color, bool bold = false);
