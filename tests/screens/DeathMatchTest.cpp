// The death match on the game screen: each player's picture and score, Pause and switching
// away, hiding, the set-up from the menu and the settings file. Its rules are the engine's.
#include "GameScreenFixture.h"

#include "settings/IniFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{

using engine::Cell;
using gametest::GameFixture;

constexpr ui::Color kPlayer2Colour{0, 250, 250};

class DeathMatchTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Create();
        UseSolidPictures();
        game->Player2Picture = gametest::Solid(kPlayer2Colour);
        game->Play().Enter(engine::Mode::DeathMatch);
    }

    // Queues the cells the next two targets land on (x drawn before y).
    void PushTargets(Cell first, Cell second)
    {
        for (const Cell c : {first, second})
        {
            script.Push(c.x - 1);
            script.Push(c.y - 1);
        }
    }
    // A new match whose targets land on the given cells, out of every test's way by default.
    void StartMatch(Cell target1 = {1, 29}, Cell target2 = {29, 1})
    {
        PushTargets(target1, target2);
        game->Play().NewGame();
        game->ApplyEvents();
    }
    void Tick() { game->Timer1Timer(game->Timer1); }
    void Remove() { game->Timer1Timer(game->Timer1); }

    // Lays and paints a worm from head to tail (the last cell repeated up to its length).
    void Lay(int player, std::initializer_list<Cell> cells, std::uint8_t dir, int length = 10)
    {
        game->Play().Setup().DeathMatchPlayer(player, std::span(cells.begin(), cells.size()), dir,
                                              length);
        for (const Cell c : cells)
            game->PaintBox1.DrawCell(player == 1 ? game->WormPictures[0] : game->Player2Picture,
                                     c.x, c.y);
    }
};

TEST_F(DeathMatchTest, EachPlayerShowsInItsOwnPictureAndScoresShowAtLeastThreeDigits)
{
    StartMatch();
    EXPECT_EQ(game->ScoreLabel.Caption(), "000");
    EXPECT_EQ(game->HiScoreLabel.Caption(), "000");
    Tick();
    EXPECT_EQ(CellPixel(10, 10), gametest::kPlayerColour);
    EXPECT_EQ(CellPixel(20, 20), kPlayer2Colour);
    game->Play().Setup().Scores(999, 0);
    Lay(2, {{29, 15}}, engine::kRight);
    Tick();
    EXPECT_EQ(game->ScoreLabel.Caption(), "1000");
    game->Play().Setup().Scores(1000, 41);
    game->UpdateScore2Label();
    EXPECT_EQ(game->HiScoreLabel.Caption(), "041");
}

// The hue of a coloured pixel in degrees.
double Hue(ui::Color c)
{
    const double hi = std::max({c.r, c.g, c.b}), span = hi - std::min({c.r, c.g, c.b});
    const double h = hi == c.r   ? (c.g - c.b) / span
                     : hi == c.g ? 2 + (c.b - c.r) / span
                                 : 4 + (c.r - c.g) / span;
    return std::fmod(60 * h + 360, 360);
}

// Each player is one colour, as the generated pictures draw them on screen: the ball beside its
// name, its target and its worm; the single game keeps its yellow ball and target.
TEST_F(DeathMatchTest, EachPlayersBallTargetAndWormShareOneColour)
{
    game->WormPictures[0] = ui::Bitmap::LoadPicture(session->ProgramDir + "b0.bmp");
    game->Player2Picture = ui::Bitmap::LoadPicture(session->ProgramDir + "b2.bmp");
    form1->StartDeathMatch();
    PushTargets({1, 29}, {29, 1});
    game->Timer1Timer(game->Timer1);
    Tick();
    // Points inside each ball, away from its highlight, as the screen shows them.
    const auto hueAt = [&](const ui::Control& c, int x, int y)
    {
        app.Render();
        const ui::Point p = c.ToForm({x, y});
        return Hue(app.Screen().Pixel(p.x, p.y));
    };
    // The worms' heads on cells (10, 10) and (20, 20).
    const double worm1 = hueAt(game->PaintBox1, 145, 145);
    const double worm2 = hueAt(game->PaintBox1, 295, 295);
    EXPECT_NEAR(hueAt(game->Image1, 10, 10), worm1, 8);
    EXPECT_NEAR(hueAt(game->Target, 7, 7), worm1, 8);
    EXPECT_NEAR(hueAt(game->Image3, 10, 10), worm2, 8);
    EXPECT_NEAR(hueAt(game->Target2, 7, 7), worm2, 8);
    EXPECT_GT(worm2 - worm1, 90);

    game->Hide();
    game->ShowSingleGame();
    StartGame(0);
    EXPECT_NEAR(hueAt(game->Image1, 10, 10), 52, 8) << "yellow";
    EXPECT_NEAR(hueAt(game->Target, 7, 7), 52, 8);
}

