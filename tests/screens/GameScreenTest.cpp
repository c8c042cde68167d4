// The game screen as the player sees it: pixels of the board, grid, target and
// gradients, the scoreboard's texts on any locale, what hiding, Pause, growth and a full board
// do, and a real game run by the timers.
#include "GameScreenFixture.h"
#include "engine/Scenario.h"

#include "assets/Assets.h"
#include "settings/IniFile.h"
#include "support/FileSizeLimit.h"

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <locale.h>
#include <locale>
#include <set>

namespace
{

using engine::Cell;
using gametest::GameFixture;
using gametest::GameTest;

constexpr ui::Color kMagenta{255, 0, 255};
// Where the drawing surface lies on the 1024 x 768 headless screen: Panel1 centred at
// (191, 95), Panel2 at (88, 64) in it, the paint box at (8, 16) in that.
constexpr int kBoardLeft = 191 + 88 + 8;
constexpr int kBoardTop = 95 + 64 + 16;

ui::Point CellOnScreen(int x, int y)
{
    return {kBoardLeft + 15 * x - 14, kBoardTop + 15 * y - 14};
}

class GameScreenTest : public GameTest
{
protected:
    // Shows the screen without its start wait running, so that the test drives every step.
    void ShowStill()
    {
        game->Show();
        game->Timer1.SetEnabled(false);
    }
    ui::Color ScreenPixel(int x, int y)
    {
        app.Render();
        return app.Screen().Pixel(x, y);
    }
};

TEST_F(GameScreenTest, SingleGameSetupFromTheMenuNamesThePlayersAndHidesThePointer)
{
    session->UserName = "ANNA";
    form1->StartNewGame();
    EXPECT_TRUE(game->IsShown());
    EXPECT_FALSE(app.CursorVisible());
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Waiting);
    EXPECT_TRUE(game->Timer1.Enabled());
    EXPECT_EQ(game->Timer1.Interval(), 200);
    EXPECT_EQ(game->Label1.Caption(), "ANNA");
    EXPECT_EQ(game->Label2.Caption(), "High Score");
    EXPECT_EQ(game->Label2.Left(), 511);
    EXPECT_FALSE(game->Label3.Visible());
    EXPECT_FALSE(game->Image3.Visible());

    EXPECT_TRUE(game->Target.Active());
    EXPECT_FALSE(game->Target.Visible());
    EXPECT_EQ(game->Target.TransparentColor(), ui::clGreen);
    EXPECT_EQ(game->Target.Interval(), 100);
    EXPECT_EQ(game->Timer1.Priority(), widgets::TThreadPriority::tpHigher);

    app.KeyDown(ui::vk::Escape);
    EXPECT_FALSE(game->IsShown());
    EXPECT_TRUE(app.CursorVisible());
    EXPECT_FALSE(game->Timer1.Enabled());
}

TEST_F(GameScreenTest, CellsAreFourteenPixelSquaresAndTheGridBetweenThemIsNeverPainted)
{
    // Paint the whole surface first: the reset must cover exactly the 841 squares.
    ui::Canvas(game->PaintBox1.Canvas()).FillRect({0, 0, 436, 436}, kMagenta);
    session->Skill.worms = 8;
    engine::RandomGenerator seeded(5);
    game->Play().Setup().UseRandom(&seeded);
    game->Play().NewGame();
    game->ApplyEvents();
    for (int i = 0; i < 60; ++i)
        Tick();
    const ui::Bitmap& surface = game->PaintBox1.Surface();
    for (int i = 0; i < 436; ++i)
        for (int k = 0; k <= 29; ++k)
        {
            ASSERT_EQ(surface.Pixel(15 * k, i), kMagenta) << "column " << 15 * k << " row " << i;
            ASSERT_EQ(surface.Pixel(i, 15 * k), kMagenta) << "row " << 15 * k << " column " << i;
        }
    // The player's square: all 14 x 14 pixels, from (15x - 14, 15y - 14).
    for (int dy = 0; dy < 14; ++dy)
        for (int dx = 0; dx < 14; ++dx)
            ASSERT_EQ(CellPixel(15, 15, dx, dy), gametest::kPlayerColour);

    ShowStill();
    const ui::Point p = CellOnScreen(15, 15);
    EXPECT_EQ(ScreenPixel(p.x, p.y), gametest::kPlayerColour);
    EXPECT_EQ(ScreenPixel(p.x + 13, p.y + 13), gametest::kPlayerColour);
    if (assets::Find("grid.bmp").empty())
        GTEST_SKIP() << "grid picture not generated";
    // Over the board the grid picture shows its black lines and lets the squares through.
    EXPECT_EQ(ScreenPixel(p.x - 1, p.y + 5), ui::clBlack);
    EXPECT_EQ(ScreenPixel(p.x + 14, p.y + 5), ui::clBlack);
    EXPECT_EQ(ScreenPixel(kBoardLeft + 435, kBoardTop + 435), ui::clBlack);
    const ui::Point empty = CellOnScreen(1, 29);
    EXPECT_EQ(ScreenPixel(empty.x + 6, empty.y + 6), ui::clGreen);
}

