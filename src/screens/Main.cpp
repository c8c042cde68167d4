// The main menu: start-up of the shared state, the seven menu items and their keys.
#include "screens/Main.h"

#include "assets/Assets.h"
#include "screens/GameUnit.h"
#include "screens/KeyUnit.h"
#include "screens/NameUnit.h"
#include "screens/ScreenButton.h"
#include "screens/SkillUnit.h"
#include "screens/Unit2.h"
#include "ui/Application.h"
#include "ui/Paths.h"

#include <filesystem>

namespace
{

struct SkillRow
{
    int prob;
    int interval;
    int worms;
};

// Beginner, Amateur, Professional, Master.
constexpr SkillRow kSkills[4] = {{10, 120, 2}, {8, 110, 3}, {6, 100, 4}, {6, 80, 8}};

} // namespace

TForm1::TForm1(Screens& screens)
    : ui::Form(screens.app), Panel1(this), Label5(&Panel1), Image1(&Panel1), Label1(&Panel1),
      Image2(&Panel1), Label6(&Panel1), Image6(&Panel1), Label8(&Panel1), Image7(&Panel1),
      Label9(&Panel1), Image4(&Panel1), Label7(&Panel1), Image3(&Panel1), Label2(&Panel1),
      Image5(&Panel1), Label3(&Panel1), Label11(&Panel1), screens_(screens)
{
    screens_.Form1 = this;

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

    Pop.SetSound(assets::Find("pop.wav"));
    Music.SetAutoOpen(true);
    Music.SetAutoRepeat(true);
    Music.Loaded();

    OnKeyPress = [this](ui::Form&, char& key)
    {
        FormKeyPress(key);
    };
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // The typeface comes from the program directory's comic.ttf when it is there, else from
    // fontconfig: nothing needs copying into a system font folder.
    Label11.SetCaption("#UNKNOWN");
    ProgramDir = ui::ProgramDirectory();
    CenterPanel(Panel1);
    Panel1.SetColor(ui::clBlack);
    Ini = std::make_unique<TIniFile>(ConfigFilePath());
    InitKeys();
    std::error_code ec;
    if (std::filesystem::exists(ProgramDir + "zbmusic.mid", ec))
    {
        Music.SetFileName(ProgramDir + "zbmusic.mid");
        Music.Open();
        Music.Play();
    }
}

void TForm1::SetSkill()
{
    if (SkillLevel >= 1 && SkillLevel <= 4)
    {
        const SkillRow& row = kSkills[SkillLevel - 1];
        Prob = row.prob;
        TimerInterval = row.interval;
        WormCount = row.worms;
    }
    else if (SkillLevel == 5)
    {
        Prob = ReadClamped(*Ini, "Custom", "prob", 6, 1, 99);
        TimerInterval = ReadClamped(*Ini, "Custom", "timer", 100, 1, 999);
        WormCount = ReadClamped(*Ini, "Custom", "worms", 4, 0, 8);
    }
    if (screens_.GameForm != nullptr)
        screens_.GameForm->Timer1.SetInterval(TimerInterval);
}

void TForm1::InitKeys()
{
    LeftKey1 = Ini->ReadInteger("Keys", "LeftKey1", 37);
    RightKey1 = Ini->ReadInteger("Keys", "RightKey1", 39);
    UpKey1 = Ini->ReadInteger("Keys", "UpKey1", 38);
    DownKey1 = Ini->ReadInteger("Keys", "DownKey1", 40);
    LeftKey2 = Ini->ReadInteger("Keys", "LeftKey2", 37);
    RightKey2 = Ini->ReadInteger("Keys", "RightKey2", 39);
    UpKey2 = Ini->ReadInteger("Keys", "UpKey2", 38);
    DownKey2 = Ini->ReadInteger("Keys", "DownKey2", 40);
    LeftKey = Ini->ReadInteger("Keys", "LeftKey", 37);
    RightKey = Ini->ReadInteger("Keys", "RightKey", 39);
    UpKey = Ini->ReadInteger("Keys", "UpKey", 38);
    DownKey = Ini->ReadInteger("Keys", "DownKey", 40);
}

void TForm1::StartNewGame()
{
    Pop.Play();
    if (screens_.GameForm == nullptr)
        return;
    TGameForm& game = *screens_.GameForm;
    game.Label1.SetCaption(UserName);
    game.Label2.SetCaption("High Score");
    game.Label2.SetLeft(511);
    game.Label3.SetVisible(false);
    game.Image3.SetVisible(false);
    UserSlot = game.Get_User_ID();
    DeathMatch = false;
    game.Show();
}

void TForm1::StartDeathMatch()
{
    Pop.Play();
    if (screens_.GameForm == nullptr)
        return;
    TGameForm& game = *screens_.GameForm;
    game.Label2.SetCaption("Player 2");
    game.Label2.SetLeft(536);
    game.Label3.SetVisible(true);
    game.Image3.SetVisible(true);
    DeathMatch = true;
    game.Show();
}

void TForm1::FormKeyPress(char& key)
{
    switch (key)
    {
    case 13:
        if (!UserName.empty())
            StartNewGame();
        else
            Image3Click();
        break;
    case 32:
        Image3Click();
        break;
    case 27:
        Close();
        break;
    default:
        break;
    }
}

void TForm1::Image1Click()
{
    if (!UserName.empty())
        StartNewGame();
}

void TForm1::Image2Click()
{
    StartDeathMatch();
}

void TForm1::Image3Click()
{
    Pop.Play();
    if (screens_.NameForm == nullptr)
        return;
    screens_.NameForm->ShowModal();
    if (!UserName.empty())
        Label11.SetCaption("#" + UserName);
}

void TForm1::Image4Click()
{
    Pop.Play();
    if (screens_.KeyForm != nullptr)
        screens_.KeyForm->Show();
}

void TForm1::Image5Click()
{
    Pop.Play();
    Close();
}

void TForm1::Image6Click()
{
    Pop.Play();
    if (screens_.SkillForm != nullptr)
        screens_.SkillForm->Show();
}

void TForm1::Image7Click()
{
    Pop.Play();
    if (screens_.Form2 != nullptr)
        screens_.Form2->Show();
}
