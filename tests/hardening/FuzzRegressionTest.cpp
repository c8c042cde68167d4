// Inputs the fuzz targets found, kept so that what they broke stays fixed.
#include "settings/SettingsTestSupport.h"

#include "settings/NumberText.h"

#include <string>

namespace
{

using namespace settingstest;

// fuzz_number: the two bytes "-0" parse as negative zero, which came back as the average
// "-0,00", a text that no reader of averages expects.
TEST(FuzzRegression, NegativeZeroAverageIsWrittenAsZero)
{
    const std::optional<double> parsed = ParseCommaNumber("-0");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(FormatAverage(*parsed), "0,00");
    EXPECT_EQ(FormatAverage(-0.0), "0,00");
    EXPECT_EQ(FormatAverage(-0.009), "0,00");
    EXPECT_EQ(FormatAverage(-0.01), "-0,01");
    EXPECT_EQ(FormatAverage(0.0), "0,00");
}

class FuzzRegressionFile : public ConfigFolderTest
{
};

// The same through the settings file: a hand-edited "-0,00" average is read and saved back as
// "0,00", as the end-of-game update does for the slots it does not change.
TEST_F(FuzzRegressionFile, HandEditedNegativeZeroAverageIsSavedAsZero)
{
    SetFileText("[HiAverage]\naverage32=-0,00\n");
    TIniFile ini(path_);
    const std::optional<double> average =
        ParseCommaNumber(ini.ReadString("HiAverage", "average32", "0"));
    ASSERT_TRUE(average.has_value());
    ini.WriteString("HiAverage", "average32", FormatAverage(*average));
    EXPECT_EQ(FileText(), "[HiAverage]\naverage32=0,00\n");
}

} // namespace
