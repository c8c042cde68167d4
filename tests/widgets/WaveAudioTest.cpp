// What the wave sounds really put out, through SDL's disk audio driver, and silence without a
// device.
#include "widgets/Wave.h"

#include "AudioTestSupport.h"
#include "assets/Assets.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{

using audiotest::AudioDevice;
using audiotest::kSilence;
using audiotest::Levels;
using audiotest::MakeWav;
using audiotest::Tone;

// Waits until the channel falls silent; generous, since the device plays in real time.
void WaitForEnd(AudioDevice& device)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (device.Audio().WavePlaying() && std::chrono::steady_clock::now() < deadline)
        SDL_Delay(10);
}

// Waits until the device has written at least one 10 ms stretch louder than `level`.
bool WaitForOutput(const AudioDevice& device, int level)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline)
    {
        const auto levels = Levels(device.File());
        if (std::any_of(levels.begin(), levels.end(), [&](int l) { return l > level; }))
            return true;
        SDL_Delay(10);
    }
    return false;
}

int CountIf(const std::vector<int>& levels, int low, int high)
{
    return static_cast<int>(
        std::count_if(levels.begin(), levels.end(), [&](int l) { return l > low && l <= high; }));
}

TEST(WaveAudioTest, TheClickSoundIsReallyHeard)
{
    const auto pop = assets::Find("pop.wav");
    if (pop.empty())
        GTEST_SKIP() << "the generated sounds are not built in";
    AudioDevice device("disk");
    ASSERT_TRUE(device.Opened()) << SDL_GetError();

    TWave Pop{device.Audio()};
    Pop.SetSound(pop);
    ASSERT_TRUE(Pop.Play());
    WaitForEnd(device);
    device.Finish();

    const auto levels = Levels(device.File());
    const int sounding = CountIf(levels, kSilence, 1 << 16);
    EXPECT_GT(sounding, 10) << "pop.wav puts out no sound";
    EXPECT_LE(sounding, 60) << "about 0.55 s of sound";
}

TEST(WaveAudioTest, TheGeneratedSoundsPlayOnAnOpenDevice)
{
    if (assets::Find("hrum.wav").empty())
        GTEST_SKIP() << "the generated sounds are not built in";
    AudioDevice device("dummy");
    ASSERT_TRUE(device.Opened());
    for (const char* name : {"pop.wav", "hrum.wav", "deadsound.wav"})
    {
        TWave wave{device.Audio()};
        wave.SetSound(assets::Find(name));
        EXPECT_TRUE(wave.Play()) << name;
        wave.Stop();
    }
}

// A new sound cuts the playing one off: a long quiet tone, then 100 ms later a short loud one;
// the output holds a little of the quiet tone, then the whole loud one, and the quiet one never
// comes back.
TEST(WaveAudioTest, ASecondSoundReplacesTheFirstAtOnce)
{
    AudioDevice device("disk");
    ASSERT_TRUE(device.Opened()) << SDL_GetError();
    constexpr int kQuiet = 12000; // the quiet tone peaks near 16 * 256, the loud near 96 * 256

    TWave Hrum{device.Audio()};
    TWave DeadSound{device.Audio()};
    Hrum.SetSound(MakeWav(Tone(3.0, 16)));
    DeadSound.SetSound(MakeWav(Tone(0.5, 96)));

    ASSERT_TRUE(Hrum.Play());
    ASSERT_TRUE(WaitForOutput(device, kSilence)) << "the first sound was never written";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(DeadSound.Play());
    WaitForEnd(device);
    // Play on an empty component afterwards changes nothing.
    TWave empty{device.Audio()};
    EXPECT_FALSE(empty.Play());
    device.Finish();

    const auto levels = Levels(device.File());
    const auto firstLoud =
        std::find_if(levels.begin(), levels.end(), [&](int l) { return l > kQuiet; });
    ASSERT_NE(firstLoud, levels.end()) << "the second sound was never heard";
    const std::vector<int> before(levels.begin(), firstLoud);
    const std::vector<int> after(firstLoud, levels.end());

    const int quietBefore = CountIf(before, kSilence, kQuiet);
    EXPECT_GT(quietBefore, 0);
    EXPECT_LT(quietBefore, 250) << "the first sound was not cut off";
    const int loud = CountIf(after, kQuiet, 1 << 16);
    EXPECT_NEAR(loud, 50, 3) << "the second sound plays whole";
    // Past the loud stretch (and one window of overlap at its edges) only silence follows.
    const auto lastLoud =
        std::find_if(levels.rbegin(), levels.rend(), [&](int l) { return l > kQuiet; }).base();
    EXPECT_EQ(CountIf(std::vector<int>(std::min(lastLoud + 1, levels.end()), levels.end()),
                      kSilence, 1 << 16),
              0)
        << "the first sound came back";
}

TEST(WaveAudioTest, WithoutADeviceEverythingIsSilentAndHarmless)
{
    AudioDevice device("no-such-driver");
    EXPECT_FALSE(device.Opened());

    TWave wave{device.Audio()};
    wave.SetSound(MakeWav(Tone(0.1, 40)));
    EXPECT_FALSE(wave.Play());
    wave.Stop();
    wave.SetPlayOption(poLoop);
    EXPECT_FALSE(wave.Play());
    wave.SetSound(MakeWav(Tone(0.2, 40)));
    EXPECT_FALSE(wave.Play());
}

// However the scope of an audio service ends, the device closes with it; while it exists no second
// one may open the device again.
TEST(WaveAudioTest, TheDeviceIsOpenExactlyWhileItsServiceExists)
{
    try
    {
        audio::Service audio({.driver = "dummy"});
        ASSERT_TRUE(audio.Open());
        audio::Service second({.driver = "dummy"});
        EXPECT_THROW(second.Open(), std::logic_error);
        EXPECT_TRUE(audio.Opened());
        throw std::runtime_error("escaped");
    }
    catch (const std::runtime_error&)
    {
    }
    audio::Service again({.driver = "dummy"});
    EXPECT_TRUE(again.Open());
}

// On this machine's own choice of driver (usually no sound card at all) opening says nothing.
TEST(WaveAudioTest, OpeningTheDefaultDeviceWritesNoMessage)
{
    audiotest::ScopedEnv driver("SDL_AUDIODRIVER", std::nullopt);
    testing::internal::CaptureStderr();
    {
        audio::Service audio;
        audio.Open();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The sound decoded for the first opening of the device is decoded again for the next.
TEST(WaveAudioTest, ASoundPreparedBeforeTheDeviceReopensStillPlays)
{
    AudioDevice device("disk");
    ASSERT_TRUE(device.Opened());
    TWave wave{device.Audio()};
    wave.SetSound(MakeWav(Tone(0.05, 40)));
    EXPECT_TRUE(wave.Play());
    device.Finish();
    ASSERT_TRUE(device.Audio().Open());
    EXPECT_TRUE(wave.Play());
    WaitForEnd(device);
    device.Finish();
    const auto levels = Levels(device.File());
    EXPECT_GT(CountIf(levels, kSilence, 1 << 16), 2);
}

} // namespace
