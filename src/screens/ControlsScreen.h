// TKeyForm: the controls screen: the twelve direction keys shown by name, redefined by clicking a
// direction's box and pressing a key, and stored on "Save Settings".
#pragma once

#include "screens/Focus.h"
#include "screens/Screen.h"
#include "ui/Control.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// One entry of the key-name table.
struct TKeys
{
    std::uint16_t Code = 0; // virtual-key code
    std::string Name;
};

class TKeyForm final : public Screen
{
public:
    static constexpr std::size_t kKeyCount = 75;
    // The pen of a key box and its name box while their direction waits for a key.
    static constexpr ui::Color kSelected{255, 94, 94};
    static constexpr ui::Color kUnselected = ui::clBlue;

    TKeyForm(ui::Platform& app, Navigator& navigator, Session& session);
    ~TKeyForm() override;

    // The keys that can be assigned, in their fixed order; filled by InitKeys.
    const std::array<TKeys, kKeyCount>& Keys() const { return keys_; }

    // Fills the key-name table.
    void InitKeys();
    // The name of a key code; "None" for 0 and for any code outside the table.
    std::string Normal(int code) const;
    // The code of a key name (letter case counts); 0 for "None" and any text outside the table.
    int KeyInt(std::string_view name) const;
    // Every key box and name box unselected.
    void BlueBox();

    // Handlers.
    void FormCreate();
    void FormShow() override;
    // While no box waits for a key, the arrows, Tab and Shift+Tab move the focus through the
    // twelve boxes and the two buttons, and Enter acts on the focused one as a click does.
    void FormKeyDown(ui::Form& sender, int& key) override;
    // While a direction waits for its key, every key is the game's, F11 and Enter too.
    bool ClaimsKey(int key) const override;
    void ShowControllerNames();
    void ShapeLMouseDown();
    void ShapeUMouseDown();
    void ShapeRMouseDown();
    void ShapeDMouseDown();
    void ShapeL1MouseDown();
    void ShapeU1MouseDown();
    void ShapeR1MouseDown();
    void ShapeD1MouseDown();
    void ShapeL2MouseDown();
    void ShapeU2MouseDown();
    void ShapeR2MouseDown();
    void ShapeD2MouseDown();
    // "Save Settings": stores the twelve names as codes and reloads the bindings; a failed write
    // throws and leaves the rest undone.
    void Image13Click();
    // "Cancel Settings".
    void Image14Click();
    void Image13MouseDown();
    void Image13MouseUp();
    void Image14MouseDown();
    void Image14MouseUp();

    // Form data.
    ui::Panel Panel1;
    ui::Label Label13; // "Controls"
    ui::Label Label14; // "Single Game"
    ui::Panel Panel2;  // single game group
    ui::Shape ShapeL;
    ui::Image Image1;
    ui::Shape ShapeLs;
    ui::Label LabelL;
    ui::Shape ShapeU;
    ui::Image Image3;
    ui::Shape ShapeUs;
    ui::Label LabelU;
    ui::Shape ShapeR;
    ui::Image Image2;
    ui::Shape ShapeRs;
    ui::Label LabelR;
    ui::Shape ShapeD;
    ui::Image Image4;
    ui::Shape ShapeDs;
    ui::Label LabelD;
    ui::Label Label15; // "Death Match"
    ui::Label Label16; // "Player 1"
    ui::Label Label17; // "Player 2"
    ui::Panel Panel3;  // player 1 group
    ui::Shape ShapeL1;
    ui::Image Image5;
    ui::Shape ShapeLs1;
    ui::Label LabelL1;
    ui::Shape ShapeU1;
    ui::Image Image7;
    ui::Shape ShapeUs1;
    ui::Label LabelU1;
    ui::Shape ShapeR1;
    ui::Image Image6;
    ui::Shape ShapeRs1;
    ui::Label LabelR1;
    ui::Shape ShapeD1;
    ui::Image Image8;
    ui::Shape ShapeDs1;
    ui::Label LabelD1;
    ui::Panel Panel4; // player 2 group
    ui::Shape ShapeL2;
    ui::Image Image9;
    ui::Shape ShapeLs2;
    ui::Label LabelL2;
    ui::Shape ShapeU2;
    ui::Image Image11;
    ui::Shape ShapeUs2;
    ui::Label LabelU2;
    ui::Shape ShapeR2;
    ui::Image Image10;
    ui::Shape ShapeRs2;
    ui::Label LabelR2;
    ui::Shape ShapeD2;
    ui::Image Image12;
    ui::Shape ShapeDs2;
    ui::Label LabelD2;
    ui::Image Image13; // Save Settings
    ui::Label Label18;
    ui::Label Label5; // Cancel Settings
    ui::Image Image14;
    // The controller bound to each player, under that player's boxes (empty when none).
    ui::Label ControllerName;
    ui::Label ControllerName1;
    ui::Label ControllerName2;

private:
    // A direction's three controls.
    struct Direction
    {
        ui::Shape* box;
        ui::Image* picture;
        ui::Shape* nameBox;
        ui::Label* label;
    };

    // The twelve directions in the order of the session's bindings: L, R, U, D of the single
    // game, player 1, player 2.
    std::array<Direction, 12> Directions();
    void Select(ui::Shape& box, ui::Shape& nameBox);
    // The direction whose box waits for a key, or -1.
    int Waiting() const;
    // The focus on the twelve directions, then Save, then Cancel.
    void ShowFocus(int item, bool focused);
    void Activate(int item);

    std::array<TKeys, kKeyCount> keys_;

public:
    const Focus& KeyFocus() const { return focus_; }

private:
    Focus focus_;
};
