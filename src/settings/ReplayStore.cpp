// The replays folder: file names, atomic writes, the best game per user and level, the last games.
#include "settings/ReplayStore.h"

#include "platform/UserFolders.h"
#include "settings/FileLock.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <sodium.h>

#ifdef _WIN32
#include "settings/WindowsFiles.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

constexpr std::string_view kBestPrefix = "best-";
constexpr std::string_view kLastPrefix = "last-";
constexpr std::size_t kSequenceDigits = 10;
// The last games' numbers run round a circle of ten digits: 0000000000 follows 9999999999.
constexpr std::uint64_t kSequenceNumbers = 10'000'000'000u;
// Temporary files of writes under way; one older than this belongs to a write that was killed.
// Here they are ".zr2-" and six letters; the Windows writer (settings/WindowsFiles_win32.cpp)
// names them "." and the file's name, a point and six letters.
constexpr std::string_view kTemporaryPrefix = ".zr2-";
constexpr std::size_t kWindowsTemporaryLetters = 6;
constexpr auto kStaleTemporary = std::chrono::hours(1);
// Beyond this many characters a user's part of a file name is cut and ends in a hash instead.
constexpr std::size_t kLongestFileName = 96;
constexpr std::size_t kCutFileName = 64;

// A UTF-8 path as the standard library's file calls take it (the ANSI code page on Windows
// would lose letters otherwise).
fs::path Native(const std::string& utf8)
{
#ifdef _WIN32
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
#else
    return fs::path(utf8);
#endif
}

// A long name's stand-in: 128 bits of BLAKE2b over the whole name, the same on every platform and
// far too many for two names to share.
std::string NameHash(std::string_view text)
{
    static constexpr std::size_t kHashBytes = 16;
    static_assert(kHashBytes >= crypto_generichash_BYTES_MIN);
    // The library picks its fastest code here; the hash needs nothing else of it.
    [[maybe_unused]] static const int ready = sodium_init();
    std::array<unsigned char, kHashBytes> hash{};
    crypto_generichash(hash.data(), hash.size(),
                       reinterpret_cast<const unsigned char*>(text.data()), text.size(), nullptr,
                       0);
    std::string hex;
    for (const unsigned char b : hash)
    {
        hex += "0123456789abcdef"[b >> 4];
        hex += "0123456789abcdef"[b & 0xF];
    }
    return hex;
}

// A temporary file of a write to the folder, by either platform's writer.
bool IsTemporary(std::string_view name)
{
    if (name.starts_with(kTemporaryPrefix))
        return true;
    const std::size_t suffix = 1 + kWindowsTemporaryLetters;
    return name.size() > 1 + kReplayExtension.size() + suffix && name.starts_with('.') &&
           name[name.size() - suffix] == '.' &&
           name.substr(0, name.size() - suffix).ends_with(kReplayExtension);
}

// The sequence number of a last game's file name, or nullopt for any other name.
std::optional<std::uint64_t> SequenceOf(std::string_view name)
{
    if (name.size() != kLastPrefix.size() + kSequenceDigits + kReplayExtension.size() ||
        !name.starts_with(kLastPrefix) || !name.ends_with(kReplayExtension))
        return std::nullopt;
    const std::string_view digits = name.substr(kLastPrefix.size(), kSequenceDigits);
    std::uint64_t n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return n;
}

std::string SequenceName(std::uint64_t n)
{
    std::string digits = std::to_string(n);
    digits.insert(0, kSequenceDigits - std::min(kSequenceDigits, digits.size()), '0');
    return std::string(kLastPrefix) + digits + std::string(kReplayExtension);
}

// The numbers in the order they were given round the circle: the newest is the one before the
// largest gap, so that the games after 9999999999 count as newer than it.
void SortByAge(std::vector<std::uint64_t>& numbers)
{
    std::sort(numbers.begin(), numbers.end());
    if (numbers.size() < 2)
        return;
    std::size_t oldest = 0;
    std::uint64_t largestGap = numbers.front() + kSequenceNumbers - numbers.back();
    for (std::size_t i = 1; i < numbers.size(); ++i)
        if (numbers[i] - numbers[i - 1] > largestGap)
        {
            largestGap = numbers[i] - numbers[i - 1];
            oldest = i;
        }
    std::rotate(numbers.begin(), numbers.begin() + static_cast<std::ptrdiff_t>(oldest),
                numbers.end());
}

