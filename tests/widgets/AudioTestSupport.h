// Helpers for the sound tests: an audio device chosen through SDL's driver variables, wave files
// made on the spot, and the samples that SDL's disk driver wrote.
#pragma once

#include "audio/Audio.h"
#include "support/Environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace audiotest
{

using ScopedEnv = testsupport::EnvGuard;

inline std::filesystem::path TempPath(const std::string& name)
{
    return std::filesystem::temp_directory_path() /
           ("zorbel-" + std::to_string(getpid()) + "-" + name);
}

// An audio service for one test, opened through the named SDL driver and closed at the end.
// With the disk driver the output lands in File().
class AudioDevice
{
public:
    explicit AudioDevice(const std::string& driver, audio::Service::Options options = {})
        : file_(TempPath("audio.raw")), diskFile_("SDL_DISKAUDIOFILE", file_.string()),
          audio_(WithDriver(driver, std::move(options)))
    {
        std::filesystem::remove(file_);
        audio_.Open();
    }
    ~AudioDevice()
    {
        audio_.Close();
        std::filesystem::remove(file_);
    }
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    audio::Service& Audio() { return audio_; }
    bool Opened() const { return audio_.Opened(); }
    const std::filesystem::path& File() const { return file_; }

    // Closes the device so that everything it wrote is in the file.
    void Finish() { audio_.Close(); }

private:
    static audio::Service::Options WithDriver(const std::string& driver,
                                              audio::Service::Options options)
    {
        options.driver = driver;
        return options;
    }

    std::filesystem::path file_;
    ScopedEnv diskFile_;
    audio::Service audio_;
};

// Peak level of each 10 ms of the disk driver's output (44.1 kHz, 16-bit, stereo).
inline std::vector<int> Levels(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<char> raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    constexpr std::size_t kWindow = 441 * 2; // samples of both channels in 10 ms
    std::vector<int> levels;
    const std::size_t samples = raw.size() / 2;
    for (std::size_t start = 0; start + kWindow <= samples; start += kWindow)
    {
        int peak = 0;
        for (std::size_t i = start; i < start + kWindow; ++i)
        {
            std::int16_t s = 0;
            std::memcpy(&s, raw.data() + 2 * i, 2);
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        levels.push_back(peak);
    }
    return levels;
}

constexpr int kSilence = 300;

// A RIFF WAVE file: PCM, mono, 8-bit, 22 050 Hz.
inline std::vector<std::uint8_t> MakeWav(const std::vector<std::uint8_t>& samples)
{
    std::vector<std::uint8_t> out;
    auto text = [&](const char* s)
    {
        out.insert(out.end(), s, s + 4);
    };
    auto le = [&](std::uint32_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const auto size = static_cast<std::uint32_t>(samples.size());
    text("RIFF");
    le(36 + size + (size & 1), 4);
    text("WAVE");
    text("fmt ");
    le(16, 4);
    le(1, 2);     // PCM
    le(1, 2);     // mono
    le(22050, 4); // sample rate
    le(22050, 4); // bytes per second
    le(1, 2);     // block align
    le(8, 2);     // bits per sample
    text("data");
    le(size, 4);
    out.insert(out.end(), samples.begin(), samples.end());
    if (size & 1)
        out.push_back(0);
    return out;
}

// A steady 441 Hz tone of the given amplitude (of 127) lasting `seconds`.
inline std::vector<std::uint8_t> Tone(double seconds, int amplitude)
{
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(seconds * 22050));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint8_t>(
            128 + std::lround(amplitude * std::sin(2 * M_PI * 441.0 * i / 22050.0)));
    return samples;
}

// A format 0 Standard MIDI File at `division` ticks per quarter note, its one track holding
// `events`.
inline std::vector<std::uint8_t> MakeMidi(std::uint16_t division,
                                          const std::vector<std::uint8_t>& events)
{
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    out.push_back(static_cast<std::uint8_t>(division >> 8));
    out.push_back(static_cast<std::uint8_t>(division));
    const auto size = static_cast<std::uint32_t>(events.size());
    out.insert(out.end(), {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(size >> 24),
                           static_cast<std::uint8_t>(size >> 16),
                           static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

// Silence of `ticks` (below 2^28, one variable-length delta) at one tick per quarter note, half a
// second each: 7200 ticks last exactly an hour.
inline std::vector<std::uint8_t> SilentTune(std::uint32_t ticks)
{
    std::vector<std::uint8_t> delta = {static_cast<std::uint8_t>(ticks & 0x7F)};
    for (ticks >>= 7; ticks != 0; ticks >>= 7)
        delta.insert(delta.begin(), static_cast<std::uint8_t>(0x80 | (ticks & 0x7F)));
    delta.insert(delta.end(), {0xFF, 0x2F, 0}); // end of track
    return MakeMidi(1, delta);
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

} // namespace audiotest
