// Where the program finds its own files.
#pragma once

#include <filesystem>
#include <string>

namespace platform
{

// The program directory with a trailing '/': the executable's folder when it holds the game's
// data files, else the installed data folder <prefix>/share/zorbel2/ next to it. Empty when the
// system does not tell where the executable is.
std::string ProgramDirectory();
// The same choice for an executable in `executableDir`: that folder when it holds b0.bmp, else
// <executableDir>/../share/zorbel2/ when that does, else the executable's folder. The installed
// folder is found relative to the executable, so an installed tree can be moved as a whole.
// Empty when executableDir is empty or relative.
std::string ProgramDirectoryFor(const std::string& executableDir);
// A path held as UTF-8 text (as SDL gives and takes them) for the standard library's file calls:
// on Windows these would otherwise read the text in the ANSI code page.
std::filesystem::path NativePath(const std::string& utf8);
// Overrides the program directory (tests run from another folder than the game); empty stands
// for a system that does not tell.
void SetProgramDirectory(std::string dir);

} // namespace platform
