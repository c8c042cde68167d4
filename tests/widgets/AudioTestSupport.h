// Helpers for the sound tests: an audio device chosen through SDL's driver variables, wave files
// made on the spot, and the samples that SDL's disk driver wrote.
#pragma once

#include "support/Environment.h"
#include "widgets/Audio.h"

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

// The audio device for one test, through the named SDL driver; closed and the variables restored
// at the end. With the disk driver the output lands in File().
class AudioDevice
{
public:
    explicit AudioDevice(const std::string& driver)
        : file_(TempPath("audio.raw")), driver_("SDL_AUDIODRIVER", driver),
          diskFile_("SDL_DISKAUDIOFILE", file_.string())
    {
        std::filesystem::remove(file_);
        audio_.emplace();
    }
    ~AudioDevice()
    {
        audio_.reset();
        std::filesystem::remove(file_);
    }
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    bool Opened() const { return audio_ && audio_->Opened(); }
    const std::filesystem::path& File() const { return file_; }

    // Closes the device so that everything it wrote is in the file.
    void Finish() { audio_.reset(); }

private:
    std::filesystem::path file_;
    ScopedEnv driver_;
    ScopedEnv diskFile_;
    std::optional<widgets::AudioSystem> audio_;
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

} // namespace audiotest
