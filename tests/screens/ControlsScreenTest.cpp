// The controls screen driven through its input: the key-name table, selecting and naming a
// direction, and what Save and Cancel leave in the settings file and the bindings.
#include "screens/ControlsScreen.h"

#include "ScreenTestEnv.h"
#include "screens/MenuScreen.h"
#include "settings/IniFile.h"
#include "ui/Application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr ui::Color kLightRed{255, 94, 94};

class KeyFormTest : public screentest::ScreenTest
{
protected:
    KeyFormTest() { navigator.Join(keys); }

    int Stored(const char* key) const
    {
        return TIniFile(ConfigFilePath()).ReadInteger("Keys", key, -1);
    }

    void Click(ui::Control& c)
    {
        const ui::Point p = c.ToForm({c.Width() / 2, c.Height() / 2});
        app.Devices().MouseDown(ui::MouseButton::Left, p.x, p.y);
        // Released where it was pressed, though a screen button has sunk meanwhile.
        app.Devices().MouseUp(ui::MouseButton::Left, p.x, p.y);
    }

    void Open()
    {
        menu.Image4Click(); // the menu's Controls item
        ASSERT_EQ(app.TopForm(), &keys);
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const ui::Label* l : {&keys.LabelL, &keys.LabelU, &keys.LabelR, &keys.LabelD,
                                   &keys.LabelL1, &keys.LabelU1, &keys.LabelR1, &keys.LabelD1,
                                   &keys.LabelL2, &keys.LabelU2, &keys.LabelR2, &keys.LabelD2})
            names.push_back(l->Caption());
        return names;
    }

    // The boxes whose pen has the selected colour.
    std::vector<const ui::Shape*> SelectedBoxes() const
    {
        std::vector<const ui::Shape*> selected;
        for (const ui::Shape* s :
             {&keys.ShapeL,   &keys.ShapeLs,  &keys.ShapeU,   &keys.ShapeUs,  &keys.ShapeR,
              &keys.ShapeRs,  &keys.ShapeD,   &keys.ShapeDs,  &keys.ShapeL1,  &keys.ShapeLs1,
              &keys.ShapeU1,  &keys.ShapeUs1, &keys.ShapeR1,  &keys.ShapeRs1, &keys.ShapeD1,
              &keys.ShapeDs1, &keys.ShapeL2,  &keys.ShapeLs2, &keys.ShapeU2,  &keys.ShapeUs2,
              &keys.ShapeR2,  &keys.ShapeRs2, &keys.ShapeD2,  &keys.ShapeDs2})
        {
            if (s->Pen().color == kLightRed)
                selected.push_back(s);
            else
                EXPECT_EQ(s->Pen().color, ui::clBlue);
        }
        return selected;
    }

    TForm1 menu{app, navigator, *session};
    TKeyForm keys{app, navigator, *session};
};

const std::vector<std::string> kArrows{"Left",  "Up",   "Right", "Down", "Left",  "Up",
                                       "Right", "Down", "Left",  "Up",   "Right", "Down"};

