// The process's one audio output, shared by the wave sounds and the music.
#pragma once

#include <cstdint>

// The mixer channel that every wave sound plays on, so that a new sound cuts off the one playing.
inline constexpr int kWaveChannel = 0;

namespace widgets
{

// The audio device and the mixer (MIDI through FluidSynth with a General MIDI bank), open for the
// object's life. At most one exists at a time; whatever was prepared for the mixer (sounds, music
// and the thread rendering it) must be gone before it ends.
class AudioSystem final
{
public:
    // Opens the device unless told to wait for Open; when none opens, silently stays closed.
    // Throws std::logic_error while another audio system exists.
    explicit AudioSystem(bool openNow = true);
    ~AudioSystem();
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // Whether sound can be heard.
    bool Opened() const { return opened_; }
    // Opens the device of a system made without it; true when sound can be heard.
    bool Open();
    // Halts every sound and the music and releases the device ahead of the destructor.
    void Close();

private:
    bool opened_ = false;
};

} // namespace widgets

// Registers how music that the mixer does not know of as its music is cut off when the device
// closes (null: nothing); the audio system calls it after AudioAvailable has turned false.
void SetMusicCloser(void (*closer)());
// Any thread.
bool AudioAvailable();
// Lets the device go once nothing has played for `idleMilliseconds`, since an open device wakes
// its audio thread for every buffer even in silence; the next sound opens it again. Main thread.
void ReleaseAudioWhenIdle(int idleMilliseconds);
// A sound or the music stopped: the device goes once nothing has played for the idle time.
void SoundStopped();
// Holds the device open, silent or not, until let go again (false); a device let go for silence
// opens at once. While a game shows, so that no tick waits the tenth of a second a sound server
// may take to open it for a sound. Main thread.
void HoldAudio(bool hold);
// Opens the device again when it was let go while idle; true when sound can be heard.
bool WakeAudio();
// Registers how to ask whether music that the mixer does not know of as its music is in play, so
// that the device is not let go under it (null: none is).
void SetMusicInPlay(bool (*inPlay)());
// Lets the wave sound that plays run to its end, waiting at most `limitMilliseconds` (a looping
// sound never ends): so that the click of the Exit item is heard before the program closes audio.
void FinishSound(int limitMilliseconds);
// Changes with each audio system that opens the device and is 0 while closed: what was prepared for
// the mixer in another session must be prepared again.
std::uint64_t AudioSession();
// The General MIDI bank handed to the synthesiser; empty when none is installed.
const char* SoundFontPath();
