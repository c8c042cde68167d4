// TForm1: the main menu: the eight menu items and their keys, the user label and the music.
#pragma once

#include "screens/Focus.h"
#include "screens/Screen.h"
#include "ui/Control.h"
#include "widgets/MusicPlayer.h"

#include <array>

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
    // Up, Down, Tab and Shift+Tab (a controller's d-pad and stick too) move the focus through
    // the items; Enter activates the focused one, and keeps its meaning while none is focused.
    void FormKeyDown(ui::Form& sender, int& key) override;
    void FormKeyPress(char& key) override;
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Image4Click();
    void Image5Click();
    void Image6Click();
    void Image7Click();
    void Image8Click();

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
    ui::Image Image8; // Network Match
    ui::Label Label12;
    ui::Label Label11; // the user label

    const Focus& ItemFocus() const { return focus_; }

private:
    // A menu item: its ball, its caption and what a click on the ball does.
    struct Item
    {
        ui::Image* ball;
        ui::Label* caption;
        void (TForm1::*click)();
    };
    // The items from the top of the left column, then Network Match.
    std::array<Item, 8> Items();
    void ShowFocus(int item, bool focused);

    Focus focus_;
};
