// The music stream over SDL_mixer: the mixer's own music, or a rendered tune mixed in through the
// music hook, with each play's end posted to the main thread.
#include "audio/Music.h"

#include "audio/Audio.h"
#include "audio/MidiFile.h"
#include "audio/MidiRender.h"
#include "audio/SystemMidi.h"
#include "platform/Dispatch.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <span>
#include <utility>
#include <vector>

#ifdef ZORBEL_RENDERED_MUSIC
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace audio
{
namespace
{

void SDLCALL MixRenderingInto(void* stream, Uint8* out, int length)
{
    static_cast<MusicStream*>(stream)->MixRendering(reinterpret_cast<std::int16_t*>(out),
                                                    static_cast<std::size_t>(length) / 4);
}

void SDLCALL AfterMix(void* stream, Uint8*, int length)
{
    // Asked before the stream's own lock is taken: the mixer's lock, which this thread already
    // holds, is the one this takes.
    const bool streaming = Mix_PlayingMusic() != 0;
    static_cast<MusicStream*>(stream)->Mixed(static_cast<std::size_t>(length), streaming);
}

#ifdef ZORBEL_RENDERED_MUSIC
// Worker: renders the tune and keeps it in the cache; null when it cannot be rendered or `stop`
// was requested.
std::shared_ptr<const RenderedTune> RenderAndKeep(std::span<const std::uint8_t> tune,
                                                  std::uint64_t length, const std::string& bank,
                                                  int frequency, const std::string& path,
                                                  std::stop_token stop)
{
    // The synthesiser plays meanwhile, timed by the clock: the rendering takes the lowest share of
    // a busy processor, so that it never delays the notes heard. The lowest nice value rather than
    // the idle policy: an idle thread on a busy machine waits seconds for a turn, and a process
    // ending with one waits as long for it to die.
    static_cast<void>(setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19));
    auto rendered = RenderTune(tune, length, bank, frequency, stop);
    // A rendering finished as its music went is not kept: the process may be ending.
    if (!rendered || stop.stop_requested())
        return nullptr;
    // A cache that cannot be written only costs this run the saving; one that can be is also
    // where the samples are read from from now on, instead of the heap.
    if (SaveRenderedTune(path, *rendered))
    {
        if (auto kept = LoadRenderedTune(path, frequency))
            rendered.emplace(std::move(*kept));
    }
    return std::make_shared<const RenderedTune>(std::move(*rendered));
}
#endif

} // namespace

void MusicStream::Begin(const Music* music, MusicListener* listener)
{
    playing_ = music;
    notify_ = listener;
    aborting_ = false;
    ended_ = false;
    armed_ = false;
    framesLeft_.reset();
}

void MusicStream::PostNotice(bool atEnd)
{
    MusicListener* listener = notify_;
    notify_ = nullptr;
    platform::Post([listener, atEnd] { listener->MusicEnded(atEnd); }, listener);
}

bool MusicStream::RenderingInPlay()
{
    std::lock_guard lock(mutex_);
    return rendering_ != nullptr && !ended_;
}

void MusicStream::StopRendering()
{
    {
        std::lock_guard lock(mutex_);
        if (rendering_ == nullptr)
            return;
    }
    // Once the hook is gone the audio thread no longer reads the rendering. While the device
    // closes, the stream's mutex keeps the audio thread away from it instead.
    if (audio_.Opened())
        Mix_HookMusic(nullptr, nullptr);
    std::lock_guard lock(mutex_);
    rendering_.reset();
    ended_ = true;
    if (notify_ != nullptr)
        PostNotice(false);
}

void MusicStream::HaltMixerMusic()
{
    if (Mix_PlayingMusic() == 0)
        return;
    {
        std::lock_guard lock(mutex_);
        aborting_ = true;
    }
    Mix_HaltMusic();
    std::lock_guard lock(mutex_);
    ended_ = true;
    if (notify_ != nullptr)
        PostNotice(false);
}

void MusicStream::CutOff()
{
    {
        std::lock_guard lock(mutex_);
        aborting_ = true;
    }
    Mix_HaltMusic();
    StopRendering();
    std::lock_guard lock(mutex_);
    ended_ = true;
    if (notify_ != nullptr)
        PostNotice(false);
}

