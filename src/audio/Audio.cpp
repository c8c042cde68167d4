// The audio service over SDL_mixer.
#include "audio/Audio.h"

#include "audio/Music.h"
#include "platform/Dispatch.h"
#include "platform/SdlPtrs.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <stdexcept>

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace audio
{
namespace
{

constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kChunkFrames = 1024;
// The mixer channel that every wave sound plays on, so that a new sound cuts off the one playing.
constexpr int kWaveChannel = 0;

// Debian's timgm6mb-soundfont package; default-GM.sf2 is the alternative that points at whichever
// General MIDI bank is installed.
constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                       "/usr/share/sounds/sf2/default-GM.sf2"};

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
    return platform::RWopsPtr(SDL_RWFromFile(path, "rb")) != nullptr;
}

} // namespace

const char* SoundFontPath()
{
    for (const char* path : kSoundFonts)
    {
        if (FileExists(path))
            return path;
    }
    return "";
}

Service::Service(Options options)
    : options_(std::move(options)), music_(std::make_unique<MusicStream>(*this))
{
}

Service::~Service()
{
    Close();
}

bool Service::Open()
{
    if (open_)
        return true;
    // The mixer is one per process: a second service would close it under the first.
    if (Mix_QuerySpec(nullptr, nullptr, nullptr) != 0)
        throw std::logic_error("Another audio service holds the mixer");
    // A bank the user chose through SDL_SOUNDFONTS wins over ours.
    const char* chosen = std::getenv("SDL_SOUNDFONTS");
    if (chosen == nullptr || *chosen == '\0')
    {
        const char* path = SoundFontPath();
        if (*path != '\0')
            Mix_SetSoundFonts(path);
    }
    SilenceAlsa();
    if (!options_.driver.empty())
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, options_.driver.c_str(), SDL_HINT_OVERRIDE);
    const bool initialised = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!options_.driver.empty())
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!initialised)
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
    open_ = true;
    released_ = false;
    session_ = ++lastSession_;
    silentSince_.reset();
    StartIdleWatch();
    return true;
}

void Service::Close()
{
    idleWatch_ = {};
    platform::Cancel(this);
    checkQueued_ = false;
    released_ = false;
    held_ = false;
    CloseDevice();
}

void Service::CloseDevice()
{
    if (!open_)
        return;
    // Marked closed first: the music's end that the halt brings then reads as cut off.
    open_ = false;
    session_ = 0;
    Mix_HaltChannel(-1);
    music_->CutOff();
    Mix_HookMusic(nullptr, nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool Service::Wake()
{
    silentSince_.reset();
    // While held, only the hold opens the device: a sound server that refused it then is not
    // asked again on every sound of the game.
    if (released_ && !held_)
        Open();
    return open_;
}

void Service::Hold(bool hold)
{
    if (hold == held_)
        return;
    held_ = hold;
    silentSince_.reset();
    if (hold && released_)
        Open();
}

bool Service::Silent() const
{
    return Mix_Playing(-1) == 0 && Mix_PlayingMusic() == 0 && !music_->RenderingInPlay();
}

void Service::StartIdleWatch()
{
    if (options_.idleRelease <= std::chrono::milliseconds::zero() || idleWatch_.joinable())
        return;
    // Looked at four times per idle time, so that the device goes within a quarter of it late.
    const auto period = std::max(std::chrono::milliseconds(10), options_.idleRelease / 4);
    idleWatch_ = std::jthread(
        [this, period](std::stop_token stop)
        {
            std::mutex mutex;
            std::condition_variable_any wake;
            std::unique_lock lock(mutex);
            while (!wake.wait_for(lock, stop, period, [] { return false; }) &&
                   !stop.stop_requested())
            {
                if (!checkQueued_.exchange(true))
                    platform::Post(
                        [this]
                        {
                            checkQueued_ = false;
                            CheckIdle();
                        },
                        this);
            }
        });
}

void Service::CheckIdle()
{
    if (!open_ || held_ || !Silent())
    {
        silentSince_.reset();
        return;
    }
    const auto now = options_.clock();
    if (!silentSince_)
        silentSince_ = now;
    if (now - *silentSince_ < options_.idleRelease)
        return;
    // The watch only queues its calls, so it can be joined from one of them; the next opening
    // starts it again.
    idleWatch_ = {};
    CloseDevice();
    released_ = true;
}

bool Service::PlayWave(const void* sound, std::span<const std::uint8_t> riff, DecodedWave& decoded,
                       bool loop)
{
    if (options_.watch)
        options_.watch(sound);
    if (riff.empty() || riff.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return false;
    if (!Wake())
        return false;
    if (!decoded.chunk || decoded.session != session_)
    {
        decoded.chunk.reset();
        // The loader closes the memory stream whether or not it succeeds.
        decoded.chunk.reset(
            Mix_LoadWAV_RW(SDL_RWFromConstMem(riff.data(), static_cast<int>(riff.size())), 1));
        decoded.session = session_;
        if (!decoded.chunk)
        {
            // A request for a new sound ends the old one even when the new one cannot play.
            StopWave();
            return false;
        }
    }
    return Mix_PlayChannel(kWaveChannel, decoded.chunk.get(), loop ? -1 : 0) >= 0;
}

bool Service::WavePlaying(const Mix_Chunk* chunk) const
{
    return open_ && Mix_Playing(kWaveChannel) != 0 &&
           (chunk == nullptr || Mix_GetChunk(kWaveChannel) == chunk);
}

void Service::StopWave()
{
    if (open_)
        Mix_HaltChannel(kWaveChannel);
}

void Service::FinishWave(std::chrono::milliseconds limit)
{
    if (!open_)
        return;
    const Uint64 deadline =
        SDL_GetTicks64() + static_cast<Uint64>(std::max<std::int64_t>(0, limit.count()));
    while (Mix_Playing(kWaveChannel) != 0 && SDL_GetTicks64() < deadline)
        SDL_Delay(5);
}

} // namespace audio
