// Pixels of the software canvas: polygons with their edges, rectangles, keyed and scaled copies,
// text in the game's typeface.
#include "ui/Canvas.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>

namespace
{

int CountColor(const ui::Bitmap& b, ui::Color c, ui::Rect r)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += b.Pixel(x, y) == c;
    return n;
}

TEST(Canvas, TrianglePointingRightIncludesItsTipAndEdges)
{
    ui::Bitmap bmp(12, 20, ui::clBlack);
    ui::Canvas canvas(bmp);
    const std::array<ui::Point, 3> pts{{{0, 0}, {8, 8}, {0, 16}}};
    canvas.Polygon(pts, ui::Pen{ui::clNavy}, ui::Brush{ui::clBlue});
    EXPECT_EQ(bmp.Pixel(8, 8), ui::clNavy);
    EXPECT_EQ(bmp.Pixel(0, 0), ui::clNavy);
    EXPECT_EQ(bmp.Pixel(0, 16), ui::clNavy);
    EXPECT_EQ(bmp.Pixel(3, 8), ui::clBlue);
    EXPECT_EQ(CountColor(bmp, ui::clBlack, {9, 0, 12, 20}), 3 * 20); // nothing right of the tip
    EXPECT_EQ(bmp.Pixel(8, 7), ui::clBlack);
    EXPECT_EQ(bmp.Pixel(0, 17), ui::clBlack);
}

TEST(Canvas, RectangleOutlineLiesInsideAndFillWithin)
{
    ui::Bitmap bmp(10, 10, ui::clBlack);
    ui::Canvas canvas(bmp);
    canvas.Rectangle({1, 1, 6, 5}, ui::Pen{ui::clRed}, ui::Brush{ui::clWhite});
    EXPECT_EQ(bmp.Pixel(1, 1), ui::clRed);
    EXPECT_EQ(bmp.Pixel(5, 4), ui::clRed);
    EXPECT_EQ(bmp.Pixel(2, 2), ui::clWhite);
    EXPECT_EQ(bmp.Pixel(6, 4), ui::clBlack);
    EXPECT_EQ(bmp.Pixel(5, 5), ui::clBlack);

    canvas.Rectangle({1, 1, 6, 5}, ui::Pen{ui::clBlue}, ui::Brush{ui::clWhite, false});
    EXPECT_EQ(bmp.Pixel(2, 2), ui::clWhite); // a clear brush leaves the inside alone
    EXPECT_EQ(bmp.Pixel(1, 3), ui::clBlue);
}

TEST(Canvas, ChildCanvasTranslatesAndClips)
{
    ui::Bitmap bmp(20, 20, ui::clBlack);
    ui::Canvas root(bmp);
    ui::Canvas child = root.Child(5, 5, 4, 4);
    child.FillRect({-10, -10, 100, 100}, ui::clYellow);
    EXPECT_EQ(CountColor(bmp, ui::clYellow, bmp.BoundsRect()), 16);
    EXPECT_EQ(bmp.Pixel(5, 5), ui::clYellow);
    EXPECT_EQ(bmp.Pixel(9, 9), ui::clBlack);
}

TEST(Canvas, KeyedCopyLeavesTheTransparentColourOut)
{
    ui::Bitmap strip(4, 2, ui::clGreen);
    strip.SetPixel(1, 0, ui::clYellow);
    strip.SetPixel(3, 1, ui::clAqua);
    ui::Bitmap bmp(4, 4, ui::clRed);
    ui::Canvas canvas(bmp);
    // The second 2 x 2 frame, doubled in size.
    canvas.DrawPart({0, 0, 4, 4}, strip, {2, 0, 4, 2}, ui::clGreen);
    EXPECT_EQ(bmp.Pixel(0, 0), ui::clRed);
    EXPECT_EQ(bmp.Pixel(2, 2), ui::clAqua);
    EXPECT_EQ(bmp.Pixel(3, 3), ui::clAqua);
    EXPECT_EQ(CountColor(bmp, ui::clAqua, bmp.BoundsRect()), 4);
}

