// TCDKShape: the pixels of each shape and the repaint on brush, pen and property changes.
#include "widgets/ShapeControl.h"

#include "ui/Application.h"
#include "ui/Form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace
{

using widgets::TCDKShape;
using widgets::TRotation;
using widgets::TShapeType;

constexpr ui::Color kBackground = ui::clLime;
constexpr int kLeft = 10;
constexpr int kTop = 10;

// A shape alone on a lime form, rendered headless.
class ShapeTest : public ::testing::Test
{
protected:
    ShapeTest() : shape(&form)
    {
        form.SetColor(kBackground);
        form.Show();
    }

    void Place(TShapeType type, TRotation rotation, int width, int height)
    {
        shape.SetShape(type);
        shape.SetRotation(rotation);
        shape.SetBounds(kLeft, kTop, width, height);
        app.Render();
    }

    // A pixel in the shape's own coordinates.
    ui::Color At(int x, int y) const { return app.Display().Screen().Pixel(kLeft + x, kTop + y); }

    // Compares the shape's area plus a one-pixel margin with what expected says each pixel is.
    void ExpectPixels(int width, int height, const std::function<ui::Color(int, int)>& expected)
    {
        for (int y = -1; y <= height; ++y)
            for (int x = -1; x <= width; ++x)
            {
                const bool inside = x >= 0 && y >= 0 && x < width && y < height;
                const ui::Color want = inside ? expected(x, y) : kBackground;
                ASSERT_EQ(At(x, y), want) << "at (" << x << ", " << y << ")";
            }
    }

    ui::Application app{{.headless = true, .width = 120, .height = 120}};
    ui::Form form{app};
    TCDKShape shape;
};

// The settings screen's spin buttons: 9 x 17, blue fill, default black pen.
class TriangleTest : public ShapeTest
{
protected:
    TriangleTest() { shape.Brush().SetColor(ui::clBlue); }
};

TEST_F(TriangleTest, RightPointingCoversItsPointAndNothingOfColumnNine)
{
    Place(TShapeType::stTriangle, TRotation::_090, 9, 17);
    // Polygon (0, 0), (8, 8), (0, 16): the slanted edges run x = y and x = 16 - y.
    ExpectPixels(9, 17,
                 [](int x, int y)
                 {
                     const int reach = std::min(y, 16 - y);
                     if (x > reach)
                         return kBackground;
                     return x == 0 || x == reach ? ui::clBlack : ui::clBlue;
                 });
    EXPECT_EQ(At(8, 8), ui::clBlack);
    for (int y = 0; y < 17; ++y)
        EXPECT_EQ(At(9, y), kBackground) << y;
}

TEST_F(TriangleTest, LeftPointingHasItsPointAtRowEightAndItsBaseAlongColumnEight)
{
    Place(TShapeType::stTriangle, TRotation::_270, 9, 17);
    // Polygon (0, 8), (8, 0), (8, 16).
    ExpectPixels(9, 17,
                 [](int x, int y)
                 {
                     const int reach = 8 - std::min(y, 16 - y);
                     if (x < reach)
                         return kBackground;
                     return x == 8 || x == reach ? ui::clBlack : ui::clBlue;
                 });
    EXPECT_EQ(At(0, 8), ui::clBlack);
    EXPECT_EQ(At(0, 7), kBackground);
    EXPECT_EQ(At(0, 9), kBackground);
}

TEST_F(TriangleTest, UpAndDownPointingTriangles)
{
    Place(TShapeType::stTriangle, TRotation::_0, 17, 9);
    // Polygon (8, 0), (16, 8), (0, 8).
    EXPECT_EQ(At(8, 0), ui::clBlack);
    EXPECT_EQ(At(7, 0), kBackground);
    EXPECT_EQ(At(0, 8), ui::clBlack);
    EXPECT_EQ(At(16, 8), ui::clBlack);
    EXPECT_EQ(At(8, 5), ui::clBlue);

    Place(TShapeType::stTriangle, TRotation::_180, 17, 9);
    // Polygon (0, 0), (16, 0), (8, 8).
    EXPECT_EQ(At(8, 8), ui::clBlack);
    EXPECT_EQ(At(7, 8), kBackground);
    EXPECT_EQ(At(0, 0), ui::clBlack);
    EXPECT_EQ(At(16, 0), ui::clBlack);
    EXPECT_EQ(At(8, 3), ui::clBlue);
}

TEST_F(ShapeTest, DefaultIsAWhiteRectangleWithABlackOutlineOver65By65)
{
    EXPECT_EQ(shape.Width(), 65);
    EXPECT_EQ(shape.Height(), 65);
    EXPECT_EQ(shape.Shape(), TShapeType::stRectangle);
    EXPECT_EQ(shape.ArrowWidth(), 6);
    EXPECT_EQ(shape.ArrowLength(), 8);
    Place(TShapeType::stRectangle, TRotation::_0, 10, 6);
    ExpectPixels(10, 6,
                 [](int x, int y)
                 {
                     const bool edge = x == 0 || y == 0 || x == 9 || y == 5;
                     return edge ? ui::clBlack : ui::clWhite;
                 });
}

TEST_F(ShapeTest, SquareAndCircleAreCentredInAWideControl)
{
    Place(TShapeType::stSquare, TRotation::_0, 20, 10);
    // The 10 x 10 square from x = 5.
    EXPECT_EQ(At(4, 5), kBackground);
    EXPECT_EQ(At(5, 5), ui::clBlack);
    EXPECT_EQ(At(10, 5), ui::clWhite);
    EXPECT_EQ(At(14, 5), ui::clBlack);
    EXPECT_EQ(At(15, 5), kBackground);

    Place(TShapeType::stCircle, TRotation::_0, 30, 10);
    EXPECT_EQ(At(9, 5), kBackground);
    EXPECT_EQ(At(10, 5), ui::clBlack);
    EXPECT_EQ(At(15, 5), ui::clWhite);
    EXPECT_EQ(At(19, 5), ui::clBlack);
    EXPECT_EQ(At(20, 5), kBackground);
    EXPECT_EQ(At(10, 0), kBackground); // the circle's corner area stays empty
}

TEST_F(ShapeTest, EllipseAndRoundRectLeaveTheirCornersEmpty)
{
    Place(TShapeType::stEllipse, TRotation::_0, 21, 11);
    EXPECT_EQ(At(0, 0), kBackground);
    EXPECT_EQ(At(10, 0), ui::clBlack);
    EXPECT_EQ(At(0, 5), ui::clBlack);
    EXPECT_EQ(At(10, 5), ui::clWhite);

    Place(TShapeType::stRoundRect, TRotation::_0, 40, 40);
    EXPECT_EQ(At(0, 0), kBackground);
    EXPECT_EQ(At(20, 0), ui::clBlack);
    EXPECT_EQ(At(0, 20), ui::clBlack);
    EXPECT_EQ(At(20, 20), ui::clWhite);
}

TEST_F(ShapeTest, DiamondHasItsPointsAtTheMiddles)
{
    Place(TShapeType::stDiamond, TRotation::_0, 9, 9);
    // Polygon (4, 0), (8, 4), (4, 8), (0, 4).
    ExpectPixels(9, 9,
                 [](int x, int y)
                 {
                     const int distance = std::abs(x - 4) + std::abs(y - 4);
                     if (distance > 4)
                         return kBackground;
                     return distance == 4 ? ui::clBlack : ui::clWhite;
                 });
}

TEST_F(ShapeTest, LineStopsBeforeItsEnd)
{
    Place(TShapeType::stLine, TRotation::_090, 10, 5);
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(At(x, 2), ui::clBlack) << x;
    EXPECT_EQ(At(9, 2), kBackground);
    EXPECT_EQ(At(4, 1), kBackground);
    EXPECT_EQ(At(4, 3), kBackground);

    Place(TShapeType::stLine, TRotation::_180, 5, 10);
    EXPECT_EQ(At(2, 0), ui::clBlack);
    EXPECT_EQ(At(2, 8), ui::clBlack);
    EXPECT_EQ(At(2, 9), kBackground);
}

TEST_F(ShapeTest, ArrowHeadSitsAtTheTopForRotationZero)
{
    Place(TShapeType::stArrow, TRotation::_0, 11, 20);
    // Line x = 5; head tip (5, 0), base y = 8 from x = 2 to 8.
    EXPECT_EQ(At(5, 0), ui::clBlack);
    EXPECT_EQ(At(2, 8), ui::clBlack);
    EXPECT_EQ(At(8, 8), ui::clBlack);
    EXPECT_EQ(At(1, 8), kBackground);
    EXPECT_EQ(At(9, 8), kBackground);
    EXPECT_EQ(At(5, 6), ui::clWhite);
    EXPECT_EQ(At(5, 14), ui::clBlack);
    EXPECT_EQ(At(4, 14), kBackground);

    shape.SetArrowWidth(10);
    app.Render();
    EXPECT_EQ(At(0, 8), ui::clBlack);
    EXPECT_EQ(At(10, 8), ui::clBlack);
}

TEST_F(ShapeTest, PaperHasAFoldedTopRightCorner)
{
    Place(TShapeType::stPaper, TRotation::_0, 20, 30);
    // H = 20 div 8 + 2 = 4: sheet (0, 1), (16, 1), (19, 4), (19, 29), (0, 29).
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(At(x, 0), kBackground) << x;
    EXPECT_EQ(At(0, 1), ui::clBlack);
    EXPECT_EQ(At(18, 1), kBackground);
    EXPECT_EQ(At(19, 3), kBackground);
    EXPECT_EQ(At(16, 2), ui::clBlack); // the fold
    EXPECT_EQ(At(17, 4), ui::clBlack);
    EXPECT_EQ(At(10, 10), ui::clWhite);
    EXPECT_EQ(At(10, 29), ui::clBlack);
}

TEST_F(ShapeTest, ThickPenKeepsTheOutlineInsideTheControl)
{
    shape.Pen().SetWidth(3);
    Place(TShapeType::stRectangle, TRotation::_0, 12, 12);
    EXPECT_EQ(At(0, 0), kBackground);
    EXPECT_EQ(At(1, 1), ui::clBlack);
    EXPECT_EQ(At(3, 3), ui::clBlack);
    EXPECT_EQ(At(4, 4), ui::clWhite);
    EXPECT_EQ(At(11, 11), kBackground);
}

TEST_F(ShapeTest, BrushAndPenChangesRepaint)
{
    Place(TShapeType::stRectangle, TRotation::_0, 10, 10);
    ASSERT_EQ(At(5, 5), ui::clWhite);

    shape.Brush().SetColor(ui::clRed);
    app.Render();
    EXPECT_EQ(At(5, 5), ui::clRed);

    shape.Pen().SetColor(ui::clYellow);
    app.Render();
    EXPECT_EQ(At(0, 0), ui::clYellow);

    shape.SetBrush({ui::clBlue, true});
    app.Render();
    EXPECT_EQ(At(5, 5), ui::clBlue);
    EXPECT_EQ(shape.Brush().Color(), ui::clBlue);

    shape.Brush().SetClear(true);
    app.Render();
    EXPECT_EQ(At(5, 5), kBackground);
}

TEST_F(ShapeTest, WritingTheValueAlreadyHeldRepaintsNothing)
{
    Place(TShapeType::stTriangle, TRotation::_090, 9, 17);
    const int frames = app.Display().FramesPresented();
    shape.SetShape(TShapeType::stTriangle);
    shape.SetRotation(TRotation::_090);
    shape.SetArrowWidth(6);
    shape.SetArrowLength(8);
    shape.Brush().SetColor(ui::clWhite);
    shape.Pen().SetColor(ui::clBlack);
    shape.SetPen({});
    app.Render();
    EXPECT_EQ(app.Display().FramesPresented(), frames);

    shape.SetRotation(TRotation::_270);
    app.Render();
    EXPECT_EQ(app.Display().FramesPresented(), frames + 1);
}

} // namespace
