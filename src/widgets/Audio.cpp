// The process's one audio output over SDL_mixer.
#include "widgets/Audio.h"

#include "ui/Dispatch.h"
#include "ui/SdlPtrs.h"
#include "widgets/Std2.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace
{

constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kChunkFrames = 1024;

// Debian's timgm6mb-soundfont package; default-GM.sf2 is the alternative that points at whichever
// General MIDI bank is installed.
constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                       "/usr/share/sounds/sf2/default-GM.sf2"};

// An audio system exists.
bool systemExists = false;
// Read by the mixer's callbacks on the audio thread too.
std::atomic<bool> deviceOpen = false;
std::uint64_t session = 0;
std::uint64_t lastSession = 0;
void (*musicCloser)() = nullptr;
bool (*musicInPlay)() = nullptr;
// The device was let go for silence, and the next sound opens it again.
bool released = false;
// A game shows: the device is not let go for silence.
bool held = false;
// Counts the silence after the last sound; it exists only once main asked for the release.
std::unique_ptr<widgets::TzcTimer> idleWait;

// ALSA prints its own complaints to stderr when there is no sound card; the game stays quiet.
// SDL loads the library at run time, so the handler is set through the same shared library.
#ifdef _WIN32
void SilenceAlsa() {}
#else
void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa()
{
    static const bool done = []
    {
        void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (alsa == nullptr)
            return true;
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
            set(&SilentAlsaErrors);
        return true; // the library stays loaded, so that the handler stays in place
    }();
    static_cast<void>(done);
}
#endif

bool FileExists(const char* path)
{
    return ui::RWopsPtr(SDL_RWFromFile(path, "rb")) != nullptr;
}

// Audio thread (or the main thread within a halt): the silence is counted from here.
void SDLCALL SoundEnded(int)
{
    ui::Post(&SoundStopped, &idleWait);
}

// Once main asked for the release: every sound's end, and the open device's silence, start the
// count.
void WatchForSilence()
{
    if (idleWait == nullptr || !deviceOpen)
        return;
    Mix_ChannelFinished(&SoundEnded);
    SoundStopped();
}

bool Silent()
{
    return Mix_Playing(-1) == 0 && Mix_PlayingMusic() == 0 &&
           (musicInPlay == nullptr || !musicInPlay());
}

void CloseDevice()
{
    if (!deviceOpen)
        return;
    // Marked closed first: the music's end notice that the halt brings then reads as cut off.
    deviceOpen = false;
    session = 0;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    if (musicCloser != nullptr)
        musicCloser();
    // A rendered tune mixed in through the hook ends with the device.
    Mix_HookMusic(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool OpenAudio()
{
    if (deviceOpen)
        return true;
    // A bank the user chose through SDL_SOUNDFONTS wins over ours.
    const char* chosen = std::getenv("SDL_SOUNDFONTS");
    if (chosen == nullptr || *chosen == '\0')
    {
        const char* path = SoundFontPath();
        if (*path != '\0')
            Mix_SetSoundFonts(path);
    }
    SilenceAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    // Without MIDI support the waves still play; the music player then fails to open its file.
    Mix_Init(MIX_INIT_MID);
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kChannels, kChunkFrames) != 0)
    {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kWaveChannel + 1);
    deviceOpen = true;
    released = false;
    session = ++lastSession;
    WatchForSilence();
    return true;
}

void CloseAudio()
{
    if (deviceOpen)
        Mix_ChannelFinished(nullptr);
    idleWait.reset();
    ui::Cancel(&idleWait);
    released = false;
    held = false;
    CloseDevice();
}

} // namespace

namespace widgets
{

AudioSystem::AudioSystem(bool openNow)
{
    if (systemExists)
        throw std::logic_error("An audio system exists already");
    systemExists = true;
    if (openNow)
        Open();
}

bool AudioSystem::Open()
{
    opened_ = OpenAudio();
    return opened_;
}

AudioSystem::~AudioSystem()
{
    Close();
    systemExists = false;
}

void AudioSystem::Close()
{
    opened_ = false;
    CloseAudio();
}

} // namespace widgets

const char* SoundFontPath()
{
    for (const char* path : kSoundFonts)
    {
        if (FileExists(path))
            return path;
    }
    return "";
}

void ReleaseAudioWhenIdle(int idleMilliseconds)
{
    if (idleWait == nullptr)
    {
        idleWait = std::make_unique<widgets::TzcTimer>();
        idleWait->SetEnabled(false);
        idleWait->SetOnTimer(
            [](widgets::TzcTimer& wait)
            {
                wait.SetEnabled(false);
                // Whatever still plays keeps the device, and its end starts the count again; a
                // hold's end starts it as well.
                if (deviceOpen && !held && Silent())
                {
                    CloseDevice();
                    released = true;
                }
            });
    }
    idleWait->SetInterval(idleMilliseconds);
    WatchForSilence();
}

void SoundStopped()
{
    if (idleWait != nullptr && deviceOpen)
    {
        idleWait->SetEnabled(false);
        idleWait->SetEnabled(true);
    }
}

void HoldAudio(bool hold)
{
    if (hold == held)
        return;
    held = hold;
    if (hold && released)
        OpenAudio();
    else if (!hold)
        SoundStopped();
}

bool WakeAudio()
{
    // While held, only the hold opens the device: a sound server that refused it then is not
    // asked again on every sound of the game.
    if (released && !held)
        OpenAudio();
    return deviceOpen;
}

void SetMusicInPlay(bool (*inPlay)())
{
    musicInPlay = inPlay;
}

void SetMusicCloser(void (*closer)())
{
    musicCloser = closer;
}

bool AudioAvailable()
{
    return deviceOpen;
}

void FinishSound(int limitMilliseconds)
{
    if (!deviceOpen)
        return;
    const Uint64 deadline = SDL_GetTicks64() + static_cast<Uint64>(std::max(0, limitMilliseconds));
    while (Mix_Playing(kWaveChannel) != 0 && SDL_GetTicks64() < deadline)
        SDL_Delay(5);
}

std::uint64_t AudioSession()
{
    return session;
}
