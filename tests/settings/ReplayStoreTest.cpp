// The replays folder: where it is, which games it keeps, the names of its files, and failures
// that lose a replay and nothing else.
#include "settings/ReplayStore.h"

#include "support/SampleReplay.h"
#include "support/TempConfig.h"

#ifndef _WIN32
#include "support/FileSizeLimit.h"
#endif

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <latch>
#include <set>
#include <thread>

namespace
{

namespace fs = std::filesystem;
using testsupport::SingleGameReplay;

class ReplayStoreTest : public ::testing::Test
{
protected:
    // The replay kept in the file at path, which must read back.
    static engine::Replay Read(const std::optional<std::string>& path)
    {
        EXPECT_TRUE(path.has_value());
        engine::ReplayDecoding read = ReadReplayFile(path.value_or(""));
        EXPECT_EQ(read.error, engine::ReplayError::None);
        return read.replay.value_or(engine::Replay{});
    }
    // Every replay and other file in the temporary folder, with its contents; the writers' lock
    // files are left out.
    std::map<std::string, std::string> Files() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(config_.Root()))
            if (entry.is_regular_file() && entry.path().extension() != ".lock")
                files[entry.path().string()] =
                    (std::ostringstream() << std::ifstream(entry.path(), std::ios::binary).rdbuf())
                        .str();
        return files;
    }

    testsupport::TempConfig config_;
    ReplayStore store_{(config_.Root() / "replays").string()};
};

#ifndef _WIN32
TEST_F(ReplayStoreTest, FolderFollowsXdgDataHomeElseHome)
{
    testsupport::EnvGuard data("XDG_DATA_HOME");
    testsupport::EnvGuard home("HOME");
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(ReplayFolderPath(), "/data/zorbel2/replays");
    ::setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(ReplayFolderPath(), "/home/someone/.local/share/zorbel2/replays");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(ReplayFolderPath(), "/home/someone/.local/share/zorbel2/replays");
}
#endif

TEST_F(ReplayStoreTest, BestGameIsReplacedOnlyByAHigherScoreAtItsOwnLevel)
{
    EXPECT_FALSE(store_.BestGame("Ann", 2));
    EXPECT_TRUE(store_.Keep(SingleGameReplay("Ann", 2, 5, 1)).best);
    EXPECT_FALSE(store_.Keep(SingleGameReplay("Ann", 2, 3, 2)).best);
    EXPECT_FALSE(store_.Keep(SingleGameReplay("Ann", 2, 5, 3)).best);
    EXPECT_EQ(Read(store_.BestGame("Ann", 2)).seed, 1u);
    EXPECT_TRUE(store_.Keep(SingleGameReplay("Ann", 2, 6, 4)).best);
    EXPECT_EQ(Read(store_.BestGame("Ann", 2)).seed, 4u);

    EXPECT_TRUE(store_.Keep(SingleGameReplay("Ann", 3, 1, 5)).best);
    EXPECT_EQ(Read(store_.BestGame("Ann", 2)).seed, 4u);

    // Custom and the death match have no records table to be best in.
    engine::Replay deathMatch = SingleGameReplay("Ann", 0, 50, 6);
    deathMatch.mode = engine::ReplayMode::DeathMatch;
    deathMatch.players.push_back({"Bob", 1, 10});
    for (engine::ReplayTurn& turn : deathMatch.turns)
        turn.direction %= 4; // a death match's keys only ever turn
    for (const engine::Replay& r : {SingleGameReplay("Ann", 0, 50, 7), deathMatch})
    {
        const KeptReplay kept = store_.Keep(r);
        EXPECT_TRUE(kept.last && !kept.best);
    }
    EXPECT_EQ(Read(store_.LastGame()).mode, engine::ReplayMode::DeathMatch);

    // A damaged best gives way to any game; one from a later version stays.
    const std::string path = *store_.BestGame("Ann", 2);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string("ZORBEL2R\1\0bad", 13);
    EXPECT_TRUE(store_.Keep(SingleGameReplay("Ann", 2, 0, 8)).best);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string("ZORBEL2R\x09\0", 10);
    EXPECT_FALSE(store_.Keep(SingleGameReplay("Ann", 2, 99, 9)).best);
}

