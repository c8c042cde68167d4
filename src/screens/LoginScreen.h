// TNameForm: the login screen: a name and a password typed into two boxes; a known name logs in
// with its password, an unknown one is registered on the spot.
#pragma once

#include "screens/LetterGrid.h"
#include "screens/Screen.h"
#include "ui/Control.h"

#include <string>

class TNameForm final : public Screen
{
public:
    // The most characters a box takes: the settings file gives back no more.
    static constexpr std::size_t kMaxTextLength = 1023;

    TNameForm(ui::Platform& app, Navigator& navigator, Session& session);
    ~TNameForm() override;

    const std::string& TypedName() const { return typedName_; }
    const std::string& TypedPassword() const { return typedPassword_; }
    bool NameFieldActive() const { return nameFieldActive_; }

    // Handlers.
    void FormCreate();
    void FormShow() override;
    // A controller's first button shows the letter grid, which then takes its buttons; the
    // keyboard types into the boxes beside it.
    void FormKeyDown(ui::Form& sender, int& key) override;
    // The submit: log in or register and close, or show why not.
    void Image1Click();

    // Form data.
    ui::Panel Panel1;
    ui::Label Label2;
    ui::Shape Shape1; // the name box
    ui::Label NameLabel;
    ui::Label Label5;
    ui::Shape Shape3; // the password box
    ui::Label PassLabel;
    ui::Label Label1; // "Incorrect Password!!!"
    ui::Image Image1; // Continue
    ui::Label Label3;
    // Under the boxes, shown once a controller is used here.
    LetterGrid Letters{Panel1, 0, 257};

private:
    void ShowLetters();
    // The message label under the password box, with the given text.
    void ShowMessageLabel(const char* text);
    void SetNameFieldActive(bool active);
    void AppendToName(char c);
    void AppendToPassword(char c);

    std::string typedName_;
    std::string typedPassword_;
    bool nameFieldActive_ = true;
};
