// The process's one audio output: opened once at start, shared by the wave sounds and the music.
#pragma once

#include <cstdint>

// The mixer channel that every wave sound plays on, so that a new sound cuts off the one playing.
inline constexpr int kWaveChannel = 0;

// Opens the audio device and the mixer (MIDI through FluidSynth with a General MIDI bank).
// True when sound can be heard; false, silently, when no device opens. Calling it again while
// open does nothing and returns true.
bool OpenAudio();
// Halts every sound and the music and releases the device. Harmless when not open.
void CloseAudio();
// Registers how music that the mixer does not know of as its music is cut off when the device
// closes (null: nothing); CloseAudio calls it after AudioAvailable has turned false.
void SetMusicCloser(void (*closer)());
// Any thread.
bool AudioAvailable();
// Lets the device go once nothing has played for `idleMilliseconds`, since an open device wakes
// its audio thread for every buffer even in silence; the next sound opens it again. Main thread.
void ReleaseAudioWhenIdle(int idleMilliseconds);
// A sound or the music stopped: the device goes once nothing has played for the idle time.
void SoundStopped();
// Opens the device again when it was let go while idle; true when sound can be heard.
bool WakeAudio();
// Registers how to ask whether music that the mixer does not know of as its music is in play, so
// that the device is not let go under it (null: none is).
void SetMusicInPlay(bool (*inPlay)());
// Lets the wave sound that plays run to its end, waiting at most `limitMilliseconds` (a looping
// sound never ends): so that the click of the Exit item is heard before the program closes audio.
void FinishSound(int limitMilliseconds);
// Changes with each successful OpenAudio and is 0 while closed: what was prepared for the mixer
// in another session must be prepared again.
std::uint64_t AudioSession();
// The General MIDI bank handed to the synthesiser; empty when none is installed.
const char* SoundFontPath();
