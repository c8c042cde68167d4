// The music player: its failures with and without exceptions, and real playback through SDL's
// disk audio driver, where the end of the file brings the notice and the repeat.
#include "widgets/MusicPlayer.h"

#include "AudioTestSupport.h"
#include "audio/MidiRender.h"
#include "platform/Dispatch.h"
#include "widgets/Wave.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

using audiotest::AudioDevice;
using audiotest::kSilence;
using audiotest::Levels;
using namespace std::chrono_literals;

// A Standard MIDI File of 0.5 s at 120 beats per minute: one side-stick hit at the start on the
// drum channel, then silence until the end of the track.
std::filesystem::path WriteShortMidi()
{
    const auto path = audiotest::TempPath("short.mid");
    // Hit, release, end at tick 96.
    audiotest::WriteBytes(
        path, audiotest::MakeMidi(96, {0, 0x99, 37, 110, 24, 0x89, 37, 0, 72, 0xFF, 0x2F, 0}));
    return path;
}

// Runs the calls handed to the main thread until `done` holds; false when time runs out.
template <typename Pred> bool PumpUntil(Pred done, std::chrono::milliseconds limit = 30s)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        platform::WaitPending(20ms);
        platform::RunPending();
    }
    return true;
}

void PumpFor(std::chrono::milliseconds span)
{
    PumpUntil([] { return false; }, span);
}

std::string ErrorOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const EMCIDeviceError& e)
    {
        return e.what();
    }
    return "no error";
}

class MCIPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::SetMainThread();
        platform::Restart();
        platform::SetExceptionHandler([this](const std::exception_ptr& e)
                                      { failures_.push_back(e); });
        midi_ = WriteShortMidi();
    }
    void TearDown() override
    {
        platform::Cancel(nullptr);
        platform::SetExceptionHandler(nullptr);
        std::filesystem::remove(midi_);
        EXPECT_TRUE(failures_.empty()) << "the music reported a failure";
    }

    // Opens the short file with the repeat on and records every notice.
    void Prepare(TMCIFilePlayer& player)
    {
        player.SetFileName(midi_.string());
        player.SetAutoRepeat(true);
        player.OnNotify = [this](TMCIFilePlayer&, TMPNotifyValues value)
        {
            notices_.push_back(value);
            onMainThread_ = onMainThread_ && platform::IsMainThread();
        };
    }

    int Count(TMPNotifyValues value) const
    {
        return static_cast<int>(std::count(notices_.begin(), notices_.end(), value));
    }

    std::filesystem::path midi_;
    std::vector<std::exception_ptr> failures_; // what handed-over calls threw
    std::vector<TMPNotifyValues> notices_;
    bool onMainThread_ = true;
};

TEST_F(MCIPlayerTest, FailuresAreQuietUnlessExceptionsAreAsked)
{
    audio::Service silent;
    TMCIFilePlayer player{silent};
    EXPECT_TRUE(player.AutoRewind());
    EXPECT_FALSE(player.AutoOpen());

    // No file name.
    EXPECT_FALSE(player.Open());
    player.SetAutoOpen(true);
    player.Loaded();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.Rewind());
    EXPECT_TRUE(player.Close());

    player.SetRaiseExceptions(true);
    EXPECT_EQ(ErrorOf([&] { player.Open(); }), "Cannot open file ");
    EXPECT_EQ(ErrorOf([&] { player.Play(); }), "No MCI device open");
    EXPECT_EQ(ErrorOf([&] { player.Rewind(); }), "No MCI device open");

    // A missing file: the platform's text, or nothing at all without exceptions.
    const auto missing = audiotest::TempPath("missing.mid").string();
    player.SetFileName(missing);
    const std::string text = ErrorOf([&] { player.Open(); });
    EXPECT_NE(text, "no error");
    EXPECT_FALSE(text.empty());
    player.SetRaiseExceptions(false);
    EXPECT_FALSE(player.Open());
    EXPECT_NE(player.Error(), 0u);
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(player.Play());

    // A device type with no player here has no text of its own.
    player.SetFileName(midi_.string());
    player.SetDeviceType(dtCDAudio);
    player.SetRaiseExceptions(true);
    EXPECT_EQ(ErrorOf([&] { player.Open(); }), "Unknown error code");
    EXPECT_FALSE(player.IsOpen());
}

