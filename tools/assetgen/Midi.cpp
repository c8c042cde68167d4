// Standard MIDI files (format 1): tracks of timed events, written with delta times.
#include "Midi.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen
{

namespace
{

enum Order
{
    kMeta = 0,
    kSetup = 1,
    kNoteOff = 2,
    kNoteOn = 3,
};

void PutVariableLength(Bytes& out, std::uint32_t value)
{
    std::uint8_t groups[5];
    int n = 0;
    do
    {
        groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
    {
        PutU8(out, groups[--n] | 0x80u);
    }
    PutU8(out, groups[0]);
}

void CheckChannel(int channel, int value)
{
    if (channel < 0 || channel > 15 || value < 0 || value > 127)
    {
        throw std::invalid_argument("MIDI channel or data byte out of range");
    }
}

} // namespace

void MidiTrack::Add(std::uint32_t tick, int order, Bytes bytes)
{
    events_.push_back({tick, order, std::move(bytes)});
}

void MidiTrack::Name(std::string_view name)
{
    Bytes b{0xFF, 0x03};
    PutVariableLength(b, static_cast<std::uint32_t>(name.size()));
    PutText(b, name);
    Add(0, kMeta, std::move(b));
}

void MidiTrack::Tempo(std::uint32_t tick, double beatsPerMinute)
{
    const auto microsPerQuarter =
        static_cast<std::uint32_t>(std::lround(60'000'000.0 / beatsPerMinute));
    Add(tick, kMeta,
        {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsPerQuarter >> 16),
         static_cast<std::uint8_t>(microsPerQuarter >> 8),
         static_cast<std::uint8_t>(microsPerQuarter)});
}

void MidiTrack::TimeSignature(std::uint32_t tick, int numerator, int denominatorPowerOfTwo)
{
    // 24 clocks per metronome click, 8 thirty-seconds per quarter.
    Add(tick, kMeta,
        {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(numerator),
         static_cast<std::uint8_t>(denominatorPowerOfTwo), 24, 8});
}

void MidiTrack::Program(std::uint32_t tick, int channel, int program)
{
    CheckChannel(channel, program);
    Add(tick, kSetup,
        {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(program)});
}

void MidiTrack::Control(std::uint32_t tick, int channel, int controller, int value)
{
    CheckChannel(channel, controller);
    CheckChannel(channel, value);
    Add(tick, kSetup,
        {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(controller),
         static_cast<std::uint8_t>(value)});
}

void MidiTrack::Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity)
{
    CheckChannel(channel, key);
    CheckChannel(channel, velocity);
    if (length == 0 || velocity == 0)
    {
        throw std::invalid_argument("a note needs a length and a velocity");
    }
    const auto k = static_cast<std::uint8_t>(key);
    Add(tick, kNoteOn,
        {static_cast<std::uint8_t>(0x90 | channel), k, static_cast<std::uint8_t>(velocity)});
    Add(tick + length, kNoteOff, {static_cast<std::uint8_t>(0x80 | channel), k, 0});
}

Bytes MidiTrack::Encode(std::uint32_t endTick) const
{
    std::vector<const Event*> sorted;
    for (const Event& e : events_)
    {
        if (e.tick > endTick)
        {
            throw std::invalid_argument("MIDI event after the end of its track");
        }
        sorted.push_back(&e);
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Event* a, const Event* b)
                     { return a->tick != b->tick ? a->tick < b->tick : a->order < b->order; });
    Bytes body;
    std::uint32_t now = 0;
    for (const Event* e : sorted)
    {
        PutVariableLength(body, e->tick - now);
        now = e->tick;
        body.insert(body.end(), e->bytes.begin(), e->bytes.end());
    }
    PutVariableLength(body, endTick - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});

    Bytes chunk;
    PutText(chunk, "MTrk");
    PutBe32(chunk, static_cast<std::uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

Bytes WriteMidi(std::span<const MidiTrack> tracks, std::uint16_t ticksPerQuarter,
                std::uint32_t endTick)
{
    Bytes out;
    PutText(out, "MThd");
    PutBe32(out, 6);
    PutBe16(out, 1); // format 1: simultaneous tracks
    PutBe16(out, static_cast<std::uint32_t>(tracks.size()));
    PutBe16(out, ticksPerQuarter);
    for (const MidiTrack& track : tracks)
    {
        const Bytes chunk = track.Encode(endTick);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

} // namespace assetgen
