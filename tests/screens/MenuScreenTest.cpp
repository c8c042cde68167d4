// The main menu: start-up without a settings file, the screen-button pattern, and its keys.
#include "screens/MenuScreen.h"

#include "GameScreenFixture.h"
#include "ScreenTestEnv.h"
#include "engine/Scenario.h"
#include "platform/Paths.h"
#include "records/Accounts.h"
#include "screens/ControlsScreen.h"
#include "screens/GameScreen.h"
#include "screens/LoginScreen.h"
#include "screens/SkillScreen.h"
#include "screens/StatisticsScreen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using screentest::TempConfig;
using namespace ui::vk;

// The controls of a tree that answer a click and are showing.
void Clickable(ui::Control& c, std::vector<ui::Control*>& out)
{
    if (c.OnClick && c.Showing())
        out.push_back(&c);
    for (ui::Control* child : c.Children())
        Clickable(*child, out);
}

void ForEachLabel(ui::Control& c, const std::function<void(ui::Label&)>& visit)
{
    if (auto* label = dynamic_cast<ui::Label*>(&c))
        visit(*label);
    for (ui::Control* child : c.Children())
        ForEachLabel(*child, visit);
}

// Lengths of the runs of pixels that are not black along a line of the screen.
std::vector<int> Runs(const ui::Bitmap& b, ui::Point p, ui::Point step, int count)
{
    std::vector<int> runs{0};
    for (int i = 0; i < count; ++i, p = {p.x + step.x, p.y + step.y})
    {
        if (b.Pixel(p.x, p.y) != ui::clBlack)
            ++runs.back();
        else if (runs.back() > 0)
            runs.push_back(0);
    }
    if (runs.back() == 0)
        runs.pop_back();
    return runs;
}

class MainTest : public screentest::ScreenTest
{
protected:
    MainTest() { navigator.Join(game, login, keys, skill, stats); }

    ui::Point Centre(const ui::Control& image) const
    {
        return image.ToForm({image.Width() / 2, image.Height() / 2});
    }

    TForm1 menu{app, navigator, *session};
    TGameForm game{app, navigator, *session};
    TNameForm login{app, navigator, *session};
    TKeyForm keys{app, navigator, *session};
    TSkillForm skill{app, navigator, *session};
    TForm2 stats{app, navigator, *session};
};

TEST_F(MainTest, StartsWithoutASettingsFileAsNobody)
{
    EXPECT_EQ(menu.Label11.Caption(), "#UNKNOWN");
    EXPECT_FALSE(menu.Image1.Visible());
    EXPECT_FALSE(menu.Label1.Visible());
    EXPECT_TRUE(menu.Image3.Visible());
    EXPECT_EQ(session->UserName, "");
    EXPECT_EQ(session->Bindings[0][engine::kLeft], Left);
    EXPECT_EQ(session->Bindings[2][engine::kRight], Right);
    EXPECT_FALSE(TempConfig::FileExists()) << "start-up writes nothing";
    EXPECT_EQ(menu.Panel1.Left(), (app.ScreenWidth() - 545) / 2);
    EXPECT_EQ(menu.Panel1.Top(), (app.ScreenHeight() - 297) / 2);
}

TEST_F(MainTest, WithoutTheProgramFolderTheGameSaysSoRatherThanUseTheCurrentOne)
{
    platform::SetProgramDirectory("");
    EXPECT_THAT([&] { Session{audio}; }, testing::ThrowsMessage<std::runtime_error>(testing::StrEq(
                                             "Unable to find the folder of the game's files")));
}

