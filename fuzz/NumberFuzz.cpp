// Fuzz target: the number texts of the settings file. Averages survive being written and read
// back, are cut and not rounded, and integers read from the file follow the profile rules.
#include "FuzzSupport.h"

#include "settings/IniFile.h"
#include "settings/NumberText.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace
{

bool Digits(std::string_view s, bool hex)
{
    for (char c : s)
    {
        const bool digit =
            (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        if (!digit)
        {
            return false;
        }
    }
    return true;
}

// The integer rules written a second way: "0x"/"0X" and at least one more character is a 32-bit
// hexadecimal pattern; else an optional sign, an optional "$" for hexadecimal, and digits that fit.
std::optional<int> ReferenceInteger(std::string_view s)
{
    bool negative = false;
    bool hex = false;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    {
        hex = true;
        s.remove_prefix(2);
    }
    else
    {
        if (!s.empty() && (s[0] == '+' || s[0] == '-'))
        {
            negative = s[0] == '-';
            s.remove_prefix(1);
        }
        if (!s.empty() && s[0] == '$')
        {
            hex = true;
            s.remove_prefix(1);
        }
    }
    if (s.empty() || !Digits(s, hex))
    {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, hex ? 16 : 10);
    if (ec != std::errc() || end != s.data() + s.size())
    {
        return std::nullopt;
    }
    if (value > (hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull)))
    {
        return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? 0 - value : value);
    return static_cast<std::int32_t>(bits);
}

// An optional sign, digits, and optionally a comma and more digits; a digit somewhere.
bool CommaNumberShape(std::string_view t)
{
    if (!t.empty() && (t.front() == '+' || t.front() == '-'))
    {
        t.remove_prefix(1);
    }
    const std::size_t comma = t.find(',');
    const std::string_view whole = t.substr(0, comma);
    const std::string_view fraction =
        comma == std::string_view::npos ? std::string_view() : t.substr(comma + 1);
    return whole.size() + fraction.size() > 0 && Digits(whole, false) && Digits(fraction, false);
}

// "<digits>,<two digits>"
bool AverageShape(std::string_view t)
{
    const std::size_t comma = t.find(',');
    return comma != std::string_view::npos && comma > 0 && t.size() == comma + 3 &&
           Digits(t.substr(0, comma), false) && Digits(t.substr(comma + 1), false);
}

void CheckAverage(double v)
{
    if (!std::isfinite(v) || v < 0 || v >= 1e6)
    {
        return;
    }
    const std::string text = FormatAverage(v);
    FUZZ_CHECK(AverageShape(text));
    const std::optional<double> back = ParseCommaNumber(text);
    FUZZ_CHECK(back.has_value());
    // Read back and written again, an average stays what it was.
    FUZZ_CHECK(FormatAverage(*back) == text);
    // Cut, not rounded: never above the value (but for the 15th significant digit) and less than
    // a hundredth below it.
    FUZZ_CHECK(*back <= v + 1e-8);
    FUZZ_CHECK(v - *back < 0.01 + 1e-8);
}

// eaten / games cut to hundredths, in integers: what the records table must show.
std::string ExactAverage(std::uint64_t eaten, std::uint64_t games)
{
    const std::uint64_t hundredths = eaten * 100 / games;
    const std::uint64_t fraction = hundredths % 100;
    return std::to_string(hundredths / 100) + "," + (fraction < 10 ? "0" : "") +
           std::to_string(fraction);
}

void CheckInteger(std::string_view line, int written)
{
    const std::string path = (fuzzing::ScratchFolder::Path() / "Zorbel2.ini").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "[N]\nk=" << line << "\n";
    TIniFile ini(path);
    const std::optional<int> expected = ReferenceInteger(ini.ReadString("N", "k", ""));
    const int first = ini.ReadInteger("N", "k", 17);
    const int second = ini.ReadInteger("n", "K", -17);
    if (expected)
    {
        FUZZ_CHECK(first == *expected && second == *expected);
    }
    else
    {
        FUZZ_CHECK(first == 17 && second == -17);
    }

    ini.WriteInteger("N", "k", written);
    FUZZ_CHECK(ini.ReadInteger("N", "k", 0) == written);
    FUZZ_CHECK(ini.ReadString("N", "k", "") == std::to_string(written));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Any text: a number with a decimal comma, whatever the locale, or nothing; the C library
    // reading the same digits with a point is the reference.
    const std::optional<double> parsed = ParseCommaNumber(text);
    if (CommaNumberShape(text))
    {
        std::string pointed(text);
        std::replace(pointed.begin(), pointed.end(), ',', '.');
        errno = 0;
        const double reference = std::strtod(pointed.c_str(), nullptr);
        if (errno != ERANGE && std::isfinite(reference))
        {
            FUZZ_CHECK(parsed.has_value() && *parsed == reference);
        }
    }
    else
    {
        FUZZ_CHECK(!parsed.has_value());
    }
    if (parsed)
    {
        FUZZ_CHECK(std::isfinite(*parsed));
        CheckAverage(*parsed);
    }

    std::uint64_t bits = 0;
    std::memcpy(&bits, data, std::min<std::size_t>(size, sizeof bits));
    double raw = 0;
    std::memcpy(&raw, &bits, sizeof raw);
    CheckAverage(raw);

    // Averages of real tables: up to a million targets eaten over up to a million games.
    const std::uint64_t eaten = (bits & 0xFFFFFFFFu) % 1000001;
    const std::uint64_t games = (bits >> 32) % 1000000 + 1;
    FUZZ_CHECK(FormatAverage(static_cast<double>(eaten) / static_cast<double>(games)) ==
               ExactAverage(eaten, games));

    // The integer reader, through a file: the first line of the input as a value.
    CheckInteger(text.substr(0, text.find('\n')),
                 static_cast<int>(static_cast<std::uint32_t>(bits)));
    return 0;
}
