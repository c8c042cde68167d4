// play::OpenReplay: the replay file read, and a missing file told apart from one that is refused;
// the names it holds cut for showing.
#include "play/ReplayFile.h"

#include "platform/Paths.h"
#include "settings/ReplayStore.h"

#include <filesystem>

namespace play
{
namespace
{

constexpr std::size_t kShownNameCharacters = 32;
constexpr std::string_view kCutMark = "...";

} // namespace

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

// Cut after kShownNameCharacters characters, and after four bytes a character at the latest, so
// that bytes that start no character never pass whole.
std::string ShownName(std::string_view name)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        const bool starts = (static_cast<unsigned char>(name[i]) & 0xC0) != 0x80;
        if ((starts && characters++ == kShownNameCharacters) || i == 4 * kShownNameCharacters)
            return std::string(name.substr(0, i)) + std::string(kCutMark);
    }
    return std::string(name);
}

std::string ReplayTitle(const engine::Replay& replay, int speed)
{
    std::string caption = "Replay: " + ShownName(replay.players[0].name);
    if (replay.players.size() > 1)
        caption += " v " + ShownName(replay.players[1].name);
    return caption + " x" + std::to_string(speed);
}

} // namespace play
