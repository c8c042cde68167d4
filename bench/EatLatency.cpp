// How late the game's tick comes after each target eaten, with the audio device opened as the
// game opens it and no music: run it under a sound server (bench/eat_latency.sh starts one).
// A single game at the default 100 ms tick, no computer worms, the player steered round a square;
// the target is put in front of the head every few seconds, long enough after the last eat for a
// device that is let go when silent to have gone. A tick is as late as the time between its start
// and the start of the one before, less the interval (each tick waits for the previous one's
// handler to return). Prints the figures of the ticks that follow an eat and of all other ticks.
// Usage: bench_eat_latency [eats, default 10, at most 13: then the worm fills its square]
//                          [milliseconds between eats, default 7000]
#include "BenchEnvironment.h"
#include "BenchNavigator.h"
#include "audio/Audio.h"
#include "engine/Board.h"
#include "engine/Scenario.h"
#include "platform/Dispatch.h"
#include "platform/Paths.h"
#include "screens/GameScreen.h"
#include "screens/MenuScreen.h"
#include "screens/Session.h"
#include "ui/Application.h"
#include "ui/Fonts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The square the player's worm runs round (its corners), and the cell the target waits on.
constexpr int kLow = 5;
constexpr int kHigh = 24;
constexpr engine::Cell kParking{2, 2};

// Round the square clockwise, starting upwards from the start cell.
std::uint8_t Way(engine::Cell head, std::uint8_t dir)
{
    switch (dir)
    {
    case engine::kUp:
        return head.y <= kLow ? engine::kRight : dir;
    case engine::kRight:
        return head.x >= kHigh ? engine::kDown : dir;
    case engine::kDown:
        return head.y >= kHigh ? engine::kLeft : dir;
    case engine::kLeft:
        return head.x <= kLow ? engine::kUp : dir;
    default:
        return engine::kUp;
    }
}

void MoveTarget(TGameForm& game, engine::Cell to)
{
    if (game.Play().Model().TargetCell() != to)
        game.Play().Setup().Target(to);
}

void Report(const char* what, std::vector<double> late)
{
    if (late.empty())
    {
        std::printf("%-26s none\n", what);
        return;
    }
    std::sort(late.begin(), late.end());
    const auto at = [&](double q)
    {
        return late[std::min(late.size() - 1, static_cast<std::size_t>(q * late.size()))];
    };
    std::printf("%-26s %5zu ticks  median %7.2f ms  99th %7.2f ms  worst %7.2f ms\n", what,
                late.size(), at(0.5), at(0.99), late.back());
}

} // namespace

int main(int argc, char** argv)
{
    const int eats = argc > 1 ? std::atoi(argv[1]) : 10;
    const auto gap = std::chrono::milliseconds(argc > 2 ? std::atoi(argv[2]) : 7000);
    bench::Environment env;
    ui::FontSystem fonts;
    ui::Application app{ui::Application::Options{.headless = true}};
    app.ErrorHandler = [](const std::string& message)
    {
        std::fprintf(stderr, "error: %s\n", message.c_str());
    };
    // As the game does: the device opens once the menu is up, and silence lets it go.
    audio::Service audio({.idleRelease = std::chrono::seconds(3)});
    bench::StayNavigator navigator;
    Session session{audio};
    TForm1 form1(app, navigator, session);
    if (!audio.Open())
    {
        std::fprintf(stderr, "no audio device opened (SDL_AUDIODRIVER=%s)\n",
                     std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "");
        return 1;
    }
    TGameForm game(app, navigator, session);
    session.Skill.worms = 0;

    std::vector<double> afterEat;
    std::vector<double> others;
    Clock::time_point lastStart{};
    bool lastAte = false;
    int eaten = 0;
    bool died = false;
    Clock::time_point nextEat = Clock::now() + gap;
    const widgets::TzcTimer::TTimerEvent tick = game.Timer1.OnTimer();
    game.Timer1.SetOnTimer(
        [&](widgets::TzcTimer& timer)
        {
            const Clock::time_point start = Clock::now();
            if (lastStart != Clock::time_point{})
            {
                const double late =
                    std::chrono::duration<double, std::milli>(start - lastStart).count() -
                    timer.Interval();
                (lastAte ? afterEat : others).push_back(late);
            }
            lastStart = start;
            const std::uint8_t dir = Way(game.Play().Model().Player().sections[1],
                                         game.Play().Model().Player().direction);
            game.OnPlayerTurn(game, 1, static_cast<ui::Turn>(dir));
            const bool eat = start >= nextEat;
            MoveTarget(game, eat ? engine::Step(game.Play().Model().Player().sections[1], dir)
                                 : kParking);
            const int score = game.Play().Model().Score();
            tick(timer);
            lastAte = game.Play().Model().Score() > score;
            if (lastAte)
            {
                ++eaten;
                nextEat = Clock::now() + gap;
            }
            died = game.Play().Model().GamePhase() != engine::Phase::Playing;
        });
    game.Show();

    // One tick more after the last eat, for its lateness.
    while (afterEat.size() < static_cast<std::size_t>(eats) && !died)
    {
        platform::WaitPending(50ms);
        app.Step(false);
    }
    game.Timer1.SetEnabled(false);
    if (died)
    {
        std::fprintf(stderr, "the player's worm died after %d eats\n", eaten);
        return 1;
    }
    std::printf("eats %d, %lld ms apart, tick %d ms, audio %s\n", eaten,
                static_cast<long long>(gap.count()), game.Timer1.Interval(),
                std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "(SDL's choice)");
    Report("lateness after an eat", afterEat);
    Report("lateness of other ticks", others);
    return 0;
}
