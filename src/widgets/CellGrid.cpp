// CellGrid: cells painted and erased one square at a time, each square invalidated alone.
#include "widgets/CellGrid.h"

namespace widgets
{

CellGrid::CellGrid(ui::Control* parent, int pitch, int size, ui::Color colour)
    : ui::PaintBox(parent), pitch_(pitch), size_(size), colour_(colour)
{
}

ui::Point CellGrid::CellOrigin(int x, int y) const
{
    return {pitch_ * x - size_, pitch_ * y - size_};
}

void CellGrid::DrawCell(const ui::Bitmap& picture, int x, int y)
{
    if (picture.Empty())
        return;
    const ui::Point p = CellOrigin(x, y);
    DrawPicture(p.x, p.y, picture);
    InvalidateRect(ui::Bounds(p.x, p.y, picture.Width(), picture.Height()));
}

void CellGrid::EraseCell(int x, int y)
{
    const ui::Point p = CellOrigin(x, y);
    const ui::Rect square = ui::Bounds(p.x, p.y, size_, size_);
    FillRect(square, colour_);
    InvalidateRect(square);
}

void CellGrid::EraseCells(int count)
{
    for (int x = 1; x <= count; ++x)
        for (int y = 1; y <= count; ++y)
            EraseCell(x, y);
}

} // namespace widgets
