// The state every screen shares: program directory, settings file, the logged-in user, the
// skill, the key bindings, the click sound and the replays kept.
#pragma once

#include "settings/IniFile.h"
#include "settings/ReplayStore.h"
#include "widgets/Wave.h"

#include <array>
#include <cstdint>
#include <string>

class Session final
{
public:
    // The program directory and the settings file of this user; the key bindings are read from
    // the file, which is not written. The screens' sounds play through `audio`. Throws, with a
    // message for the player, where the program directory is unknown.
    explicit Session(audio::Service& audio);

    // The program's audio, which the screens' sounds and music play through.
    audio::Service& Audio;
    std::string ProgramDir;
    TIniFile Ini;
    std::string UserName;
    std::uint8_t SkillLevel = 3;
    int Prob = 6;            // computer worms reconsider their way with chance 1 in Prob
    int TimerInterval = 100; // game tick in milliseconds
    int WormCount = 4;       // computer worms, 0..8
    int LeftKey = 37, RightKey = 39, UpKey = 38, DownKey = 40;
    int LeftKey1 = 37, RightKey1 = 39, UpKey1 = 38, DownKey1 = 40;
    int LeftKey2 = 37, RightKey2 = 39, UpKey2 = 38, DownKey2 = 40;
    TWave Pop{Audio};
    // The replay file named on the command line, as typed; empty when there is none.
    std::string ReplayFile;
    // Where finished games are kept and watched from.
    ReplayStore Replays;

    // The bindings in the order of settings::kBindings.
    static const std::array<int Session::*, 12> kBindingFields;

    // The skill level from the settings file, then its parameters.
    void ReadSkill();
    // Prob, TimerInterval and WormCount from the skill level: the engine's row for levels 1 to
    // 4, the settings file's Custom values for level 5.
    void SetSkill();
    // The twelve key bindings from the settings file.
    void InitKeys();
};
