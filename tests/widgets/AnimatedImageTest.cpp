// The animated image: frames from the strip, stepping rules, and transparent drawing over what
// lies beneath it.
#include "widgets/AnimatedImage.h"

#include "ui/Application.h"
#include "ui/Form.h"

#include <gtest/gtest.h>

#include <chrono>

namespace
{

using widgets::TAnimatedImage;

constexpr ui::Color kKey = ui::clGreen;

// A strip of n square frames of size s on a green ground; frame i has a solid centre of its
// own colour (red value 40 * (i + 1)) and a green border of one pixel.
ui::Bitmap Strip(int n, int s)
{
    ui::Bitmap b(n * s, s, kKey);
    for (int i = 0; i < n; ++i)
        for (int y = 1; y < s - 1; ++y)
            for (int x = 1; x < s - 1; ++x)
                b.SetPixel(i * s + x, y, ui::Color{static_cast<std::uint8_t>(40 * (i + 1)), 0, 0});
    return b;
}

void Tick(TAnimatedImage& image)
{
    image.Timer().DoTimer();
}

TEST(AnimatedImageTest, FramesAndSizeFollowTheStrip)
{
    TAnimatedImage image(nullptr);
    EXPECT_EQ(image.Width(), 32);
    EXPECT_EQ(image.Interval(), 100);
    EXPECT_EQ(image.TransparentColor(), ui::clOlive);

    image.SetGlyph(Strip(5, 13));
    EXPECT_EQ(image.NumGlyphs(), 5);
    EXPECT_EQ(image.FrameWidth(), 13);
    EXPECT_EQ(image.FrameHeight(), 13);
    EXPECT_EQ(image.Width(), 13);
    EXPECT_EQ(image.Height(), 13);
    EXPECT_EQ(image.TransparentColor(), kKey) << "the strip's bottom-left pixel";

    image.SetGlyph(ui::Bitmap(40, 13, ui::clWhite));
    EXPECT_EQ(image.NumGlyphs(), 1);
    EXPECT_EQ(image.Width(), 40);
    EXPECT_EQ(image.TransparentColor(), ui::clWhite);

    image.SetOrientation(widgets::TGlyphOrientation::goVertical);
    image.SetGlyph(ui::Bitmap(14, 42, ui::clBlack));
    EXPECT_EQ(image.NumGlyphs(), 3);
    EXPECT_EQ(image.FrameHeight(), 14);

    image.SetNumGlyphs(0);
    EXPECT_EQ(image.NumGlyphs(), 1);
    EXPECT_EQ(image.FrameHeight(), 42);
}

TEST(AnimatedImageTest, ActiveImageSkipsTheInactiveFrameAndShowsItWhenStopped)
{
    TAnimatedImage image(nullptr);
    image.SetGlyph(Strip(5, 13));
    image.SetInactiveGlyph(2);
    EXPECT_EQ(image.GlyphNum(), 2);
    int starts = 0;
    int stops = 0;
    image.OnStart = [&](ui::Control&)
    {
        ++starts;
    };
    image.OnStop = [&](ui::Control&)
    {
        ++stops;
    };

    Tick(image);
    EXPECT_EQ(image.GlyphNum(), 2) << "an inactive image does not step";

    image.SetActive(true);
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(image.Timer().Enabled());
    image.SetGlyphNum(0);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i)
    {
        Tick(image);
        seen.push_back(image.GlyphNum());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 4, 0, 1}));

    image.SetActive(false);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(image.GlyphNum(), 2);
    EXPECT_FALSE(image.Timer().Enabled());
    EXPECT_FALSE(image.Timer().OnTimer());

    image.SetGlyphNum(7);
    EXPECT_EQ(image.GlyphNum(), 2);
    image.SetInactiveGlyph(5);
    EXPECT_EQ(image.InactiveGlyph(), 2) << "not below NumGlyphs: ignored";
}

TEST(AnimatedImageTest, HiddenImageKeepsItsFrameAndResumesFromIt)
{
    TAnimatedImage image(nullptr);
    image.SetGlyph(Strip(5, 13));
    image.SetActive(true);
    Tick(image);
    Tick(image);
    image.SetVisible(false);
    Tick(image);
    Tick(image);
    EXPECT_EQ(image.GlyphNum(), 2);
    image.SetVisible(true);
    Tick(image);
    EXPECT_EQ(image.GlyphNum(), 3);
}

