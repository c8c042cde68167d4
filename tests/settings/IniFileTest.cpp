// The settings file object against the private-profile rules and its crash-safe writes.
#include "settings/IniFile.h"

#include "settings/FileLock.h"
#include "settings/Keys.h"
#include "settings/SettingsTestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "settings/WindowsFiles.h"
#include <windows.h>
#else
#include "support/FileSizeLimit.h"
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace
{

using testsupport::EnvGuard;

class IniFileTest : public settingstest::ConfigFolderTest
{
protected:
    // The settings file and the writers' lock file beside it, and nothing else.
    const std::vector<std::string> kFileAndLock{"Zorbel2.ini", "Zorbel2.ini.lock"};
};

#ifdef _WIN32
TEST_F(IniFileTest, ConfigFilePathIsInAppDataAndWorksInAFolderOutsideTheCodePage)
{
    EXPECT_EQ(path_, (root_ / "config").string() + "\\zorbel2\\Zorbel2.ini");

    // A user folder with letters of no ANSI code page: the path is UTF-8 here, UTF-16 to the
    // system, and the file lands in the folder of that name.
    const std::wstring user = root_.wstring() + L"\\J\u00fcrgen \u0141\u00f3d\u017a \u65e5\u672c";
    ::_wputenv_s(L"APPDATA", user.c_str());
    const std::string path = ConfigFilePath();
    EXPECT_EQ(path, winfiles::Utf8(user) + "\\zorbel2\\Zorbel2.ini");
    TIniFile ini(path);
    ini.WriteString("User_Names", "name1", "ANNA");
    ini.WriteInteger("Main", "Usr_Num", 1);
    EXPECT_TRUE(fs::is_regular_file(fs::path(user) / L"zorbel2" / L"Zorbel2.ini"));
    EXPECT_EQ(TIniFile(path).ReadString("User_Names", "name1", ""), "ANNA");
    EXPECT_EQ(TIniFile(path).ReadInteger("Main", "Usr_Num", 0), 1);

    // Without the variable (or with a relative one) the shell's folder serves.
    testsupport::SetEnv("APPDATA", "relative");
    const std::string fallback = ConfigFilePath();
    EXPECT_TRUE(fallback.ends_with("\\zorbel2\\Zorbel2.ini")) << fallback;
    EXPECT_TRUE(fallback.size() > 3 && fallback[1] == ':') << fallback;
}
#else
TEST_F(IniFileTest, ConfigFilePathFollowsXdgConfigHomeElseHome)
{
    EnvGuard home("HOME");
    EXPECT_EQ(path_, (root_ / "config" / "zorbel2" / "Zorbel2.ini").string());

    ::setenv("HOME", "/home/someone", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ConfigFilePath(), "/home/someone/.config/zorbel2/Zorbel2.ini");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(ConfigFilePath(), "/home/someone/.config/zorbel2/Zorbel2.ini");
}
#endif

// A user without a home folder (ConfigFilePath gives no path) plays with the defaults; every
// write says why it cannot be kept, and nothing lands in the folder the game was started from.
TEST_F(IniFileTest, WithoutAHomeFolderWritesSaySoAndTheCurrentFolderStaysUntouched)
{
    fs::create_directories(Dir());
    const fs::path start = fs::current_path();
    fs::current_path(Dir());
    TIniFile ini("");
    const std::string message =
        "Unable to write to Zorbel2.ini: there is no home folder to keep it in";
    EXPECT_EQ(settingstest::WriteError([&] { ini.WriteInteger("Main", "Skill", 4); }), message);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
    fs::current_path(start);
    EXPECT_TRUE(fs::is_empty(Dir()));
}

// A file larger than any the game writes is damaged or not the game's: it reads as one that
// cannot be read, so a write never replaces it with the little of it that was understood.
TEST_F(IniFileTest, AFileOverOneMebibyteIsUnreadableAndNeverReplaced)
{
    const std::string head = "[Main]\nSkill=4\n;";
    std::string text = head + std::string(TIniFile::kMaxFileSize - head.size() - 1, 'x') + "\n";
    SetFileText(text);
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 4) << "a file of exactly the bound is read";

    text.insert(head.size(), "x");
    SetFileText(text);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
    EXPECT_EQ(settingstest::WriteError([&] { ini.WriteInteger("Main", "Skill", 5); }),
              "Unable to write to Zorbel2.ini");
    EXPECT_EQ(FileText(), text);
}

