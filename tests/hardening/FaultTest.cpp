// The settings file on a full disk and in places that cannot be written: every failed write says
// "Unable to write to Zorbel2.ini", the previous file stays as it was, and the game goes on.
#include "settings/SettingsTestSupport.h"

#include <csignal>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using namespace settingstest;

constexpr const char* kMessage = "Unable to write to Zorbel2.ini";

bool IsRoot()
{
    return ::geteuid() == 0;
}

class FaultTest : public ConfigFolderTest
{
protected:
    // A settings file as a player's would be after some play.
    void WritePlayedFile()
    {
        TIniFile ini(path_);
        TIniFile::Batch batch(ini);
        ini.WriteInteger("MAin", "Skill", 2);
        ini.WriteInteger("Main", "Usr_Num", 3);
        for (int i = 1; i <= 3; ++i)
        {
            ini.WriteString("User_Names", "name" + std::to_string(i), "USER" + std::to_string(i));
            ini.WriteString("User_Pass", "pass" + std::to_string(i), "SECRET");
        }
        WriteRecordsTable(ini, 1, 5);
        WriteRecordsTable(ini, 3, 1);
        batch.Commit();
    }

    void ExpectUnchanged(const std::string& before, ino_t inode)
    {
        EXPECT_EQ(FileText(), before);
        EXPECT_EQ(Inode(), inode);
        EXPECT_EQ(EntriesButLock(), std::vector<std::string>{"Zorbel2.ini"});
    }
};

TEST_F(FaultTest, ARecordsTableThatDoesNotFitLeavesThePreviousFileByteForByte)
{
    WritePlayedFile();
    const std::string before = FileText();
    const ino_t inode = Inode();

    // What the save gives when there is room, worked out on a copy.
    const std::string copy = (root_ / "copy.ini").string();
    WriteText(copy, before);
    {
        TIniFile other(copy);
        TIniFile::Batch batch(other);
        WriteRecordsTable(other, 3, 123456);
        batch.Commit();
    }
    const std::string after = ReadText(copy);
    ASSERT_GT(after.size(), before.size());

    // The disk runs full at every stage of the write: nothing written, a part, all but one byte.
    std::vector<rlim_t> limits = {
        0, 1, before.size() - 1, before.size(), before.size() + 1, after.size() - 1};
    for (rlim_t limit = 2; limit < after.size(); limit += after.size() / 23)
    {
        limits.push_back(limit);
    }
    TIniFile ini(path_);
    for (const rlim_t limit : limits)
    {
        SCOPED_TRACE("room for " + std::to_string(limit) + " of " + std::to_string(after.size()) +
                     " bytes");
        std::string error;
        {
            TIniFile::Batch batch(ini);
            WriteRecordsTable(ini, 3, 123456);
            const FileSizeLimit full(limit);
            error = WriteError([&] { batch.Commit(); });
        }
        EXPECT_EQ(error, kMessage);
        ExpectUnchanged(before, inode);
        // The failed batch is closed: reads see the file, with the old table whole.
        EXPECT_EQ(TableGenerations(ini, 3), std::vector<long>(35, 1));
    }

    // Exactly enough room is enough; after that, space is back and writes go on.
    {
        TIniFile::Batch batch(ini);
        WriteRecordsTable(ini, 3, 123456);
        const FileSizeLimit full(after.size());
        EXPECT_EQ(WriteError([&] { batch.Commit(); }), "");
    }
    EXPECT_EQ(FileText(), after);
    EXPECT_EQ(TableGenerations(ini, 3), std::vector<long>(35, 123456));
    ini.WriteString("User_Names", "name4", "ANOTHER USER");
    EXPECT_EQ(ini.ReadString("User_Names", "name4", ""), "ANOTHER USER");
    EXPECT_EQ(TableGenerations(ini, 1), std::vector<long>(35, 5));
}

