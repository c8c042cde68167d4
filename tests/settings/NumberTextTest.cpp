// Number texts: padding, averages cut to two decimals, the decimal comma on any locale.
#include "settings/NumberText.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace
{

// The exact cut of numerator / denominator to hundredths, toward zero, in integers.
std::string ExactCut(long long numerator, long long denominator)
{
    const long long hundredths = numerator * 100 / denominator;
    const long long magnitude = hundredths < 0 ? -hundredths : hundredths;
    char text[64];
    std::snprintf(text, sizeof text, "%s%lld,%02lld", hundredths < 0 ? "-" : "", magnitude / 100,
                  magnitude % 100);
    return text;
}

TEST(PadLeft, FillsWithZerosToTheWidthAndKeepsLongerTextsWhole)
{
    EXPECT_EQ(PadLeft("0", 3), "000");
    EXPECT_EQ(PadLeft("7", 3), "007");
    EXPECT_EQ(PadLeft("120", 3), "120");
    EXPECT_EQ(PadLeft("1234", 3), "1234");
    EXPECT_EQ(PadLeft("", 5), "00000");
    EXPECT_EQ(PadLeft("2,5", 2), "2,5");
    EXPECT_EQ(PadLeft("0", 2), "00");
    EXPECT_EQ(PadLeft("42", 0), "42");
    EXPECT_EQ(PadLeft("42", -4), "42");
}

TEST(FormatAverage, CutsToTwoDecimalsWithAComma)
{
    EXPECT_EQ(FormatAverage(10.0 / 3.0), "3,33");
    EXPECT_EQ(FormatAverage(2.0 / 3.0), "0,66");
    EXPECT_EQ(FormatAverage(5.0 / 2.0), "2,50");
    EXPECT_EQ(FormatAverage(8.0 / 4.0), "2,00");
    EXPECT_EQ(FormatAverage(7.0 / 5.0), "1,40");
    EXPECT_EQ(FormatAverage(7.0 / 3.0), "2,33");
    EXPECT_EQ(FormatAverage(3.5), "3,50");
    EXPECT_EQ(FormatAverage(12.0), "12,00");
    EXPECT_EQ(FormatAverage(0.0), "0,00");
    EXPECT_EQ(FormatAverage(255.0), "255,00");
    EXPECT_EQ(FormatAverage(123456.789), "123456,78");
    // Tiny values stay in fixed notation rather than turning into an exponent.
    EXPECT_EQ(FormatAverage(1.0 / 200000.0), "0,00");
    EXPECT_EQ(FormatAverage(std::nan("")), "0,00");
}

TEST(FormatAverage, MatchesTheExactCutOfEveryQuotientInTheGamesRange)
{
    for (int games = 1; games <= 60; ++games)
    {
        for (int eaten = 0; eaten <= 400; ++eaten)
        {
            ASSERT_EQ(FormatAverage(static_cast<double>(eaten) / games), ExactCut(eaten, games))
                << eaten << " / " << games;
        }
    }
}

TEST(FormatAverage, WritesEveryTwoDecimalTextBackUnchanged)
{
    for (int hundredths = 0; hundredths <= 9999; ++hundredths)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%d,%02d", hundredths / 100, hundredths % 100);
        const std::optional<double> value = ParseCommaNumber(text);
        ASSERT_TRUE(value.has_value()) << text;
        ASSERT_EQ(FormatAverage(*value), text);
    }
}

TEST(ParseCommaNumber, ReadsCommaNumbersAndIntegers)
{
    EXPECT_EQ(ParseCommaNumber("3,50"), 3.5);
    EXPECT_EQ(ParseCommaNumber("2,5"), 2.5);
    EXPECT_EQ(ParseCommaNumber("0"), 0.0);
    EXPECT_EQ(ParseCommaNumber("00"), 0.0);
    EXPECT_EQ(ParseCommaNumber("12"), 12.0);
    EXPECT_EQ(ParseCommaNumber("-0,75"), -0.75);
    EXPECT_EQ(ParseCommaNumber("+1,25"), 1.25);
    EXPECT_EQ(ParseCommaNumber("3,"), 3.0);
    EXPECT_EQ(ParseCommaNumber(",5"), 0.5);
}