TEST_F(MainTest, ScreenButtonRunsItsActionOnlyOnALeftReleaseOverThePicture)
{
    menu.Show();
    const int left = menu.Image7.Left();
    const int top = menu.Image7.Top();
    ui::Point at = Centre(menu.Image7);

    app.Devices().MouseDown(ui::MouseButton::Left, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left + 3);
    EXPECT_EQ(menu.Image7.Top(), top + 3);
    EXPECT_FALSE(stats.IsShown()) << "the press alone does nothing";
    app.Devices().MouseUp(ui::MouseButton::Left, at.x + 200, at.y);
    EXPECT_EQ(menu.Image7.Left(), left);
    EXPECT_EQ(menu.Image7.Top(), top);
    EXPECT_FALSE(stats.IsShown()) << "released elsewhere";

    app.Devices().MouseDown(ui::MouseButton::Right, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left + 3);
    app.Devices().MouseUp(ui::MouseButton::Right, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left);
    EXPECT_FALSE(stats.IsShown()) << "released with the right button";

    app.Devices().MouseDown(ui::MouseButton::Left, at.x, at.y);
    app.Devices().MouseUp(ui::MouseButton::Left, at.x, at.y);
    EXPECT_EQ(menu.Image7.Left(), left);
    EXPECT_EQ(menu.Image7.Top(), top);
    EXPECT_TRUE(stats.IsShown());
    EXPECT_EQ(app.TopForm(), &stats);

    // The caption beside the picture does not react.
    app.Devices().KeyDown(Escape);
    at = Centre(menu.Label9);
    app.Devices().MouseDown(ui::MouseButton::Left, at.x, at.y);
    app.Devices().MouseUp(ui::MouseButton::Left, at.x, at.y);
    EXPECT_FALSE(stats.IsShown());
}

