// TCDKShape: a control that draws one geometric shape, filled and outlined, in one of four
// rotations.
#pragma once

#include "ui/Canvas.h"
#include "ui/Control.h"
#include "ui/Types.h"

#include <functional>

namespace widgets
{

enum class TShapeType
{
    stRectangle,
    stSquare,
    stRoundRect,
    stRoundSquare,
    stEllipse,
    stCircle,
    stTriangle,
    stDiamond,
    stLine,
    stArrow,
    stPaper
};

// Where a directional shape points: _0 up, _090 right, _180 down, _270 left.
enum class TRotation
{
    _0,
    _090,
    _180,
    _270
};

// The fill of a shape; every change of value calls OnChange.
class TBrush final
{
public:
    ui::Color Color() const { return brush_.color; }
    void SetColor(ui::Color color);
    // bsClear: no fill.
    bool Clear() const { return !brush_.visible; }
    void SetClear(bool clear);
    const ui::Brush& Value() const { return brush_; }
    // Takes over the settings of another brush.
    void Assign(const ui::Brush& brush);

    std::function<void()> OnChange;

private:
    ui::Brush brush_; // solid white
};

// The outline of a shape; every change of value calls OnChange.
class TPen final
{
public:
    ui::Color Color() const { return pen_.color; }
    void SetColor(ui::Color color);
    int Width() const { return pen_.width; }
    void SetWidth(int width);
    // psClear: no outline.
    bool Clear() const { return !pen_.visible; }
    void SetClear(bool clear);
    const ui::Pen& Value() const { return pen_; }
    void Assign(const ui::Pen& pen);

    std::function<void()> OnChange;

private:
    ui::Pen pen_; // solid black, width 1
};

class TCDKShape final : public ui::Control
{
public:
    // 65 x 65, a rectangle with a white fill and a black outline.
    explicit TCDKShape(ui::Control* parent);

    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }
    void SetBrush(const ui::Brush& brush) { brush_.Assign(brush); }
    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }
    void SetPen(const ui::Pen& pen) { pen_.Assign(pen); }

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);
    TRotation Rotation() const { return rotation_; }
    void SetRotation(TRotation rotation);
    int ArrowWidth() const { return arrowWidth_; }
    void SetArrowWidth(int width);
    int ArrowLength() const { return arrowLength_; }
    void SetArrowLength(int length);

    void Paint(ui::Canvas& canvas) override;

private:
    TBrush brush_;
    TPen pen_;
    TShapeType shape_ = TShapeType::stRectangle;
    TRotation rotation_ = TRotation::_0;
    int arrowWidth_ = 6;
    int arrowLength_ = 8;
};

} // namespace widgets