void MusicStream::MixRendering(std::int16_t* out, std::size_t frames)
{
    std::lock_guard lock(mutex_);
    if (rendering_ == nullptr || drained_)
        return;
    const RenderedTune& tune = *rendering_;
    const std::size_t loop = tune.LoopFrames();
    const std::size_t total = tune.Frames();
    constexpr std::size_t kPiece = 1024;
    std::array<std::int16_t, 2 * kPiece> head{};
    std::array<std::int16_t, 2 * kPiece> tail{};
    for (std::size_t done = 0; done < frames;)
    {
        if (position_ == loop)
        {
            if (looping_)
            {
                position_ = 0;
                looped_ = true;
                if (MusicListener* listener = notify_)
                    platform::Post([listener] { listener->MusicRepeated(); }, listener);
            }
            else if (!ended_)
            {
                ended_ = true;
                if (notify_ != nullptr)
                    PostNotice(true);
            }
        }
        const std::size_t end = position_ < loop ? loop : total;
        const std::size_t n = std::min({frames - done, end - position_, kPiece});
        if (n == 0 || !tune.Read(position_, n, head.data()))
        {
            drained_ = true;
            return;
        }
        // After a repeat the dying sound of the previous round still rings over the start.
        std::size_t overlay = 0;
        if (looped_ && position_ < total - loop)
        {
            overlay = std::min(n, total - loop - position_);
            if (!tune.Read(loop + position_, overlay, tail.data()))
                overlay = 0;
        }
        for (std::size_t i = 0; i < 2 * n; ++i)
        {
            const int mixed = head[i] + (i < 2 * overlay ? tail[i] : 0);
            out[2 * done + i] = static_cast<std::int16_t>(std::clamp(mixed, -32768, 32767));
        }
        done += n;
        position_ += n;
    }
}

void MusicStream::Mixed(std::size_t bytes, bool streaming)
{
    // A MIDI synthesiser goes on for a while after the file's last event, so the end is taken
    // from the file's own length where it is known: the repeat then starts on the beat instead
    // of after a pause.
    std::lock_guard lock(mutex_);
    if (ended_ || aborting_ || !armed_ || playing_ == nullptr)
        return;
    if (framesLeft_)
        *framesLeft_ -= static_cast<std::int64_t>(bytes) / bytesPerFrame_;
    if (!streaming || (framesLeft_ && *framesLeft_ <= 0))
    {
        ended_ = true;
        if (notify_ != nullptr)
            PostNotice(true);
    }
}

Music::~Music()
{
    // Stopped first, so that no rendering is handed over to a music that is going.
    renderer_.Stop();
    Halt();
    MusicStream& s = audio_.Music();
    {
        std::lock_guard lock(s.mutex_);
        if (s.notify_ == &listener_)
            s.notify_ = nullptr;
        if (s.playing_ == this)
            s.playing_ = nullptr;
    }
    platform::Cancel(this);
    platform::Cancel(&listener_);
}

void Music::Unload()
{
    Halt();
    renderer_.Stop();
    rendered_.reset();
    mixed_.reset();
    lengthMicroseconds_ = 0;
    file_.clear();
}

bool Music::Load(std::string file)
{
    Unload();
    file_ = std::move(file);
    SDL_ClearError();
    // The mixer would load a file even after its device closed, and then never finish playing it.
    if (!audio_.Wake())
    {
        SDL_SetError("Audio device hasn't been opened");
        return false;
    }
    int frequency = 0;
    int channels = 0;
    Uint16 format = 0;
    // The rendering is mixed straight into the stream, so only in the stream's own format.
    if (Mix_QuerySpec(&frequency, &format, &channels) != 0 && format == AUDIO_S16SYS &&
        channels == 2 && LoadRendering(frequency))
        return true;
    mixed_.reset(Mix_LoadMUS(file_.c_str()));
    // Only now, once the mixer's synthesiser has set up the libraries both share: their one-time
    // set-up is under a lock, which an idle-priority rendering holding it on a busy machine would
    // keep from the main thread for seconds.
    if (pendingRendering_)
        renderer_.Start(std::exchange(pendingRendering_, nullptr));
    if (!mixed_)
        return false;
#ifdef _WIN32
    // The mixer hands a MIDI file to the system's MIDI output, and reports a start it could not
    // make there as a play that ended at once, which a repeating player would retry in a loop
    // (and under Wine the second failed stream open crashes in winmm). Without an output device
    // the tune is not loaded, as where there is no sound device at all.
    if (Mix_GetMusicType(mixed_.get()) == MUS_MID && !HasSystemMidiOutput())
    {
        mixed_.reset();
        SDL_SetError("No MIDI output device");
        return false;
    }
#endif
    session_ = audio_.Session();
    if (Mix_GetMusicType(mixed_.get()) == MUS_MID && lengthMicroseconds_ == 0)
        lengthMicroseconds_ = MidiLengthMicroseconds(ReadFile(file_));
    return true;
}

