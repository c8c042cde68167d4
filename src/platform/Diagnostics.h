// What the program has to say on standard error: every line under one program name, so that a
// user tells the game's lines from those of the libraries it loads.
#pragma once

#include <string_view>

namespace platform
{

inline constexpr std::string_view kProgramName = "zorbel2";

// Writes text to standard error, each of its lines after "zorbel2: ", in one write, so that
// lines from two threads never interleave.
void ReportOnStderr(std::string_view text);

// SDL's own log lines take the same way.
void RouteSdlLog();

} // namespace platform
