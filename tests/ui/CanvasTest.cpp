// Pixels of the software canvas: polygons with their edges, rectangles, keyed and scaled copies,
// text in the game's typeface.
#include "ui/Canvas.h"

#include <gtest/gtest.h>

#include <array>

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

TEST(Canvas, TheTypefaceIsFound)
{
    EXPECT_FALSE(ui::FontFileFor(ui::Font{}).empty());
    EXPECT_FALSE(ui::FontFileFor(ui::Font{"Comic Sans MS", 13, true}).empty());
}

} // namespace