TEST_F(GameScreenTest, TargetSitsOnItsCellAndShowsTheBoardThroughItsGreen)
{
    if (assets::Find("target_yellow.bmp").empty())
        GTEST_SKIP() << "target strip not generated";
    StartGame(0);
    ShowStill();
    game->PaintBox1.DrawCell(gametest::Solid(kMagenta), 1, 1);
    game->Play().Setup().Code({29, 29}, engine::kEmpty);
    script.Push(0);
    script.Push(0);
    game->Play().Setup().NewTarget();
    game->ApplyEvents();
    ASSERT_EQ(game->Target.Left(), 9);
    ASSERT_EQ(game->Target.Top(), 17);
    ASSERT_EQ(game->Target.Width(), 13);

    const auto frame = [&]
    {
        app.Render();
        std::vector<ui::Color> pixels;
        const ui::Point p = CellOnScreen(1, 1);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                pixels.push_back(app.Screen().Pixel(p.x + x, p.y + y));
        return pixels;
    };
    const std::vector<ui::Color> first = frame();
    int beneath = 0;
    for (const ui::Color c : first)
    {
        EXPECT_NE(c, ui::clGreen) << "the strip's green is never drawn";
        beneath += c == kMagenta ? 1 : 0;
    }
    EXPECT_GT(beneath, 0) << "the painted cell shows around the ball";
    EXPECT_LT(beneath, 169) << "the ball itself is drawn";

    game->Target.Timer().DoTimer();
    EXPECT_NE(frame(), first) << "the next frame of the strip";

    // Moved away, the target leaves the board as it was painted.
    game->Play().Setup().Code({1, 1}, engine::kEmpty);
    script.Push(4);
    script.Push(4);
    game->Play().Setup().NewTarget();
    game->ApplyEvents();
    for (const ui::Color c : frame())
        EXPECT_EQ(c, kMagenta);
}

TEST_F(GameScreenTest, PaintedBoardIsKeptAndNeverRedrawnFromTheCodes)
{
    StartGame(0);
    Key(ui::vk::Right);
    for (int i = 0; i < 5; ++i)
        Tick();
    ShowStill();
    const ui::Point head = CellOnScreen(20, 15);
    const ui::Point body = CellOnScreen(17, 15);
    EXPECT_EQ(ScreenPixel(head.x + 3, head.y + 3), gametest::kPlayerColour);
    game->Play().Setup().ResetBoard();
    app.InvalidateAll();
    EXPECT_EQ(ScreenPixel(body.x + 3, body.y + 3), gametest::kPlayerColour);
    game->Hide();
    game->Show();
    game->Timer1.SetEnabled(false);
    EXPECT_EQ(ScreenPixel(head.x + 3, head.y + 3), gametest::kPlayerColour);
}

