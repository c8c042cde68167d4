// Software rasterising: rectangles, polygons with their edges included, lines, ellipses,
// scaled and colour-keyed copies, text.
#include "ui/Canvas.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ui
{

Canvas::Canvas(Bitmap& target) : target_(&target), origin_{0, 0}, clip_(target.BoundsRect()) {}

Canvas::Canvas(Bitmap& target, Point origin, Rect clip)
    : target_(&target), origin_(origin), clip_(clip.Intersect(target.BoundsRect()))
{
}

Canvas Canvas::Child(int left, int top, int width, int height) const
{
    Point o{origin_.x + left, origin_.y + top};
    return Canvas(*target_, o, clip_.Intersect(Bounds(o.x, o.y, width, height)));
}

Rect Canvas::LocalClip() const
{
    return clip_.Offset(-origin_.x, -origin_.y);
}

Color Canvas::Pixel(int x, int y) const
{
    const int tx = x + origin_.x;
    const int ty = y + origin_.y;
    if (!clip_.Contains({tx, ty}))
        return clBlack;
    return target_->Pixel(tx, ty);
}

void Canvas::SetPixel(int x, int y, Color c)
{
    const int tx = x + origin_.x;
    const int ty = y + origin_.y;
    if (clip_.Contains({tx, ty}))
        target_->SetPixel(tx, ty, c);
}

void Canvas::Span(int y, int x0, int x1, Color c)
{
    const int ty = y + origin_.y;
    if (ty < clip_.top || ty >= clip_.bottom)
        return;
    const int a = std::max(x0 + origin_.x, clip_.left);
    const int b = std::min(x1 + origin_.x, clip_.right - 1);
    if (a > b)
        return;
    std::uint32_t* row = target_->Row(ty);
    std::fill(row + a, row + b + 1, c.Pixel());
}

void Canvas::FillRect(Rect r, Color c)
{
    const Rect t = r.Offset(origin_.x, origin_.y).Intersect(clip_);
    if (t.Empty())
        return;
    const std::uint32_t p = c.Pixel();
    for (int y = t.top; y < t.bottom; ++y)
    {
        std::uint32_t* row = target_->Row(y);
        std::fill(row + t.left, row + t.right, p);
    }
}

void Canvas::Rectangle(Rect r, const Pen& pen, const Brush& brush)
{
    const int w = pen.visible ? std::max(1, pen.width) : 0;
    if (brush.visible)
        FillRect({r.left + w, r.top + w, r.right - w, r.bottom - w}, brush.color);
    if (w == 0)
        return;
    FillRect({r.left, r.top, r.right, std::min(r.bottom, r.top + w)}, pen.color);
    FillRect({r.left, std::max(r.top, r.bottom - w), r.right, r.bottom}, pen.color);
    FillRect({r.left, r.top + w, std::min(r.right, r.left + w), r.bottom - w}, pen.color);
    FillRect({std::max(r.left, r.right - w), r.top + w, r.right, r.bottom - w}, pen.color);
}

namespace
{

// Bresenham's points from a to b, both included.
template <typename F> void WalkLine(Point a, Point b, F&& plot)
{
    int dx = std::abs(b.x - a.x);
    int dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1;
    const int sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    Point p = a;
    for (;;)
    {
        plot(p);
        if (p == b)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            p.x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            p.y += sy;
        }
    }
}

} // namespace

void Canvas::Polygon(std::span<const Point> points, const Pen& pen, const Brush& brush)
{
    if (points.size() < 2)
        return;
    if (brush.visible && points.size() >= 3)
    {
        int minY = points[0].y;
        int maxY = points[0].y;
        for (const Point& p : points)
        {
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        std::vector<double> xs;
        for (int y = minY; y <= maxY; ++y)
        {
            xs.clear();
            for (std::size_t i = 0; i < points.size(); ++i)
            {
                const Point a = points[i];
                const Point b = points[(i + 1) % points.size()];
                if (a.y == b.y)
                    continue;
                const int lo = std::min(a.y, b.y);
                const int hi = std::max(a.y, b.y);
                // Half-open in y so that a shared vertex is counted once; the outline below
                // covers the rows the rule leaves out.
                if (y < lo || y >= hi)
                    continue;
                xs.push_back(a.x + static_cast<double>(y - a.y) * (b.x - a.x) / (b.y - a.y));
            }
            std::sort(xs.begin(), xs.end());
            for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
                Span(y, static_cast<int>(std::ceil(xs[i] - 1e-9)),
                     static_cast<int>(std::floor(xs[i + 1] + 1e-9)), brush.color);
        }
    }
    // The outline includes the edges, and without a pen the fill still covers them.
    const Color edge = pen.visible ? pen.color : brush.color;
    if (!pen.visible && !brush.visible)
        return;
    const int w = pen.visible ? std::max(1, pen.width) : 1;
    for (std::size_t i = 0; i < points.size(); ++i)
        WalkLine(points[i], points[(i + 1) % points.size()],
                 [&](Point p)
                 {
                     if (w == 1)
                         SetPixel(p.x, p.y, edge);
                     else
                         FillRect(Bounds(p.x - w / 2, p.y - w / 2, w, w), edge);
                 });
}

void Canvas::Line(Point a, Point b, const Pen& pen)
{
    if (!pen.visible || a == b)
        return;
    const int w = std::max(1, pen.width);
    WalkLine(a, b,
             [&](Point p)
             {
                 if (p == b)
                     return;
                 if (w == 1)
                     SetPixel(p.x, p.y, pen.color);
                 else
                     FillRect(Bounds(p.x - w / 2, p.y - w / 2, w, w), pen.color);
             });
}

namespace
{

// Fills the pixels of r for which inside(x, y) holds, and outlines those that touch the outside.
template <typename Inside>
void FillShape(Canvas& c, Rect r, const Pen& pen, const Brush& brush, Inside&& inside)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
        {
            if (!inside(x, y))
                continue;
            const bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            if (edge && pen.visible)
                c.SetPixel(x, y, pen.color);
            else if (brush.visible)
                c.SetPixel(x, y, brush.color);
        }
}

} // namespace

