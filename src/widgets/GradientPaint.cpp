// TzNWBlendPaint: Band geometry and colours of the gradient panel, and its shared steel tile.
#include "widgets/GradientPaint.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace widgets
{
namespace
{

// Silver with white dots where x and y are both odd; one tile serves every panel.
const ui::Bitmap& SteelTile()
{
    static const ui::Bitmap tile = []
    {
        ui::Bitmap b(8, 8, ui::clSilver);
        for (int y = 1; y < 8; y += 2)
            for (int x = 1; x < 8; x += 2)
                b.SetPixel(x, y, ui::clWhite);
        return b;
    }();
    return tile;
}

} // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = std::int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = std::llabs(product);
    const std::int64_t divisor = std::llabs(std::int64_t{c});
    const std::int64_t q = (magnitude + divisor / 2) / divisor;
    return static_cast<int>(negative ? -q : q);
}

TzNWBlendPaint::TzNWBlendPaint(ui::Control* parent) : ui::Control(parent)
{
    SetBounds(Left(), Top(), 30, 30);
    SetColor(ui::clFuchsia);
}

void TzNWBlendPaint::SetSteelLook(bool steel)
{
    if (steel == steelLook_)
        return;
    steelLook_ = steel;
    Invalidate();
}

void TzNWBlendPaint::SetFillType(gradType fillType)
{
    fillType_ = fillType;
    Invalidate();
}

void TzNWBlendPaint::SetEndColor(ui::Color color)
{
    if (color == endColor_)
        return;
    endColor_ = color;
    Invalidate();
}

void TzNWBlendPaint::SetBands(int bands)
{
    if (bands == bands_)
        return;
    bands_ = bands;
    Invalidate();
}

bool TzNWBlendPaint::HitTest(ui::Point local) const
{
    return !passMouseOn_ && ui::Control::HitTest(local);
}

ui::Color TzNWBlendPaint::BandColor(int n, int steps) const
{
    const ui::Color start = GetColor();
    const auto channel = [&](std::uint8_t from, std::uint8_t to)
    {
        return static_cast<std::uint8_t>(from + MulDiv(n, int{to} - int{from}, steps));
    };
    return {channel(start.r, endColor_.r), channel(start.g, endColor_.g),
            channel(start.b, endColor_.b)};
}

void TzNWBlendPaint::Paint(ui::Canvas& canvas)
{
    if (steelLook_)
        canvas.FillPattern(ClientRect(), SteelTile());
    else if (fillType_ == gradType::gCenter)
        PaintCenter(canvas);
    else
        PaintGradient(canvas);
    if (OnPaint)
        OnPaint(*this);
}

void TzNWBlendPaint::PaintGradient(ui::Canvas& canvas) const
{
    const bool across = fillType_ == gradType::gHorz;
    const int extent = across ? Width() : Height();
    for (int n = 0; n <= bands_; ++n)
    {
        const int from = MulDiv(n, extent, bands_ + 1);
        const int to = MulDiv(n + 1, extent, bands_ + 1);
        if (to <= from)
            continue;
        const ui::Rect r =
            across ? ui::Rect{from, 0, to, Height()} : ui::Rect{0, from, Width(), to};
        canvas.FillRect(r, BandColor(n, bands_));
    }
}

void TzNWBlendPaint::PaintCenter(ui::Canvas& canvas) const
{
    const int steps = std::min({bands_, Width() / 2, Height() / 2});
    if (steps < 1)
        return;
    const int sx = std::max(1, (Width() / 2) / steps);
    const int sy = std::max(1, (Height() / 2) / steps);
    ui::Rect r = ClientRect();
    for (int n = 0; n <= steps; ++n)
    {
        const ui::Color c = BandColor(n, steps);
        if (n < steps)
        {
            canvas.FillRect({r.left, r.top, r.right, r.top + sy}, c);
            canvas.FillRect({r.left, r.top + sy, r.left + sx, r.bottom - sy}, c);
            canvas.FillRect({r.left, r.bottom - sy, r.right, r.bottom}, c);
            canvas.FillRect({r.right - sx, r.top + sy, r.right, r.bottom - sy}, c);
        }
        else
        {
            canvas.FillRect(r, c);
        }
        r = {r.left + sx, r.top + sy, r.right - sx, r.bottom - sy};
    }
}

} // namespace widgets
