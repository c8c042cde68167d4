// TCDKShape: the shape geometry and its brush and pen.
#include "widgets/ShapeControl.h"

#include <algorithm>
#include <array>

namespace widgets
{

namespace
{

void Notify(const std::function<void()>& onChange)
{
    if (onChange)
        onChange();
}

} // namespace

void TBrush::SetColor(ui::Color color)
{
    if (color == brush_.color)
        return;
    brush_.color = color;
    Notify(OnChange);
}

void TBrush::SetClear(bool clear)
{
    if (clear == !brush_.visible)
        return;
    brush_.visible = !clear;
    Notify(OnChange);
}

void TBrush::Assign(const ui::Brush& brush)
{
    if (brush.color == brush_.color && brush.visible == brush_.visible)
        return;
    brush_ = brush;
    Notify(OnChange);
}

void TPen::SetColor(ui::Color color)
{
    if (color == pen_.color)
        return;
    pen_.color = color;
    Notify(OnChange);
}

void TPen::SetWidth(int width)
{
    if (width == pen_.width)
        return;
    pen_.width = width;
    Notify(OnChange);
}

void TPen::SetClear(bool clear)
{
    if (clear == !pen_.visible)
        return;
    pen_.visible = !clear;
    Notify(OnChange);
}

void TPen::Assign(const ui::Pen& pen)
{
    if (pen.color == pen_.color && pen.width == pen_.width && pen.visible == pen_.visible)
        return;
    pen_ = pen;
    Notify(OnChange);
}

TCDKShape::TCDKShape(ui::Control* parent) : ui::Control(parent)
{
    SetBounds(0, 0, 65, 65);
    brush_.OnChange = [this]
    {
        Invalidate();
    };
    pen_.OnChange = [this]
    {
        Invalidate();
    };
}

void TCDKShape::SetShape(TShapeType shape)
{
    if (shape == shape_)
        return;
    shape_ = shape;
    Invalidate();
}

void TCDKShape::SetRotation(TRotation rotation)
{
    if (rotation == rotation_)
        return;
    rotation_ = rotation;
    Invalidate();
}

void TCDKShape::SetArrowWidth(int width)
{
    if (width == arrowWidth_)
        return;
    arrowWidth_ = width;
    Invalidate();
}

void TCDKShape::SetArrowLength(int length)
{
    if (length == arrowLength_)
        return;
    arrowLength_ = length;
    Invalidate();
}

void TCDKShape::Paint(ui::Canvas& canvas)
{
    using enum TShapeType;
    const ui::Pen& pen = pen_.Value();
    const ui::Brush& brush = brush_.Value();

    // The pen is drawn at least one pixel wide, so that is the width the geometry allows for.
    const int p = std::max(1, pen.width);
    int x0 = p / 2;
    int y0 = p / 2;
    int a = Width() - p + 1;
    int b = Height() - p + 1;
    const int m = std::min(a, b);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle)
    {
        x0 += (a - m) / 2;
        y0 += (b - m) / 2;
        a = m;
        b = m;
    }
    const bool inclusive =
        shape_ == stTriangle || shape_ == stDiamond || shape_ == stLine || shape_ == stArrow;
    const int d = inclusive ? a - 1 : a;
    const int f = inclusive ? b - 1 : b;
    // The middles are not shifted by the inset: a thick pen moves a triangle's point off centre
    // by half its width, as the shapes have always been drawn.
    const int e = d / 2;
    const int g = f / 2;
    const bool vertical = rotation_ == TRotation::_0 || rotation_ == TRotation::_180;

    switch (shape_)
    {
    case stRectangle:
    case stSquare:
        canvas.Rectangle({x0, y0, x0 + d, y0 + f}, pen, brush);
        break;
    case stRoundRect:
    case stRoundSquare:
        canvas.RoundRect({x0, y0, x0 + d, y0 + f}, m / 4, m / 4, pen, brush);
        break;
    case stEllipse:
    case stCircle:
        canvas.Ellipse({x0, y0, x0 + d, y0 + f}, pen, brush);
        break;
    case stTriangle:
    {
        std::array<ui::Point, 3> pts;
        switch (rotation_)
        {
        case TRotation::_0:
            pts = {{{e, y0}, {x0 + d, y0 + f}, {x0, y0 + f}}};
            break;
        case TRotation::_090:
            pts = {{{x0, y0}, {x0 + d, g}, {x0, y0 + f}}};
            break;
        case TRotation::_180:
            pts = {{{x0, y0}, {x0 + d, y0}, {e, y0 + f}}};
            break;
        case TRotation::_270:
            pts = {{{x0, g}, {x0 + d, y0}, {x0 + d, y0 + f}}};
            break;
        }
        canvas.Polygon(pts, pen, brush);
        break;
    }
    case stDiamond:
    {
        const std::array<ui::Point, 4> pts{{{e, y0}, {x0 + d, g}, {e, y0 + f}, {x0, g}}};
        canvas.Polygon(pts, pen, brush);
        break;
    }
    case stLine:
    case stArrow:
    {
        const ui::Point from = vertical ? ui::Point{e, y0} : ui::Point{x0, g};
        const ui::Point to = vertical ? ui::Point{e, y0 + f} : ui::Point{x0 + d, g};
        canvas.Line(from, to, pen);
        if (shape_ == stLine)
            break;
        const int half = arrowWidth_ / 2;
        std::array<ui::Point, 3> head;
        switch (rotation_)
        {
        case TRotation::_0:
            head = {{from, {e - half, from.y + arrowLength_}, {e + half, from.y + arrowLength_}}};
            break;
        case TRotation::_180:
            head = {{to, {e - half, to.y - arrowLength_}, {e + half, to.y - arrowLength_}}};
            break;
        case TRotation::_090:
            head = {{to, {to.x - arrowLength_, g - half}, {to.x - arrowLength_, g + half}}};
            break;
        case TRotation::_270:
            head = {{from, {from.x + arrowLength_, g - half}, {from.x + arrowLength_, g + half}}};
            break;
        }
        canvas.Polygon(head, pen, brush);
        break;
    }
    case stPaper:
    {
        const int h = std::min(d, f) / 8 + 2;
        const std::array<ui::Point, 5> sheet{{{x0, y0 + 1},
                                              {x0 + d - h, y0 + 1},
                                              {x0 + d - 1, y0 + h},
                                              {x0 + d - 1, y0 + f - 1},
                                              {x0, y0 + f - 1}}};
        canvas.Polygon(sheet, pen, brush);
        canvas.Line({x0 + d - h, y0 + 1}, {x0 + d - h, y0 + h}, pen);
        canvas.Line({x0 + d - h, y0 + h}, {x0 + d, y0 + h}, pen);
        break;
    }
    }
}

} // namespace widgets
