// The pictures: worm heads, the button ball, the board grid, target strips, corner balls, the
// pulsing dot and the controls screen's worms, each as a complete BMP file; and the desktop icon
// as a PNG file.
#include "Pictures.h"

#include "Bmp.h"
#include "Png.h"
#include "Raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace assetgen
{

namespace
{

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBoardGreen{0, 128, 0};

// The worms' colours. The player's yellow-green stands apart from every computer worm, and b2,
// which also serves as the second death-match player, is a clear blue beside it. A death-match
// player's ball and target are drawn in that player's worm colour, so each player is one colour. A
// head is drawn opaque over its cell, so its corners are the board's own green: a worm reads as a
// row of beads on the board, with no darker square around them at any scale.
constexpr std::array<Rgb, kWormPictures> kWormColours{{
    {172, 232, 40},  // b0 player: yellow-green
    {232, 48, 40},   // b1 red
    {52, 108, 255},  // b2 blue (also death-match player 2)
    {255, 142, 24},  // b3 orange
    {226, 54, 214},  // b4 magenta
    {216, 216, 226}, // b5 silver
    {138, 72, 230},  // b6 violet
    {255, 132, 172}, // b7 pink
    {170, 108, 52},  // b8 brown
}};

// The styles take the drawing's factor: a finer drawing keeps the rim as wide, relative to the
// ball, as the picture at its own size.
BallStyle StyleFor(Rgb colour, double darkness = 0.36, int factor = 1)
{
    BallStyle s;
    s.base = ToColour(colour);
    s.outline = Scale(s.base, darkness);
    s.ambient = 0.42;
    s.outlineWidth = factor;
    return s;
}

BallStyle YellowBall(int factor = 1)
{
    BallStyle s;
    s.base = {255, 222, 24};
    s.outline = {150, 84, 0};
    s.ambient = 0.42;
    s.outlineWidth = factor;
    return s;
}

// A death-match player's ball and target: that player's worm colour, lightened (its hue kept),
// so that a target on the board is never taken for one of the worm's own beads.
BallStyle PlayerBall(int worm, int factor)
{
    return StyleFor(ToRgb(Mix(ToColour(kWormColours[worm]), {255, 255, 255}, 0.25)), 0.36, factor);
}

BallStyle BallOf(BallColour colour, int factor)
{
    switch (colour)
    {
    case BallColour::Yellow:
        break;
    case BallColour::Lime:
        return PlayerBall(0, factor);
    case BallColour::Blue:
        return PlayerBall(2, factor);
    }
    return YellowBall(factor);
}

void CheckFactor(int factor)
{
    if (factor != 1 &&
        std::find(kFinerFactors.begin(), kFinerFactors.end(), factor) == kFinerFactors.end())
    {
        throw std::out_of_range("picture factor");
    }
}

// Replaces every pixel by the nearest palette colour. Pixels of exactly `keep` stay as they are
// and nothing else becomes `keep`, so a transparent background survives the reduction intact.
Canvas SnapToPalette(const Canvas& canvas, const std::vector<Rgb>& palette, Rgb keep)
{
    Canvas out = canvas;
    for (int y = 0; y < canvas.Height(); ++y)
    {
        for (int x = 0; x < canvas.Width(); ++x)
        {
            const Rgb c = canvas.At(x, y);
            if (c == keep)
            {
                continue;
            }
            Rgb best = palette.front();
            int bestDistance = std::numeric_limits<int>::max();
            for (const Rgb p : palette)
            {
                const int dr = p.r - c.r, dg = p.g - c.g, db = p.b - c.b;
                const int d = dr * dr + dg * dg + db * db;
                if (p != keep && d < bestDistance)
                {
                    best = p;
                    bestDistance = d;
                }
            }
            out.Set(x, y, best);
        }
    }
    return out;
}

// A palette running from black through `base` to white: every shade a shaded ball of that colour
// takes lies on or near it.
std::vector<Rgb> RampPalette(Colour base)
{
    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i)
    {
        const double t = i / 255.0;
        palette.push_back(ToRgb(t < 0.75 ? Scale(base, t / 0.75)
                                         : Mix(base, {255, 255, 255}, (t - 0.75) / 0.25)));
    }
    return palette;
}

// The controls screen's worm, designed turning left inside a 46 x 35 box: it climbs the right
// side, bends over to the left, and a cyan arrowhead leads it. The other directions are the same
// design mirrored or turned, drawn anew so that the light still falls from the upper left.
constexpr double kDesignWidth = 46;
constexpr double kDesignHeight = 35;

struct WormDesign
{
    std::vector<Point> body; // centres of the segments, tail first
    double headRadius;
    double tailRadius; // the worm tapers towards its tail, so the head end is plain to see
    std::array<Point, 4> arrow;
};

WormDesign LeftWormDesign()
{
    WormDesign d;
    d.headRadius = 5.2;
    d.tailRadius = 3.9;
    const double spacing = 6.3;
    // Path from the head back to the tail: straight right, a quarter circle down, straight down.
    const Point head{21.5, 10.5};
    const Point bendStart{32.0, 10.5};
    const Point bendCentre{32.0, 18.0};
    const double bendRadius = 7.5;
    const double straightLeg = bendStart.x - head.x;
    const double arcLength = bendRadius * std::numbers::pi / 2;
    const double tailLeg = 29.5 - bendCentre.y;
    const double total = straightLeg + arcLength + tailLeg;
    std::vector<Point> fromHead;
    for (double s = 0; s <= total + 1e-9; s += spacing)
    {
        if (s <= straightLeg)
        {
            fromHead.push_back({head.x + s, head.y});
        }
        else if (s <= straightLeg + arcLength)
        {
            const double a = -std::numbers::pi / 2 + (s - straightLeg) / bendRadius;
            fromHead.push_back(
                {bendCentre.x + bendRadius * std::cos(a), bendCentre.y + bendRadius * std::sin(a)});
        }
        else
        {
            fromHead.push_back(
                {bendCentre.x + bendRadius, bendCentre.y + (s - straightLeg - arcLength)});
        }
    }
    d.body.assign(fromHead.rbegin(), fromHead.rend());
    d.arrow = {{{2.0, 10.5}, {15.0, 1.5}, {12.0, 10.5}, {15.0, 19.5}}};
    return d;
}

Bytes DrawControlsWorm(Direction direction, double scale, int boxLong, int boxShort)
{
    const bool vertical = direction == Direction::Up || direction == Direction::Down;
    const int width = vertical ? boxShort : boxLong;
    const int height = vertical ? boxLong : boxShort;
    // Scale the design about its centre into the box (the small pictures are not exactly in
    // proportion, so centre what is left over).
    const double offsetLong = (boxLong - kDesignWidth * scale) / 2;
    const double offsetShort = (boxShort - kDesignHeight * scale) / 2;
    auto place = [&](Point p)
    {
        const double x = p.x * scale + offsetLong;
        const double y = p.y * scale + offsetShort;
        switch (direction)
        {
        case Direction::Left:
            return Point{x, y};
        case Direction::Right:
            return Point{boxLong - x, y};
        case Direction::Up: // turned a quarter clockwise: the left arrow now points up
            return Point{boxShort - y, x};
        case Direction::Down:
            return Point{boxShort - y, boxLong - x};
        }
        return Point{x, y};
    };

    const WormDesign design = LeftWormDesign();
    Canvas canvas(width, height, kBlack);
    BallStyle segment = YellowBall();
    segment.outlineWidth = 1.0 * scale;
    const std::size_t segments = design.body.size();
    for (std::size_t i = 0; i < segments; ++i)
    {
        const Point c = place(design.body[i]);
        const double t = segments > 1 ? double(i) / double(segments - 1) : 1.0;
        const double radius = design.tailRadius + (design.headRadius - design.tailRadius) * t;
        DrawBall(canvas, c.x, c.y, radius * scale, segment);
    }
    std::array<Point, 4> arrow;
    for (std::size_t i = 0; i < arrow.size(); ++i)
    {
        arrow[i] = place(design.arrow[i]);
    }
    PolygonStyle arrowStyle{{170, 252, 255}, {0, 176, 214}, {0, 92, 124}, 0.6 * scale};
    FillPolygon(canvas, arrow, arrowStyle);
    return WriteBmp24(canvas);
}

// Draws a picture twice, over black and over white, and recovers each pixel's opacity from the
// difference: the raster only blends over what lies beneath, so this yields soft edges against
// any background without an alpha channel of its own.
Bytes DrawTransparentPng(int width, int height, const std::function<void(Canvas&)>& draw)
{
    Canvas overBlack(width, height, kBlack);
    Canvas overWhite(width, height, kWhite);
    draw(overBlack);
    draw(overWhite);
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const Rgb b = overBlack.At(x, y);
            const Rgb w = overWhite.At(x, y);
            const double seeThrough = ((w.r - b.r) + (w.g - b.g) + (w.b - b.b)) / (3.0 * 255.0);
            const double alpha = std::clamp(1.0 - seeThrough, 0.0, 1.0);
            // Over black the colour was scaled by its opacity; undo that.
            const Rgb c = alpha > 0 ? ToRgb(Scale(ToColour(b), 1.0 / alpha)) : kBlack;
            rgba.insert(rgba.end(),
                        {c.r, c.g, c.b, static_cast<std::uint8_t>(std::lround(alpha * 255))});
        }
    }
    return WritePngRgba(width, height, rgba);
}

} // namespace

