// The settings tests' support: a private settings folder per test with the settings file's text,
// identity and folder as they stand, the message a failed write raises, and records tables whose
// every value tells which save wrote it.
#pragma once

#include "settings/IniFile.h"
#include "support/TempConfig.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "settings/WindowsFiles.h"
#include <windows.h>
#else
#include "support/FileSizeLimit.h"
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace settingstest
{

namespace fs = std::filesystem;

#ifndef _WIN32
using testsupport::FileSizeLimit;
#endif

inline std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The message of the EIniFileException that call raises; empty when it raises none.
template <typename Call> std::string WriteError(Call&& call)
{
    try
    {
        call();
    }
    catch (const EIniFileException& e)
    {
        return e.what();
    }
    return "";
}

class ConfigFolderTest : public ::testing::Test
{
protected:
    fs::path Dir() const { return fs::path(path_).parent_path(); }
    std::string FileText() const { return ReadText(path_); }
    void SetFileText(const std::string& text) const
    {
        fs::create_directories(Dir());
        WriteText(path_, text);
    }

    // A replacement puts a new file under the name: a new inode, on Windows a new file index.
    // 0 when there is no file.
    unsigned long long Inode() const
    {
#ifdef _WIN32
        const HANDLE file = ::CreateFileW(winfiles::Wide(path_).c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known =
            file != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(file, &info) != 0;
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
        return known ? (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
                           info.nFileIndexLow
                     : 0;
#else
        struct stat st
        {
        };
        return ::lstat(path_.c_str(), &st) == 0 ? st.st_ino : 0;
#endif
    }

    // The writers' lock file beside the settings file; it stays once made.
    std::string LockPath() const
    {
        return path_ + ".lock";
    }

    // The folder's entries, sorted.
    std::vector<std::string> DirEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The same without the lock file, which a failed write may or may not have made.
    std::vector<std::string> EntriesButLock() const
    {
        std::vector<std::string> names = DirEntries();
        std::erase(names, fs::path(LockPath()).filename().string());
        return names;
    }

    testsupport::TempConfig config_;
    const fs::path& root_ = config_.Root();
    std::string path_ = ConfigFilePath();
};

// The end-of-game update's shape: all seven slots of one level in the five record sections.
// Every value carries gen, so that a reader can tell which save it belongs to.
inline void WriteRecordsTable(TIniFile& ini, int level, long gen)
{
    const std::string g = std::to_string(gen);
    for (int slot = 1; slot <= 7; ++slot)
    {
        const std::string key = std::to_string(level) + std::to_string(slot);
        ini.WriteString("HiNames", "name" + key, "PLAYER " + g + " " + std::to_string(slot));
        ini.WriteString("HiScores", "score" + key, g);
        ini.WriteString("HiGames", "games" + key, std::to_string(gen + slot));
        ini.WriteString("HiEaten", "eaten" + key, std::to_string(gen + 2 * slot));
        ini.WriteString("HiAverage", "average" + key, g + ",0" + std::to_string(slot));
    }
}

// The generation of each of the 35 values of a level's table, as found in the file; -1 for a
// value that is missing or not of the shape WriteRecordsTable gives.
inline std::vector<long> TableGenerations(const TIniFile& ini, int level)
{
    const auto number = [](const std::string& text) -> long
    {
        if (text.empty() || text.size() > 15 ||
            text.find_first_not_of("0123456789") != std::string::npos)
        {
            return -1;
        }
        return std::stol(text);
    };
    std::vector<long> gens;
    for (int slot = 1; slot <= 7; ++slot)
    {
        const std::string key = std::to_string(level) + std::to_string(slot);
        const std::string s = std::to_string(slot);
        std::string name = ini.ReadString("HiNames", "name" + key, "");
        const std::string prefix = "PLAYER ";
        const std::string suffix = " " + s;
        if (name.starts_with(prefix) && name.ends_with(suffix) &&
            name.size() > prefix.size() + suffix.size())
        {
            gens.push_back(
                number(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size())));
        }
        else
        {
            gens.push_back(-1);
        }
        gens.push_back(number(ini.ReadString("HiScores", "score" + key, "")));
        const long games = number(ini.ReadString("HiGames", "games" + key, ""));
        gens.push_back(games < 0 ? -1 : games - slot);
        const long eaten = number(ini.ReadString("HiEaten", "eaten" + key, ""));
        gens.push_back(eaten < 0 ? -1 : eaten - 2 * slot);
        const std::string average = ini.ReadString("HiAverage", "average" + key, "");
        const std::string tail = ",0" + s;
        gens.push_back(
            average.ends_with(tail) ? number(average.substr(0, average.size() - tail.size())) : -1);
    }
    return gens;
}

} // namespace settingstest
