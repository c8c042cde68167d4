// TForm1: the main menu: the eight menu items and their keys, the user label and the music.
#include "screens/MenuScreen.h"

#include "platform/Paths.h"
#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "ui/Platform.h"

#include <filesystem>

TForm1::TForm1(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Label5(&Panel1), Image1(&Panel1),
      Label1(&Panel1), Image2(&Panel1), Label6(&Panel1), Image6(&Panel1), Label8(&Panel1),
      Image7(&Panel1), Label9(&Panel1), Image4(&Panel1), Label7(&Panel1), Image3(&Panel1),
      Label2(&Panel1), Image5(&Panel1), Label3(&Panel1), Image8(&Panel1), Label12(&Panel1),
      Label11(&Panel1),
      focus_(
          8, [this](int item, bool focused) { ShowFocus(item, focused); },
          [this](int item) { return Items()[static_cast<std::size_t>(item)].ball->Visible(); })
{

    const form::Text item{19, ui::clWhite};
    const form::Item formData[] = {
        form::Panel(Panel1, ui::Bounds(0, 0, 545, 297)),
        form::Label(Label5, 216, 32, "Zorbel II", {64, ui::clYellow, true})
            .Size(305, 177)
            .Align(ui::Alignment::Center)
            .Wrap(),
        form::Button(Image1, 32, 24, Bind(this, &TForm1::Image1Click)).Hidden(),
        form::Label(Label1, 72, 24, "New Game", item).Hidden(),
        form::Button(Image2, 32, 64, Bind(this, &TForm1::Image2Click)),
        form::Label(Label6, 72, 64, "Death Match", item),
        form::Button(Image6, 32, 99, Bind(this, &TForm1::Image6Click)),
        form::Label(Label8, 72, 101, "Settings", item),
        form::Button(Image7, 32, 136, Bind(this, &TForm1::Image7Click)),
        form::Label(Label9, 72, 138, "Statistics", item),
        form::Button(Image4, 32, 176, Bind(this, &TForm1::Image4Click)),
        form::Label(Label7, 72, 176, "Controls", item),
        form::Button(Image3, 32, 214, Bind(this, &TForm1::Image3Click)),
        form::Label(Label2, 72, 216, "Login", item),
        form::Button(Image5, 32, 256, Bind(this, &TForm1::Image5Click)),
        form::Label(Label3, 72, 256, "Exit", item),
        // Under the title, so that the items of the left column keep their places.
        form::Button(Image8, 283, 214, Bind(this, &TForm1::Image8Click)),
        form::Label(Label12, 323, 216, "Network Match", item),
        form::Label(Label11, 232, 256, "", {16, ui::clLime})
            .Size(281, 25)
            .Align(ui::Alignment::Center),
    };
    form::Build(formData);
    const std::array<Item, 8> items = Items();
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        focus_.Follow(*items[i].ball, static_cast<int>(i));
        focus_.Follow(*items[i].caption, static_cast<int>(i));
    }

    Music.SetAutoOpen(true);
    Music.SetAutoRepeat(true);
    Music.Loaded();

    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // The typeface comes from the program directory's comic.ttf when it is there, else from
    // fontconfig: nothing needs copying into a system font folder.
    Label11.SetCaption("#UNKNOWN");
    CenterPanel(Panel1);
    Panel1.SetColor(ui::clBlack);
    const std::string music = session_.ProgramDir + "zbmusic.mid";
    std::error_code ec;
    if (std::filesystem::exists(platform::NativePath(music), ec))
        Music.SetFileName(music);
}

void TForm1::StartMusic()
{
    if (Music.FileName().empty())
        return;
    Music.Open();
    Music.Play();
}

void TForm1::StartNewGame()
{
    session_.Pop.Play();
    navigator_.StartSingleGame();
}

void TForm1::StartDeathMatch()
{
    session_.Pop.Play();
    navigator_.StartDeathMatch();
}

void TForm1::ShowLoggedInUser()
{
    if (session_.UserName.empty())
        return;
    Image1.SetVisible(true);
    Label1.SetVisible(true);
    Label11.SetCaption("#" + session_.UserName);
}

std::array<TForm1::Item, 8> TForm1::Items()
{
    return {{
        {&Image1, &Label1, &TForm1::Image1Click},
        {&Image2, &Label6, &TForm1::Image2Click},
        {&Image6, &Label8, &TForm1::Image6Click},
        {&Image7, &Label9, &TForm1::Image7Click},
        {&Image4, &Label7, &TForm1::Image4Click},
        {&Image3, &Label2, &TForm1::Image3Click},
        {&Image5, &Label3, &TForm1::Image5Click},
        {&Image8, &Label12, &TForm1::Image8Click},
    }};
}

void TForm1::ShowFocus(int item, bool focused)
{
    // The settings screen's highlight and the ball held down, as a mouse press shows it.
    const Item shown = Items()[static_cast<std::size_t>(item)];
    shown.caption->SetFontColor(focused ? ui::clYellow : ui::clWhite);
    if (focused)
        ScreenButtonDown(*shown.ball);
    else
        ScreenButtonUp(*shown.ball);
}

void TForm1::FormKeyDown(ui::Form&, int& key)
{
    if (const int step = FocusStep(key, App().ShiftHeld()); step != 0)
        focus_.Move(step);
}

void TForm1::FormKeyPress(char& key)
{
    switch (key)
    {
    case ui::vk::Return:
        if (focus_.Shown())
            (this->*Items()[static_cast<std::size_t>(focus_.Item())].click)();
        else if (!session_.UserName.empty())
            StartNewGame();
        else
            Image3Click();
        break;
    case ui::vk::Space:
        Image3Click();
        break;
    case ui::vk::Escape:
        Close();
        break;
    default:
        break;
    }
}

void TForm1::Image1Click()
{
    if (!session_.UserName.empty())
        StartNewGame();
}

void TForm1::Image2Click()
{
    StartDeathMatch();
}

void TForm1::Image3Click()
{
    session_.Pop.Play();
    navigator_.OpenLogin();
    ShowLoggedInUser();
}

void TForm1::Image4Click()
{
    session_.Pop.Play();
    navigator_.OpenControls();
}

void TForm1::Image5Click()
{
    session_.Pop.Play();
    Close();
}

void TForm1::Image6Click()
{
    session_.Pop.Play();
    navigator_.OpenSettings();
}

void TForm1::Image8Click()
{
    session_.Pop.Play();
    navigator_.OpenNetwork();
}

void TForm1::Image7Click()
{
    session_.Pop.Play();
    navigator_.OpenStatistics();
}
