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
    // The replay file the arguments name; the display choice is changed on the way.
    NetworkChoice network;
    const auto replayOf = [&](std::initializer_list<const char*> args)
    {
        std::string replay;
        network = {};
        ApplyCommandLine(choice, replay, network,
                         std::span<char* const>(const_cast<char**>(args.begin()), args.size()));
        return replay;
    };
    EXPECT_EQ(replayOf({"--fullscreen", "--scale", "auto"}), "");
    EXPECT_TRUE(choice.fullscreen);
    EXPECT_EQ(choice.scale, 0.0);
    EXPECT_THROW(replayOf({"--scale", "9"}), std::invalid_argument);
    // Between quarter steps: the nearest, said on stderr; a quarter step is taken as it is.
    testing::internal::CaptureStderr();
    replayOf({"--scale", "1.3"});
    EXPECT_EQ(choice.scale, 1.25);
    replayOf({"--scale", "1.5"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zorbel2: scale 1.3 is rounded to the nearest quarter step, 1.25\n");
    // A replay by option or, as a file manager opens one, by its name alone; one at most.
    EXPECT_EQ(replayOf({"--replay", "--window"}), "--window");
    EXPECT_EQ(replayOf({"--window", "last game.zr2"}), "last game.zr2");
    EXPECT_THROW(replayOf({"a.zr2", "--replay", "b.zr2"}), std::invalid_argument);
    EXPECT_THROW(replayOf({"--replay"}), std::invalid_argument);
    EXPECT_THROW(replayOf({"--replay", ""}), std::invalid_argument);
    // A network match: hosting on the default port or one given, joining an address as typed;
    // one thing to start at a time.
    EXPECT_EQ(replayOf({"--host", "--window"}), "");
    EXPECT_TRUE(network.host);
    EXPECT_EQ(network.port, 0);
    replayOf({"--host", "4000"});
    EXPECT_EQ(network.port, 4000);
    replayOf({"--join", "[::1]:4000"});
    EXPECT_EQ(network.join, "[::1]:4000");
    EXPECT_FALSE(network.host);
    EXPECT_THROW(replayOf({"--host", "70000"}), std::invalid_argument);
    EXPECT_THROW(replayOf({"--join"}), std::invalid_argument);
    EXPECT_THROW(replayOf({"--host", "--join", "a"}), std::invalid_argument);
    EXPECT_THROW(replayOf({"a.zr2", "--host"}), std::invalid_argument);

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
