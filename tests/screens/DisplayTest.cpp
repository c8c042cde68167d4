// The display choice: [Display] and the command line, and what reaches the settings file.
#include "screens/Display.h"

#include "ScreenTestEnv.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{

using screentest::TempConfig;

class DisplayTest : public screentest::ScreenTest
{
protected:
    static void WriteFile(const std::string& text)
    {
        std::filesystem::create_directories(
            std::filesystem::path(TempConfig::IniPath()).parent_path());
        std::ofstream(TempConfig::IniPath(), std::ios::binary) << text;
    }
    TIniFile ini{TempConfig::IniPath()};
};

TEST_F(DisplayTest, TheFileChoosesAndTheCommandLineOverrides)
{
    WriteFile("[Main]\nSkill=4\n[Display]\nScale=2.1\nFullscreen=0\nWidth=1000\nHeight=700\n");
    DisplayChoice choice = ReadDisplayChoice(ini);
    EXPECT_EQ(choice.scale, 2.0) << "quarter steps";
    EXPECT_FALSE(choice.fullscreen);
    EXPECT_EQ(choice.width, 1000);
    EXPECT_EQ(choice.height, 700);

    const char* args[] = {"--fullscreen", "--scale", "auto"};
    ApplyCommandLine(choice, std::span<char* const>(const_cast<char**>(args), 3));
    EXPECT_TRUE(choice.fullscreen);
    EXPECT_EQ(choice.scale, 0.0);

    for (const char* bad : {"9", "0.5", "x", ""})
    {
        const char* scaleArgs[] = {"--scale", bad};
        EXPECT_THROW(
            ApplyCommandLine(choice, std::span<char* const>(const_cast<char**>(scaleArgs), 2)),
            std::invalid_argument)
            << bad;
    }
    WriteFile("[Display]\nScale=12\nWidth=5\nHeight=5\n");
    choice = ReadDisplayChoice(ini);
    EXPECT_EQ(choice.scale, 0.0) << "out of range is automatic";
    EXPECT_TRUE(choice.fullscreen);
    EXPECT_EQ(choice.width, 0) << "no window that small was ever chosen";
}

TEST_F(DisplayTest, OnlyAChangeOfDisplayReachesTheFileAndNothingElseMoves)
{
    const std::string before = "[Main]\nSkill=4\n[Keys]\nLeftKey=65\n";
    WriteFile(before);
    app.SetFullscreen(false);
    SaveDisplayChoice(ini, app);
    const std::string after = TempConfig::FileText();
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_EQ(ReadDisplayChoice(ini).fullscreen, false);

    EXPECT_EQ(ReadDisplayChoice(ini).width, 768) << "three quarters of the desktop";

    // The same choice again leaves the file alone: it is not even replaced.
    const auto inode = std::filesystem::hard_link_count(TempConfig::IniPath());
    std::filesystem::create_hard_link(TempConfig::IniPath(), TempConfig::IniPath() + ".link");
    SaveDisplayChoice(ini, app);
    EXPECT_EQ(std::filesystem::hard_link_count(TempConfig::IniPath()), inode + 1);
    EXPECT_EQ(TempConfig::FileText(), after);
}

} // namespace