namespace
{

void DrawAppIcon(Canvas& canvas, double s)
{
    // A thick rim in the worm's own dark shade keeps the outline legible on light and
    // dark panels alike, down to 16 pixels.
    BallStyle body = StyleFor(kWormColours[0], 0.3);
    body.outlineWidth = std::max(1.0, s * 0.05);
    DrawBall(canvas, s * 0.20, s * 0.80, s * 0.15, body);
    DrawBall(canvas, s * 0.36, s * 0.64, s * 0.21, body);
    const double headX = s * 0.59;
    const double headY = s * 0.42;
    const double headR = s * 0.38;
    DrawBall(canvas, headX, headY, headR, body);
    // Two eyes looking ahead, the way the worm crawls.
    BallStyle eyeWhite;
    eyeWhite.base = {255, 255, 255};
    eyeWhite.outline = {40, 40, 40};
    eyeWhite.outlineWidth = std::max(0.6, s * 0.02);
    eyeWhite.ambient = 0.8;
    BallStyle pupil;
    pupil.base = {20, 20, 20};
    pupil.outline = {0, 0, 0};
    pupil.specular = 0.9;
    const Point eyes[] = {{headX - headR * 0.38, headY - headR * 0.05},
                          {headX + headR * 0.30, headY - headR * 0.42}};
    const double eyeR = std::max(2.1, s * 0.11);
    for (const Point e : eyes)
    {
        DrawBall(canvas, e.x, e.y, eyeR, eyeWhite);
        DrawBall(canvas, e.x + eyeR * 0.35, e.y - eyeR * 0.35, eyeR * 0.55, pupil);
    }
}

} // namespace

