// The skill settings screen driven through its input: rows, spin buttons with their bounds and
// repeat, and what reaches the settings file and the game when it closes.
#include "screens/SkillScreen.h"

#include "ScreenTestEnv.h"
#include "platform/Dispatch.h"
#include "screens/MenuScreen.h"
#include "settings/IniFile.h"
#include "ui/Application.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr ui::Color kGrey{142, 142, 142};

class SkillFormTest : public screentest::ScreenTest
{
protected:
    SkillFormTest() { navigator.Join(skill); }

    // Writes values into the settings file before the screen opens.
    void Store(const char* section, const char* key, int value)
    {
        TIniFile(ConfigFilePath()).WriteInteger(section, key, value);
    }
    int Stored(const char* section, const char* key) const
    {
        return TIniFile(ConfigFilePath()).ReadInteger(section, key, -1);
    }

    // Press and release of the left mouse button in the middle of a control.
    void Press(ui::Control& c)
    {
        const ui::Point p = c.ToForm({c.Width() / 2, c.Height() / 2});
        app.Devices().MouseDown(ui::MouseButton::Left, p.x, p.y);
    }
    void Release(ui::Control& c)
    {
        // Where the press was: the control has sunk by then.
        const ui::Point p = c.ToForm({c.Width() / 2, c.Height() / 2});
        app.Devices().MouseUp(ui::MouseButton::Left, p.x, p.y);
    }
    void Click(ui::Control& c)
    {
        Press(c);
        Release(c);
    }

    void Open()
    {
        menu.Image6Click(); // the menu's Settings item
        ASSERT_EQ(app.TopForm(), &skill);
    }

    TForm1 menu{app, navigator, *session};
    TSkillForm skill{app, navigator, *session};
};

TEST_F(SkillFormTest, OpensOnProfessionalWithDefaultCustomValuesWithoutASettingsFile)
{
    Open();
    // The menu's click, then the row of the level in force.
    EXPECT_EQ(played, (screentest::Sounds{&session->Pop, &session->Pop}));
    EXPECT_EQ(skill.Label1.Caption(), "1/6");
    EXPECT_EQ(skill.Label2.Caption(), "100");
    EXPECT_EQ(skill.Label3.Caption(), "4");

    EXPECT_EQ(skill.PLabel.Font().color, ui::clYellow);
    EXPECT_EQ(skill.Label8.Font().color, ui::clWhite);
    EXPECT_EQ(skill.Label80.Font().color, ui::clWhite);
    for (ui::Label* name : {&skill.BLabel, &skill.ALabel, &skill.ELabel, &skill.CLabel})
        EXPECT_EQ(name->Font().color, kGrey) << name->Caption();
    for (ui::Label* text :
         {&skill.Label6, &skill.Label7, &skill.Label10, &skill.Label9, &skill.Label60,
          &skill.Label70, &skill.Label100, &skill.Label1, &skill.Label2, &skill.Label3})
        EXPECT_EQ(text->Font().color, kGrey) << text->Caption();
    EXPECT_FALSE(skill.cdk1.Visible());
    EXPECT_FALSE(skill.CDK6.Visible());
}

TEST_F(SkillFormTest, DescriptionsAndFixedValuesBreakIntoOneItemPerLine)
{
    const std::vector<std::string> description{
        "Turn probability:", "Timer interval:", "CPU worms:"};
    EXPECT_EQ(skill.Label6.Lines(), description);
    EXPECT_EQ(skill.Label9.Lines(), description);
    EXPECT_EQ(skill.Label60.Lines(), (std::vector<std::string>{"1/10", "120", "2"}));
    EXPECT_EQ(skill.Label100.Lines(), (std::vector<std::string>{"1/6", "80", "8"}));
}

