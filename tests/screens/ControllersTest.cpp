// Game controllers through SDL's virtual joysticks: binding in the order of connection, the d-pad
// and the stick steering like a player's keys, the buttons as keys, the controls screen, and a
// whole first session played with pads alone.
#include "GameScreenFixture.h"

#include "platform/Dispatch.h"
#include "screens/ControlsScreen.h"
#include "screens/LoginScreen.h"
#include "screens/SkillScreen.h"
#include "screens/StatisticsScreen.h"
#include "settings/IniFile.h"

#include <SDL.h>

#include <chrono>
#include <functional>
#include <string>

namespace
{

// A pad plugged in for its lifetime (or until Unplug).
class VirtualPad
{
public:
    explicit VirtualPad(const char* name)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = name;
        joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        instance_ = SDL_JoystickInstanceID(joystick_);
    }
    ~VirtualPad() { Unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void Unplug()
    {
        if (joystick_ == nullptr)
            return;
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == instance_)
                SDL_JoystickDetachVirtual(i);
    }
    void Press(SDL_GameControllerButton button)
    {
        SDL_JoystickSetVirtualButton(joystick_, button, 1);
        SDL_JoystickUpdate();
        SDL_JoystickSetVirtualButton(joystick_, button, 0);
        SDL_JoystickUpdate();
    }
    void Stick(int x, int y)
    {
        SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
        SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
        SDL_JoystickUpdate();
    }

private:
    SDL_Joystick* joystick_ = nullptr;
    SDL_JoystickID instance_ = -1;
};

class ControllersTest : public gametest::GameFixture
{
protected:
    void SetUp() override
    {
        Create();
        UseSolidPictures();
        app.Render(); // controllers open once a frame is shown
        app.EnableControllers("");
        app.Loop().ProcessMessages();
    }
    // Lets the loop take what the pads sent.
    void Pump() { app.Loop().ProcessMessages(); }
    // Runs the loop, the timers' ticks included, until done holds; false if it never does.
    bool PumpUntil(const std::function<bool()>& done)
    {
        // Generous: only the outcome matters, not how fast a busy machine gets there.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done() && std::chrono::steady_clock::now() < deadline)
        {
            // Not the loop's own wait, which may leave SDL's poll sentinel ahead of the next
            // presses, so that a Pump would stop short of them.
            platform::WaitPending(std::chrono::milliseconds(20));
            Pump();
        }
        return done();
    }
    engine::Phase Phase() const { return game->Play().Model().GamePhase(); }
    // The game screen shown with a game begun at once and ticked only by the test.
    void ShowGame(bool deathMatch = false)
    {
        game->Play().Enter(deathMatch ? engine::Mode::DeathMatch : engine::Mode::Single);
        game->Show();
        if (deathMatch)
        {
            for (const int n : {0, 28, 28, 0})
                script.Push(n);
            game->Play().NewGame();
            game->ApplyEvents();
        }
        else
        {
            StartGame(0);
        }
        game->Timer1.SetEnabled(false);
    }
};

TEST_F(ControllersTest, DpadAndStickSteerTheSingleGameOneTurnPerHeldDirection)
{
    VirtualPad pad("Pad One");
    ShowGame();
    Pump();
    pad.Stick(-30000, 0);
    Pump();
    Tick();
    EXPECT_EQ(CellPixel(14, 15), gametest::kPlayerColour) << "the head went left";
    // Held with a wobble: no further turn, so the d-pad's Up is the first turn of this tick.
    pad.Stick(-25000, 4000);
    pad.Stick(-31000, -2000);
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    Pump();
    // Back through the centre, the stick turns again (queued behind the Up of this tick).
    pad.Stick(0, 0);
    pad.Stick(-30000, 0);
    Pump();
    Tick();
    EXPECT_EQ(CellPixel(14, 14), gametest::kPlayerColour) << "then up";
    Tick();
    EXPECT_EQ(CellPixel(13, 14), gametest::kPlayerColour) << "then left again";
    EXPECT_NE(CellPixel(14, 13), gametest::kPlayerColour);

    // Start pauses and resumes; B leaves the game as Esc does.
    pad.Press(SDL_CONTROLLER_BUTTON_START);
    Pump();
    EXPECT_TRUE(game->Play().Paused());
    EXPECT_TRUE(game->PauseLabel.Showing());
    pad.Press(SDL_CONTROLLER_BUTTON_START);
    Pump();
    EXPECT_FALSE(game->Play().Paused());
    EXPECT_FALSE(game->PauseLabel.Showing());
    EXPECT_TRUE(game->Timer1.Enabled());
    game->Timer1.SetEnabled(false);
    pad.Press(SDL_CONTROLLER_BUTTON_B);
    Pump();
    EXPECT_FALSE(game->IsShown());
}

