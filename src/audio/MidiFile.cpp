// Reading a Standard MIDI File's own timing.
#include "audio/MidiFile.h"

#include "platform/Paths.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace audio
{
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
    // Reads all four bytes whatever they are, so that a chunk of another type is passed over
    // from its size.
    bool FourCC(const char* code)
    {
        bool same = true;
        for (int i = 0; i < 4; ++i)
            same = Byte() == static_cast<std::uint8_t>(code[i]) && same;
        return same && ok_;
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

// A length in whole microseconds; 0 past the longest tune, where the count (a 28-bit delta at one
// tick per quarter note lasts years) may not even fit the result.
std::uint64_t Bounded(double microseconds)
{
    return microseconds <= static_cast<double>(kMaxTuneMicroseconds)
               ? static_cast<std::uint64_t>(microseconds)
               : 0;
}

} // namespace

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
        return ticksPerSecond > 0 ? Bounded(static_cast<double>(endTick) * 1e6 / ticksPerSecond)
                                  : 0;
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
    return Bounded(microseconds);
}

std::uint64_t TuneFrames(std::uint64_t lengthMicroseconds, int frequency)
{
    static_assert(kMaxTuneMicroseconds <= UINT64_MAX / kMaxTuneFrequency,
                  "the longest tune's frames are counted without overflow");
    if (lengthMicroseconds > kMaxTuneMicroseconds || frequency <= 0 ||
        frequency > kMaxTuneFrequency)
        return 0;
    return lengthMicroseconds * static_cast<std::uint64_t>(frequency) / 1000000;
}

std::vector<std::uint8_t> ReadFile(const std::string& name)
{
    std::ifstream file(platform::NativePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace audio
