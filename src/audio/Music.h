// Music through the audio service's one stream: a file loaded for it, the stream that mixes it, and
// the notice of each play's end.
#pragma once

#include "platform/SdlPtrs.h"
#include "platform/Worker.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace audio
{

class Service;
class Music;
class RenderedTune;

// Hears how each play of a music ends; its calls come on the main thread and are dropped when the
// music it listens to goes.
class MusicListener
{
public:
    // The play reached the end of the music (true), or was cut off by a command, another play or
    // the device closing (false).
    virtual void MusicEnded(bool atEnd) = 0;
    // A looping play began again without a break.
    virtual void MusicRepeated() = 0;

protected:
    ~MusicListener() = default;
};

// The service's one music stream. What the mixer's threads read lives here, under the mutex; no
// mixer function is called while it is held, because the mixer calls in with its own lock held.
class MusicStream final
{
public:
    explicit MusicStream(const Service& audio) : audio_(audio) {}
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;

    // Any thread: whether a rendering is being mixed in, which keeps the device open.
    [[nodiscard]] bool RenderingInPlay();
    // Main thread, with the device marked closed: whatever plays is cut off.
    void CutOff();
    // Audio thread, in place of the mixer's music while a rendering plays.
    void MixRendering(std::int16_t* out, std::size_t frames);
    // Audio thread, after each mixed buffer of `frames` frames while the mixer's own music plays;
    // `streaming`: the mixer still plays it.
    void Mixed(std::size_t bytes, bool streaming);

private:
    friend class Music;

    // Caller holds the mutex. A new play of `music` begins; its notice goes to `listener`.
    void Begin(const Music* music, MusicListener* listener);
    // Caller holds the mutex. The notice is queued, never run, from the mixer's threads.
    void PostNotice(bool atEnd);
    // Main thread: takes the rendering off the stream (whoever played it), reporting the play
    // it cuts off.
    void StopRendering();
    // Main thread: halts the mixer's own music, reporting the play it cuts off.
    void HaltMixerMusic();

    const Service& audio_;
    std::mutex mutex_;
    const Music* playing_ = nullptr;         // whose music the stream was last given
    MusicListener* notify_ = nullptr;        // who gets the notice of the play under way
    bool aborting_ = false;                  // the play is being cut off by a command
    bool ended_ = false;                     // the play reached its end; only a tail may sound
    bool armed_ = false;                     // the mixer's music has started: its stop is its end
    std::optional<std::int64_t> framesLeft_; // until the file's own end, when known
    int bytesPerFrame_ = 4;
    // A rendered tune that the stream plays instead of the mixer's music; null when none.
    std::shared_ptr<const RenderedTune> rendering_;
    std::size_t position_ = 0;  // the next frame of the rendering
    bool looping_ = false;      // it repeats without a break
    bool looped_ = false;       // it has repeated: its dying sound lies over its beginning
    bool drained_ = false;      // played to the end of its dying sound
    std::uint64_t session_ = 0; // the audio session it plays in: closing the device ends it
};

// A music file loaded for the stream. A MIDI tune plays from its rendering when one was kept
// earlier, else through the synthesiser while a rendering is made on an idle-priority worker for
// the plays that follow. Main thread.
class Music final
{
public:
    Music(Service& audio, MusicListener& listener) : audio_(audio), listener_(listener) {}
    // Halts its play; the notices not yet delivered are dropped.
    ~Music();
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // False with the reason in SDL_GetError().
    bool Load(std::string file);
    void Unload();
    // Plays from the start, cutting off whatever the stream plays; a looping play repeats until
    // halted. False with the reason in SDL_GetError().
    bool Play(bool loop);
    // Cuts its play off when the stream plays it; the listener hears of it.
    void Halt();
    [[nodiscard]] bool Playing() const;

    // Whether a MIDI file plays from its rendering rather than through the synthesiser.
    [[nodiscard]] bool PlaysRendering() const { return rendered_ != nullptr; }
    // For tests: waits until no rendering is under way, handling the main loop's calls.
    void WaitForRendering();

private:
    bool LoadRendering(int frequency);
    bool PlayRendering(bool loop);

    Service& audio_;
    MusicListener& listener_;
    std::string file_;
    platform::MusicPtr mixed_; // the mixer's own music, when no rendering plays
    std::uint64_t session_ = 0;
    // The length of a MIDI file by its own timing; 0 when unknown.
    std::uint64_t lengthMicroseconds_ = 0;
    std::shared_ptr<const RenderedTune> rendered_;
    platform::Worker::Job pendingRendering_; // started once the mixer has loaded the file
    platform::Worker renderer_;              // last: stopped before anything it hands over goes
};

} // namespace audio
