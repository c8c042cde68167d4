// The per-user folders: the environment first, the password database where HOME is of no use.
#include "platform/UserFolders.h"

#ifndef _WIN32
#include <cstdlib>
#include <filesystem>

#include <pwd.h>
#include <unistd.h>

namespace platform
{

std::string ChooseUserFolder(const char* xdg, const char* home, const char* databaseHome,
                             std::string_view underHome)
{
    const auto absolute = [](const char* path)
    {
        return path != nullptr && path[0] == '/';
    };
    if (absolute(xdg))
    {
        return xdg;
    }
    for (const char* base : {home, databaseHome})
    {
        if (absolute(base))
        {
            return (std::filesystem::path(base) / underHome).string();
        }
    }
    return {};
}

std::string UserFolder(const char* xdgVariable, std::string_view underHome)
{
    const passwd* pw = ::getpwuid(::getuid());
    return ChooseUserFolder(std::getenv(xdgVariable), std::getenv("HOME"),
                            pw != nullptr ? pw->pw_dir : nullptr, underHome);
}

} // namespace platform
#endif
