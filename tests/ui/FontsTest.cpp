// The typeface's files: one that does not open gives way to the next, and a system with no font
// file at all measures its texts by estimate, draws none and does not fail.
#include "ui/Fonts.h"
#include "platform/Paths.h"
#include "ui/Canvas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace
{

int TextPixels(const ui::Font& font)
{
    ui::Bitmap bmp(200, 40, ui::clBlack);
    ui::Canvas(bmp).TextOut(5, 5, "Zorbel II", font);
    int count = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            count += bmp.Pixel(x, y) != ui::clBlack;
    return count;
}

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
    return TextPixels(font) == 0 ? 0 : 5;
}

// Runs in a child process of its own: the faces a process opens are kept for its whole run.
int DrawPastBrokenOwnFaces(const std::string& programDir)
{
    platform::SetProgramDirectory(programDir);
    for (const bool bold : {false, true})
    {
        const ui::Font font{"Comic Sans MS", 19, bold, ui::clYellow};
        const std::string file = ui::FontFileFor(font);
        if (file.empty() || file.starts_with(programDir))
            return bold ? 12 : 2;
        if (TextPixels(font) < 50)
            return bold ? 13 : 3;
    }
    return 0;
}

TEST(FontsDeathTest, AFaceThatDoesNotOpenGivesWayToTheNext)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("zorbel-" + std::to_string(getpid()) + "-own-fonts");
    std::filesystem::create_directories(dir);
    // The program directory's own Comic Sans files, cut short by a failed copy.
    std::ofstream(dir / "comic.ttf") << "not a font";
    std::ofstream(dir / "comicbd.ttf") << "not a font";
    EXPECT_EXIT(std::exit(DrawPastBrokenOwnFaces(dir.string() + "/")), testing::ExitedWithCode(0),
                "");
    std::filesystem::remove_all(dir);
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