TEST_F(KeyFormTest, KeyNameTableHoldsItsSeventyFiveKeysInOrder)
{
    const auto& table = keys.Keys();
    ASSERT_EQ(table.size(), 75u);
    for (int n = 1; n <= 12; ++n)
    {
        EXPECT_EQ(table[n - 1].Code, 111 + n);
        EXPECT_EQ(table[n - 1].Name, "F" + std::to_string(n));
    }
    const std::vector<std::pair<int, std::string>> named{
        {192, "~"},     {8, "Del"},   {13, "Enter"}, {16, "Shift"}, {17, "Ctrl"}, {18, "Alt"},
        {32, "Space"},  {37, "Left"}, {38, "Up"},    {39, "Right"}, {40, "Down"}, {45, "Insert"},
        {46, "Delete"}, {33, "PgUp"}, {34, "PgDn"},  {35, "End"},   {36, "Home"}};
    for (std::size_t i = 0; i < named.size(); ++i)
    {
        EXPECT_EQ(table[12 + i].Code, named[i].first) << i;
        EXPECT_EQ(table[12 + i].Name, named[i].second) << i;
    }
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(table[29 + i].Code, '0' + i);
        EXPECT_EQ(table[29 + i].Name, std::string(1, static_cast<char>('0' + i)));
    }
    for (int i = 0; i < 26; ++i)
    {
        EXPECT_EQ(table[39 + i].Code, 'A' + i);
        EXPECT_EQ(table[39 + i].Name, std::string(1, static_cast<char>('A' + i)));
    }
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(table[65 + i].Code, 96 + i);
        EXPECT_EQ(table[65 + i].Name, "Num " + std::to_string(i));
    }

    std::set<int> codes;
    std::set<std::string> names;
    for (const TKeys& key : table)
    {
        codes.insert(key.Code);
        names.insert(key.Name);
        EXPECT_EQ(keys.Normal(key.Code), key.Name);
        EXPECT_EQ(keys.KeyInt(key.Name), key.Code);
    }
    EXPECT_EQ(codes.size(), 75u);
    EXPECT_EQ(names.size(), 75u);
    EXPECT_EQ(names.count("None"), 0u);
    EXPECT_EQ(codes.count(0), 0u);

    EXPECT_EQ(keys.Normal(0), "None");
    EXPECT_EQ(keys.KeyInt("None"), 0);
    EXPECT_EQ(keys.KeyInt("w"), 0); // letter case counts
}

TEST_F(KeyFormTest, WithoutASettingsFileAllThreeGroupsShowTheArrows)
{
    Open();
    EXPECT_EQ(Names(), kArrows);
    EXPECT_TRUE(SelectedBoxes().empty());
}

TEST_F(KeyFormTest, PlayerTwoUpSetToWIsSavedAndReloaded)
{
    Open();
    Click(keys.ShapeU2);
    EXPECT_EQ(SelectedBoxes(), (std::vector<const ui::Shape*>{&keys.ShapeU2, &keys.ShapeUs2}));

    app.Devices().KeyDown('W');
    EXPECT_EQ(keys.LabelU2.Caption(), "W");
    EXPECT_TRUE(SelectedBoxes().empty());
    // Nothing is stored before Save.
    EXPECT_FALSE(fs::exists(ConfigFilePath()));
    EXPECT_EQ(session->Bindings[2][engine::kUp], 38);

    Click(keys.Image13);
    EXPECT_FALSE(keys.IsShown());
    EXPECT_EQ(Stored("UpKey2"), 87);
    EXPECT_EQ(session->Bindings[2][engine::kUp], 87);
    EXPECT_EQ(Stored("LeftKey"), 37);
    EXPECT_EQ(Stored("RightKey"), 39);
    EXPECT_EQ(Stored("UpKey"), 38);
    EXPECT_EQ(Stored("DownKey"), 40);
    EXPECT_EQ(Stored("UpKey1"), 38);
    EXPECT_EQ(Stored("DownKey2"), 40);
    EXPECT_EQ(session->Bindings[0][engine::kUp], 38);
    EXPECT_EQ(session->Bindings[1][engine::kUp], 38);
    EXPECT_TRUE(errors.empty());

    Open();
    EXPECT_EQ(keys.LabelU2.Caption(), "W");
}