TEST_F(FaultTest, OnAFullDiskTheGameGoesOn)
{
    WritePlayedFile();
    const std::string before = FileText();
    TIniFile ini(path_);
    {
        const FileSizeLimit full(before.size());
        // A change that needs no more room still reaches the file.
        ini.WriteInteger("Main", "Skill", 4);
        EXPECT_EQ(FileText().size(), before.size());
        const std::string changed = FileText();
        const ino_t inode = Inode();

        EXPECT_EQ(WriteError([&] { ini.WriteString("User_Names", "name4", "NEWCOMER"); }),
                  kMessage);
        EXPECT_EQ(WriteError([&] { ini.WriteInteger("Main", "Usr_Num", 4); }), "");
        EXPECT_EQ(WriteError([&] { ini.WriteInteger("Custom", "worms", 8); }), kMessage);
        EXPECT_EQ(FileText().size(), changed.size());
        EXPECT_NE(Inode(), inode);
        EXPECT_EQ(ini.ReadString("User_Names", "name4", "?"), "?");
        EXPECT_EQ(ini.ReadInteger("Main", "Skill", 0), 4);
        EXPECT_EQ(ini.ReadInteger("Main", "Usr_num", 0), 4);
        EXPECT_EQ(EntriesButLock(), std::vector<std::string>{"Zorbel2.ini"});
    }
    ini.WriteString("User_Names", "name4", "NEWCOMER");
    ini.WriteInteger("Custom", "worms", 8);
    EXPECT_EQ(ini.ReadString("User_Names", "name4", ""), "NEWCOMER");
    EXPECT_EQ(ini.ReadInteger("Custom", "worms", 0), 8);
    EXPECT_EQ(TableGenerations(ini, 3), std::vector<long>(35, 1));
}

TEST_F(FaultTest, AConfigurationFolderThatCannotBeMadeReadsDefaultsAndRefusesWrites)
{
    const fs::path config = root_ / "config";
    const fs::path folder = config / "zorbel2";
    struct Case
    {
        const char* what;
        fs::path blocker;
    };
    for (const Case& c : {Case{"a file where the folder should be", folder},
                          Case{"a file where the configuration home should be", config},
                          Case{"a dangling link where the folder should be", folder}})
    {
        SCOPED_TRACE(c.what);
        fs::create_directories(c.blocker.parent_path());
        if (std::string(c.what).find("link") != std::string::npos)
        {
            fs::create_symlink(root_ / "gone" / "zorbel2", c.blocker);
        }
        else
        {
            WriteText(c.blocker, "not a folder");
        }

        TIniFile ini(path_);
        EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
        EXPECT_EQ(ini.ReadString("HiNames", "name31", ""), "");
        EXPECT_EQ(WriteError([&] { ini.WriteInteger("MAin", "Skill", 4); }), kMessage);
        {
            TIniFile::Batch batch(ini);
            WriteRecordsTable(ini, 3, 1);
            EXPECT_EQ(WriteError([&] { batch.Commit(); }), kMessage);
        }
        EXPECT_EQ(ini.ReadString("HiNames", "name31", ""), "");
        if (fs::is_symlink(c.blocker))
        {
            EXPECT_FALSE(fs::exists(root_ / "gone"));
        }
        else
        {
            EXPECT_EQ(ReadText(c.blocker), "not a folder");
        }

        // Once the obstacle is gone the same object writes as usual.
        fs::remove(c.blocker);
        ini.WriteInteger("MAin", "Skill", 4);
        EXPECT_EQ(FileText(), "[MAin]\nSkill=4\n");
        fs::remove_all(config);
    }
}

// The file's own permission bits do not guard it: like an editor's save, a write replaces the
// file through its folder, which belongs to the player. A file made read-only by hand is therefore
// written anyway (also when not running as root), keeps its other contents, and is owner-only
// again afterwards. Only a folder that cannot be written stops writes (next test).
TEST_F(FaultTest, AReadOnlySettingsFileIsReplacedLikeAnEditorSaves)
{
    WritePlayedFile();
    const std::string before = FileText();
    ASSERT_EQ(::chmod(path_.c_str(), 0400), 0);

    TIniFile ini(path_);
    ini.WriteInteger("Main", "Skill", 4);
    std::string expected = before;
    expected.replace(expected.find("Skill=2"), 7, "Skill=4");
    EXPECT_EQ(FileText(), expected);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(EntriesButLock(), std::vector<std::string>{"Zorbel2.ini"});
}

