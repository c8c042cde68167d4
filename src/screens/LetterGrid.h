// The letter grid a controller types a name with: A-Z, 0-9, space, delete and done in rows, and
// a cursor the d-pad moves; the keyboard's keys stand for what it types.
#pragma once

#include "ui/Control.h"

#include <memory>
#include <string>
#include <vector>

class LetterGrid
{
public:
    static constexpr int kWidth = 337;
    static constexpr int kHeight = 112;

    // Built hidden inside parent with its top-left corner at (left, top).
    LetterGrid(ui::Control& parent, int left, int top);

    bool Visible() const { return panel_.Visible(); }
    void SetVisible(bool visible) { panel_.SetVisible(visible); }
    // The caption of the cell under the cursor.
    const std::string& Current() const;
    // A controller's key on the shown grid. The d-pad moves the cursor, wrapping, and is used up
    // (true). A becomes the key the cell under the cursor types (a letter, a digit, Space, Back,
    // or Enter for "Done"), B becomes Back and Start Enter; those go on to the boxes (false).
    bool Take(int& key);

private:
    void Move(int rows, int columns);
    void PlaceCursor();

    ui::Panel panel_;
    ui::Shape cursor_;
    std::vector<std::unique_ptr<ui::Label>> cells_;
    int row_ = 0;
    int column_ = 0;
};
