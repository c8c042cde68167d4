#include "settings/IniFile.h"

#include "platform/UserFolders.h"
#include "settings/FileLock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#ifdef _WIN32
#include "settings/WindowsFiles.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace settings
{

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front()))
    {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back()))
    {
        s.remove_suffix(1);
    }
    return s;
}

} // namespace settings

namespace
{

using settings::IsSpace;
using settings::Trim;

constexpr std::size_t kMaxValueLength = 1023;
constexpr const char* kNoHomeFolder =
    "Unable to write to Zorbel2.ini: there is no home folder to keep it in";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: the result must not depend on the process locale.
bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::optional<int> ParseProfileInteger(std::string_view s)
{
    bool negative = false;
    bool hex = false;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    {
        hex = true;
        s.remove_prefix(2);
    }
    else
    {
        if (!s.empty() && (s[0] == '+' || s[0] == '-'))
        {
            negative = s[0] == '-';
            s.remove_prefix(1);
        }
        if (!s.empty() && s[0] == '$')
        {
            hex = true;
            s.remove_prefix(1);
        }
    }
    if (s.empty())
    {
        return std::nullopt;
    }

    // Hexadecimal spells a 32-bit pattern (0xFFFFFFFF is -1); decimal must fit the signed range.
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    const unsigned base = hex ? 16 : 10;
    std::uint64_t value = 0;
    for (char c : s)
    {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
        {
            digit = static_cast<unsigned>(c - '0');
        }
        else if (hex && AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f')
        {
            digit = static_cast<unsigned>(AsciiLower(c) - 'a' + 10);
        }
        else
        {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > limit)
        {
            return std::nullopt;
        }
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative)
    {
        bits = ~bits + 1u;
    }
    return static_cast<int>(static_cast<std::int32_t>(bits));
}

// A stored value as reads give it. The value as a C string in a 1024-byte buffer gives it: up
// to a NUL, one pair of matching quotes removed, at most 1023 characters.
std::string ReadValue(std::string_view value)
{
    value = value.substr(0, value.find('\0'));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
    {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kMaxValueLength));
}

#ifdef _WIN32
using winfiles::ReadWholeFile;
#else
// Creates dir and its missing parents, owner-only.
bool MakeDirectories(const std::filesystem::path& dir)
{
    struct stat st
    {
    };
    if (::stat(dir.c_str(), &st) == 0)
    {
        return S_ISDIR(st.st_mode);
    }
    if (errno != ENOENT)
    {
        return false;
    }
    const std::filesystem::path parent = dir.parent_path();
    if (!parent.empty() && parent != dir && !MakeDirectories(parent))
    {
        return false;
    }
    if (::mkdir(dir.c_str(), 0700) == 0)
    {
        return true;
    }
    return errno == EEXIST && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty())
    {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The whole file; empty when it is missing, nullopt when something is there that cannot be read
// as a file (a folder, a pipe, no permission, an I/O error) or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes)
{
    // Non-blocking, so that a pipe in the file's place cannot hang the reader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
    {
        if (errno == ENOENT || errno == ENOTDIR)
        {
            return std::string();
        }
        return std::nullopt;
    }
    std::optional<std::string> content;
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::uintmax_t>(st.st_size) <= maxBytes)
    {
        content.emplace();
        std::array<char, 65536> buffer{};
        for (;;)
        {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
            {
                continue;
            }
            if (n <= 0)
            {
                if (n < 0)
                {
                    content.reset();
                }
                break;
            }
            content->append(buffer.data(), static_cast<std::size_t>(n));
            // A file that grows while it is read is held to the same bound.
            if (content->size() > maxBytes)
            {
                content.reset();
                break;
            }
        }
    }
    ::close(fd);
    return content;
}

// Temporary files of writes that never reached their rename because the process died: the same
// name pattern as mkstemp gives ours. Called only while holding the writers' lock, when no live
// writer can own one.
void RemoveStaleTemporaries(int dirFd, const std::string& prefix)
{
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (listing == nullptr)
    {
        if (listFd >= 0)
        {
            ::close(listFd);
        }
        return;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(listing))
    {
        const std::string_view name(entry->d_name);
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
        {
            stale.emplace_back(name);
        }
    }
    ::closedir(listing);
    for (const std::string& name : stale)
    {
        ::unlinkat(dirFd, name.c_str(), 0);
    }
}

// Closes the descriptor it holds.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
        {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int Get() const { return fd_; }

private:
    int fd_;
};
#endif

} // namespace

