// The music player over SDL_mixer's music stream.
#include "widgets/MCIPlayer.h"

#include "ui/Dispatch.h"
#include "ui/Paths.h"
#include "widgets/Audio.h"
#include "widgets/MidiRender.h"
#include "widgets/SystemMidi.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <span>
#include <vector>

#ifdef ZORBEL_RENDERED_MUSIC
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace
{

// Reads big-endian numbers and variable-length quantities; any read past the end marks it failed.
class MidiReader
{
public:
    explicit MidiReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Ok() const { return ok_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    std::size_t Position() const { return pos_; }
    void Seek(std::size_t pos)
    {
        ok_ = ok_ && pos <= bytes_.size();
        pos_ = std::min(pos, bytes_.size());
    }
    void Skip(std::uint64_t count)
    {
        ok_ = ok_ && count <= bytes_.size() - pos_;
        pos_ += static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - pos_));
    }
    std::uint8_t Peek() const { return pos_ < bytes_.size() ? bytes_[pos_] : 0; }
    std::uint32_t Byte()
    {
        if (pos_ >= bytes_.size())
        {
            ok_ = false;
            return 0;
        }
        return bytes_[pos_++];
    }
    std::uint32_t Be(int count)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 8 | Byte();
        return value;
    }
    std::uint32_t VarLen()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
        {
            const std::uint32_t b = Byte();
            value = value << 7 | (b & 0x7F);
            if ((b & 0x80) == 0)
                return value;
        }
        ok_ = false;
        return value;
    }
    bool FourCC(const char* code)
    {
        for (int i = 0; i < 4; ++i)
        {
            if (Byte() != static_cast<std::uint8_t>(code[i]))
                return false;
        }
        return ok_;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

struct TempoChange
{
    std::uint64_t tick;
    std::uint32_t microsecondsPerQuarter;
};

// The time from the start of a Standard MIDI File to its last end-of-track, by its own tempo map;
// 0 when the file cannot be read.
std::uint64_t MidiLengthMicroseconds(std::span<const std::uint8_t> file)
{
    MidiReader in(file);
    if (!in.FourCC("MThd"))
        return 0;
    const std::uint32_t headerSize = in.Be(4);
    const std::size_t headerStart = in.Position();
    in.Be(2); // format: all tracks start together in formats 0 and 1
    const std::uint32_t tracks = in.Be(2);
    const std::uint32_t division = in.Be(2);
    in.Seek(headerStart + headerSize);
    if (!in.Ok() || division == 0)
        return 0;

    std::vector<TempoChange> tempos;
    std::uint64_t endTick = 0;
    for (std::uint32_t track = 0; track < tracks && in.Ok() && !in.AtEnd();)
    {
        const bool isTrack = in.FourCC("MTrk");
        const std::uint32_t size = in.Be(4);
        const std::size_t end = in.Position() + size;
        if (!in.Ok())
            return 0;
        if (!isTrack)
        {
            in.Seek(end);
            continue;
        }
        std::uint64_t tick = 0;
        std::uint32_t status = 0;
        while (in.Ok() && in.Position() < end)
        {
            tick += in.VarLen();
            if ((in.Peek() & 0x80) != 0)
                status = in.Byte();
            if (status == 0xFF)
            {
                const std::uint32_t type = in.Byte();
                const std::uint32_t length = in.VarLen();
                if (type == 0x2F)
                    break;
                if (type == 0x51 && length == 3)
                    tempos.push_back({tick, in.Be(3)});
                else
                    in.Skip(length);
                status = 0;
            }
            else if (status == 0xF0 || status == 0xF7)
            {
                in.Skip(in.VarLen());
                status = 0;
            }
            else if (status >= 0x80)
            {
                const std::uint32_t kind = status & 0xF0;
                in.Skip(kind == 0xC0 || kind == 0xD0 ? 1 : 2);
            }
            else
            {
                return 0; // data without a status byte
            }
        }
        endTick = std::max(endTick, tick);
        // A last track whose stated size runs past the file still counts up to its end event.
        in.Seek(std::min(end, file.size()));
        ++track;
    }
    if (!in.Ok())
        return 0;

    if ((division & 0x8000) != 0)
    {
        // Time code: frames per second (29 stands for 29.97) times ticks per frame.
        const int fps = -static_cast<std::int8_t>(division >> 8);
        const std::uint32_t ticksPerFrame = division & 0xFF;
        const double ticksPerSecond = (fps == 29 ? 29.97 : fps) * ticksPerFrame;
        return ticksPerSecond > 0 ? static_cast<std::uint64_t>(endTick * 1e6 / ticksPerSecond) : 0;
    }
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    double microseconds = 0;
    std::uint64_t tick = 0;
    std::uint32_t tempo = 500000; // 120 beats per minute until told otherwise
    for (const TempoChange& change : tempos)
    {
        if (change.tick >= endTick)
            break;
        microseconds += static_cast<double>(change.tick - tick) * tempo / division;
        tick = change.tick;
        tempo = change.microsecondsPerQuarter;
    }
    microseconds += static_cast<double>(endTick - tick) * tempo / division;
    return static_cast<std::uint64_t>(microseconds);
}

std::vector<std::uint8_t> ReadFile(const std::string& name)
{
    std::ifstream file(ui::NativePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string Format(std::string pattern, const std::string& argument)
{
    const auto at = pattern.find("%s");
    if (at != std::string::npos)
        pattern.replace(at, 2, argument);
    return pattern;
}

std::uint16_t NextDeviceId()
{
    static std::uint16_t last = 0;
    if (++last == 0)
        ++last;
    return last;
}

} // namespace

// The process has one music stream. What the mixer's threads may read lives here, under the mutex;
// no mixer function is called while it is held, because the mixer calls in with its own lock held.
struct MusicStream
{
    std::mutex mutex;
    const TMCIFilePlayer* playing = nullptr; // whose music the stream was last given
    TMCIFilePlayer* notify = nullptr;        // who gets the notice of the play under way
    bool aborting = false;                   // the play is being cut off by a command
    bool ended = false;                      // the play reached its end; only a tail may sound
    std::int64_t framesLeft = -1;            // until the file's own end; -1 when unknown
    int bytesPerFrame = 4;
    // A rendered tune that the stream plays instead of the mixer's music; null when none.
    std::shared_ptr<const widgets::RenderedTune> rendering;
    std::size_t position = 0;  // the next frame of the rendering
    bool looping = false;      // it repeats without a break
    bool looped = false;       // it has repeated: its dying sound lies over its beginning
    bool drained = false;      // played to the end of its dying sound
    std::uint64_t session = 0; // the audio session it plays in: closing the device ends it

    static MusicStream& Shared()
    {
        static MusicStream stream;
        return stream;
    }

    // Caller holds the mutex. A new play of player's music begins: its notice goes to player.
    void Begin(TMCIFilePlayer* player)
    {
        playing = player;
        notify = player;
        aborting = false;
        ended = false;
        framesLeft = -1;
    }

    // Caller holds the mutex. The notice is queued, never run, from the mixer's threads.
    void PostNotice(TMPNotifyValues value)
    {
        TMCIFilePlayer* player = notify;
        notify = nullptr;
        ui::Post([player, value] { player->Notify(value); }, player);
    }

    // From the mixer when the stream stops: at its end (audio thread) or halted (caller's thread).
    static void SDLCALL Finished()
    {
        MusicStream& s = Shared();
        std::lock_guard lock(s.mutex);
        s.ended = true;
        if (s.notify != nullptr)
            s.PostNotice(s.aborting || !AudioAvailable() ? nvAborted : nvSuccessful);
    }

    // From the audio thread, in place of the mixer's music while a rendering plays.
    static void SDLCALL MixRendering(void*, Uint8* stream, int length)
    {
        MusicStream& s = Shared();
        std::lock_guard lock(s.mutex);
        if (s.rendering == nullptr || s.drained)
            return;
        const widgets::RenderedTune& tune = *s.rendering;
        const std::size_t loop = tune.LoopFrames();
        const std::size_t total = tune.Frames();
        auto* out = reinterpret_cast<Sint16*>(stream);
        const auto frames = static_cast<std::size_t>(length) / 4;
        constexpr std::size_t kPiece = 1024;
        std::array<std::int16_t, 2 * kPiece> head{};
        std::array<std::int16_t, 2 * kPiece> tail{};
        for (std::size_t done = 0; done < frames;)
        {
            if (s.position == loop)
            {
                if (s.looping)
                {
                    s.position = 0;
                    s.looped = true;
                    if (TMCIFilePlayer* player = s.notify)
                        ui::Post([player] { player->NotifyRepeat(); }, player);
                }
                else if (!s.ended)
                {
                    s.ended = true;
                    if (s.notify != nullptr)
                        s.PostNotice(nvSuccessful);
                }
            }
            const std::size_t end = s.position < loop ? loop : total;
            const std::size_t n = std::min({frames - done, end - s.position, kPiece});
            if (n == 0 || !tune.Read(s.position, n, head.data()))
            {
                s.drained = true;
                return;
            }
            // After a repeat the dying sound of the previous round still rings over the start.
            std::size_t overlay = 0;
            if (s.looped && s.position < total - loop)
            {
                overlay = std::min(n, total - loop - s.position);
                if (!tune.Read(loop + s.position, overlay, tail.data()))
                    overlay = 0;
            }
            for (std::size_t i = 0; i < 2 * n; ++i)
            {
                const int mixed = head[i] + (i < 2 * overlay ? tail[i] : 0);
                out[2 * done + i] = static_cast<Sint16>(std::clamp(mixed, -32768, 32767));
            }
            done += n;
            s.position += n;
        }
    }

    // Any thread: whether a rendering is being mixed in, which keeps the device open.
    static bool InPlay()
    {
        MusicStream& s = Shared();
        std::lock_guard lock(s.mutex);
        return s.rendering != nullptr && !s.ended;
    }

    // Main thread: takes the rendering off the stream (whoever played it), reporting the play it
    // cuts off. The mixer is not holding the stream's mutex here, nor called with it held.
    static void StopRendering()
    {
        MusicStream& s = Shared();
        {
            std::lock_guard lock(s.mutex);
            if (s.rendering == nullptr)
                return;
        }
        // Once the hook is gone the audio thread no longer reads the rendering. While the device
        // closes, the stream's mutex keeps the audio thread away from it instead.
        if (AudioAvailable())
            Mix_HookMusic(nullptr, nullptr);
        std::lock_guard lock(s.mutex);
        s.rendering.reset();
        s.ended = true;
        if (s.notify != nullptr)
            s.PostNotice(nvAborted);
    }

    // From the audio thread after each mixed buffer. A MIDI synthesiser goes on for a while after
    // the file's last event, so the end is taken from the file's own length: the repeat then
    // starts on the beat instead of after a pause.
    static void SDLCALL Mixed(void*, Uint8*, int length)
    {
        MusicStream& s = Shared();
        std::lock_guard lock(s.mutex);
        if (s.ended || s.framesLeft < 0 || s.playing == nullptr)
            return;
        s.framesLeft -= length / s.bytesPerFrame;
        if (s.framesLeft <= 0)
        {
            s.ended = true;
            if (s.notify != nullptr)
                s.PostNotice(nvSuccessful);
        }
    }
};

TMCIFilePlayer::~TMCIFilePlayer()
{
    // Stopped first, so that no rendering is handed over to a player that is going.
    renderer_ = {};
    Close();
    MusicStream& s = MusicStream::Shared();
    bool unhook = false;
    {
        std::lock_guard lock(s.mutex);
        if (s.notify == this)
            s.notify = nullptr;
        if (s.playing == this)
            s.playing = nullptr;
        unhook = s.playing == nullptr;
    }
    if (unhook && AudioAvailable())
    {
        Mix_HookMusicFinished(nullptr);
        Mix_SetPostMix(nullptr, nullptr);
    }
    ui::Cancel(this);
}

void TMCIFilePlayer::Loaded()
{
    if (autoOpen_)
        Open();
}

bool TMCIFilePlayer::Open()
{
    if (fileName_.empty())
    {
        if (raiseExceptions_)
            throw EMCIDeviceError(Format("Cannot open file %s", fileName_));
        return false;
    }
    if (open_ && !Close())
        return false;
    repeatPending_ = false;
    if (!Load())
        return Fail(SDL_GetError());
    open_ = true;
    atEnd_ = false;
    deviceId_ = NextDeviceId();
    error_ = 0;
    return true;
}

bool TMCIFilePlayer::Load()
{
    music_.reset();
    lengthMicroseconds_ = 0;
    SDL_ClearError();
    // Other device types have no player here; the error then has no text of its own.
    if (deviceType_ != dtAutoSelect && deviceType_ != dtSequencer && deviceType_ != dtWaveAudio)
        return false;
    // The mixer would load a file even after its device closed, and then never finish playing it.
    if (!WakeAudio())
    {
        SDL_SetError("Audio device hasn't been opened");
        return false;
    }
    if (deviceType_ != dtWaveAudio)
    {
        int frequency = 0;
        int channels = 0;
        Uint16 format = 0;
        // The rendering is mixed straight into the stream, so only in the stream's own format.
        if (Mix_QuerySpec(&frequency, &format, &channels) != 0 && format == AUDIO_S16SYS &&
            channels == 2 && LoadRendering(frequency))
            return true;
    }
    if (deviceType_ == dtAutoSelect)
    {
        music_.reset(Mix_LoadMUS(fileName_.c_str()));
    }
    else if (ui::RWopsPtr file{SDL_RWFromFile(fileName_.c_str(), "rb")})
    {
        // The loader takes the file over, closing it even when it fails.
        music_.reset(
            Mix_LoadMUSType_RW(file.release(), deviceType_ == dtSequencer ? MUS_MID : MUS_WAV, 1));
    }
    if (!music_)
        return false;
#ifdef _WIN32
    // The mixer hands a MIDI file to the system's MIDI output, and reports a start it could not
    // make there as a play that ended at once, which a repeating player would retry in a loop
    // (and under Wine the second failed stream open crashes in winmm). Without an output device
    // the tune is not loaded, as where there is no sound device at all.
    if (Mix_GetMusicType(music_.get()) == MUS_MID && !widgets::HasSystemMidiOutput())
    {
        music_.reset();
        SDL_SetError("No MIDI output device");
        return false;
    }
#endif
    musicSession_ = AudioSession();
    if (Mix_GetMusicType(music_.get()) == MUS_MID && lengthMicroseconds_ == 0)
        lengthMicroseconds_ = MidiLengthMicroseconds(ReadFile(fileName_));
    return true;
}

bool TMCIFilePlayer::LoadRendering(int frequency)
{
#ifndef ZORBEL_RENDERED_MUSIC
    // No synthesiser of the game's own: the mixer hands the file to the system's MIDI output.
    static_cast<void>(frequency);
    return false;
#else
    rendered_.reset();
    renderer_ = {};
    std::vector<std::uint8_t> tune = ReadFile(fileName_);
    if (tune.size() < 4 || std::memcmp(tune.data(), "MThd", 4) != 0)
        return false;
    lengthMicroseconds_ = MidiLengthMicroseconds(tune);
    if (lengthMicroseconds_ == 0)
        return false;
    const std::string path = widgets::TuneCachePath(tune, frequency);
    if (auto kept = widgets::LoadRenderedTune(path, frequency))
    {
        rendered_ = std::make_shared<const widgets::RenderedTune>(std::move(*kept));
        musicSession_ = AudioSession();
        return true;
    }
    // The mixer reads the same list; its first bank is the one it plays the tune with.
    std::string bank = Mix_GetSoundFonts() != nullptr ? Mix_GetSoundFonts() : "";
    bank = bank.substr(0, bank.find(';'));
    renderer_ = std::jthread(
        [this, tune = std::move(tune), length = lengthMicroseconds_, bank, frequency, path,
         file = fileName_](std::stop_token stop)
        {
            // The synthesiser plays meanwhile, timed by the clock: the rendering only takes a
            // processor that would otherwise idle, so that it never delays the notes heard.
            const sched_param idle{};
            if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle) != 0)
                static_cast<void>(setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19));
            auto rendered = widgets::RenderTune(tune, length, bank, frequency, stop);
            if (!rendered)
                return;
            // A cache that cannot be written only costs this run the saving; one that can be
            // is also where the samples are read from from now on, instead of the heap.
            if (widgets::SaveRenderedTune(path, *rendered))
            {
                if (auto kept = widgets::LoadRenderedTune(path, frequency))
                    rendered.emplace(std::move(*kept));
            }
            auto shared = std::make_shared<const widgets::RenderedTune>(std::move(*rendered));
            ui::Post(
                [this, shared, file]
                {
                    if (open_ && fileName_ == file)
                        rendered_ = shared;
                },
                this);
        });
    return false;
