// A General MIDI tune rendered once to PCM through FluidSynth and kept in the user's cache folder,
// so that the music loops from memory instead of being synthesised for as long as it plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace audio
{

// Interleaved stereo, signed 16-bit samples: loopFrames frames of the tune, then what still
// sounds after its end (released notes, reverberation), which a repeat lays over its beginning.
// Held in memory, or read from its cache file as it plays, which keeps the samples in the
// system's file cache rather than in the game's own memory.
class RenderedTune
{
public:
    RenderedTune(int frequency, std::size_t loopFrames, std::vector<std::int16_t> samples);
    RenderedTune(const RenderedTune&) = delete;
    RenderedTune& operator=(const RenderedTune&) = delete;
    RenderedTune(RenderedTune&& other) noexcept;
    RenderedTune& operator=(RenderedTune&&) = delete;
    ~RenderedTune();

    [[nodiscard]] int Frequency() const { return frequency_; }
    // The tune's own length in frames: where its repeat begins.
    [[nodiscard]] std::size_t LoopFrames() const { return loopFrames_; }
    [[nodiscard]] std::size_t Frames() const { return frames_; }
    [[nodiscard]] bool InMemory() const { return fd_ < 0; }
    // Any thread: copies frames [first, first + count) into `out`; false when they cannot be read.
    bool Read(std::size_t first, std::size_t count, std::int16_t* out) const;

private:
    friend std::optional<RenderedTune> LoadRenderedTune(const std::string&, int);
    friend bool SaveRenderedTune(const std::string&, const RenderedTune&);
    RenderedTune(int frequency, std::size_t loopFrames, std::size_t frames, int fd);

    int frequency_ = 0;
    std::size_t loopFrames_ = 0;
    std::size_t frames_ = 0;
    std::vector<std::int16_t> samples_;
    int fd_ = -1;
};

// "$XDG_CACHE_HOME/zorbel2/" (or "~/.cache/zorbel2/", HOME or else the password database's
// home); empty when none names an absolute folder.
std::string TuneCacheDirectory();
// Where the rendering of this tune (the MIDI file's bytes) at `frequency` is kept: the name
// follows from the bytes, so a changed tune file is rendered anew.
std::string TuneCachePath(std::span<const std::uint8_t> tune, int frequency);
// A rendering kept earlier, read from its file as it plays; nullopt when missing, of another
// frequency, longer than a rendering of the longest tune, or damaged.
std::optional<RenderedTune> LoadRenderedTune(const std::string& path, int frequency);
// Keeps a rendering held in memory, replacing the file atomically; false when it cannot be
// written.
bool SaveRenderedTune(const std::string& path, const RenderedTune& tune);
// Synthesises `tune` with the General MIDI bank `soundFont` as the mixer's MIDI player does
// (same rate and gain): `lengthMicroseconds` of music followed by its dying sound. nullopt when
// the length is over kMaxTuneMicroseconds, the bank or the tune cannot be loaded, or `stop` was
// requested.
std::optional<RenderedTune> RenderTune(std::span<const std::uint8_t> tune,
                                       std::uint64_t lengthMicroseconds,
                                       const std::string& soundFont, int frequency,
                                       std::stop_token stop = {});

} // namespace audio
