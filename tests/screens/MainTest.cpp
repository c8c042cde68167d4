// The main menu: start-up without a settings file, the screen-button pattern, and its keys.
#include "screens/Main.h"

#include "ScreenTestEnv.h"
#include "screens/GameUnit.h"
#include "screens/KeyUnit.h"
#include "screens/NameUnit.h"
#include "screens/SkillUnit.h"
#include "screens/Unit2.h"

#include <gtest/gtest.h>

namespace
{

using screentest::TempConfig;
using namespace ui::vk;

class MainTest : public screentest::ScreenTest
{
protected:
    ui::Point Centre(const ui::Control& image) const
    {
        return image.ToForm({image.Width() / 2, image.Height() / 2});
    }

    TForm1 menu{screens};
    TGameForm game{screens};
    TNameForm login{screens};
    TKeyForm keys{screens};
    TSkillForm skill{screens};
    TForm2 stats{screens};
};

TEST_F(MainTest, StartsWithoutASettingsFileAsNobody)
{
    EXPECT_EQ(menu.Label11.Caption(), "#UNKNOWN");
    EXPECT_FALSE(menu.Image1.Visible());
    EXPECT_FALSE(menu.Label1.Visible());
    EXPECT_TRUE(menu.Image3.Visible());
    EXPECT_EQ(menu.UserName, "");
    EXPECT_EQ(menu.LeftKey, Left);
    EXPECT_EQ(menu.RightKey2, Right);
    EXPECT_FALSE(TempConfig::FileExists()) << "start-up writes nothing";
    EXPECT_EQ(menu.Panel1.Left(), (app.ScreenWidth() - 545) / 2);
    EXPECT_EQ(menu.Panel1.Top(), (app.ScreenHeight() - 297) / 2);
}

TEST_F(MainTest, ScreenButtonRunsItsActionOnlyOnALeftReleaseOverThePicture)
{
    menu.Show();
    const int left = menu.Image7.Left();
    const int top = menu.Image7.Top();
    ui::Point at = Centre(menu.Image7);

    app.MouseDown(ui::MouseButton::Left, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left + 3);
    EXPECT_EQ(menu.Image7.Top(), top + 3);
    EXPECT_FALSE(stats.IsShown()) << "the press alone does nothing";
    app.MouseUp(ui::MouseButton::Left, at.x + 200, at.y);
    EXPECT_EQ(menu.Image7.Left(), left);
    EXPECT_EQ(menu.Image7.Top(), top);
    EXPECT_FALSE(stats.IsShown()) << "released elsewhere";

    app.MouseDown(ui::MouseButton::Right, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left + 3);
    app.MouseUp(ui::MouseButton::Right, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left);
    EXPECT_FALSE(stats.IsShown()) << "released with the right button";

    app.MouseDown(ui::MouseButton::Left, at.x, at.y);
    app.MouseUp(ui::MouseButton::Left, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left);
    EXPECT_EQ(menu.Image7.Top(), top);
    EXPECT_TRUE(stats.IsShown());
    EXPECT_EQ(app.TopForm(), &stats);

    // The caption beside the picture does not react.
    app.KeyDown(Escape);
    at = Centre(menu.Label9);
    app.MouseDown(ui::MouseButton::Left, at.x, at.y);
    app.MouseUp(ui::MouseButton::Left, at.x, at.y);
    EXPECT_FALSE(stats.IsShown());
}

TEST_F(MainTest, EnterAndSpaceOpenTheLoginModallyWhileNobodyIsLoggedIn)
{
    menu.Show();
    for (const int key : {Return, Space})
    {
        bool loginOnTop = false;
        app.PostCall([&] { loginOnTop = app.TopForm() == &login; });
        app.PostKey(Escape);
        app.KeyDown(key);
        EXPECT_TRUE(loginOnTop) << key;
        EXPECT_FALSE(login.IsShown()) << key;
        EXPECT_EQ(menu.Label11.Caption(), "#UNKNOWN") << "a cancelled login changes nothing";
        EXPECT_FALSE(game.IsShown());
        EXPECT_FALSE(app.Terminated()) << "the Esc stayed with the login screen";
    }
}

TEST_F(MainTest, LoginFromTheMenuThenEnterStartsASingleGame)
{
    menu.Show();
    PostType("ANNA");
    app.PostKey(Return);
    PostType("12");
    app.PostKey(Return);
    app.KeyDown(Space);
    EXPECT_EQ(menu.UserName, "ANNA");
    EXPECT_EQ(menu.Label11.Caption(), "#ANNA");
    EXPECT_TRUE(menu.Image1.Visible());
    EXPECT_TRUE(menu.Label1.Visible());

    // A failed attempt afterwards leaves the label as it was.
    PostType("ANNA");
    app.PostKey(Return);
    PostType("99");
    app.PostKey(Return);
    app.PostKey(Escape);
    app.KeyDown(Space);
    EXPECT_EQ(menu.Label11.Caption(), "#ANNA");

    app.KeyDown(Return);
    EXPECT_TRUE(game.IsShown());
    EXPECT_EQ(app.TopForm(), &game);
    EXPECT_FALSE(menu.DeathMatch);
    EXPECT_EQ(game.Label1.Caption(), "ANNA");
    EXPECT_EQ(game.Label2.Caption(), "High Score");
}

TEST_F(MainTest, EscapeEndsTheProgram)
{
    bool stillRunning = false;
    app.PostKey(Escape);
    // Reached only when Esc did not end the loop; it ends it so that the test cannot hang.
    app.PostCall(
        [&]
        {
            stillRunning = true;
            app.Terminate();
        });
    app.Run(menu);
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(stillRunning);
}

TEST_F(MainTest, ExitItemEndsTheProgram)
{
    bool stillRunning = false;
    app.PostCall(
        [&]
        {
            const ui::Point at = Centre(menu.Image5);
            app.MouseDown(ui::MouseButton::Left, at.x, at.y);
            app.MouseUp(ui::MouseButton::Left, at.x, at.y);
        });
    app.PostCall(
        [&]
        {
            stillRunning = true;
            app.Terminate();
        });
    app.Run(menu);
    EXPECT_FALSE(stillRunning);
}

} // namespace