TEST(ParseCommaNumber, RejectsAnythingElse)
{
    for (const char* junk : {"", ",", "-", "+", "3.50", "3,5x", " 3", "3 ", "1e5", "3,5,0", "inf",
                             "nan", "0x10", "--1", "1-", "ABC"})
    {
        EXPECT_FALSE(ParseCommaNumber(junk).has_value()) << '"' << junk << '"';
    }
    EXPECT_FALSE(ParseCommaNumber(std::string(400, '9')).has_value());
}

TEST(FormatSignedChange, CutsTowardZeroAndDropsTheSignOfZero)
{
    const auto expect = [](double d, const char* text, bool nonNegative)
    {
        const SignedChangeText change = FormatSignedChange(d);
        EXPECT_EQ(change.text, text) << d;
        EXPECT_EQ(change.nonNegative, nonNegative) << d;
    };
    expect(0.125, "0,12", true);
    expect(-0.125, "-0,12", false);
    expect(-0.004, "0,00", true);
    expect(-0.5, "-0,50", false);
    expect(0.5, "0,50", true);
    expect(0.0, "0,00", true);
    expect(-0.0, "0,00", true);
    expect(1e-6, "0,00", true);
    expect(-1e-6, "0,00", true);
    expect(-0.01, "-0,01", false);
    expect(1.0, "1,00", true);
    expect(-12.345, "-12,34", false);
    // Games 4, eaten 10, average shown 2,5: score 0 and score 5.
    expect((10.0 + 0) / 5 - 2.5, "-0,50", false);
    expect((10.0 + 5) / 5 - 2.5, "0,50", true);
    // 7/5 - 1,2 lands just below 0,2 in binary; the change is still 0,20.
    expect(7.0 / 5.0 - 1.2, "0,20", true);
}

TEST(FormatSignedChange, MatchesTheExactChangeAgainstStoredAverages)
{
    // d = (eaten + score) / (games + 1) - average, the average being a stored two-decimal text.
    for (int games = 1; games <= 25; ++games)
    {
        for (int eaten = 0; eaten <= 60; ++eaten)
        {
            const std::string averageText = FormatAverage(static_cast<double>(eaten) / games);
            const long long averageHundredths =
                std::stoll(averageText.substr(0, averageText.find(','))) * 100 +
                std::stoll(averageText.substr(averageText.find(',') + 1));
            const double average = *ParseCommaNumber(averageText);
            for (int score = 0; score <= 12; ++score)
            {
                const double d = static_cast<double>(eaten + score) / (games + 1) - average;
                std::string expected = ExactCut(
                    100LL * (eaten + score) - averageHundredths * (games + 1), 100LL * (games + 1));
                if (expected == "-0,00")
                {
                    expected = "0,00";
                }
                ASSERT_EQ(FormatSignedChange(d).text, expected)
                    << eaten << "+" << score << " / " << games + 1 << " - " << averageText;
            }
        }
    }
}

TEST(NumberTextsUnderACommaLocale, StayTheSame)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
    {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    }
    const std::optional<double> parsed = ParseCommaNumber("3,50");
    const std::string average = FormatAverage(7.0 / 5.0);
    const std::string change = FormatSignedChange(-0.125).text;
    const bool rejectsPoint = !ParseCommaNumber("3.50").has_value();
    std::setlocale(LC_ALL, saved.c_str());

    EXPECT_EQ(parsed, 3.5);
    EXPECT_EQ(average, "1,40");
    EXPECT_EQ(change, "-0,12");
    EXPECT_TRUE(rejectsPoint);
}

} // namespace