// With both players on the arrows (the default), each controller still moves only its own worm.
TEST_F(ControllersTest, EachControllerSteersOnlyItsOwnPlayersWorm)
{
    VirtualPad first("Pad One");
    VirtualPad second("Pad Two");
    const ui::Color player2Colour{0, 250, 250};
    game->Player2Picture = gametest::Solid(player2Colour);
    ShowGame(true);
    Pump();
    first.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    Pump();
    Tick();
    EXPECT_EQ(CellPixel(9, 10), gametest::kPlayerColour) << "player 1 went left";
    for (const auto& [x, y] : {std::pair{19, 20}, {21, 20}, {20, 19}, {20, 21}})
        EXPECT_NE(CellPixel(x, y), player2Colour) << "player 2 stands at " << x << "," << y;
    second.Stick(0, 30000);
    Pump();
    Tick();
    EXPECT_EQ(CellPixel(20, 21), player2Colour) << "player 2 went down";
    EXPECT_EQ(CellPixel(8, 10), gametest::kPlayerColour) << "player 1 still left";
}

// Bound in the order of connection; a third is ignored; a freed player's place goes to the next
// controller plugged in, also in the middle of a game. The controls screen names them.
TEST_F(ControllersTest, ControllersAreBoundInTheOrderTheyConnectAndShownOnTheControlsScreen)
{
    TKeyForm keys(app, navigator, *session);
    auto first = std::make_unique<VirtualPad>("Pad One");
    VirtualPad second("Pad Two");
    VirtualPad third("Pad Three");
    Pump();
    EXPECT_EQ(app.ControllerName(1), "Pad One");
    EXPECT_EQ(app.ControllerName(2), "Pad Two");
    keys.Show();
    EXPECT_EQ(keys.ControllerName.Caption(), "Pad One");
    EXPECT_EQ(keys.ControllerName1.Caption(), "Pad One");
    EXPECT_EQ(keys.ControllerName2.Caption(), "Pad Two");
    first->Unplug();
    Pump();
    EXPECT_EQ(keys.ControllerName1.Caption(), "");
    keys.Hide();

    ShowGame();
    third.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    Pump();
    Tick();
    EXPECT_NE(CellPixel(15, 16), gametest::kPlayerColour) << "the third controller steers nobody";
    VirtualPad fourth("Pad Four");
    Pump();
    EXPECT_EQ(app.ControllerName(1), "Pad Four");
    fourth.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    Pump();
    Tick();
    EXPECT_EQ(CellPixel(15, 16), gametest::kPlayerColour);
}

TEST_F(ControllersTest, AAndBWorkTheMenuAsEnterAndEsc)
{
    VirtualPad pad("Pad One");
    session->UserName = "ANNA";
    form1->Show();
    Pump();
    pad.Press(SDL_CONTROLLER_BUTTON_A);
    Pump();
    EXPECT_TRUE(game->IsShown()) << "Enter after a login starts a game";
    pad.Press(SDL_CONTROLLER_BUTTON_B);
    Pump();
    EXPECT_FALSE(game->IsShown());
    // At the main menu B quits as Esc does: the loop ends.
    app.PostCall([&] { pad.Press(SDL_CONTROLLER_BUTTON_B); });
    app.Run(*form1);
    EXPECT_TRUE(app.Terminated());
}

