// The state every screen shares: program directory, settings file, the logged-in user, the
// skill, the key bindings, the click sound and the replays kept.
#pragma once

#include "engine/Board.h"
#include "engine/Game.h"
#include "settings/IniFile.h"
#include "settings/ReplayStore.h"
#include "ui/Controllers.h"
#include "ui/Types.h"
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
    // The skill the next game starts with.
    engine::Skill Skill;
    // The direction keys (virtual-key codes) by player and the engine's direction
    // (engine::kLeft ... engine::kDown): player 0 is the single game's, 1 and 2 a death match's.
    using KeyBindings = std::array<std::array<int, 4>, 3>;
    static constexpr std::array<int, 4> kArrows{ui::vk::Left, ui::vk::Right, ui::vk::Up,
                                                ui::vk::Down};
    KeyBindings Bindings{kArrows, kArrows, kArrows};
    // The (player, direction) turns key stands for in a game of mode, in binding order.
    using Turns = std::array<engine::PlayerTurn, 8>;
    std::size_t TurnsOf(engine::Mode mode, int key, Turns& turns) const;
    // Player 1 or 2's controller turn as the engine's (player, direction).
    static engine::PlayerTurn ControllerTurn(int player, ui::Turn turn);
    TWave Pop{Audio};
    // Where finished games are kept and watched from.
    ReplayStore Replays;

    // The skill level from the settings file, then its parameters.
    void ReadSkill();
    // The skill's parameters from its level: the engine's row for levels 1 to 4, the settings
    // file's Custom values for level 5.
    void SetSkill();
    // The twelve key bindings from the settings file.
    void InitKeys();
};
