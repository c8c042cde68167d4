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

const std::array<int Session::*, 12> Session::kBindingFields{
    &Session::LeftKey,  &Session::RightKey,  &Session::UpKey,  &Session::DownKey,
    &Session::LeftKey1, &Session::RightKey1, &Session::UpKey1, &Session::DownKey1,
    &Session::LeftKey2, &Session::RightKey2, &Session::UpKey2, &Session::DownKey2};

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
    SkillLevel = static_cast<std::uint8_t>(settings::Read(Ini, settings::kSkill));
    SetSkill();
}

void Session::SetSkill()
{
    if (const auto row = engine::LevelSkill(SkillLevel))
    {
        Prob = row->probability;
        TimerInterval = row->interval;
        WormCount = row->worms;
    }
    else if (SkillLevel == engine::kCustomLevel)
    {
        Prob = settings::Read(Ini, settings::kCustomProb);
        TimerInterval = settings::Read(Ini, settings::kCustomTimer);
        WormCount = settings::Read(Ini, settings::kCustomWorms);
    }
}

void Session::InitKeys()
{
    for (std::size_t i = 0; i < kBindingFields.size(); ++i)
        this->*kBindingFields[i] = settings::Read(Ini, settings::kBindings[i]);
}