// The pads alone from the first start, no key or mouse event sent: the menu's focus goes up to
// Login and A opens it; the first button there shows the letter grid, whose cells type the name
// and the password (B deleting) and Start submits. Then Beginner is chosen and stored, a game is
// steered into the wall, its records shown and its replay watched from the statistics with the
// d-pad setting its speed, a death match steered by two pads, and B leaves it all.
TEST_F(ControllersTest, FromTheFirstStartEverythingIsPlayedWithPadsAlone)
{
    VirtualPad pad("Pad One");
    TNameForm login(app, navigator, *session);
    TSkillForm skill(app, navigator, *session);
    TForm2 stats(app, navigator, *session);
    navigator.Join(login, skill, stats);
    game->Play().Setup().UseRandom(nullptr);
    const auto press = [&](std::initializer_list<SDL_GameControllerButton> buttons)
    {
        for (const auto button : buttons)
            pad.Press(button);
        Pump();
    };
    form1->Show();
    Pump(); // the pad's connection
    press({SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP,
           SDL_CONTROLLER_BUTTON_DPAD_UP});
    EXPECT_EQ(form1->Label2.Font().color, ui::clYellow)
        << "Up from no focus: Network Match, Exit, then Login";
    // Queued behind the A that opens the login, for its own loop.
    for (const auto button :
         {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_A,
          SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_START,
          SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_A,
          SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_START})
        pad.Press(button);
    // Behind the presses: a login still open after them is closed, so a failure cannot hang.
    app.PostCall(
        [&]
        {
            if (login.IsShown())
                login.Close();
        });
    Pump();
    EXPECT_TRUE(login.Letters.Visible());
    EXPECT_EQ(login.Letters.Current(), "1");
    EXPECT_FALSE(login.IsShown());
    EXPECT_EQ(login.PassLabel.Caption(), "x") << "the password shows as the keyboard's does";
    EXPECT_EQ(session->UserName, "AB");
    EXPECT_EQ(form1->Label11.Caption(), "#AB");

    // Settings is three up from Login, Beginner two up from Professional.
    press({SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP,
           SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_A});
    ASSERT_TRUE(skill.IsShown());
    press({SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_A});
    EXPECT_FALSE(skill.IsShown());
    EXPECT_EQ(TIniFile(ConfigFilePath()).ReadInteger("Main", "Skill", -1), 1);

    // New Game is two up from Settings; Up runs into the wall (or a worm), and the next game
    // begins.
    press({SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_A});
    ASSERT_TRUE(PumpUntil([&] { return Phase() == engine::Phase::Playing; }));
    press({SDL_CONTROLLER_BUTTON_DPAD_UP});
    ASSERT_TRUE(PumpUntil([&] { return Phase() == engine::Phase::RemovingPlayer; }));
    ASSERT_TRUE(PumpUntil([&] { return Phase() == engine::Phase::Playing; }));
    press({SDL_CONTROLLER_BUTTON_B});
    EXPECT_FALSE(game->IsShown());

    // Statistics is three down from New Game; the d-pad picks AB's row, whose game A plays.
    press({SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
           SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_A});
    ASSERT_TRUE(stats.IsShown());
    EXPECT_EQ(stats.BLabel.Font().color, ui::clYellow) << "the chosen level's table";
    EXPECT_EQ(stats.NL1.Caption() + stats.GP1.Caption(), "AB00001");
    press({SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_A});
    ASSERT_TRUE(game->Play().Replaying());
    press({SDL_CONTROLLER_BUTTON_DPAD_RIGHT});
    EXPECT_EQ(game->Play().ReplaySpeed(), 2);
    ASSERT_TRUE(PumpUntil([&] { return game->PauseLabel.Caption().starts_with("The end"); }));
    press({SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_B});
    EXPECT_EQ(app.TopForm(), form1.get());

    // Death Match is two up from Statistics; each pad steers its own worm.
    VirtualPad second("Pad Two");
    press({SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_A});
    ASSERT_TRUE(PumpUntil([&] { return Phase() == engine::Phase::Playing; }));
    second.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press({SDL_CONTROLLER_BUTTON_DPAD_LEFT});
    EXPECT_EQ(game->Play().Model().Player1().direction, engine::kLeft);
    EXPECT_EQ(game->Play().Model().Player2().direction, engine::kDown);
    press({SDL_CONTROLLER_BUTTON_B});
    EXPECT_FALSE(game->IsShown());
    app.PostCall([&] { pad.Press(SDL_CONTROLLER_BUTTON_B); });
    app.Run(*form1);
    EXPECT_TRUE(app.Terminated());
}

// The shoulders move between the Custom values as Tab and Shift+Tab do, the d-pad steps them.
TEST_F(ControllersTest, ShouldersFocusTheCustomValuesAndTheDpadStepsThem)
{
    VirtualPad pad("Pad One");
    TSkillForm skill(app, navigator, *session);
    session->Skill.level = 5;
    skill.Show();
    Pump();
    for (const auto button :
         {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_DPAD_LEFT,
          SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_DPAD_RIGHT})
        pad.Press(button);
    Pump();
    EXPECT_EQ(skill.Label3.Caption(), "3");
    EXPECT_EQ(skill.Label1.Caption(), "1/7");
}

} // namespace
