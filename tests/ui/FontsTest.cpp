// The typeface's files: one that does not open gives way to the next, and a system with no font
// file at all measures its texts by estimate, draws none and does not fail.
#include "ui/Fonts.h"
#include "platform/Paths.h"
#include "ui/Canvas.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

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

// A text as a canvas draws it at a scale onto black.
ui::Bitmap Drawn(std::string_view text, ui::Color color, double scale)
{
    ui::Bitmap bmp(240, 80, ui::clBlack);
    ui::Canvas(bmp, scale, {0, 0}, {0, 0}, bmp.BoundsRect())
        .TextOut(2, 2, text, ui::Font{"Comic Sans MS", 13, false, color});
    return bmp;
}

// The same text as the face itself renders it in that colour, laid onto black at (2, 2).
ui::Bitmap RenderedByTheFace(std::string_view text, ui::Color color)
{
    ui::Bitmap bmp(240, 80, ui::clBlack);
    const ui::Font font{"Comic Sans MS", 13, false, color};
    TTF_Font* face = TTF_OpenFont(ui::FontFileFor(font).c_str(), font.height);
    if (face == nullptr)
        return bmp;
    SDL_Surface* rendered =
        TTF_RenderUTF8_Blended(face, std::string(text).c_str(), {color.r, color.g, color.b, 255});
    SDL_Surface* argb = rendered != nullptr
                            ? SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0)
                            : nullptr;
    for (int y = 0; argb != nullptr && y < argb->h && y + 2 < bmp.Height(); ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const std::uint8_t*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < argb->w && x + 2 < bmp.Width(); ++x)
        {
            const unsigned a = row[x] >> 24;
            const auto on = [a](unsigned c)
            {
                return static_cast<std::uint8_t>((c * a + 127) / 255);
            };
            bmp.SetPixel(x + 2, y + 2,
                         {on((row[x] >> 16) & 0xFF), on((row[x] >> 8) & 0xFF), on(row[x] & 0xFF)});
        }
    }
    SDL_FreeSurface(argb);
    SDL_FreeSurface(rendered);
    TTF_CloseFont(face);
    return bmp;
}

bool Same(const ui::Bitmap& a, const ui::Bitmap& b)
{
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return false;
    return true;
}

int InkHeight(const ui::Bitmap& bmp)
{
    int top = bmp.Height();
    int bottom = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) != ui::clBlack)
            {
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    return std::max(0, bottom - top);
}

// Texts are kept rasterised between paints: a new caption, colour or scale still shows its own
// picture, the one the face renders, never a kept one of another.
TEST(Fonts, AKeptTextShowsOnlyForItsOwnCaptionColourAndScale)
{
    const ui::Bitmap red = Drawn("Ab", ui::clRed, 1.0);
    EXPECT_TRUE(Same(red, RenderedByTheFace("Ab", ui::clRed)));
    EXPECT_TRUE(Same(Drawn("Ba", ui::clRed, 1.0), RenderedByTheFace("Ba", ui::clRed)));
    EXPECT_FALSE(Same(Drawn("Ba", ui::clRed, 1.0), red));
    EXPECT_TRUE(Same(Drawn("Ab", ui::clLime, 1.0), RenderedByTheFace("Ab", ui::clLime)));
    EXPECT_TRUE(Same(Drawn("Ab", ui::clRed, 1.0), red));
    // At scale 2 the face is rasterised at twice the size, not the kept scale-1 picture.
    EXPECT_GE(InkHeight(Drawn("Ab", ui::clRed, 2.0)), 2 * InkHeight(red) - 2);
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