TEST_F(MCIPlayerTest, WithoutADeviceThereIsNoMusicAndNoMessage)
{
    AudioDevice device("no-such-driver");
    ASSERT_FALSE(device.Opened());
    TMCIFilePlayer player{device.Audio()};
    Prepare(player);
    player.SetAutoOpen(true);
    player.Loaded();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(player.Play());
    PumpFor(100ms);
    EXPECT_TRUE(notices_.empty());
}

TEST_F(MCIPlayerTest, TheMusicStartsAgainFromItsBeginningAfterItsEnd)
{
    AudioDevice device("disk");
    ASSERT_TRUE(device.Opened()) << "SDL's disk audio driver did not open";
    TMCIFilePlayer player{device.Audio()};
    Prepare(player);
    ASSERT_TRUE(player.Open()) << player.ErrorMessage();
    EXPECT_NE(player.DeviceID(), 0);
    // The rendering made beside the synthesiser's first round can shift that round's timing
    // (the mixer's synthesiser keeps time by the clock); the rounds every later start hears are
    // the rendered ones.
    player.WaitForRendering();
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(player.Mode(), mpPlaying);

    ASSERT_TRUE(PumpUntil([&] { return Count(nvSuccessful) >= 2; }));
    EXPECT_TRUE(onMainThread_) << "the notice must arrive on the main thread";
    EXPECT_EQ(player.Mode(), mpPlaying) << "restarted after the end";
    EXPECT_EQ(player.NotifyValue(), nvSuccessful);

    // Any other command ends the loop.
    ASSERT_TRUE(player.Close());
    EXPECT_EQ(player.DeviceID(), 0);
    PumpFor(800ms);
    EXPECT_EQ(notices_.back(), nvAborted);
    EXPECT_EQ(player.Mode(), mpNotReady);
    device.Finish();

    // Each play begins with the hit; the next begins no earlier than the file's end.
    const auto levels = Levels(device.File());
    std::vector<int> onsets;
    for (std::size_t i = 1; i < levels.size(); ++i)
    {
        if (levels[i] > kSilence && levels[i - 1] <= kSilence)
            onsets.push_back(static_cast<int>(i));
    }
    ASSERT_GE(onsets.size(), 2u) << "the music was not heard twice";
    const int interval = onsets[1] - onsets[0]; // in 10 ms windows
    EXPECT_GE(interval, 48);
    EXPECT_LT(interval, 220) << "a long pause between the end and the repeat";
}

TEST_F(MCIPlayerTest, RewindStopsTheLoopAndPlayingAgainSupersedes)
{
    AudioDevice device("dummy");
    ASSERT_TRUE(device.Opened());
    // A missing file is no music, quietly, or the mixer's own text.
    TMCIFilePlayer missing{device.Audio()};
    missing.SetFileName(audiotest::TempPath("missing.mid").string());
    EXPECT_FALSE(missing.Open());
    EXPECT_FALSE(missing.Play());
    missing.SetRaiseExceptions(true);
    EXPECT_NE(ErrorOf([&] { missing.Open(); }).find("missing.mid"), std::string::npos);

    TMCIFilePlayer player{device.Audio()};
    Prepare(player);
    ASSERT_TRUE(player.Open()) << player.ErrorMessage();

    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(PumpUntil([&] { return !notices_.empty(); }));
    EXPECT_EQ(notices_.front(), nvSuperseded);
    EXPECT_EQ(player.Mode(), mpPlaying) << "the music goes on";

    ASSERT_TRUE(player.Rewind());
    EXPECT_EQ(player.Mode(), mpStopped);
    ASSERT_TRUE(PumpUntil([&] { return Count(nvAborted) == 1; }));
    PumpFor(1000ms);
    EXPECT_EQ(Count(nvSuccessful), 0) << "no repeat after a command";
    EXPECT_EQ(player.Mode(), mpStopped);

    // Without the repeat, the end stops the music; AutoRewind then plays it from the start.
    player.SetAutoRepeat(false);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(PumpUntil([&] { return Count(nvSuccessful) == 1; }));
    EXPECT_EQ(player.Mode(), mpStopped);
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(player.Mode(), mpPlaying);
    ASSERT_TRUE(PumpUntil([&] { return Count(nvSuccessful) == 2; }));

    // At the end without AutoRewind, a play ends at once without a sound.
    player.SetAutoRewind(false);
    ASSERT_TRUE(player.Play());
    EXPECT_EQ(player.Mode(), mpStopped);
    ASSERT_TRUE(PumpUntil([&] { return Count(nvSuccessful) == 3; }));

    // AutoClose closes on the notice.
    player.SetAutoRewind(true);
    player.SetAutoClose(true);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(PumpUntil([&] { return Count(nvSuccessful) == 4; }));
    EXPECT_FALSE(player.IsOpen());
}

