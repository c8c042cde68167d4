// The writers' lock on POSIX systems: flock(2) on the lock file.
#include "settings/FileLock.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::FileLock(const std::string& lockPath)
{
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // flock needs no write access: a lock file left read-only still serves.
    if (fd < 0 && errno != ENOENT)
    {
        fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0)
    {
        return;
    }
    // flock rather than fcntl's record locks: those belong to the process, so two writers in one
    // process would not exclude each other, and closing any descriptor of the file drops them.
    // Asked again and again rather than waited for, so that the wait has an end.
    const auto giveUp =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMilliseconds);
    int locked = -1;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 &&
           (errno == EINTR || errno == EWOULDBLOCK) && std::chrono::steady_clock::now() < giveUp)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (locked != 0)
    {
        ::close(fd);
        return;
    }
    handle_ = fd;
}

FileLock::~FileLock()
{
    // Closing the last descriptor of the open file releases its lock.
    if (Held())
    {
        ::close(static_cast<int>(handle_));
    }
}
