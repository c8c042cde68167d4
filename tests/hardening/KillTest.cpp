// Settings writes killed at random moments: the file stays whole, nothing completed is lost, no
// records table is a mix of two saves, and what a killed write leaves behind is cleaned up. Two
// copies of the game writing at once take turns and lose nothing of each other's.
#include "records/Records.h"
#include "settings/SettingsTestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using namespace settingstest;

constexpr int kCounterKeys = 8;
constexpr int kTableLevel = 3;
constexpr int kUsers = 150;

long EnvNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
    {
        return fallback;
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *end == '\0' && value > 0 ? value : fallback;
}

// One log line per completed write, appended by a single write(2): a SIGKILL cannot split it, and
// the page cache keeps it when the process dies (only a power cut would need an fsync here).
void LogCompleted(int fd, char kind, long value)
{
    char line[32];
    const int n = std::snprintf(line, sizeof line, "%c %ld\n", kind, value);
    if (::write(fd, line, static_cast<std::size_t>(n)) != n)
    {
        ::_exit(4);
    }
}

// The writer process: single values with an increasing counter spread over eight keys, and whole
// records tables committed in one batch, in a seeded random order, until it is killed.
[[noreturn]] void RunWriter(const std::string& path, const std::string& logPath, unsigned seed,
                            long counter, long gen)
{
    const int log = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (log < 0)
    {
        ::_exit(2);
    }
    try
    {
        TIniFile ini(path);
        std::mt19937 random(seed);
        for (;;)
        {
            if (random() % 3 == 0)
            {
                ++gen;
                TIniFile::Batch batch(ini);
                WriteRecordsTable(ini, kTableLevel, gen);
                batch.Commit();
                LogCompleted(log, 'T', gen);
            }
            else
            {
                ++counter;
                ini.WriteInteger("Counters", "c" + std::to_string(counter % kCounterKeys),
                                 static_cast<int>(counter));
                LogCompleted(log, 'S', counter);
            }
        }
    }
    catch (...)
    {
        ::_exit(3);
    }
}

struct Completed
{
    long counter = 0;
    long gen = 0;
};

// The last completed write of each kind, from the log of every writer so far.
Completed ReadLog(const std::string& logPath)
{
    Completed done;
    const std::string text = ReadText(logPath);
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start))
    {
        const std::string line = text.substr(start, end - start);
        if (line.size() < 3)
        {
            continue;
        }
        const long value = std::stol(line.substr(2));
        if (line[0] == 'S')
        {
            done.counter = std::max(done.counter, value);
        }
        else if (line[0] == 'T')
        {
            done.gen = std::max(done.gen, value);
        }
    }
    return done;
}

bool IsTempName(const std::string& name)
{
    const std::string prefix = ".Zorbel2.ini.";
    return name.size() == prefix.size() + 6 && name.starts_with(prefix);
}

class KillTest : public ConfigFolderTest
{
protected:
    // What the game had written before: users, keys, a skill; never touched by the writer.
    void WriteBase()
    {
        TIniFile ini(path_);
        TIniFile::Batch batch(ini);
        ini.WriteInteger("MAin", "Skill", 4);
        ini.WriteInteger("Main", "Usr_Num", kUsers);
        for (const char* key : {"LeftKey", "RightKey", "UpKey", "DownKey"})
        {
            ini.WriteInteger("Keys", key, 65 + static_cast<int>(std::string(key).size()));
        }
        for (int i = 1; i <= kUsers; ++i)
        {
            ini.WriteString("User_Names", "name" + std::to_string(i), "USER " + std::to_string(i));
            ini.WriteString("User_Pass", "pass" + std::to_string(i),
                            "$argon2id$v=19$m=65536,t=2,p=1$" + std::string(40, 'a' + i % 26));
        }
        WriteRecordsTable(ini, kTableLevel, 0);
        batch.Commit();
    }

