// Software drawing onto a Bitmap, clipped and offset so that a control paints in its own
// coordinates.
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

class Canvas
{
public:
    // The whole bitmap, origin at its top-left corner.
    explicit Canvas(Bitmap& target);
    // A window into the bitmap: local (0, 0) lies at origin; drawing stays inside clip (local
    // coordinates are translated; clip is in bitmap coordinates).
    Canvas(Bitmap& target, Point origin, Rect clip);

    // A canvas for a child area at (left, top) of this one, clipped to its size and to this clip.
    Canvas Child(int left, int top, int width, int height) const;

    Bitmap& Target() const { return *target_; }
    Point Origin() const { return origin_; }
    // The clip rectangle in local coordinates.
    Rect LocalClip() const;

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
                  std::optional<Color> transparent = std::nullopt);
    // Repeats an 8 x 8 (or any) tile over r, aligned to the local origin.
    void FillPattern(Rect r, const Bitmap& tile);

    // Text in font.color with a transparent background; (x, y) is the top-left of the line box.
    void TextOut(int x, int y, std::string_view text, const Font& font);

private:
    void Span(int y, int x0, int x1, Color c); // local coordinates, inclusive x range

    Bitmap* target_;
    Point origin_;
    Rect clip_; // in target coordinates
};

} // namespace ui