TEST_F(MainTest, EveryButtonOfEveryScreenAnswersTheMouseAtAFractionalScale)
{
    app.Display().SetScale(0);
    app.Display().ResizeScreen(1920, 1080);
    int buttons = 0;
    for (ui::Form* form : std::array<ui::Form*, 6>{&menu, &game, &login, &keys, &skill, &stats})
    {
        app.PushForm(*form);
        std::vector<ui::Control*> clickable;
        Clickable(*form, clickable);
        for (ui::Control* c : clickable)
        {
            const ui::Control* clicked = nullptr;
            c->OnClick = [&clicked](ui::Control& sender)
            {
                clicked = &sender;
            };
            // Aimed at the middle of the picture as the screen shows it.
            const ui::Point origin = c->ToForm({0, 0});
            const ui::Rect shown =
                app.Display().ToPhysical(ui::Bounds(origin.x, origin.y, c->Width(), c->Height()));
            const ui::Point at = app.Display().ToLogical(
                {(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2});
            app.Devices().MouseDown(ui::MouseButton::Left, at.x, at.y);
            app.Devices().MouseUp(ui::MouseButton::Left, at.x, at.y);
            EXPECT_EQ(clicked, c) << "button " << buttons;
            ++buttons;
        }
        app.RemoveForm(*form);
    }
    EXPECT_GE(buttons, 20);
}

// A wrapped caption needing a line more than its box holds stands beside the wrong value
// ("probability: 120" for a timer interval) or loses its last line.
TEST_F(MainTest, EveryWrappedLabelOfEveryScreenKeepsToItsLinesAtEveryScale)
{
    app.Display().ResizeScreen(2800, 2100);
    for (const double scale : {1.0, 1.5, 1.75, 2.0, 3.5})
    {
        app.Display().SetScale(scale);
        int wrapped = 0;
        for (ui::Form* form : std::array<ui::Form*, 6>{&menu, &game, &login, &keys, &skill, &stats})
        {
            app.PushForm(*form);
            app.Render();
            ForEachLabel(*form,
                         [&](ui::Label& l)
                         {
                             EXPECT_TRUE(!l.WordWrap() ||
                                         (++wrapped, std::ssize(l.Lines()) <= l.LinesHeld()))
                                 << l.Caption() << " at " << scale << ": " << l.Lines()[0];
                         });
            app.RemoveForm(*form);
        }
        EXPECT_EQ(wrapped, 11) << "two titles and the settings' nine blocks";
    }
}

// A name of up to 1023 characters is cut where its box ends: outside the box every pixel is as
// with a short name (title, grid lines, neighbouring cells), and inside it the name shows from
// its first character (the menu's "#") to an ellipsis near the box's far edge, drawn whole.
TEST_F(MainTest, ALongNameIsCutAtItsBoxAndLeavesEverythingAroundItAlone)
{
    const std::pair<ui::Form*, ui::Label*> shown[] = {
        {&menu, &menu.Label11}, {&game, &game.Label1}, {&stats, &stats.NL1}};
    const auto frame = [&](const std::string& name, ui::Form& form)
    {
        session->UserName = name;
        session->Ini.WriteString("HiNames", "name31", name);
        menu.ShowLoggedInUser();
        game.ShowSingleGame();
        game.Hide();
        stats.Show();
        stats.Hide();
        app.PushForm(form);
        app.Render();
        app.RemoveForm(form);
        return app.Display().Screen();
    };
    app.Display().ResizeScreen(1920, 1080);
    for (const double scale : {1.0, 1.75})
        for (const auto& [form, label] : shown)
        {
            app.Display().SetScale(scale);
            const ui::Bitmap before = frame("ANNA", *form);
            const ui::Bitmap after = frame(std::string(70, 'M'), *form);
            const ui::Point o = label->ToForm({0, 0});
            const ui::Rect box =
                app.Display().ToPhysical(ui::Bounds(o.x, o.y, label->Width(), label->Height()));
            const int tenth = box.Width() / 10;
            int changed = 0;
            int first = 0; // pixels of the name in the first and the last tenth of its box
            int last = 0;
            for (int y = 0; y < after.Height(); ++y)
                for (int x = 0; x < after.Width(); ++x)
                {
                    const bool ink = after.Pixel(x, y) != ui::clBlack;
                    if (!box.Contains({x, y}))
                        changed += after.Pixel(x, y) != before.Pixel(x, y);
                    first += ink && box.Contains({x, y}) && x < box.left + tenth;
                    last += ink && box.Contains({x, y}) && x >= box.right - tenth;
                }
            EXPECT_EQ(changed, 0) << label->Caption().substr(0, 4) << " at " << scale;
            EXPECT_TRUE(first > 0 && last > 0) << label->Caption().substr(0, 4) << " at " << scale;
            EXPECT_TRUE(screentest::EndsWithGlyph(after, box, "\u2026", label->Font(), scale))
                << label->Caption().substr(0, 4) << " at " << scale;
        }
    // The statistics' message of a row without a replay ends as its sentence does.
    stats.Show();
    app.Devices().KeyDown(Down);
    app.Devices().KeyDown(Return);
    app.Render();
    const ui::Label& message = stats.ReplayMessage;
    const ui::Point o = message.ToForm({0, 0});
    EXPECT_TRUE(screentest::EndsWithGlyph(
        app.Display().Screen(),
        app.Display().ToPhysical(ui::Bounds(o.x, o.y, message.Width(), message.Height())), "l",
        message.Font(), 1.75));
}

TEST_F(MainTest, TheBoardsCellsAreScaledSquaresBetweenUnbrokenGridLines)
{
    app.Display().ResizeScreen(1600, 1200);
    app.PushForm(game);
    for (const double scale : {2.0, 1.75})
    {
        SCOPED_TRACE(scale);
        app.Display().SetScale(scale);
        game.PaintBox1.DrawCell(game.WormPictures[0], 3, 1);
        app.Render();
        const ui::Point o = game.PaintBox1.ToForm({0, 0});
        const ui::Rect board = app.Display().ToPhysical(ui::Bounds(o.x, o.y, 436, 436));
        const ui::Bitmap& screen = app.Display().Screen();
        for (int k = 0; k <= 29; ++k)
        {
            const int line = ui::PhysicalFromLogical(o.x + 15 * k, scale);
            EXPECT_EQ(Runs(screen, {line, board.top}, {0, 1}, board.Height()).size(), 0u)
                << "grid line " << k << " unbroken";
        }
        // Across the first row of cells, through the worm's bead, and down the first column.
        const int middle = ui::PhysicalFromLogical(o.y + 8, scale);
        for (const auto& runs : {Runs(screen, {board.left, middle}, {1, 0}, board.Width()),
                                 Runs(screen, {ui::PhysicalFromLogical(o.x + 8, scale), board.top},
                                      {0, 1}, board.Height())})
        {
            ASSERT_EQ(runs.size(), 29u);
            // Whole scales: equal squares; fractional ones: a pixel's difference at most.
            for (const int run : runs)
            {
                EXPECT_GE(run, std::floor(14 * scale));
                EXPECT_LE(run, std::ceil(14 * scale));
            }
        }
    }
}

TEST_F(MainTest, EnterAndSpaceOpenTheLoginModallyWhileNobodyIsLoggedIn)
{
    menu.Show();
    for (const int key : {Return, Space})
    {
        bool loginOnTop = false;
        app.PostCall([&] { loginOnTop = app.TopForm() == &login; });
        testsupport::PostKey(app, Escape);
        app.Devices().KeyDown(key);
        EXPECT_TRUE(loginOnTop) << key;
        EXPECT_FALSE(login.IsShown()) << key;
        EXPECT_EQ(menu.Label11.Caption(), "#UNKNOWN") << "a cancelled login changes nothing";
        EXPECT_FALSE(game.IsShown());
        EXPECT_FALSE(app.Terminated()) << "the Esc stayed with the login screen";
    }
}

// The focus appears only when a key moves it; then it wraps, skips the hidden New Game, follows
// the mouse, and Enter activates its item as a click would.
TEST_F(MainTest, KeysMoveAFocusThatWrapsFollowsTheMouseAndEnterActivates)
{
    menu.Show();
    const int settingsTop = menu.Image6.Top();
    const ui::Point statistics = Centre(menu.Label9);
    app.Devices().MouseMove(statistics.x, statistics.y);
    EXPECT_FALSE(menu.ItemFocus().Shown()) << "the mouse alone shows no focus";
    EXPECT_EQ(menu.Label9.Font().color, ui::clWhite);

    app.Devices().KeyDown(Down);
    EXPECT_EQ(menu.Label6.Font().color, ui::clYellow) << "New Game is hidden until a login";
    Press(SDLK_TAB, KMOD_NUM | KMOD_SHIFT);
    EXPECT_EQ(menu.Label12.Font().color, ui::clYellow)
        << "back from the first wraps to the last, Network Match beside the list";
    EXPECT_EQ(menu.Label6.Font().color, ui::clWhite);
    Press(SDLK_TAB, KMOD_NUM | KMOD_SHIFT);
    EXPECT_EQ(menu.Label3.Font().color, ui::clYellow) << "then Exit";
    Press(SDLK_TAB);
    Press(SDLK_TAB);
    app.Devices().KeyDown(Down);
    EXPECT_EQ(menu.Label8.Font().color, ui::clYellow);
    EXPECT_EQ(menu.Image6.Top(), settingsTop + 3) << "the focused item's ball is held down";

    app.Devices().MouseMove(statistics.x, statistics.y);
    EXPECT_EQ(menu.Label9.Font().color, ui::clYellow);
    EXPECT_EQ(menu.Label8.Font().color, ui::clWhite);
    EXPECT_EQ(menu.Image6.Top(), settingsTop);
    EXPECT_TRUE(played.empty());
    // Closes the login should Enter open it modally instead.
    testsupport::PostKey(app, Escape);
    app.Devices().KeyDown(Return);
    EXPECT_EQ(app.TopForm(), &stats) << "Enter opens the focused item, not the login";
    EXPECT_EQ(played, screentest::Sounds{&session->Pop});
}

TEST_F(MainTest, LoginFromTheMenuThenEnterStartsASingleGame)
{
    menu.Show();
    LoginFromMenu("ANNA", "12");
    EXPECT_EQ(session->UserName, "ANNA");
    EXPECT_EQ(menu.Label11.Caption(), "#ANNA");
    EXPECT_TRUE(menu.Image1.Visible());
    EXPECT_TRUE(menu.Label1.Visible());

    // A failed attempt afterwards leaves the label as it was.
    PostType("ANNA");
    testsupport::PostKey(app, Return);
    PostType("99");
    testsupport::PostKey(app, Return);
    testsupport::PostKey(app, Escape);
    app.Devices().KeyDown(Space);
    EXPECT_EQ(menu.Label11.Caption(), "#ANNA");

    app.Devices().KeyDown(Return);
    EXPECT_TRUE(game.IsShown());
    EXPECT_EQ(app.TopForm(), &game);
    EXPECT_EQ(game.Play().Mode(), engine::Mode::Single);
    EXPECT_EQ(game.Label1.Caption(), "ANNA");
    EXPECT_EQ(game.Label2.Caption(), "High Score");
}

TEST_F(MainTest, SettingsClosedFromTheMenuSetTheGamesTick)
{
    menu.Show();
    menu.Image6Click();
    skill.ELabelClick();
    app.Devices().KeyDown(Escape);
    EXPECT_EQ(app.TopForm(), &menu);
    // The next game reads the skill as it starts.
    game.Play().NewGame();
    game.ApplyEvents();
    EXPECT_EQ(game.Timer1.Interval(), 80);
}

TEST_F(MainTest, EscapeEndsTheProgram)
{
    bool stillRunning = false;
    testsupport::PostKey(app, Escape);
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
    EXPECT_TRUE(played.empty()) << "Esc ends the program without a click";
}

TEST_F(MainTest, ExitItemEndsTheProgram)
{
    bool stillRunning = false;
    app.PostCall(
        [&]
        {
            const ui::Point at = Centre(menu.Image5);
            app.Devices().MouseDown(ui::MouseButton::Left, at.x, at.y);
            app.Devices().MouseUp(ui::MouseButton::Left, at.x, at.y);
        });
    app.PostCall(
        [&]
        {
            stillRunning = true;
            app.Terminate();
        });
    app.Run(menu);
    EXPECT_FALSE(stillRunning);
    EXPECT_EQ(played, screentest::Sounds{&session->Pop});
}

} // namespace

