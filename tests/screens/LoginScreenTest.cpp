// The login screen through its key handler: typing, switching fields, registration and login as
// the player sees them, the accounts' refusals shown, and what reaches the settings file.
#include "screens/LoginScreen.h"

#include "ScreenTestEnv.h"
#include "records/Accounts.h"
#include "screens/MenuScreen.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace
{

using records::HashPassword;
using records::PasswordMatches;
using screentest::TempConfig;
using namespace ui::vk;

class NameUnitTest : public screentest::ScreenTest
{
protected:
    // Opens the screen and submits name and password the way a person types them.
    void LogIn(const std::string& name, const std::string& password)
    {
        login.Hide(); // still open after a refused attempt
        login.Show();
        Type(name);
        app.Devices().KeyDown(Return);
        Type(password);
        app.Devices().KeyDown(Return);
    }

    std::string Stored(const char* section, const std::string& key) const
    {
        return session->Ini.ReadString(section, key, "<missing>");
    }

    // What the menu does when the login screen it opened has closed.
    void BackAtMenu() { menu.ShowLoggedInUser(); }

    TForm1 menu{app, navigator, *session};
    TNameForm login{app, navigator, *session};
};

TEST_F(NameUnitTest, FirstRunRegistersUserOneWithAHashedPassword)
{
    login.Show();
    EXPECT_TRUE(login.NameFieldActive());
    Type("ANNA");
    EXPECT_EQ(login.NameLabel.Caption(), "ANNA");
    app.Devices().KeyDown(Return);
    EXPECT_FALSE(login.NameFieldActive());
    EXPECT_EQ(login.Shape3.Pen().color, ui::clRed);
    EXPECT_EQ(login.Shape1.Pen().color, ui::clBlue);
    Type("12");
    EXPECT_EQ(login.PassLabel.Caption(), "xx");
    EXPECT_EQ(login.TypedPassword(), "12");
    EXPECT_EQ(login.NameLabel.Caption(), "ANNA");
    EXPECT_TRUE(login.IsShown());
    app.Devices().KeyDown(Return);

    EXPECT_FALSE(login.IsShown());
    EXPECT_EQ(session->UserName, "ANNA");
    BackAtMenu();
    EXPECT_TRUE(menu.Image1.Visible());
    EXPECT_TRUE(menu.Label1.Visible());
    EXPECT_EQ(menu.Label11.Caption(), "#ANNA");

    const std::string text = TempConfig::FileText();
    EXPECT_NE(text.find("Usr_Num=1"), std::string::npos) << text;
    EXPECT_EQ(Stored("User_Names", "name1"), "ANNA");
    const std::string pass = Stored("User_Pass", "pass1");
    EXPECT_TRUE(pass.starts_with("$argon2id$")) << pass;
    EXPECT_TRUE(PasswordMatches(pass, "12"));
    EXPECT_FALSE(PasswordMatches(pass, "21"));
    EXPECT_EQ(text.find("=12\n"), std::string::npos) << "the password itself is not stored";
}

TEST_F(NameUnitTest, WrongPasswordShowsTheMessageUntilBackspaceAndTheRightOneLogsIn)
{
    session->Ini.WriteInteger("Main", "Usr_Num", 1);
    session->Ini.WriteString("User_Names", "name1", "ANNA");
    session->Ini.WriteString("User_Pass", "pass1", HashPassword("12"));
    const std::string before = TempConfig::FileText();

    LogIn("ANNA", "13");
    EXPECT_TRUE(login.IsShown());
    EXPECT_TRUE(login.Label1.Visible());
    EXPECT_EQ(login.Label1.Caption(), "Incorrect Password!!!");
    EXPECT_EQ(session->UserName, "");
    EXPECT_FALSE(menu.Image1.Visible());
    EXPECT_EQ(login.NameLabel.Caption(), "ANNA") << "the fields stay as they are";
    EXPECT_EQ(login.PassLabel.Caption(), "xx");

    app.Devices().KeyDown(Back);
    EXPECT_FALSE(login.Label1.Visible());
    EXPECT_EQ(login.PassLabel.Caption(), "x");
    Type("2");
    app.Devices().KeyDown(Return);
    EXPECT_FALSE(login.IsShown());
    EXPECT_EQ(session->UserName, "ANNA");
    BackAtMenu();
    EXPECT_EQ(menu.Label11.Caption(), "#ANNA");
    EXPECT_EQ(TempConfig::FileText(), before) << "a login writes nothing";
}

TEST_F(NameUnitTest, EscAfterAFailedAttemptKeepsTheUserAndTheNextOpeningHidesTheMessage)
{
    session->Ini.WriteInteger("Main", "Usr_Num", 1);
    session->Ini.WriteString("User_Names", "name1", "ANNA");
    session->Ini.WriteString("User_Pass", "pass1", "12");
    const std::string before = TempConfig::FileText();

    LogIn("ANNA", "99");
    ASSERT_TRUE(login.Label1.Visible());
    app.Devices().KeyDown(Escape);
    EXPECT_FALSE(login.IsShown());
    EXPECT_EQ(session->UserName, "");
    BackAtMenu();
    EXPECT_EQ(menu.Label11.Caption(), "#UNKNOWN");
    EXPECT_FALSE(menu.Image1.Visible());
    EXPECT_EQ(TempConfig::FileText(), before) << "a failed attempt upgrades nothing";

    login.Show();
    EXPECT_FALSE(login.Label1.Visible());
    EXPECT_EQ(login.NameLabel.Caption(), "");
    EXPECT_EQ(login.PassLabel.Caption(), "");
    EXPECT_TRUE(login.NameFieldActive());
    EXPECT_EQ(login.Shape1.Pen().color, ui::clRed);
    EXPECT_EQ(login.Shape3.Pen().color, ui::clBlue);
}

// The accounts' refusals other than a wrong password keep the screen open with their message.
TEST_F(NameUnitTest, TheReservedNameAndAFullUserListShowTheirMessages)
{
    LogIn("UNKNOWN", "1");
    EXPECT_TRUE(login.IsShown());
    EXPECT_EQ(login.Label1.Caption(), "This name is reserved");
    EXPECT_TRUE(login.Label1.Visible());

    session->Ini.WriteString("User_Pass", "pass2147483647", "1");
    LogIn("CARL", "1");
    EXPECT_TRUE(login.IsShown());
    EXPECT_EQ(login.Label1.Caption(), "No more users can be registered");
    EXPECT_EQ(session->UserName, "");
}

TEST_F(NameUnitTest, EmptyNameClosesWithoutTouchingFileOrUser)
{
    LogIn("", "12");
    EXPECT_FALSE(login.IsShown());
    EXPECT_FALSE(TempConfig::FileExists());
    EXPECT_EQ(session->UserName, "");
    BackAtMenu();
    EXPECT_FALSE(menu.Image1.Visible());
    EXPECT_EQ(menu.Label11.Caption(), "#UNKNOWN");

    login.Show();
    Type("ANNA");
    app.Devices().KeyDown(Escape);
    EXPECT_FALSE(login.IsShown());
    EXPECT_FALSE(TempConfig::FileExists());
    EXPECT_EQ(session->UserName, "");

    LogIn("   ", "12");
    EXPECT_FALSE(login.IsShown()) << "a name of spaces alone is no name";
    EXPECT_FALSE(TempConfig::FileExists());
}

TEST_F(NameUnitTest, KeysEditOnlyTheActiveFieldAndOthersDoNothing)
{
    login.Show();
    Type("AB");
    app.Devices().KeyDown(Space);
    Type("9");
    app.Devices().KeyDown(ui::vk::Numpad0);
    app.Devices().KeyDown(Oem3);
    app.Devices().KeyDown(Left);
    EXPECT_EQ(login.TypedName(), "AB 9");
    app.Devices().KeyDown(Back);
    app.Devices().KeyDown(Back);
    EXPECT_EQ(login.NameLabel.Caption(), "AB");

    app.Devices().KeyDown(Down);
    EXPECT_FALSE(login.NameFieldActive());
    Type("Z");
    app.Devices().KeyDown(Space);
    EXPECT_EQ(login.TypedPassword(), "Z ");
    EXPECT_EQ(login.PassLabel.Caption(), "xx");
    EXPECT_EQ(login.TypedName(), "AB");

    app.Devices().KeyDown(Up);
    EXPECT_TRUE(login.NameFieldActive());
    app.Devices().KeyDown(Back);
    app.Devices().KeyDown(Back);
    app.Devices().KeyDown(Back);
    EXPECT_EQ(login.TypedName(), "") << "Backspace on an empty name does nothing";
    EXPECT_EQ(login.TypedPassword(), "Z ");
    EXPECT_TRUE(login.IsShown());
}

TEST_F(NameUnitTest, EachBoxTakesAtMost1023CharactersAndTheNameIsFoundAgain)
{
    const std::string longName(1030, 'N');
    LogIn(longName, std::string(1030, '7'));
    EXPECT_EQ(session->UserName, std::string(1023, 'N'));
    const std::string stored = Stored("User_Names", "name1");
    EXPECT_EQ(stored.size(), 1023u);
    EXPECT_TRUE(PasswordMatches(Stored("User_Pass", "pass1"), std::string(1023, '7')));

    session->UserName.clear();
    LogIn(longName, std::string(1023, '7'));
    EXPECT_EQ(session->UserName, std::string(1023, 'N'));
    EXPECT_EQ(Stored("Main", "Usr_Num"), "1");
    EXPECT_EQ(login.PassLabel.Caption().size(), 1023u);
}

// However long the text, the active box shows its last letters and a caret after them; the
// other box shows none.
TEST_F(NameUnitTest, TheActiveBoxShowsTheEndOfItsTextAndACaretAtEveryScale)
{
    // Whether the box's last ink is a caret (a bar in the text's white, taller than a capital)
    // as wanted, and the letter's ink stands last before it.
    const auto endsWith = [&](const ui::Label& box, const char* letter, bool caret, double scale)
    {
        app.Render();
        const ui::Point o = box.ToForm({0, 0});
        ui::Rect r = app.Display().ToPhysical(ui::Bounds(o.x, o.y, box.Width(), box.Height()));
        const int last = screentest::InkBox(app.Display().Screen(), r).right - 1;
        int white = 0;
        for (int y = r.top; y < r.bottom; ++y)
            white += app.Display().Screen().Pixel(last, y) == ui::clWhite;
        if (caret != (white >= 0.7 * ui::LineHeight(box.Font()) * scale))
            return false;
        r.right = caret ? last + 1 - static_cast<int>(std::ceil(scale)) : r.right;
        return *letter == 0 ||
               screentest::EndsWithGlyph(app.Display().Screen(), r, letter, box.Font(), scale);
    };
    app.Display().ResizeScreen(2800, 2100);
    for (const double scale : {1.0, 1.75, 3.5})
    {
        SCOPED_TRACE(scale);
        app.Display().SetScale(scale);
        login.Hide();
        login.Show();
        Type(std::string(30, 'N') + "HW");
        EXPECT_TRUE(endsWith(login.NameLabel, "W", true, scale));
        app.Devices().KeyDown(Back);
        EXPECT_TRUE(endsWith(login.NameLabel, "H", true, scale));
        app.Devices().KeyDown(Down);
        EXPECT_TRUE(endsWith(login.NameLabel, "H", false, scale));
        EXPECT_TRUE(endsWith(login.PassLabel, "", true, scale));
    }
}

TEST_F(NameUnitTest, ContinueButtonSubmitsAndTheBoxesShowTheirOutlines)
{
    login.Show();
    app.Render();
    const ui::Bitmap& screen = app.Display().Screen();
    const int x0 = login.Panel1.Left();
    const int y0 = login.Panel1.Top();
    EXPECT_EQ(screen.Pixel(x0 + 40, y0 + 60), ui::clRed) << "name box outline";
    EXPECT_EQ(screen.Pixel(x0 + 40, y0 + 150), ui::clBlue) << "password box outline";
    EXPECT_EQ(screen.Pixel(x0 + 100, y0 + 80), ui::clRed);
    Type("ANNA");
    app.Devices().KeyDown(Down);
    app.Render();
    EXPECT_EQ(screen.Pixel(x0 + 40, y0 + 60), ui::clBlue);
    EXPECT_EQ(screen.Pixel(x0 + 40, y0 + 150), ui::clRed);

    const int bx = x0 + login.Image1.Left() + 10;
    const int by = y0 + login.Image1.Top() + 10;
    app.Devices().MouseDown(ui::MouseButton::Left, bx, by);
    EXPECT_EQ(login.Image1.Left(), 43);
    app.Devices().MouseUp(ui::MouseButton::Left, bx, by);
    EXPECT_EQ(login.Image1.Left(), 40);
    EXPECT_FALSE(login.IsShown());
    EXPECT_EQ(session->UserName, "ANNA");
}

} // namespace