TEST_F(SkillFormTest, OpeningReadsTheCustomValuesAndLevelKeptInMemory)
{
    Store("Custom", "prob", 12);
    Store("Custom", "timer", 300);
    Store("Custom", "worms", 2);
    session->Skill.level = 5;
    Open();
    EXPECT_EQ(skill.Label1.Caption(), "1/12");
    EXPECT_EQ(skill.Label2.Caption(), "300");
    EXPECT_EQ(skill.Label3.Caption(), "2");
    EXPECT_EQ(skill.CLabel.Font().color, ui::clYellow);
    EXPECT_EQ(skill.Label9.Font().color, ui::clWhite);
    EXPECT_EQ(skill.Label1.Font().color, ui::clWhite);
    EXPECT_EQ(skill.PLabel.Font().color, kGrey);
    EXPECT_TRUE(skill.cdk1.Visible());
    EXPECT_TRUE(skill.CDK6.Visible());
}

TEST_F(SkillFormTest, HandEditedCustomValuesOutsideTheirRangesAreShownAtTheNearestBound)
{
    Store("Custom", "prob", 500);
    Store("Custom", "timer", 0);
    Store("Custom", "worms", 20);
    Open();
    EXPECT_EQ(skill.Label1.Caption(), "1/99");
    EXPECT_EQ(skill.Label2.Caption(), "1");
    EXPECT_EQ(skill.Label3.Caption(), "8");
}

TEST_F(SkillFormTest, SpinButtonsAreDrawnOnlyWhileCustomIsSelected)
{
    Open();
    // A pixel inside the left-pointing probability button, clear of its outline.
    const ui::Point inside = skill.cdk1.ToForm({6, 8});
    app.Render();
    EXPECT_EQ(app.Display().Screen().Pixel(inside.x, inside.y), ui::clBlack);

    Click(skill.CLabel);
    app.Render();
    EXPECT_EQ(app.Display().Screen().Pixel(inside.x, inside.y), ui::clBlue);
    const ui::Point up = skill.CDK2.ToForm({2, 8});
    EXPECT_EQ(app.Display().Screen().Pixel(up.x, up.y), ui::clBlue);

    Click(skill.ALabel);
    app.Render();
    EXPECT_EQ(app.Display().Screen().Pixel(inside.x, inside.y), ui::clBlack);
    EXPECT_EQ(skill.ALabel.Font().color, ui::clYellow);
    EXPECT_EQ(skill.Label7.Font().color, ui::clWhite);
    EXPECT_EQ(skill.Label70.Font().color, ui::clWhite);
    EXPECT_EQ(skill.CLabel.Font().color, kGrey);
    EXPECT_EQ(skill.Label1.Font().color, kGrey);
}

// At every scale each Custom value stands on its caption's line (the bottoms of the ink of their
// first characters, none with a descender, within a logical pixel and a letter's overshoot), the
// spin arrows form two columns and the level names share a left edge (within their letters' side
// bearings).
TEST_F(SkillFormTest, CustomValuesStandOnTheirCaptionsLinesAndArrowsAndNamesInColumns)
{
    Store("Custom", "worms", 1);
    session->Skill.level = 5;
    Open();
    // The ink in a rectangle given from a control's top-left corner.
    const auto ink = [&](const ui::Control& c, ui::Rect r)
    {
        const ui::Point o = c.ToForm({0, 0});
        return screentest::InkBox(app.Display().Screen(),
                                  app.Display().ToPhysical(r.Offset(o.x, o.y)));
    };
    const ui::Label& captions = skill.Label9;
    const ui::Label* values[] = {&skill.Label1, &skill.Label2, &skill.Label3};
    const int lineHeight = ui::LineHeight(captions.Font());
    app.Display().ResizeScreen(2800, 2100);
    for (const double scale : {1.0, 1.75, 3.5})
    {
        SCOPED_TRACE(scale);
        app.Display().SetScale(scale);
        app.Render();
        std::set<int> downLefts;
        std::set<int> upRights;
        for (int k = 0; k < 3; ++k)
        {
            const ui::Rect line = ui::Bounds(0, k * lineHeight, 4, lineHeight);
            EXPECT_NEAR(ink(*values[k], line.Offset(0, -line.top)).bottom,
                        ink(captions, line).bottom, scale + 1);
            // Right of the captions on their line: the down arrow, the value, the up arrow.
            const ui::Rect row = ink(captions, {captions.Width(), line.top, 260, line.bottom});
            downLefts.insert(row.left);
            upRights.insert(row.right);
        }
        EXPECT_EQ(downLefts.size() + upRights.size(), 2u);
        std::set<int> nameLefts;
        for (const ui::Label* name :
             {&skill.BLabel, &skill.ALabel, &skill.PLabel, &skill.ELabel, &skill.CLabel})
            nameLefts.insert(ink(*name, name->ClientRect()).left);
        EXPECT_LE(*nameLefts.rbegin() - *nameLefts.begin(), 3 * scale);
    }
}

