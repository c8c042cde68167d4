// Fuzz target: any bytes as the settings file. Reads never crash and give values as a 1024-byte
// buffer would; a write reads back as written and changes no other value.
#include "FuzzSupport.h"

#include "settings/IniFile.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace
{

struct Name
{
    std::string section;
    std::string key;
};

// The names the game uses, in the letter cases it uses, and one it never does.
const std::vector<Name> kGameNames = {
    {"Main", "Skill"},     {"MAin", "Usr_Num"},        {"Custom", "worms"},
    {"Keys", "DownKey2"},  {"User_Names", "name1"},    {"HiNames", "name31"},
    {"HInames", "name37"}, {"HiAverage", "average31"}, {"Fuzz Section", "fuzz_key"},
};

constexpr std::size_t kMaxValue = 1023;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front()))
    {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back()))
    {
        s.remove_suffix(1);
    }
    return s;
}

// A name as the game would choose one: letters, digits, '_' and inner spaces.
bool PlainName(std::string_view s)
{
    return !s.empty() && s.size() <= 64 && s.front() != ' ' && s.back() != ' ' &&
           std::all_of(s.begin(), s.end(),
                       [](char c)
                       {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9') || c == '_' || c == ' ';
                       });
}

bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c)
    {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool SameAs(const Name& a, const Name& b)
{
    return SameName(a.section, b.section) && SameName(a.key, b.key);
}

// The plain section and key names of the file, found the way a person reads an INI file.
std::vector<Name> NamesIn(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
    {
        text.remove_prefix(3);
    }
    std::vector<Name> names;
    std::string section;
    while (!text.empty() && names.size() < 16)
    {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t close = line.rfind(']');
        if (line.starts_with('[') && close != std::string_view::npos)
        {
            section = Trim(line.substr(1, close - 1));
        }
        else if (!line.starts_with(';') && line.find('=') != std::string_view::npos)
        {
            const std::string_view key = Trim(line.substr(0, line.find('=')));
            if (PlainName(section) && PlainName(key))
            {
                names.push_back({section, std::string(key)});
            }
        }
    }
    return names;
}

// What a read gives back after WriteString(value): the value itself up to its first line break
// or NUL, blanks and quotes at its ends included, at most 1023 characters.
std::string ReadBack(std::string_view value)
{
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    return std::string(value.substr(0, kMaxValue));
}

std::vector<std::string> ReadAll(TIniFile& ini, const std::vector<Name>& names)
{
    // A batch that is never committed serves as one snapshot of the file for every read.
    TIniFile::Batch snapshot(ini);
    std::vector<std::string> values;
    for (const Name& name : names)
    {
        std::string value = ini.ReadString(name.section, name.key, "\x01missing");
        // The integer reader over the same lookup (its number rules are NumberFuzz's part): a
        // number whatever the default, or the default, and always the default for a missing key.
        const int low = ini.ReadInteger(name.section, name.key, -11);
        const int high = ini.ReadInteger(name.section, name.key, 11);
        FUZZ_CHECK(low == high || (low == -11 && high == 11));
        FUZZ_CHECK(value != "\x01missing" || (low == -11 && high == 11));
        FUZZ_CHECK(value.size() <= kMaxValue || value == "\x01missing");
        FUZZ_CHECK(value.find('\0') == std::string::npos);
        FUZZ_CHECK(value.find('\n') == std::string::npos);
        values.push_back(std::move(value));
    }
    return values;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = (fuzzing::ScratchFolder::Path() / "Zorbel2.ini").string();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<long>(size));

    std::vector<Name> names = kGameNames;
    for (Name& name : NamesIn(text))
    {
        names.push_back(std::move(name));
    }
    TIniFile ini(path);
    const std::vector<std::string> before = ReadAll(ini, names);

    // The value is a slice of the input, so it holds whatever the file holds: quotes, blanks,
    // line breaks, NULs, more than 1023 characters.
    const std::size_t target = (size + (size > 0 ? data[0] : 0)) % names.size();
    const std::size_t from = size > 0 ? (data[size - 1] * 131u) % size : 0;
    const std::string_view value = text.substr(from, 1100);
    try
    {
        ini.WriteString(names[target].section, names[target].key, value);
    }
    catch (const EIniFileException&)
    {
        FUZZ_CHECK(!"a write to a private scratch folder failed");
    }

    const std::vector<std::string> after = ReadAll(ini, names);
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        const bool same = SameAs(names[i], names[target]);
        FUZZ_CHECK(after[i] == (same ? ReadBack(value) : before[i]));
    }

    // Writing what is there leaves the file as it is (one input in eight, to keep runs quick).
    if (size > 1 && data[1] % 8 == 0)
    {
        const std::string written = FileText(path);
        ini.WriteString(names[target].section, names[target].key, value);
        FUZZ_CHECK(FileText(path) == written);
    }
    return 0;
}