TEST_F(FaultTest, AReadOnlyFolderStopsWritesAndKeepsTheFile)
{
    if (IsRoot())
    {
        GTEST_SKIP() << "root writes into a folder without write permission";
    }
    WritePlayedFile();
    const std::string before = FileText();
    const ino_t inode = Inode();
    ASSERT_EQ(::chmod(Dir().c_str(), 0500), 0);
    TIniFile ini(path_);
    EXPECT_EQ(WriteError([&] { ini.WriteInteger("Main", "Skill", 4); }), kMessage);
    {
        TIniFile::Batch batch(ini);
        WriteRecordsTable(ini, 3, 2);
        EXPECT_EQ(WriteError([&] { batch.Commit(); }), kMessage);
    }
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 0), 2);
    ASSERT_EQ(::chmod(Dir().c_str(), 0700), 0);
    ExpectUnchanged(before, inode);
}

// A file the player cannot read reads as defaults, like a missing one; but a write would put a
// file holding nothing else in its place, so it is refused instead.
TEST_F(FaultTest, AnUnreadableSettingsFileIsNeverReplaced)
{
    if (IsRoot())
    {
        GTEST_SKIP() << "root reads a file without read permission";
    }
    WritePlayedFile();
    const std::string before = FileText();
    const ino_t inode = Inode();
    ASSERT_EQ(::chmod(path_.c_str(), 0200), 0);
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
    EXPECT_EQ(WriteError([&] { ini.WriteString("User_Names", "name4", "EVE"); }), kMessage);
    {
        TIniFile::Batch batch(ini);
        WriteRecordsTable(ini, 3, 2);
        EXPECT_EQ(WriteError([&] { batch.Commit(); }), kMessage);
    }
    ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
    ExpectUnchanged(before, inode);
}

// What a game does with its settings file: reads, a write, a records save. Run in a child process
// that an alarm stops after 20 s, since a reader stuck on the file would hang the test. Gives 0
// when reads gave defaults and both writes raised the message, else the number of the step that
// went wrong; -1 when the child hung or died.
int ReadAndWriteInAChild(const std::string& path)
{
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        ::alarm(20);
        TIniFile ini(path);
        if (ini.ReadInteger("Main", "Skill", 3) != 3 || ini.ReadString("Keys", "UpKey", "") != "")
        {
            ::_exit(1);
        }
        if (WriteError([&] { ini.WriteInteger("Main", "Skill", 4); }) != kMessage)
        {
            ::_exit(2);
        }
        TIniFile::Batch batch(ini);
        if (ini.ReadString("HiNames", "name31", "none") != "none")
        {
            ::_exit(3);
        }
        WriteRecordsTable(ini, 3, 1);
        ::_exit(WriteError([&] { batch.Commit(); }) == kMessage ? 0 : 4);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
    {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST_F(FaultTest, SomethingElseInTheFilesPlaceReadsDefaultsAndRefusesWrites)
{
    for (const bool pipe : {false, true})
    {
        SCOPED_TRACE(pipe ? "a named pipe" : "a folder with a file in it");
        fs::create_directories(Dir());
        if (pipe)
        {
            ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
        }
        else
        {
            fs::create_directories(path_);
            WriteText(fs::path(path_) / "inside", "kept");
        }

        EXPECT_EQ(ReadAndWriteInAChild(path_), 0)
            << "1 reads, 2 write, 3 read in a batch, 4 batch commit; -1 hung";
        EXPECT_EQ(EntriesButLock(), std::vector<std::string>{"Zorbel2.ini"});
        if (pipe)
        {
            EXPECT_EQ(fs::status(path_).type(), fs::file_type::fifo);
        }
        else
        {
            EXPECT_EQ(ReadText(fs::path(path_) / "inside"), "kept");
        }

        fs::remove_all(path_);
        TIniFile ini(path_);
        ini.WriteInteger("Main", "Skill", 4);
        EXPECT_EQ(FileText(), "[Main]\nSkill=4\n");
        fs::remove(path_);
    }
}

} // namespace
