// Every screen as the player sees it at scale 1, against a picture of it kept in golden/: a
// control moved, resized, recoloured or missing changes the picture, while the edges that another
// FreeType draws a little differently do not. ZORBEL_WRITE_GOLDENS=1 writes the pictures anew.
#include "ScreenTestEnv.h"
#include "assetgen/Png.h"
#include "screens/ControlsScreen.h"
#include "screens/GameScreen.h"
#include "screens/LoginScreen.h"
#include "screens/MenuScreen.h"
#include "screens/SkillScreen.h"
#include "screens/StatisticsScreen.h"
#include "support/Png.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace
{

// A pixel matches when a pixel within one of its place in the other picture is within this of
// it in every channel: anti-aliasing and hinting move a glyph's edge by a pixel at most.
constexpr int kChannelTolerance = 48;
// The pixels allowed to match nothing, per million of the screen: a few stray glyph pixels,
// fewer than the smallest control (one digit) leaves behind when it moves or goes.
constexpr long kStrayPerMillion = 25;

using testsupport::PngImage;

PngImage AsPng(const ui::Bitmap& screen)
{
    PngImage picture{screen.Width(), screen.Height(), {}};
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x)
        {
            const ui::Color c = screen.Pixel(x, y);
            picture.pixels.push_back({c.r, c.g, c.b, 255});
        }
    return picture;
}

// Whether a's pixel at (x, y) is near some pixel of b around the same place.
bool MatchesNear(const PngImage& a, int x, int y, const PngImage& b)
{
    const testsupport::Rgba& p = a.At(x, y);
    for (int oy = std::max(y - 1, 0); oy <= std::min(y + 1, b.height - 1); ++oy)
        for (int ox = std::max(x - 1, 0); ox <= std::min(x + 1, b.width - 1); ++ox)
        {
            const testsupport::Rgba& q = b.At(ox, oy);
            if (std::abs(p.r - q.r) <= kChannelTolerance &&
                std::abs(p.g - q.g) <= kChannelTolerance &&
                std::abs(p.b - q.b) <= kChannelTolerance)
                return true;
        }
    return false;
}

// How many pixels of either picture match no pixel near their place in the other.
long Unmatched(const ui::Bitmap& screen, const PngImage& golden)
{
    const PngImage shown = AsPng(screen);
    long unmatched = 0;
    for (int y = 0; y < golden.height; ++y)
        for (int x = 0; x < golden.width; ++x)
            unmatched += !MatchesNear(shown, x, y, golden) || !MatchesNear(golden, x, y, shown);
    return unmatched;
}

class LayoutGoldenTest : public screentest::ScreenTest
{
protected:
    void SetUp() override
    {
        // The pictures are drawn in the face the game ships with on Linux; another face (the
        // real Comic Sans MS, a fallback) draws other letters altogether.
        if (ui::FontFileFor(ui::Font{}).find("ComicNeue") == std::string::npos)
            GTEST_SKIP() << "the typeface is not Comic Neue: " << ui::FontFileFor(ui::Font{});
        app.Display().ResizeScreen(800, 600);
        app.Display().SetScale(1);
    }

    const ui::Bitmap& Picture(ui::Form& form)
    {
        if (!form.IsShown())
            form.Show();
        app.Display().InvalidateAll();
        app.Render();
        return app.Display().Screen();
    }