// The file as lines, kept byte for byte so that a rewrite changes only the line it must.
class TIniFile::Document
{
public:
    // nullopt: the file is there but could not be read; it reads as empty and is not replaced.
    explicit Document(const std::optional<std::string>& file) : readable(file.has_value())
    {
        std::string_view content = file ? std::string_view(*file) : std::string_view();
        if (content.starts_with(kBom))
        {
            bom_ = true;
            content.remove_prefix(kBom.size());
        }
        while (!content.empty())
        {
            const std::size_t end = content.find('\n');
            std::string_view text = content.substr(0, end);
            std::string eol;
            if (end != std::string_view::npos)
            {
                eol = "\n";
                if (text.ends_with('\r'))
                {
                    text.remove_suffix(1);
                    eol = "\r\n";
                }
                content.remove_prefix(end + 1);
            }
            else
            {
                content = {};
            }
            if (newline_.empty() && !eol.empty())
            {
                newline_ = eol;
            }
            lines_.push_back(MakeLine(std::string(text), std::move(eol)));
        }
        if (newline_.empty())
        {
            newline_ = "\n";
        }
    }

    // The trimmed value of the first such key in the first such section.
    [[nodiscard]] const std::string* Find(std::string_view section, std::string_view key) const
    {
        section = Trim(section);
        key = Trim(key);
        bool inSection = false;
        for (const Line& line : lines_)
        {
            if (line.kind == Kind::Header)
            {
                if (inSection)
                {
                    return nullptr;
                }
                inSection = SameName(line.name, section);
            }
            else if (inSection && line.kind == Kind::Entry && SameName(line.name, key))
            {
                return &line.value;
            }
        }
        return nullptr;
    }

    // The entries of the first such section that Find finds, in order.
    [[nodiscard]] std::vector<std::pair<std::string_view, std::string_view>>
    Entries(std::string_view section) const
    {
        section = Trim(section);
        std::vector<std::pair<std::string_view, std::string_view>> entries;
        std::unordered_set<std::string> seen;
        bool inSection = false;
        for (const Line& line : lines_)
        {
            if (line.kind == Kind::Header)
            {
                if (inSection)
                {
                    break;
                }
                inSection = SameName(line.name, section);
            }
            else if (inSection && line.kind == Kind::Entry)
            {
                std::string folded = line.name;
                std::transform(folded.begin(), folded.end(), folded.begin(), AsciiLower);
                if (seen.insert(std::move(folded)).second)
                {
                    entries.emplace_back(line.name, line.value);
                }
            }
        }
        return entries;
    }

    void Set(std::string_view section, std::string_view key, std::string_view value)
    {
        section = Trim(section);
        key = Trim(key);
        const auto header =
            std::find_if(lines_.begin(), lines_.end(),
                         [&](const Line& line)
                         { return line.kind == Kind::Header && SameName(line.name, section); });
        if (header == lines_.end())
        {
            Append("[" + std::string(section) + "]", lines_.size());
            Append(std::string(key) + "=" + std::string(value), lines_.size());
            changed = true;
            return;
        }
        std::size_t insertAt = static_cast<std::size_t>(header - lines_.begin()) + 1;
        for (std::size_t i = insertAt; i < lines_.size() && lines_[i].kind != Kind::Header; ++i)
        {
            Line& line = lines_[i];
            if (line.kind == Kind::Entry && SameName(line.name, key))
            {
                // A batch that stores what the file holds already leaves the file alone.
                std::string text = line.name + "=" + std::string(value);
                if (text != line.text)
                {
                    line = MakeLine(std::move(text), std::move(line.eol));
                    changed = true;
                }
                return;
            }
            // New keys go after the section's last non-blank line, before blank separators.
            if (!Trim(line.text).empty())
            {
                insertAt = i + 1;
            }
        }
        Append(std::string(key) + "=" + std::string(value), insertAt);
        changed = true;
    }