// The last games' sequence numbers in the folder, oldest first; temporary files of killed
// writes are removed on the way.
std::vector<std::uint64_t> LastGames(const std::string& folder)
{
    std::vector<std::uint64_t> found;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(Native(folder), ec), end; !ec && it != end; it.increment(ec))
    {
        // As UTF-8: a name outside the ANSI code page would throw on Windows otherwise.
        const std::u8string utf8 = it->path().filename().u8string();
        const std::string name(utf8.begin(), utf8.end());
        if (const auto n = SequenceOf(name))
            found.push_back(*n);
        else if (IsTemporary(name))
        {
            std::error_code ignored;
            const auto written = it->last_write_time(ignored);
            if (!ignored && now - written > kStaleTemporary)
                fs::remove(it->path(), ignored);
        }
    }
    SortByAge(found);
    return found;
}

// Whether replay is user's single game at level, as that user's best file must hold.
bool IsBestOf(const engine::Replay& replay, std::string_view user, int level)
{
    return replay.mode == engine::ReplayMode::SingleGame && replay.level == level &&
           replay.players.size() == 1 && replay.players.front().name == user;
}

enum class Written
{
    Yes,
    Exists, // nothing written: the name was taken and was not to be replaced
    Failed,
};

#ifdef _WIN32
Written WriteWholeFile(const std::string&, const std::string& path, std::string_view bytes,
                       bool replace)
{
    if (replace)
        return winfiles::ReplaceWholeFile(path, bytes, false) ? Written::Yes : Written::Failed;
    const winfiles::Created created = winfiles::CreateWholeFile(path, bytes);
    return created == winfiles::Created::Yes      ? Written::Yes
           : created == winfiles::Created::Exists ? Written::Exists
                                                  : Written::Failed;
}
#else
bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty())
    {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// As the settings file is replaced: a temporary file in the same folder reaches the disk and
// takes the name, so that a reader finds the old file or the new one, never a part. A name that
// is not to be replaced is taken by a hard link, which fails where the name exists.
Written WriteWholeFile(const std::string& folder, const std::string& path, std::string_view bytes,
                       bool replace)
{
    std::string temp = folder + kSeparator + std::string(kTemporaryPrefix) + "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Written::Failed;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    Written result = Written::Failed;
    bool renamed = false;
    if (::close(fd) == 0 && written)
    {
        if (replace)
            renamed = ::rename(temp.c_str(), path.c_str()) == 0;
        else if (::link(temp.c_str(), path.c_str()) == 0)
            result = Written::Yes;
        else if (errno == EEXIST)
            result = Written::Exists;
        else if (std::error_code ec; !fs::exists(path, ec) && !ec)
            // A file system without hard links.
            renamed = ::rename(temp.c_str(), path.c_str()) == 0;
    }
    // Once renamed, the temporary name may already be another write's.
    if (renamed)
        result = Written::Yes;
    else
        ::unlink(temp.c_str());
    if (result == Written::Yes)
    {
        // Makes the new name itself durable; the file is in place either way.
        const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0)
        {
            ::fsync(dirFd);
            ::close(dirFd);
        }
    }
    return result;
}
#endif

} // namespace

#ifdef _WIN32
std::string ReplayFolderPath()
{
    const std::string local = winfiles::LocalDataFolder();
    return local.empty() ? std::string() : local + "\\zorbel2\\replays";
}
#else
std::string ReplayFolderPath()
{
    const std::string base = platform::UserFolder("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base + "/zorbel2/replays";
}
#endif

engine::ReplayDecoding ReadReplayFile(const std::string& path)
{
    const engine::ReplayDecoding unreadable{std::nullopt, engine::ReplayError::Unreadable};
    std::error_code ec;
    const fs::path file = Native(path);
    if (!fs::is_regular_file(file, ec))
        return unreadable;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec)
        return unreadable;
    // One byte past the bound is enough for the reader to refuse a file as too large.
    std::vector<std::byte> bytes(
        static_cast<std::size_t>(std::min<std::uintmax_t>(size, engine::kReplayMaxFileBytes + 1)));
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return unreadable;
    return engine::Decode(bytes);
}

ReplayStore::ReplayStore(std::string folder) : folder_(std::move(folder)) {}

