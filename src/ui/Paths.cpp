// The program directory: beside the executable in a build folder, share/zorbel2 when installed.
#include "ui/Paths.h"

#include <SDL.h>

#include <filesystem>
#include <mutex>

namespace ui
{
namespace
{

std::mutex gMutex;
std::string gOverride;

std::string WithSlash(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

std::string Detect()
{
    std::string base;
    if (char* p = SDL_GetBasePath())
    {
        base = p;
        SDL_free(p);
    }
    return ProgramDirectoryFor(base);
}

} // namespace

std::string ProgramDirectoryFor(const std::string& executableDir)
{
    const std::string base = WithSlash(executableDir);
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(fs::path(base) / "b0.bmp", ec))
        return base;
    // Installed: <prefix>/bin/zorbel2 reads <prefix>/share/zorbel2/.
    const fs::path shared = fs::path(base).parent_path().parent_path() / "share" / "zorbel2";
    if (fs::exists(shared / "b0.bmp", ec))
        return WithSlash(shared.string());
    return base;
}

std::string ProgramDirectory()
{
    std::lock_guard lock(gMutex);
    if (gOverride.empty())
        gOverride = Detect();
    return gOverride;
}

void SetProgramDirectory(std::string dir)
{
    std::lock_guard lock(gMutex);
    gOverride = WithSlash(std::move(dir));
}

} // namespace ui
