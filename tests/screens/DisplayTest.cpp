// The display choice: [Display] and the command line, and what reaches the settings file.
#include "screens/Display.h"

#include "ScreenTestEnv.h"

#include <gtest/gtest.h>

namespace
{

using screentest::TempConfig;
using DisplayTest = screentest::ScreenTest;

TEST_F(DisplayTest, TheFileChoosesTheCommandLineOverridesAndOnlyAChangeIsWritten)
{
    TIniFile ini(TempConfig::IniPath());
    ini.WriteString("Display", "Scale", "2.1");
    ini.WriteString("Display", "Fullscreen", "0");
    DisplayChoice choice = ReadDisplayChoice(ini);
    EXPECT_EQ(choice.scale, 2.0) << "quarter steps";
    EXPECT_FALSE(choice.fullscreen);
    const auto apply = [&](std::initializer_list<const char*> args, std::string& replay)
    {
        return ApplyCommandLine(
            choice, replay, std::span<char* const>(const_cast<char**>(args.begin()), args.size()));
    };
    std::string replay;
    apply({"--fullscreen", "--scale", "auto"}, replay);
    EXPECT_TRUE(choice.fullscreen);
    EXPECT_EQ(choice.scale, 0.0);
    EXPECT_TRUE(replay.empty());
    EXPECT_THROW(apply({"--scale", "9"}, replay), std::invalid_argument);

    // A replay by option or, as a file manager opens one, by its name alone; one at most.
    apply({"--replay", "--window"}, replay);
    EXPECT_EQ(replay, "--window");
    replay.clear();
    apply({"--window", "last game.zr2"}, replay);
    EXPECT_EQ(replay, "last game.zr2");
    std::string none;
    EXPECT_THROW(apply({"a.zr2", "--replay", "b.zr2"}, none), std::invalid_argument);
    EXPECT_THROW(apply({"--replay"}, none = ""), std::invalid_argument);
    EXPECT_THROW(apply({"--replay", ""}, none = ""), std::invalid_argument);

    // Switching writes the window's size beside the choice and leaves the rest of the file.
    ini.WriteString("Main", "Skill", "4");
    app.SetFullscreen(true);
    SaveDisplayChoice(ini, app);
    const std::string after = TempConfig::FileText();
    EXPECT_EQ(after, "[Display]\nScale=2.1\nFullscreen=1\nWidth=768\nHeight=576\n[Main]\nSkill=4\n")
        << "the window: three quarters of the desktop";
    // The same choice again leaves the file alone: it is not even replaced.
    std::filesystem::create_hard_link(TempConfig::IniPath(), TempConfig::IniPath() + ".link");
    SaveDisplayChoice(ini, app);
    EXPECT_EQ(std::filesystem::hard_link_count(TempConfig::IniPath()), 2u);
    EXPECT_EQ(TempConfig::FileText(), after);
}

} // namespace
