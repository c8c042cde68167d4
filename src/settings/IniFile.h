// The settings file object: an INI file read and written with private-profile semantics.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class FileLock;

// Raised by every failed write; what() is "Unable to write to <bare file name>".
class EIniFileException final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

namespace settings
{
// The blanks the reader strips around section names, key names and values: C's isspace in the
// "C" locale, whatever the program's locale.
bool IsSpace(char c);
// s without those blanks at either end.
std::string_view Trim(std::string_view s);
} // namespace settings

// "<$XDG_CONFIG_HOME or ~/.config>/zorbel2/Zorbel2.ini": the one settings file of this user;
// empty when the user has no home folder, never a path in the folder the game was started from.
std::string ConfigFilePath();

class TIniFile final
{
public:
    class Batch;
    class Snapshot;

    // A file larger than this is damaged or not the game's: it reads as one that cannot be read.
    static constexpr std::size_t kMaxFileSize = 1024 * 1024;

    // Stores the path only; the file is touched by the first read or write. An empty path stands
    // for the settings file of a user without a home folder: it reads as missing, and writes
    // raise a message that says why.
    explicit TIniFile(std::string path);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    [[nodiscard]] const std::string& FileName() const { return path_; }

    // Section and key names match without regard to ASCII case. The value comes back trimmed,
    // without one pair of enclosing quotes, cut at a NUL and at 1023 characters; a missing file,
    // section or key gives defaultValue. Reads never fail.
    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue) const;
    // Every key of the section with its value as ReadString gives it, in the file's order: the
    // keys that reads find, so of two spelt alike (ignoring case) only the first.
    [[nodiscard]] std::vector<std::pair<std::string, std::string>>
    ReadSectionValues(std::string_view section) const;
    // Replaces the whole file at once (or, in a batch, the batch's copy), reading it afresh under
    // the writers' lock, so that a write by another copy of the game is kept. A value that begins
    // or ends with a space, or is enclosed in quotes, is stored in double quotes so that it reads
    // back exactly. A new section or key
    // keeps the letter case of this call; an existing one keeps its own. A value stops at its
    // first line break. Throws EIniFileException, leaving the previous file as it was. Like an
    // editor's save, the replacement goes through the folder, so a read-only file is replaced
    // (owner-only again); a file that is there but cannot be read is never replaced.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Decimal with optional sign, "$" hexadecimal, or "0x"/"0X" hexadecimal (32-bit pattern,
    // so 0xFFFFFFFF is -1); empty, malformed or out-of-range text gives defaultValue.
    [[nodiscard]] int ReadInteger(std::string_view section, std::string_view key,
                                  int defaultValue) const;
    void WriteInteger(std::string_view section, std::string_view key, int value);

private:
    class Document;

    [[nodiscard]] Document Load() const;
    // Taken before the file is read for a change and held until its replacement is in place.
    [[nodiscard]] std::unique_ptr<FileLock> LockForChange() const;
    void Store(const Document& doc, const FileLock& lock) const;

    std::string path_;
    std::unique_ptr<Document> batch_;
    std::unique_ptr<FileLock> batchLock_;
    // Reads only: a snapshot changes what reads see, never the file.
    mutable std::unique_ptr<Document> snapshot_;
};

// Several writes reaching the file as one atomic replacement. While a batch is open, reads and
// writes of its file object use a copy loaded when the batch opened; Commit() replaces the file
// once. A batch left without Commit() (an exception on the way) writes nothing. Batches do not
// nest. An open batch holds the writers' lock, so other writers of the file, in this process or
// another, wait until it closes: keep it short.
class TIniFile::Batch final
{
public:
    explicit Batch(TIniFile& ini);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Writes the file if anything was written in the batch, and closes the batch either way.
    // Throws EIniFileException when the file cannot be replaced.
    void Commit();

private:
    TIniFile* ini_;
};

// Several reads from one reading of the file, so that they see one version of it: while a
// snapshot is open, reads of its file object use a copy loaded when it opened. It takes no lock.
// Inside a batch, or inside another snapshot, it changes nothing. Writes are not for the time it
// is open: reads would not see them.
class TIniFile::Snapshot final
{
public:
    explicit Snapshot(const TIniFile& ini);
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

private:
    const TIniFile* ini_ = nullptr; // null when it loaded nothing
};