    // The form as shown now against its golden picture, or the picture written anew.
    void Check(ui::Form& form, const std::string& name)
    {
        const ui::Bitmap& screen = Picture(form);
        const std::filesystem::path path =
            std::filesystem::path(ZORBEL_GOLDEN_DIR) / (name + ".png");
        if (std::getenv("ZORBEL_WRITE_GOLDENS") != nullptr)
        {
            std::vector<std::uint8_t> rgba;
            for (const testsupport::Rgba& p : AsPng(screen).pixels)
                rgba.insert(rgba.end(), {std::uint8_t(p.r), std::uint8_t(p.g), std::uint8_t(p.b),
                                         std::uint8_t(p.a)});
            const auto file = assetgen::WritePngRgba(screen.Width(), screen.Height(), rgba);
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(file.data()), std::ssize(file));
            return;
        }
        const PngImage golden = testsupport::LoadPng(path);
        ASSERT_EQ(golden.width, screen.Width()) << path;
        ASSERT_EQ(golden.height, screen.Height()) << path;
        EXPECT_LE(Unmatched(screen, golden),
                  long(golden.width) * golden.height * kStrayPerMillion / 1'000'000)
            << name << " differs from " << path;
    }

    // A user with a password in the older plain form, so that no hash is made for a picture.
    void AddUser(const std::string& name, const std::string& password)
    {
        TIniFile::Batch batch(session->Ini);
        session->Ini.WriteInteger("Main", "Usr_Num", 1);
        session->Ini.WriteString("User_Names", "name1", name);
        session->Ini.WriteString("User_Pass", "pass1", password);
        batch.Commit();
    }
    void PutRecord(int slot, const std::string& name, int games, int eaten, int score)
    {
        const std::string ls = "3" + std::to_string(slot);
        TIniFile::Batch batch(session->Ini);
        session->Ini.WriteString("HiNames", "name" + ls, name);
        session->Ini.WriteInteger("HiGames", "games" + ls, games);
        session->Ini.WriteInteger("HiEaten", "eaten" + ls, eaten);
        session->Ini.WriteString("HiAverage", "average" + ls, "12,50");
        session->Ini.WriteInteger("HiScores", "score" + ls, score);
        batch.Commit();
    }

    TForm1 menu{app, navigator, *session};
    TGameForm game{app, navigator, *session};
    TNameForm login{app, navigator, *session};
    TKeyForm keys{app, navigator, *session};
    TSkillForm skill{app, navigator, *session};
    TForm2 stats{app, navigator, *session};
};

// Each screen in the state that shows the most of its controls.
TEST_F(LayoutGoldenTest, EveryScreenLooksAsItsPicture)
{
    session->UserName = "ANNA";
    menu.ShowLoggedInUser();
    Check(menu, "menu");
    app.RemoveForm(menu);

    AddUser("ANNA", "12");
    login.Show();
    Type("ANNA");
    app.Devices().KeyDown(ui::vk::Return);
    Type("13");
    app.Devices().KeyDown(ui::vk::Return);
    Check(login, "login");
    app.RemoveForm(login);

    game.ShowDeathMatch();
    game.Timer1.SetEnabled(false);
    Check(game, "game");
    app.RemoveForm(game);

    PutRecord(1, "ANNA", 12, 150, 31);
    PutRecord(2, "BOB", 3, 20, 9);
    Check(stats, "statistics");
    app.RemoveForm(stats);

    skill.Show();
    skill.CLabelClick();
    Check(skill, "skill");
    app.RemoveForm(skill);

    Check(keys, "controls");
}

// The comparison is strict enough for its purpose: the smallest controls moved by 8 pixels or
// hidden make a screen differ from its own picture.
TEST_F(LayoutGoldenTest, AControlMovedOrHiddenDiffersFromThePicture)
{
    skill.Show();
    skill.CLabelClick();
    const PngImage before = AsPng(Picture(skill));
    const long allowed = long(before.width) * before.height * kStrayPerMillion / 1'000'000;
    EXPECT_LE(Unmatched(Picture(skill), before), 0);
    skill.CDK6.SetLeft(skill.CDK6.Left() + 8);
    EXPECT_GT(Unmatched(Picture(skill), before), allowed) << "a spin arrow moved";
    skill.CDK6.SetLeft(skill.CDK6.Left() - 8);
    skill.CDK6.SetVisible(false);
    EXPECT_GT(Unmatched(Picture(skill), before), allowed) << "a spin arrow hidden";
    skill.CDK6.SetVisible(true);
    skill.Label3.SetVisible(false);
    EXPECT_GT(Unmatched(Picture(skill), before), allowed) << "a one-digit value hidden";
}

} // namespace