TEST_F(GameScreenTest, GradientPanelsFadeFromBlackToTheBoardGreenAndBack)
{
    ShowStill();
    std::vector<int> left;
    std::vector<int> right;
    for (int x = 0; x < 80; ++x)
    {
        left.push_back(ScreenPixel(191 + 8 + x, 95 + 64 + 200).g);
        right.push_back(ScreenPixel(191 + 544 + x, 95 + 64 + 200).g);
    }
    EXPECT_EQ(std::vector<int>(left.begin(), left.begin() + 8),
              (std::vector<int>{1, 2, 4, 6, 7, 9, 10, 12}));
    EXPECT_EQ(std::vector<int>(left.end() - 3, left.end()), (std::vector<int>{124, 126, 127}));
    EXPECT_EQ(std::vector<int>(right.rbegin(), right.rend()), left);
}

TEST_F(GameScreenTest, ScoreShowsAtLeastThreeDigits)
{
    for (const auto& [score, text] :
         std::vector<std::pair<int, std::string>>{{0, "000"}, {7, "007"}, {120, "120"}})
    {
        game->Play().Setup().Scores(score);
        game->UpdateScoreLabel();
        EXPECT_EQ(game->ScoreLabel.Caption(), text);
    }
}

// Number formatting in C++ streams with a decimal comma.
class CommaNumpunct final : public std::numpunct<char>
{
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
};

// Puts the process under a C locale and a C++ locale with the same decimal separator, and
// restores both. The C++ one is built from a facet rather than by name: a named locale goes
// through newlocale, which keeps a copy of LOCPATH for good.
class LocaleScope
{
public:
    LocaleScope() : savedC_(std::setlocale(LC_ALL, nullptr)), savedCpp_(std::locale()) {}
    ~LocaleScope()
    {
        std::setlocale(LC_ALL, savedC_.c_str());
        std::locale::global(savedCpp_);
        if (setLocPath_)
            ::unsetenv("LOCPATH");
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

    // A locale whose decimal separator is a comma: an installed one, else one compiled for
    // this test run. False when neither can be had.
    bool UseComma()
    {
        std::locale::global(std::locale(std::locale::classic(), new CommaNumpunct));
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
            if (Use(name))
                return true;
        static const std::string compiled = []
        {
            const auto dir = std::filesystem::temp_directory_path() / "zorbel-locales";
            std::filesystem::create_directories(dir);
            std::error_code ec;
            if (std::filesystem::exists(dir / "de_DE.UTF-8" / "LC_NUMERIC", ec))
                return dir.string();
            const std::string command = "localedef -i de_DE -f UTF-8 '" +
                                        (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
            return std::system(command.c_str()) == 0 ? dir.string() : std::string();
        }();
        if (compiled.empty())
            return false;
        ::setenv("LOCPATH", compiled.c_str(), 1);
        setLocPath_ = true;
        return Use("de_DE.UTF-8");
    }
    bool Use(const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }

private:
    std::string savedC_;
    std::locale savedCpp_;
    bool setLocPath_ = false;
};

struct ChangeCase
{
    records::Row statistics;
    int score;
    const char* shown;
    ui::Color colour;
};

void CheckAverageChange(TGameForm& game)
{
    const ChangeCase cases[] = {
        {{"", 0, 4, 10, 2.5}, 0, "-0,50", ui::clRed},
        {{"", 0, 4, 10, 2.5}, 5, "+0,50", ui::clLime},
        {{"", 0, 7, 8, 1}, 1, "+0,12", ui::clLime},
        {{"", 0, 7, 6, 1}, 1, "-0,12", ui::clRed},
        {{"", 0, 0, 0, 0}, 0, "+0,00", ui::clLime},
        {{"", 0, 0, 0, 0}, 1, "+1,00", ui::clLime},
        {{"", 0, 2, 4, 1.34}, 0, "+0,00", ui::clLime},
        {{"", 0, 2, 4, 1.333334}, 0, "+0,00", ui::clLime},
        {{"", 0, 2, 3, 1.33}, 1, "+0,00", ui::clLime},
        {{"", 0, 3, 10, 3.33}, 0, "-0,83", ui::clRed},
        {{"", 0, 9, 36, 12.75}, 0, "-9,15", ui::clRed},
    };
    for (const ChangeCase& c : cases)
    {
        game.UpdateLLL(c.statistics, c.score);
        const records::Row& s = c.statistics;
        EXPECT_EQ(game.LLL.Caption(), c.shown) << s.games << " " << s.eaten << " " << s.average;
        EXPECT_EQ(game.LLL.Font().color, c.colour) << c.shown;
    }
}

TEST_F(GameScreenTest, AverageChangeIsCutToTwoDecimalsWithACommaUnderAPointLocale)
{
    LocaleScope locale;
    ASSERT_TRUE(locale.Use("C.UTF-8") || locale.Use("C"));
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ".");
    CheckAverageChange(*game);
}

TEST_F(GameScreenTest, AverageChangeIsCutToTwoDecimalsWithACommaUnderACommaLocale)
{
    LocaleScope locale;
    if (!locale.UseComma())
        GTEST_SKIP() << "no locale with a decimal comma can be had here";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    CheckAverageChange(*game);
}

TEST_F(GameScreenTest, RecordsOfTheLevelAndUserAreShownAtEachGameStart)
{
    TIniFile& ini = session->Ini;
    ini.WriteString("HiScores", "score31", "25");
    ini.WriteString("HiGames", "games32", "12");
    ini.WriteString("HiEaten", "eaten32", "40");
    ini.WriteString("HiAverage", "average32", "3,33");
    ini.WriteString("HiScores", "score32", "9");
    ini.WriteString("HiNames", "name32", "BOB");
    session->Skill.level = 3;
    session->UserName = "BOB";
    StartGame(0);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "025");
    EXPECT_EQ(game->GL.Caption(), "00012");
    EXPECT_EQ(game->EL.Caption(), "00040");
    EXPECT_EQ(game->AL.Caption(), "3,33");
    EXPECT_EQ(game->HL.Caption(), "009");
    EXPECT_EQ(game->LLL.Caption(), "-0,25");