TEST_F(SkillFormTest, HoldingProbabilityDecreaseReachesOneInOneAndStays)
{
    Open();
    Click(skill.CLabel);
    const int left = skill.cdk1.Left();
    const int top = skill.cdk1.Top();

    Press(skill.cdk1);
    EXPECT_EQ(skill.Label1.Caption(), "1/5"); // one step at once
    EXPECT_EQ(skill.cdk1.Left(), left + 2);
    EXPECT_EQ(skill.cdk1.Top(), top + 2);
    EXPECT_TRUE(skill.Timer1.Enabled());
    EXPECT_EQ(skill.Timer1.Interval(), 100);
    EXPECT_EQ(skill.Repeat(), TSkillForm::RepeatMode::ProbDown);

    for (const char* expected : {"1/4", "1/3", "1/2", "1/1", "1/1", "1/1"})
    {
        skill.Timer1Timer();
        EXPECT_EQ(skill.Label1.Caption(), expected);
    }
    Release(skill.cdk1);
    EXPECT_FALSE(skill.Timer1.Enabled());
    EXPECT_EQ(skill.cdk1.Left(), left);
    EXPECT_EQ(skill.cdk1.Top(), top);
}

TEST_F(SkillFormTest, HeldIncreaseRepeatsThroughTheMessageLoopUpToItsBound)
{
    Store("Custom", "prob", 95);
    session->Skill.level = 5;
    Open();
    Press(skill.CDK2);
    EXPECT_EQ(skill.Label1.Caption(), "1/96");
    // Generous: only the outcome matters, not how fast the timer gets there.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (skill.Label1.Caption() != "1/99" && std::chrono::steady_clock::now() < deadline)
    {
        platform::WaitPending(50ms);
        app.Loop().ProcessMessages();
    }
    EXPECT_EQ(skill.Label1.Caption(), "1/99");
    Release(skill.CDK2);
    EXPECT_FALSE(skill.Timer1.Enabled());
    EXPECT_EQ(skill.Label1.Caption(), "1/99");
}

TEST_F(SkillFormTest, TimerIncreaseStopsAt999)
{
    Store("Custom", "timer", 998);
    session->Skill.level = 5;
    Open();
    Press(skill.CDK4);
    EXPECT_EQ(skill.Label2.Caption(), "999");
    EXPECT_EQ(skill.Repeat(), TSkillForm::RepeatMode::TimerUp);
    skill.Timer1Timer();
    skill.Timer1Timer();
    EXPECT_EQ(skill.Label2.Caption(), "999");
    Release(skill.CDK4);

    Press(skill.CDK3);
    EXPECT_EQ(skill.Label2.Caption(), "998");
    EXPECT_EQ(skill.Repeat(), TSkillForm::RepeatMode::TimerDown);
    skill.Timer1Timer();
    EXPECT_EQ(skill.Label2.Caption(), "997");
    Release(skill.CDK3);
}

