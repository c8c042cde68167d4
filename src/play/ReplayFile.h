// play::OpenReplay: a replay file opened for watching, or what to tell the player instead.
#pragma once

#include "engine/Replay.h"

#include <optional>
#include <string>

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

} // namespace play