    session->UserName = "CARL";
    StartGame(0);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "025");
    EXPECT_EQ(game->GL.Caption(), "00000");
    EXPECT_EQ(game->EL.Caption(), "00000");
    EXPECT_EQ(game->AL.Caption(), "00");
    EXPECT_EQ(game->HL.Caption(), "000");
    EXPECT_EQ(game->LLL.Caption(), "+0,00");

    // Custom: the top score shows 000 and the statistics row keeps what it showed.
    session->UserName = "BOB";
    StartGame(0);
    session->Skill.level = 5;
    StartGame(0);
    EXPECT_EQ(game->HiScoreLabel.Caption(), "000");
    EXPECT_EQ(game->GL.Caption(), "00012");
    EXPECT_EQ(game->AL.Caption(), "3,33");
}

// That leaving stops the match in every phase is the match's rule (tests/play); the screen's
// timer, targets and pointer follow it.
TEST_F(GameScreenTest, HidingStopsTheTimerAndHidesTheTargets)
{
    const auto check = [&](const char* phase)
    {
        game->Hide();
        EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Idle) << phase;
        EXPECT_FALSE(game->Timer1.Enabled()) << phase;
        EXPECT_FALSE(game->Target.Visible()) << phase;
        EXPECT_FALSE(game->Target2.Visible()) << phase;
        EXPECT_TRUE(app.CursorVisible()) << phase;
    };
    game->Show();
    check("waiting");

    game->Show();
    StartGame(0);
    game->Play().Setup().Kill();
    game->ApplyEvents();
    check("removing the player");
    // A removal step arriving after the hide changes nothing.
    game->Timer1Timer(game->Timer1);
    EXPECT_EQ(game->Play().Model().RemovalCounter(), 10);
    EXPECT_FALSE(game->Timer1.Enabled());
}

