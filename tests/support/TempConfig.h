// A private settings folder for a test: a fresh temporary folder whose "config" folder is
// XDG_CONFIG_HOME (on Windows %APPDATA%) while the object lives; the variable is restored and the
// folder removed after.
#pragma once

#include "settings/IniFile.h"
#include "support/Environment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <random>
#else
#include <sys/stat.h>
#endif

namespace testsupport
{

class TempConfig
{
public:
    TempConfig()
    {
#ifdef _WIN32
        std::random_device random;
        for (int attempt = 0; root_.empty() && attempt < 100; ++attempt)
        {
            const auto dir = std::filesystem::temp_directory_path() /
                             ("zorbel-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(dir))
                root_ = dir;
        }
        if (root_.empty())
            throw std::runtime_error("cannot make a temporary folder");
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zorbel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        root_ = pattern;
#endif
        SetEnv(kConfigVariable, (root_ / "config").string());
        // The replays kept by the games a test plays stay in the test's folder too.
        SetEnv(kDataVariable, (root_ / "data").string());
    }
    ~TempConfig()
    {
        std::error_code ignored;
#ifndef _WIN32
        // A test may leave a folder without write permission behind a failure.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored))
            if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
                ::chmod(entry.path().c_str(), 0700);
#endif
        std::filesystem::remove_all(root_, ignored);
    }
    TempConfig(const TempConfig&) = delete;
    TempConfig& operator=(const TempConfig&) = delete;

    // The temporary folder; the settings file lies in its "config/zorbel2".
    const std::filesystem::path& Root() const
    {
        return root_;
    }

    static std::string IniPath()
    {
        return ConfigFilePath();
    }
    static bool FileExists()
    {
        return std::filesystem::exists(IniPath());
    }
    static std::string FileText()
    {
        std::ifstream in(IniPath(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The settings file as the game will find it.
    static void WriteIni(const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(IniPath()).parent_path());
        std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << text;
    }

private:
    EnvGuard xdg_{kConfigVariable};
    EnvGuard data_{kDataVariable};
    std::filesystem::path root_;
};

} // namespace testsupport