TEST(AnimatedImageTest, FrameIsDrawnOverTheBoardAndGridWithTheKeyColourLeftOut)
{
    // The board: a green panel with a paint box carrying a painted square, a grid picture
    // drawn with white left out, and the image above both.
    ui::Panel board(nullptr);
    board.SetBounds(0, 0, 60, 60);
    board.SetColor(ui::clGreen);
    ui::PaintBox paintBox(&board);
    paintBox.SetBounds(0, 0, 60, 60);
    ui::Canvas(paintBox.Canvas()).FillRect({10, 10, 30, 30}, ui::clYellow);
    ui::Image grid(&board);
    grid.SetBounds(0, 0, 60, 60);
    ui::Bitmap lines(60, 60, ui::clWhite);
    for (int i = 0; i < 60; ++i)
        lines.SetPixel(i, 15, ui::clBlack);
    grid.SetPicture(lines);
    grid.SetTransparent(true);
    TAnimatedImage image(&board);
    image.SetGlyph(Strip(5, 13));
    image.SetTransparentColor(ui::clGreen);
    image.SetBounds(9, 9, 13, 13);
    image.SetActive(true);
    Tick(image); // frame 1

    ui::Bitmap screen(60, 60, ui::clBlue);
    ui::Canvas canvas(screen);
    ui::PaintTree(board, canvas);

    EXPECT_EQ(screen.Pixel(9, 9), ui::clGreen) << "frame border left out: board green beneath";
    EXPECT_EQ(screen.Pixel(10, 21), ui::clYellow) << "frame border left out: painted square";
    EXPECT_EQ(screen.Pixel(9, 15), ui::clBlack) << "frame border left out: grid line";
    EXPECT_EQ(screen.Pixel(10, 10), (ui::Color{80, 0, 0})) << "frame 1's own colour";
    EXPECT_EQ(screen.Pixel(15, 15), (ui::Color{80, 0, 0})) << "the frame lies above the grid";
    EXPECT_EQ(screen.Pixel(40, 40), ui::clGreen);

    // clNone: the whole frame, its border included, covers what lies beneath.
    image.SetTransparentColor(std::nullopt);
    ui::PaintTree(board, canvas);
    EXPECT_EQ(screen.Pixel(9, 15), ui::clGreen);

    // Moved away, the area shows the painted board again.
    image.SetBounds(40, 40, 13, 13);
    ui::PaintTree(board, canvas);
    EXPECT_EQ(screen.Pixel(10, 10), ui::clYellow);
    EXPECT_EQ(screen.Pixel(9, 15), ui::clBlack);
}

TEST(AnimatedImageTest, StretchScalesTheFrameOverTheWholeControl)
{
    TAnimatedImage image(nullptr);
    image.SetAutoSize(false);
    image.SetGlyph(Strip(2, 4));
    image.SetBounds(0, 0, 8, 8);
    image.SetOpaque(true);
    image.SetColor(ui::clNavy);
    ui::Bitmap out(8, 8, ui::clBlue);
    ui::Canvas canvas(out);
    image.Paint(canvas);
    EXPECT_EQ(out.Pixel(0, 0), ui::clNavy) << "opaque: own colour where the key is left out";
    EXPECT_EQ(out.Pixel(3, 3), (ui::Color{40, 0, 0}));
    EXPECT_EQ(out.Pixel(5, 5), (ui::Color{40, 0, 0}));

    image.SetStretch(false);
    ui::Bitmap plain(8, 8, ui::clBlue);
    ui::Canvas plainCanvas(plain);
    image.Paint(plainCanvas);
    EXPECT_EQ(plain.Pixel(2, 2), (ui::Color{40, 0, 0}));
    EXPECT_EQ(plain.Pixel(5, 5), ui::clNavy);
}

TEST(AnimatedImageTest, ItsOwnTimerStepsTheImageOnlyWhileItCanBeSeen)
{
    ui::Application app(ui::Application::Options{.headless = true});
    ui::Form form(app);
    TAnimatedImage image(&form);
    image.SetGlyph(Strip(5, 13));
    image.SetInterval(10);
    image.SetActive(true);
    EXPECT_FALSE(image.Timer().Enabled()) << "its form is not shown";

    form.Show();
    ASSERT_TRUE(image.Timer().Enabled());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (image.GlyphNum() < 3 && std::chrono::steady_clock::now() < deadline)
        app.Step(false);
    EXPECT_GE(image.GlyphNum(), 3);

    // Under a panel created after it, behind another screen, or with a parent hidden, nothing
    // of it shows, so nothing ticks; each time it shows again its timer runs again.
    ui::Panel cover(&form);
    cover.SetBounds(image.Left() - 1, image.Top(), image.Width() + 1, image.Height());
    EXPECT_FALSE(image.Timer().Enabled()) << "covered";
    cover.SetWidth(image.Width() - 1);
    EXPECT_TRUE(image.Timer().Enabled()) << "a column shows";
    cover.SetVisible(false);
    ui::Form other(app);
    other.Show();
    EXPECT_FALSE(image.Timer().Enabled()) << "behind another screen";
    other.Hide();
    EXPECT_TRUE(image.Timer().Enabled());
    form.SetVisible(false);
    EXPECT_FALSE(image.Timer().Enabled()) << "its parent hidden";
    form.SetVisible(true);
    image.SetActive(false);
    EXPECT_FALSE(image.Timer().Enabled());
    form.Hide();
    form.Show();
    EXPECT_FALSE(image.Timer().Enabled()) << "shown again, yet inactive";
}

} // namespace