TEST_F(SkillFormTest, WormCountStepsOncePerPressWithinZeroToEight)
{
    Store("Custom", "worms", 7);
    session->Skill.level = 5;
    Open();
    for (const char* expected : {"8", "8"})
    {
        Press(skill.CDK6);
        EXPECT_FALSE(skill.Timer1.Enabled()); // the worm count never repeats
        Release(skill.CDK6);
        EXPECT_EQ(skill.Label3.Caption(), expected);
    }
    for (int i = 0; i < 10; ++i)
        Click(skill.CDK5);
    EXPECT_EQ(skill.Label3.Caption(), "0");
    Click(skill.CDK6);
    EXPECT_EQ(skill.Label3.Caption(), "1");
}

TEST_F(SkillFormTest, MasterClosedWithEscapeIsStoredAndApplied)
{
    Open();
    Click(skill.ELabel);
    EXPECT_EQ(session->Skill.level, 4);
    // Choosing alone changes nothing of the game yet.
    EXPECT_EQ(session->Skill.interval, 100);
    played.clear();
    app.Devices().KeyDown(ui::vk::Escape);

    EXPECT_EQ(played, screentest::Sounds{&session->Pop}) << "closing clicks once";
    EXPECT_FALSE(skill.IsShown());
    EXPECT_EQ(app.TopForm(), nullptr);
    EXPECT_EQ(Stored("MAin", "Skill"), 4);
    EXPECT_EQ(Stored("Custom", "prob"), 6);
    EXPECT_EQ(Stored("Custom", "timer"), 100);
    EXPECT_EQ(Stored("Custom", "worms"), 4);
    EXPECT_EQ(config.FileText(), "[MAin]\nSkill=4\n[Custom]\nprob=6\ntimer=100\nworms=4\n")
        << "a new section keeps the spelling of its first write";
    EXPECT_EQ(session->Skill.probability, 6);
    EXPECT_EQ(session->Skill.interval, 80);
    EXPECT_EQ(session->Skill.worms, 8);
    EXPECT_TRUE(errors.empty());
}

// Keys alone: Up and Down choose the neighbouring level, stopping at the ends; on Custom, Tab and
// Shift+Tab focus a value that Left and Right step within its bounds; Enter stores as before.
TEST_F(SkillFormTest, KeysChooseTheLevelAndStepTheFocusedCustomValueWithinItsBounds)
{
    using namespace ui::vk;
    Open();
    for (int i = 0; i < 3; ++i)
        app.Devices().KeyDown(Up);
    EXPECT_EQ(session->Skill.level, 1) << "Beginner is the top";
    EXPECT_EQ(skill.BLabel.Font().color, ui::clYellow);
    app.Devices().KeyDown(Tab);
    EXPECT_FALSE(skill.ValueFocus().Shown()) << "only Custom has values to focus";
    for (int i = 0; i < 5; ++i)
        app.Devices().KeyDown(Down);
    EXPECT_EQ(session->Skill.level, 5) << "Custom is the bottom";
    app.Devices().KeyDown(Left);
    EXPECT_EQ(skill.Label1.Caption(), "1/6") << "no value is focused yet";

    ScreenTest::Press(SDLK_TAB, KMOD_NUM | KMOD_SHIFT);
    EXPECT_EQ(skill.Label3.Font().color, ui::clYellow) << "Shift+Tab starts at the last value";
    for (int i = 0; i < 6; ++i)
        app.Devices().KeyDown(Right);
    EXPECT_EQ(skill.Label3.Caption(), "8");
    app.Devices().KeyDown(Tab);
    EXPECT_EQ(skill.Label1.Font().color, ui::clYellow) << "Tab wraps to the first value";
    EXPECT_EQ(skill.Label3.Font().color, ui::clWhite);
    for (int i = 0; i < 7; ++i)
        app.Devices().KeyDown(Left);
    EXPECT_EQ(skill.Label1.Caption(), "1/1");

    app.Devices().KeyDown(Up);
    EXPECT_FALSE(skill.ValueFocus().Shown());
    EXPECT_NE(skill.Label1.Font().color, ui::clYellow);
    app.Devices().KeyDown(Down);
    app.Devices().KeyDown(Return);
    EXPECT_FALSE(skill.IsShown());
    EXPECT_EQ(Stored("Main", "Skill"), 5);
    EXPECT_EQ(Stored("Custom", "prob"), 1);
    EXPECT_EQ(Stored("Custom", "worms"), 8);
}

