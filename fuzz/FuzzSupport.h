// What the fuzz targets share: a private folder on a memory file system and a check that stops
// the run with the failing input saved.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fuzzing
{

// A folder of this process, removed when it exits. /dev/shm when it can be used, so the settings
// file's fsyncs cost nothing and millions of runs stay quick.
class ScratchFolder
{
public:
    static const std::filesystem::path& Path()
    {
        static const ScratchFolder folder;
        return folder.path_;
    }

private:
    ScratchFolder()
    {
        std::string base = "/dev/shm";
        if (::access(base.c_str(), W_OK) != 0)
        {
            base = std::filesystem::temp_directory_path().string();
        }
        std::string templ = base + "/zorbel-fuzz-XXXXXX";
        if (::mkdtemp(templ.data()) == nullptr)
        {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = templ;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::filesystem::path path_;
};

} // namespace fuzzing

// A broken property: print it and abort, so that libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do                                                                                             \
    {                                                                                              \
        if (!(condition))                                                                          \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
