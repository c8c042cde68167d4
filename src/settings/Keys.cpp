// Reads and writes of the declared settings keys.
#include "settings/Keys.h"

#include "settings/IniFile.h"

#include <algorithm>
#include <charconv>

namespace settings
{

std::string KeyFamily::Name(int number) const
{
    return std::string(stem) + std::to_string(number);
}

std::string KeyFamily::Name(int level, int slot) const
{
    return std::string(stem) + std::to_string(level) + std::to_string(slot);
}

int Read(const TIniFile& ini, const Key& key)
{
    const int value = ini.ReadInteger(key.section, key.name, key.defaultValue);
    switch (key.range)
    {
    case Range::Any:
        break;
    case Range::Clamp:
        return std::clamp(value, key.lo, key.hi);
    case Range::OrDefault:
        return value < key.lo || value > key.hi ? key.defaultValue : value;
    }
    return value;
}

void Write(TIniFile& ini, const Key& key, int value)
{
    ini.WriteInteger(key.section, key.name, value);
}

std::string ReadStored(const TIniFile& ini, const Key& key)
{
    return ini.ReadString(key.section, key.name, "");
}

void WriteText(TIniFile& ini, const Key& key, std::string_view value)
{
    ini.WriteString(key.section, key.name, value);
}

std::string Read(const TIniFile& ini, const KeyFamily& family, const std::string& name)
{
    return ini.ReadString(family.section, name, family.defaultText);
}

std::map<int, std::string> ReadNumbered(const TIniFile& ini, const KeyFamily& family)
{
    std::map<int, std::string> entries;
    for (auto& [name, value] : ini.ReadSectionValues(family.section))
    {
        const std::string_view stem = std::string_view(name).substr(0, family.stem.size());
        const std::string_view digits = std::string_view(name).substr(stem.size());
        const auto lower = [](char c)
        {
            return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
        };
        const bool sameStem =
            std::equal(stem.begin(), stem.end(), family.stem.begin(), family.stem.end(),
                       [&](char a, char b) { return lower(a) == lower(b); });
        int number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (sameStem && !digits.empty() && digits.front() >= '1' && digits.front() <= '9' &&
            error == std::errc() && end == digits.data() + digits.size())
        {
            entries.emplace(number, std::move(value));
        }
    }
    return entries;
}

int ReadNumber(const TIniFile& ini, const KeyFamily& family, const std::string& name)
{
    return ini.ReadInteger(family.section, name, 0);
}

void Write(TIniFile& ini, const KeyFamily& family, const std::string& name, std::string_view value)
{
    ini.WriteString(family.section, name, value);
}

void Write(TIniFile& ini, const KeyFamily& family, const std::string& name, int value)
{
    ini.WriteInteger(family.section, name, value);
}

} // namespace settings