TEST_F(IniFileTest, MissingFileReadsDefaultsAndReadsCreateNothing)
{
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
    EXPECT_EQ(ini.ReadString("HiNames", "name31", ""), "");
    EXPECT_EQ(ini.ReadString("HiAverage", "average31", "0"), "0");
    EXPECT_FALSE(fs::exists(Dir()));

    ini.WriteInteger("Custom", "prob", 9);
    EXPECT_EQ(ini.ReadInteger("Custom", "timer", 100), 100);
    EXPECT_EQ(ini.ReadInteger("Keys", "LeftKey", 37), 37);
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCase)
{
    SetFileText("[MAin]\nSkill=4\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 4);
    EXPECT_EQ(ini.ReadInteger("main", "SKILL", 3), 4);

    ini.WriteInteger("Main", "Usr_Num", 2);
    EXPECT_EQ(ini.ReadInteger("Main", "Usr_num", 0), 2);
    EXPECT_EQ(ini.ReadInteger("HInames", "name31", 0), 0);
}

TEST_F(IniFileTest, FirstWriteFixesTheCaseAndLaterWritesUpdateTheSameLine)
{
    TIniFile ini(path_);
    ini.WriteInteger("MAin", "Skill", 4);
    ini.WriteInteger("Main", "Usr_Num", 1);
    ini.WriteInteger("main", "SKILL", 5);
    ini.WriteInteger("MAIN", "usr_num", 2);
    ini.WriteString("HiNames", "name31", "ANNA");
    ini.WriteString("HINAMES", "Name31", "BOB");
    EXPECT_EQ(FileText(), "[MAin]\nSkill=5\nUsr_Num=2\n[HiNames]\nname31=BOB\n");
}

TEST_F(IniFileTest, WritesKeepOtherLinesAndPlaceNewKeysInTheirSection)
{
    SetFileText("; my settings\n[Main]\nSkill = 2\n\n[Keys]\nLeftKey=65\n");
    TIniFile ini(path_);
    ini.WriteInteger("Main", "Usr_Num", 1);
    ini.WriteInteger("main", "skill", 4);
    ini.WriteInteger("Keys", "RightKey", 68);
    EXPECT_EQ(FileText(), "; my settings\n[Main]\nSkill=4\nUsr_Num=1\n\n[Keys]\nLeftKey=65\n"
                          "RightKey=68\n");
}

TEST_F(IniFileTest, ValuesAreTrimmedUnquotedAndCutAt1023Characters)
{
    SetFileText("[S]\n  spaced  =   A B  \t\ndq=\"Q W\"\nsq='x'\nhalf=\"open\nempty=\nquotes=\"\"\n"
                "inner=a\"b\"\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("S", "spaced", "?"), "A B");
    EXPECT_EQ(ini.ReadString("S", "dq", "?"), "Q W");
    EXPECT_EQ(ini.ReadString("S", "sq", "?"), "x");
    EXPECT_EQ(ini.ReadString("S", "half", "?"), "\"open");
    EXPECT_EQ(ini.ReadString("S", "empty", "?"), "");
    EXPECT_EQ(ini.ReadString("S", "quotes", "?"), "");
    EXPECT_EQ(ini.ReadString("S", "inner", "?"), "a\"b\"");

    const std::string longValue = std::string(1023, 'A') + "BCDEF";
    ini.WriteString("User_Names", "name1", longValue);
    EXPECT_NE(FileText().find(longValue), std::string::npos);
    EXPECT_EQ(ini.ReadString("User_Names", "name1", ""), std::string(1023, 'A'));
    ini.WriteString("User_Names", "name2", std::string(1023, 'Z'));
    EXPECT_EQ(ini.ReadString("User_Names", "name2", ""), std::string(1023, 'Z'));
    // Spaces at a value's ends, a value of spaces only and a quoted value are written in quotes
    // and read back exactly, the longest too; other values are written bare.
    const std::string longSpaced = " " + std::string(1022, 'S');
    for (const std::string& value : {std::string(" BOB"), std::string("BOB "), std::string("   "),
                                     std::string("\"Q\""), std::string("'x'"), longSpaced})
    {
        ini.WriteString("User_Names", "name3", value);
        EXPECT_EQ(ini.ReadString("User_Names", "name3", "?"), value);
    }
    ini.WriteString("User_Names", "name3", "B O B");
    EXPECT_NE(FileText().find("name3=B O B\n"), std::string::npos);
}

TEST_F(IniFileTest, WrittenValueStopsAtALineBreak)
{
    TIniFile ini(path_);
    ini.WriteString("User_Names", "name1", "EVE\n[Main]\nSkill=5");
    EXPECT_EQ(ini.ReadString("User_Names", "name1", ""), "EVE");
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
    EXPECT_EQ(FileText(), "[User_Names]\nname1=EVE\n");
}

TEST_F(IniFileTest, ReadIntegerFollowsTheProfileNumberRules)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"4", 4},
        {"0x4", 4},
        {"0X1f", 31},
        {"$1F", 31},
        {"-$10", -16},
        {"+7", 7},
        {"-12", -12},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x7FFFFFFF", INT_MAX},
        {"0xFFFFFFFF", -1},
        {"$80000000", INT_MIN},
        {"0x00000000000010", 16},
        {"4x", 99},
        {"", 99},
        {"0x", 99},
        {"$", 99},
        {"-", 99},
        {"0x-1", 99},
        {"-0x10", 99},
        {"1.5", 99},
        {"1 2", 99},
        {"$G", 99},
        {"2147483648", 99},
        {"-2147483649", 99},
        {"99999999999999999999", 99},
        {"0x100000000", 99},
        {"Skill", 99},
    };
    std::string text = "[N]\n";
    for (std::size_t i = 0; i < cases.size(); ++i)
    {
        text += "k" + std::to_string(i) + "=" + cases[i].first + "\n";
    }
    SetFileText(text);
    TIniFile ini(path_);
    for (std::size_t i = 0; i < cases.size(); ++i)
    {
        EXPECT_EQ(ini.ReadInteger("N", "k" + std::to_string(i), 99), cases[i].second)
            << '"' << cases[i].first << '"';
    }

    ini.WriteInteger("N", "min", INT_MIN);
    EXPECT_EQ(ini.ReadString("N", "min", ""), "-2147483648");
    EXPECT_EQ(ini.ReadInteger("N", "min", 0), INT_MIN);
}

