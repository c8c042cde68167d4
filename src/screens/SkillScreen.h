// TSkillForm: the skill settings screen: the five skill levels, the Custom level's three values
// with their spin buttons, stored and applied when the screen closes.
#pragma once

#include "screens/Focus.h"
#include "screens/Screen.h"
#include "ui/Control.h"
#include "widgets/ShapeControl.h"
#include "widgets/Timer.h"

class TSkillForm final : public Screen
{
public:
    // Which spin button the repeat timer steps while it is held.
    enum class RepeatMode
    {
        None,
        ProbDown,
        ProbUp,
        TimerDown,
        TimerUp
    };

    TSkillForm(ui::Platform& app, Navigator& navigator, Session& session);
    ~TSkillForm() override;

    RepeatMode Repeat() const { return repeat_; }

    // Handlers.
    void FormCreate();
    void FormShow() override;
    // Stores the level and the Custom values, then applies them; a failed write throws and
    // leaves the rest undone.
    void FormHide() override;
    // Enter and Esc close; Up and Down choose the level above or below; with Custom chosen, Tab
    // and Shift+Tab (a controller's shoulders) focus one of its values and Left and Right step it.
    void FormKeyDown(ui::Form& sender, int& key) override;
    void BLabelClick();
    void ALabelClick();
    void PLabelClick();
    void ELabelClick();
    void CLabelClick();
    void SetCActive();
    void SetCInActive();
    // Spin buttons: pressed (any button) they sink 2 pixels and step once; the first four then
    // repeat every 100 ms until released.
    void cdk1MouseDown();
    void CDK2MouseDown();
    void CDK3MouseDown();
    void CDK4MouseDown();
    void CDK5MouseDown();
    void CDK6MouseDown();
    void cdk1MouseUp();
    void CDK2MouseUp();
    void CDK3MouseUp();
    void CDK4MouseUp();
    void CDK5MouseUp();
    void CDK6MouseUp();
    void Timer1Timer();
    void Image4Click();
    void Image4MouseDown();
    void Image4MouseUp();

    // Form data.
    ui::Panel Panel1;
    ui::Label Label111; // "Settings"
    ui::Label Label222;
    ui::Label BLabel;
    ui::Label ALabel;
    ui::Label PLabel;
    ui::Label ELabel;
    ui::Label CLabel;
    ui::Label Label6; // descriptions of rows 1 to 5
    ui::Label Label7;
    ui::Label Label8;
    ui::Label Label10;
    ui::Label Label9;
    ui::Label Label60; // fixed values of rows 1 to 4
    ui::Label Label70;
    ui::Label Label80;
    ui::Label Label100;
    ui::Label Label1; // Custom turn probability, "1/" and the denominator
    ui::Label Label2; // Custom tick interval
    ui::Label Label3; // Custom computer worms
    widgets::TCDKShape cdk1;
    widgets::TCDKShape CDK2;
    widgets::TCDKShape CDK3;
    widgets::TCDKShape CDK4;
    widgets::TCDKShape CDK5;
    widgets::TCDKShape CDK6;
    ui::Image Image4; // Main Menu
    ui::Label Label999;
    widgets::TzcTimer Timer1;

private:
    void SelectLevel(int level);
    void SetRow(int row, bool selected);
    enum class Value
    {
        Prob,
        Timer,
        Worms
    };

    void SpinDown(widgets::TCDKShape& button, Value value, int delta, RepeatMode mode);
    void SpinUp(widgets::TCDKShape& button, bool repeats);
    // The Custom values as their labels hold them.
    int Get(Value value) const;
    void Set(Value value, int number);
    // One step of a Custom value, never past its bound.
    void Step(Value value, int delta);

    RepeatMode repeat_ = RepeatMode::None;

public:
    const Focus& ValueFocus() const { return values_; }

private:
    Focus values_;
};