// The whole settings file after a first session: a registration, a game at Professional, Expert
// chosen, player 2's Up set to W. Section and key names, their letter case and their order are
// what other programs and older files meet, so the text is compared byte for byte. The password
// hash is salted afresh each time: it is checked against the password and then masked.
TEST_F(MainTest, AFirstSessionLeavesTheSettingsFileExactlyAsExpected)
{
    menu.Show();
    LoginFromMenu("ANNA", "12");
    ASSERT_EQ(session->UserName, "ANNA");

    app.Devices().KeyDown(Return);
    ASSERT_TRUE(game.IsShown());
    game.Timer1.SetEnabled(false);
    game.Play().NewGame();
    game.ApplyEvents();
    game.Play().Setup().Scores(7).Kill();
    game.ApplyEvents();
    gametest::StepToTheWait(game);
    app.Devices().KeyDown(Escape);
    ASSERT_EQ(app.TopForm(), &menu);

    menu.Image6Click();
    skill.ELabelClick();
    app.Devices().KeyDown(Escape);
    menu.Image4Click();
    keys.ShapeU2MouseDown();
    app.Devices().KeyDown('W');
    keys.Image13Click();
    ASSERT_EQ(app.TopForm(), &menu);

    std::string text = TempConfig::FileText();
    const std::size_t hashAt = text.find("pass1=") + 6;
    const std::string hash = text.substr(hashAt, text.find('\n', hashAt) - hashAt);
    EXPECT_TRUE(records::IsPasswordHash(hash) && records::PasswordMatches(hash, "12")) << text;
    text.replace(hashAt, hash.size(), "<hash of 12>");

    // [Main] came first with the registration, so the skill goes there though the skill screen
    // names it "MAin"; the level's seven slots follow the game, free ones empty and zero.
    const std::string expected = R"([Main]
Usr_Num=1
Skill=4
[User_Names]
name1=ANNA
[User_Pass]
pass1=<hash of 12>
[HiNames]
name31=ANNA
name32=
name33=
name34=
name35=
name36=
name37=
[HiScores]
score31=7
score32=0
score33=0
score34=0
score35=0
score36=0
score37=0
[HiGames]
games31=1
games32=0
games33=0
games34=0
games35=0
games36=0
games37=0
[HiEaten]
eaten31=7
eaten32=0
eaten33=0
eaten34=0
eaten35=0
eaten36=0
eaten37=0
[HiAverage]
average31=7,00
average32=0,00
average33=0,00
average34=0,00
average35=0,00
average36=0,00
average37=0,00
[Custom]
prob=6
timer=100
worms=4
[Keys]
LeftKey=37
RightKey=39
UpKey=38
DownKey=40
LeftKey1=37
RightKey1=39
UpKey1=38
DownKey1=40
LeftKey2=37
RightKey2=39
UpKey2=87
DownKey2=40
)";
    EXPECT_EQ(text, expected);
}