    // Checks the file after a kill. counter and gen come in as the values found after the previous
    // kill and go out as the values found now.
    void CheckAfterKill(const Completed& logged, long& counter, long& gen, int& tempsLeft)
    {
        // Nothing completed may be lost: not what the log shows, nor what the last check found.
        const long counterFloor = std::max(logged.counter, counter);
        const long genFloor = std::max(logged.gen, gen);
        const std::string text = FileText();
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.back(), '\n') << "the file ends in the middle of a line";
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos;
             start = end + 1, end = text.find('\n', start))
        {
            const std::string line = text.substr(start, end - start);
            ASSERT_TRUE((line.starts_with('[') && line.ends_with(']')) ||
                        line.find('=') != std::string::npos)
                << "damaged line: " << line;
        }

        TIniFile ini(path_);
        TIniFile::Batch snapshot(ini); // one load of the file serves every read below
        EXPECT_EQ(ini.ReadInteger("Main", "Skill", 0), 4);
        EXPECT_EQ(ini.ReadInteger("Main", "Usr_num", 0), kUsers);
        EXPECT_EQ(ini.ReadInteger("Keys", "DownKey", 0), 65 + 7);
        for (int i = 1; i <= kUsers; ++i)
        {
            ASSERT_EQ(ini.ReadString("User_Names", "name" + std::to_string(i), ""),
                      "USER " + std::to_string(i));
        }

        // Each counter key holds the last value written to it, and at most the one write that was
        // killed after its rename and before its log line is ahead.
        long found = 0;
        for (int k = 0; k < kCounterKeys; ++k)
        {
            found = std::max<long>(found, ini.ReadInteger("Counters", "c" + std::to_string(k), 0));
        }
        ASSERT_GE(found, counterFloor);
        ASSERT_LE(found, counterFloor + 1);
        for (int k = 0; k < kCounterKeys; ++k)
        {
            long expected = found - ((found - k) % kCounterKeys + kCounterKeys) % kCounterKeys;
            expected = expected > 0 ? expected : -1;
            EXPECT_EQ(ini.ReadInteger("Counters", "c" + std::to_string(k), -1), expected)
                << "key c" << k << " with counter " << found;
        }

        const std::vector<long> gens = TableGenerations(ini, kTableLevel);
        ASSERT_EQ(gens.size(), 35u);
        for (long g : gens)
        {
            ASSERT_EQ(g, gens.front()) << "a records table mixes two saves";
        }
        ASSERT_GE(gens.front(), genFloor);
        ASSERT_LE(gens.front(), genFloor + 1);

        // A temporary file of the killed write may stay behind; the reader never looks at it, and
        // the next write clears it, so there is never more than one.
        int temps = 0;
        for (const std::string& name : EntriesButLock())
        {
            if (name != "Zorbel2.ini")
            {
                EXPECT_TRUE(IsTempName(name)) << name;
                ++temps;
            }
        }
        EXPECT_LE(temps, 1);
        tempsLeft += temps > 0;
        counter = found;
        gen = gens.front();
    }
};

TEST_F(KillTest, WritesKilledAtRandomMomentsLoseNothingCompletedAndMixNoTables)
{
    const long rounds = EnvNumber("ZORBEL_KILL_ROUNDS", 100);
    const auto seed = static_cast<unsigned>(EnvNumber("ZORBEL_KILL_SEED", 20240917));
    const std::string logPath = (root_ / "completed.log").string();
    WriteBase();

    // Kills spread over about four writes' time (at least 30 ms, as a writer's first write also
    // waits for its fork), so that they fall before the first write, inside writes and between
    // them, on a fast disk as on a slow one.
    std::vector<long> writeUs;
    for (int i = 0; i < 3; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        TIniFile(path_).WriteInteger("Timing", "probe", i);
        writeUs.push_back(static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                std::chrono::steady_clock::now() - start)
                                                .count()));
    }
    std::sort(writeUs.begin(), writeUs.end());
    long spreadUs = std::clamp(4 * writeUs[1], 30000L, 200000L);
    std::mt19937 random(seed);
    long counter = 0;
    long gen = 0;
    int tempsLeft = 0;
    int aheadOfLog = 0;
    for (long round = 1; round <= rounds; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round) + ", seed " + std::to_string(seed));
        const unsigned childSeed = static_cast<unsigned>(random());
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            RunWriter(path_, logPath, childSeed, counter, gen);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<long>(0, spreadUs)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer stopped by itself with status " << status;

        const Completed logged = ReadLog(logPath);
        const long counterBefore = counter;
        const long genBefore = gen;
        CheckAfterKill(logged, counter, gen, tempsLeft);
        if (HasFailure())
        {
            return; // one damaged round tells all; the following ones would repeat it
        }
        aheadOfLog += counter > std::max(logged.counter, counterBefore) ||
                      gen > std::max(logged.gen, genBefore);
        // A busy machine (or a sanitizer's slow fork) can make a writer's start outlast the
        // spread: while no write has completed, every ten rounds it doubles, up to a second.
        if (counter + gen == 0 && round % 10 == 0)
            spreadUs = std::min(2 * spreadUs, 1000000L);
    }

    // The next write clears what the last kill left.
    TIniFile(path_).WriteInteger("Main", "Skill", 4);
    EXPECT_EQ(EntriesButLock(), std::vector<std::string>{"Zorbel2.ini"});

    std::cout << "[ kills    ] " << rounds << " kills (seed " << seed << ", spread "
              << spreadUs / 1000 << " ms): " << counter << " single writes and " << gen
              << " records tables completed; " << tempsLeft
              << " kills inside a write left a temporary file, " << aheadOfLog
              << " fell between a finished write and its log line\n";
    RecordProperty("kills", static_cast<int>(rounds));
    RecordProperty("single_writes", static_cast<int>(counter));
    RecordProperty("tables", static_cast<int>(gen));
    RecordProperty("kills_inside_a_write", tempsLeft);
    // A run in which no write completed would prove nothing. How many kills fall inside a write
    // depends on the disk (on a memory file system writes are too quick to hit often), so that
    // figure is reported, not required.
    EXPECT_GT(counter + gen, 0);
}

