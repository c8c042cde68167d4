// Where the program finds its own files.
#pragma once

#include <string>

namespace ui
{

// The program directory with a trailing '/': the executable's folder when it holds the game's
// data files, else the installed data folder <prefix>/share/zorbel2/ next to it.
std::string ProgramDirectory();
// Overrides the program directory (tests run from another folder than the game).
void SetProgramDirectory(std::string dir);

} // namespace ui
