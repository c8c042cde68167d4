// TNameForm: the login screen: a name and a password typed into two boxes; a known name logs in
// with its password, an unknown one is registered on the spot.
#pragma once

#include "screens/LetterGrid.h"
#include "screens/Screen.h"
#include "settings/IniFile.h"
#include "ui/Control.h"

#include <string>
#include <string_view>

class TNameForm final : public Screen
{
public:
    // The most characters a box takes: the settings file gives back no more.
    static constexpr std::size_t kMaxTextLength = 1023;

    TNameForm(Screens& screens, Session& session);
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
    // The submit: log in, register, or show "Incorrect Password!!!".
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
    // The typed password checked against user number's stored one; a match logs the user in,
    // with the count of users mended to last if an upgrade of the password is written.
    void LogInAs(TIniFile::Batch& batch, int number, const std::string& stored, int last);
    // The typed name and password entered as user number, logged in once the file holds them.
    void Register(TIniFile::Batch& batch, int number);
    // The message label under the password box, with the given text.
    void ShowMessageLabel(const char* text);
    void SetNameFieldActive(bool active);
    void AppendToName(char c);
    void AppendToPassword(char c);

    std::string typedName_;
    std::string typedPassword_;
    bool nameFieldActive_ = true;
};

// A salted Argon2id hash of password in the text form that starts with "$argon2id$".
std::string HashPassword(std::string_view password);
// Whether typed is the password stored: a hash is verified, anything else is a password of an
// older file and compared as text. A hash that the game cannot have written (not exactly in the
// form it writes, or asking for more than twice its costs) matches nothing.
bool PasswordMatches(const std::string& stored, std::string_view typed);
// Whether a stored password is a hash made by HashPassword.
bool IsPasswordHash(std::string_view stored);
