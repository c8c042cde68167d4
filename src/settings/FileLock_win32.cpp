// The writers' lock on Windows: LockFileEx on the lock file.
#include "settings/FileLock.h"

#include "settings/WindowsFiles.h"

#include <windows.h>

namespace
{

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

FileLock::FileLock(const std::string& lockPath)
{
    // Shared for reading, writing and deletion, so that the lock file never stands in the way of
    // another writer opening it to wait its turn. LockFileEx needs read or write access: a lock
    // file left read-only is opened for reading.
    const std::wstring path = winfiles::Wide(lockPath);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
    {
        file = ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE)
    {
        return;
    }
    // Byte-range locks belong to the open file, so two holders in one process, each with a file
    // of its own, exclude each other; the system releases them when the holder ends.
    // Asked again and again rather than waited for, so that the wait has an end.
    const ULONGLONG giveUp = ::GetTickCount64() + kPatienceMilliseconds;
    for (;;)
    {
        OVERLAPPED whole{};
        if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                         MAXDWORD, &whole) != 0)
        {
            break;
        }
        if (::GetLastError() != ERROR_LOCK_VIOLATION || ::GetTickCount64() >= giveUp)
        {
            ::CloseHandle(file);
            return;
        }
        ::Sleep(5);
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

FileLock::~FileLock()
{
    if (Held())
    {
        OVERLAPPED whole{};
        ::UnlockFileEx(AsHandle(handle_), 0, MAXDWORD, MAXDWORD, &whole);
        ::CloseHandle(AsHandle(handle_));
    }
}
