// The game screen built headless beside the main menu on the shared screen fixture, with
// helpers to drive the game.
#pragma once

#include "ScreenTestEnv.h"
#include "engine/RandomScript.h"
#include "engine/Scenario.h"
#include "screens/GameScreen.h"
#include "screens/MenuScreen.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace gametest
{

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

// The timer's steps of a game that is over, up to the wait for the next game, which they do not
// end.
inline void StepToTheWait(TGameForm& game)
{
    for (int i = 0; i < 10000 && game.Play().Interval() != engine::kWaitInterval; ++i)
        game.Timer1Timer(game.Timer1);
}

// Creates nothing by itself: tests that prepare the settings file call Create themselves.
class GameFixture : public screentest::ScreenTest
{
protected:
    // Creates the session and the two screens; prepare runs first with the settings folder in
    // place.
    void Create(const std::function<void(testsupport::TempConfig&)>& prepare = {})
    {
        if (prepare)
            prepare(config);
        session = std::make_unique<Session>(audio);
        form1 = std::make_unique<TForm1>(app, navigator, *session);
        game = std::make_unique<TGameForm>(app, navigator, *session);
        navigator.Join(*game);
        game->Play().Setup().UseRandom(&script);
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
        session->Skill.worms = worms;
        script.Push(targetX - 1);
        script.Push(targetY - 1);
        game->Play().NewGame();
        game->ApplyEvents();
    }
    // Every computer worm of the game keeps its way (or stays within its free-count rule)
    // in the next tick: one non-zero first draw per worm.
    void KeepAll(int worms)
    {
        for (int n = 0; n < worms; ++n)
            script.Push(1);
    }
    void Tick() { game->Timer1Timer(game->Timer1); }
    // The game under way ends with score: the death, the removal by the timers' handlers and
    // the records, up to the wait for the next game, whose timer is stopped.
    void FinishGame(int score)
    {
        game->Play().Setup().Scores(score).Kill();
        game->ApplyEvents();
        StepToTheWait(*game);
        game->Timer1.SetEnabled(false);
    }
    // The next game's first target, on the cell to the right of the player's start, eaten at
    // the first tick.
    void EatFirstTarget()
    {
        StartGame(0, 16, 15);
        Key(session->Bindings[0][engine::kRight]);
        script.Push(0);
        script.Push(0);
        Tick();
    }
    // The window lost the keyboard focus (or was minimised), as the window system reports it
    // through the message loop.
    void SwitchAway(SDL_WindowEventID what = SDL_WINDOWEVENT_FOCUS_LOST)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = static_cast<std::uint8_t>(what);
        SDL_PushEvent(&e);
        app.Loop().ProcessMessages();
    }
    void Key(int key) { game->FormKeyDown(*game, key); }

    engine::Cell Head() const { return game->Play().Model().Player().sections[1]; }
    // The pixel at (px, py) of cell (x, y)'s square on the drawing surface.
    ui::Color CellPixel(int x, int y, int px = 7, int py = 7) const
    {
        return game->PaintBox1.Surface().Pixel(15 * x - 14 + px, 15 * y - 14 + py);
    }

    // Lays computer worm n on the board: cells from head to tail (the last repeated up to
    // section 10), with its codes.
    void PlaceWorm(int n, std::initializer_list<engine::Cell> cells, std::uint8_t direction)
    {
        game->Play().Setup().ComputerWorm(n, std::span(cells.begin(), cells.size()), direction);
    }

    testing_support::RandomScript script;
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
