// The game screen built headless beside the main menu, with a private settings folder, the
// program directory of the build, recorded error messages and helpers to drive the game.
#pragma once

#include "engine/RandomScript.h"
#include "screens/GameUnit.h"
#include "screens/Main.h"
#include "screens/Screens.h"
#include "ui/Application.h"
#include "ui/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gametest
{

// Points XDG_CONFIG_HOME at a fresh folder and the program directory at the build's (where
// b0.bmp..b8.bmp are written), restoring both afterwards.
class ScopedEnvironment
{
public:
    ScopedEnvironment()
    {
        if (const char* value = std::getenv("XDG_CONFIG_HOME"))
            savedConfig_ = value;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zorbel-game-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        root_ = pattern;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        savedProgramDir_ = ui::ProgramDirectory();
        if (const char* dir = std::getenv("ZORBEL_PROGRAM_DIR"))
            ui::SetProgramDirectory(dir);
    }
    ~ScopedEnvironment()
    {
        if (savedConfig_)
            ::setenv("XDG_CONFIG_HOME", savedConfig_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        ui::SetProgramDirectory(savedProgramDir_);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // The settings file as the game will find it, written before the screens are created.
    void WriteIni(const std::string& text) const
    {
        std::filesystem::create_directories(root_ / "zorbel2");
        std::ofstream(root_ / "zorbel2" / "Zorbel2.ini") << text;
    }

private:
    std::filesystem::path root_;
    std::optional<std::string> savedConfig_;
    std::string savedProgramDir_;
};

// Solid 14 x 14 pictures in colours of their own, so that pixel checks do not depend on the
// generated worm heads.
inline ui::Bitmap Solid(ui::Color c)
{
    return ui::Bitmap(14, 14, c);
}
inline constexpr ui::Color kPlayerColour{250, 250, 0};
inline ui::Color WormColour(int n)
{
    return ui::Color{static_cast<std::uint8_t>(20 * n), 0, static_cast<std::uint8_t>(200)};
}

// Creates nothing by itself: tests that prepare the settings file call Create themselves.
class GameFixture : public ::testing::Test
{
protected:
    GameFixture()
    {
        app.ErrorHandler = [this](const std::string& m)
        {
            errors.push_back(m);
        };
    }

    // Creates the two screens; prepare runs first with the settings folder in place.
    void Create(const std::function<void(ScopedEnvironment&)>& prepare = {})
    {
        if (prepare)
            prepare(env);
        form1 = std::make_unique<TForm1>(screens);
        game = std::make_unique<TGameForm>(screens);
        game->SetRandomSource(&script);
    }
    void TearDown() override
    {
        if (!errors.empty())
            ADD_FAILURE() << "unexpected error message: " << errors.front();
    }

    void UseSolidPictures()
    {
        game->WormPictures[0] = Solid(kPlayerColour);
        for (int n = 1; n <= 8; ++n)
            game->WormPictures[static_cast<std::size_t>(n)] = Solid(WormColour(n));
    }

    // A new game of n computer worms whose first target lands on (x, y).
    void StartGame(int worms, int targetX = 29, int targetY = 29)
    {
        form1->WormCount = worms;
        script.Push(targetX - 1);
        script.Push(targetY - 1);
        game->NewGame();
    }
    // Every computer worm of the game keeps its way (or stays within its free-count rule)
    // in the next tick: one non-zero first draw per worm.
    void KeepAll(int worms)
    {
        for (int n = 0; n < worms; ++n)
            script.Push(1);
    }
    void Tick() { game->Timer1Timer(game->Timer1); }
    void Key(int key) { game->FormKeyDown(*game, key); }

    engine::Cell Head() const { return game->Player.sections[1]; }
    std::uint8_t Code(int x, int y) const { return game->Board.At(x, y); }
    // The pixel at (px, py) of cell (x, y)'s square on the drawing surface.
    ui::Color CellPixel(int x, int y, int px = 7, int py = 7) const
    {
        return game->PaintBox1.Surface().Pixel(15 * x - 14 + px, 15 * y - 14 + py);
    }

    // Lays computer worm n on the board: cells from head to tail (the last repeated up to
    // section 10), with its codes.
    void PlaceWorm(int n, std::initializer_list<engine::Cell> cells, std::uint8_t direction)
    {
        engine::ComputerWorm& worm = game->Worms[static_cast<std::size_t>(n)];
        std::size_t i = 1;
        engine::Cell last{};
        for (const engine::Cell c : cells)
        {
            worm.sections[i++] = c;
            game->Board.At(c) = engine::kComputer;
            last = c;
        }
        for (; i <= 10; ++i)
            worm.sections[i] = last;
        worm.sections[0] = last;
        worm.direction = direction;
    }

    ScopedEnvironment env;
    ui::Application app{ui::Application::Options{.headless = true}};
    Screens screens{app};
    testing_support::RandomScript script;
    std::vector<std::string> errors;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TGameForm> game;
};

// The usual start: both screens created with defaults (level 3: 4 worms, 1 in 6, 100 ms) and
// solid worm pictures.
class GameTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Create();
        UseSolidPictures();
    }
};

} // namespace gametest
