// Rendering a MIDI tune to PCM with FluidSynth, and the cache of renderings.
#include "audio/MidiRender.h"

#include "audio/MidiFile.h"
#include "platform/UserFolders.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace audio
{
namespace
{

// Changes whenever the rendering or the file layout changes, so that old files are not read.
constexpr char kMagic[8] = {'Z', 'B', 'T', 'U', 'N', 'E', '0', '1'};
// How long the sound may go on after the tune's last event before it is cut.
constexpr int kMaxTailSeconds = 4;
constexpr int kBlockFrames = 512;
// The mixer's MIDI player sets FluidSynth's gain to 1.2 at full music volume.
constexpr float kGain = 1.2F;

struct Header
{
    char magic[8];
    std::uint32_t frequency;
    std::uint32_t channels;
    std::uint64_t loopFrames;
    std::uint64_t frames;
};

std::uint64_t Fnv1a(std::span<const std::uint8_t> bytes)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const std::uint8_t b : bytes)
    {
        hash ^= b;
        hash *= 1099511628211ULL;
    }
    return hash;
}

struct SettingsDeleter
{
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter
{
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct PlayerDeleter
{
    void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};

// FluidSynth reports a missing bank or a bad file on stderr; the game stays quiet about sound.
void SilenceFluidSynth()
{
    static const bool done = []
    {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    static_cast<void>(done);
}

} // namespace

RenderedTune::RenderedTune(int frequency, std::size_t loopFrames, std::vector<std::int16_t> samples)
    : frequency_(frequency), loopFrames_(loopFrames), frames_(samples.size() / 2),
      samples_(std::move(samples))
{
}

RenderedTune::RenderedTune(int frequency, std::size_t loopFrames, std::size_t frames, int fd)
    : frequency_(frequency), loopFrames_(loopFrames), frames_(frames), fd_(fd)
{
}

RenderedTune::RenderedTune(RenderedTune&& other) noexcept
    : frequency_(other.frequency_), loopFrames_(other.loopFrames_), frames_(other.frames_),
      samples_(std::move(other.samples_)), fd_(std::exchange(other.fd_, -1))
{
}

RenderedTune::~RenderedTune()
{
    if (fd_ >= 0)
        close(fd_);
}

bool RenderedTune::Read(std::size_t first, std::size_t count, std::int16_t* out) const
{
    if (first > frames_ || count > frames_ - first)
        return false;
    if (fd_ < 0)
    {
        std::memcpy(out, samples_.data() + 2 * first, count * 4);
        return true;
    }
    auto* bytes = reinterpret_cast<char*>(out);
    std::size_t left = count * 4;
    auto offset = static_cast<off_t>(sizeof(Header) + first * 4);
    while (left > 0)
    {
        const ssize_t got = pread(fd_, bytes, left, offset);
        if (got <= 0)
            return false;
        bytes += got;
        left -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

std::string TuneCacheDirectory()
{
    const std::string base = platform::UserFolder("XDG_CACHE_HOME", ".cache");
    return base.empty() ? base : base + "/zorbel2/";
}

std::string TuneCachePath(std::span<const std::uint8_t> tune, int frequency)
{
    const std::string dir = TuneCacheDirectory();
    if (dir.empty())
        return {};
    std::array<char, 64> name{};
    std::snprintf(name.data(), name.size(), "tune-%016llx-%d.pcm",
                  static_cast<unsigned long long>(Fnv1a(tune)), frequency);
    return dir + name.data();
}

std::optional<RenderedTune> LoadRenderedTune(const std::string& path, int frequency)
{
    if (path.empty())
        return std::nullopt;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    RenderedTune tune(frequency, 0, 0, fd);
    Header header{};
    struct stat status
    {
    };
    if (pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
        fstat(fd, &status) != 0)
        return std::nullopt;
    // Bounded as a rendering is, so that the longest tune's is read back and nothing longer.
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 ||
        header.frequency != static_cast<std::uint32_t>(frequency) || header.channels != 2 ||
        header.loopFrames == 0 || header.loopFrames > TuneFrames(kMaxTuneMicroseconds, frequency) ||
        header.loopFrames > header.frames ||
        header.frames - header.loopFrames >
            static_cast<std::uint64_t>(kMaxTailSeconds) * frequency ||
        static_cast<std::uint64_t>(status.st_size) != sizeof header + header.frames * 4)
        return std::nullopt;
    tune.loopFrames_ = static_cast<std::size_t>(header.loopFrames);
    tune.frames_ = static_cast<std::size_t>(header.frames);
    // Read ahead by the system now, so that the audio thread finds the samples in memory.
    posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
    return tune;
}

bool SaveRenderedTune(const std::string& path, const RenderedTune& tune)
{
    if (path.empty() || !tune.InMemory())
        return false;
    std::error_code ec;
    const std::filesystem::path target(path);
    std::filesystem::create_directories(target.parent_path(), ec);
    // A name of this process's own, so that two games starting at once do not share a file.
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.frequency = static_cast<std::uint32_t>(tune.frequency_);
    header.channels = 2;
    header.loopFrames = tune.loopFrames_;
    header.frames = tune.frames_;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        out.write(reinterpret_cast<const char*>(tune.samples_.data()),
                  static_cast<std::streamsize>(tune.samples_.size() * sizeof(std::int16_t)));
        out.flush();
        if (!out)
        {
            out.close();
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec)
    {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

std::optional<RenderedTune> RenderTune(std::span<const std::uint8_t> tune,
                                       std::uint64_t lengthMicroseconds,
                                       const std::string& soundFont, int frequency,
                                       std::stop_token stop)
{
    // Checked before anything is set up or reserved: the samples of a tune of years would not fit.
    const std::uint64_t loopFrames = TuneFrames(lengthMicroseconds, frequency);
    if (tune.empty() || loopFrames == 0 || soundFont.empty())
        return std::nullopt;
    SilenceFluidSynth();
    const std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    if (!settings)
        return std::nullopt;
    fluid_settings_setnum(settings.get(), "synth.sample-rate", frequency);
    // The player's clock is the count of samples written, so rendering runs as fast as it can.
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
    const std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth || fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED)
        return std::nullopt;
    fluid_synth_set_gain(synth.get(), kGain);
    const std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth.get()));
    if (!player || fluid_player_add_mem(player.get(), tune.data(), tune.size()) != FLUID_OK ||
        fluid_player_play(player.get()) != FLUID_OK)
        return std::nullopt;

    const std::uint64_t maxFrames =
        loopFrames + static_cast<std::uint64_t>(kMaxTailSeconds) * frequency;
    std::array<std::int16_t, kBlockFrames * 2> block{};
    std::uint64_t frames = 0;
    std::vector<std::int16_t> samples;
    samples.reserve(static_cast<std::size_t>(loopFrames * 2));
    while (frames < maxFrames)
    {
        if (stop.stop_requested())
            return std::nullopt;
        if (fluid_synth_write_s16(synth.get(), kBlockFrames, block.data(), 0, 2, block.data(), 1,
                                  2) != FLUID_OK)
            return std::nullopt;
        samples.insert(samples.end(), block.begin(), block.end());
        frames += kBlockFrames;
        if (frames < loopFrames)
            continue;
        // Past the tune's end only the dying sound is kept, and only while it can be heard.
        const bool silent =
            std::all_of(block.begin(), block.end(), [](std::int16_t s) { return s > -4 && s < 4; });
        if (silent)
            break;
    }
    samples.resize(static_cast<std::size_t>(std::min(frames, maxFrames) * 2));
    return RenderedTune(frequency, static_cast<std::size_t>(loopFrames), std::move(samples));
}

} // namespace audio
