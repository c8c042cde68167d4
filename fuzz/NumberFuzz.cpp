// Fuzz target: the number texts of the settings file. Averages survive being written and read
// back and are cut, not rounded; comma numbers and integers read as the standard library reads
// their digits, and every notation of an integer reads back as that integer.
#include "FuzzSupport.h"

#include "settings/IniFile.h"
#include "settings/NumberText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace
{

bool Digits(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A text the profile integer reader may accept at all: signs, "$", "0x" and hexadecimal digits.
bool IntegerAlphabet(std::string_view s)
{
    return std::all_of(s.begin(), s.end(),
                       [](char c)
                       {
                           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
                                  (c >= 'A' && c <= 'F') || c == 'x' || c == 'X' || c == '$' ||
                                  c == '+' || c == '-';
                       });
}

std::string Hex(std::uint32_t bits, bool upper)
{
    std::array<char, 8> digits{};
    const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), bits, 16);
    std::string text(digits.data(), end);
    if (upper)
    {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return static_cast<char>(std::toupper(c)); });
    }
    return text;
}

// Signs, digits and at most one comma.
bool CommaAlphabet(std::string_view t)
{
    if (!t.empty() && (t.front() == '+' || t.front() == '-'))
    {
        t.remove_prefix(1);
    }
    return std::count(t.begin(), t.end(), ',') <= 1 &&
           std::all_of(t.begin(), t.end(),
                       [](char c) { return c == ',' || (c >= '0' && c <= '9'); });
}

// The digits of the input split into a whole part and a fraction: every placement of the comma
// and every sign reads as the number the digits spell, as the standard library reads it.
void CheckCommaDigits(std::string_view text)
{
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
                 [](char c) { return c >= '0' && c <= '9'; });
    digits = digits.substr(0, 40);
    if (digits.empty())
    {
        return;
    }
    const std::size_t split = text.size() % (digits.size() + 1);
    const std::string whole = digits.substr(0, split);
    const std::string fraction = digits.substr(split);
    const double expected = std::strtod((whole + "." + fraction).c_str(), nullptr);
    for (const char* sign : {"", "+", "-"})
    {
        const double value = *sign == '-' ? -expected : expected;
        FUZZ_CHECK(ParseCommaNumber(sign + whole + "," + fraction) == value);
        if (fraction.empty())
        {
            FUZZ_CHECK(ParseCommaNumber(sign + whole) == value);
        }
    }
    FUZZ_CHECK(!ParseCommaNumber(whole + ",," + fraction).has_value());
    FUZZ_CHECK(!ParseCommaNumber(whole + "." + fraction).has_value());
}

// "<digits>,<two digits>"
bool AverageShape(std::string_view t)
{
    const std::size_t comma = t.find(',');
    return comma != std::string_view::npos && comma > 0 && t.size() == comma + 3 &&
           Digits(t.substr(0, comma)) && Digits(t.substr(comma + 1));
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

TIniFile FileHolding(const std::string& value)
{
    const std::string path = (fuzzing::ScratchFolder::Path() / "Zorbel2.ini").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "[N]\nk=" << value << "\n";
    return TIniFile(path);
}

// Any line as an integer value: a number whatever the default, or the default; a number only
// from the reader's own characters; decimal digits with an optional sign exactly as the standard
// library reads them into 32 bits.
void CheckIntegerText(std::string_view line)
{
    const TIniFile ini = FileHolding(std::string(line));
    const std::string value = ini.ReadString("N", "k", "");
    const int low = ini.ReadInteger("N", "k", -17);
    const int high = ini.ReadInteger("n", "K", 17);
    const bool accepted = low == high;
    FUZZ_CHECK(accepted || (low == -17 && high == 17));
    if (accepted)
    {
        FUZZ_CHECK(!value.empty() && IntegerAlphabet(value));
    }
    std::string_view digits = value;
    bool negative = false;
    if (digits.starts_with('+') || digits.starts_with('-'))
    {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (!digits.empty() && Digits(digits))
    {
        const std::string decimal = (negative ? "-" : "") + std::string(digits);
        std::int32_t expected = 0;
        const auto [end, ec] =
            std::from_chars(decimal.data(), decimal.data() + decimal.size(), expected);
        const bool fits = ec == std::errc() && end == decimal.data() + decimal.size();
        FUZZ_CHECK(fits ? accepted && low == expected : !accepted);
    }
}

// Every notation the settings file may hold for a number, in one file, reads back as that number,
// and so does what WriteInteger writes.
void CheckIntegerNotations(int n)
{
    const auto bits = static_cast<std::uint32_t>(n);
    const std::string decimal = std::to_string(n);
    const std::string padded = n < 0 ? "-000" + decimal.substr(1) : "+000" + decimal;
    // A sign before "$" negates the pattern it spells.
    const std::string negated = "-$" + Hex(0u - bits, false);
    const std::array<std::string, 7> notations = {decimal,
                                                  padded,
                                                  "$" + Hex(bits, false),
                                                  "$" + Hex(bits, true),
                                                  "0x" + Hex(bits, false),
                                                  "0X00" + Hex(bits, true),
                                                  negated};
    std::string file = "[N]\n";
    for (std::size_t i = 0; i < notations.size(); ++i)
    {
        file += "k" + std::to_string(i) + "=" + notations[i] + "\n";
    }
    const std::string path = (fuzzing::ScratchFolder::Path() / "Zorbel2.ini").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
    TIniFile ini(path);
    for (std::size_t i = 0; i < notations.size(); ++i)
    {
        FUZZ_CHECK(ini.ReadInteger("N", "k" + std::to_string(i), n ^ 1) == n);
    }

    ini.WriteInteger("N", "k", n);
    FUZZ_CHECK(ini.ReadInteger("N", "k", n ^ 1) == n);
    FUZZ_CHECK(ini.ReadString("N", "k", "") == decimal);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Any text: a number with a decimal comma, whatever the locale, or nothing. Accepted, it is
    // made of a sign, digits and one comma, and it is what the standard library reads from the
    // same digits with a decimal point.
    const std::optional<double> parsed = ParseCommaNumber(text);
    if (parsed)
    {
        FUZZ_CHECK(std::isfinite(*parsed));
        FUZZ_CHECK(CommaAlphabet(text));
        std::string pointed(text);
        std::replace(pointed.begin(), pointed.end(), ',', '.');
        FUZZ_CHECK(std::strtod(pointed.c_str(), nullptr) == *parsed);
        CheckAverage(*parsed);
    }
    // The input's digits, however they are placed around a comma and a sign, always read as the
    // number they spell.
    CheckCommaDigits(text);

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

    // The integer reader, through a file: the first line of the input as a value (a value stops
    // at a line break or a NUL), and the input's bits in every notation.
    CheckIntegerText(text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3))));
    CheckIntegerNotations(static_cast<int>(static_cast<std::uint32_t>(bits)));
    return 0;
}