Bytes AppIcon(int size)
{
    if (size < 16)
    {
        throw std::out_of_range("icon size");
    }
    const double s = size;
    return DrawTransparentPng(size, size, [s](Canvas& canvas) { DrawAppIcon(canvas, s); });
}

Bytes WindowIcon()
{
    // The program reads BMP only, so the icon's background is a key colour no part of it uses;
    // the edge pixels are drawn over black, which reads well on any title bar.
    constexpr int kSize = 64;
    Canvas overKey(kSize, kSize, kWindowIconKey);
    Canvas overBlack(kSize, kSize, kBlack);
    DrawAppIcon(overBlack, kSize);
    DrawAppIcon(overKey, kSize);
    for (int y = 0; y < kSize; ++y)
    {
        for (int x = 0; x < kSize; ++x)
        {
            const Rgb k = overKey.At(x, y);
            if (k.r != kWindowIconKey.r || k.g != kWindowIconKey.g || k.b != kWindowIconKey.b)
            {
                overKey.Set(x, y, overBlack.At(x, y));
            }
        }
    }
    return WriteBmp24(overKey);
}

Bytes WormHeadPicture(int number, int factor)
{
    if (number < 0 || number >= kWormPictures)
    {
        throw std::out_of_range("worm picture number");
    }
    CheckFactor(factor);
    const double k = factor;
    Canvas canvas(14 * factor, 14 * factor, kBoardGreen);
    DrawBall(canvas, 7.0 * k, 7.0 * k, 7.0 * k, StyleFor(kWormColours[number], 0.36, factor));
    return WriteBmp24(canvas);
}

