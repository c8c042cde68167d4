// The shared state: start-up, the skill parameters and the key bindings.
#include "screens/Session.h"

#include "assets/Assets.h"
#include "engine/Game.h"
#include "platform/Paths.h"
#include "settings/Keys.h"

#include <stdexcept>

// A replay is read only with a skill some game could have had (engine/Replay.cpp): the values
// the settings let a game start with are the engine's bounds.
static_assert(settings::kCustomProb.lo == engine::kMinProbability &&
              settings::kCustomProb.hi == engine::kMaxProbability &&
              settings::kCustomTimer.lo == engine::kMinInterval &&
              settings::kCustomTimer.hi == engine::kMaxInterval &&
              settings::kDeathMatchInterval.lo == engine::kMinInterval &&
              settings::kDeathMatchInterval.hi == engine::kMaxInterval &&
              settings::kCustomWorms.lo == 0 &&
              settings::kCustomWorms.hi == engine::kComputerWorms);

// A binding the settings file lacks is the one a session starts with.
static_assert(
    []
    {
        for (std::size_t player = 0; player < settings::kBindings.size(); ++player)
            for (std::size_t d = 0; d < Session::kArrows.size(); ++d)
                if (settings::kBindings[player][d].defaultValue != Session::kArrows[d])
                    return false;
        return true;
    }());

Session::Session(audio::Service& audio)
    : Audio(audio), ProgramDir(platform::ProgramDirectory()), Ini(ConfigFilePath())
{
    // Said at once: every file the game reads would otherwise be looked for in whatever folder
    // it was started from.
    if (ProgramDir.empty())
        throw std::runtime_error("Unable to find the folder of the game's files");
    Pop.SetSound(assets::Find("pop.wav"));
    InitKeys();
}

void Session::ReadSkill()
{
    Skill.level = settings::Read(Ini, settings::kSkill);
    SetSkill();
}

void Session::SetSkill()
{
    if (const auto row = engine::LevelSkill(Skill.level))
        Skill = *row;
    else if (Skill.level == engine::kCustomLevel)
    {
        Skill.probability = settings::Read(Ini, settings::kCustomProb);
        Skill.interval = settings::Read(Ini, settings::kCustomTimer);
        Skill.worms = settings::Read(Ini, settings::kCustomWorms);
    }
}

void Session::InitKeys()
{
    for (std::size_t player = 0; player < Bindings.size(); ++player)
        for (std::size_t d = 0; d < Bindings[player].size(); ++d)
            Bindings[player][d] = settings::Read(Ini, settings::kBindings[player][d]);
}

std::size_t Session::TurnsOf(engine::Mode mode, int key, Turns& turns) const
{
    std::size_t count = 0;
    const auto match = [&](std::uint8_t player, const std::array<int, 4>& bindings)
    {
        for (std::uint8_t d = engine::kLeft; d <= engine::kDown; ++d)
            if (bindings[d] == key)
                turns[count++] = {player, d};
    };
    if (mode == engine::Mode::Single)
    {
        match(1, Bindings[0]);
        return count;
    }
    // Both players' bindings are compared and none ends the search: with the default keys
    // every arrow turns both worms.
    match(1, Bindings[1]);
    match(2, Bindings[2]);
    return count;
}

static_assert(static_cast<int>(ui::Turn::Left) == engine::kLeft &&
              static_cast<int>(ui::Turn::Right) == engine::kRight &&
              static_cast<int>(ui::Turn::Up) == engine::kUp &&
              static_cast<int>(ui::Turn::Down) == engine::kDown);

engine::PlayerTurn Session::ControllerTurn(int player, ui::Turn turn)
{
    return {static_cast<std::uint8_t>(player), static_cast<std::uint8_t>(turn)};
}
