// The system's MIDI output, which the mixer plays a MIDI file through where the game has no
// synthesiser of its own (Windows).
#pragma once

namespace audio
{

// True when the system has a MIDI output device to play through.
bool HasSystemMidiOutput();

} // namespace audio
