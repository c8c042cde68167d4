// What the music needs to know of a Standard MIDI File before it plays.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace audio
{

// The longest tune the game plays. A file that lasts longer is taken as unreadable, so that no
// memory is ever asked for a tune that would play for years (a damaged or replaced file).
inline constexpr std::uint64_t kMaxTuneMicroseconds = 3600ULL * 1000000;
// The highest output rate that a tune's frames are counted at.
inline constexpr int kMaxTuneFrequency = 384000;

// The time from the start of a Standard MIDI File to its last end-of-track, by its own tempo map;
// 0 when the file cannot be read or lasts longer than kMaxTuneMicroseconds.
std::uint64_t MidiLengthMicroseconds(std::span<const std::uint8_t> file);
// The frames that `lengthMicroseconds` of a tune last at `frequency`; 0 when the length is over
// kMaxTuneMicroseconds or the frequency outside 1..kMaxTuneFrequency.
std::uint64_t TuneFrames(std::uint64_t lengthMicroseconds, int frequency);
// The file's bytes; empty when it cannot be read.
std::vector<std::uint8_t> ReadFile(const std::string& name);

} // namespace audio
