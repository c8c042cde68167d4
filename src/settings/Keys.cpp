// Reads and writes of the declared settings keys.
#include "settings/Keys.h"

#include "settings/IniFile.h"

#include <algorithm>

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