TEST_F(MCIPlayerTest, DestroyingAPlayingPlayerLeavesNothingBehind)
{
    AudioDevice device("dummy");
    ASSERT_TRUE(device.Opened());
    {
        TMCIFilePlayer player{device.Audio()};
        Prepare(player);
        ASSERT_TRUE(player.Open());
        ASSERT_TRUE(player.Play());
    }
    EXPECT_FALSE(platform::WaitPending(300ms)) << "a notice is still queued for a dead player";
    platform::RunPending();
    EXPECT_TRUE(notices_.empty());

    // A later player gets its own notices as before.
    TMCIFilePlayer next{device.Audio()};
    Prepare(next);
    ASSERT_TRUE(next.Open());
    ASSERT_TRUE(next.Play());
    EXPECT_TRUE(PumpUntil([&] { return Count(nvSuccessful) == 2; }));

    // Closing the audio device cuts the music off; the repeat does not try again.
    device.Finish();
    ASSERT_TRUE(PumpUntil([&] { return Count(nvAborted) == 1; }));
    PumpFor(200ms);
    EXPECT_EQ(notices_.back(), nvAborted);
    EXPECT_EQ(next.Mode(), mpStopped);
    EXPECT_FALSE(next.Play());
}

TEST_F(MCIPlayerTest, ASilentDeviceIsLetGoAndTheNextSoundOpensItAgain)
{
    // A rendering of its own, so that the tune's cache is left as the other tests expect it.
    const auto cache = audiotest::TempPath("idle-cache");
    audiotest::ScopedEnv cacheHome("XDG_CACHE_HOME", cache.string());
    AudioDevice device("dummy", {.idleRelease = 100ms});
    ASSERT_TRUE(device.Opened());
    TMCIFilePlayer music{device.Audio()};
    Prepare(music);
    ASSERT_TRUE(music.Open()) << music.ErrorMessage();
    ASSERT_TRUE(music.Play());
    // The looping tune keeps the device through several idle times and its own repeats.
    PumpFor(700ms);
    EXPECT_TRUE(device.Opened());
    music.Close();
    ASSERT_TRUE(PumpUntil([&] { return !device.Opened(); }));

    TWave click{device.Audio()};
    click.SetSound(audiotest::MakeWav(audiotest::Tone(0.05, 40)));
    EXPECT_TRUE(click.Play());
    EXPECT_TRUE(device.Opened());
    ASSERT_TRUE(PumpUntil([&] { return !device.Opened(); })) << "let go again after the click";
    // A game screen holds it: open at once, kept through silence, let go once the hold ends.
    device.Audio().Hold(true);
    EXPECT_TRUE(device.Opened());
    PumpFor(400ms);
    EXPECT_TRUE(device.Opened()) << "let go while held";
    device.Audio().Hold(false);
    ASSERT_TRUE(PumpUntil([&] { return !device.Opened(); })) << "kept after the hold";
    ASSERT_TRUE(music.Open()) << music.ErrorMessage();
    EXPECT_TRUE(music.Play());
    EXPECT_TRUE(device.Opened());
    music.Close();
    music.WaitForRendering();
    std::filesystem::remove_all(cache);
}

// The silence is counted on the service's clock from the end of the last sound, however long the
// device has stood silent before it.
TEST_F(MCIPlayerTest, TheSilenceIsCountedOnTheServicesClockFromTheLastSound)
{
    std::chrono::steady_clock::time_point now{};
    AudioDevice device("dummy", {.idleRelease = 40ms,
                                 .clock = [&now]
                                 {
                                     return now;
                                 }});
    ASSERT_TRUE(device.Opened());
    PumpFor(200ms);
    EXPECT_TRUE(device.Opened()) << "let go before the clock moved";

    now += 30ms;
    TWave click{device.Audio()};
    click.SetSound(audiotest::MakeWav(audiotest::Tone(0.05, 40)));
    ASSERT_TRUE(click.Play());
    ASSERT_TRUE(PumpUntil([&] { return !device.Audio().WavePlaying(); }));
    PumpFor(100ms);
    now += 30ms;
    PumpFor(100ms);
    EXPECT_TRUE(device.Opened()) << "counted from before the click";
    now += 10ms;
    EXPECT_TRUE(PumpUntil([&] { return !device.Opened(); }));
}