void Canvas::Ellipse(Rect r, const Pen& pen, const Brush& brush)
{
    if (r.Empty())
        return;
    const double cx = (r.left + r.right - 1) / 2.0;
    const double cy = (r.top + r.bottom - 1) / 2.0;
    const double rx = std::max(0.5, (r.Width() - 1) / 2.0 + 0.5);
    const double ry = std::max(0.5, (r.Height() - 1) / 2.0 + 0.5);
    FillShape(*this, r, pen, brush,
              [&](int x, int y)
              {
                  if (!r.Contains({x, y}))
                      return false;
                  const double nx = (x - cx) / rx;
                  const double ny = (y - cy) / ry;
                  return nx * nx + ny * ny <= 1.0;
              });
}

void Canvas::RoundRect(Rect r, int cornerWidth, int cornerHeight, const Pen& pen,
                       const Brush& brush)
{
    if (r.Empty())
        return;
    const double rx = std::max(0.5, cornerWidth / 2.0);
    const double ry = std::max(0.5, cornerHeight / 2.0);
    FillShape(*this, r, pen, brush,
              [&](int x, int y)
              {
                  if (!r.Contains({x, y}))
                      return false;
                  const double px = x + 0.5;
                  const double py = y + 0.5;
                  const double ccx = std::clamp(px, r.left + rx, r.right - rx);
                  const double ccy = std::clamp(py, r.top + ry, r.bottom - ry);
                  const double nx = (px - ccx) / rx;
                  const double ny = (py - ccy) / ry;
                  return nx * nx + ny * ny <= 1.0;
              });
}

void Canvas::Draw(int x, int y, const Bitmap& src)
{
    DrawPart(Bounds(x, y, src.Width(), src.Height()), src, src.BoundsRect());
}

void Canvas::DrawPart(Rect dst, const Bitmap& src, Rect srcRect, std::optional<Color> transparent)
{
    srcRect = srcRect.Intersect(src.BoundsRect());
    if (dst.Empty() || srcRect.Empty())
        return;
    const Rect t = dst.Offset(origin_.x, origin_.y).Intersect(clip_);
    if (t.Empty())
        return;
    const int dx0 = dst.left + origin_.x;
    const int dy0 = dst.top + origin_.y;
    const bool keyed = transparent.has_value();
    const std::uint32_t key = keyed ? transparent->Pixel() : 0;
    if (srcRect.Width() == dst.Width() && srcRect.Height() == dst.Height())
    {
        // Drawn at its own size, as every picture of the game is each frame: row by row,
        // without the scaling's two divisions a pixel.
        const int width = t.Width();
        for (int ty = t.top; ty < t.bottom; ++ty)
        {
            const std::uint32_t* srow =
                src.Row(srcRect.top + ty - dy0) + (srcRect.left + t.left - dx0);
            std::uint32_t* drow = target_->Row(ty) + t.left;
            if (!keyed)
            {
                std::copy(srow, srow + width, drow);
                continue;
            }
            for (int i = 0; i < width; ++i)
            {
                if (srow[i] != key)
                    drow[i] = srow[i];
            }
        }
        return;
    }
    for (int ty = t.top; ty < t.bottom; ++ty)
    {
        const int sy = srcRect.top + (ty - dy0) * srcRect.Height() / dst.Height();
        const std::uint32_t* srow = src.Row(sy);
        std::uint32_t* drow = target_->Row(ty);
        for (int tx = t.left; tx < t.right; ++tx)
        {
            const int sx = srcRect.left + (tx - dx0) * srcRect.Width() / dst.Width();
            const std::uint32_t p = srow[sx];
            if (!keyed || p != key)
                drow[tx] = p;
        }
    }
}

void Canvas::FillPattern(Rect r, const Bitmap& tile)
{
    if (tile.Empty())
        return;
    const Rect t = r.Offset(origin_.x, origin_.y).Intersect(clip_);
    for (int ty = t.top; ty < t.bottom; ++ty)
    {
        const int ly = ty - origin_.y;
        const std::uint32_t* srow =
            tile.Row(((ly % tile.Height()) + tile.Height()) % tile.Height());
        std::uint32_t* drow = target_->Row(ty);
        for (int tx = t.left; tx < t.right; ++tx)
        {
            const int lx = tx - origin_.x;
            drow[tx] = srow[((lx % tile.Width()) + tile.Width()) % tile.Width()];
        }
    }
}

} // namespace ui
