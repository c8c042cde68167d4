// Software drawing onto a Bitmap, clipped and offset so that a control paints in its own
// coordinates, and scaled so that it paints in logical pixels onto a physical image.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Fonts.h"
#include "ui/Types.h"

#include <optional>
#include <span>
#include <string_view>

namespace ui
{

struct Pen
{
    Color color = clBlack;
    int width = 1;
    bool visible = true; // psClear when false
};

struct Brush
{
    Color color = clWhite;
    bool visible = true; // bsClear when false
};

// How a picture is brought to a scaled size: Smooth resamples it (photographs, balls, worm
// heads); Exact repeats each picture pixel over its scaled square, for line art such as the grid,
// whose lines must land where filled rectangles of the same logical place land.
enum class Resample
{
    Smooth,
    Exact
};

class Canvas
{
public:
    // The whole bitmap, origin at its top-left corner.
    explicit Canvas(Bitmap& target);
    // A window into the bitmap: local (0, 0) lies at origin; drawing stays inside clip (local
    // coordinates are translated; clip is in bitmap coordinates).
    Canvas(Bitmap& target, Point origin, Rect clip);
    // A scaled window: local (x, y) is the logical point origin + (x, y), which lands on the
    // physical pixel round((origin + (x, y)) * scale) - offset of the bitmap. Rounding the
    // absolute position, never a size, makes neighbouring rectangles tile without gaps.
    Canvas(Bitmap& target, double scale, Point origin, Point offset, Rect clip);

    // A canvas for a child area at (left, top) of this one, clipped to its size and to this clip.
    Canvas Child(int left, int top, int width, int height) const;

    Bitmap& Target() const { return *target_; }
    Point Origin() const { return origin_; }
    double Scale() const { return scale_; }
    // The clip rectangle in local coordinates (every logical pixel it touches).
    Rect LocalClip() const;
    // Where a local rectangle lands on the bitmap.
    Rect ToPhysical(Rect local) const;

    Color Pixel(int x, int y) const;
    void SetPixel(int x, int y, Color c);

    void FillRect(Rect r, Color c);
    // Windows Rectangle: the outline lies inside r, the interior is filled with the brush.
    void Rectangle(Rect r, const Pen& pen, const Brush& brush);
    // A polygon whose fill and outline include its edges (vertices on pixel positions).
    void Polygon(std::span<const Point> points, const Pen& pen, const Brush& brush);
    // A line from a up to but excluding b, as LineTo draws it.
    void Line(Point a, Point b, const Pen& pen);
    void Ellipse(Rect r, const Pen& pen, const Brush& brush);
    void RoundRect(Rect r, int cornerWidth, int cornerHeight, const Pen& pen, const Brush& brush);

    // Copies src (or its part srcRect) to dst, scaling when the sizes differ; pixels equal to
    // transparent are left out.
    void Draw(int x, int y, const Bitmap& src);
    void DrawPart(Rect dst, const Bitmap& src, Rect srcRect,
                  std::optional<Color> transparent = std::nullopt,
                  Resample resample = Resample::Smooth);
    // Smooth resampling of srcRect onto dst at any size, keyed pixels left out: from the
    // smallest of the picture's drawings (Bitmap::Finer) at least as large as the physical area,
    // reduced by averaging, or magnified bilinearly when none is that large.
    void DrawResampled(Rect dst, const Bitmap& src, Rect srcRect,
                       std::optional<Color> transparent = std::nullopt);
    // Repeats an 8 x 8 (or any) tile over r, aligned to the local origin.
    void FillPattern(Rect r, const Bitmap& tile);

    // Text in font.color with a transparent background; (x, y) is the top-left of the line box.
    void TextOut(int x, int y, std::string_view text, const Font& font);

private:
    int PhysX(int x) const;
    int PhysY(int y) const;
    // Physical x of the centre of local pixel column x (vertices of polygons and lines).
    double CentreX(int x) const;
    double CentreY(int y) const;
    int PenWidth(int logical) const;
    void Span(int y, int x0, int x1, Color c);         // physical coordinates, inclusive x range
    void Put(int x, int y, Color c);                   // one physical pixel, clipped
    void Square(int x, int y, int w, Color c);         // a w x w pen dot around a physical point
    void Blend(int x, int y, Color c, unsigned alpha); // alpha 0..255

    Bitmap* target_;
    double scale_ = 1.0;
    Point origin_;
    Point offset_;
    Rect clip_; // in target coordinates
};

// A physical pixel's logical coordinate under the canvas's rounding (the inverse of
// round(x * scale)): the logical pixel whose scaled square contains it.
int LogicalFromPhysical(int physical, double scale);
// round(logical * scale), halves up.
int PhysicalFromLogical(int logical, double scale);

} // namespace ui