bool Music::LoadRendering(int frequency)
{
#ifndef ZORBEL_RENDERED_MUSIC
    // No synthesiser of the game's own: the mixer hands the file to the system's MIDI output.
    static_cast<void>(frequency);
    return false;
#else
    std::vector<std::uint8_t> tune = ReadFile(file_);
    if (tune.size() < 4 || std::memcmp(tune.data(), "MThd", 4) != 0)
        return false;
    lengthMicroseconds_ = MidiLengthMicroseconds(tune);
    if (lengthMicroseconds_ == 0)
        return false;
    const std::string path = TuneCachePath(tune, frequency);
    if (auto kept = LoadRenderedTune(path, frequency))
    {
        rendered_ = std::make_shared<const RenderedTune>(std::move(*kept));
        session_ = audio_.Session();
        return true;
    }
    // The mixer reads the same list; its first bank is the one it plays the tune with.
    std::string bank = Mix_GetSoundFonts() != nullptr ? Mix_GetSoundFonts() : "";
    bank = bank.substr(0, bank.find(';'));
    pendingRendering_ =
        [this, tune = std::move(tune), length = lengthMicroseconds_, bank, frequency, path,
         file = file_](std::stop_token stop, const platform::Worker::HandOver& handOver)
    {
        auto shared = RenderAndKeep(tune, length, bank, frequency, path, stop);
        if (shared == nullptr)
            return;
        handOver(
            [this, shared, file]
            {
                platform::Post(
                    [this, shared, file]
                    {
                        if (file_ == file)
                            rendered_ = shared;
                    },
                    this);
            });
    };
    return false;
#endif
}

void Music::WaitForRendering()
{
    renderer_.Wait();
    platform::RunPending();
}

bool Music::PlayRendering(bool loop)
{
    if (!audio_.Wake())
    {
        SDL_SetError("Audio device hasn't been opened");
        return false;
    }
    MusicStream& s = audio_.Music();
    s.StopRendering();
    s.HaltMixerMusic();
    // From here on the tune needs neither the synthesiser nor its bank.
    mixed_.reset();
    {
        std::lock_guard lock(s.mutex_);
        s.Begin(this, &listener_);
        s.rendering_ = rendered_;
        s.position_ = 0;
        s.looping_ = loop;
        s.looped_ = false;
        s.drained_ = false;
        s.session_ = audio_.Session();
    }
    Mix_HookMusic(&MixRenderingInto, &s);
    return true;
}

bool Music::Play(bool loop)
{
    if (rendered_ != nullptr)
        return PlayRendering(loop);
    if ((session_ != audio_.Session() || !mixed_) && !Load(file_))
        return false;
    if (rendered_ != nullptr)
        return PlayRendering(loop);
    audio_.Wake();
    MusicStream& s = audio_.Music();
    s.StopRendering();
    // Whatever the stream still plays (another player's music, a tail of ours) is cut off.
    s.HaltMixerMusic();
    int frequency = 0;
    int channels = 0;
    Uint16 format = 0;
    int bytesPerFrame = 4;
    std::optional<std::int64_t> frames;
    if (Mix_QuerySpec(&frequency, &format, &channels) != 0)
    {
        bytesPerFrame = std::max(1, channels * static_cast<int>(SDL_AUDIO_BITSIZE(format)) / 8);
        if (lengthMicroseconds_ > 0)
            frames = static_cast<std::int64_t>(TuneFrames(lengthMicroseconds_, frequency));
    }
    {
        std::lock_guard lock(s.mutex_);
        s.Begin(this, &listener_);
        s.bytesPerFrame_ = bytesPerFrame;
    }
    Mix_SetPostMix(&AfterMix, &s);
    SDL_ClearError();
    // The mixer's music plays once; a repeat is a new play, after the end's notice.
    if (Mix_PlayMusic(mixed_.get(), 1) != 0)
    {
        std::lock_guard lock(s.mutex_);
        s.playing_ = nullptr;
        s.notify_ = nullptr;
        return false;
    }
    // Counted from here, a buffer mixed before the music began cannot make the end come early.
    std::lock_guard lock(s.mutex_);
    if (s.playing_ == this && !s.ended_)
    {
        s.framesLeft_ = frames;
        s.armed_ = true;
    }
    return true;
}

void Music::Halt()
{
    MusicStream& s = audio_.Music();
    {
        std::lock_guard lock(s.mutex_);
        if (s.playing_ != this)
            return;
    }
    s.StopRendering();
    s.HaltMixerMusic();
    std::lock_guard lock(s.mutex_);
    s.ended_ = true;
    if (s.notify_ != nullptr)
        s.PostNotice(false);
    s.playing_ = nullptr;
}

bool Music::Playing() const
{
    const bool streaming = Mix_PlayingMusic() != 0;
    MusicStream& s = audio_.Music();
    std::lock_guard lock(s.mutex_);
    if (s.playing_ != this)
        return false;
    if (s.rendering_ != nullptr)
        return !s.ended_ && s.session_ == audio_.Session();
    return streaming && !s.ended_;
}

} // namespace audio
