#include "settings/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace
{

// The change is a difference of values up to a few hundred, so it carries rounding noise near
// 1e-13 that would push an exact 0,01 just below its hundredth. Rounding at ten decimals takes
// the noise away and stays far finer than any real difference of averages.
constexpr int kChangeDecimals = 10;

// Fixed notation with the given decimals, then cut to "<integer>,<two digits>". std::to_chars
// ignores the locale, unlike printf.
std::string FixedCut(double value, int decimals)
{
    std::array<char, 512> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed, decimals);
    if (ec != std::errc())
    {
        return "0,00";
    }
    const std::string_view fixed(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    const std::size_t point = fixed.find('.');
    std::string text(fixed.substr(0, point));
    std::string fraction(point == std::string_view::npos ? "" : fixed.substr(point + 1, 2));
    fraction.resize(2, '0');
    return text + "," + fraction;
}

} // namespace

std::string PadLeft(std::string_view text, int width)
{
    const std::size_t fill = width > 0 && text.size() < static_cast<std::size_t>(width)
                                 ? static_cast<std::size_t>(width) - text.size()
                                 : 0;
    return std::string(fill, '0') + std::string(text);
}

std::string FormatAverage(double value)
{
    if (!std::isfinite(value))
    {
        return "0,00";
    }
    // The decimal exponent of the value rounded to 15 significant digits tells how many decimals
    // those digits reach; a cut of the floor of value * 100 would turn 7/5 into 1,39.
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::scientific, 14);
    std::string_view exponentText(buffer.data(),
                                  static_cast<std::size_t>(written.ptr - buffer.data()));
    exponentText.remove_prefix(exponentText.find('e') + 1);
    if (exponentText.starts_with('+'))
    {
        exponentText.remove_prefix(1);
    }
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    std::string text = FixedCut(value, std::max(0, 14 - exponent));
    // A hand-edited "-0" (or a negative less than a hundredth) must not come back as "-0,00".
    return text == "-0,00" ? "0,00" : text;
}

std::optional<double> ParseCommaNumber(std::string_view text)
{
    std::string_view rest = text;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-'))
    {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    const auto digitsEnd = [](std::string_view s)
    {
        return std::find_if(s.begin(), s.end(), [](char c) { return c < '0' || c > '9'; }) -
               s.begin();
    };
    const auto whole = static_cast<std::size_t>(digitsEnd(rest));
    std::string plain(rest.substr(0, whole));
    rest.remove_prefix(whole);
    if (!rest.empty() && rest.front() == ',')
    {
        rest.remove_prefix(1);
        const auto fraction = static_cast<std::size_t>(digitsEnd(rest));
        plain += "." + std::string(rest.substr(0, fraction));
        rest.remove_prefix(fraction);
    }
    if (!rest.empty() || plain.empty() || plain == ".")
    {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] =
        std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
    {
        return std::nullopt;
    }
    return negative ? -value : value;
}

SignedChangeText FormatSignedChange(double d)
{
    if (!std::isfinite(d))
    {
        return {"0,00", true};
    }
    std::string text = FixedCut(d, kChangeDecimals);
    if (text == "-0,00")
    {
        text = "0,00";
    }
    const bool nonNegative = text.front() != '-';
    return {std::move(text), nonNegative};
}
