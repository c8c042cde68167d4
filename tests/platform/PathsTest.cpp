// Where the game looks for its data files: beside the executable in a build folder, the shared
// data folder of an installed tree, and the override the tests use; and where it keeps the
// user's own files.
#include "platform/Paths.h"
#include "platform/UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{

namespace fs = std::filesystem;

class ProgramDirectoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zorbel-paths-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    static void Touch(const fs::path& file)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "BM";
    }

    fs::path root_;
};

TEST_F(ProgramDirectoryTest, BuildFolderWithTheFilesBesideTheExecutableIsUsedAsItIs)
{
    Touch(root_ / "build" / "b0.bmp");
    // An installed copy elsewhere in the tree does not draw a build folder away from its files.
    Touch(root_ / "share" / "zorbel2" / "b0.bmp");
    const std::string build = (root_ / "build").string();
    EXPECT_EQ(platform::ProgramDirectoryFor(build), build + "/");
    EXPECT_EQ(platform::ProgramDirectoryFor(build + "/"), build + "/");
}

TEST_F(ProgramDirectoryTest, InstalledTreeFindsTheSharedDataFolderBesideItsBinFolder)
{
    const fs::path prefix = root_ / "usr";
    fs::create_directories(prefix / "bin");
    Touch(prefix / "share" / "zorbel2" / "b0.bmp");
    const std::string expected = (prefix / "share" / "zorbel2").string() + "/";
    EXPECT_EQ(platform::ProgramDirectoryFor((prefix / "bin").string() + "/"), expected);
    EXPECT_EQ(platform::ProgramDirectoryFor((prefix / "bin").string()), expected);

    // The tree is found relative to the executable, so a moved tree still finds its data.
    const fs::path moved = root_ / "opt" / "zorbel";
    fs::create_directories(moved.parent_path());
    fs::rename(prefix, moved);
    EXPECT_EQ(platform::ProgramDirectoryFor((moved / "bin").string() + "/"),
              (moved / "share" / "zorbel2").string() + "/");
}

TEST_F(ProgramDirectoryTest, WithoutDataAnywhereTheExecutablesFolderStays)
{
    fs::create_directories(root_ / "bin");
    // A data folder of another name, or one without the worm pictures, is not taken.
    Touch(root_ / "share" / "zorbel" / "b0.bmp");
    Touch(root_ / "share" / "zorbel2" / "zbmusic.mid");
    const std::string bin = (root_ / "bin").string() + "/";
    EXPECT_EQ(platform::ProgramDirectoryFor(bin), bin);
}

TEST_F(ProgramDirectoryTest, WithoutTheExecutablesOwnFolderThereIsNone)
{
    // The files are in the current folder, which is still not taken for the game's.
    Touch(root_ / "bin" / "b0.bmp");
    const fs::path start = fs::current_path();
    fs::current_path(root_);
    EXPECT_EQ(platform::ProgramDirectoryFor(""), "");
    EXPECT_EQ(platform::ProgramDirectoryFor("bin"), "");
    fs::current_path(start);
}

TEST(ProgramDirectory, OverrideWinsAndGetsItsSlashUntilRestored)
{
    const std::string saved = platform::ProgramDirectory();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.back(), '/');
    platform::SetProgramDirectory("/some/where");
    EXPECT_EQ(platform::ProgramDirectory(), "/some/where/");
    platform::SetProgramDirectory(saved);
    EXPECT_EQ(platform::ProgramDirectory(), saved);
}

#ifndef _WIN32
// The settings, the replays and the tune's cache all take their folder from this choice: a
// relative or missing folder never stands for the one the game was started from.
TEST(UserFolder, AnAbsoluteXdgFolderElseUnderHomeElseUnderThePasswordDatabasesHome)
{
    EXPECT_EQ(platform::ChooseUserFolder("/xdg", "/home/a", "/home/db", ".cache"), "/xdg");
    EXPECT_EQ(platform::ChooseUserFolder("xdg", "/home/a", "/home/db", ".cache"), "/home/a/.cache");
    EXPECT_EQ(platform::ChooseUserFolder(nullptr, "", "/home/db", ".config"), "/home/db/.config");
    EXPECT_EQ(platform::ChooseUserFolder("config", "home", "", ".config"), "");
    EXPECT_EQ(platform::ChooseUserFolder(nullptr, nullptr, nullptr, ".config"), "");
}
#endif

} // namespace
