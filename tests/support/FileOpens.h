// How often a file is opened, from the kernel's notices for its folder: a test can tell how many
// times the game read its settings file without timing anything.
#pragma once

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <sys/inotify.h>
#include <unistd.h>

namespace testsupport
{

class FileOpens
{
public:
    // The folder must exist; the file need not.
    explicit FileOpens(const std::filesystem::path& file)
        : name_(file.filename().string()), fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (fd_ < 0 || ::inotify_add_watch(fd_, file.parent_path().c_str(), IN_OPEN) < 0)
            throw std::runtime_error("cannot watch " + file.parent_path().string());
    }
    ~FileOpens() { ::close(fd_); }
    FileOpens(const FileOpens&) = delete;
    FileOpens& operator=(const FileOpens&) = delete;

    // The openings since the watch began or since the last call. Notices are queued as the
    // opening happens, so everything done before the call is counted.
    int Take()
    {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (;;)
        {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;)
            {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_Q_OVERFLOW)
                    throw std::runtime_error("too many notices to count");
                if (event->len > 0 && name_ == event->name)
                    ++count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return count;
    }

private:
    std::string name_;
    int fd_;
};

} // namespace testsupport