#endif
}

void TMCIFilePlayer::WaitForRendering()
{
    if (renderer_.joinable())
        renderer_.join();
    ui::RunPending();
}

bool TMCIFilePlayer::PlayRendering()
{
    if (!WakeAudio())
        return Fail("Audio device hasn't been opened");
    MusicStream& s = MusicStream::Shared();
    MusicStream::StopRendering();
    if (Mix_PlayingMusic() != 0)
    {
        {
            std::lock_guard lock(s.mutex);
            s.aborting = true;
        }
        Mix_HaltMusic();
    }
    // From here on the tune needs neither the synthesiser nor its bank.
    music_.reset();
    {
        std::lock_guard lock(s.mutex);
        s.Begin(this);
        s.rendering = rendered_;
        s.position = 0;
        s.looping = autoRepeat_;
        s.looped = false;
        s.drained = false;
        s.session = AudioSession();
    }
    Mix_HookMusicFinished(&MusicStream::Finished);
    SetMusicCloser(&MusicStream::StopRendering);
    SetMusicInPlay(&MusicStream::InPlay);
    Mix_HookMusic(&MusicStream::MixRendering, nullptr);
    return true;
}

bool TMCIFilePlayer::Play()
{
    if (!open_)
        return NotOpen();
    if (autoRewind_ && atEnd_ && !Rewind())
        return false;
    if (autoRepeat_)
        repeatPending_ = true;
    error_ = 0;
    if (atEnd_)
    {
        // Playing from the end finishes at once.
        ui::Post([this] { Notify(nvSuccessful); }, this);
        return true;
    }
    MusicStream& s = MusicStream::Shared();
    if (Mode() == mpPlaying)
    {
        // Already under way: it goes on, and the earlier request's notice is overtaken.
        ui::Post([this] { Notify(nvSuperseded); }, this);
        return true;
    }
    if (rendered_ != nullptr)
        return PlayRendering();
    if (musicSession_ != AudioSession() && !Load())
        return Fail(SDL_GetError());
    if (rendered_ != nullptr)
        return PlayRendering();
    MusicStream::StopRendering();

    // Whatever the stream still plays (another player's music, a tail of ours) is cut off.
    if (Mix_PlayingMusic() != 0)
    {
        {
            std::lock_guard lock(s.mutex);
            s.aborting = true;
        }
        Mix_HaltMusic();
    }
    int frequency = 0;
    int channels = 0;
    Uint16 format = 0;
    int bytesPerFrame = 4;
    std::int64_t frames = -1;
    if (Mix_QuerySpec(&frequency, &format, &channels) != 0)
    {
        bytesPerFrame = std::max(1, channels * static_cast<int>(SDL_AUDIO_BITSIZE(format)) / 8);
        if (lengthMicroseconds_ > 0)
            frames = static_cast<std::int64_t>(lengthMicroseconds_ * frequency / 1000000);
    }
    {
        std::lock_guard lock(s.mutex);
        s.Begin(this);
        s.bytesPerFrame = bytesPerFrame;
    }
    Mix_HookMusicFinished(&MusicStream::Finished);
    Mix_SetPostMix(&MusicStream::Mixed, nullptr);
    SDL_ClearError();
    if (Mix_PlayMusic(music_.get(), 1) != 0)
    {
        {
            std::lock_guard lock(s.mutex);
            s.playing = nullptr;
            s.notify = nullptr;
        }
        return Fail(SDL_GetError());
    }
    // Counted from here, a buffer mixed before the music began cannot make the end come early.
    std::lock_guard lock(s.mutex);
    if (s.playing == this && !s.ended)
        s.framesLeft = frames;
    return true;
}

