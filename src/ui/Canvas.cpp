// Software rasterising: rectangles, polygons with their edges included, lines, ellipses,
// scaled and colour-keyed copies, text.
#include "ui/Canvas.h"

#include "ui/FrameTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <list>
#include <unordered_map>
#include <vector>

namespace ui
{

int PhysicalFromLogical(int logical, double scale)
{
    // Scales are multiples of a quarter (of a sixty-fourth below 1), so logical * scale is exact
    // and halves round alike everywhere.
    return static_cast<int>(std::floor(logical * scale + 0.5));
}

int LogicalFromPhysical(int physical, double scale)
{
    // The largest x with round(x * scale) <= physical.
    return static_cast<int>(std::ceil((physical + 0.5) / scale)) - 1;
}

Canvas::Canvas(Bitmap& target) : target_(&target), origin_{0, 0}, clip_(target.BoundsRect()) {}

Canvas::Canvas(Bitmap& target, Point origin, Rect clip)
    : target_(&target), origin_(origin), clip_(clip.Intersect(target.BoundsRect()))
{
}

Canvas::Canvas(Bitmap& target, double scale, Point origin, Point offset, Rect clip)
    : target_(&target), scale_(scale), origin_(origin), offset_(offset),
      clip_(clip.Intersect(target.BoundsRect()))
{
}

int Canvas::PhysX(int x) const
{
    return PhysicalFromLogical(origin_.x + x, scale_) - offset_.x;
}

int Canvas::PhysY(int y) const
{
    return PhysicalFromLogical(origin_.y + y, scale_) - offset_.y;
}

double Canvas::CentreX(int x) const
{
    return (origin_.x + x + 0.5) * scale_ - 0.5 - offset_.x;
}

double Canvas::CentreY(int y) const
{
    return (origin_.y + y + 0.5) * scale_ - 0.5 - offset_.y;
}

Rect Canvas::ToPhysical(Rect local) const
{
    return {PhysX(local.left), PhysY(local.top), PhysX(local.right), PhysY(local.bottom)};
}

Canvas Canvas::Child(int left, int top, int width, int height) const
{
    Canvas child(*this);
    child.origin_ = {origin_.x + left, origin_.y + top};
    child.clip_ = clip_.Intersect(child.ToPhysical({0, 0, width, height}));
    return child;
}

Rect Canvas::LocalClip() const
{
    if (clip_.Empty())
        return {};
    const auto lx = [&](int px)
    {
        return LogicalFromPhysical(px + offset_.x, scale_) - origin_.x;
    };
    const auto ly = [&](int py)
    {
        return LogicalFromPhysical(py + offset_.y, scale_) - origin_.y;
    };
    return {lx(clip_.left), ly(clip_.top), lx(clip_.right - 1) + 1, ly(clip_.bottom - 1) + 1};
}

Color Canvas::Pixel(int x, int y) const
{
    const int tx = PhysX(x);
    const int ty = PhysY(y);
    if (!clip_.Contains({tx, ty}))
        return clBlack;
    return target_->Pixel(tx, ty);
}

void Canvas::SetPixel(int x, int y, Color c)
{
    FillRect({x, y, x + 1, y + 1}, c);
}

void Canvas::Put(int x, int y, Color c)
{
    if (clip_.Contains({x, y}))
        target_->SetPixel(x, y, c);
}

void Canvas::Square(int x, int y, int w, Color c)
{
    const Rect t = Bounds(x - w / 2, y - w / 2, w, w).Intersect(clip_);
    for (int ty = t.top; ty < t.bottom; ++ty)
        std::fill(target_->Row(ty) + t.left, target_->Row(ty) + t.right, c.Pixel());
}

void Canvas::Blend(int x, int y, Color c, unsigned alpha)
{
    if (!clip_.Contains({x, y}) || alpha == 0)
        return;
    if (alpha >= 255)
    {
        target_->SetPixel(x, y, c);
        return;
    }
    const Color d = target_->Pixel(x, y);
    const auto mix = [alpha](unsigned s, unsigned t)
    {
        return static_cast<std::uint8_t>((s * alpha + t * (255 - alpha) + 127) / 255);
    };
    target_->SetPixel(x, y, {mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b)});
}

void Canvas::Span(int y, int x0, int x1, Color c)
{
    if (y < clip_.top || y >= clip_.bottom)
        return;
    const int a = std::max(x0, clip_.left);
    const int b = std::min(x1, clip_.right - 1);
    if (a > b)
        return;
    std::uint32_t* row = target_->Row(y);
    std::fill(row + a, row + b + 1, c.Pixel());
}

