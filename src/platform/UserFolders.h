// The per-user folders of the XDG base directories, looked up in one place for the settings file,
// the replays and the rendered tune.
#pragma once

#include <string>
#include <string_view>

namespace platform
{

#ifndef _WIN32
// The folder of a kind of per-user files: xdg when it is an absolute path, else underHome in the
// first of home and databaseHome (the password database's) that is absolute; empty when none
// is. A relative or missing value never stands for the current folder.
std::string ChooseUserFolder(const char* xdg, const char* home, const char* databaseHome,
                             std::string_view underHome);
// ChooseUserFolder with the environment variable xdgVariable (XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_CACHE_HOME), HOME and this user's entry in the password database.
std::string UserFolder(const char* xdgVariable, std::string_view underHome);
#endif

} // namespace platform
