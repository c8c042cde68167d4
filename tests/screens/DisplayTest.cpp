// The display choice: [Display] and the command line, and what reaches the settings file.
#include "screens/Display.h"

#include "ScreenTestEnv.h"

#include <gtest/gtest.h>

namespace
{

using screentest::TempConfig;

class DisplayTest : public screentest::ScreenTest
{
protected:
    TIniFile ini{TempConfig::IniPath()};
};

TEST_F(DisplayTest, TheFileChoosesTheCommandLineOverridesAndNonsenseIsRefused)
{
    ini.WriteString("Display", "Scale", "2.1");
    ini.WriteString("Display", "Fullscreen", "0");
    DisplayChoice choice = ReadDisplayChoice(ini);
    EXPECT_EQ(choice.scale, 2.0) << "quarter steps";
    EXPECT_FALSE(choice.fullscreen);
    const char* args[] = {"--fullscreen", "--scale", "auto", "--scale", "9"};
    ApplyCommandLine(choice, std::span<char* const>(const_cast<char**>(args), 3));
    EXPECT_TRUE(choice.fullscreen);
    EXPECT_EQ(choice.scale, 0.0);
    EXPECT_THROW(ApplyCommandLine(choice, std::span<char* const>(const_cast<char**>(args) + 3, 2)),
                 std::invalid_argument);
}

TEST_F(DisplayTest, OnlyAChangeOfDisplayReachesTheFileAndNothingElseMoves)
{
    ini.WriteString("Main", "Skill", "4");
    const std::string before = TempConfig::FileText();
    app.SetFullscreen(false);
    SaveDisplayChoice(ini, app);
    const std::string after = TempConfig::FileText();
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_FALSE(ReadDisplayChoice(ini).fullscreen);
    EXPECT_EQ(ReadDisplayChoice(ini).width, 768) << "three quarters of the desktop";

    // The same choice again leaves the file alone: it is not even replaced.
    std::filesystem::create_hard_link(TempConfig::IniPath(), TempConfig::IniPath() + ".link");
    SaveDisplayChoice(ini, app);
    EXPECT_EQ(std::filesystem::hard_link_count(TempConfig::IniPath()), 2u);
    EXPECT_EQ(TempConfig::FileText(), after);
}

} // namespace
