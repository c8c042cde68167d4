// A tiny software raster: an RGB canvas, anti-aliased shaded balls and polygons.
#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen
{

namespace
{

// Subsamples per pixel side; 6 x 6 keeps the 14-pixel pictures free of stair steps.
constexpr int kSub = 6;

struct Vec3
{
    double x, y, z;
};

Vec3 Normalised(Vec3 v)
{
    const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / len, v.y / len, v.z / len};
}

// Direction towards the light: up and to the left, in front of the picture.
const Vec3 kLight = Normalised({-0.5, -0.62, 0.6});
const Vec3 kHalfway = Normalised({kLight.x, kLight.y, kLight.z + 1.0});

double Clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

// Shade of a point of the ball at offset (u, v) from its centre, in units of the radius.
Colour ShadeBall(const BallStyle& style, double u, double v, double radius)
{
    const double d2 = u * u + v * v;
    const double nz = std::sqrt(std::max(0.0, 1.0 - d2));
    const double diffuse = std::max(0.0, u * kLight.x + v * kLight.y + nz * kLight.z);
    const double shine =
        std::pow(std::max(0.0, u * kHalfway.x + v * kHalfway.y + nz * kHalfway.z), style.shininess);
    Colour c = Scale(style.base, style.ambient + (1.0 - style.ambient) * diffuse * 1.08);
    c = Mix(c, {255, 255, 255}, Clamp01(shine * style.specular));
    const double rimStart = 1.0 - style.outlineWidth / radius;
    const double d = std::sqrt(d2);
    if (d > rimStart)
    {
        const double t = Clamp01((d - rimStart) / (1.0 - rimStart));
        c = Mix(c, style.outline, std::sqrt(t));
    }
    return c;
}

bool InsidePolygon(std::span<const Point> corners, Point p)
{
    bool inside = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++)
    {
        const Point a = corners[i];
        const Point b = corners[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
        {
            inside = !inside;
        }
    }
    return inside;
}

double DistanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 == 0 ? 0 : Clamp01(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

} // namespace

Colour ToColour(Rgb c)
{
    return {double(c.r), double(c.g), double(c.b)};
}

Rgb ToRgb(Colour c)
{
    auto channel = [](double v)
    {
        return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

Colour Mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, double k)
{
    return {c.r * k, c.g * k, c.b * k};
}

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)
{
    if (width <= 0 || height <= 0)
    {
        throw std::invalid_argument("canvas size must be positive");
    }
}

void Canvas::Cover(int x, int y, Colour c, double coverage)
{
    if (!Contains(x, y) || coverage <= 0)
    {
        return;
    }
    Set(x, y, ToRgb(Mix(ToColour(At(x, y)), c, Clamp01(coverage))));
}

void Canvas::FillRect(int x, int y, int w, int h, Rgb c)
{
    for (int j = y; j < y + h; ++j)
    {
        for (int i = x; i < x + w; ++i)
        {
            if (Contains(i, j))
            {
                Set(i, j, c);
            }
        }
    }
}

void Canvas::Paste(const Canvas& src, int x, int y)
{
    for (int j = 0; j < src.Height(); ++j)
    {
        for (int i = 0; i < src.Width(); ++i)
        {
            if (Contains(x + i, y + j))
            {
                Set(x + i, y + j, src.At(i, j));
            }
        }
    }
}

void DrawBall(Canvas& canvas, double cx, double cy, double radius, const BallStyle& style)
{
    const int x0 = static_cast<int>(std::floor(cx - radius));
    const int x1 = static_cast<int>(std::ceil(cx + radius));
    const int y0 = static_cast<int>(std::floor(cy - radius));
    const int y1 = static_cast<int>(std::ceil(cy + radius));
    for (int y = y0; y < y1; ++y)
    {
        for (int x = x0; x < x1; ++x)
        {
            Colour sum;
            int inside = 0;
            for (int sy = 0; sy < kSub; ++sy)
            {
                for (int sx = 0; sx < kSub; ++sx)
                {
                    const double u = (x + (sx + 0.5) / kSub - cx) / radius;
                    const double v = (y + (sy + 0.5) / kSub - cy) / radius;
                    if (u * u + v * v >= 1.0)
                    {
                        continue;
                    }
                    const Colour c = ShadeBall(style, u, v, radius);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    ++inside;
                }
            }
            if (inside > 0)
            {
                canvas.Cover(x, y, Scale(sum, 1.0 / inside), double(inside) / (kSub * kSub));
            }
        }
    }
}

void FillPolygon(Canvas& canvas, std::span<const Point> corners, const PolygonStyle& style)
{
    if (corners.size() < 3)
    {
        throw std::invalid_argument("a polygon needs three corners");
    }
    double minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const Point p : corners)
    {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    // The gradient runs along the light's direction across the polygon's extent.
    const double lx = kLight.x, ly = kLight.y;
    const double norm = std::hypot(lx, ly);
    double lo = 1e9, hi = -1e9;
    for (const Point p : corners)
    {
        const double t = -(p.x * lx + p.y * ly) / norm;
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    for (int y = int(std::floor(minY)); y < int(std::ceil(maxY)); ++y)
    {
        for (int x = int(std::floor(minX)); x < int(std::ceil(maxX)); ++x)
        {
            Colour sum;
            int inside = 0;
            for (int sy = 0; sy < kSub; ++sy)
            {
                for (int sx = 0; sx < kSub; ++sx)
                {
                    const Point p{x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub};
                    if (!InsidePolygon(corners, p))
                    {
                        continue;
                    }
                    const double t = (-(p.x * lx + p.y * ly) / norm - lo) / (hi - lo);
                    Colour c = Mix(style.light, style.dark, Clamp01(t));
                    double edge = 1e9;
                    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++)
                    {
                        edge = std::min(edge, DistanceToSegment(p, corners[j], corners[i]));
                    }
                    if (edge < style.outlineWidth)
                    {
                        c = style.outline;
                    }
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    ++inside;
                }
            }
            if (inside > 0)
            {
                canvas.Cover(x, y, Scale(sum, 1.0 / inside), double(inside) / (kSub * kSub));
            }
        }
    }
}

} // namespace assetgen
