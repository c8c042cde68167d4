// What the music needs to know of a Standard MIDI File before it plays.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace audio
{

// The time from the start of a Standard MIDI File to its last end-of-track, by its own tempo map;
// 0 when the file cannot be read.
std::uint64_t MidiLengthMicroseconds(std::span<const std::uint8_t> file);
// The file's bytes; empty when it cannot be read.
std::vector<std::uint8_t> ReadFile(const std::string& name);

} // namespace audio