// Keys alone: Tab runs through the twelve boxes in the bindings' order, then Save and Cancel,
// wrapping; Enter selects the focused box, and the next key is bound to it whatever it is, the
// keys that move the focus included.
TEST_F(KeyFormTest, TabFocusesTheBoxesInOrderThenTheButtonsAndEveryKeyStaysBindable)
{
    using namespace ui::vk;
    Open();
    const std::vector<const ui::Shape*> order{
        &keys.ShapeL,  &keys.ShapeR,  &keys.ShapeU,  &keys.ShapeD,  &keys.ShapeL1, &keys.ShapeR1,
        &keys.ShapeU1, &keys.ShapeD1, &keys.ShapeL2, &keys.ShapeR2, &keys.ShapeU2, &keys.ShapeD2};
    for (std::size_t i = 0; i < order.size(); ++i)
    {
        app.Devices().KeyDown(Tab);
        EXPECT_EQ(order[i]->Pen().color, ui::clYellow) << i;
    }
    EXPECT_EQ(keys.ShapeD1.Pen().color, ui::clBlue) << "the focus left the boxes it passed";
    app.Devices().KeyDown(Tab);
    EXPECT_EQ(keys.Label18.Font().color, ui::clYellow) << "Save";
    app.Devices().KeyDown(Tab);
    EXPECT_EQ(keys.Label5.Font().color, ui::clYellow) << "Cancel";
    EXPECT_EQ(keys.Label18.Font().color, ui::clWhite);
    app.Devices().KeyDown(Right);
    EXPECT_EQ(keys.ShapeL.Pen().color, ui::clYellow) << "the focus wraps";

    const std::vector<std::pair<int, std::string>> bound{
        {Tab, "None"}, {Down, "Down"}, {Return, "Enter"}, {Left, "Left"}};
    for (const auto& [key, name] : bound)
    {
        app.Devices().KeyDown(Return);
        EXPECT_EQ(keys.ShapeL.Pen().color, kLightRed);
        app.Devices().KeyDown(key);
        EXPECT_EQ(keys.LabelL.Caption(), name);
        EXPECT_EQ(keys.KeyFocus().Item(), 0) << "binding moved no focus";
    }
    // Player 2's Up is four back; W bound to it and saved, all from the keyboard.
    for (int i = 0; i < 4; ++i)
        ScreenTest::Press(SDLK_TAB, KMOD_NUM | KMOD_SHIFT);
    app.Devices().KeyDown(Return);
    app.Devices().KeyDown('W');
    app.Devices().KeyDown(Down);
    app.Devices().KeyDown(Down);
    app.Devices().KeyDown(Return);
    EXPECT_FALSE(keys.IsShown());
    EXPECT_EQ(Stored("UpKey2"), 87);
    EXPECT_EQ(Stored("LeftKey"), 37);
    EXPECT_EQ(session->Bindings[2][engine::kUp], 87);
}

// Once a key showed the focus, the mouse over a direction's picture or name, or over a button,
// moves it there; a box waiting for its key keeps it until the key comes. Before, the mouse shows
// no focus.
TEST_F(KeyFormTest, OnceShownTheFocusFollowsTheMouseButStaysOnABoxWaitingForItsKey)
{
    Open();
    Hover(keys.Image7);
    EXPECT_FALSE(keys.KeyFocus().Shown());
    EXPECT_EQ(keys.ShapeU1.Pen().color, ui::clBlue);

    app.Devices().KeyDown(ui::vk::Tab);
    Hover(keys.Image7);
    EXPECT_EQ(keys.ShapeU1.Pen().color, ui::clYellow);
    EXPECT_EQ(keys.ShapeUs1.Pen().color, ui::clYellow);
    EXPECT_EQ(keys.ShapeL.Pen().color, ui::clBlue);
    Hover(keys.Label5);
    EXPECT_EQ(keys.Label5.Font().color, ui::clYellow) << "Cancel";
    EXPECT_EQ(keys.ShapeU1.Pen().color, ui::clBlue);

    Click(keys.ShapeR);
    Hover(keys.LabelD);
    EXPECT_EQ(keys.ShapeD.Pen().color, ui::clBlue) << "R waits for its key";
    EXPECT_EQ(keys.Label5.Font().color, ui::clWhite);
    app.Devices().KeyDown('Q');
    EXPECT_EQ(keys.LabelR.Caption(), "Q");
    EXPECT_EQ(keys.ShapeR.Pen().color, ui::clYellow);
    Hover(keys.LabelD);
    EXPECT_EQ(keys.ShapeD.Pen().color, ui::clYellow);
}

TEST_F(KeyFormTest, BackspaceIsNamedDelAndDeleteIsNamedDelete)
{
    Open();
    Click(keys.ShapeL);
    app.Devices().KeyDown(ui::vk::Back);
    Click(keys.ShapeR1);
    app.Devices().KeyDown(ui::vk::Delete);
    EXPECT_EQ(keys.LabelL.Caption(), "Del");
    EXPECT_EQ(keys.LabelR1.Caption(), "Delete");

    Click(keys.Image13);
    EXPECT_EQ(Stored("LeftKey"), 8);
    EXPECT_EQ(Stored("RightKey1"), 46);
    EXPECT_EQ(session->Bindings[0][engine::kLeft], 8);
    EXPECT_EQ(session->Bindings[1][engine::kRight], 46);
}

