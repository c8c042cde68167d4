// The controller's letter grid: four rows of cells and their keys.
#include "screens/LetterGrid.h"

#include "screens/FormData.h"
#include "ui/Types.h"

#include <array>
#include <string_view>

namespace
{

constexpr int kMargin = 12;
constexpr int kCellHeight = 26;
// The rows and the width of their cells: letters and digits narrow, the words wide.
constexpr std::array<std::string_view, 3> kCharacterRows{"ABCDEFGHIJKLM", "NOPQRSTUVWXYZ",
                                                         "0123456789"};
constexpr std::array<std::string_view, 3> kWords{"Space", "Del", "Done"};
constexpr int kNarrow = 24;
constexpr int kWide = 104;
constexpr int kRows = 4;

int RowLength(int row)
{
    return row < 3 ? static_cast<int>(kCharacterRows[static_cast<std::size_t>(row)].size())
                   : static_cast<int>(kWords.size());
}

int FirstCell(int row)
{
    int first = 0;
    for (int r = 0; r < row; ++r)
        first += RowLength(r);
    return first;
}

ui::Rect CellBounds(int row, int column)
{
    const int width = row < 3 ? kNarrow : kWide;
    return ui::Bounds(kMargin + column * width, 4 + row * kCellHeight, width, kCellHeight);
}

} // namespace

LetterGrid::LetterGrid(ui::Control& parent, int left, int top) : panel_(&parent), cursor_(&panel_)
{
    std::vector<form::Item> formData{
        form::Panel(panel_, ui::Bounds(left, top, kWidth, kHeight)).Color(ui::clBlack).Hidden(),
        form::Box(cursor_, CellBounds(0, 0), ui::clYellow, false),
    };
    const form::Text text{16, ui::clWhite};
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < RowLength(row); ++column)
        {
            const std::string caption =
                row < 3 ? std::string(1, kCharacterRows[static_cast<std::size_t>(row)]
                                                       [static_cast<std::size_t>(column)])
                        : std::string(kWords[static_cast<std::size_t>(column)]);
            const ui::Rect cell = CellBounds(row, column);
            cells_.push_back(std::make_unique<ui::Label>(&panel_));
            formData.push_back(form::Label(*cells_.back(), cell.left, cell.top + 2, caption, text)
                                   .Size(cell.Width(), kCellHeight - 4)
                                   .Align(ui::Alignment::Center)
                                   .Transparent());
        }
    form::Build(formData);
}

const std::string& LetterGrid::Current() const
{
    return cells_[static_cast<std::size_t>(FirstCell(row_) + column_)]->Caption();
}

bool LetterGrid::Take(int& key)
{
    switch (key)
    {
    case ui::vk::Left:
        Move(0, -1);
        return true;
    case ui::vk::Right:
        Move(0, 1);
        return true;
    case ui::vk::Up:
        Move(-1, 0);
        return true;
    case ui::vk::Down:
        Move(1, 0);
        return true;
    case ui::vk::Return:
        if (row_ < 3)
            key = Current()[0];
        else
            key = column_ == 0 ? ui::vk::Space : column_ == 1 ? ui::vk::Back : ui::vk::Return;
        return false;
    case ui::vk::Escape:
        key = ui::vk::Back;
        return false;
    case ui::vk::Pause:
        key = ui::vk::Return;
        return false;
    default:
        return false;
    }
}

void LetterGrid::Move(int rows, int columns)
{
    if (rows != 0)
    {
        // Into a shorter row the cursor keeps as near its place across as that row allows.
        const int across = CellBounds(row_, column_).left;
        row_ = (row_ + rows + kRows) % kRows;
        column_ = 0;
        while (column_ + 1 < RowLength(row_) && CellBounds(row_, column_ + 1).left <= across)
            ++column_;
    }
    column_ = (column_ + columns + RowLength(row_)) % RowLength(row_);
    PlaceCursor();
}

void LetterGrid::PlaceCursor()
{
    const ui::Rect cell = CellBounds(row_, column_);
    cursor_.SetBounds(cell.left, cell.top, cell.Width(), cell.Height());
}
