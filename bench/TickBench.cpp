// Cost of one game tick (Timer1Timer) with eight computer worms and an 800-section player worm,
// painting into the board's surface included; a second figure adds presenting the changed area,
// a third is the game model's tick without the screen.
#include "BenchEnvironment.h"
#include "BenchNavigator.h"
#include "engine/Game.h"
#include "engine/Scenario.h"
#include "platform/Paths.h"
#include "screens/GameScreen.h"
#include "screens/MenuScreen.h"
#include "screens/Session.h"
#include "ui/Application.h"
#include "ui/Fonts.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct Game
{
    Game()
    {
        app.ErrorHandler = [](const std::string&) {
        };
        form1 = std::make_unique<TForm1>(app, navigator, session);
        game = std::make_unique<TGameForm>(app, navigator, session);
        session.Skill.worms = 8;
        game->Show();
        game->Timer1.SetEnabled(false);
        game->Play().NewGame();
        game->ApplyEvents();
        game->Timer1.SetEnabled(false);
        // The longest worm the board keeps, standing on its start cell: the shift of all 800
        // sections is the tick's largest cost, and a standing worm never dies.
        game->Play().Setup().StandingPlayer(engine::kPlayerStart, engine::kMaxLength);
    }

    bench::Environment env;
    ui::FontSystem fonts;
    ui::Application app{ui::Application::Options{.headless = true}};
    audio::Service audio;
    bench::StayNavigator navigator;
    Session session{audio};
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TGameForm> game;
};

void BM_Timer1Timer(benchmark::State& state)
{
    Game g;
    for (auto _ : state)
        g.game->Timer1Timer(g.game->Timer1);
    benchmark::DoNotOptimize(g.game->Play().Model().Board());
    state.counters["phase_playing"] =
        g.game->Play().Model().GamePhase() == engine::Phase::Playing ? 1 : 0;
}
BENCHMARK(BM_Timer1Timer)->Unit(benchmark::kMicrosecond);

void BM_Timer1TimerAndRender(benchmark::State& state)
{
    Game g;
    for (auto _ : state)
    {
        g.game->Timer1Timer(g.game->Timer1);
        g.app.Render();
    }
    state.counters["phase_playing"] =
        g.game->Play().Model().GamePhase() == engine::Phase::Playing ? 1 : 0;
}
BENCHMARK(BM_Timer1TimerAndRender)->Unit(benchmark::kMicrosecond);

// The same tick of the game model alone: no screen, the events it reports dropped unpainted.
void BM_GameTick(benchmark::State& state)
{
    engine::Game game;
    game.NewGame(12345, {3, 6, 100, 8});
    engine::Scenario(game).StandingPlayer(engine::kPlayerStart, engine::kMaxLength);
    std::vector<engine::Event> events;
    for (auto _ : state)
    {
        game.TakeEvents(events);
        game.Step();
    }
    benchmark::DoNotOptimize(game.Board());
}
BENCHMARK(BM_GameTick)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
