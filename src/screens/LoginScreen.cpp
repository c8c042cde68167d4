// TNameForm: the login screen: the two boxes, their keys, and the accounts' answer to what was
// typed shown or acted on.
#include "screens/LoginScreen.h"

#include "records/Accounts.h"
#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "ui/Platform.h"

namespace
{

constexpr ui::Color kActiveOutline = ui::clRed;
constexpr ui::Color kInactiveOutline = ui::clBlue;
constexpr const char* kIncorrectPassword = "Incorrect Password!!!";
constexpr const char* kNameReserved = "This name is reserved";
constexpr const char* kNoMoreUsers = "No more users can be registered";

} // namespace

TNameForm::TNameForm(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Label2(&Panel1), Shape1(&Panel1),
      NameLabel(&Panel1), Label5(&Panel1), Shape3(&Panel1), PassLabel(&Panel1), Label1(&Panel1),
      Image1(&Panel1), Label3(&Panel1)
{
    const form::Text prompt{16, ui::clYellow};
    const form::Text typed{19, ui::clWhite};
    // What is typed stays in view however long the text grows.
    const form::Item formData[] = {
        form::Panel(Panel1, ui::Bounds(0, 0, 337, 257)),
        form::Label(Label2, 40, 16, "Please type your name", prompt),
        form::Box(Shape1, ui::Bounds(40, 48, 257, 33), kInactiveOutline, true),
        form::Label(NameLabel, 48, 51, "", typed).Size(241, 26).EndInView(),
        form::Label(Label5, 40, 104, "Please type your password", prompt),
        form::Box(Shape3, ui::Bounds(40, 136, 257, 33), kInactiveOutline, true),
        form::Label(PassLabel, 48, 139, "", typed).Size(241, 26).EndInView(),
        form::Label(Label1, 144, 176, kIncorrectPassword, {16, ui::clLime}).Hidden(),
        form::Button(Image1, 40, 216, Bind(this, &TNameForm::Image1Click)),
        form::Label(Label3, 80, 216, "Continue", typed),
    };
    form::Build(formData);

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

void TNameForm::ShowLetters()
{
    Letters.SetVisible(true);
    Panel1.SetBounds(Panel1.Left(), Panel1.Top(), Panel1.Width(),
                     Panel1.Height() + LetterGrid::kHeight);
    CenterPanel(Panel1);
}

void TNameForm::FormKeyDown(ui::Form&, int& key)
{
    if (App().KeyFromController())
    {
        if (!Letters.Visible())
        {
            ShowLetters();
            return;
        }
        if (Letters.Take(key))
            return;
    }
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