TEST_F(KeyFormTest, KeyPressWithNothingSelectedChangesNoName)
{
    Open();
    app.Devices().KeyDown('W');
    app.Devices().KeyDown(ui::vk::Numpad0);
    EXPECT_EQ(Names(), kArrows);
    EXPECT_TRUE(keys.IsShown());
}

TEST_F(KeyFormTest, SelectingAnotherBoxUnselectsTheFirstAndIsDrawnLightRed)
{
    Open();
    Click(keys.ShapeD);
    Click(keys.ShapeL1);
    EXPECT_EQ(SelectedBoxes(), (std::vector<const ui::Shape*>{&keys.ShapeL1, &keys.ShapeLs1}));

    app.Render();
    const ui::Point box = keys.ShapeL1.ToForm({0, 20});
    const ui::Point nameBox = keys.ShapeLs1.ToForm({0, 8});
    const ui::Point other = keys.ShapeD.ToForm({0, 30});
    EXPECT_EQ(app.Display().Screen().Pixel(box.x, box.y), kLightRed);
    EXPECT_EQ(app.Display().Screen().Pixel(nameBox.x, nameBox.y), kLightRed);
    EXPECT_EQ(app.Display().Screen().Pixel(other.x, other.y), ui::clBlue);

    app.Devices().KeyDown('Q');
    EXPECT_EQ(keys.LabelL1.Caption(), "Q");
    EXPECT_EQ(keys.LabelD.Caption(), "Down");
}

TEST_F(KeyFormTest, PressAnywhereInAKeyBoxSelectsIt)
{
    Open();
    // The middle holds the worm picture when there is one; the corner only the box.
    const ui::Point corner = keys.ShapeR.ToForm({2, 2});
    app.Devices().MouseDown(ui::MouseButton::Right, corner.x, corner.y);
    app.Devices().MouseUp(ui::MouseButton::Right, corner.x, corner.y);
    EXPECT_EQ(SelectedBoxes(), (std::vector<const ui::Shape*>{&keys.ShapeR, &keys.ShapeRs}));
    Click(keys.ShapeD2);
    EXPECT_EQ(SelectedBoxes(), (std::vector<const ui::Shape*>{&keys.ShapeD2, &keys.ShapeDs2}));
    // The name box is not a key box.
    Click(keys.ShapeLs);
    EXPECT_EQ(SelectedBoxes(), (std::vector<const ui::Shape*>{&keys.ShapeD2, &keys.ShapeDs2}));
}

TEST_F(KeyFormTest, EscapeWithABoxSelectedClosesWithoutStoringAnything)
{
    Open();
    Click(keys.ShapeL1);
    app.Devices().KeyDown(ui::vk::Escape);
    EXPECT_FALSE(keys.IsShown());
    EXPECT_FALSE(fs::exists(ConfigFilePath()));
    EXPECT_EQ(session->Bindings[1][engine::kLeft], 37);

    Open();
    EXPECT_EQ(Names(), kArrows);
    EXPECT_TRUE(SelectedBoxes().empty());
}

TEST_F(KeyFormTest, CancelForgetsTheEdits)
{
    Open();
    Click(keys.ShapeU);
    app.Devices().KeyDown('E');
    EXPECT_EQ(keys.LabelU.Caption(), "E");
    Click(keys.Image14);
    EXPECT_FALSE(keys.IsShown());
    EXPECT_FALSE(fs::exists(ConfigFilePath()));
    EXPECT_EQ(session->Bindings[0][engine::kUp], 38);

    Open();
    EXPECT_EQ(keys.LabelU.Caption(), "Up");
}

