// Windows: the file calls the settings need, on UTF-8 paths that are handed to the system as
// UTF-16, so that a user folder with letters outside the ANSI code page works.
#pragma once

#ifdef _WIN32

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace winfiles
{

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The user's roaming application data folder (%APPDATA%) and the local one (%LOCALAPPDATA%),
// without a trailing separator: the environment's value when it names an absolute folder, else
// the shell's known folder. Empty when neither gives one.
std::string RoamingDataFolder();
std::string LocalDataFolder();

// The whole file; empty when it is missing, nullopt when something is there that cannot be read
// as a file (a folder, no permission, an I/O error) or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes);

// Creates the folder of the file at `path` and its missing parents; false where it cannot.
bool MakeParentFolders(const std::string& path);

// Replaces the file at `path` with `text` so that a reader sees the old file or the new one,
// never a part: the text goes to a temporary file in the same folder, reaches the disk, and is
// moved over the old one. Creates the folder and its missing parents. False on any failure,
// with the old file as it was. With the writers' lock held, the temporary files of killed
// writes are removed first.
bool ReplaceWholeFile(const std::string& path, std::string_view text, bool writersLockHeld);

enum class Created
{
    Yes,
    Exists, // nothing written: a file has the name, or took it while this one was written
    Failed,
};

// As ReplaceWholeFile, for a name that no file may have yet: the move that gives the new file
// its name fails where the name is taken, so that of two writers wanting one name at the same
// moment one gets it and the other hears Exists, and neither file is lost.
Created CreateWholeFile(const std::string& path, std::string_view text);

} // namespace winfiles

#endif