TEST(Canvas, TextIsDrawnInItsColourWithinItsExtent)
{
    const ui::Font font{"Comic Sans MS", 19, false, ui::clYellow};
    const ui::TextSize size = ui::TextExtent(font, "Zorbel II");
    ASSERT_GT(size.width, 40);
    EXPECT_GE(size.height, 19);
    ui::Bitmap bmp(size.width + 10, size.height + 10, ui::clBlack);
    ui::Canvas canvas(bmp);
    canvas.TextOut(5, 5, "Zorbel II", font);
    EXPECT_GT(CountColor(bmp, ui::clYellow, bmp.BoundsRect()), 20);
    EXPECT_EQ(CountColor(bmp, ui::clBlack, {0, 0, bmp.Width(), 5}), bmp.Width() * 5);
}

// A screen-sized canvas at a scale, as the loop paints the forms.
ui::Canvas Scaled(ui::Bitmap& bmp, double scale)
{
    return ui::Canvas(bmp, scale, {0, 0}, {0, 0}, bmp.BoundsRect());
}

// Aligned 2 x 2 blocks that are not one colour: none in a picture magnified by repeating pixels.
int MixedBlocks(const ui::Bitmap& b, ui::Rect r)
{
    int n = 0;
    for (int y = r.top; y + 1 < r.bottom; y += 2)
        for (int x = r.left; x + 1 < r.right; x += 2)
            n += b.Pixel(x, y) != b.Pixel(x + 1, y) || b.Pixel(x, y) != b.Pixel(x, y + 1) ||
                 b.Pixel(x, y) != b.Pixel(x + 1, y + 1);
    return n;
}

TEST(Canvas, ScaledRectanglesLandOnRoundedEdgesAndTile)
{
    for (const double s : {1.0, 1.5, 2.0, 3.0})
    {
        SCOPED_TRACE(s);
        ui::Bitmap bmp(150, 60, ui::clBlack);
        ui::Canvas canvas = Scaled(bmp, s);
        // Cells of 14 with 1-pixel lines between them, as the board is laid out.
        for (int k = 0; k < 3; ++k)
            canvas.FillRect(ui::Bounds(1 + 15 * k, 1, 14, 14), ui::clLime);
        for (int k = 0; k < 4; ++k)
            canvas.FillRect(ui::Bounds(15 * k, 0, 1, 16), ui::clRed);
        const auto at = [s](int logical)
        {
            return ui::PhysicalFromLogical(logical, s);
        };
        const int lime = CountColor(bmp, ui::clLime, {0, at(8), 150, at(8) + 1});
        EXPECT_LE(std::abs(lime - 42 * s), 2.0) << "three cells 14 wide, scaled";
        // Every physical column of the row belongs to a cell or a line: nothing left between.
        for (int x = 0; x < at(46); ++x)
            EXPECT_NE(bmp.Pixel(x, at(8)), ui::clBlack) << x;
        EXPECT_EQ(CountColor(bmp, ui::clRed, {at(15), 0, at(16), at(16)}),
                  (at(16) - at(15)) * at(16))
            << "a line unbroken down its whole length";
    }
}

TEST(Canvas, TextAtAScaleIsRasterisedForItNotMagnified)
{
    const ui::Font font{"Comic Sans MS", 19, false, ui::clWhite};
    ui::Bitmap one(200, 40, ui::clBlack);
    ui::Canvas(one).TextOut(0, 0, "Zorbel", font);
    ui::Bitmap two(400, 80, ui::clBlack);
    Scaled(two, 2.0).TextOut(0, 0, "Zorbel", font);
    const int inkOne = 200 * 40 - CountColor(one, ui::clBlack, one.BoundsRect());
    const int inkTwo = 400 * 80 - CountColor(two, ui::clBlack, two.BoundsRect());
    EXPECT_GT(inkTwo, 3 * inkOne) << "drawn at twice the size";
    // Magnified, every aligned 2 x 2 block would be one colour; rasterised at 38 pixels, the
    // edges step one pixel at a time.
    EXPECT_GT(MixedBlocks(two, two.BoundsRect()), inkTwo / 16);
}

