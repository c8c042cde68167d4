// The wiring every screen shares.
#include "screens/Screen.h"

Screen::Screen(ui::Platform& app, Navigator& navigator, Session& session)
    : ui::Form(app), navigator_(navigator), session_(session)
{
    // The handlers are virtual: they reach the screen's own only once it is built, which is
    // before any event can arrive.
    OnShow = [this](ui::Form&)
    {
        FormShow();
    };
    OnHide = [this](ui::Form&)
    {
        FormHide();
        session_.Pop.Play();
    };
    OnKeyDown = [this](ui::Form& sender, int& key)
    {
        FormKeyDown(sender, key);
    };
    OnKeyPress = [this](ui::Form&, char& key)
    {
        FormKeyPress(key);
    };
    OnDeactivate = [this](ui::Form&)
    {
        FormDeactivate();
    };
}

Screen::~Screen() = default;

void Screen::FormKeyDown(ui::Form&, int&) {}

void Screen::FormKeyPress(char&) {}

void Screen::SetupPanel(ui::Panel& panel)
{
    SetColor(ui::clBlack);
    CenterPanel(panel);
    panel.SetColor(ui::clBlack);
}
