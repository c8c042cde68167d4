// Standard error under the program's name.
#include "platform/Diagnostics.h"

#include <SDL.h>

#include <cstdio>
#include <string>

namespace platform
{

void ReportOnStderr(std::string_view text)
{
    std::string out;
    while (!text.empty())
    {
        const std::size_t end = text.find('\n');
        out.append(kProgramName).append(": ").append(text.substr(0, end)).push_back('\n');
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

void RouteSdlLog()
{
    SDL_LogSetOutputFunction(
        [](void*, int, SDL_LogPriority, const char* message) { ReportOnStderr(message); }, nullptr);
}

} // namespace platform
