// TSkillForm: the skill settings screen: choosing the level, the Custom values' spin buttons with
// their repeat, and storing and applying both when the screen closes.
#include "screens/SkillScreen.h"

#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "ui/Fonts.h"
#include "ui/Platform.h"

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>

namespace
{

constexpr ui::Color kGrey{142, 142, 142};
constexpr int kSpinShift = 2;
constexpr int kRepeatInterval = 100;
// The level names' left edge, the Custom values' left edge and the two columns of spin arrows.
constexpr int kLevelNameLeft = 56;
constexpr int kCustomValueLeft = 432;
constexpr int kSpinDownLeft = 420;
constexpr int kSpinUpLeft = 462;
// Within a line of the Custom captions, with a pixel clear above and below.
constexpr int kSpinHeight = 13;
// The Custom level's captions and values: the top of their first line.
constexpr int kCustomTop = 403;

// The descriptions, the fixed values and the Custom values.
constexpr form::Text kText{13, ui::clWhite, true};
const ui::Font kTextFont{"Comic Sans MS", kText.height, kText.bold, kText.color};

// A block of items, one per line, as high as its lines. It is wrapped halfway between its widest
// item and the narrowest item followed by the next one's first word: the face rasterised at a
// scale is a few pixels wider or narrower than at design size, and so neither breaks an item in
// two (a fourth line would put every value beside the wrong caption) nor joins two.
form::Item Block(ui::Label& label, int left, int top, std::initializer_list<const char*> items)
{
    int widest = 0;
    int narrowestPair = std::numeric_limits<int>::max();
    std::string caption;
    std::string previous;
    for (const char* item : items)
    {
        const std::string text(item);
        widest = std::max(widest, ui::TextExtent(kTextFont, text).width);
        if (!previous.empty())
        {
            const std::string pair = previous + " " + text.substr(0, text.find(' '));
            narrowestPair = std::min(narrowestPair, ui::TextExtent(kTextFont, pair).width);
        }
        caption += (caption.empty() ? "" : " ") + text;
        previous = text;
    }
    const int width = items.size() > 1 ? (widest + narrowestPair) / 2 : widest;
    return form::Label(label, left, top, caption, kText)
        .Size(width, ui::LineHeight(kTextFont) * static_cast<int>(items.size()))
        .Wrap();
}

void Sink(ui::Control& control, int shift)
{
    control.SetBounds(control.Left() + shift, control.Top() + shift, control.Width(),
                      control.Height());
}

} // namespace