TEST(Canvas, PicturesAtAScaleAreResampledSmoothlyAndKeyedPixelsStayOut)
{
    ui::Bitmap picture(8, 8, ui::clFuchsia);
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 7; ++x)
            picture.SetPixel(
                x, y, {static_cast<std::uint8_t>(30 * x), 0, static_cast<std::uint8_t>(30 * y)});
    ui::Bitmap bmp(16, 16, ui::clGreen);
    Scaled(bmp, 2.0).DrawPart({0, 0, 8, 8}, picture, picture.BoundsRect(), ui::clFuchsia);
    EXPECT_EQ(MixedBlocks(bmp, {2, 2, 14, 14}), 36) << "no 2 x 2 block of one colour";
    EXPECT_EQ(bmp.Pixel(0, 0), ui::clGreen) << "the key shows what lies beneath";
    EXPECT_EQ(CountColor(bmp, ui::clFuchsia, bmp.BoundsRect()), 0) << "the key never blends in";
}

// Resampled pictures are kept between paints: another scale or a changed picture shows its own
// picture, never one kept for another.
TEST(Canvas, AKeptResampledPictureShowsOnlyForItsOwnPixelsAndSize)
{
    ui::Bitmap ball(8, 8, ui::clBlack);
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            ball.SetPixel(x, y, ui::clRed);
    const auto drawn = [](const ui::Bitmap& picture, double scale)
    {
        ui::Bitmap bmp(40, 40, ui::clBlue);
        ui::Canvas(bmp, scale, {0, 0}, {0, 0}, bmp.BoundsRect())
            .DrawPart({1, 1, 9, 9}, picture, picture.BoundsRect(), ui::clBlack);
        return bmp;
    };
    const auto redColumns = [](const ui::Bitmap& bmp, int y)
    {
        int n = 0;
        for (int x = 0; x < bmp.Width(); ++x)
            n += bmp.Pixel(x, y).r > 128;
        return n;
    };
    const ui::Bitmap twice = drawn(ball, 2.0);
    EXPECT_EQ(redColumns(twice, 9), 8);
    EXPECT_EQ(twice.Pixel(9, 9), ui::clRed);
    EXPECT_EQ(twice.Pixel(3, 3), ui::clBlue) << "the key stays out";
    EXPECT_EQ(redColumns(drawn(ball, 3.0), 14), 12);
    ui::Bitmap changed = ball;
    changed.SetPixel(3, 3, ui::clLime);
    EXPECT_EQ(twice.Pixel(8, 8).g, 0);
    EXPECT_GT(drawn(changed, 2.0).Pixel(8, 8).g, 100);
    const ui::Bitmap again = drawn(ball, 2.0);
    for (int y = 0; y < again.Height(); ++y)
        for (int x = 0; x < again.Width(); ++x)
            ASSERT_EQ(again.Pixel(x, y), twice.Pixel(x, y)) << x << ", " << y;
}

TEST(Canvas, NonBlackBoundsHoldEveryColouredPixelAndNothingElse)
{
    ui::Bitmap bitmap(40, 30);
    EXPECT_TRUE(bitmap.NonBlackBounds().Empty()) << "an all-black picture shows nothing";
    bitmap.SetPixel(7, 20, ui::Color{1, 0, 0});
    bitmap.SetPixel(31, 4, ui::Color{0, 0, 255});
    const ui::Rect bounds = bitmap.NonBlackBounds();
    EXPECT_EQ(bounds.left, 7);
    EXPECT_EQ(bounds.top, 4);
    EXPECT_EQ(bounds.right, 32);
    EXPECT_EQ(bounds.bottom, 21);
}

TEST(Canvas, TheTypefaceIsFound)
{
    EXPECT_FALSE(ui::FontFileFor(ui::Font{}).empty());
    EXPECT_FALSE(ui::FontFileFor(ui::Font{"Comic Sans MS", 13, true}).empty());
}

} // namespace
