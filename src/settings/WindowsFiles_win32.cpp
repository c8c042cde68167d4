#include "settings/WindowsFiles.h"

#include "settings/IniFile.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <vector>

namespace winfiles
{
namespace
{

// Closes the handle it holds.
class Handle
{
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle()
    {
        if (Valid())
            ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    [[nodiscard]] bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    [[nodiscard]] HANDLE Get() const { return h_; }
    // Closes now; false when closing reports an error (a write that failed late).
    bool Close()
    {
        const bool ok = !Valid() || ::CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

bool IsAbsolute(const std::wstring& path)
{
    return (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           path.starts_with(L"\\\\");
}

std::string Folder(const wchar_t* variable, REFKNOWNFOLDERID id)
{
    if (const wchar_t* value = ::_wgetenv(variable); value != nullptr && IsAbsolute(value))
    {
        std::wstring folder(value);
        while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/'))
            folder.pop_back();
        return Utf8(folder);
    }
    PWSTR known = nullptr;
    std::string result;
    if (::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &known) == S_OK)
        result = Utf8(known);
    ::CoTaskMemFree(known);
    return result;
}

std::wstring ParentOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The path as the system takes it: UTF-16, with backslashes.
std::wstring SystemPath(const std::string& path)
{
    std::wstring wide = Wide(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates dir and its missing parents (a drive root or share is taken as there).
bool MakeDirectories(const std::wstring& dir)
{
    if (dir.empty() || IsFolder(dir))
        return true;
    const std::wstring parent = ParentOf(dir);
    if (!parent.empty() && parent != dir && !(parent.size() == 2 && parent[1] == L':') &&
        !MakeDirectories(parent))
        return false;
    return ::CreateDirectoryW(dir.c_str(), nullptr) != 0 || IsFolder(dir);
}

bool WriteAll(HANDLE file, std::string_view data)
{
    while (!data.empty())
    {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1U << 30));
        DWORD written = 0;
        if (::WriteFile(file, data.data(), chunk, &written, nullptr) == 0 || written == 0)
            return false;
        data.remove_prefix(written);
    }
    return true;
}

// The temporary name pattern: ".<name>." and six letters.
std::wstring TemporaryPrefix(const std::wstring& path)
{
    return ParentOf(path) + L"\\." + NameOf(path) + L".";
}

void RemoveStaleTemporaries(const std::wstring& path)
{
    const std::wstring prefix = TemporaryPrefix(path);
    const std::wstring namePrefix = NameOf(prefix);
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((prefix + L"??????").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::wstring> stale;
    do
    {
        const std::wstring name(found.cFileName);
        if (name.size() == namePrefix.size() + 6 && name.starts_with(namePrefix))
            stale.push_back(ParentOf(path) + L"\\" + name);
    } while (::FindNextFileW(search, &found) != 0);
    ::FindClose(search);
    for (const std::wstring& file : stale)
        ::DeleteFileW(file.c_str());
}

// A new file of a name no other file has, open for writing.
HANDLE CreateTemporary(const std::wstring& path, std::wstring& name)
{
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    LARGE_INTEGER seed{};
    ::QueryPerformanceCounter(&seed);
    unsigned long long state = static_cast<unsigned long long>(seed.QuadPart) ^
                               (::GetCurrentProcessId() * 0x9E3779B97F4A7C15ULL);
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        name = TemporaryPrefix(path);
        for (int i = 0; i < 6; ++i)
        {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            name += kLetters[(state >> 33) % 36];
        }
        const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Writes the text to a temporary file beside the target and moves it there; `replace` says
// whether a file already at the target gives way to it.
Created PlaceWholeFile(const std::string& path, std::string_view text, bool writersLockHeld,
                       bool replace)
{
    const std::wstring target = SystemPath(path);
    if (!MakeDirectories(ParentOf(target)))
        return Created::Failed;
    // While the writers' lock is held, the temporary files found are leftovers of killed writes.
    if (writersLockHeld)
        RemoveStaleTemporaries(target);

    std::wstring temporary;
    Handle file(CreateTemporary(target, temporary));
    if (!file.Valid())
        return Created::Failed;
    const bool written = WriteAll(file.Get(), text) && ::FlushFileBuffers(file.Get()) != 0;
    const bool closed = file.Close();
    // The move is a rename within the folder; write-through returns only once it is on the disk.
    // Windows refuses to move over a file that another process has open at that moment (a
    // reader, a virus scanner): readers hold it only while they read, so the move is tried again
    // for up to two seconds. Without MOVEFILE_REPLACE_EXISTING the move itself is the test for a
    // free name, so no other writer can take the name between a look and the move.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    Created result = Created::Failed;
    const ULONGLONG giveUp = ::GetTickCount64() + 2000;
    while (written && closed)
    {
        if (::MoveFileExW(temporary.c_str(), target.c_str(), flags) != 0)
            return Created::Yes;
        const DWORD error = ::GetLastError();
        if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
        {
            result = Created::Exists;
            break;
        }
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
             error != ERROR_LOCK_VIOLATION) ||
            ::GetTickCount64() > giveUp)
            break;
        ::Sleep(1);
    }
    ::DeleteFileW(temporary.c_str());
    return result;
}

} // namespace

std::wstring Wide(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    return wide;
}

std::string Utf8(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          length, nullptr, nullptr);
    return utf8;
}

std::string RoamingDataFolder()
{
    return Folder(L"APPDATA", FOLDERID_RoamingAppData);
}

std::string LocalDataFolder()
{
    return Folder(L"LOCALAPPDATA", FOLDERID_LocalAppData);
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes)
{
    // Shared for deletion too, so that a writer can move its new file over this one meanwhile.
    const Handle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
    {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::string();
        return std::nullopt;
    }
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK)
        return std::nullopt;
    std::string content;
    std::array<char, 65536> buffer{};
    for (;;)
    {
        DWORD got = 0;
        if (::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                       nullptr) == 0)
            return std::nullopt;
        if (got == 0)
            return content;
        content.append(buffer.data(), got);
        if (content.size() > maxBytes)
            return std::nullopt;
    }
}

bool MakeParentFolders(const std::string& path)
{
    return MakeDirectories(ParentOf(SystemPath(path)));
}

bool ReplaceWholeFile(const std::string& path, std::string_view text, bool writersLockHeld)
{
    return PlaceWholeFile(path, text, writersLockHeld, true) == Created::Yes;
}

Created CreateWholeFile(const std::string& path, std::string_view text)
{
    return PlaceWholeFile(path, text, false, false);
}

} // namespace winfiles

std::string ConfigFilePath()
{
    const std::string base = winfiles::RoamingDataFolder();
    return base.empty() ? base : base + "\\zorbel2\\Zorbel2.ini";
}
