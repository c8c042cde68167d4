// The statistics screen headless: the table's texts, the level captions, the keys and the
// pixels of the captions.
#include "screens/StatisticsScreen.h"

#include "ScreenTestEnv.h"
#include "screens/MenuScreen.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace
{

using namespace ui::vk;

constexpr ui::Color kGrey{142, 142, 142};

class Unit2Test : public screentest::ScreenTest
{
protected:
    Unit2Test() { navigator.Join(stats); }

    void PutSlot(int level, int slot, const std::string& name, const std::string& games,
                 const std::string& eaten, const std::string& average, const std::string& score)
    {
        const std::string ls = std::to_string(level) + std::to_string(slot);
        TIniFile::Batch batch(session->Ini);
        session->Ini.WriteString("HiNames", "name" + ls, name);
        session->Ini.WriteString("HiGames", "games" + ls, games);
        session->Ini.WriteString("HiEaten", "eaten" + ls, eaten);
        session->Ini.WriteString("HiAverage", "average" + ls, average);
        session->Ini.WriteString("HiScores", "score" + ls, score);
        batch.Commit();
    }

    std::vector<std::string> Row(int k) const
    {
        const ui::Label* rows[7][5] = {{&stats.NL1, &stats.GP1, &stats.E1, &stats.A1, &stats.S1},
                                       {&stats.NL2, &stats.GP2, &stats.E2, &stats.A2, &stats.S2},
                                       {&stats.NL3, &stats.GP3, &stats.E3, &stats.A3, &stats.S3},
                                       {&stats.NL4, &stats.GP4, &stats.E4, &stats.A4, &stats.S4},
                                       {&stats.NL5, &stats.GP5, &stats.E5, &stats.A5, &stats.S5},
                                       {&stats.NL6, &stats.GP6, &stats.E6, &stats.A6, &stats.S6},
                                       {&stats.NL7, &stats.GP7, &stats.E7, &stats.A7, &stats.S7}};
        std::vector<std::string> texts;
        for (const ui::Label* label : rows[k - 1])
            texts.push_back(label->Caption());
        return texts;
    }

    // Counts the pixels of one colour inside a control's area on the screen.
    int CountColour(const ui::Control& control, ui::Color colour) const
    {
        const ui::Point origin = control.ToForm({0, 0});
        int n = 0;
        for (int y = 0; y < control.Height(); ++y)
            for (int x = 0; x < control.Width(); ++x)
                n += app.Display().Screen().Pixel(origin.x + x, origin.y + y) == colour ? 1 : 0;
        return n;
    }

    TForm1 menu{app, navigator, *session};
    TForm2 stats{app, navigator, *session};
};

using Texts = std::vector<std::string>;

TEST_F(Unit2Test, TwoUsersThenBlankRowsWithPaddedNumbers)
{
    PutSlot(3, 1, "ANNA", "7", "53", "7,57", "9");
    PutSlot(3, 2, "BOB", "123456", "1234567", "0,00", "1234");
    PutSlot(3, 3, "", "0", "0", "0,00", "0");
    session->Skill.level = 3;
    stats.Show();

    EXPECT_EQ(Row(1), (Texts{"ANNA", "00007", "000053", "7,57", "009"}));
    EXPECT_EQ(Row(2), (Texts{"BOB", "123456", "1234567", "0,00", "1234"}));
    for (int k = 3; k <= 7; ++k)
        EXPECT_EQ(Row(k), (Texts{"", "", "", "", ""})) << "row " << k;
    EXPECT_EQ(stats.ShownLevel(), 3);
    EXPECT_EQ(stats.GP1.Alignment(), ui::Alignment::Right);
    EXPECT_EQ(stats.GP1.Width(), 65);
}

TEST_F(Unit2Test, NamePresentButNumbersMissingShowsTheDefaults)
{
    session->Ini.WriteString("HiNames", "name21", "CARL");
    session->Ini.WriteString("HiAverage", "average21", "3");
    session->Skill.level = 2;
    stats.Show();
    EXPECT_EQ(Row(1), (Texts{"CARL", "00000", "000000", "003", "000"}));
    EXPECT_EQ(Row(2), (Texts{"", "", "", "", ""}));
}

TEST_F(Unit2Test, CustomOpensOnProfessionalAndEveryOpeningShowsTheCurrentLevel)
{
    PutSlot(3, 1, "THREE", "1", "1", "1,00", "1");
    PutSlot(5, 1, "FIVE", "1", "1", "1,00", "1");
    session->Skill.level = 5;
    stats.Show();
    EXPECT_EQ(stats.NL1.Caption(), "THREE");
    EXPECT_EQ(stats.PLabel.Font().color, ui::clYellow);
    EXPECT_EQ(stats.BLabel.Font().color, kGrey);
    EXPECT_EQ(stats.ALabel.Font().color, kGrey);
    EXPECT_EQ(stats.ELabel.Font().color, kGrey);

    app.Devices().KeyDown(Right);
    EXPECT_EQ(stats.ShownLevel(), 4);
    app.Devices().KeyDown(Escape);
    EXPECT_FALSE(stats.IsShown());
    session->Skill.level = 1;
    stats.Show();
    EXPECT_EQ(stats.ShownLevel(), 1);
    EXPECT_EQ(stats.NL1.Caption(), "");
}

TEST_F(Unit2Test, RightKeyStepsThroughTheFourLevelsAndLeftKeyBack)
{
    PutSlot(1, 1, "ONE", "1", "1", "1,00", "1");
    PutSlot(2, 1, "TWO", "1", "1", "1,00", "1");
    PutSlot(3, 1, "THREE", "1", "1", "1,00", "1");
    PutSlot(4, 1, "FOUR", "1", "1", "1,00", "1");
    session->Skill.level = 3;
    stats.Show();

    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i)
    {
        app.Devices().KeyDown(Right);
        seen.push_back(stats.NL1.Caption());
    }
    EXPECT_EQ(seen, (Texts{"FOUR", "ONE", "TWO", "THREE"}));
    EXPECT_EQ(stats.ShownLevel(), 3);

    seen.clear();
    for (int i = 0; i < 4; ++i)
    {
        app.Devices().KeyDown(Left);
        seen.push_back(stats.NL1.Caption());
    }
    EXPECT_EQ(seen, (Texts{"TWO", "ONE", "FOUR", "THREE"}));

    // The single game's bindings, not the arrows, drive it; a key bound both ways steps right.
    session->Bindings[0][engine::kRight] = 'D';
    session->Bindings[0][engine::kLeft] = 'D';
    app.Devices().KeyDown(Right);
    EXPECT_EQ(stats.ShownLevel(), 3);
    app.Devices().KeyDown('D');
    EXPECT_EQ(stats.ShownLevel(), 4);
    app.Devices().KeyDown('A');
    app.Devices().KeyDown(Space);
    EXPECT_EQ(stats.ShownLevel(), 4);
    EXPECT_TRUE(stats.IsShown());

    stats.BLabel.OnClick(stats.BLabel);
    EXPECT_EQ(stats.NL1.Caption(), "ONE");
}

