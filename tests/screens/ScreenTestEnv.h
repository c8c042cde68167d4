// Shared set-up of the screen tests: a private settings folder, a headless application and the
// screen registry, with handler errors recorded instead of shown.
#pragma once

#include "screens/Screens.h"
#include "settings/IniFile.h"
#include "ui/Application.h"
#include "ui/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace screentest
{

// Points XDG_CONFIG_HOME at a fresh temporary folder for its lifetime, then restores it and
// removes the folder.
class TempConfig
{
public:
    TempConfig()
    {
        if (const char* value = std::getenv("XDG_CONFIG_HOME"))
            saved_ = value;
        std::string templ =
            (std::filesystem::temp_directory_path() / "zorbel-screens-XXXXXX").string();
        if (::mkdtemp(templ.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        root_ = templ;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    ~TempConfig()
    {
        if (saved_)
            ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempConfig(const TempConfig&) = delete;
    TempConfig& operator=(const TempConfig&) = delete;

    static std::string IniPath() { return ConfigFilePath(); }
    static bool FileExists() { return std::filesystem::exists(IniPath()); }
    static std::string FileText()
    {
        std::ifstream in(IniPath(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path root_;
    std::optional<std::string> saved_;
};

// Points the program directory at the build folder's game files (ZORBEL_PROGRAM_DIR, set by
// CTest) for its lifetime, so that the screens load the worm pictures as the game does.
class ProgramDirForTest
{
public:
    ProgramDirForTest() : saved_(ui::ProgramDirectory())
    {
        if (const char* dir = std::getenv("ZORBEL_PROGRAM_DIR"); dir != nullptr && *dir != '\0')
            ui::SetProgramDirectory(dir);
    }
    ~ProgramDirForTest() { ui::SetProgramDirectory(saved_); }
    ProgramDirForTest(const ProgramDirForTest&) = delete;
    ProgramDirForTest& operator=(const ProgramDirForTest&) = delete;

private:
    std::string saved_;
};

// The headless application and the registry; a derived fixture declares the screens it needs
// as members, so they are built after these and destroyed before them.
class ScreenTest : public ::testing::Test
{
protected:
    ScreenTest()
    {
        app.ErrorHandler = [this](const std::string& message)
        {
            errors.push_back(message);
        };
    }
    void TearDown() override { EXPECT_TRUE(errors.empty()) << errors.front(); }

    // Key codes for a text of upper-case letters, digits and spaces.
    void Type(const std::string& text)
    {
        for (const char c : text)
            app.KeyDown(static_cast<unsigned char>(c));
    }
    void PostType(const std::string& text)
    {
        for (const char c : text)
            app.PostKey(static_cast<unsigned char>(c));
    }

    TempConfig config;
    ProgramDirForTest programDir;
    ui::Application app{ui::Application::Options{.headless = true}};
    Screens screens{app};
    std::vector<std::string> errors;
};

} // namespace screentest
