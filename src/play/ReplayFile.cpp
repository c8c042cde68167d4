// play::OpenReplay: the replay file read, and a missing file told apart from one that is refused.
#include "play/ReplayFile.h"

#include "platform/Paths.h"
#include "settings/ReplayStore.h"

#include <filesystem>

namespace play
{

OpenedReplay OpenReplay(const std::string& path)
{
    engine::ReplayDecoding read = ReadReplayFile(path);
    if (read.replay)
        return {std::move(read.replay), {}};
    std::error_code ec;
    const bool found = std::filesystem::exists(platform::NativePath(path), ec);
    return {std::nullopt,
            found ? std::string(engine::Describe(read.error)) : "Replay file not found"};
}

} // namespace play
