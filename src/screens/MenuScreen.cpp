// TForm1: the main menu: the seven menu items and their keys, the user label and the music.
#include "screens/MenuScreen.h"

#include "platform/Paths.h"
#include "screens/ControlsScreen.h"
#include "screens/GameScreen.h"
#include "screens/LoginScreen.h"
#include "screens/ScreenButton.h"
#include "screens/SkillScreen.h"
#include "screens/StatisticsScreen.h"

#include <filesystem>

TForm1::TForm1(Screens& screens, Session& session)
    : Screen(screens, session), Panel1(this), Label5(&Panel1), Image1(&Panel1), Label1(&Panel1),
      Image2(&Panel1), Label6(&Panel1), Image6(&Panel1), Label8(&Panel1), Image7(&Panel1),
      Label9(&Panel1), Image4(&Panel1), Label7(&Panel1), Image3(&Panel1), Label2(&Panel1),
      Image5(&Panel1), Label3(&Panel1), Label11(&Panel1)
{
    Enter(&Screens::Form1, this);

    Panel1.SetBounds(0, 0, 545, 297);
    Label5.SetAutoSize(false);
    Label5.SetBounds(216, 32, 305, 177);
    Label5.SetWordWrap(true);
    Label5.SetAlignment(ui::Alignment::Center);
    SetupLabel(Label5, 216, 32, "Zorbel II", 64, ui::clYellow, true);

    struct Item
    {
        ui::Image& image;
        int imageTop;
        ui::Label& label;
        int labelTop;
        const char* caption;
        void (TForm1::*action)();
    };
    const Item items[] = {
        {Image1, 24, Label1, 24, "New Game", &TForm1::Image1Click},
        {Image2, 64, Label6, 64, "Death Match", &TForm1::Image2Click},
        {Image6, 99, Label8, 101, "Settings", &TForm1::Image6Click},
        {Image7, 136, Label9, 138, "Statistics", &TForm1::Image7Click},
        {Image4, 176, Label7, 176, "Controls", &TForm1::Image4Click},
        {Image3, 214, Label2, 216, "Login", &TForm1::Image3Click},
        {Image5, 256, Label3, 256, "Exit", &TForm1::Image5Click},
    };
    for (const Item& item : items)
    {
        SetupScreenButton(item.image, 32, item.imageTop,
                          [this, action = item.action] { (this->*action)(); });
        SetupLabel(item.label, 72, item.labelTop, item.caption, 19, ui::clWhite);
    }
    Image1.SetVisible(false);
    Label1.SetVisible(false);

    Label11.SetAutoSize(false);
    Label11.SetBounds(232, 256, 281, 25);
    Label11.SetAlignment(ui::Alignment::Center);
    SetupLabel(Label11, 232, 256, "", 16, ui::clLime);

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
    if (screens_.GameForm != nullptr)
        screens_.GameForm->ShowSingleGame();
}

void TForm1::StartDeathMatch()
{
    session_.Pop.Play();
    if (screens_.GameForm != nullptr)
        screens_.GameForm->ShowDeathMatch();
}

void TForm1::ShowLoggedInUser()
{
    if (session_.UserName.empty())
        return;
    Image1.SetVisible(true);
    Label1.SetVisible(true);
    Label11.SetCaption("#" + session_.UserName);
}

void TForm1::FormKeyPress(char& key)
{
    switch (key)
    {
    case ui::vk::Return:
        if (!session_.UserName.empty())
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
    if (screens_.NameForm == nullptr)
        return;
    screens_.NameForm->ShowModal();
    ShowLoggedInUser();
}

void TForm1::Image4Click()
{
    session_.Pop.Play();
    if (screens_.KeyForm != nullptr)
        screens_.KeyForm->Show();
}

void TForm1::Image5Click()
{
    session_.Pop.Play();
    Close();
}

void TForm1::Image6Click()
{
    session_.Pop.Play();
    if (screens_.SkillForm != nullptr)
        screens_.SkillForm->Show();
}

void TForm1::Image7Click()
{
    session_.Pop.Play();
    if (screens_.Form2 != nullptr)
        screens_.Form2->Show();
}
