// The background tune: an original 32-bar piece written as note lists, made into a MIDI file.
#pragma once

#include "Bytes.h"

namespace assetgen
{

// General MIDI, format 1: a tempo track, then melody, pad, bass and drums (channel 10). It lasts
// exactly its 32 bars and ends on the bar line with every note released, so it loops seamlessly.
Bytes MusicFile();

} // namespace assetgen
