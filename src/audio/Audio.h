// The program's audio service: the device, the mixer, the one wave channel and the music stream.
#pragma once

#include "platform/SdlPtrs.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace audio
{

class MusicStream;

// A wave sound decoded for the device, kept until its bytes change or the device opens again.
struct DecodedWave
{
    platform::ChunkPtr chunk;
    std::uint64_t session = 0;
};

// What a service is made with: its seams for tests and the idle release.
struct ServiceOptions
{
    // The SDL audio driver to open ("disk", "dummy", ...); empty: SDL_AUDIODRIVER or SDL's
    // own choice.
    std::string driver{};
    // Told of every wave sound asked to play, before it plays and whether or not a device
    // hears it; the argument is the sound's owner as it names itself to PlayWave.
    std::function<void(const void* sound)> watch{};
    // Silence after which the device is let go until the next sound; zero: kept open.
    std::chrono::milliseconds idleRelease{0};
    // Measures that silence.
    std::function<std::chrono::steady_clock::time_point()> clock = []
    {
        return std::chrono::steady_clock::now();
    };
};

// The audio device and the mixer (MIDI through FluidSynth with a General MIDI bank). One exists
// while the program runs, owned by main; whatever was prepared for it (sounds, music and the
// thread rendering it) goes before it does. Main thread unless said otherwise.
class Service final
{
public:
    using Options = ServiceOptions;

    // The device waits for Open.
    explicit Service(Options options = {});
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Opens the device; true when sound can be heard. Throws std::logic_error while another
    // service holds the mixer.
    bool Open();
    // Halts every sound and the music and releases the device.
    void Close();
    // Whether sound can be heard. Any thread.
    [[nodiscard]] bool Opened() const { return open_; }
    // Opens the device again when it was let go for silence; true when sound can be heard.
    bool Wake();
    // Holds the device open, silent or not, until let go again (false); a device let go for
    // silence opens at once. While a game shows, so that no tick waits the tenth of a second a
    // sound server may take to open it for a sound.
    void Hold(bool hold);
    // Changes with each opening of the device and is 0 while closed: what was prepared for the
    // mixer in another session must be prepared again.
    [[nodiscard]] std::uint64_t Session() const { return session_; }

    // Wave sounds share one mixer channel, so that a new sound cuts off the one playing.
    // Tells the watch, then plays the RIFF WAVE file `riff` in place of whatever sound plays (a
    // looping one until stopped), decoding it into `decoded` unless that was done in this
    // session. False when there is nothing to play, no device, or the mixer refuses the bytes.
    bool PlayWave(const void* sound, std::span<const std::uint8_t> riff, DecodedWave& decoded,
                  bool loop);
    // Whether the wave channel sounds (with `chunk`, when one is given).
    [[nodiscard]] bool WavePlaying(const Mix_Chunk* chunk = nullptr) const;
    void StopWave();
    // Lets the wave sound that plays run to its end, waiting at most `limit` (a looping sound
    // never ends): so that the last click is heard before the program closes audio.
    void FinishWave(std::chrono::milliseconds limit);

    // The one music stream that every music player plays through.
    MusicStream& Music() { return *music_; }

private:
    void CloseDevice();
    [[nodiscard]] bool Silent() const;
    // Main thread, from the idle watch: lets the device go once it has been silent long enough.
    void CheckIdle();
    void StartIdleWatch();

    Options options_;
    std::unique_ptr<MusicStream> music_;
    // Read by the mixer's callbacks on the audio thread too.
    std::atomic<bool> open_ = false;
    std::uint64_t session_ = 0;
    std::uint64_t lastSession_ = 0;
    // The device was let go for silence, and the next sound opens it again.
    bool released_ = false;
    // A game shows: the device is not let go for silence.
    bool held_ = false;
    std::optional<std::chrono::steady_clock::time_point> silentSince_;
    std::atomic<bool> checkQueued_ = false;
    std::jthread idleWatch_; // last: stopped before the rest goes
};

// The General MIDI bank handed to the synthesiser; empty when none is installed.
const char* SoundFontPath();

} // namespace audio
