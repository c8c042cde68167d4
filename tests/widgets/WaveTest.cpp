// The wave sound component: what its stored form accepts and refuses, and the rules that keep a
// playing sound safe from changes.
#include "widgets/Wave.h"

#include "AudioTestSupport.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace
{

using audiotest::MakeWav;
using audiotest::Tone;
using Bytes = std::vector<std::uint8_t>;

// The bytes of a literal, embedded zeros included.
template <std::size_t N> Bytes Text(const char (&s)[N])
{
    return Bytes(s, s + N - 1);
}

Bytes Stored(const Bytes& content)
{
    const auto n = static_cast<std::uint32_t>(content.size());
    Bytes out{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
              static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes Content(const TPersistentMemory& m)
{
    return m.Empty() ? Bytes{} : Bytes(m.Memory(), m.Memory() + m.Size());
}

std::string RefusalOf(TWave& wave, const Bytes& bytes)
{
    try
    {
        wave.Sound().ReadData(Stored(bytes));
    }
    catch (const EInvalidWaveOperation& e)
    {
        return e.what();
    }
    return "accepted";
}

TEST(WaveImageTest, RefusesWhatIsNoRiffWave)
{
    audio::Service silent; // never opened: nothing here is heard
    // Form type AVI: a RIFF file, but no wave.
    Bytes avi = Text("RIFF");
    avi.insert(avi.end(), {4, 0, 0, 0});
    avi.insert(avi.end(), {'A', 'V', 'I', ' '});

    TWave empty{silent};
    EXPECT_EQ(RefusalOf(empty, avi), "Wave image is not a valid wave file format");
    EXPECT_TRUE(empty.Sound().Empty());
    EXPECT_FALSE(empty.Sound().Modified()) << "a refused block starts no change";
    EXPECT_FALSE(empty.Play());

    EXPECT_EQ(RefusalOf(empty, Text("This is plain text and no RIFF stream at all.")),
              "Wave image is not a valid wave file format");
    // Too short to be read as a RIFF stream.
    EXPECT_EQ(RefusalOf(empty, Text("RIFF")), "Error reading wave data");
    EXPECT_EQ(RefusalOf(empty, Text("RIFF\4\0\0\0WAV")), "Error reading wave data");

    // A component that holds a sound keeps it.
    TWave held{silent};
    const Bytes good = MakeWav(Tone(0.01, 50));
    held.SetSound(good);
    EXPECT_EQ(RefusalOf(held, avi), "Wave image is not a valid wave file format");
    EXPECT_EQ(Content(held.Sound()), good);
    EXPECT_THROW(held.SetSound(Text("RIFF")), EInvalidWaveOperation);
    EXPECT_EQ(Content(held.Sound()), good);
}

TEST(WaveImageTest, AcceptsAWaveFileFoundAmongTheTopChunks)
{
    audio::Service silent; // never opened: nothing here is heard
    TWave wave{silent};
    const Bytes good = MakeWav(Tone(0.01, 50));
    EXPECT_EQ(RefusalOf(wave, good), "accepted");
    EXPECT_EQ(Content(wave.Sound()), good);

    // Only the outer header is judged: the search walks whole chunks from the start, and the
    // inner chunks are not looked at.
    Bytes junkFirst = Text("JUNK");
    junkFirst.insert(junkFirst.end(), {3, 0, 0, 0, 'x', 'y', 'z', 0});
    const Bytes bare = Text("RIFF\4\0\0\0WAVE");
    junkFirst.insert(junkFirst.end(), bare.begin(), bare.end());
    EXPECT_EQ(RefusalOf(wave, junkFirst), "accepted");
    EXPECT_EQ(Content(wave.Sound()), junkFirst);

    // "WAVE" that is not at a chunk boundary does not count.
    Bytes hidden = Text("JUNK");
    hidden.insert(hidden.end(), {12, 0, 0, 0});
    hidden.insert(hidden.end(), bare.begin(), bare.end());
    EXPECT_EQ(RefusalOf(wave, hidden), "Wave image is not a valid wave file format");
    EXPECT_EQ(Content(wave.Sound()), junkFirst);
}

TEST(PersistentMemoryTest, StoredFormRoundTripAndClearing)
{
    audio::Service silent; // never opened: nothing here is heard
    TWave source{silent};
    const Bytes good = MakeWav(Tone(0.02, 40));
    source.SetSound(good);
    const Bytes stored = source.Sound().WriteData();
    EXPECT_EQ(stored, Stored(good)) << "N as 32-bit little-endian, then the file byte for byte";

    TWave copy{silent};
    copy.Sound().ReadData(stored);
    EXPECT_EQ(Content(copy.Sound()), good);
    EXPECT_TRUE(copy.Sound().Modified());

    // N = 0 clears, through a change bracket.
    int changing = 0;
    int changed = 0;
    TPersistentMemory plain;
    plain.LoadFromMemory(Text("anything at all"));
    plain.OnChanging = [&](TPersistentMemory& m)
    {
        ++changing;
        EXPECT_FALSE(m.Empty()) << "OnChanging sees the old content";
    };
    plain.OnChange = [&](TPersistentMemory& m)
    {
        ++changed;
        EXPECT_TRUE(m.Empty());
    };
    plain.ReadData(Bytes{0, 0, 0, 0});
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(plain.WriteData().empty()) << "an empty block is not written at all";

    copy.Sound().ReadData(Bytes{0, 0, 0, 0});
    EXPECT_TRUE(copy.Sound().Empty());
    EXPECT_FALSE(copy.Play());

    // A block cut short is refused and the content stays.
    Bytes cut = Stored(good);
    cut.resize(cut.size() - 1);
    EXPECT_THROW(source.Sound().ReadData(cut), std::runtime_error);
    EXPECT_THROW(source.Sound().ReadData(Bytes{1, 0}), std::runtime_error);
    EXPECT_EQ(Content(source.Sound()), good);

    // Assigning nothing clears.
    source.SetSound({});
    EXPECT_TRUE(source.Sound().Empty());
}

// Rules about a sound that plays, on SDL's dummy device (it consumes samples in real time and
// writes them nowhere).
class WavePlayingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!device_.Opened())
            GTEST_SKIP() << "SDL's dummy audio driver did not open";
        long_.SetSound(MakeWav(Tone(5.0, 40)));
        other_.SetSound(MakeWav(Tone(0.05, 40)));
    }

    bool Sounding() { return device_.Audio().WavePlaying(); }

    audiotest::AudioDevice device_{"dummy"};
    TWave long_{device_.Audio()};
    TWave other_{device_.Audio()};
};

