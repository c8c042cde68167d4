// TNameForm: the login screen: the two boxes, their keys, and the accounts' answer to what was
// typed shown or acted on.
#include "screens/LoginScreen.h"

#include "records/Accounts.h"
#include "screens/ScreenButton.h"

namespace
{

constexpr ui::Color kActiveOutline = ui::clRed;
constexpr ui::Color kInactiveOutline = ui::clBlue;
constexpr const char* kIncorrectPassword = "Incorrect Password!!!";
constexpr const char* kNameReserved = "This name is reserved";
constexpr const char* kNoMoreUsers = "No more users can be registered";

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
    // What is typed stays in view however long the text grows.
    label.SetEndInView(true);
}

} // namespace

TNameForm::TNameForm(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Label2(&Panel1), Shape1(&Panel1),
      NameLabel(&Panel1), Label5(&Panel1), Shape3(&Panel1), PassLabel(&Panel1), Label1(&Panel1),
      Image1(&Panel1), Label3(&Panel1)
{
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
    NameLabel.SetCaret(active);
    PassLabel.SetCaret(!active);
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
    switch (records::LogInOrRegister(session_.Ini, typedName_, typedPassword_))
    {
    case records::Access::LoggedIn:
    case records::Access::Registered:
        Label1.SetVisible(false);
        session_.UserName = typedName_;
        Close();
        break;
    case records::Access::NoName:
        Close();
        break;
    case records::Access::WrongPassword:
        ShowMessageLabel(kIncorrectPassword);
        break;
    case records::Access::ReservedName:
        ShowMessageLabel(kNameReserved);
        break;
    case records::Access::NoMoreUsers:
        ShowMessageLabel(kNoMoreUsers);
        break;
    }
}

void TNameForm::ShowMessageLabel(const char* text)
{
    Label1.SetCaption(text);
    Label1.SetVisible(true);
}