// Keys bound to directions of the mode played steer, though F11 and Alt+Enter switch the display
// elsewhere; without Num Lock the keypad's arrows are the arrows.
TEST_F(GameScreenTest, AKeyBoundToADirectionSteersEvenWhereItWouldSwitchTheDisplay)
{
    session->Bindings[0][engine::kRight] = ui::vk::F1 + 10;
    session->Bindings[0][engine::kUp] = ui::vk::Return;
    ShowStill();
    StartGame(0);
    Press(SDLK_F11);
    Press(SDLK_KP_ENTER, KMOD_NUM | KMOD_LALT);
    EXPECT_EQ(game->Play().Model().Player().queued, engine::kUp);
    Press(SDLK_KP_2, KMOD_NONE);
    EXPECT_EQ(game->Play().Model().Player().queued, engine::kDown);
    EXPECT_EQ(game->Play().Model().Player().direction, engine::kRight);
    EXPECT_TRUE(app.Fullscreen());
    game->Play().Enter(
        engine::Mode::DeathMatch); // the single game's keys are not the death match's
    Press(SDLK_F11);
    EXPECT_FALSE(app.Fullscreen());
    session->Bindings[2][engine::kUp] = ui::vk::F1 + 10;
    Press(SDLK_F11);
    EXPECT_FALSE(app.Fullscreen());
}

TEST_F(GameScreenTest, SwitchingAwayPausesOnlyAGameInPlayAndTheScreenMaySleepOutsideOne)
{
    form1->Show();
    SwitchAway();
    EXPECT_TRUE(app.ScreenSaverAllowed()) << "at the menu";

    ShowStill();
    EXPECT_FALSE(app.ScreenSaverAllowed()) << "the game screen";
    SwitchAway();
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Waiting)
        << "nothing to pause before the game";

    StartGame(0);
    SwitchAway();
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Paused);
    EXPECT_FALSE(game->Timer1.Enabled());
    EXPECT_TRUE(game->PauseLabel.Showing());
    EXPECT_TRUE(app.ScreenSaverAllowed()) << "paused";
    Key(ui::vk::Pause);
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Playing);
    EXPECT_FALSE(app.ScreenSaverAllowed());
    SwitchAway(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Paused) << "minimised";

    Key(ui::vk::Escape);
    EXPECT_TRUE(app.ScreenSaverAllowed()) << "back at the menu";
}

TEST_F(GameScreenTest, APauseSaysSoOnTheBoardAndLeavesNoTrace)
{
    ShowStill();
    StartGame(3, 20, 15);
    KeepAll(3);
    Tick();
    const ui::Rect board = ui::Bounds(kBoardLeft, kBoardTop, 436, 436);
    const auto pixels = [&]
    {
        app.Render();
        std::vector<ui::Color> out;
        for (int y = board.top; y < board.bottom; ++y)
            for (int x = board.left; x < board.right; ++x)
                out.push_back(app.Screen().Pixel(x, y));
        return out;
    };
    const std::vector<ui::Color> before = pixels();

    Key(ui::vk::Pause);
    const std::vector<ui::Color> paused = pixels();
    std::size_t yellow = 0;
    ui::Rect where;
    for (std::size_t i = 0; i < paused.size(); ++i)
    {
        if (paused[i] == before[i])
            continue;
        const ui::Color c = paused[i];
        yellow += c.r >= 200 && c.g >= 200 && c.b <= 60 ? 1 : 0;
        const int x = board.left + static_cast<int>(i % 436);
        const int y = board.top + static_cast<int>(i / 436);
        where = where.Union(ui::Bounds(x, y, 1, 1));
    }
    EXPECT_GT(yellow, 300u) << "the caption in the title's yellow";
    // Only the caption's own box changed, centred on the board's width and clear of every cell
    // a worm starts on, in a single game of any size and in a death match.
    const ui::Rect caption = game->PauseLabel.BoundsRect().Offset(kBoardLeft - 8, kBoardTop - 16);
    EXPECT_EQ(where.Intersect(caption), where);
    EXPECT_NEAR(caption.left + caption.Width() / 2.0, board.left + 218, 1.0);
    EXPECT_LT(caption.Width(), 436);
    std::vector<Cell> starts{engine::kPlayerStart, engine::kPlayer1Start, engine::kPlayer2Start};
    for (int count = 1; count <= engine::kComputerWorms; ++count)
        for (int n = 1; n <= count; ++n)
            starts.push_back(engine::ComputerStart(count, n).cell);
    for (const Cell c : starts)
    {
        const ui::Point p = CellOnScreen(c.x, c.y);
        EXPECT_TRUE(caption.Intersect(ui::Bounds(p.x, p.y, 14, 14)).Empty()) << +c.x << "," << +c.y;
    }

    Key(ui::vk::Pause);
    EXPECT_TRUE(pixels() == before) << "the board as it was, with nothing of the caption left";

    // At 1.75 the letters keep clear of the caption's edges.
    app.ResizeScreen(1920, 1080);
    app.SetScale(1.75);
    Key(ui::vk::Pause);
    app.Render();
    const ui::Point o = game->PauseLabel.ToForm({0, 0});
    const ui::Rect box =
        app.ToPhysical(ui::Bounds(o.x, o.y, game->PauseLabel.Width(), game->PauseLabel.Height()));
    const ui::Rect ink = screentest::InkBox(app.Screen(), box);
    EXPECT_GE(std::min({ink.left - box.left, ink.top - box.top, box.right - ink.right,
                        box.bottom - ink.bottom}),
              3 * 1.75);
}