TEST_F(KillTest, LeftoversOfKilledWritesAreIgnoredAndClearedByTheNextWrite)
{
    SetFileText("[Main]\nSkill=4\n");
    // A killed write's temporary file may hold a complete, newer-looking settings text.
    WriteText(Dir() / ".Zorbel2.ini.Ab12Cd", "[Main]\nSkill=1\n");
    WriteText(Dir() / ".Zorbel2.ini.zz9900", "[Ma");
    // Not ours: other names, and a folder that happens to match the pattern.
    for (const char* name : {"Zorbel2.ini.bak", ".Zorbel2.ini.old", "notes.txt", ".Zorbel2.ini"})
    {
        WriteText(Dir() / name, "keep");
    }
    fs::create_directory(Dir() / ".Zorbel2.ini.DIR123");

    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("Main", "Skill", 3), 4);
    ini.WriteInteger("Main", "Usr_Num", 1);
    EXPECT_EQ(EntriesButLock(),
              (std::vector<std::string>{".Zorbel2.ini", ".Zorbel2.ini.DIR123", ".Zorbel2.ini.old",
                                        "Zorbel2.ini", "Zorbel2.ini.bak", "notes.txt"}));
    EXPECT_EQ(FileText(), "[Main]\nSkill=4\nUsr_Num=1\n");
}

// Two running copies of the game write in turn: a write waits while another holds the writers'
// lock, and leaves that writer's temporary file alone.
TEST_F(KillTest, AWriteWaitsForALiveWriterAndLeavesItsFileAlone)
{
    SetFileText("[Main]\nSkill=4\n");
    const fs::path live = Dir() / ".Zorbel2.ini.LIVE01";
    WriteText(live, "[Main]\nSkill=5\n");
    const int lockFd = ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lockFd, 0);
    ASSERT_EQ(::flock(lockFd, LOCK_EX), 0);

    std::atomic<bool> done{false};
    std::thread writer(
        [&]
        {
            try
            {
                TIniFile(path_).WriteInteger("Main", "Usr_Num", 1);
            }
            catch (const EIniFileException&)
            {
            }
            done = true;
        });
    // Ordering, not speed: on any machine the write must still be waiting here.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done.load());
    EXPECT_TRUE(fs::exists(live));
    EXPECT_EQ(FileText(), "[Main]\nSkill=4\n");

    // The live writer finishes: its file goes into place and its lock goes. The waiting write
    // reads the file only now, so the live writer's change stays.
    std::error_code renamed;
    fs::rename(live, path_, renamed);
    EXPECT_FALSE(renamed) << "the live writer's file was taken away";
    ::close(lockFd);
    writer.join();
    EXPECT_TRUE(done.load());
    EXPECT_EQ(EntriesButLock(), std::vector<std::string>{"Zorbel2.ini"});
    EXPECT_EQ(FileText(), "[Main]\nSkill=5\nUsr_Num=1\n");
}

