#include "ui/WindowsFonts.h"

#include <windows.h>

namespace ui
{

std::string WindowsFontFile(const char* name)
{
    std::wstring dir(MAX_PATH, L'\0');
    const UINT length = ::GetWindowsDirectoryW(dir.data(), static_cast<UINT>(dir.size()));
    if (length == 0 || length >= dir.size())
        return {};
    dir.resize(length);
    std::wstring path = dir + L"\\Fonts\\";
    for (const char* c = name; *c != '\0'; ++c)
        path += static_cast<wchar_t>(static_cast<unsigned char>(*c)); // ASCII file names
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), utf8.data(),
                          size, nullptr, nullptr);
    return utf8;
}

} // namespace ui