TEST_F(GameScreenTest, WormStopsGrowingAt800SectionsAndEatingStillScores)
{
    StartGame(0, 16, 15);
    game->Play().Setup().StandingPlayer({15, 15}, 798);
    Key(ui::vk::Right);
    script.Push(0);
    script.Push(0);
    Tick();
    EXPECT_EQ(game->Play().Model().Player().length, 800);
    EXPECT_EQ(game->Play().Model().Score(), 1);

    game->Play().Setup().Code({1, 1}, engine::kEmpty);
    game->Play().Setup().Code({17, 15}, engine::kTarget);
    script.Push(0);
    script.Push(0);
    Tick();
    EXPECT_EQ(game->Play().Model().Player().length, 800);
    EXPECT_EQ(game->ScoreLabel.Caption(), "002");
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Playing);
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Playing)
        << "stacked sections do not kill the head";
}

TEST_F(GameScreenTest, FullBoardPlacesNoTargetAndHidesItsImage)
{
    StartGame(0);
    for (int x = 1; x <= 29; ++x)
        for (int y = 1; y <= 29; ++y)
            if (game->Play().Model().Board().At(x, y) == engine::kEmpty)
                game->Play().Setup().Code({std::uint8_t(x), std::uint8_t(y)}, engine::kComputer);
    game->Play().Setup().Code({29, 29}, engine::kEmpty);
    const std::size_t draws = script.bounds.size();
    script.Push(28);
    script.Push(28);
    game->Play().Setup().NewTarget();
    game->ApplyEvents();
    EXPECT_EQ(game->Play().Model().TargetCell(), (Cell{29, 29}));
    EXPECT_TRUE(game->Target.Visible());

    game->Play().Setup().NewTarget();

    game->ApplyEvents();
    EXPECT_FALSE(game->Target.Visible());
    EXPECT_EQ(script.bounds.size(), draws + 2) << "no draws when no cell is empty";
}

TEST_F(GameFixture, MissingWormPicturesAreReportedOnceAndTheRestStillLoads)
{
    const auto empty = config.Root() / "no-pictures";
    std::filesystem::create_directories(empty);
    {
        const testsupport::ProgramFolderGuard noPictures(empty);
        Create([](testsupport::TempConfig& e)
               { e.WriteIni("[MAin]\nSkill=4\nDM_interval=250\n"); });
    }
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_NE(errors[0].find("b1.bmp"), std::string::npos);
    EXPECT_NE(errors[0].find("b8.bmp"), std::string::npos);
    EXPECT_NE(errors[0].find("b0.bmp"), std::string::npos);
    errors.clear();
    EXPECT_TRUE(game->WormPictures[0].Empty());
    EXPECT_EQ(session->Skill.level, 4);
    EXPECT_EQ(session->Skill.worms, 8);
    // Drawing with a missing picture draws nothing and the game goes on.
    StartGame(8);
    EXPECT_EQ(game->Timer1.Interval(), 80);
    KeepAll(8);
    Tick();
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Playing);
    for (const int n : {0, 28, 28, 0})
        script.Push(n);
    game->Play().Enter(engine::Mode::DeathMatch);
    game->Play().NewGame();
    game->ApplyEvents();
    EXPECT_EQ(game->Timer1.Interval(), 250);
}

