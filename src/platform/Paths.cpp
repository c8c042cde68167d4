// The program directory: beside the executable in a build folder, share/zorbel2 when installed.
#include "platform/Paths.h"

#include <SDL.h>

#include <filesystem>
#include <mutex>
#include <optional>

namespace platform
{
namespace
{

std::mutex gMutex;
std::optional<std::string> gProgramDir;

std::string WithSlash(std::string dir)
{
#ifdef _WIN32
    if (!dir.empty() && dir.back() == '\\')
        return dir;
#endif
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

std::filesystem::path NativePath(const std::string& utf8)
{
#ifdef _WIN32
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
#else
    return std::filesystem::path(utf8);
#endif
}

std::string ProgramDirectoryFor(const std::string& executableDir)
{
    namespace fs = std::filesystem;
    // Any other folder would be the one the game was started from, whatever it holds.
    if (!NativePath(executableDir).is_absolute())
        return {};
    const std::string base = WithSlash(executableDir);
    std::error_code ec;
    if (fs::exists(NativePath(base) / "b0.bmp", ec))
        return base;
    // Installed: <prefix>/bin/zorbel2 reads <prefix>/share/zorbel2/.
    const fs::path shared = NativePath(base).parent_path().parent_path() / "share" / "zorbel2";
    if (fs::exists(shared / "b0.bmp", ec))
        return WithSlash(shared.string());
    return base;
}

std::string ProgramDirectory()
{
    std::lock_guard lock(gMutex);
    if (!gProgramDir)
        gProgramDir = Detect();
    return *gProgramDir;
}

void SetProgramDirectory(std::string dir)
{
    std::lock_guard lock(gMutex);
    gProgramDir = WithSlash(std::move(dir));
}

} // namespace platform