// A replay's long second name ends with an ellipsis before its ball, and the caption under the
// title between the scores, with the replay's speed last.
TEST_F(DeathMatchTest, AReplaysLongNamesEndClearOfTheirNeighbours)
{
    engine::Replay replay;
    replay.mode = engine::ReplayMode::DeathMatch;
    replay.players = {{"ANNA"}, {std::string(70, 'M')}};
    PushTargets({1, 29}, {29, 1});
    game->ShowReplay(replay);
    app.Render();
    const ui::Point name = game->Label2.ToForm({0, 0});
    const int ball = game->Image3.ToForm({0, 0}).x;
    EXPECT_TRUE(screentest::EndsWithGlyph(app.Screen(),
                                          ui::Bounds(name.x, name.y, ball - name.x, 22), "\u2026",
                                          game->Label2.Font(), 1));
    const ui::Rect betweenScores =
        ui::Bounds(game->Panel1.Left() + 68, game->Label3.ToForm({0, 0}).y, 572 - 68, 15);
    EXPECT_TRUE(
        screentest::EndsWithGlyph(app.Screen(), betweenScores, "1", game->Label3.Font(), 1));
    game->Hide();
}

// The rules of pause and switching away are the match's (tests/play); here they reach it.
TEST_F(DeathMatchTest, PauseAndSwitchingAwayHoldTheBoutAndANewVisitStartsFromNoScores)
{
    game->Show();
    game->Timer1.SetEnabled(false);
    StartMatch();
    int pause = ui::vk::Pause;
    game->FormKeyDown(*game, pause);
    EXPECT_TRUE(game->Play().Paused());
    EXPECT_TRUE(game->PauseLabel.Showing());
    EXPECT_FALSE(game->Timer1.Enabled());
    game->FormKeyDown(*game, pause);
    SwitchAway(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_TRUE(game->Play().Paused());
    game->FormKeyDown(*game, pause);
    EXPECT_TRUE(game->Timer1.Enabled());

    Lay(1, {{1, 15}}, engine::kLeft);
    Tick();
    EXPECT_EQ(game->HiScoreLabel.Caption(), "001");
    game->Hide();
    EXPECT_FALSE(game->Timer1.Enabled());
    EXPECT_FALSE(game->Target2.Visible());

    game->Show();
    PushTargets({1, 29}, {29, 1});
    game->Timer1Timer(game->Timer1);
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Playing);
    EXPECT_EQ(game->ScoreLabel.Caption(), "000");
    EXPECT_EQ(game->HiScoreLabel.Caption(), "000");
    game->Hide();
}

TEST_F(DeathMatchTest, MenuSetsUpTheScreenAndNothingReachesTheSettingsFile)
{
    const std::filesystem::path ini = ConfigFilePath();
    session->Ini.WriteString("Main", "Skill", "3");
    const auto read = [&]
    {
        std::ifstream in(ini, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string before = read();
    ASSERT_FALSE(before.empty());
    const auto writeTime = std::filesystem::last_write_time(ini);

    game->Label1.SetCaption("ANNA");
    game->GL.SetCaption("00012");
    form1->StartDeathMatch();
    EXPECT_EQ(game->Play().Model().GameMode(), engine::Mode::DeathMatch);
    EXPECT_TRUE(game->IsShown());
    EXPECT_EQ(game->Label2.Caption(), "Player 2");
    EXPECT_EQ(game->Label2.Left(), 536);
    EXPECT_TRUE(game->Label3.Visible());
    EXPECT_EQ(game->Label3.Caption(), "Death Match");
    EXPECT_TRUE(game->Image3.Visible());
    EXPECT_EQ(game->Label1.Caption(), "ANNA") << "the left caption stays as it was";

    PushTargets({1, 29}, {29, 1});
    game->Timer1Timer(game->Timer1);
    EXPECT_EQ(game->Play().Model().GamePhase(), engine::Phase::Playing);
    Lay(2, {{29, 15}}, engine::kRight);
    Tick();
    PushTargets({1, 29}, {29, 1});
    while (game->Play().Model().GamePhase() == engine::Phase::RemovingBout)
        Remove();
    EXPECT_EQ(game->ScoreLabel.Caption(), "001");
    EXPECT_EQ(game->GL.Caption(), "00012") << "the statistics row is left alone";
    int escape = ui::vk::Escape;
    game->FormKeyDown(*game, escape);
    EXPECT_FALSE(game->IsShown());

    EXPECT_EQ(read(), before);
    EXPECT_EQ(std::filesystem::last_write_time(ini), writeTime);
}

} // namespace