std::string ReplayStore::FileNameOf(std::string_view user)
{
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string name;
    // Whole units only, so that a cut name never ends inside an escape.
    std::size_t cut = 0;
    for (const char c : user)
    {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9'))
            name += c;
        else if (b >= 'A' && b <= 'Z')
        {
            // A capital is its small letter marked, so that "Ann" and "ann" differ even where
            // the file system does not tell letter cases apart.
            name += '_';
            name += static_cast<char>(b - 'A' + 'a');
        }
        else
        {
            name += '%';
            name += kHex[b >> 4];
            name += kHex[b & 0xF];
        }
        if (name.size() <= kCutFileName)
            cut = name.size();
    }
    if (name.size() <= kLongestFileName)
        return name;
    // '~' is escaped everywhere else, so a cut name cannot equal a whole one.
    return name.substr(0, cut) + "~" + NameHash(user);
}

std::string ReplayStore::PathOf(std::string_view fileName) const
{
    return folder_ + kSeparator + std::string(fileName);
}

std::string ReplayStore::BestPathOf(std::string_view user, int level) const
{
    return PathOf(std::string(kBestPrefix) + std::to_string(level) + "-" + FileNameOf(user) +
                  std::string(kReplayExtension));
}

std::optional<std::string> ReplayStore::BestGame(std::string_view user, int level) const
{
    if (level < 1 || level > 4 || folder_.empty())
        return std::nullopt;
    std::string path = BestPathOf(user, level);
    std::error_code ec;
    if (!fs::is_regular_file(Native(path), ec))
        return std::nullopt;
    // A file that cannot be read is still offered, so that its reader says why.
    const engine::ReplayDecoding best = ReadReplayFile(path);
    if (best.replay && !IsBestOf(*best.replay, user, level))
        return std::nullopt;
    return path;
}

std::optional<std::string> ReplayStore::LastGame() const
{
    if (folder_.empty())
        return std::nullopt;
    const std::vector<std::uint64_t> games = LastGames(folder_);
    if (games.empty())
        return std::nullopt;
    return PathOf(SequenceName(games.back()));
}

KeptReplay ReplayStore::Keep(const engine::Replay& replay) noexcept
{
    KeptReplay kept;
    try
    {
        std::error_code ec;
        if (folder_.empty())
            return kept;
        fs::create_directories(Native(folder_), ec);
        if (ec)
            return kept;
        const std::vector<std::byte> encoded = engine::Encode(replay);
        const std::string_view bytes(reinterpret_cast<const char*>(encoded.data()), encoded.size());
        // Copies of the game that end games at the same moment take turns: each picks the next
        // free number for its last game and weighs its score against the best game on disk
        // only once the one before has written.
        const FileLock writers(folder_ + ".lock");
        kept.last = KeepLast(bytes);
        kept.best = KeepBest(replay, bytes);
    }
    catch (...)
    {
        // Out of memory or a file system error: that replay is not kept, and the game goes on.
    }
    return kept;
}

bool ReplayStore::KeepLast(std::string_view bytes) const
{
    std::vector<std::uint64_t> games = LastGames(folder_);
    std::uint64_t next = games.empty() ? 1 : games.back() + 1;
    // Where the lock could not be had, another copy of the game may take the same number at the
    // same moment: the next one then.
    Written written = Written::Exists;
    for (int attempt = 0; attempt < 8 && written == Written::Exists; ++attempt, ++next)
    {
        next %= kSequenceNumbers;
        written = WriteWholeFile(folder_, PathOf(SequenceName(next)), bytes, false);
    }
    if (written != Written::Yes)
        return false;

    games = LastGames(folder_);
    std::error_code ignored;
    for (std::size_t i = 0; i + kLastGamesKept < games.size(); ++i)
        fs::remove(Native(PathOf(SequenceName(games[i]))), ignored);
    return true;
}

bool ReplayStore::KeepBest(const engine::Replay& replay, std::string_view bytes) const
{
    if (replay.mode != engine::ReplayMode::SingleGame || replay.level < 1 || replay.level > 4 ||
        replay.players.empty())
        return false;
    const engine::ReplayPlayer& player = replay.players.front();
    const std::string path = BestPathOf(player.name, replay.level);
    std::error_code ec;
    if (fs::exists(Native(path), ec) || ec)
    {
        const engine::ReplayDecoding best = ReadReplayFile(path);
        // A game kept by a later version, or a file that cannot be read now, stays; one that
        // is damaged gives way.
        if (best.error == engine::ReplayError::NewerVersion ||
            best.error == engine::ReplayError::Unreadable)
            return false;
        // Another user's game under this name (put there by hand) is not this user's to
        // replace.
        if (best.replay && (!IsBestOf(*best.replay, player.name, replay.level) ||
                            best.replay->players.front().score >= player.score))
            return false;
    }
    return WriteWholeFile(folder_, path, bytes, true) == Written::Yes;
}