TSkillForm::TSkillForm(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Label111(&Panel1), Label222(&Panel1),
      BLabel(&Panel1), ALabel(&Panel1), PLabel(&Panel1), ELabel(&Panel1), CLabel(&Panel1),
      Label6(&Panel1), Label7(&Panel1), Label8(&Panel1), Label10(&Panel1), Label9(&Panel1),
      Label60(&Panel1), Label70(&Panel1), Label80(&Panel1), Label100(&Panel1), Label1(&Panel1),
      Label2(&Panel1), Label3(&Panel1), cdk1(&Panel1), CDK2(&Panel1), CDK3(&Panel1), CDK4(&Panel1),
      CDK5(&Panel1), CDK6(&Panel1), Image4(&Panel1), Label999(&Panel1),
      values_(3,
              [this](int value, bool focused)
              {
                  ui::Label* labels[] = {&Label1, &Label2, &Label3};
                  labels[value]->SetFontColor(focused ? ui::clYellow : ui::clWhite);
              })
{

    using widgets::TRotation;
    const form::Text level{35, ui::clYellow};
    const auto descriptions = {"Turn probability:", "Timer interval:", "CPU worms:"};
    // Each Custom value on its caption's line, between the two columns of spin arrows.
    const int line = ui::LineHeight(kTextFont);
    const auto spin =
        [&](widgets::TCDKShape& arrow, int value, TRotation rotation, auto down, auto up)
    {
        const int left = rotation == TRotation::_270 ? kSpinDownLeft : kSpinUpLeft;
        return form::Arrow(arrow, ui::Bounds(left, kCustomTop + line * value + 1, 9, kSpinHeight),
                           rotation, ui::clBlue)
            .OnMouse(Bind(this, down), Bind(this, up), {});
    };
    const form::Item formData[] = {
        form::Panel(Panel1, ui::Bounds(0, 0, 561, 529)),
        form::Label(Label111, 8, 8, "Settings", {35, ui::clRed}),
        form::Label(Label222, 16, 64, "Select your skill level", {24, ui::clWhite}),
        form::Label(BLabel, kLevelNameLeft, 122, "Beginner", level)
            .OnClick(Bind(this, &TSkillForm::BLabelClick)),
        form::Label(ALabel, kLevelNameLeft, 194, "Amateur", level)
            .OnClick(Bind(this, &TSkillForm::ALabelClick)),
        form::Label(PLabel, kLevelNameLeft, 266, "Professional", level)
            .OnClick(Bind(this, &TSkillForm::PLabelClick)),
        form::Label(ELabel, kLevelNameLeft, 338, "Master", level)
            .OnClick(Bind(this, &TSkillForm::ELabelClick)),
        form::Label(CLabel, kLevelNameLeft, 410, "Custom", level)
            .OnClick(Bind(this, &TSkillForm::CLabelClick)),
        Block(Label6, 296, 115, descriptions),
        Block(Label7, 296, 187, descriptions),
        Block(Label8, 296, 259, descriptions),
        Block(Label10, 296, 331, descriptions),
        Block(Label9, 296, kCustomTop, descriptions),
        Block(Label60, 424, 115, {"1/10", "120", "2"}),
        Block(Label70, 424, 187, {"1/8", "110", "3"}),
        Block(Label80, 424, 259, {"1/6", "100", "4"}),
        Block(Label100, 424, 331, {"1/6", "80", "8"}),
        form::Label(Label1, kCustomValueLeft, kCustomTop, "1/99", kText),
        form::Label(Label2, kCustomValueLeft, kCustomTop + line, "999", kText),
        form::Label(Label3, kCustomValueLeft, kCustomTop + 2 * line, "3", kText),
        spin(cdk1, 0, TRotation::_270, &TSkillForm::cdk1MouseDown, &TSkillForm::cdk1MouseUp),
        spin(CDK2, 0, TRotation::_090, &TSkillForm::CDK2MouseDown, &TSkillForm::CDK2MouseUp),
        spin(CDK3, 1, TRotation::_270, &TSkillForm::CDK3MouseDown, &TSkillForm::CDK3MouseUp),
        spin(CDK4, 1, TRotation::_090, &TSkillForm::CDK4MouseDown, &TSkillForm::CDK4MouseUp),
        spin(CDK5, 2, TRotation::_270, &TSkillForm::CDK5MouseDown, &TSkillForm::CDK5MouseUp),
        spin(CDK6, 2, TRotation::_090, &TSkillForm::CDK6MouseDown, &TSkillForm::CDK6MouseUp),
        form::Button(Image4, 24, 496)
            .OnMouse(Bind(this, &TSkillForm::Image4MouseDown),
                     Bind(this, &TSkillForm::Image4MouseUp), Bind(this, &TSkillForm::Image4Click)),
        form::Label(Label999, 64, 496, "Main Menu", {19, ui::clWhite}),
    };
    form::Build(formData);
    // A level's focus is its choice, which only a click or Up and Down change: the mouse passing
    // over a level must not choose it. Each Custom value takes the focus with its spin arrows.
    const std::pair<ui::Control*, int> values[] = {{&Label1, 0}, {&cdk1, 0}, {&CDK2, 0},
                                                   {&Label2, 1}, {&CDK3, 1}, {&CDK4, 1},
                                                   {&Label3, 2}, {&CDK5, 2}, {&CDK6, 2}};
    for (const auto& [control, value] : values)
        values_.Follow(*control, value);

    Timer1.SetEnabled(false);
    Timer1.SetInterval(kRepeatInterval);
    Timer1.SetOnTimer([this](widgets::TzcTimer&) { Timer1Timer(); });
    FormCreate();
}

TSkillForm::~TSkillForm()
{
    Timer1.SetEnabled(false);
}

void TSkillForm::FormCreate()
{
    SetupPanel(Panel1);
    for (int row = 2; row <= 5; ++row)
        SetRow(row, false);
    SetCInActive();
}

void TSkillForm::FormShow()
{
    // Each opening starts as a mouse user sees it.
    values_.Clear();
    const TIniFile& ini = session_.Ini;
    // Clamped like the game reads them, so a hand-edited value cannot step from outside its range.
    Set(Value::Prob, settings::Read(ini, settings::kCustomProb));
    Set(Value::Timer, settings::Read(ini, settings::kCustomTimer));
    Set(Value::Worms, settings::Read(ini, settings::kCustomWorms));
    switch (session_.Skill.level)
    {
    case 1:
        BLabelClick();
        break;
    case 2:
        ALabelClick();
        break;
    case 3:
        PLabelClick();
        break;
    case 4:
        ELabelClick();
        break;
    case 5:
        CLabelClick();
        break;
    default:
        break;
    }
}

void TSkillForm::FormHide()
{
    // A spin button still held when the screen closes must not go on changing a value that is
    // about to be stored.
    Timer1.SetEnabled(false);
    repeat_ = RepeatMode::None;
    TIniFile& ini = session_.Ini;
    // One replacement of the file, and none when it holds these values already: closing the
    // screen then waits for no disk.
    TIniFile::Batch batch(ini);
    settings::Write(ini, settings::kSkill, session_.Skill.level);
    settings::Write(ini, settings::kCustomProb, Get(Value::Prob));
    settings::Write(ini, settings::kCustomTimer, Get(Value::Timer));
    settings::Write(ini, settings::kCustomWorms, Get(Value::Worms));
    batch.Commit();
    session_.SetSkill();
}

void TSkillForm::FormKeyDown(ui::Form&, int& key)
{
    switch (key)
    {
    case ui::vk::Return:
    case ui::vk::Escape:
        Close();
        return;
    case ui::vk::Up:
    case ui::vk::Down:
        if (const int level = session_.Skill.level + (key == ui::vk::Down ? 1 : -1);
            level >= 1 && level <= 5)
            SelectLevel(level);
        return;
    case ui::vk::Tab:
        if (session_.Skill.level == 5)
            values_.Move(App().ShiftHeld() ? -1 : 1);
        return;
    case ui::vk::Left:
    case ui::vk::Right:
        if (values_.Shown())
            Step(static_cast<Value>(values_.Item()), key == ui::vk::Right ? 1 : -1);
        return;
    default:
        return;
    }
}

void TSkillForm::BLabelClick()
{
    SelectLevel(1);
}

void TSkillForm::ALabelClick()
{
    SelectLevel(2);
}

void TSkillForm::PLabelClick()
{
    SelectLevel(3);
}

void TSkillForm::ELabelClick()
{
    SelectLevel(4);
}

void TSkillForm::CLabelClick()
{
    SelectLevel(5);
}

void TSkillForm::SelectLevel(int level)
{
    session_.Pop.Play();
    // The skill parameters follow only when the screen closes.
    session_.Skill.level = level;
    if (level != 5)
        values_.Clear();
    for (int row = 1; row <= 5; ++row)
        SetRow(row, row == level);
    if (level == 5)
        SetCActive();
    else
        SetCInActive();
}

void TSkillForm::SetRow(int row, bool selected)
{
    const ui::Color name = selected ? ui::clYellow : kGrey;
    const ui::Color text = selected ? ui::clWhite : kGrey;
    switch (row)
    {
    case 1:
        BLabel.SetFontColor(name);
        Label6.SetFontColor(text);
        Label60.SetFontColor(text);
        break;
    case 2:
        ALabel.SetFontColor(name);
        Label7.SetFontColor(text);
        Label70.SetFontColor(text);
        break;
    case 3:
        PLabel.SetFontColor(name);
        Label8.SetFontColor(text);
        Label80.SetFontColor(text);
        break;
    case 4:
        ELabel.SetFontColor(name);
        Label10.SetFontColor(text);
        Label100.SetFontColor(text);
        break;
    case 5:
        CLabel.SetFontColor(name);
        Label9.SetFontColor(text);
        Label1.SetFontColor(text);
        Label2.SetFontColor(text);
        Label3.SetFontColor(text);
        break;
    default:
        break;
    }
}

void TSkillForm::SetCActive()
{
    SetRow(5, true);
    values_.Refresh();
    for (widgets::TCDKShape* button : {&cdk1, &CDK2, &CDK3, &CDK4, &CDK5, &CDK6})
        button->SetVisible(true);
}

void TSkillForm::SetCInActive()
{
    SetRow(5, false);
    for (widgets::TCDKShape* button : {&cdk1, &CDK2, &CDK3, &CDK4, &CDK5, &CDK6})
        button->SetVisible(false);
}

int TSkillForm::Get(Value value) const
{
    switch (value)
    {
    case Value::Prob:
        // The label holds "1/" and the denominator.
        return std::stoi(Label1.Caption().substr(2));
    case Value::Timer:
        return std::stoi(Label2.Caption());
    case Value::Worms:
        return std::stoi(Label3.Caption());
    }
    return 0;
}

void TSkillForm::Set(Value value, int number)
{
    switch (value)
    {
    case Value::Prob:
        Label1.SetCaption("1/" + std::to_string(number));
        break;
    case Value::Timer:
        Label2.SetCaption(std::to_string(number));
        break;
    case Value::Worms:
        Label3.SetCaption(std::to_string(number));
        break;
    }
}

void TSkillForm::Step(Value value, int delta)
{
    const settings::Key& key = value == Value::Prob    ? settings::kCustomProb
                               : value == Value::Timer ? settings::kCustomTimer
                                                       : settings::kCustomWorms;
    const int current = Get(value);
    if ((delta < 0 && current <= key.lo) || (delta > 0 && current >= key.hi))
        return;
    Set(value, current + delta);
}

void TSkillForm::SpinDown(widgets::TCDKShape& button, Value value, int delta, RepeatMode mode)
{
    Sink(button, kSpinShift);
    Step(value, delta);
    if (mode == RepeatMode::None)
        return;
    repeat_ = mode;
    Timer1.SetEnabled(true);
}

void TSkillForm::SpinUp(widgets::TCDKShape& button, bool repeats)
{
    Sink(button, -kSpinShift);
    if (repeats)
        Timer1.SetEnabled(false);
}

void TSkillForm::cdk1MouseDown()
{
    SpinDown(cdk1, Value::Prob, -1, RepeatMode::ProbDown);
}

void TSkillForm::CDK2MouseDown()
{
    SpinDown(CDK2, Value::Prob, +1, RepeatMode::ProbUp);
}

void TSkillForm::CDK3MouseDown()
{
    SpinDown(CDK3, Value::Timer, -1, RepeatMode::TimerDown);
}

void TSkillForm::CDK4MouseDown()
{
    SpinDown(CDK4, Value::Timer, +1, RepeatMode::TimerUp);
}

void TSkillForm::CDK5MouseDown()
{
    SpinDown(CDK5, Value::Worms, -1, RepeatMode::None);
}

void TSkillForm::CDK6MouseDown()
{
    SpinDown(CDK6, Value::Worms, +1, RepeatMode::None);
}

void TSkillForm::cdk1MouseUp()
{
    SpinUp(cdk1, true);
}

void TSkillForm::CDK2MouseUp()
{
    SpinUp(CDK2, true);
}

void TSkillForm::CDK3MouseUp()
{
    SpinUp(CDK3, true);
}

void TSkillForm::CDK4MouseUp()
{
    SpinUp(CDK4, true);
}

void TSkillForm::CDK5MouseUp()
{
    SpinUp(CDK5, false);
}

void TSkillForm::CDK6MouseUp()
{
    SpinUp(CDK6, false);
}

void TSkillForm::Timer1Timer()
{
    switch (repeat_)
    {
    case RepeatMode::ProbDown:
        Step(Value::Prob, -1);
        break;
    case RepeatMode::ProbUp:
        Step(Value::Prob, +1);
        break;
    case RepeatMode::TimerDown:
        Step(Value::Timer, -1);
        break;
    case RepeatMode::TimerUp:
        Step(Value::Timer, +1);
        break;
    case RepeatMode::None:
        break;
    }
}

void TSkillForm::Image4Click()
{
    Close();
}

void TSkillForm::Image4MouseDown()
{
    ScreenButtonDown(Image4);
}

void TSkillForm::Image4MouseUp()
{
    ScreenButtonUp(Image4);
}