Bytes ButtonPicture(int factor)
{
    CheckFactor(factor);
    const double k = factor;
    Canvas canvas(28 * factor, 27 * factor, kBlack);
    BallStyle red = StyleFor({228, 28, 24}, 0.4);
    red.outlineWidth = 1.6 * k;
    DrawBall(canvas, 14.0 * k, 13.5 * k, 12.5 * k, red);
    return WriteBmp24(canvas);
}

Bytes GridPicture()
{
    constexpr int kSize = 436;
    constexpr int kPitch = 15;
    Canvas canvas(kSize, kSize, kWhite);
    for (int i = 0; i < kSize; i += kPitch)
    {
        for (int j = 0; j < kSize; ++j)
        {
            canvas.Set(i, j, kBlack);
            canvas.Set(j, i, kBlack);
        }
    }
    const std::vector<Rgb> palette{kBlack, kWhite};
    return WriteBmp8(canvas, palette);
}

Bytes TargetStrip(BallColour colour, int factor)
{
    CheckFactor(factor);
    const double k = factor;
    const int frame = 13 * factor;
    constexpr std::array<double, 5> kRadii{6.3, 5.4, 4.5, 3.6, 2.7};
    Canvas canvas(frame * int(kRadii.size()), frame, kBoardGreen);
    const BallStyle style = BallOf(colour, factor);
    for (std::size_t f = 0; f < kRadii.size(); ++f)
    {
        const double cx = frame * double(f) + frame / 2.0;
        const double cy = frame / 2.0;
        const double radius = kRadii[f] * k;
        DrawBall(canvas, cx, cy, radius, style);
        // The board green is the strip's transparent colour: a ball pixel that happened to come
        // out exactly that green would punch a hole, so move it one step away.
        for (int y = 0; y < frame; ++y)
        {
            for (int x = frame * int(f); x < frame * int(f + 1); ++x)
            {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d < radius + 0.5 && canvas.At(x, y) == kBoardGreen)
                {
                    canvas.Set(x, y, {0, 129, 0});
                }
            }
        }
    }
    return WriteBmp24(canvas);
}

Bytes CornerBall(BallColour colour, int factor)
{
    CheckFactor(factor);
    const double k = factor;
    Canvas canvas(16 * factor, 16 * factor, kBlack);
    DrawBall(canvas, 8.0 * k, 8.0 * k, 7.5 * k, BallOf(colour, factor));
    return WriteBmp24(canvas);
}

Bytes PulseStrip(int factor)
{
    CheckFactor(factor);
    const double k = factor;
    const int frame = 14 * factor;
    constexpr std::array<double, 3> kRadii{2.5, 4.0, 5.5};
    const Colour glow{90, 235, 120};
    Canvas canvas(frame * int(kRadii.size()), frame, kBlack);
    BallStyle style;
    style.base = glow;
    style.outline = Scale(glow, 0.4);
    style.outlineWidth = k;
    for (std::size_t f = 0; f < kRadii.size(); ++f)
    {
        DrawBall(canvas, frame * double(f) + frame / 2.0, frame / 2.0, kRadii[f] * k, style);
    }
    const std::vector<Rgb> palette = RampPalette(glow);
    return WriteBmp8(SnapToPalette(canvas, palette, kBlack), palette);
}

Bytes ControlsWorm(Direction direction, bool small, int factor)
{
    CheckFactor(factor);
    const double k = factor;
    // The small pictures fit the death-match key boxes (48 x 41).
    return small ? DrawControlsWorm(direction, k * 32.0 / kDesignWidth, 32 * factor, 24 * factor)
                 : DrawControlsWorm(direction, k, 46 * factor, 35 * factor);
}

} // namespace assetgen
