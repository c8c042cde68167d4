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
#include <chrono>
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
    deathMatch.probability = 1;
    deathMatch.computerWorms = 0;
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

// The numbers of the last games go round after ten digits, the newest after 9999999999 being
// 0000000000; temporary files that killed writes left (named as either platform's writer names
// them) go once they are stale.
TEST_F(ReplayStoreTest, LastGamesGoRoundTheirNumbersAndStaleTemporariesGo)
{
    ASSERT_TRUE(store_.Keep(SingleGameReplay("Ann", 0, 1, 100)).last);
    const fs::path folder = store_.Folder();
    const fs::path first = *store_.LastGame();
    for (std::uint64_t n = 9'999'999'981; n <= 9'999'999'999; ++n)
        fs::copy_file(first, folder / ("last-" + std::to_string(n) + ".zr2"));
    fs::remove(first);
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
    const std::vector<std::string> stale = {".zr2-AbC123", ".last-0000000007.zr2.ab12cd",
                                            ".best-1-_ann.zr2.zz99zz"};
    for (const std::string& name : stale)
    {
        std::ofstream(folder / name) << "part";
        fs::last_write_time(folder / name, old);
    }
    std::ofstream(folder / ".last-0000000008.zr2.fresh1") << "part";

    for (std::uint64_t seed = 1; seed <= 3; ++seed)
        EXPECT_TRUE(store_.Keep(SingleGameReplay("Ann", 0, 1, seed)).last);
    EXPECT_EQ(Read(store_.LastGame()).seed, 3u);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    std::set<std::string> expected = {".last-0000000008.zr2.fresh1", "last-0000000000.zr2",
                                      "last-0000000001.zr2", "last-0000000002.zr2"};
    for (std::uint64_t n = 9'999'999'983; n <= 9'999'999'999; ++n)
        expected.insert("last-" + std::to_string(n) + ".zr2");
    EXPECT_EQ(names, expected);
}

// A best file is its user's game at its level: one that holds another player's game (copied
// there by hand) is neither shown as this user's nor replaced as if it were.
TEST_F(ReplayStoreTest, BestFilesHoldTheirOwnUsersGame)
{
    ASSERT_TRUE(store_.Keep(SingleGameReplay("Bob", 1, 3, 1)).best);
    ASSERT_TRUE(store_.Keep(SingleGameReplay("Ann", 2, 3, 2)).best);
    const std::string annPath = *store_.BestGame("Ann", 2);
    const std::string annBest = Files().at(annPath);
    fs::copy_file(*store_.BestGame("Bob", 1),
                  fs::path(annPath).replace_filename("best-1-_ann.zr2"));
    fs::copy_file(annPath, fs::path(annPath).replace_filename("best-3-_ann.zr2"));
    EXPECT_FALSE(store_.BestGame("Ann", 1));
    EXPECT_FALSE(store_.BestGame("Ann", 3));
    EXPECT_FALSE(store_.Keep(SingleGameReplay("Ann", 1, 9, 3)).best);
    EXPECT_EQ(Read(fs::path(annPath).replace_filename("best-1-_ann.zr2").string()).players[0].name,
              "Bob");
    EXPECT_EQ(Files().at(annPath), annBest);
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
    // Long names sharing their start differ in 128 bits of hash.
    for (const std::string& user : {users[users.size() - 2], users.back()})
    {
        const std::string name = ReplayStore::FileNameOf(user);
        ASSERT_GT(name.size(), 33u);
        EXPECT_EQ(name[name.size() - 33], '~');
        EXPECT_EQ(name.find_first_not_of("0123456789abcdef", name.size() - 32), std::string::npos);
    }
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