TEST_F(WavePlayingTest, PlayOnAnEmptySoundLeavesThePlayingOneAlone)
{
    TWave empty{device_.Audio()};
    ASSERT_TRUE(long_.Play());
    EXPECT_FALSE(empty.Play());
    EXPECT_TRUE(Sounding());
}

TEST_F(WavePlayingTest, ChangesStopTheSoundBeforeTheBytesChange)
{
    // Changing a non-empty sound stops whatever plays, even another component's sound, and it
    // does so before the bytes change.
    ASSERT_TRUE(long_.Play());
    bool soundingBefore = false;
    bool soundingWhileChanging = true;
    auto stopping = other_.Sound().OnChanging;
    other_.Sound().OnChanging = [&](TPersistentMemory& m)
    {
        soundingBefore = Sounding();
        stopping(m);
        soundingWhileChanging = Sounding();
    };
    other_.SetSound(MakeWav(Tone(0.05, 30)));
    EXPECT_TRUE(soundingBefore);
    EXPECT_FALSE(soundingWhileChanging);
    other_.Sound().OnChanging = stopping;

    // Its own sound too.
    ASSERT_TRUE(long_.Play());
    long_.SetSound(MakeWav(Tone(4.0, 40)));
    EXPECT_FALSE(Sounding());

    // An empty component has nothing playing from its bytes and stops nothing.
    ASSERT_TRUE(long_.Play());
    TWave empty{device_.Audio()};
    empty.SetSound(MakeWav(Tone(0.05, 40)));
    EXPECT_TRUE(Sounding());

    // Neither does a synchronous one, whose sound has always ended when Play returns.
    TWave sync{device_.Audio()};
    sync.SetPlayOption(poSync);
    sync.SetSound(MakeWav(Tone(0.05, 40)));
    ASSERT_TRUE(long_.Play());
    sync.SetSound(MakeWav(Tone(0.05, 30)));
    EXPECT_TRUE(Sounding());

    // A refused block changes nothing and stops nothing.
    EXPECT_THROW(other_.SetSound(Text("no wave here, but long enough")), EInvalidWaveOperation);
    EXPECT_TRUE(Sounding());
}

TEST_F(WavePlayingTest, PlayOptionChangeStopsAndTheOptionsPlayAsNamed)
{
    ASSERT_TRUE(long_.Play());
    other_.SetPlayOption(poAsync);
    EXPECT_TRUE(Sounding()) << "writing the value held does nothing";
    other_.SetPlayOption(poLoop);
    EXPECT_FALSE(Sounding()) << "a new option stops whatever plays";

    // A looping sound outlasts its own length many times over.
    ASSERT_TRUE(other_.Play());
    SDL_Delay(400);
    EXPECT_TRUE(Sounding());
    other_.Stop();
    EXPECT_FALSE(Sounding());

    // A synchronous sound has ended when Play returns; asynchronous Play returns at once.
    other_.SetPlayOption(poSync);
    ASSERT_TRUE(other_.Play());
    EXPECT_FALSE(Sounding());
    ASSERT_TRUE(long_.Play());
    EXPECT_TRUE(Sounding());

    // At the end of the program a sound may finish; a looping one is cut off after the wait.
    other_.SetPlayOption(poAsync);
    ASSERT_TRUE(other_.Play());
    device_.Audio().FinishWave(std::chrono::seconds(20));
    EXPECT_FALSE(Sounding());
    other_.SetPlayOption(poLoop);
    ASSERT_TRUE(other_.Play());
    device_.Audio().FinishWave(std::chrono::milliseconds(100));
    EXPECT_TRUE(Sounding());
    ASSERT_TRUE(long_.Play());

    // Stop stops whatever plays, not only the component's own sound.
    TWave empty{device_.Audio()};
    empty.Stop();
    EXPECT_FALSE(Sounding());
}

TEST_F(WavePlayingTest, DestroyingTheComponentThatPlaysHaltsItsSound)
{
    {
        TWave local{device_.Audio()};
        local.SetSound(MakeWav(Tone(3.0, 40)));
        ASSERT_TRUE(local.Play());
        EXPECT_TRUE(Sounding());
    }
    EXPECT_FALSE(Sounding());

    // Bytes the mixer cannot decode: refused at play time, quietly.
    TWave broken{device_.Audio()};
    broken.SetSound(Text("RIFF\4\0\0\0WAVEno format chunk follows"));
    EXPECT_FALSE(broken.Play());
}

} // namespace
