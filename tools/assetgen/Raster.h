// A tiny software raster: an RGB canvas, anti-aliased shaded balls and polygons.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace assetgen
{

struct Rgb
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

// A colour in floating point, channels 0..255, so that shading and blending do not round early.
struct Colour
{
    double r = 0;
    double g = 0;
    double b = 0;
};

Colour ToColour(Rgb c);
Rgb ToRgb(Colour c); // rounds and clamps
Colour Mix(Colour a, Colour b, double t);
Colour Scale(Colour c, double k);

struct Point
{
    double x = 0;
    double y = 0;
};

class Canvas
{
public:
    Canvas(int width, int height, Rgb fill = {});

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const { return pixels_[Index(x, y)]; }
    void Set(int x, int y, Rgb c) { pixels_[Index(x, y)] = c; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Lays colour c over the pixel with the given coverage (0 keeps it, 1 replaces it).
    void Cover(int x, int y, Colour c, double coverage);
    void FillRect(int x, int y, int w, int h, Rgb c);
    void Paste(const Canvas& src, int x, int y);

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// Shading rule of every ball: lit from the upper left, a soft diffuse falloff, a white specular
// spot and a darker rim that reads as an outline at small sizes.
struct BallStyle
{
    Colour base;
    Colour outline;
    double outlineWidth = 1.0; // pixels of rim blending into the outline colour
    double ambient = 0.35;     // brightness of the side turned away from the light
    double specular = 0.8;     // strength of the highlight
    double shininess = 18;     // tightness of the highlight
};

// Draws a ball centred on (cx, cy) in pixel coordinates (pixel x covers x .. x + 1), covering
// what lies beneath it; edges are supersampled.
void DrawBall(Canvas& canvas, double cx, double cy, double radius, const BallStyle& style);

// Flat polygons get a light-to-dark gradient along the light direction and an outline band.
struct PolygonStyle
{
    Colour light;
    Colour dark;
    Colour outline;
    double outlineWidth = 1.0;
};

void FillPolygon(Canvas& canvas, std::span<const Point> corners, const PolygonStyle& style);

} // namespace assetgen