TEST_F(MCIPlayerTest, TheTuneIsRenderedOnceThenLoopsWithoutTheSynthesiser)
{
    using audiotest::ScopedEnv;
    // A cache of its own: the other tests' players may have kept the same tune already.
    const auto cache = audiotest::TempPath("render-cache");
    std::filesystem::remove_all(cache);
    ScopedEnv cacheHome("XDG_CACHE_HOME", cache.string());
    {
        AudioDevice device("dummy");
        ASSERT_TRUE(device.Opened());
        TMCIFilePlayer first{device.Audio()};
        Prepare(first);
        ASSERT_TRUE(first.Open()) << first.ErrorMessage();
        EXPECT_FALSE(first.PlaysRendering()) << "nothing kept yet: the synthesiser plays";
        ASSERT_TRUE(first.Play());
        first.WaitForRendering();
        EXPECT_TRUE(first.PlaysRendering());
    }

    // Kept from then on: with no bank to be found the tune still plays, and each round follows
    // the last at exactly the tune's own length (50 windows of 10 ms), notice by notice.
    std::size_t noticesBefore = notices_.size();
    {
        ScopedEnv noBank("SDL_SOUNDFONTS", "/nonexistent/bank.sf2");
        AudioDevice device("disk");
        ASSERT_TRUE(device.Opened());
        TMCIFilePlayer kept{device.Audio()};
        Prepare(kept);
        ASSERT_TRUE(kept.Open()) << kept.ErrorMessage();
        EXPECT_TRUE(kept.PlaysRendering());
        // Rounds of this player alone: the first one's looping may have brought notices too.
        const int roundsBefore = Count(nvSuccessful);
        ASSERT_TRUE(kept.Play());
        ASSERT_TRUE(PumpUntil([&] { return Count(nvSuccessful) >= roundsBefore + 4; }));
        EXPECT_EQ(kept.Mode(), mpPlaying);
        device.Finish();
        ASSERT_TRUE(PumpUntil([&] { return notices_.back() == nvAborted; }));
        const auto levels = Levels(device.File());
        std::vector<int> onsets;
        for (std::size_t i = 1; i < levels.size(); ++i)
        {
            if (levels[i] > kSilence && levels[i - 1] <= kSilence)
                onsets.push_back(static_cast<int>(i));
        }
        ASSERT_GE(onsets.size(), 3u);
        for (std::size_t i = 1; i < onsets.size(); ++i)
            EXPECT_NEAR(onsets[i] - onsets[i - 1], 50, 1) << "round " << i;
    }
    EXPECT_GT(notices_.size(), noticesBefore);

    // A changed tune is rendered anew; where nothing can be kept it plays from memory.
    {
        std::fstream file(midi_, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(24);
        file.put(38); // another drum
    }
    const auto blocked = audiotest::TempPath("not-a-folder");
    std::ofstream(blocked) << "x";
    ScopedEnv noCache("XDG_CACHE_HOME", blocked.string());
    AudioDevice device("dummy");
    TMCIFilePlayer changed{device.Audio()};
    Prepare(changed);
    ASSERT_TRUE(changed.Open());
    EXPECT_FALSE(changed.PlaysRendering());
    changed.WaitForRendering();
    EXPECT_TRUE(changed.PlaysRendering());
    ASSERT_TRUE(changed.Play());
    EXPECT_EQ(changed.Mode(), mpPlaying);
    std::filesystem::remove(blocked);
    std::filesystem::remove_all(cache);
}

TEST_F(MCIPlayerTest, ATuneOfYearsIsNoMusicAndTheNextTuneRenders)
{
    const auto cache = audiotest::TempPath("years-cache");
    audiotest::ScopedEnv cacheHome("XDG_CACHE_HOME", cache.string());
    // One delta of 2^28 - 1 ticks at one tick per quarter note: over four years of samples.
    const auto years = audiotest::TempPath("years.mid");
    audiotest::WriteBytes(years, audiotest::SilentTune(0x0FFFFFFF));
    AudioDevice device("dummy");
    ASSERT_TRUE(device.Opened());
    TMCIFilePlayer player{device.Audio()};
    Prepare(player);
    // Whether the tune plays from a rendering; either way it plays.
    const auto playsRendered = [&player](const std::filesystem::path& tune)
    {
        player.SetFileName(tune.string());
        EXPECT_TRUE(player.Open()) << player.ErrorMessage();
        player.WaitForRendering();
        EXPECT_TRUE(player.Play());
        EXPECT_EQ(player.Mode(), mpPlaying);
        return player.PlaysRendering();
    };
    EXPECT_FALSE(playsRendered(years));
    EXPECT_TRUE(playsRendered(midi_));
    player.Close();
    std::filesystem::remove(years);
    std::filesystem::remove_all(cache);
}

// A rendering that runs out of memory (the longest tune, with the process's address space cut
// short) is reported on the main thread as any handed-over call's failure, and the game goes on.
TEST_F(MCIPlayerTest, ARenderingOutOfMemoryIsReportedNotFatal)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer stops the process on a failed allocation";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            audiotest::ScopedEnv cacheHome("XDG_CACHE_HOME",
                                           audiotest::TempPath("no-memory-cache").string());
            const auto hour = audiotest::TempPath("hour.mid");
            audiotest::WriteBytes(hour, audiotest::SilentTune(7200));
            AudioDevice device("dummy");
            TMCIFilePlayer player{device.Audio()};
            player.SetFileName(hour.string());
            platform::SetExceptionHandler(
                [&player](const std::exception_ptr& e)
                {
                    try
                    {
                        std::rethrow_exception(e);
                    }
                    catch (const std::exception& x)
                    {
                        std::fprintf(stderr, "reported: %s\n", x.what());
                    }
                    std::_Exit(player.Mode() == mpPlaying ? 0 : 1);
                });
            // Room for the synthesiser, its bank and a thread, not for an hour's samples (635 MB).
            std::ifstream statm("/proc/self/statm");
            std::uint64_t pages = 0;
            statm >> pages;
            rlimit limit{};
            getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur =
                pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + (384ULL << 20);
            setrlimit(RLIMIT_AS, &limit);
            player.Open();
            player.Play();
            PumpFor(30s);
            std::_Exit(2);
        },
        ::testing::ExitedWithCode(0), "reported: std::bad_alloc");
}