void Canvas::FillRect(Rect r, Color c)
{
    const Rect t = ToPhysical(r).Intersect(clip_);
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
    // Vertices are the centres of their logical pixels on the bitmap; at scale 1 they are the
    // pixels themselves.
    std::vector<std::pair<double, double>> v;
    v.reserve(points.size());
    for (const Point& p : points)
        v.emplace_back(CentreX(p.x), CentreY(p.y));
    if (brush.visible && points.size() >= 3)
    {
        double minY = v[0].second;
        double maxY = v[0].second;
        for (const auto& p : v)
        {
            minY = std::min(minY, p.second);
            maxY = std::max(maxY, p.second);
        }
        std::vector<double> xs;
        for (int y = static_cast<int>(std::ceil(minY - 1e-9));
             y <= static_cast<int>(std::floor(maxY + 1e-9)); ++y)
        {
            xs.clear();
            for (std::size_t i = 0; i < v.size(); ++i)
            {
                const auto [ax, ay] = v[i];
                const auto [bx, by] = v[(i + 1) % v.size()];
                if (ay == by)
                    continue;
                // Half-open in y so that a shared vertex is counted once; the outline below
                // covers the rows the rule leaves out.
                if (y < std::min(ay, by) || y >= std::max(ay, by))
                    continue;
                xs.push_back(ax + (y - ay) * (bx - ax) / (by - ay));
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
    const int w = PenWidth(pen.visible ? std::max(1, pen.width) : 1);
    const auto snap = [](const std::pair<double, double>& p)
    {
        return Point{static_cast<int>(std::floor(p.first + 0.5)),
                     static_cast<int>(std::floor(p.second + 0.5))};
    };
    for (std::size_t i = 0; i < v.size(); ++i)
        WalkLine(snap(v[i]), snap(v[(i + 1) % v.size()]),
                 [&](Point p) { Square(p.x, p.y, w, edge); });
}

void Canvas::Line(Point a, Point b, const Pen& pen)
{
    if (!pen.visible || a == b)
        return;
    const int w = PenWidth(std::max(1, pen.width));
    const Point pa{static_cast<int>(std::floor(CentreX(a.x) + 0.5)),
                   static_cast<int>(std::floor(CentreY(a.y) + 0.5))};
    const Point pb{static_cast<int>(std::floor(CentreX(b.x) + 0.5)),
                   static_cast<int>(std::floor(CentreY(b.y) + 0.5))};
    WalkLine(pa, pb,
             [&](Point p)
             {
                 if (p == pb)
                     return;
                 Square(p.x, p.y, w, pen.color);
             });
}

int Canvas::PenWidth(int logical) const
{
    return std::max(1, static_cast<int>(std::floor(logical * scale_ + 0.5)));
}

namespace
{

// Fills the pixels of r (bitmap coordinates) for which inside(x, y) holds, and outlines with
// the pen those that lie within pen pixels of the outside.
template <typename Inside, typename Put>
void FillShape(Rect r, int pen, const Pen& p, const Brush& brush, Inside&& inside, Put&& put)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
        {
            if (!inside(x, y))
                continue;
            bool edge = false;
            for (int k = 1; k <= pen && !edge; ++k)
                edge = !inside(x - k, y) || !inside(x + k, y) || !inside(x, y - k) ||
                       !inside(x, y + k);
            if (edge && p.visible)
                put(x, y, p.color);
            else if (brush.visible)
                put(x, y, brush.color);
        }
}

} // namespace

void Canvas::Ellipse(Rect r, const Pen& pen, const Brush& brush)
{
    if (r.Empty())
        return;
    const Rect t = ToPhysical(r);
    const double cx = (t.left + t.right - 1) / 2.0;
    const double cy = (t.top + t.bottom - 1) / 2.0;
    const double rx = std::max(0.5, (t.Width() - 1) / 2.0 + 0.5);
    const double ry = std::max(0.5, (t.Height() - 1) / 2.0 + 0.5);
    FillShape(
        t.Intersect(clip_), PenWidth(1), pen, brush,
        [&](int x, int y)
        {
            if (!t.Contains({x, y}))
                return false;
            const double nx = (x - cx) / rx;
            const double ny = (y - cy) / ry;
            return nx * nx + ny * ny <= 1.0;
        },
        [this](int x, int y, Color c) { Put(x, y, c); });
}

void Canvas::RoundRect(Rect r, int cornerWidth, int cornerHeight, const Pen& pen,
                       const Brush& brush)
{
    if (r.Empty())
        return;
    const Rect t = ToPhysical(r);
    const double rx = std::max(0.5, cornerWidth * scale_ / 2.0);
    const double ry = std::max(0.5, cornerHeight * scale_ / 2.0);
    FillShape(
        t.Intersect(clip_), PenWidth(1), pen, brush,
        [&](int x, int y)
        {
            if (!t.Contains({x, y}))
                return false;
            const double px = x + 0.5;
            const double py = y + 0.5;
            const double ccx = std::clamp(px, t.left + rx, t.right - rx);
            const double ccy = std::clamp(py, t.top + ry, t.bottom - ry);
            const double nx = (px - ccx) / rx;
            const double ny = (py - ccy) / ry;
            return nx * nx + ny * ny <= 1.0;
        },
        [this](int x, int y, Color c) { Put(x, y, c); });
}

void Canvas::Draw(int x, int y, const Bitmap& src)
{
    DrawPart(Bounds(x, y, src.Width(), src.Height()), src, src.BoundsRect());
}

void Canvas::DrawPart(Rect dst, const Bitmap& src, Rect srcRect, std::optional<Color> transparent,
                      Resample resample)
{
    srcRect = srcRect.Intersect(src.BoundsRect());
    if (dst.Empty() || srcRect.Empty())
        return;
    const timing::Scope timed(timing::Part::Pictures);
    const Rect d = ToPhysical(dst);
    const Rect t = d.Intersect(clip_);
    if (t.Empty() || d.Empty())
        return;
    const bool keyed = transparent.has_value();
    const std::uint32_t key = keyed ? transparent->Pixel() : 0;
    const bool scaled = d.Width() != dst.Width() || d.Height() != dst.Height();
    if (scaled && resample == Resample::Smooth)
    {
        DrawResampled(dst, src, srcRect, transparent);
        return;
    }
    if (!scaled && srcRect.Width() == dst.Width() && srcRect.Height() == dst.Height())
    {
        // Drawn at its own size, as most pictures are at scale 1 each frame: row by row,
        // without the scaling's two divisions a pixel.
        const int width = t.Width();
        for (int ty = t.top; ty < t.bottom; ++ty)
        {
            const std::uint32_t* srow =
                src.Row(srcRect.top + ty - d.top) + (srcRect.left + t.left - d.left);
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
    // Unscaled, or exact: each physical pixel takes the picture pixel of the logical pixel it
    // belongs to, so the picture's lines land where rectangles of the same place land.
    std::vector<int> columns(static_cast<std::size_t>(t.Width()));
    for (int tx = t.left; tx < t.right; ++tx)
    {
        const int lx = scaled ? LogicalFromPhysical(tx + offset_.x, scale_) - origin_.x - dst.left
                              : tx - d.left;
        columns[static_cast<std::size_t>(tx - t.left)] =
            srcRect.left + std::clamp(lx, 0, dst.Width() - 1) * srcRect.Width() / dst.Width();
    }
    for (int ty = t.top; ty < t.bottom; ++ty)
    {
        const int ly =
            scaled ? LogicalFromPhysical(ty + offset_.y, scale_) - origin_.y - dst.top : ty - d.top;
        const int sy =
            srcRect.top + std::clamp(ly, 0, dst.Height() - 1) * srcRect.Height() / dst.Height();
        const std::uint32_t* srow = src.Row(sy);
        std::uint32_t* drow = target_->Row(ty);
        for (int tx = t.left; tx < t.right; ++tx)
        {
            const std::uint32_t p = srow[columns[static_cast<std::size_t>(tx - t.left)]];
            if (!keyed || p != key)
                drow[tx] = p;
        }
    }
}

namespace
{

// The picture pixels that physical pixels [from, to) of a run of `physical` pixels average when
// the run shows `pixels` picture pixels: for the j-th, the pixels from first[j] on, with the
// weights weights[start[j]] .. weights[start[j + 1] - 1] (whole 1/256ths of a pixel's share of
// it, adding up to 256, so that a plain area comes out exactly its own colour).
struct Footprints
{
    std::vector<int> first;
    std::vector<int> start;
    std::vector<int> weights;
};

// Weighted sum of picture pixels in 16.16 weights; key-coloured pixels add nothing, so they
// only make the mix more transparent and never tint an edge.
struct Mix
{
    int a = 0;
    int r = 0;
    int g = 0;
    int b = 0;

    void Add(std::uint32_t p, int w, std::uint32_t key)
    {
        if (p == key || w == 0)
            return;
        a += w;
        r += w * static_cast<int>((p >> 16) & 0xFF);
        g += w * static_cast<int>((p >> 8) & 0xFF);
        b += w * static_cast<int>(p & 0xFF);
    }
    Color Average() const
    {
        return {static_cast<std::uint8_t>((r + a / 2) / a),
                static_cast<std::uint8_t>((g + a / 2) / a),
                static_cast<std::uint8_t>((b + a / 2) / a)};
    }
    unsigned Alpha() const { return static_cast<unsigned>((a * 255 + 32768) >> 16); }
};

Footprints FootprintsOf(int physical, int pixels, int from, int to)
{
    Footprints f;
    const double ratio = static_cast<double>(pixels) / physical;
    for (int j = from; j < to; ++j)
    {
        const double a = j * ratio;
        const double b = std::min((j + 1) * ratio, static_cast<double>(pixels));
        const auto share = [&](double x)
        {
            return static_cast<int>(std::lround(256.0 * (x - a) / ratio));
        };
        const int first = static_cast<int>(a);
        f.first.push_back(first);
        f.start.push_back(static_cast<int>(f.weights.size()));
        for (int i = first; i < b && i < pixels; ++i)
            f.weights.push_back(share(std::min(i + 1.0, b)) - share(std::max<double>(i, a)));
    }
    f.start.push_back(static_cast<int>(f.weights.size()));
    return f;
}

} // namespace

namespace
{

// Resamples srcRect of src onto the physical rectangle d, for the rectangle t within it: out(x, y,
// pixel, alpha) receives each pixel of t that is not wholly transparent, alpha 255 where opaque.
template <typename Out>
void ResampleInto(Rect d, Rect t, const Bitmap& src, Rect srcRect, std::uint32_t key, Out&& out)
{
    if (srcRect.Width() >= d.Width() && srcRect.Height() >= d.Height() &&
        (srcRect.Width() > d.Width() || srcRect.Height() > d.Height()))
    {
        // Each physical pixel averages the stretch of the picture it covers, each picture pixel
        // weighted by how much of it lies inside; key-coloured pixels carry only transparency,
        // as in the bilinear case.
        const Footprints columns =
            FootprintsOf(d.Width(), srcRect.Width(), t.left - d.left, t.right - d.left);
        const Footprints rows =
            FootprintsOf(d.Height(), srcRect.Height(), t.top - d.top, t.bottom - d.top);
        for (int ty = t.top; ty < t.bottom; ++ty)
        {
            const auto ry = static_cast<std::size_t>(ty - t.top);
            for (int tx = t.left; tx < t.right; ++tx)
            {
                const auto cx = static_cast<std::size_t>(tx - t.left);
                Mix mix;
                for (int m = rows.start[ry]; m < rows.start[ry + 1]; ++m)
                {
                    const std::uint32_t* srow =
                        src.Row(srcRect.top + rows.first[ry] + m - rows.start[ry]) + srcRect.left;
                    const int wy = rows.weights[static_cast<std::size_t>(m)];
                    for (int n = columns.start[cx]; n < columns.start[cx + 1]; ++n)
                    {
                        mix.Add(srow[columns.first[cx] + n - columns.start[cx]],
                                wy * columns.weights[static_cast<std::size_t>(n)], key);
                    }
                }
                if (mix.a != 0)
                    out(tx, ty, mix.Average().Pixel(), mix.Alpha());
            }
        }
        return;
    }
    // Bilinear: each physical pixel's centre is sampled between the four nearest picture
    // pixels. Key-coloured pixels carry no colour, only transparency, so an outline keeps its
    // own colour and fades into whatever lies beneath instead of into the key.
    const double fx = static_cast<double>(srcRect.Width()) / d.Width();
    const double fy = static_cast<double>(srcRect.Height()) / d.Height();
    // The columns' sample positions are the same on every row.
    struct Column
    {
        int x0;
        int x1;
        int w1; // weight of x1 in 1/256
    };
    std::vector<Column> columns(static_cast<std::size_t>(t.Width()));
    for (int tx = t.left; tx < t.right; ++tx)
    {
        const double u = std::clamp((tx - d.left + 0.5) * fx - 0.5, 0.0, srcRect.Width() - 1.0);
        const int x0 = static_cast<int>(u);
        columns[static_cast<std::size_t>(tx - t.left)] = {
            srcRect.left + x0, srcRect.left + std::min(x0 + 1, srcRect.Width() - 1),
            static_cast<int>((u - x0) * 256 + 0.5)};
    }
    for (int ty = t.top; ty < t.bottom; ++ty)
    {
        const double v = std::clamp((ty - d.top + 0.5) * fy - 0.5, 0.0, srcRect.Height() - 1.0);
        const int y0 = static_cast<int>(v);
        const int y1 = std::min(y0 + 1, srcRect.Height() - 1);
        const int wy = static_cast<int>((v - y0) * 256 + 0.5);
        const std::uint32_t* top = src.Row(srcRect.top + y0);
        const std::uint32_t* bottom = src.Row(srcRect.top + y1);
        for (int tx = t.left; tx < t.right; ++tx)
        {
            const Column& c = columns[static_cast<std::size_t>(tx - t.left)];
            const std::uint32_t px[4] = {top[c.x0], top[c.x1], bottom[c.x0], bottom[c.x1]};
            // Inside a picture's plain areas all four agree: nothing to mix.
            if (px[0] == px[1] && px[0] == px[2] && px[0] == px[3])
            {
                if (px[0] != key)
                    out(tx, ty, px[0], 255u);
                continue;
            }
            const int w[4] = {(256 - c.w1) * (256 - wy), c.w1 * (256 - wy), (256 - c.w1) * wy,
                              c.w1 * wy};
            Mix mix;
            for (int k = 0; k < 4; ++k)
                mix.Add(px[k], w[k], key);
            if (mix.a != 0)
                out(tx, ty, mix.Average().Pixel(), mix.Alpha());
        }
    }
}

// A small picture resampled to a physical size, as ResampleInto gives it.
struct Scaled
{
    // What it was made from: the picture part's pixels, the key and the size.
    std::vector<std::uint32_t> source;
    int sourceWidth = 0;
    std::uint32_t key = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> alpha;
};

// Resampled small pictures (buttons, balls, worm heads, targets' frames) kept between paints:
// the same few are drawn at the same sizes frame after frame. An entry is found by the
// picture's pixels themselves, so a changed picture, key or size is made anew, never shown stale.
class ScaledCache
{
public:
    static constexpr int kLargestSource = 128 * 128;
    static constexpr std::size_t kBytes = 2u << 20;

    const Scaled& Get(const Bitmap& src, Rect srcRect, std::uint32_t key, int width, int height)
    {
        std::uint64_t hash = 1469598103934665603ull;
        const auto mixIn = [&hash](std::uint64_t v)
        {
            hash = (hash ^ v) * 1099511628211ull;
        };
        mixIn(static_cast<std::uint64_t>(width) << 32 | static_cast<std::uint32_t>(height));
        mixIn(static_cast<std::uint64_t>(srcRect.Width()) << 32 | key);
        for (int y = srcRect.top; y < srcRect.bottom; ++y)
            for (int x = srcRect.left; x < srcRect.right; ++x)
                mixIn(src.Row(y)[x]);
        const auto [first, last] = entries_.equal_range(hash);
        for (auto it = first; it != last; ++it)
            if (Matches(*it->second, src, srcRect, key, width, height))
            {
                recent_.splice(recent_.begin(), recent_, it->second);
                return *it->second;
            }
        Scaled made;
        made.sourceWidth = srcRect.Width();
        made.key = key;
        made.width = width;
        made.height = height;
        for (int y = srcRect.top; y < srcRect.bottom; ++y)
            made.source.insert(made.source.end(), src.Row(y) + srcRect.left,
                               src.Row(y) + srcRect.right);
        const std::size_t area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        made.pixels.assign(area, 0);
        made.alpha.assign(area, 0);
        const Rect d{0, 0, width, height};
        ResampleInto(d, d, src, srcRect, key,
                     [&made](int x, int y, std::uint32_t p, unsigned a)
                     {
                         const std::size_t i = static_cast<std::size_t>(y) * made.width + x;
                         made.pixels[i] = p;
                         made.alpha[i] = static_cast<std::uint8_t>(std::min(a, 255u));
                     });
        bytes_ += Size(made);
        recent_.push_front(std::move(made));
        entries_.emplace(hash, recent_.begin());
        while (bytes_ > kBytes && recent_.size() > 1)
        {
            const auto oldest = std::prev(recent_.end());
            bytes_ -= Size(*oldest);
            std::erase_if(entries_, [&](const auto& e) { return e.second == oldest; });
            recent_.erase(oldest);
        }
        return recent_.front();
    }

private:
    static std::size_t Size(const Scaled& s) { return s.source.size() * 4 + s.pixels.size() * 5; }
    static bool Matches(const Scaled& s, const Bitmap& src, Rect srcRect, std::uint32_t key,
                        int width, int height)
    {
        if (s.width != width || s.height != height || s.key != key ||
            s.sourceWidth != srcRect.Width() ||
            s.source.size() != static_cast<std::size_t>(srcRect.Width()) * srcRect.Height())
            return false;
        auto it = s.source.begin();
        for (int y = srcRect.top; y < srcRect.bottom; ++y, it += srcRect.Width())
            if (!std::equal(src.Row(y) + srcRect.left, src.Row(y) + srcRect.right, it))
                return false;
        return true;
    }

    std::list<Scaled> recent_;
    std::unordered_multimap<std::uint64_t, std::list<Scaled>::iterator> entries_;
    std::size_t bytes_ = 0;
};

// Pictures are painted on the main thread; a worker painting a bitmap of its own gets a cache of
// its own.
thread_local ScaledCache scaledCache;

} // namespace

void Canvas::DrawResampled(Rect dst, const Bitmap& picture, Rect pictureRect,
                           std::optional<Color> transparent)
{
    pictureRect = pictureRect.Intersect(picture.BoundsRect());
    const timing::Scope timed(timing::Part::Resampled);
    const Rect d = ToPhysical(dst);
    const Rect t = d.Intersect(clip_);
    if (pictureRect.Empty() || t.Empty())
        return;
    // The smallest drawing of the picture at least as large as the area it lands on (else the
    // largest): reducing it keeps the edges sharp that magnifying a smaller one would blur.
    const Bitmap* source = &picture;
    Rect srcRect = pictureRect;
    if (srcRect.Width() < d.Width() || srcRect.Height() < d.Height())
    {
        for (const Bitmap& finer : picture.Finer())
        {
            const int k = finer.Width() / picture.Width();
            source = &finer;
            srcRect = {pictureRect.left * k, pictureRect.top * k, pictureRect.right * k,
                       pictureRect.bottom * k};
            if (srcRect.Width() >= d.Width() && srcRect.Height() >= d.Height())
                break;
        }
    }
    const std::uint32_t key = transparent ? transparent->Pixel() : 0xFFFFFFFFu;
    const auto put = [this](int x, int y, std::uint32_t p, unsigned alpha)
    {
        if (alpha >= 255)
            target_->Row(y)[x] = p;
        else
            Blend(x, y, Color::FromPixel(p), alpha);
    };
    if (srcRect.Width() * srcRect.Height() > ScaledCache::kLargestSource)
    {
        ResampleInto(d, t, *source, srcRect, key, put);
        return;
    }
    const Scaled& scaled = scaledCache.Get(*source, srcRect, key, d.Width(), d.Height());
    for (int ty = t.top; ty < t.bottom; ++ty)
    {
        const std::size_t row = static_cast<std::size_t>(ty - d.top) * scaled.width;
        for (int tx = t.left; tx < t.right; ++tx)
        {
            const std::size_t i = row + static_cast<std::size_t>(tx - d.left);
            if (scaled.alpha[i] != 0)
                put(tx, ty, scaled.pixels[i], scaled.alpha[i]);
        }
    }
}

void Canvas::FillPattern(Rect r, const Bitmap& tile)
{
    if (tile.Empty())
        return;
    const Rect t = ToPhysical(r).Intersect(clip_);
    const auto wrap = [](int v, int n)
    {
        return ((v % n) + n) % n;
    };
    for (int ty = t.top; ty < t.bottom; ++ty)
    {
        const int ly = LogicalFromPhysical(ty + offset_.y, scale_) - origin_.y;
        const std::uint32_t* srow = tile.Row(wrap(ly, tile.Height()));
        std::uint32_t* drow = target_->Row(ty);
        for (int tx = t.left; tx < t.right; ++tx)
        {
            const int lx = LogicalFromPhysical(tx + offset_.x, scale_) - origin_.x;
            drow[tx] = srow[wrap(lx, tile.Width())];
        }
    }
}

} // namespace ui