TEST_F(IniFileTest, HandEditedFileIsReadAndRewrittenWithoutDamage)
{
    const std::string hugeLine = "junk" + std::string(512 * 1024, 'x');
    std::string binary;
    for (int c = 0; c < 256; ++c)
    {
        if (c != '\n')
        {
            binary += static_cast<char>(c);
        }
    }
    const std::string original = "\xEF\xBB\xBF[Main]\r\n"
                                 "Skill=0x4\r\n"
                                 "no equals sign here\r\n"s +
                                 binary + "\r\n" + hugeLine + "\r\nSkill=2\r\n[Custom]\r\n" +
                                 "prob=1\0" // a NUL ends the value

                                 "7\r\n"s +
                                 "; worms=1\r\n"
                                 "worms=5\r\n"
                                 "[main]\r\n"
                                 "DM_interval=50\r\n"
                                 "[HiAverage]\r\n"
                                 "average31 = 3,50";
    SetFileText(original);
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 4);
    EXPECT_EQ(ini.ReadInteger("Custom", "prob", 6), 1);
    EXPECT_EQ(ini.ReadInteger("Custom", "worms", 4), 5);
    EXPECT_EQ(ini.ReadInteger("Main", "DM_interval", 100), 100); // only the first [Main] counts
    EXPECT_EQ(ini.ReadString("HiAverage", "average31", "0"), "3,50");
    EXPECT_EQ(ini.ReadString("Main", "no equals sign here", "?"), "?");

    ini.WriteString("HiAverage", "average31", "3,75");
    ini.WriteInteger("Custom", "timer", 80);
    std::string expected = original;
    expected.replace(expected.find("average31 = 3,50"), 16, "average31=3,75");
    expected.replace(expected.find("worms=5\r\n") + 9, 0, "timer=80\r\n");
    EXPECT_EQ(FileText(), expected);
    EXPECT_EQ(ini.ReadInteger("Custom", "timer", 0), 80);
}

