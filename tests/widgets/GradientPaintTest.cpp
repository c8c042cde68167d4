// The gradient panel by its pixels: band geometry, band colours, centre frames, steel pattern.
#include "widgets/GradientPaint.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using widgets::gradType;
using widgets::TzNWBlendPaint;

ui::Bitmap Render(TzNWBlendPaint& panel)
{
    ui::Bitmap bitmap(panel.Width(), panel.Height(), ui::clBlue);
    ui::Canvas canvas(bitmap);
    panel.Paint(canvas);
    return bitmap;
}

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndGivesMinusOneForZeroDivisor)
{
    EXPECT_EQ(widgets::MulDiv(1, 1, 2), 1);
    EXPECT_EQ(widgets::MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(widgets::MulDiv(3, 1, 4), 1);
    EXPECT_EQ(widgets::MulDiv(1, 1, 4), 0);
    EXPECT_EQ(widgets::MulDiv(1, -128, 255), -1);
    EXPECT_EQ(widgets::MulDiv(2000000000, 3, 4), 1500000000);
    EXPECT_EQ(widgets::MulDiv(5, 7, 0), -1);
}

TEST(BlendPaintTest, GameScreenPanelShowsEightyGreensWithoutPureBlackOrFullGreen)
{
    TzNWBlendPaint panel(nullptr);
    panel.SetBounds(0, 0, 80, 465);
    panel.SetFillType(gradType::gHorz);
    panel.SetColor(ui::clBlack);
    panel.SetEndColor(ui::clGreen);
    const ui::Bitmap b = Render(panel);

    std::vector<int> greens;
    for (int x = 0; x < 80; ++x)
    {
        const ui::Color top = b.Pixel(x, 0);
        EXPECT_EQ(top.r, 0);
        EXPECT_EQ(top.b, 0);
        EXPECT_EQ(b.Pixel(x, 464), top) << "column " << x << " is one colour top to bottom";
        greens.push_back(top.g);
    }
    const std::vector<int> head{1, 2, 4, 6, 7, 9, 10, 12};
    const std::vector<int> tail{124, 126, 127};
    EXPECT_EQ(std::vector<int>(greens.begin(), greens.begin() + 8), head);
    EXPECT_EQ(std::vector<int>(greens.end() - 3, greens.end()), tail);
    for (std::size_t i = 1; i < greens.size(); ++i)
        EXPECT_GT(greens[i], greens[i - 1]) << i;

    // The right-hand panel runs the other way: green next to the board, black outside.
    TzNWBlendPaint right(nullptr);
    right.SetBounds(0, 0, 80, 465);
    right.SetFillType(gradType::gHorz);
    right.SetColor(ui::clGreen);
    const ui::Bitmap rb = Render(right);
    EXPECT_EQ(rb.Pixel(0, 10).g, 127);
    EXPECT_EQ(rb.Pixel(79, 10).g, 1);
}

TEST(BlendPaintTest, OneBandGivesTwoHalvesAndVerticalRunsDown)
{
    TzNWBlendPaint panel(nullptr);
    panel.SetBounds(0, 0, 10, 20);
    panel.SetBands(1);
    panel.SetColor(ui::clRed);
    panel.SetEndColor(ui::clBlue);
    const ui::Bitmap b = Render(panel);
    EXPECT_EQ(b.Pixel(9, 0), ui::clRed);
    EXPECT_EQ(b.Pixel(0, 9), ui::clRed);
    EXPECT_EQ(b.Pixel(0, 10), ui::clBlue);
    EXPECT_EQ(b.Pixel(9, 19), ui::clBlue);

    panel.SetBands(-1);
    const ui::Bitmap none = Render(panel);
    EXPECT_EQ(none.Pixel(5, 5), ui::clBlue) << "the untouched background";
    EXPECT_EQ(none.Pixel(0, 0), ui::clBlue);
}

TEST(BlendPaintTest, CentreFillDrawsNestedFramesOfOneStepEach)
{
    TzNWBlendPaint panel(nullptr);
    panel.SetBounds(0, 0, 10, 10);
    panel.SetFillType(gradType::gCenter);
    panel.SetBands(5);
    panel.SetColor(ui::clBlack);
    panel.SetEndColor(ui::clWhite);
    const ui::Bitmap b = Render(panel);
    EXPECT_EQ(b.Pixel(0, 0).r, 0);
    EXPECT_EQ(b.Pixel(9, 5).r, 0);
    EXPECT_EQ(b.Pixel(1, 1).r, 51);
    EXPECT_EQ(b.Pixel(8, 3).r, 51);
    EXPECT_EQ(b.Pixel(3, 6).r, 153);
    EXPECT_EQ(b.Pixel(4, 4).r, 204);
    EXPECT_EQ(b.Pixel(5, 5).r, 204);
}

TEST(BlendPaintTest, SteelLookIgnoresColoursAndPassMouseOnLetsClicksThrough)
{
    TzNWBlendPaint panel(nullptr);
    panel.SetBounds(0, 0, 16, 16);
    panel.SetColor(ui::clRed);
    panel.SetSteelLook(true);
    const ui::Bitmap b = Render(panel);
    EXPECT_EQ(b.Pixel(0, 0), ui::clSilver);
    EXPECT_EQ(b.Pixel(1, 0), ui::clSilver);
    EXPECT_EQ(b.Pixel(1, 1), ui::clWhite);
    EXPECT_EQ(b.Pixel(9, 15), ui::clWhite);
    EXPECT_EQ(b.Pixel(9, 14), ui::clSilver);

    EXPECT_TRUE(panel.HitTest({3, 3}));
    panel.SetPassMouseOn(true);
    EXPECT_FALSE(panel.HitTest({3, 3}));
}

TEST(BlendPaintTest, PaintCallsOnPaintAfterDrawing)
{
    TzNWBlendPaint panel(nullptr);
    ui::Color seen = ui::clBlue;
    ui::Bitmap bitmap(30, 30, ui::clBlue);
    panel.OnPaint = [&](ui::Control&)
    {
        seen = bitmap.Pixel(0, 0);
    };
    ui::Canvas canvas(bitmap);
    panel.Paint(canvas);
    // Fuchsia to black downwards: the top row is the first band wide enough to be drawn.
    EXPECT_EQ(seen, (ui::Color{251, 0, 251}));
}

} // namespace
