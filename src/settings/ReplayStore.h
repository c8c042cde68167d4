// The replays kept on disk: each user's best game at each level with a records table, and the
// last games of any kind.
#pragma once

#include "engine/Replay.h"

#include <optional>
#include <string>
#include <string_view>

// "<$XDG_DATA_HOME or ~/.local/share>/zorbel2/replays" (on Windows
// "%LOCALAPPDATA%\zorbel2\replays"), where the game keeps its replays; empty for a user without
// a home folder, whose games are not kept.
std::string ReplayFolderPath();

// The extension of every replay file the game writes.
inline constexpr std::string_view kReplayExtension = ".zr2";
// How many of the latest games are kept, whatever their kind.
inline constexpr int kLastGamesKept = 20;

// The replay in the file at path (UTF-8), or why it cannot be played: Unreadable for a file that
// is missing or cannot be read, else what the reader found.
engine::ReplayDecoding ReadReplayFile(const std::string& path);

// Which files Keep wrote.
struct KeptReplay
{
    bool last = false; // one of the last games
    bool best = false; // the user's best at the game's level
};

class ReplayStore final
{
public:
    // The folder is made by the first game kept.
    explicit ReplayStore(std::string folder = ReplayFolderPath());

    [[nodiscard]] const std::string& Folder() const { return folder_; }

    // Keeps a finished game as the latest of the last games, dropping the oldest beyond
    // kLastGamesKept, and, for a single game at a level with a records table, as its player's
    // best there when no game of a higher or equal score is kept (a file under that player's
    // name that holds another's game is left as it is). Each file replaces its predecessor
    // atomically; a file that cannot be written (a full disk, a folder that cannot be made) is
    // simply not kept, and nothing else is touched. Copies of the game keeping games in one
    // folder take turns on a lock file beside it.
    KeptReplay Keep(const engine::Replay& replay) noexcept;

    // The files of the best game of user at level (1..4) and of the game kept last; nullopt
    // when there is none. A best file that reads as another player's game is none.
    [[nodiscard]] std::optional<std::string> BestGame(std::string_view user, int level) const;
    [[nodiscard]] std::optional<std::string> LastGame() const;

    // The piece of a file name that stands for user: letters, digits and escapes only, so that
    // no name leads out of the folder, and different for any two names, even on a file system
    // that ignores letter case. Long names end in a hash of the whole name.
    static std::string FileNameOf(std::string_view user);

private:
    [[nodiscard]] std::string PathOf(std::string_view fileName) const;
    [[nodiscard]] std::string BestPathOf(std::string_view user, int level) const;
    bool KeepBest(const engine::Replay& replay, std::string_view bytes) const;
    bool KeepLast(std::string_view bytes) const;

    std::string folder_;
};