TEST_F(IniFileTest, FailedWriteThrowsTheMessageAndLeavesTheFileIntact)
{
    // The path's parent is a regular file, so no folder can be made (true for root as well).
    fs::create_directories(root_);
    std::ofstream(root_ / "blocker") << "x";
    TIniFile blocked((root_ / "blocker" / "zorbel2" / "Zorbel2.ini").string());
    EXPECT_EQ(settingstest::WriteError([&] { blocked.WriteInteger("Main", "Skill", 4); }),
              "Unable to write to Zorbel2.ini");
    EXPECT_EQ(blocked.ReadInteger("Main", "Skill", 3), 3);

    // The settings path is a folder.
    fs::create_directories(path_);
    TIniFile folder(path_);
    EXPECT_THROW(folder.WriteString("Main", "Skill", "4"), EIniFileException);
    EXPECT_TRUE(fs::is_directory(path_));
    fs::remove(path_);

#ifndef _WIN32
    // The disk fills up half way: a file size limit makes the temporary file's write fail.
    TIniFile ini(path_);
    ini.WriteInteger("Main", "Skill", 2);
    const std::string before = FileText();
    std::string error;
    {
        const testsupport::FileSizeLimit full(64);
        error = settingstest::WriteError(
            [&] { ini.WriteString("User_Names", "name1", std::string(500, 'N')); });
    }
    EXPECT_EQ(error, "Unable to write to Zorbel2.ini");
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(DirEntries(), kFileAndLock);
#endif
}

