// The main menu and the state every screen shares: program directory, settings file, skill,
// key bindings, the death-match flag, the current user and the click sound.
#pragma once

#include "screens/Screens.h"
#include "settings/IniFile.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "widgets/MCIPlayer.h"
#include "widgets/Wave.h"

#include <cstdint>
#include <memory>
#include <string>

class TForm1 final : public ui::Form
{
public:
    explicit TForm1(Screens& screens);
    ~TForm1() override;

    // Shared state.
    std::string ProgramDir;
    std::unique_ptr<TIniFile> Ini;
    std::uint8_t SkillLevel = 3;
    int Prob = 6;            // computer worms reconsider their way with chance 1 in Prob
    int TimerInterval = 100; // game tick in milliseconds
    int WormCount = 4;       // computer worms, 0..8
    int LeftKey = 37, RightKey = 39, UpKey = 38, DownKey = 40;
    int LeftKey1 = 37, RightKey1 = 39, UpKey1 = 38, DownKey1 = 40;
    int LeftKey2 = 37, RightKey2 = 39, UpKey2 = 38, DownKey2 = 40;
    bool DeathMatch = false;
    std::string UserName;
    int UserSlot = -1;
    TWave Pop;
    TMCIFilePlayer Music;

    // Skill parameters from the skill level; the tick interval goes to the game screen's timer.
    void SetSkill();
    // The twelve key bindings from the settings file.
    void InitKeys();
    void StartNewGame();
    void StartDeathMatch();

    // Handlers.
    void FormCreate();
    void FormKeyPress(char& key);
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Image4Click();
    void Image5Click();
    void Image6Click();
    void Image7Click();

    // Form data.
    ui::Panel Panel1;
    ui::Label Label5; // title
    ui::Image Image1; // New Game
    ui::Label Label1;
    ui::Image Image2; // Death Match
    ui::Label Label6;
    ui::Image Image6; // Settings
    ui::Label Label8;
    ui::Image Image7; // Statistics
    ui::Label Label9;
    ui::Image Image4; // Controls
    ui::Label Label7;
    ui::Image Image3; // Login
    ui::Label Label2;
    ui::Image Image5; // Exit
    ui::Label Label3;
    ui::Label Label11; // the user label

private:
    Screens& screens_;
};
