// The game's program folder pointed somewhere for a while.
#pragma once

#include "platform/Paths.h"
#include "support/Environment.h"

#include <filesystem>
#include <string>

namespace testsupport
{

// While it lives the game reads its files from folder, by default the build's (where it is
// known), so that screens load the worm pictures as the game does; then the folder is put back.
class ProgramFolderGuard
{
public:
    explicit ProgramFolderGuard(const std::filesystem::path& folder = BuiltProgramFolder())
        : saved_(platform::ProgramDirectory())
    {
        if (!folder.empty())
            platform::SetProgramDirectory(folder.string());
    }
    ~ProgramFolderGuard() { platform::SetProgramDirectory(saved_); }
    ProgramFolderGuard(const ProgramFolderGuard&) = delete;
    ProgramFolderGuard& operator=(const ProgramFolderGuard&) = delete;

private:
    std::string saved_;
};

} // namespace testsupport
