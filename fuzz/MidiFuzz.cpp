// Fuzz target: the two readers of a tune from a file, the MIDI file's length and the rendered
// tune's cache file. Any input is read without a crash, an overflow or a byte read past its end
// (the sanitizers watch); no length read exceeds the longest tune; a track built from the input
// lasts what its ticks say at the default tempo, whatever chunks lie around it; and a cache file
// is taken only when its samples are exactly those a rendering of at most that length holds.
#include "FuzzSupport.h"

#include "audio/MidiFile.h"
#include "audio/MidiRender.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace
{

constexpr int kFrequency = 44100;
constexpr std::size_t kHeaderBytes = 32;

void PutBe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, std::span<const std::uint8_t> data)
{
    out.insert(out.end(), type, type + 4);
    PutBe(out, static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
}

std::vector<std::uint8_t> Header(std::uint16_t division)
{
    std::vector<std::uint8_t> header;
    PutBe(header, 0, 2); // format 0
    PutBe(header, 1, 2); // one track
    PutBe(header, division, 2);
    std::vector<std::uint8_t> out;
    PutChunk(out, "MThd", header);
    return out;
}

// A track of note-ons and empty text events whose deltas (28 bits each) come from the input.
std::vector<std::uint8_t> BuiltTrack(std::span<const std::uint8_t> in, std::uint64_t& ticks)
{
    std::vector<std::uint8_t> track;
    ticks = 0;
    for (std::size_t i = 0; i + 4 <= in.size(); i += 4)
    {
        const std::uint32_t delta =
            (static_cast<std::uint32_t>(in[i]) << 20 | static_cast<std::uint32_t>(in[i + 1]) << 12 |
             static_cast<std::uint32_t>(in[i + 2]) << 4 | in[i + 3] >> 4) &
            0x0FFFFFFF;
        ticks += delta;
        for (int shift = 21; shift > 0; shift -= 7)
        {
            if (delta >> shift != 0)
                track.push_back(static_cast<std::uint8_t>(0x80 | ((delta >> shift) & 0x7F)));
        }
        track.push_back(static_cast<std::uint8_t>(delta & 0x7F));
        if ((in[i + 3] & 1) != 0)
            track.insert(track.end(), {0x90, 60, 64});
        else
            track.insert(track.end(), {0xFF, 0x01, 0});
    }
    track.insert(track.end(), {0, 0xFF, 0x2F, 0});
    return track;
}

void CheckLength(std::span<const std::uint8_t> in)
{
    FUZZ_CHECK(audio::MidiLengthMicroseconds(in) <= audio::kMaxTuneMicroseconds);
    if (in.size() < 2)
        return;
    const auto division = static_cast<std::uint16_t>(std::max((in[0] << 8 | in[1]) & 0x7FFF, 1));
    std::uint64_t ticks = 0;
    std::vector<std::uint8_t> track;
    PutChunk(track, "MTrk", BuiltTrack(in.subspan(2), ticks));
    // 120 beats a minute: half a second per quarter note. Exact in a double up to an hour.
    const std::uint64_t scaled = ticks * 500000;
    const std::uint64_t expected =
        scaled > audio::kMaxTuneMicroseconds * division ? 0 : scaled / division;

    std::vector<std::uint8_t> file = Header(division);
    file.insert(file.end(), track.begin(), track.end());
    FUZZ_CHECK(audio::MidiLengthMicroseconds(file) == expected);
    // Bytes after the counted tracks are not read.
    file.insert(file.end(), in.begin(), in.end());
    FUZZ_CHECK(audio::MidiLengthMicroseconds(file) == expected);
    // A chunk of another type before the track is passed over.
    file = Header(division);
    PutChunk(file, "XFIR", in);
    file.insert(file.end(), track.begin(), track.end());
    FUZZ_CHECK(audio::MidiLengthMicroseconds(file) == expected);
}

std::string WriteScratch(const std::string& name, std::span<const std::uint8_t> bytes)
{
    const std::string path = (fuzzing::ScratchFolder::Path() / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

void CheckCacheFile(std::span<const std::uint8_t> in)
{
    const auto kept = audio::LoadRenderedTune(WriteScratch("tune.pcm", in), kFrequency);
    if (kept)
    {
        FUZZ_CHECK(kept->Frequency() == kFrequency && !kept->InMemory());
        FUZZ_CHECK(kept->LoopFrames() > 0 && kept->LoopFrames() <= kept->Frames());
        FUZZ_CHECK(kept->LoopFrames() <=
                   audio::TuneFrames(audio::kMaxTuneMicroseconds, kFrequency));
        FUZZ_CHECK(in.size() == kHeaderBytes + kept->Frames() * 4);
        std::vector<std::int16_t> samples(kept->Frames() * 2);
        FUZZ_CHECK(kept->Read(0, kept->Frames(), samples.data()));
        FUZZ_CHECK(std::memcmp(samples.data(), in.data() + kHeaderBytes, samples.size() * 2) == 0);
        FUZZ_CHECK(!kept->Read(kept->Frames(), 1, samples.data()));
    }

    // A rendering of the input's samples, saved and loaded again, is the same rendering.
    const std::size_t frames = in.size() / 4;
    if (frames == 0)
        return;
    std::vector<std::int16_t> samples(frames * 2);
    std::memcpy(samples.data(), in.data(), frames * 4);
    const std::size_t loop = 1 + in[0] % frames;
    const std::string path = (fuzzing::ScratchFolder::Path() / "saved.pcm").string();
    FUZZ_CHECK(audio::SaveRenderedTune(path, audio::RenderedTune(kFrequency, loop, samples)));
    const auto saved = audio::LoadRenderedTune(path, kFrequency);
    FUZZ_CHECK(saved && saved->LoopFrames() == loop && saved->Frames() == frames);
    std::vector<std::int16_t> back(frames * 2);
    FUZZ_CHECK(saved->Read(0, frames, back.data()) && back == samples);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A copy of exactly the input's size on the heap, so that a read past it is caught.
    const std::vector<std::uint8_t> input(data, data + size);
    CheckLength(input);
    CheckCacheFile(input);
    return 0;
}