// Up and Down pick a row with a name and Enter plays its game, here none kept; a level change
// drops the pick, so Enter closes. A key bound to a level and to a row direction changes the
// level.
TEST_F(Unit2Test, UpAndDownPickARowForEnterAndLevelKeysComeFirst)
{
    PutSlot(3, 1, "ANNA", "1", "1", "1,00", "1");
    PutSlot(3, 2, "BOB", "1", "1", "1,00", "1");
    session->Skill.level = 3;
    stats.Show();
    std::vector<int> picked;
    for (const int key : {Down, Down, Down, Up})
    {
        app.Devices().KeyDown(key);
        picked.push_back(stats.PickedRow());
    }
    EXPECT_EQ(picked, (std::vector<int>{1, 2, 2, 1}));
    EXPECT_EQ(stats.NL1.Font().color, ui::clYellow);
    app.Devices().KeyDown(Return);
    EXPECT_TRUE(stats.IsShown());
    EXPECT_EQ(stats.ReplayMessage.Caption(), "No game of ANNA is kept at this level");

    app.Devices().KeyDown(Right);
    EXPECT_EQ(stats.ShownLevel(), 4);
    EXPECT_EQ(stats.PickedRow(), 0);
    EXPECT_EQ(stats.NL1.Font().color, ui::clWhite);
    app.Devices().KeyDown(Return);
    EXPECT_FALSE(stats.IsShown());

    session->Bindings[0][engine::kRight] = session->Bindings[0][engine::kDown] = 'S';
    session->Bindings[0][engine::kLeft] = session->Bindings[0][engine::kUp] = 'W';
    stats.Show();
    app.Devices().KeyDown('S');
    EXPECT_EQ(stats.ShownLevel(), 4);
    app.Devices().KeyDown('W');
    app.Devices().KeyDown('W');
    EXPECT_EQ(stats.ShownLevel(), 2);
    EXPECT_EQ(stats.PickedRow(), 0);
    // A controller's d-pad follows the bindings, not the arrows.
    app.Devices().PlayerTurn(2, ui::Turn::Right);
    EXPECT_EQ(stats.ShownLevel(), 3);
}

TEST_F(Unit2Test, EnterEscAndContinueClose)
{
    stats.Show();
    app.Devices().KeyDown(Return);
    EXPECT_FALSE(stats.IsShown());

    // Shown modally at the end of a game, Enter lets the game go on.
    testsupport::PostKey(app, Return);
    stats.ShowModal();
    EXPECT_FALSE(stats.IsShown());

    stats.Show();
    const ui::Point at = stats.Image13.ToForm({10, 10});
    app.Devices().MouseDown(ui::MouseButton::Left, at.x, at.y);
    EXPECT_EQ(stats.Image13.Top(), 417);
    app.Devices().MouseUp(ui::MouseButton::Left, at.x, at.y);
    EXPECT_EQ(stats.Image13.Top(), 414);
    EXPECT_FALSE(stats.IsShown());
}

TEST_F(Unit2Test, TheShownLevelsCaptionIsYellowAndTheOthersGrey)
{
    session->Skill.level = 2;
    stats.Show();
    app.Render();

    EXPECT_GT(CountColour(stats.ALabel, ui::clYellow), 20);
    EXPECT_EQ(CountColour(stats.ALabel, kGrey), 0);
    for (const ui::Label* other : {&stats.BLabel, &stats.PLabel, &stats.ELabel})
    {
        EXPECT_GT(CountColour(*other, kGrey), 20) << other->Caption();
        EXPECT_EQ(CountColour(*other, ui::clYellow), 0) << other->Caption();
    }
    EXPECT_GT(CountColour(stats.Label1, ui::clRed), 50) << "the title";

    app.Devices().KeyDown(Right);
    app.Render();
    EXPECT_GT(CountColour(stats.PLabel, ui::clYellow), 20);
    EXPECT_EQ(CountColour(stats.ALabel, ui::clYellow), 0);
}

} // namespace