bool TMCIFilePlayer::Close()
{
    repeatPending_ = false;
    if (deviceId_ == 0)
        return true;
    HaltOwnMusic();
    renderer_ = {};
    rendered_.reset();
    music_.reset();
    open_ = false;
    atEnd_ = false;
    deviceId_ = 0;
    error_ = 0;
    return true;
}

bool TMCIFilePlayer::Rewind()
{
    if (!open_)
        return NotOpen();
    repeatPending_ = false;
    HaltOwnMusic();
    atEnd_ = false;
    error_ = 0;
    return true;
}

TMPModes TMCIFilePlayer::Mode() const
{
    if (!open_)
        return mpNotReady;
    const bool streaming = Mix_PlayingMusic() != 0;
    const bool paused = Mix_PausedMusic() != 0;
    MusicStream& s = MusicStream::Shared();
    std::lock_guard lock(s.mutex);
    if (s.playing == this && s.rendering != nullptr)
        return s.ended || s.session != AudioSession() ? mpStopped : mpPlaying;
    if (streaming && s.playing == this && !s.ended)
        return paused ? mpPaused : mpPlaying;
    return mpStopped;
}

void TMCIFilePlayer::HaltOwnMusic()
{
    MusicStream& s = MusicStream::Shared();
    {
        std::lock_guard lock(s.mutex);
        if (s.playing != this)
            return;
        s.aborting = true;
    }
    MusicStream::StopRendering();
    // The mixer reports the halt through Finished before it returns.
    Mix_HaltMusic();
    std::lock_guard lock(s.mutex);
    s.playing = nullptr;
    s.notify = nullptr;
}

void TMCIFilePlayer::NotifyRepeat()
{
    // Cut off since it was queued: the cutting off brings its own notice.
    if (Mode() != mpPlaying)
        return;
    notifyValue_ = nvSuccessful;
    if (OnNotify)
        OnNotify(*this, nvSuccessful);
    if (autoClose_)
        Close();
}

void TMCIFilePlayer::Notify(TMPNotifyValues value)
{
    // A play ended or was cut off: the silence that may follow is counted from here.
    SoundStopped();
    notifyValue_ = value;
    if (value == nvSuccessful)
        atEnd_ = true;
    if (OnNotify)
        OnNotify(*this, value);
    if (autoClose_)
        Close();
    if (Mode() == mpStopped && autoRepeat_ && repeatPending_)
    {
        Rewind();
        Play();
    }
}

bool TMCIFilePlayer::Fail(const std::string& message)
{
    error_ = 1;
    errorMessage_ = message.empty() ? "Unknown error code" : message;
    if (raiseExceptions_)
        throw EMCIDeviceError(errorMessage_);
    return false;
}

bool TMCIFilePlayer::NotOpen()
{
    if (raiseExceptions_)
        throw EMCIDeviceError("No MCI device open");
    return false;
}
