// CellGrid: a drawing surface divided into square cells, each painted with a picture or erased to
// the grid's colour; cell (1, 1) is the top-left one.
#pragma once

#include "ui/Control.h"

namespace widgets
{

class CellGrid final : public ui::PaintBox
{
public:
    // Cells pitch pixels apart and size pixels square; what lies between them is never painted.
    CellGrid(ui::Control* parent, int pitch, int size, ui::Color colour);

    // The top-left pixel of cell (x, y)'s square on the surface.
    ui::Point CellOrigin(int x, int y) const;
    // picture at its own size from the cell's corner; an empty picture paints nothing.
    void DrawCell(const ui::Bitmap& picture, int x, int y);
    void EraseCell(int x, int y);
    // Every cell from (1, 1) to (count, count) erased.
    void EraseCells(int count);

private:
    int pitch_;
    int size_;
    ui::Color colour_;
};

} // namespace widgets