// Player 2 on the keypad beside player 1 on the arrows: with Num Lock on its digits are keys
// of their own, named and stored as the system's codes; a key without a code names no key.
TEST_F(KeyFormTest, KeypadDigitsWithNumLockAreNamedAndStoredAndOtherKeysGiveNone)
{
    Open();
    Click(keys.ShapeU2);
    Press(SDLK_KP_8);
    Click(keys.ShapeL2);
    Press(SDLK_KP_4);
    Click(keys.ShapeD2);
    Press(SDLK_KP_0);
    EXPECT_EQ(keys.LabelU2.Caption(), "Num 8");
    EXPECT_EQ(keys.LabelL2.Caption(), "Num 4");
    EXPECT_EQ(keys.LabelD2.Caption(), "Num 0");
    // A key the system has no code for (a national letter) ends the selection just the same.
    Click(keys.ShapeD);
    Press(0xE4);
    EXPECT_EQ(keys.LabelD.Caption(), "None");
    EXPECT_EQ(keys.ShapeD.Pen().color, ui::clBlue);
    Click(keys.Image13);
    EXPECT_EQ(Stored("UpKey2"), 104);
    EXPECT_EQ(Stored("LeftKey2"), 100);
    EXPECT_EQ(Stored("DownKey2"), 96);
    EXPECT_EQ(Stored("DownKey"), 0);
    // Saving reads the bindings back from the file.
    EXPECT_EQ(session->Bindings[2][engine::kUp], 104);
    EXPECT_EQ(session->Bindings[0][engine::kDown], 0);

    Open();
    EXPECT_EQ(keys.LabelU2.Caption(), "Num 8");
    EXPECT_EQ(keys.LabelD2.Caption(), "Num 0");
    EXPECT_EQ(keys.LabelD.Caption(), "None");
}

// While a box waits, the toggle's keys and the keypad without Num Lock name it like any key.
TEST_F(KeyFormTest, F11EnterAndTheKeypadArrowsWithoutNumLockAreAssignedWhileABoxWaits)
{
    Open();
    Press(SDLK_F11);
    EXPECT_FALSE(app.Fullscreen()) << "nothing waits: F11 switches";
    Click(keys.ShapeR);
    Press(SDLK_F11);
    Click(keys.ShapeU1);
    Press(SDLK_KP_ENTER, KMOD_NUM | KMOD_LALT);
    Click(keys.ShapeL2);
    Press(SDLK_KP_9, KMOD_NONE);
    Click(keys.ShapeD2);
    Press(SDLK_KP_PERIOD, KMOD_CAPS);
    Click(keys.Image13);
    EXPECT_FALSE(app.Fullscreen());
    EXPECT_EQ(Stored("RightKey"), 122);
    EXPECT_EQ(Stored("UpKey1"), 13);
    EXPECT_EQ(Stored("LeftKey2"), 33);
    EXPECT_EQ(Stored("DownKey2"), 46);
}

TEST_F(KeyFormTest, BindingOutsideTheTableShowsNoneAndSavesAsZero)
{
    TIniFile(ConfigFilePath()).WriteInteger("Keys", "RightKey2", 999);
    session->InitKeys();
    Open();
    EXPECT_EQ(keys.LabelR2.Caption(), "None");
    Click(keys.Image13);
    EXPECT_EQ(Stored("RightKey2"), 0);
    EXPECT_EQ(session->Bindings[2][engine::kRight], 0);
}

TEST_F(KeyFormTest, ShowingUsesTheBindingsInMemoryNotTheFile)
{
    TIniFile(ConfigFilePath()).WriteInteger("Keys", "LeftKey", 'A');
    session->Bindings[2][engine::kLeft] = 'K';
    Open();
    EXPECT_EQ(keys.LabelL.Caption(), "Left");
    EXPECT_EQ(keys.LabelL2.Caption(), "K");
}

TEST_F(KeyFormTest, FailedWriteShowsTheMessageAndKeepsTheScreenAndBindings)
{
    fs::create_directories(ConfigFilePath());
    Open();
    Click(keys.ShapeL);
    app.Devices().KeyDown('Z');
    played.clear();
    Click(keys.Image13);
    EXPECT_TRUE(played.empty()) << "a close that failed makes no click";
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Unable to write to Zorbel2.ini");
    errors.clear();
    EXPECT_TRUE(keys.IsShown());
    EXPECT_EQ(session->Bindings[0][engine::kLeft], 37);
    EXPECT_EQ(keys.LabelL.Caption(), "Z");
}

} // namespace
