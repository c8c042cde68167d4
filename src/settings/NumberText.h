// Number texts of the game and statistics screens: zero-padded counts and decimal-comma averages.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// text filled on the left with '0' to at least width characters; a longer text is kept whole.
std::string PadLeft(std::string_view text, int width);

// "<integer part>,<two digits>", cut and not rounded, after the value is taken to 15 significant
// digits: 7/5 gives "1,40", and a two-decimal text read back is written back unchanged.
// A value that is not finite gives "0,00", and no value gives "-0,00".
std::string FormatAverage(double value);

// A number with a decimal comma ("3,50", "0", "-0,75"), independent of the process locale;
// nullopt for anything else (empty text, a point, spaces, exponents, junk).
std::optional<double> ParseCommaNumber(std::string_view text);

// The average change as shown after its sign: text is "0,50" or "-0,75", fixed notation cut
// toward zero to two decimals, "-0,00" already turned into "0,00". nonNegative tells whether the
// caller prefixes "+" (lime) or shows text as it is (red).
struct SignedChangeText
{
    std::string text;
    bool nonNegative = true;
};
SignedChangeText FormatSignedChange(double d);