TEST_F(GameFixture, PicturesLoadFromTheProgramDirectoryAndDeathMatchIntervalIsClamped)
{
    Create([](testsupport::TempConfig& e) { e.WriteIni("[Main]\nDM_interval=5000\n"); });
    EXPECT_TRUE(errors.empty());
    for (const int n : {0, 28, 28, 0})
        script.Push(n);
    game->Play().Enter(engine::Mode::DeathMatch);
    game->Play().NewGame();
    game->ApplyEvents();
    EXPECT_EQ(game->Timer1.Interval(), 999);
    for (const ui::Bitmap& picture : game->WormPictures)
    {
        EXPECT_EQ(picture.Width(), 14);
        EXPECT_EQ(picture.Height(), 14);
        // With the finer drawings beside them, as with every picture but the grid's lines.
        ASSERT_EQ(picture.Finer().size(), 2u);
        EXPECT_EQ(picture.Finer()[1].Width(), 56);
    }
    for (const char* name : {"button.bmp", "ball_blue.bmp", "target_yellow.bmp", "strip3.bmp",
                             "worm_up.bmp", "worm_left_small.bmp"})
        EXPECT_EQ(ui::Bitmap::Embedded(name).Finer().size(), 2u) << name;
    EXPECT_EQ(game->Player2Picture.Width(), 14);
    EXPECT_EQ(session->Skill.level, 3);
}

// The pixels of a rectangle of a bitmap, row by row.
std::vector<ui::Color> PixelsOf(const ui::Bitmap& b, ui::Rect r)
{
    std::vector<ui::Color> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            pixels.push_back(b.Pixel(x, y));
    return pixels;
}

// A picture drawn alone at a physical size, reduced or magnified as the screen does it.
std::vector<ui::Color> Resampled(const ui::Bitmap& picture, ui::Rect size)
{
    ui::Bitmap out(size.Width(), size.Height());
    ui::Canvas(out).DrawResampled(out.BoundsRect(), picture, picture.BoundsRect());
    return PixelsOf(out, out.BoundsRect());
}

class PictureTest : public GameFixture
{
protected:
    // Draws a picture on cell (3, 2) of the shown board and gives where it lands on the screen.
    ui::Rect DrawnCell(const ui::Bitmap& picture)
    {
        game->Show();
        game->Timer1.SetEnabled(false);
        game->PaintBox1.DrawCell(picture, 3, 2);
        app.Render();
        const ui::Point o = game->PaintBox1.ToForm({31, 16});
        return app.ToPhysical(ui::Bounds(o.x, o.y, 14, 14));
    }
};

TEST_F(PictureTest, AWormsBeadSitsOnTheBoardsGreenAndIsReducedFromItsFinerDrawing)
{
    // b0 from the program folder, and a copy of it alone as a player's own file would be.
    Create();
    const ui::Bitmap& head = game->WormPictures[0];
    ui::Bitmap alone(14, 14);
    ui::Canvas(alone).Draw(0, 0, head);
    app.ResizeScreen(3840, 2160);
    for (const double scale : {1.0, 1.75, 3.5})
    {
        SCOPED_TRACE(scale);
        app.SetScale(scale);
        const ui::Rect r = DrawnCell(head);
        const std::vector<ui::Color> cell = PixelsOf(app.Screen(), r);
        // Beyond the ball's rim and the pixel its edge is smoothed over: the board's green.
        const double radius = r.Width() / 2.0;
        int outside = 0;
        for (int y = 0; y < r.Height(); ++y)
            for (int x = 0; x < r.Width(); ++x)
                if (std::hypot(x + 0.5 - radius, y + 0.5 - radius) > radius + 1.5)
                {
                    ++outside;
                    ASSERT_EQ(cell[static_cast<std::size_t>(y * r.Width() + x)], ui::clGreen)
                        << x << "," << y;
                }
        EXPECT_GE(outside, 4 * scale * scale);
        // The 2x drawing at 1.75 and the 4x at 3.5, not b0 magnified.
        EXPECT_EQ(cell == Resampled(alone, r), scale == 1.0);
        EXPECT_EQ(cell == Resampled(head.Finer()[scale < 2 ? 0 : 1], r), scale > 1);
    }
}