constexpr int kCopyKeys = 500;
constexpr int kCopyGames = 50;
constexpr int kCopyUsers = 25;

// One copy of the game at work: kCopyKeys single writes of its own, and in between kCopyGames
// games recorded for its own user and kCopyUsers users registered, each a batch that reads what
// it changes. Starts when go becomes readable, so that both copies run at once.
[[noreturn]] void RunCopy(const std::string& path, int copy, int go)
{
    char start = 0;
    if (::read(go, &start, 1) != 1)
    {
        ::_exit(2);
    }
    try
    {
        TIniFile ini(path);
        const std::string me = std::to_string(copy);
        for (int i = 1; i <= kCopyKeys; ++i)
        {
            ini.WriteInteger("Copy" + me, "key" + std::to_string(i), i);
            if (i % (kCopyKeys / kCopyGames) == 0)
            {
                records::RecordGame(ini, kTableLevel, "COPY " + me, i / (kCopyKeys / kCopyGames));
            }
            if (i % (kCopyKeys / kCopyUsers) == 0)
            {
                // The login screen's registration: the count and the new user's two entries.
                TIniFile::Batch batch(ini);
                const int count = ini.ReadInteger("Main", "Usr_num", 0) + 1;
                const std::string name = "USER " + me + " " + std::to_string(i);
                ini.WriteInteger("Main", "Usr_Num", count);
                ini.WriteString("User_Names", "name" + std::to_string(count), name);
                ini.WriteString("User_Pass", "pass" + std::to_string(count), "PASS OF " + name);
                batch.Commit();
            }
        }
    }
    catch (...)
    {
        ::_exit(3);
    }
    ::_exit(0);
}

TEST_F(KillTest, TwoCopiesWritingAtOnceLoseNoKeyGameOrUser)
{
    // In memory where the system offers it: what is tested is the turn-taking, and a disk's
    // flushes would only make the 1150 writes slow.
    std::optional<testsupport::TempConfig> inMemory;
    {
        const testsupport::EnvGuard tmpdir("TMPDIR");
        if (fs::is_directory("/dev/shm"))
        {
            ::setenv("TMPDIR", "/dev/shm", 1);
        }
        inMemory.emplace();
    }
    const std::string path = ConfigFilePath();

    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> copies;
    for (int copy = 1; copy <= 2; ++copy)
    {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            ::close(go[1]);
            RunCopy(path, copy, go[0]);
        }
        copies.push_back(pid);
    }
    ::close(go[0]);
    ASSERT_EQ(::write(go[1], "gg", 2), 2);
    ::close(go[1]);
    for (const pid_t pid : copies)
    {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }

    TIniFile ini(path);
    const TIniFile::Snapshot snapshot(ini);
    const records::Table table = records::ReadTable(ini, kTableLevel);
    int keysKept = 0;
    for (const std::string me : {"1", "2"})
    {
        for (int i = 1; i <= kCopyKeys; ++i)
        {
            keysKept += ini.ReadInteger("Copy" + me, "key" + std::to_string(i), 0) == i;
        }
        const int slot = records::FindUser(table, "COPY " + me);
        ASSERT_GE(slot, 1) << "copy " << me;
        EXPECT_EQ(table[slot - 1].games, kCopyGames) << "copy " << me;
        EXPECT_EQ(table[slot - 1].eaten, kCopyGames * (kCopyGames + 1) / 2) << "copy " << me;
    }
    EXPECT_EQ(keysKept, 2 * kCopyKeys);
    // Every user under an index of its own, with its own password beside it.
    EXPECT_EQ(ini.ReadInteger("Main", "Usr_num", 0), 2 * kCopyUsers);
    std::set<std::string> users;
    for (int n = 1; n <= 2 * kCopyUsers; ++n)
    {
        const std::string name = ini.ReadString("User_Names", "name" + std::to_string(n), "");
        EXPECT_EQ(ini.ReadString("User_Pass", "pass" + std::to_string(n), ""), "PASS OF " + name);
        users.insert(name);
    }
    EXPECT_EQ(users.size(), 2U * kCopyUsers);
}

} // namespace
