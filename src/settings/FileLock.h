// The lock that writers of one file take in turns, across processes.
#pragma once

#include <cstdint>
#include <string>

// An exclusive lock on a lock file of its own: the guarded file is replaced by every write, so
// it cannot carry the lock itself. The system drops the lock when its holder ends, however it
// ends, so a killed writer never blocks the next one. Two holders in one process exclude each
// other as two processes do.
class FileLock final
{
public:
    // How long a writer waits for the lock. A holder that keeps it longer has stopped (a copy
    // of the game suspended or hung in the middle of a write), and waiting for it would freeze
    // this copy too.
    static constexpr int kPatienceMilliseconds = 3000;

    // Holds nothing.
    FileLock() = default;
    // Waits until the lock is free, making the lock file (owner-only) where it is missing. Where
    // the lock file can be neither made nor opened, the system refuses the lock, or it is not
    // free within kPatienceMilliseconds, nothing is held and the caller goes on unguarded.
    explicit FileLock(const std::string& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    [[nodiscard]] bool Held() const { return handle_ != kNoHandle; }

private:
    static constexpr std::intptr_t kNoHandle = -1;
    // The open lock file: a file descriptor here, a file handle on systems that have those.
    std::intptr_t handle_ = kNoHandle;
};
