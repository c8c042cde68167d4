#include "audio/SystemMidi.h"

#include <windows.h>

#include <mmsystem.h>

namespace audio
{

bool HasSystemMidiOutput()
{
    return ::midiOutGetNumDevs() > 0;
}

} // namespace audio
