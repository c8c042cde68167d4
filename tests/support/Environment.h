// The tests' one way to change the environment for a while, and the one reading of where the
// build put the game's files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace testsupport
{

#ifdef _WIN32
// The variable that names the folder the settings folder is made in.
inline constexpr const char* kConfigVariable = "APPDATA";
inline constexpr const char* kDataVariable = "LOCALAPPDATA";
inline void SetEnv(const char* name, const std::string& value)
{
    ::_putenv_s(name, value.c_str());
}
// An empty value removes the variable on Windows.
inline void UnsetEnv(const char* name)
{
    ::_putenv_s(name, "");
}
#else
inline constexpr const char* kConfigVariable = "XDG_CONFIG_HOME";
inline constexpr const char* kDataVariable = "XDG_DATA_HOME";
inline void SetEnv(const char* name, const std::string& value)
{
    ::setenv(name, value.c_str(), 1);
}
inline void UnsetEnv(const char* name)
{
    ::unsetenv(name);
}
#endif

// Puts an environment variable back as it was when the guard was made; given a value, the
// variable holds it meanwhile, and given std::nullopt it is removed meanwhile.
class EnvGuard
{
public:
    explicit EnvGuard(const char* name) : name_(name)
    {
        if (const char* value = std::getenv(name))
            saved_ = value;
    }
    EnvGuard(const char* name, const std::optional<std::string>& value) : EnvGuard(name)
    {
        if (value)
            SetEnv(name, *value);
        else
            UnsetEnv(name);
    }
    ~EnvGuard()
    {
        if (saved_)
            SetEnv(name_, *saved_);
        else
            UnsetEnv(name_);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// The build folder's game files (the worm pictures, the music), which CTest names in
// ZORBEL_PROGRAM_DIR; empty when the tests run without it.
inline const std::filesystem::path& BuiltProgramFolder()
{
    static const std::filesystem::path folder = []
    {
        const char* dir = std::getenv("ZORBEL_PROGRAM_DIR");
        return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path();
    }();
    return folder;
}

} // namespace testsupport
