// A private settings folder for a test: a fresh temporary folder whose "config" folder is
// XDG_CONFIG_HOME while the object lives; the variable is restored and the folder removed after.
#pragma once

#include "settings/IniFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include <sys/stat.h>

namespace testsupport
{

// Restores one environment variable to what it was.
class EnvGuard
{
public:
    explicit EnvGuard(const char* name) : name_(name)
    {
        if (const char* value = std::getenv(name))
            saved_ = value;
    }
    ~EnvGuard()
    {
        if (saved_)
            ::setenv(name_, saved_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

class TempConfig
{
public:
    TempConfig()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zorbel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        root_ = pattern;
        ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    }
    ~TempConfig()
    {
        // A test may leave a folder without write permission behind a failure.
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_, ignored))
            if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
                ::chmod(entry.path().c_str(), 0700);
        std::filesystem::remove_all(root_, ignored);
    }
    TempConfig(const TempConfig&) = delete;
    TempConfig& operator=(const TempConfig&) = delete;

    // The temporary folder; the settings file lies in its "config/zorbel2".
    const std::filesystem::path& Root() const { return root_; }

    static std::string IniPath() { return ConfigFilePath(); }
    static bool FileExists() { return std::filesystem::exists(IniPath()); }
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
    EnvGuard xdg_{"XDG_CONFIG_HOME"};
    std::filesystem::path root_;
};

} // namespace testsupport