// Relative folders never stand for the one the game was started from; the password database's
// home serves instead, as it does for the settings file.
TEST(TuneCache, IsNeverKeptInTheFolderTheGameWasStartedFrom)
{
    audiotest::ScopedEnv relative("XDG_CACHE_HOME", "cache");
    audiotest::ScopedEnv home("HOME", "home");
    const passwd* user = ::getpwuid(::getuid());
    const std::string databaseHome = user != nullptr ? user->pw_dir : "";
    EXPECT_EQ(audio::TuneCacheDirectory(),
              databaseHome.starts_with('/') ? databaseHome + "/.cache/zorbel2/" : "");
}

TEST_F(MCIPlayerTest, TheGamesMusicFilePlays)
{
    const std::filesystem::path& dir = testsupport::BuiltProgramFolder();
    const std::filesystem::path file = dir / "zbmusic.mid";
    if (dir.empty() || !std::filesystem::exists(file))
        GTEST_SKIP() << "zbmusic.mid has not been generated";
    AudioDevice device("disk");
    ASSERT_TRUE(device.Opened());
    TMCIFilePlayer Music{device.Audio()};
    Music.SetAutoOpen(true);
    Music.SetAutoRepeat(true);
    Music.Loaded();
    Music.SetFileName(file.string());
    ASSERT_TRUE(Music.Open()) << Music.ErrorMessage();
    ASSERT_TRUE(Music.Play());
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    bool heard = false;
    while (!heard && std::chrono::steady_clock::now() < deadline)
    {
        PumpFor(50ms);
        const auto levels = Levels(device.File());
        heard = std::any_of(levels.begin(), levels.end(), [](int l) { return l > kSilence; });
    }
    EXPECT_TRUE(heard) << "zbmusic.mid puts out no sound";
    EXPECT_EQ(Music.Mode(), mpPlaying);
}

} // namespace