#ifdef _WIN32
TEST_F(IniFileTest, WritesLeaveNoTemporaryFileAndClearThoseOfKilledWrites)
{
    TIniFile ini(path_);
    ini.WriteInteger("Main", "Skill", 4);
    // What a writer killed between its write and its move leaves behind.
    std::ofstream(Dir() / ".Zorbel2.ini.k1ll3d") << "[Main]\nSkill=1\n";
    ini.WriteInteger("Main", "Skill", 5);
    EXPECT_EQ(DirEntries(), kFileAndLock);
    EXPECT_EQ(FileText(), "[Main]\nSkill=5\n");
}
#else
TEST_F(IniFileTest, WritesCreateAPrivateFileInAPrivateFolderAndLeaveNoTemporaryFile)
{
    TIniFile ini(path_);
    ini.WriteInteger("Main", "Skill", 4);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(Dir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ::chmod(path_.c_str(), 0644);
    ini.WriteInteger("Main", "Skill", 5);
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((path_ + ".lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(DirEntries(), kFileAndLock);
}
#endif

// Another writer (here a holder in this same process, which must be kept out as another process
// is) holds the lock: a write waits for it, and then lands on what that writer left; but not
// for ever.
TEST_F(IniFileTest, AWriteWaitsWhileAnotherWriterHoldsTheLockButNotForEver)
{
    TIniFile(path_).WriteInteger("Main", "Skill", 1);
    std::atomic<bool> written{false};
    std::thread writer;
    {
        const FileLock other(path_ + ".lock");
        ASSERT_TRUE(other.Held());
        writer = std::thread(
            [&]
            {
                TIniFile(path_).WriteInteger("Main", "Usr_Num", 2);
                written = true;
            });
        // Time enough for an unguarded write to finish; a busy machine only hides a fault.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(written.load());
        // The holder's own change, which the waiting write must read and keep.
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << "[Main]\nSkill=3\n";
    }
    writer.join();
    EXPECT_EQ(FileText(), "[Main]\nSkill=3\nUsr_Num=2\n");

    // A holder that never lets go (a copy of the game stopped while writing) holds a write up
    // only a few seconds, after which it goes on unguarded.
    const FileLock stopped(path_ + ".lock");
    TIniFile(path_).WriteInteger("Main", "Skill", 4);
    EXPECT_EQ(FileText(), "[Main]\nSkill=4\nUsr_Num=2\n");
}

TEST_F(IniFileTest, AReaderNeverSeesAHalfWrittenFile)
{
    TIniFile writer(path_);
    writer.WriteString("Padding", "data", std::string(200000, 'p'));
    writer.WriteInteger("Counter", "n", 0);
    writer.WriteInteger("End", "last", 1);

    std::atomic<bool> done{false};
    int torn = 0;
    int backwards = 0;
    int reads = 0;
    std::thread reader(
        [&]
        {
            TIniFile ini(path_);
            int previous = 0;
            while (!done.load() || reads < 20)
            {
                const int last = ini.ReadInteger("End", "last", 0);
                const int n = ini.ReadInteger("Counter", "n", -1);
                torn += last != 1 || n < 0;
                backwards += n < previous;
                previous = std::max(previous, n);
                ++reads;
            }
        });
    for (int i = 1; i <= 300; ++i)
    {
        writer.WriteInteger("Counter", "n", i);
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_EQ(TIniFile(path_).ReadInteger("Counter", "n", 0), 300);
}

// The end-of-game update: all seven slots of a level in five sections.
void WriteRecords(TIniFile& ini, const std::string& first, int games)
{
    for (int slot = 1; slot <= 7; ++slot)
    {
        const std::string key = "3" + std::to_string(slot);
        ini.WriteString("HiNames", "name" + key, slot == 1 ? first : "");
        ini.WriteInteger("HiScores", "score" + key, games);
        ini.WriteInteger("HiGames", "games" + key, games);
        ini.WriteInteger("HiEaten", "eaten" + key, games);
        ini.WriteString("HiAverage", "average" + key, "1,00");
    }
}

TEST_F(IniFileTest, BatchWritesReachTheFileOnlyAtCommit)
{
    TIniFile ini(path_);
    ini.WriteString("HiNames", "name31", "ANNA");
    const std::string before = FileText();
    const auto inode = Inode();
    {
        TIniFile::Batch batch(ini);
        WriteRecords(ini, "BOB", 7);
        EXPECT_EQ(ini.ReadString("HiNames", "NAME31", ""), "BOB");
        EXPECT_EQ(ini.ReadInteger("HiGames", "games37", 0), 7);
        EXPECT_EQ(TIniFile(path_).ReadString("HiNames", "name31", ""), "ANNA");
        EXPECT_EQ(FileText(), before);
        EXPECT_EQ(Inode(), inode);
        batch.Commit();
    }
    TIniFile other(path_);
    EXPECT_EQ(other.ReadString("HiNames", "name31", ""), "BOB");
    EXPECT_EQ(other.ReadInteger("HiGames", "games37", 0), 7);
    EXPECT_EQ(other.ReadString("HiAverage", "average37", ""), "1,00");

    // Afterwards writes go straight to the file again.
    ini.WriteInteger("HiGames", "games31", 2);
    EXPECT_EQ(other.ReadInteger("HiGames", "games31", 0), 2);

    // A batch that stores only what the file holds (a screen closed unchanged) replaces nothing.
    const auto kept = Inode();
    {
        TIniFile::Batch batch(ini);
        ini.WriteInteger("HiGames", "games31", 2);
        ini.WriteString("HiNames", "name31", "BOB");
        batch.Commit();
    }
    EXPECT_EQ(Inode(), kept);
}

TEST_F(IniFileTest, AReaderNeverSeesPartOfABatch)
{
    TIniFile writer(path_);
    WriteRecords(writer, "ANNA", 0);

    std::atomic<bool> done{false};
    int mixed = 0;
    int snapshots = 0;
    std::thread reader(
        [&]
        {
            TIniFile ini(path_);
            while (!done.load() || snapshots < 20)
            {
                const TIniFile::Snapshot snapshot(ini);
                const int games = ini.ReadInteger("HiGames", "games31", -1);
                for (const auto& [section, word] :
                     {std::pair{"HiScores", "score"}, {"HiGames", "games"}, {"HiEaten", "eaten"}})
                {
                    for (int slot = 1; slot <= 7; ++slot)
                    {
                        const std::string key = word + "3"s + std::to_string(slot);
                        mixed += ini.ReadInteger(section, key, -2) != games;
                    }
                }
                ++snapshots;
            }
        });
    for (int games = 1; games <= 100; ++games)
    {
        TIniFile::Batch batch(writer);
        WriteRecords(writer, "ANNA", games);
        batch.Commit();
    }
    done = true;
    reader.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(TIniFile(path_).ReadInteger("HiEaten", "eaten37", 0), 100);
}

TEST_F(IniFileTest, BatchLeftByAnExceptionWritesNothing)
{
    TIniFile ini(path_);
    ini.WriteInteger("HiScores", "score31", 12);
    const std::string before = FileText();
    const auto inode = Inode();
    try
    {
        TIniFile::Batch batch(ini);
        ini.WriteInteger("HiScores", "score31", 99);
        ini.WriteInteger("HiScores", "score32", 98);
        EXPECT_THROW(TIniFile::Batch nested(ini), std::logic_error);
        throw std::runtime_error("game screen closed");
    }
    catch (const std::runtime_error&)
    {
    }
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(Inode(), inode);
    EXPECT_EQ(ini.ReadInteger("HiScores", "score31", 0), 12);
    EXPECT_EQ(ini.ReadInteger("HiScores", "score32", 0), 0);

    // A batch with no writes does not touch the file.
    fs::remove(path_);
    TIniFile::Batch empty(ini);
    empty.Commit();
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, FailedBatchCommitThrowsAndClosesTheBatch)
{
    fs::create_directories(path_);
    TIniFile ini(path_);
    TIniFile::Batch batch(ini);
    ini.WriteInteger("Main", "Skill", 4);
    EXPECT_THROW(batch.Commit(), EIniFileException);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
    fs::remove(path_);
    ini.WriteInteger("Main", "Skill", 2);
    EXPECT_EQ(FileText(), "[Main]\nSkill=2\n");
}

TEST_F(IniFileTest, FileDeletedWhileRunningReadsDefaultsThenStartsAfresh)
{
    TIniFile ini(path_);
    ini.WriteInteger("Main", "Skill", 4);
    ini.WriteString("User_Names", "name1", "ANNA");
    fs::remove_all(Dir());
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 3);
    EXPECT_EQ(ini.ReadString("User_Names", "name1", ""), "");
    ini.WriteInteger("Main", "Usr_Num", 1);
    EXPECT_EQ(FileText(), "[Main]\nUsr_Num=1\n");
}

TEST_F(IniFileTest, HandEditedRangesAreClampedOrDefaulted)
{
    using namespace settings;
    SetFileText("[Custom]\nprob=0\ntimer=5000\nworms=12\n[Main]\nSkill=7\nDM_interval=-4\n");
    TIniFile ini(path_);
    EXPECT_EQ(Read(ini, kCustomProb), 1);
    EXPECT_EQ(Read(ini, kCustomTimer), 999);
    EXPECT_EQ(Read(ini, kCustomWorms), 8);
    EXPECT_EQ(Read(ini, kDeathMatchInterval), 1);
    EXPECT_EQ(Read(ini, kSkill), 3);

    SetFileText("[Custom]\nprob=50\nworms=junk\n[Main]\nSkill=5\n");
    EXPECT_EQ(Read(ini, kCustomProb), 50);
    EXPECT_EQ(Read(ini, kCustomWorms), 4);
    EXPECT_EQ(Read(ini, kCustomTimer), 100);
    EXPECT_EQ(Read(ini, kSkill), 5);

    SetFileText("[Main]\nSkill=0\nUsr_num=-3\n[Keys]\nLeftKey=-1\n");
    EXPECT_EQ(Read(ini, kSkill), 3);
    EXPECT_EQ(Read(ini, kUserCount), 0);
    EXPECT_EQ(Read(ini, kBindings[0][0]), -1) << "a key binding is taken as it is";
    EXPECT_EQ(Read(ini, kBindings[2][3]), 40);
}

} // namespace
