// A system with no font file at all: the texts are measured by estimate and not drawn, and
// nothing fails.
#include "ui/Fonts.h"
#include "ui/Canvas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace
{

// Runs in a child process of its own: fontconfig reads its configuration once per process.
int MeasureAndDrawWithoutFonts(const std::string& config)
{
    setenv("FONTCONFIG_FILE", config.c_str(), 1);
    const ui::Font font{"Comic Sans MS", 19, true, ui::clYellow};
    if (!ui::FontFileFor(font).empty())
        return 2; // a font was found after all: nothing is shown by this run
    const ui::TextSize one = ui::TextExtent(font, "Z");
    const ui::TextSize many = ui::TextExtent(font, "Zorbel II");
    const ui::TextSize accented = ui::TextExtent(font, "Zörbel II"); // two bytes, one character
    if (one.width <= 0 || many.width <= one.width || accented.width != many.width)
        return 3;
    if (many.height < 19 || ui::LineHeight(font) != many.height ||
        ui::TextExtent(font, "").width != 0)
        return 4;
    ui::Bitmap bmp(200, 40, ui::clBlack);
    ui::Canvas canvas(bmp);
    canvas.TextOut(5, 5, "Zorbel II", font);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) != ui::clBlack)
                return 5;
    return 0;
}

TEST(FontsDeathTest, WithoutAnyFontFileTextsAreMeasuredAndNotDrawn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::filesystem::path config = std::filesystem::temp_directory_path() /
                                         ("zorbel-" + std::to_string(getpid()) + "-fonts.conf");
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    EXPECT_EXIT(std::exit(MeasureAndDrawWithoutFonts(config.string())), testing::ExitedWithCode(0),
                "");
    std::filesystem::remove(config);
}

} // namespace