// The mouse shows no focus, but once a key showed it, it follows the mouse over a Custom value
// or its arrows, so that the keys step the value last pointed at; passing over a level chooses
// nothing.
TEST_F(SkillFormTest, OnceShownTheValueFocusFollowsTheMouseOverAValueOrItsArrows)
{
    session->Skill.level = 5;
    Open();
    Hover(skill.Label2);
    Click(skill.CDK4);
    EXPECT_EQ(skill.Label2.Caption(), "101");
    EXPECT_FALSE(skill.ValueFocus().Shown()) << "the mouse alone shows no focus";
    EXPECT_EQ(skill.Label2.Font().color, ui::clWhite);

    app.Devices().KeyDown(ui::vk::Tab);
    Hover(skill.Label3);
    EXPECT_EQ(skill.Label3.Font().color, ui::clYellow);
    EXPECT_EQ(skill.Label1.Font().color, ui::clWhite);
    Hover(skill.ALabel);
    EXPECT_EQ(session->Skill.level, 5);
    Click(skill.CDK3);
    EXPECT_EQ(skill.Label2.Font().color, ui::clYellow);
    EXPECT_EQ(skill.Label3.Font().color, ui::clWhite);
    app.Devices().KeyDown(ui::vk::Left);
    EXPECT_EQ(skill.Label2.Caption(), "99") << "the arrow and then Left stepped it";
}

TEST_F(SkillFormTest, CustomValuesChangedUnderBeginnerAreStoredButBeginnerIsInForce)
{
    Open();
    Click(skill.CLabel);
    Click(skill.CDK2);
    Click(skill.CDK2);
    Click(skill.CDK3);
    Click(skill.CDK6);
    Click(skill.BLabel);
    app.Devices().KeyDown(ui::vk::Return);

    EXPECT_FALSE(skill.IsShown());
    EXPECT_EQ(Stored("MAin", "Skill"), 1);
    EXPECT_EQ(Stored("Custom", "prob"), 8);
    EXPECT_EQ(Stored("Custom", "timer"), 99);
    EXPECT_EQ(Stored("Custom", "worms"), 5);
    EXPECT_EQ(session->Skill.probability, 10);
    EXPECT_EQ(session->Skill.interval, 120);
    EXPECT_EQ(session->Skill.worms, 2);

    // The next showing brings the stored values back; Custom then puts them in force.
    Open();
    EXPECT_EQ(skill.BLabel.Font().color, ui::clYellow);
    EXPECT_EQ(skill.Label1.Caption(), "1/8");
    Click(skill.CLabel);
    Click(skill.Image4); // Main Menu
    EXPECT_FALSE(skill.IsShown());
    EXPECT_EQ(Stored("MAin", "Skill"), 5);
    EXPECT_EQ(session->Skill.probability, 8);
    EXPECT_EQ(session->Skill.interval, 99);
    EXPECT_EQ(session->Skill.worms, 5);
}

TEST_F(SkillFormTest, FailedWriteShowsTheMessageAndSkipsTheRest)
{
    // A folder where the file should be: no write can replace it.
    fs::create_directories(ConfigFilePath());
    Open();
    Click(skill.ELabel);
    played.clear();
    app.Devices().KeyDown(ui::vk::Escape);

    EXPECT_TRUE(played.empty()) << "a close that failed makes no click";
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Unable to write to Zorbel2.ini");
    errors.clear();
    EXPECT_FALSE(skill.IsShown());
    // SetSkill did not run: Professional's values are still in force.
    EXPECT_EQ(session->Skill.probability, 6);
    EXPECT_EQ(session->Skill.interval, 100);
    EXPECT_EQ(session->Skill.worms, 4);
}

} // namespace