    [[nodiscard]] std::string Text() const
    {
        std::string text(bom_ ? kBom : std::string_view{});
        for (const Line& line : lines_)
        {
            text += line.text;
            text += line.eol;
        }
        return text;
    }

    bool changed = false;
    const bool readable;

private:
    enum class Kind
    {
        Other,
        Header,
        Entry
    };

    struct Line
    {
        std::string text;
        std::string eol;
        Kind kind = Kind::Other;
        std::string name;
        std::string value;
    };

    static Line MakeLine(std::string text, std::string eol)
    {
        Line line;
        line.text = std::move(text);
        line.eol = std::move(eol);
        const std::string_view t = Trim(line.text);
        const std::size_t close = t.rfind(']');
        if (t.starts_with('[') && close != std::string_view::npos)
        {
            line.kind = Kind::Header;
            line.name = Trim(t.substr(1, close - 1));
        }
        else if (!t.starts_with(';'))
        {
            const std::size_t eq = t.find('=');
            if (eq != std::string_view::npos)
            {
                line.kind = Kind::Entry;
                line.name = Trim(t.substr(0, eq));
                line.value = Trim(t.substr(eq + 1));
            }
        }
        return line;
    }

    void Append(std::string text, std::size_t at)
    {
        if (at > 0 && lines_[at - 1].eol.empty())
        {
            lines_[at - 1].eol = newline_;
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      MakeLine(std::move(text), newline_));
    }

    std::vector<Line> lines_;
    bool bom_ = false;
    std::string newline_;
};

#ifndef _WIN32
std::string ConfigFilePath()
{
    const std::string base = platform::UserFolder("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : (std::filesystem::path(base) / "zorbel2" / "Zorbel2.ini").string();
}
#endif

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {}

TIniFile::~TIniFile() = default;

TIniFile::Document TIniFile::Load() const
{
    if (path_.empty())
    {
        return Document(std::string());
    }
    return Document(ReadWholeFile(path_, kMaxFileSize));
}

std::unique_ptr<FileLock> TIniFile::LockForChange() const
{
    if (path_.empty())
    {
        return std::make_unique<FileLock>();
    }
    // The lock file lives beside the settings file, so the folder is made first; where it cannot
    // be, the write that follows fails anyway.
#ifdef _WIN32
    winfiles::MakeParentFolders(path_);
#else
    const std::filesystem::path path(path_);
    MakeDirectories(path.has_parent_path() ? path.parent_path() : ".");
#endif
    return std::make_unique<FileLock>(path_ + ".lock");
}

#ifdef _WIN32
void TIniFile::Store(const Document& doc, const FileLock& lock) const
{
    if (path_.empty())
    {
        throw EIniFileException(kNoHomeFolder);
    }
    // Replacing a file that could not be read would throw away everything in it.
    if (!doc.readable || !winfiles::ReplaceWholeFile(path_, doc.Text(), lock.Held()))
    {
        const std::size_t slash = path_.find_last_of("\\/");
        throw EIniFileException("Unable to write to " +
                                (slash == std::string::npos ? path_ : path_.substr(slash + 1)));
    }
}
#else
void TIniFile::Store(const Document& doc, const FileLock& lock) const
{
    if (path_.empty())
    {
        throw EIniFileException(kNoHomeFolder);
    }
    const std::filesystem::path path(path_);
    const auto fail = [&]
    {
        throw EIniFileException("Unable to write to " + path.filename().string());
    };

    // Replacing a file that could not be read would throw away everything in it.
    if (!doc.readable)
    {
        fail();
    }

    const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
    if (!MakeDirectories(dir))
    {
        fail();
    }

    // While the writers' lock is held, the temporary files found are leftovers of killed writes.
    // Where it could not be had the write goes on without the clean-up.
    const std::string tempPrefix = "." + path.filename().string() + ".";
    const FileDescriptor dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lock.Held() && dirFd.Get() >= 0)
    {
        RemoveStaleTemporaries(dirFd.Get(), tempPrefix);
    }

    // A temporary file in the same folder, renamed over the old one: a reader sees the old file
    // or the new one, never a part, and a failure on the way leaves the old one as it was.
    std::string temp = (dir / (tempPrefix + "XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
    {
        fail();
    }
    const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, doc.Text()) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path_.c_str()) != 0)
    {
        ::unlink(temp.c_str());
        fail();
    }

    // Makes the rename itself durable; the new file is in place either way.
    if (dirFd.Get() >= 0)
    {
        ::fsync(dirFd.Get());
    }
}
#endif

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const
{
    std::optional<Document> loaded;
    const Document& doc = batch_ ? *batch_ : snapshot_ ? *snapshot_ : loaded.emplace(Load());
    const std::string* stored = doc.Find(section, key);
    if (stored == nullptr)
    {
        return std::string(defaultValue);
    }
    return ReadValue(*stored);
}

