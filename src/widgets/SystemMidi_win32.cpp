#include "widgets/SystemMidi.h"

#include <windows.h>

#include <mmsystem.h>

namespace widgets
{

bool HasSystemMidiOutput()
{
    return ::midiOutGetNumDevs() > 0;
}

} // namespace widgets
