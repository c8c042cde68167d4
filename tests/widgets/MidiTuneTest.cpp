// A MIDI file's length and the rendered tune's cache file: the bounds that keep a damaged or
// replaced tune from costing more than the longest tune the game plays.
#include "audio/MidiFile.h"
#include "audio/MidiRender.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

namespace
{

using audiotest::MakeMidi;
using audiotest::SilentTune;

TEST(MidiLength, FollowsTheFilesOwnTiming)
{
    // A hit, its release and the end at tick 96, at 96 ticks per quarter note.
    const std::vector<std::uint8_t> hit = {0, 0x99, 37, 110, 24, 0x89, 37, 0, 72, 0xFF, 0x2F, 0};
    EXPECT_EQ(audio::MidiLengthMicroseconds(MakeMidi(96, hit)), 500000u) << "120 beats a minute";
    // Twice as fast from tick 48.
    const std::vector<std::uint8_t> faster = {0,    0x99, 37,   110, 48,   0xFF, 0x51, 3,
                                              0x03, 0xD0, 0x90, 48,  0xFF, 0x2F, 0};
    EXPECT_EQ(audio::MidiLengthMicroseconds(MakeMidi(96, faster)), 375000u);
    // Time code: 25 frames a second of 40 ticks each.
    EXPECT_EQ(audio::MidiLengthMicroseconds(MakeMidi(0xE728, hit)), 96000u);
    // A chunk of another type (as the XF files' own) is passed over.
    std::vector<std::uint8_t> extended = MakeMidi(96, hit);
    extended.insert(extended.begin() + 14, {'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2});
    EXPECT_EQ(audio::MidiLengthMicroseconds(extended), 500000u);
    EXPECT_EQ(audio::MidiLengthMicroseconds(MakeMidi(0, hit)), 0u) << "no ticks per quarter note";
    EXPECT_EQ(audio::MidiLengthMicroseconds(std::vector<std::uint8_t>(hit.size())), 0u);
}

TEST(MidiLength, ATuneLastsAnHourAtMost)
{
    EXPECT_EQ(audio::MidiLengthMicroseconds(SilentTune(7200)), audio::kMaxTuneMicroseconds);
    EXPECT_EQ(audio::MidiLengthMicroseconds(SilentTune(7201)), 0u);
    // One delta of 2^28 - 1 ticks: over four years.
    EXPECT_EQ(audio::MidiLengthMicroseconds(SilentTune(0x0FFFFFFF)), 0u);

    EXPECT_EQ(audio::TuneFrames(audio::kMaxTuneMicroseconds, 44100), 3600u * 44100);
    EXPECT_EQ(audio::TuneFrames(audio::kMaxTuneMicroseconds + 1, 44100), 0u);
    EXPECT_EQ(audio::TuneFrames(1000000, audio::kMaxTuneFrequency), 384000u);
    EXPECT_EQ(audio::TuneFrames(1000000, audio::kMaxTuneFrequency + 1), 0u);
    EXPECT_EQ(audio::TuneFrames(1000000, 0), 0u);
}

// A cache file with the given header, its samples all zero (a sparse file, however long).
void WriteKept(const std::filesystem::path& path, std::uint32_t frequency, std::uint64_t loop,
               std::uint64_t frames, std::int64_t missingBytes = 0)
{
    std::array<std::uint8_t, 32> header{'Z', 'B', 'T', 'U', 'N', 'E', '0', '1'};
    const std::uint32_t channels = 2;
    std::memcpy(&header[8], &frequency, 4);
    std::memcpy(&header[12], &channels, 4);
    std::memcpy(&header[16], &loop, 8);
    std::memcpy(&header[24], &frames, 8);
    audiotest::WriteBytes(path, {header.begin(), header.end()});
    std::filesystem::resize_file(path, 32 + frames * 4 - missingBytes);
}

TEST(RenderedTuneCache, HoldsWhatTheLongestTuneRendersAndNothingMore)
{
    const auto path = audiotest::TempPath("kept.pcm");
    // The longest tune and the four seconds of dying sound kept after it.
    const std::uint64_t hour = 3600ULL * 44100;
    const std::uint64_t tail = 4 * 44100;
    WriteKept(path, 44100, hour, hour + tail);
    const auto kept = audio::LoadRenderedTune(path.string(), 44100);
    ASSERT_TRUE(kept.has_value()) << "the longest tune is rendered on every start";
    EXPECT_EQ(kept->LoopFrames(), hour);
    EXPECT_EQ(kept->Frames(), hour + tail);
    std::array<std::int16_t, 2> last{1, 1};
    EXPECT_TRUE(kept->Read(hour + tail - 1, 1, last.data()));
    EXPECT_EQ(last[0], 0);
    EXPECT_FALSE(kept->Read(hour + tail, 1, last.data()));

    const auto refused = [&](std::uint32_t frequency, std::uint64_t loop, std::uint64_t frames,
                             std::int64_t missingBytes = 0)
    {
        WriteKept(path, frequency, loop, frames, missingBytes);
        return !audio::LoadRenderedTune(path.string(), 44100).has_value();
    };
    EXPECT_TRUE(refused(44100, hour + 1, hour + 1)) << "longer than an hour";
    EXPECT_TRUE(refused(44100, hour, hour + tail + 1)) << "a longer tail";
    EXPECT_TRUE(refused(44100, 100, 100, 1)) << "cut short";
    EXPECT_TRUE(refused(44100, 100, 100, -1)) << "a byte too many";
    EXPECT_TRUE(refused(48000, 100, 100)) << "another rate";
    EXPECT_TRUE(refused(44100, 0, 100));
    EXPECT_TRUE(refused(44100, 101, 100));
    std::filesystem::remove(path);
}

} // namespace
