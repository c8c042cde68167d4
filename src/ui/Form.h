// A screen: a full-screen black window's content, shown above the others or hidden.
#pragma once

#include "ui/Control.h"
#include "ui/Controllers.h"

#include <functional>
#include <vector>

namespace ui
{

class Platform;

class Form : public Control
{
public:
    using FormEvent = std::function<void(Form& sender)>;
    using KeyEvent = std::function<void(Form& sender, int& key)>;
    using KeyPressEvent = std::function<void(Form& sender, char& key)>;

    // The form covers the whole screen and starts hidden.
    explicit Form(Platform& app);
    ~Form() override;

    Platform& App() const { return app_; }

    // Puts the form on top of the others; OnShow runs when it was hidden.
    void Show();
    // Removes the form from the screen; OnHide runs when it was shown.
    void Hide();
    // Shows the form and runs the message loop until it is hidden again.
    void ShowModal();
    // Hides the form; closing the main form ends the program.
    void Close();
    bool IsShown() const;

    // Places a child panel in the middle of the screen, dividing with truncation; it is placed
    // again whenever the screen's logical size changes.
    void CenterPanel(Control& panel);
    // Fills the logical screen again and re-centres the centred panels.
    void LayOut();

    void Paint(Canvas& canvas) override;
    // Whether the form paints nothing but its colour around its children, so that switching to
    // another such form changes only the children's places. A form that paints more says not.
    virtual bool PlainBackground() const { return true; }

    // Whether the form needs a key that the window toggle (F11, Alt+Enter) would otherwise take
    // before any form sees it; key is the code KeyDown would get.
    virtual bool ClaimsKey(int key) const;

    FormEvent OnShow;
    FormEvent OnHide;
    KeyEvent OnKeyDown;
    KeyPressEvent OnKeyPress;
    // A player's controller turned; without a handler the form gets the arrow key instead.
    std::function<void(Form& sender, int player, Turn turn)> OnPlayerTurn;
    // A controller was bound to a player or unbound.
    FormEvent OnControllersChanged;
    // The window lost the keyboard focus or was minimised while this form was on top.
    FormEvent OnDeactivate;

private:
    Platform& app_;
    std::vector<Control*> centred_;
};

} // namespace ui
