// The login screen: the two boxes, their keys, and login or registration against the users in
// the settings file.
#include "screens/NameUnit.h"

#include "screens/ScreenButton.h"
#include "settings/Keys.h"

#include <sodium.h>

#include <stdexcept>

namespace
{

constexpr ui::Color kActiveOutline = ui::clRed;
constexpr ui::Color kInactiveOutline = ui::clBlue;
constexpr std::string_view kHashPrefix = "$argon2id$";
constexpr const char* kIncorrectPassword = "Incorrect Password!!!";
constexpr const char* kNameReserved = "This name is reserved";
constexpr std::string_view kReservedName = "UNKNOWN";

void EnsureSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("Unable to start the password library");
}

void SetupBox(ui::Shape& box, int left, int top)
{
    box.SetBounds(left, top, 257, 33);
    box.SetBrush(ui::Brush{ui::clBlack, true});
    box.SetPen(ui::Pen{kInactiveOutline, 1, true});
}

void SetupBoxText(ui::Label& label, int left, int top)
{
    SetupLabel(label, left, top, "", 19, ui::clWhite);
    label.SetAutoSize(false);
    label.SetBounds(left, top, 241, 26);
}

} // namespace

bool IsPasswordHash(std::string_view stored)
{
    return stored.starts_with(kHashPrefix);
}

std::string HashPassword(std::string_view password)
{
    EnsureSodium();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("Not enough memory to protect the password");
    return hash;
}

bool PasswordMatches(const std::string& stored, std::string_view typed)
{
    if (!IsPasswordHash(stored))
        return stored == typed;
    EnsureSodium();
    return crypto_pwhash_str_verify(stored.c_str(), typed.data(), typed.size()) == 0;
}

TNameForm::TNameForm(Screens& screens, Session& session)
    : Screen(screens, session), Panel1(this), Label2(&Panel1), Shape1(&Panel1), NameLabel(&Panel1),
      Label5(&Panel1), Shape3(&Panel1), PassLabel(&Panel1), Label1(&Panel1), Image1(&Panel1),
      Label3(&Panel1)
{
    Enter(&Screens::NameForm, this);

    Panel1.SetBounds(0, 0, 337, 257);
    SetupLabel(Label2, 40, 16, "Please type your name", 16, ui::clYellow);
    SetupBox(Shape1, 40, 48);
    SetupBoxText(NameLabel, 48, 51);
    SetupLabel(Label5, 40, 104, "Please type your password", 16, ui::clYellow);
    SetupBox(Shape3, 40, 136);
    SetupBoxText(PassLabel, 48, 139);
    SetupLabel(Label1, 144, 176, kIncorrectPassword, 16, ui::clLime);
    Label1.SetVisible(false);
    SetupScreenButton(Image1, 40, 216, [this] { Image1Click(); });
    SetupLabel(Label3, 80, 216, "Continue", 19, ui::clWhite);

    FormCreate();
}

TNameForm::~TNameForm() = default;

void TNameForm::FormCreate()
{
    SetupPanel(Panel1);
}

void TNameForm::FormShow()
{
    typedName_.clear();
    typedPassword_.clear();
    NameLabel.SetCaption("");
    PassLabel.SetCaption("");
    // A message left from an attempt closed with Esc would greet the next person.
    Label1.SetVisible(false);
    SetNameFieldActive(true);
}

void TNameForm::SetNameFieldActive(bool active)
{
    nameFieldActive_ = active;
    Shape1.SetPenColor(active ? kActiveOutline : kInactiveOutline);
    Shape3.SetPenColor(active ? kInactiveOutline : kActiveOutline);
}

void TNameForm::AppendToName(char c)
{
    if (typedName_.size() >= kMaxTextLength)
        return;
    typedName_ += c;
    NameLabel.SetCaption(typedName_);
}

void TNameForm::AppendToPassword(char c)
{
    if (typedPassword_.size() >= kMaxTextLength)
        return;
    typedPassword_ += c;
    PassLabel.SetCaption(PassLabel.Caption() + "x");
}

void TNameForm::FormKeyDown(ui::Form&, int& key)
{
    const bool letter = key >= 'A' && key <= 'Z';
    const bool digit = key >= '0' && key <= '9';

    if (key == ui::vk::Up || key == ui::vk::Down)
        SetNameFieldActive(!nameFieldActive_);

    if (nameFieldActive_)
    {
        if (letter || digit)
            AppendToName(static_cast<char>(key));
        else if (key == ui::vk::Back && !typedName_.empty())
        {
            typedName_.pop_back();
            NameLabel.SetCaption(typedName_);
        }
        else if (key == ui::vk::Space)
            AppendToName(' ');
    }
    else
    {
        if (letter || digit)
            AppendToPassword(static_cast<char>(key));
        else if (key == ui::vk::Back)
        {
            Label1.SetVisible(false);
            if (!typedPassword_.empty())
            {
                typedPassword_.pop_back();
                std::string shown = PassLabel.Caption();
                shown.pop_back();
                PassLabel.SetCaption(shown);
            }
        }
        else if (key == ui::vk::Space)
            AppendToPassword(' ');
    }

    if (key == ui::vk::Return)
    {
        if (nameFieldActive_)
            SetNameFieldActive(false);
        else
            Image1Click();
    }
    if (key == ui::vk::Escape)
        Close();
}

void TNameForm::Image1Click()
{
    // A name of spaces alone shows as no name on the menu and in the records: it is none.
    if (typedName_.find_first_not_of(' ') == std::string::npos)
    {
        Close();
        return;
    }
    TIniFile& ini = session_.Ini;

    // One copy of the file serves the whole look-up, however many users it lists; what is
    // written below reaches the file in one replacement, or not at all.
    TIniFile::Batch batch(ini);
    const int count = settings::Read(ini, settings::kUserCount);
    for (int i = 1; i <= count; ++i)
    {
        if (settings::Read(ini, settings::kUserName, settings::kUserName.Name(i)) != typedName_)
            continue;
        const std::string pass = settings::kUserPass.Name(i);
        const std::string stored = settings::Read(ini, settings::kUserPass, pass);
        if (!PasswordMatches(stored, typedPassword_))
        {
            ShowMessageLabel(kIncorrectPassword);
            return;
        }
        Label1.SetVisible(false);
        // Replacing an older plain-text password by its hash is worth a try, not a failed login:
        // a file that cannot be written now is upgraded at a later login.
        if (!IsPasswordHash(stored))
        {
            try
            {
                settings::Write(ini, settings::kUserPass, pass, HashPassword(typedPassword_));
                batch.Commit();
            }
            catch (const EIniFileException&)
            {
            }
        }
        session_.UserName = typedName_;
        Close();
        return;
    }

    // The records take a slot of this name as free, so its games would be overwritten.
    if (typedName_ == kReservedName)
    {
        ShowMessageLabel(kNameReserved);
        return;
    }
    // Hashed before anything is written, and the three entries written as one replacement, so
    // that no count ever stands in the file without its name and password. Only a user that
    // reached the file is logged in.
    const std::string hash = HashPassword(typedPassword_);
    settings::Write(ini, settings::kUserCount, count + 1);
    settings::Write(ini, settings::kUserName, settings::kUserName.Name(count + 1), typedName_);
    settings::Write(ini, settings::kUserPass, settings::kUserPass.Name(count + 1), hash);
    batch.Commit();
    session_.UserName = typedName_;
    Close();
}

void TNameForm::ShowMessageLabel(const char* text)
{
    Label1.SetCaption(text);
    Label1.SetVisible(true);
}
