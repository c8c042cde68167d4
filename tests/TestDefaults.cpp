// Linked into every test executable: the tests run with no display and no sound card, so SDL
// gets its dummy drivers unless whoever runs the tests chose others; and music rendered by a
// test goes to a cache folder of the tests' own, never the user's.
#include <cstdlib>
#include <filesystem>
#include <string>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace
{

#ifdef _WIN32
// Sets the variable unless it is set and `overwrite` is 0, as POSIX setenv does.
void setenv(const char* name, const char* value, int overwrite)
{
    if (overwrite != 0 || std::getenv(name) == nullptr)
        ::_putenv_s(name, value);
}
int getpid()
{
    return ::_getpid();
}
#endif

const bool kDriversChosen = []
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

// One folder per test process, removed when it ends.
struct CacheFolder
{
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zorbel2-test-cache-" + std::to_string(getpid()));
    CacheFolder() { setenv("XDG_CACHE_HOME", path.string().c_str(), 1); }
    ~CacheFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
} kCacheFolder;

} // namespace
