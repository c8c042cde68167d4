// Standard MIDI files (format 1): tracks of timed events, written with delta times.
#pragma once

#include "Bytes.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace assetgen
{

class MidiTrack
{
public:
    void Name(std::string_view name);
    void Tempo(std::uint32_t tick, double beatsPerMinute);
    void TimeSignature(std::uint32_t tick, int numerator, int denominatorPowerOfTwo);
    void Program(std::uint32_t tick, int channel, int program);
    void Control(std::uint32_t tick, int channel, int controller, int value);
    void Note(std::uint32_t tick, std::uint32_t length, int channel, int key, int velocity);

    // The track's chunk: its events in time order (at equal times a note-off comes before a
    // note-on, so repeated notes restart cleanly), then the end-of-track event at endTick.
    Bytes Encode(std::uint32_t endTick) const;

private:
    struct Event
    {
        std::uint32_t tick;
        int order; // ties: meta and setup first, then note-offs, then note-ons
        Bytes bytes;
    };

    void Add(std::uint32_t tick, int order, Bytes bytes);

    std::vector<Event> events_;
};

Bytes WriteMidi(std::span<const MidiTrack> tracks, std::uint16_t ticksPerQuarter,
                std::uint32_t endTick);

} // namespace assetgen
