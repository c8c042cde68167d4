// play::OpenReplay: a replay file opened for watching, or what to tell the player instead; and how
// a replay is named to the player while it plays.
#pragma once

#include "engine/Replay.h"

#include <optional>
#include <string>
#include <string_view>

namespace play
{

struct OpenedReplay
{
    std::optional<engine::Replay> replay;
    // Empty when the replay opened: else that there is no such file, or why it cannot be played.
    std::string problem;
};

// The replay in the file at path (UTF-8).
OpenedReplay OpenReplay(const std::string& path);

// A name from a replay as the screens show it: a file may hold a thousand bytes of name, and the
// font renderer is given no more than a line can show.
std::string ShownName(std::string_view name);
// The caption of replay played at speed: "Replay: ANNA v BOB x2".
std::string ReplayTitle(const engine::Replay& replay, int speed);

} // namespace play
