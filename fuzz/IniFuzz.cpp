// Fuzz target: any bytes as the settings file. Reads never crash and give values as a 1024-byte
// buffer would; a write reads back as written and changes no other value.
#include "FuzzSupport.h"

#include "settings/IniFile.h"

#include <algorithm>
#include <cctype>
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

// The reader's blank rule and trim, which the names below come through as well: so that a fault in
// them cannot hide on both sides of a comparison, they are held to C's isspace in the "C" locale
// and to what a trim is.
void CheckTrim(std::string_view s)
{
    for (const char c : s)
    {
        FUZZ_CHECK(settings::IsSpace(c) == (std::isspace(static_cast<unsigned char>(c)) != 0));
    }
    const std::string_view t = settings::Trim(s);
    const auto blank = [](std::string_view part)
    {
        return std::all_of(part.begin(), part.end(), settings::IsSpace);
    };
    FUZZ_CHECK(t.data() >= s.data() && t.data() + t.size() <= s.data() + s.size());
    FUZZ_CHECK(t.empty() || (!settings::IsSpace(t.front()) && !settings::IsSpace(t.back())));
    const std::size_t head = static_cast<std::size_t>(t.data() - s.data());
    FUZZ_CHECK(blank(s.substr(0, head)) && blank(s.substr(head + t.size())));
    FUZZ_CHECK(!t.empty() || blank(s));
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

// Names made of the input's own words (runs of name characters), each word paired with the
// next as section and key: where the input is a settings file, its section and first key names
// are among them, with no reading of the file's structure here.
std::vector<Name> NamesIn(std::string_view text)
{
    const auto nameChar = [](char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == ' ';
    };
    std::vector<std::string> words;
    for (std::size_t i = 0; i < text.size() && words.size() < 17;)
    {
        std::size_t end = i;
        while (end < text.size() && nameChar(text[end]))
        {
            ++end;
        }
        const std::string_view word = settings::Trim(text.substr(i, end - i));
        if (PlainName(word))
        {
            words.emplace_back(word);
        }
        i = end + 1;
    }
    std::vector<Name> names;
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
    {
        names.push_back({words[i], words[i + 1]});
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
    CheckTrim(value);
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
