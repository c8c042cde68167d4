// Windows: the system's own font files.
#pragma once

#ifdef _WIN32

#include <string>

namespace ui
{

// The file of that name in the system's font folder (%WINDIR%\Fonts) as a UTF-8 path; empty when
// it is not there.
std::string WindowsFontFile(const char* name);

} // namespace ui

#endif