TEST_F(PictureTest, APlayersOwnPictureIsMagnifiedWithoutTheFinerDrawingsOfTheOneItReplaced)
{
    // The player's own b0.bmp in a copy of the program folder, ours at 2x and 4x left beside it.
    const auto dir = config.Root() / "own-pictures";
    std::filesystem::create_directories(dir);
    for (const auto& entry : std::filesystem::directory_iterator(platform::ProgramDirectory()))
        if (entry.path().extension() == ".bmp")
            std::filesystem::copy_file(entry.path(), dir / entry.path().filename());
    ui::Bitmap own(14, 14, kMagenta);
    for (int i = 0; i < 14; ++i)
        own.SetPixel(i, i, ui::clWhite);
    own.SaveToFile((dir / "b0.bmp").string());
    {
        const testsupport::ProgramFolderGuard ownPictures(dir);
        Create();
    }

    EXPECT_TRUE(game->WormPictures[0].Finer().empty());
    EXPECT_EQ(game->WormPictures[1].Finer().size(), 2u);
    app.ResizeScreen(1920, 1080);
    app.SetScale(1.75);
    const ui::Rect r = DrawnCell(game->WormPictures[0]);
    EXPECT_TRUE(PixelsOf(app.Screen(), r) == Resampled(own, r));
}

TEST_F(GameFixture, TimersPlayGamesToTheirDeathAndStartTheNextUntilEscThoughRecordsFail)
{
    Create();
    game->Play().Setup().UseRandom(nullptr);
    session->Skill.worms = 0;
    game->Show();
    const auto pumpUntil = [&](auto done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            app.Step(false);
        return done();
    };
    const auto playing = [&]
    {
        return game->Play().Model().GamePhase() == engine::Phase::Playing;
    };
    ASSERT_TRUE(pumpUntil(playing));
    app.KeyDown(ui::vk::Up);
    ASSERT_TRUE(pumpUntil(
        [&] { return game->Play().Model().GamePhase() == engine::Phase::RemovingPlayer; }));
    EXPECT_EQ(Head(), (Cell{15, 0}));
    ASSERT_TRUE(
        pumpUntil([&] { return game->Play().Model().GamePhase() == engine::Phase::Waiting; }));
    ASSERT_TRUE(pumpUntil(playing));
    EXPECT_EQ(Head(), (Cell{15, 15}));
    EXPECT_EQ(game->Play().Model().Player().direction, engine::kNone);

    // On a full disk the records update of the next game's end fails: its message shows, and the
    // game after it starts all the same, with the table on disk as it was.
    const std::string before = testsupport::TempConfig::FileText();
    {
        const testsupport::FileSizeLimit full(1);
        app.KeyDown(ui::vk::Up);
        ASSERT_TRUE(pumpUntil([&] { return !errors.empty(); }));
        EXPECT_TRUE(pumpUntil(playing)) << "no next game after the message";
    }
    EXPECT_EQ(errors, std::vector<std::string>{"Unable to write to Zorbel2.ini"});
    errors.clear();
    EXPECT_EQ(testsupport::TempConfig::FileText(), before);

    app.KeyDown(ui::vk::Escape);
    EXPECT_FALSE(game->IsShown());
    EXPECT_FALSE(game->Timer1.Enabled());
}

} // namespace