std::vector<std::pair<std::string, std::string>>
TIniFile::ReadSectionValues(std::string_view section) const
{
    std::optional<Document> loaded;
    const Document& doc = batch_ ? *batch_ : snapshot_ ? *snapshot_ : loaded.emplace(Load());
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [key, value] : doc.Entries(section))
    {
        values.emplace_back(std::string(key), ReadValue(value));
    }
    return values;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    // A line break would split the entry and plant whatever follows as lines of their own.
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    // The reader trims values and strips one pair of quotes, so a value that begins or ends
    // with a space (a name typed so), or that is itself quoted, goes in quotes to read back
    // exactly as given.
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    std::string stored;
    if (!value.empty() && (IsSpace(value.front()) || IsSpace(value.back()) || quoted))
    {
        stored = "\"" + std::string(value) + "\"";
        value = stored;
    }
    if (batch_)
    {
        batch_->Set(section, key, value);
        return;
    }
    // Read under the lock, so that no other writer's change lands between the read and the rename.
    const std::unique_ptr<FileLock> lock = LockForChange();
    Document doc = Load();
    doc.Set(section, key, value);
    Store(doc, *lock);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    return ParseProfileInteger(ReadString(section, key, "")).value_or(defaultValue);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

TIniFile::Batch::Batch(TIniFile& ini) : ini_(&ini)
{
    if (ini.batch_)
    {
        throw std::logic_error("TIniFile batches do not nest");
    }
    ini.batchLock_ = ini.LockForChange();
    try
    {
        ini.batch_ = std::make_unique<Document>(ini.Load());
    }
    catch (...)
    {
        ini.batchLock_.reset();
        throw;
    }
}

TIniFile::Batch::~Batch()
{
    if (ini_ != nullptr)
    {
        ini_->batch_.reset();
        ini_->batchLock_.reset();
    }
}

void TIniFile::Batch::Commit()
{
    if (ini_ == nullptr)
    {
        return;
    }
    // Closed before storing, so a failed store leaves no batch open behind the exception.
    TIniFile& ini = *ini_;
    ini_ = nullptr;
    const std::unique_ptr<FileLock> lock = std::move(ini.batchLock_);
    const std::unique_ptr<Document> doc = std::move(ini.batch_);
    if (doc->changed)
    {
        ini.Store(*doc, *lock);
    }
}

TIniFile::Snapshot::Snapshot(const TIniFile& ini)
{
    if (ini.batch_ || ini.snapshot_)
    {
        return;
    }
    ini.snapshot_ = std::make_unique<Document>(ini.Load());
    ini_ = &ini;
}

TIniFile::Snapshot::~Snapshot()
{
    if (ini_ != nullptr)
    {
        ini_->snapshot_.reset();
    }
}
