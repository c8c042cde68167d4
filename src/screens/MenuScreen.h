// TForm1: the main menu: the seven menu items and their keys, the user label and the music.
#pragma once

#include "screens/Screen.h"
#include "ui/Control.h"
#include "widgets/MusicPlayer.h"

class TForm1 final : public Screen
{
public:
    TForm1(ui::Platform& app, Navigator& navigator, Session& session);
    ~TForm1() override;

    TMCIFilePlayer Music{session_.Audio};

    void StartNewGame();
    void StartDeathMatch();
    // The logged-in user's name in the user label and the New Game item; nothing while nobody
    // is logged in.
    void ShowLoggedInUser();
    // Plays the program directory's tune, looping, once the audio device is open.
    void StartMusic();

    // Handlers.
    void FormCreate();
    void FormKeyPress(char& key) override;
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
};
