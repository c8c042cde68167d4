// What every screen shares: the navigator to the others, the session, the show, hide and key
// handlers wired to the form's events, and the click when it is left.
#pragma once

#include "screens/Navigator.h"
#include "screens/Session.h"
#include "ui/Control.h"
#include "ui/Form.h"

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
    Screen(ui::Platform& app, Navigator& navigator, Session& session);

    // The black screen with its panel, black too, in the middle.
    void SetupPanel(ui::Panel& panel);

    Navigator& navigator_;
    Session& session_;
};
