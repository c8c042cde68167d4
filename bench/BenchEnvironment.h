// The settings folder and program directory every benchmark that builds screens runs with.
#pragma once

#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

namespace bench
{

// A private settings folder, removed at the end, and the build's program directory (or
// $ZORBEL_PROGRAM_DIR) for the whole run, so a benchmark never touches the user's own files.
struct Environment
{
    Environment()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zorbel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
        {
            root = pattern;
            ::setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        }
        const char* dir = std::getenv("ZORBEL_PROGRAM_DIR");
        platform::SetProgramDirectory(dir != nullptr ? dir : ZORBEL_PROGRAM_DIR);
    }
    ~Environment()
    {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    std::filesystem::path root;
};

} // namespace bench