TEST_F(ReplayStoreTest, LastGamesKeepTheNewestTwenty)
{
    EXPECT_FALSE(store_.LastGame());
    for (std::uint64_t seed = 1; seed <= 23; ++seed)
        EXPECT_TRUE(store_.Keep(SingleGameReplay("Ann", 0, 1, seed)).last);
    std::set<std::uint64_t> seeds;
    for (const auto& [path, bytes] : Files())
        seeds.insert(Read(path).seed);
    EXPECT_EQ(seeds.size(), 20u);
    EXPECT_EQ(*seeds.begin(), 4u);
    EXPECT_EQ(Read(store_.LastGame()).seed, 23u);
}

// Copies of the game that end games at the same moment each keep theirs, and the best game is
// the best of them all: no last game takes another's name, no best replaces a better one.
TEST_F(ReplayStoreTest, GamesEndingAtOnceAreAllKept)
{
    constexpr int kCopies = 4;
    constexpr int kGames = 3;
    std::latch ready(kCopies);
    std::vector<std::thread> copies;
    for (int copy = 0; copy < kCopies; ++copy)
        copies.emplace_back(
            [&, copy]
            {
                ReplayStore store(store_.Folder());
                ready.arrive_and_wait();
                // Scores rise with the game and fall with the copy: copy 0's last game is best.
                for (int game = 1; game <= kGames; ++game)
                {
                    const int score = game * kCopies - copy;
                    EXPECT_TRUE(
                        store.Keep(SingleGameReplay("Ann", 1, score, copy * kGames + game)).last);
                }
            });
    for (std::thread& copy : copies)
        copy.join();
    std::set<std::uint64_t> seeds;
    for (const auto& [path, bytes] : Files())
        seeds.insert(Read(path).seed);
    EXPECT_EQ(seeds.size(), std::size_t{kCopies * kGames});
    EXPECT_EQ(Read(store_.BestGame("Ann", 1)).seed, std::uint64_t{kGames});
}

// Names as typed never reach the file system: whatever they hold, each user's file is a plain
// name in the folder, apart from every other user's even where letter case does not count.
TEST_F(ReplayStoreTest, FileNamesStayInTheFolderAndApart)
{
    std::vector<std::string> users = {"../x", "/etc/passwd", "a/b", "a\\b",       "..",
                                      ".",    "\x1b",        "Ann", "ann",        "ANN",
                                      "%41n", "_ann",        "",    "J\u00fcrgen"};
    users.push_back(std::string(300, 'A'));
    users.push_back(std::string(299, 'A') + "B");
    std::set<std::string> names;
    for (const std::string& user : users)
    {
        std::string name = ReplayStore::FileNameOf(user);
        EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789ABCDEF_%~"),
                  std::string::npos)
            << name;
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        names.insert(name);
        EXPECT_TRUE(store_.Keep(SingleGameReplay(user, 1, 1)).best) << user;
    }
    EXPECT_EQ(names.size(), users.size());
    for (const std::string& user : users)
        EXPECT_EQ(Read(store_.BestGame(user, 1)).players[0].name, user);
    // Each one's best and a last game, all in the replays folder.
    const auto files = Files();
    EXPECT_EQ(files.size(), 2 * users.size());
    for (const auto& [path, bytes] : files)
        EXPECT_EQ(fs::path(path).parent_path(), config_.Root() / "replays");
}

// A replay that cannot be written is lost alone: the files kept before stay as they were, and
// nothing is thrown at the game.
TEST_F(ReplayStoreTest, FailedWritesLoseTheNewReplayOnly)
{
    ASSERT_TRUE(store_.Keep(SingleGameReplay("Ann", 4, 5, 1)).best);
    const auto before = Files();
#ifndef _WIN32
    {
        const testsupport::FileSizeLimit fullDisk(16);
        const KeptReplay kept = store_.Keep(SingleGameReplay("Ann", 4, 9, 2));
        EXPECT_FALSE(kept.last || kept.best);
    }
    EXPECT_EQ(Files(), before);
#endif
    // A file where the folder should be.
    std::ofstream(config_.Root() / "blocked") << "x";
    ReplayStore blocked((config_.Root() / "blocked").string());
    const KeptReplay kept = blocked.Keep(SingleGameReplay("Ann", 4, 9, 2));
    EXPECT_FALSE(kept.last || kept.best);
    EXPECT_FALSE(blocked.LastGame());
    EXPECT_EQ(ReadReplayFile((config_.Root() / "missing.zr2").string()).error,
              engine::ReplayError::Unreadable);
    EXPECT_EQ(ReadReplayFile(config_.Root().string()).error, engine::ReplayError::Unreadable);
}

} // namespace
