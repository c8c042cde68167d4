// Showing, hiding and modal showing of screens.
#include "ui/Form.h"

#include "ui/Platform.h"

#include <algorithm>

namespace ui
{

Form::Form(Platform& app) : Control(nullptr), app_(app)
{
    SetParentColor(false);
    SetColor(clBlack);
    SetBounds(0, 0, app.ScreenWidth(), app.ScreenHeight());
    app_.AddForm(*this);
}

Form::~Form()
{
    app_.RemoveForm(*this);
    app_.ForgetForm(*this);
}

void Form::Show()
{
    const bool wasShown = IsShown();
    app_.PushForm(*this);
    if (!wasShown && OnShow)
        OnShow(*this);
}

void Form::Hide()
{
    if (!IsShown())
        return;
    app_.RemoveForm(*this);
    if (OnHide)
        OnHide(*this);
}

void Form::ShowModal()
{
    Show();
    while (IsShown() && !app_.Terminated())
        app_.Step(true);
}

void Form::Close()
{
    if (app_.MainForm() == this)
        app_.Terminate();
    else
        Hide();
}

bool Form::IsShown() const
{
    return app_.IsShown(*this);
}

void Form::CenterPanel(Control& panel)
{
    if (std::find(centred_.begin(), centred_.end(), &panel) == centred_.end())
        centred_.push_back(&panel);
    panel.SetBounds((app_.ScreenWidth() - panel.Width()) / 2,
                    (app_.ScreenHeight() - panel.Height()) / 2, panel.Width(), panel.Height());
}

void Form::LayOut()
{
    ScaleChanged();
    SetBounds(0, 0, app_.ScreenWidth(), app_.ScreenHeight());
    for (Control* panel : centred_)
        CenterPanel(*panel);
}

void Form::Paint(Canvas& canvas)
{
    canvas.FillRect(ClientRect(), GetColor());
}

bool Form::ClaimsKey(int) const
{
    return false;
}

} // namespace ui
