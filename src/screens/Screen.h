// What every screen shares: its entry in the registry, the session, the show, hide and key
// handlers wired to the form's events, and the click when it is left.
#pragma once

#include "screens/Screens.h"
#include "screens/Session.h"
#include "ui/Control.h"
#include "ui/Form.h"

#include <functional>

class Screen : public ui::Form
{
public:
    ~Screen() override;
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Handlers of the form's events; a screen overrides those it reacts to. Hiding a screen
    // plays the click after its FormHide.
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormDeactivate() {}
    virtual void FormKeyDown(ui::Form& sender, int& key);
    virtual void FormKeyPress(char& key);

protected:
    Screen(Screens& screens, Session& session);

    // Enters the screen in the registry; the entry is cleared again when the screen goes.
    template <class T> void Enter(T* Screens::*entry, T* self)
    {
        screens_.*entry = self;
        leave_ = [&screens = screens_, entry, self]
        {
            if (screens.*entry == self)
                screens.*entry = nullptr;
        };
    }
    // The black screen with its panel, black too, in the middle.
    void SetupPanel(ui::Panel& panel);

    Screens& screens_;
    Session& session_;

private:
    std::function<void()> leave_;
};
