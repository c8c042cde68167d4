// The mixer and the synthesiser are opened when sound is first asked for, not by the dynamic
// loader at start-up: with the decoders they bring they are some fifty libraries that the first
// frame does not need.
#pragma once

// Opens both libraries now; any thread. Sound works without it (the first call opens them), but
// called beside the display's start-up it keeps their loading off the way to the first frame.
void PreloadAudioLibraries();
