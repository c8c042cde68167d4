// TForm2: the statistics screen: one level's records table of seven users and the captions that
// choose the level.
#pragma once

#include "records/Records.h"
#include "screens/Screen.h"
#include "ui/Control.h"

#include <array>
#include <optional>

class TForm2 final : public Screen
{
public:
    TForm2(ui::Platform& app, Navigator& navigator, Session& session);
    ~TForm2() override;

    // Fills the table for a level from the settings file and makes its caption yellow; Custom
    // (5) shows Professional.
    void UpdateAll(int level);
    // Shown modally at the end of a game with the current level's table as the game wrote it,
    // which is not read again; returns when the player closes it.
    void ShowGameResult(const records::Table& table);
    // The level whose caption is yellow: 1 to 4, or 0 before the first UpdateAll.
    int ShownLevel() const;
    // The row (1 to 7) that Enter watches, 0 for none.
    int PickedRow() const { return picked_; }
    // Plays the best game kept of row's user at the shown level, or says in ReplayMessage that
    // there is none.
    void WatchRow(int row);

    // Handlers.
    void FormCreate();
    void FormShow() override;
    void FormKeyDown(ui::Form& sender, int& key) override;
    void BLabelClick();
    void ALabelClick();
    void PLabelClick();
    void ELabelClick();
    void Image13Click();

    // Form data.
    ui::Panel Panel1;
    ui::Label Label1; // title
    // The table's grid: the filled row boxes Shape1 to Shape8 first, then the unfilled column
    // boxes Shape9 to Shape11 over them.
    ui::Shape Shape1, Shape2, Shape3, Shape4, Shape5, Shape6, Shape7, Shape8;
    ui::Shape Shape9, Shape10, Shape11;
    ui::Label Label2; // header: Name, Games, Eaten, Average, HiScore
    ui::Label Label3;
    ui::Label Label4;
    ui::Label Label5;
    ui::Label Label6;
    ui::Label NL1, NL2, NL3, NL4, NL5, NL6, NL7;
    ui::Label GP1, GP2, GP3, GP4, GP5, GP6, GP7;
    ui::Label E1, E2, E3, E4, E5, E6, E7;
    ui::Label A1, A2, A3, A4, A5, A6, A7;
    ui::Label S1, S2, S3, S4, S5, S6, S7;
    ui::Label BLabel;
    ui::Label ALabel;
    ui::Label PLabel;
    ui::Label ELabel;
    ui::Image Image13; // Continue
    ui::Label Label40;
    ui::Label ReplayMessage; // beside Continue: why a picked row plays nothing

private:
    void ShowTable(int level, const records::Table& table);

    // The table a game's end hands over, shown instead of the file's at the next showing. It
    // lives until ShowGameResult returns: the showing reads it in place.
    std::optional<records::Table> handedOver_;
    // Shown over a finished game, whose screen is still in use: nothing is watched from here.
    bool overGame_ = false;
    int picked_ = 0;
    void Pick(int row);
    // Rows 1 to 7 at indices 0 to 6.
    std::array<ui::Label*, 7> names_;
    std::array<ui::Label*, 7> games_;
    std::array<ui::Label*, 7> eaten_;
    std::array<ui::Label*, 7> averages_;
    std::array<ui::Label*, 7> scores_;
    // Beginner, Amateur, Professional, Master.
    std::array<ui::Label*, 4> captions_;
};
