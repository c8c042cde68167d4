// TKeyForm: the controls screen: the key-name table, selecting a direction, naming it by a key
// press, and saving or cancelling the twelve bindings.
#include "screens/ControlsScreen.h"

#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "settings/Keys.h"
#include "ui/Platform.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace
{

constexpr const char* kNone = "None";

// The size of a group's boxes and of the text in its name boxes.
struct GroupStyle
{
    int boxWidth;
    int boxHeight;
    int nameTop;
    int nameHeight;
    int fontHeight;
    const char* pictureSuffix; // "" for the large pictures, "_small" for the small ones
};

constexpr GroupStyle kSingleGroup{65, 65, 80, 25, 19, ""};
constexpr GroupStyle kDuelGroup{48, 41, 56, 17, 12, "_small"};

// The three groups of boxes: the single game's and the death match players'.
constexpr ui::Rect kSingleGroupBounds = ui::Bounds(104, 104, 321, 113);
constexpr ui::Rect kPlayer1GroupBounds = ui::Bounds(24, 296, 233, 81);
constexpr ui::Rect kPlayer2GroupBounds = ui::Bounds(272, 296, 233, 81);

// A column of a group: the key box with the worm picture centred in it, the name box below with
// its centred name. A press on the picture is a press in its key box, which lies beneath it.
void AddColumn(std::vector<form::Item>& items, const GroupStyle& style, int left,
               const char* direction, ui::Shape& box, ui::Image& picture, ui::Shape& nameBox,
               ui::Label& label, const form::Action& select)
{
    constexpr int kBoxTop = 8;
    const ui::Rect boxBounds = ui::Bounds(left, kBoxTop, style.boxWidth, style.boxHeight);
    const std::string file = std::string("worm_") + direction + style.pictureSuffix + ".bmp";
    const form::Text text{style.fontHeight, ui::clWhite};
    const int lineHeight =
        ui::LineHeight(ui::Font{"Comic Sans MS", text.height, false, text.color});
    items.push_back(
        form::Box(box, boxBounds, TKeyForm::kUnselected, false).OnMouse(select, {}, {}));
    items.push_back(form::CentredPicture(picture, boxBounds, file).OnMouse(select, {}, {}));
    items.push_back(form::Box(nameBox,
                              ui::Bounds(left, style.nameTop, style.boxWidth, style.nameHeight),
                              TKeyForm::kUnselected, true));
    // Inside the name box's outline, without a background of its own so that the outline shows,
    // and so that a name too long for the box is cut before it reaches the outline.
    items.push_back(
        form::Label(label, left + 1, style.nameTop + (style.nameHeight - lineHeight) / 2, "", text)
            .Size(style.boxWidth - 2, lineHeight)
            .Align(ui::Alignment::Center)
            .Transparent());
}

// The controller bound to a group's player, centred under the group.
form::Item ControllerLabel(ui::Label& label, ui::Rect group)
{
    const form::Text text{12, ui::clSilver};
    return form::Label(label, group.left, group.bottom + 1, "", text)
        .Size(group.Width(),
              ui::LineHeight(ui::Font{"Comic Sans MS", text.height, false, text.color}))
        .Align(ui::Alignment::Center)
        .Transparent();
}

} // namespace

TKeyForm::TKeyForm(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Label13(&Panel1), Label14(&Panel1),
      Panel2(&Panel1), ShapeL(&Panel2), Image1(&Panel2), ShapeLs(&Panel2), LabelL(&Panel2),
      ShapeU(&Panel2), Image3(&Panel2), ShapeUs(&Panel2), LabelU(&Panel2), ShapeR(&Panel2),
      Image2(&Panel2), ShapeRs(&Panel2), LabelR(&Panel2), ShapeD(&Panel2), Image4(&Panel2),
      ShapeDs(&Panel2), LabelD(&Panel2), Label15(&Panel1), Label16(&Panel1), Label17(&Panel1),
      Panel3(&Panel1), ShapeL1(&Panel3), Image5(&Panel3), ShapeLs1(&Panel3), LabelL1(&Panel3),
      ShapeU1(&Panel3), Image7(&Panel3), ShapeUs1(&Panel3), LabelU1(&Panel3), ShapeR1(&Panel3),
      Image6(&Panel3), ShapeRs1(&Panel3), LabelR1(&Panel3), ShapeD1(&Panel3), Image8(&Panel3),
      ShapeDs1(&Panel3), LabelD1(&Panel3), Panel4(&Panel1), ShapeL2(&Panel4), Image9(&Panel4),
      ShapeLs2(&Panel4), LabelL2(&Panel4), ShapeU2(&Panel4), Image11(&Panel4), ShapeUs2(&Panel4),
      LabelU2(&Panel4), ShapeR2(&Panel4), Image10(&Panel4), ShapeRs2(&Panel4), LabelR2(&Panel4),
      ShapeD2(&Panel4), Image12(&Panel4), ShapeDs2(&Panel4), LabelD2(&Panel4), Image13(&Panel1),
      Label18(&Panel1), Label5(&Panel1), Image14(&Panel1), ControllerName(&Panel1),
      ControllerName1(&Panel1), ControllerName2(&Panel1),
      focus_(
          14, [this](int item, bool focused) { ShowFocus(item, focused); },
          // A box waiting for its key keeps the focus: the mouse passing elsewhere would tell
          // the player the next key goes there.
          [this](int item)
          {
              const int waiting = Waiting();
              return waiting < 0 || waiting == item;
          })
{

    using Handler = void (TKeyForm::*)();
    const form::Text heading{19, ui::clYellow};
    const form::Text player{16, ui::clWhite};
    const form::Text button{19, ui::clWhite};
    std::vector<form::Item> formData;
    const auto add = [&formData](std::initializer_list<form::Item> items)
    {
        formData.insert(formData.end(), items);
    };
    add({
        form::Panel(Panel1, ui::Bounds(0, 0, 529, 465)),
        form::Label(Label13, 24, 16, "Controls", {35, ui::clRed}),
        form::Label(Label14, 211, 72, "Single Game", heading),
        form::Panel(Panel2, kSingleGroupBounds),
    });
    const auto column = [&](const GroupStyle& style, int left, const char* direction,
                            ui::Shape& box, ui::Image& picture, ui::Shape& nameBox,
                            ui::Label& label, Handler select)
    {
        AddColumn(formData, style, left, direction, box, picture, nameBox, label,
                  Bind(this, select));
    };
    column(kSingleGroup, 8, "left", ShapeL, Image1, ShapeLs, LabelL, &TKeyForm::ShapeLMouseDown);
    column(kSingleGroup, 88, "up", ShapeU, Image3, ShapeUs, LabelU, &TKeyForm::ShapeUMouseDown);
    column(kSingleGroup, 168, "right", ShapeR, Image2, ShapeRs, LabelR, &TKeyForm::ShapeRMouseDown);
    column(kSingleGroup, 248, "down", ShapeD, Image4, ShapeDs, LabelD, &TKeyForm::ShapeDMouseDown);
    add({
        form::Label(Label15, 208, 240, "Death Match", heading),
        form::Label(Label16, 32, 272, "Player 1", player),
        form::Label(Label17, 280, 272, "Player 2", player),
        form::Panel(Panel3, kPlayer1GroupBounds),
    });
    column(kDuelGroup, 8, "left", ShapeL1, Image5, ShapeLs1, LabelL1, &TKeyForm::ShapeL1MouseDown);
    column(kDuelGroup, 64, "up", ShapeU1, Image7, ShapeUs1, LabelU1, &TKeyForm::ShapeU1MouseDown);
    column(kDuelGroup, 120, "right", ShapeR1, Image6, ShapeRs1, LabelR1,
           &TKeyForm::ShapeR1MouseDown);
    column(kDuelGroup, 176, "down", ShapeD1, Image8, ShapeDs1, LabelD1,
           &TKeyForm::ShapeD1MouseDown);
    add({form::Panel(Panel4, kPlayer2GroupBounds)});
    column(kDuelGroup, 8, "left", ShapeL2, Image9, ShapeLs2, LabelL2, &TKeyForm::ShapeL2MouseDown);
    column(kDuelGroup, 64, "up", ShapeU2, Image11, ShapeUs2, LabelU2, &TKeyForm::ShapeU2MouseDown);
    column(kDuelGroup, 120, "right", ShapeR2, Image10, ShapeRs2, LabelR2,
           &TKeyForm::ShapeR2MouseDown);
    column(kDuelGroup, 176, "down", ShapeD2, Image12, ShapeDs2, LabelD2,
           &TKeyForm::ShapeD2MouseDown);
    add({
        form::Button(Image13, 32, 406)
            .OnMouse(Bind(this, &TKeyForm::Image13MouseDown), Bind(this, &TKeyForm::Image13MouseUp),
                     Bind(this, &TKeyForm::Image13Click)),
        form::Label(Label18, 72, 406, "Save Settings", button),
        form::Label(Label5, 324, 406, "Cancel Settings", button),
        form::Button(Image14, 468, 406)
            .OnMouse(Bind(this, &TKeyForm::Image14MouseDown), Bind(this, &TKeyForm::Image14MouseUp),
                     Bind(this, &TKeyForm::Image14Click)),
        ControllerLabel(ControllerName, kSingleGroupBounds),
        ControllerLabel(ControllerName1, kPlayer1GroupBounds),
        ControllerLabel(ControllerName2, kPlayer2GroupBounds),
    });
    form::Build(formData);
    const std::array<Direction, 12> directions = Directions();
    for (std::size_t i = 0; i < directions.size(); ++i)
        for (ui::Control* control :
             std::initializer_list<ui::Control*>{directions[i].box, directions[i].picture,
                                                 directions[i].nameBox, directions[i].label})
            focus_.Follow(*control, static_cast<int>(i));
    focus_.Follow(Image13, 12);
    focus_.Follow(Label18, 12);
    focus_.Follow(Label5, 13);
    focus_.Follow(Image14, 13);

    OnControllersChanged = [this](ui::Form&)
    {
        ShowControllerNames();
    };
    FormCreate();
}

TKeyForm::~TKeyForm() = default;

void TKeyForm::InitKeys()
{
    std::size_t i = 0;
    const auto add = [&](int code, std::string name)
    {
        keys_[i++] = TKeys{static_cast<std::uint16_t>(code), std::move(name)};
    };
    for (int n = 1; n <= 12; ++n)
        add(ui::vk::F1 + n - 1, "F" + std::to_string(n));
    add(ui::vk::Oem3, "~");
    // The backspace key is called "Del"; the Delete key keeps its own name.
    add(ui::vk::Back, "Del");
    add(ui::vk::Return, "Enter");
    add(ui::vk::Shift, "Shift");
    add(ui::vk::Control, "Ctrl");
    add(ui::vk::Menu, "Alt");
    add(ui::vk::Space, "Space");
    add(ui::vk::Left, "Left");
    add(ui::vk::Up, "Up");
    add(ui::vk::Right, "Right");
    add(ui::vk::Down, "Down");
    add(ui::vk::Insert, "Insert");
    add(ui::vk::Delete, "Delete");
    add(ui::vk::Prior, "PgUp");
    add(ui::vk::Next, "PgDn");
    add(ui::vk::End, "End");
    add(ui::vk::Home, "Home");
    for (int c = '0'; c <= '9'; ++c)
        add(c, std::string(1, static_cast<char>(c)));
    for (int c = 'A'; c <= 'Z'; ++c)
        add(c, std::string(1, static_cast<char>(c)));
    // The keypad's digits with Num Lock on, so that one player can steer on the keypad while
    // the other has the arrows; without Num Lock they are the arrows and the keys above them.
    for (int n = 0; n <= 9; ++n)
        add(ui::vk::Numpad0 + n, "Num " + std::to_string(n));
}

std::string TKeyForm::Normal(int code) const
{
    for (const TKeys& key : keys_)
        if (key.Code == code && !key.Name.empty())
            return key.Name;
    return kNone;
}

int TKeyForm::KeyInt(std::string_view name) const
{
    for (const TKeys& key : keys_)
        if (!key.Name.empty() && key.Name == name)
            return key.Code;
    return 0;
}

void TKeyForm::BlueBox()
{
    for (const Direction& d : Directions())
    {
        d.box->SetPenColor(kUnselected);
        d.nameBox->SetPenColor(kUnselected);
    }
}

std::array<TKeyForm::Direction, 12> TKeyForm::Directions()
{
    return {{
        {&ShapeL, &Image1, &ShapeLs, &LabelL},
        {&ShapeR, &Image2, &ShapeRs, &LabelR},
        {&ShapeU, &Image3, &ShapeUs, &LabelU},
        {&ShapeD, &Image4, &ShapeDs, &LabelD},
        {&ShapeL1, &Image5, &ShapeLs1, &LabelL1},
        {&ShapeR1, &Image6, &ShapeRs1, &LabelR1},
        {&ShapeU1, &Image7, &ShapeUs1, &LabelU1},
        {&ShapeD1, &Image8, &ShapeDs1, &LabelD1},
        {&ShapeL2, &Image9, &ShapeLs2, &LabelL2},
        {&ShapeR2, &Image10, &ShapeRs2, &LabelR2},
        {&ShapeU2, &Image11, &ShapeUs2, &LabelU2},
        {&ShapeD2, &Image12, &ShapeDs2, &LabelD2},
    }};
}

void TKeyForm::FormCreate()
{
    InitKeys();
    SetupPanel(Panel1);
}

void TKeyForm::ShowControllerNames()
{
    // The first controller steers the single game and player 1, the second player 2.
    ControllerName.SetCaption(App().ControllerName(1));
    ControllerName1.SetCaption(App().ControllerName(1));
    ControllerName2.SetCaption(App().ControllerName(2));
}

void TKeyForm::FormShow()
{
    focus_.Clear();
    BlueBox();
    ShowControllerNames();
    // The bindings in memory, not the file: they are what the games use.
    const std::array<Direction, 12> directions = Directions();
    for (std::size_t i = 0; i < directions.size(); ++i)
        directions[i].label->SetCaption(Normal(session_.Bindings[i / 4][i % 4]));
}

void TKeyForm::FormKeyDown(ui::Form&, int& key)
{
    if (ClaimsKey(key))
    {
        // Every key ends a selection, whether or not it names a key of the table, and the keys
        // that move the focus are bound like any other.
        for (const Direction& d : Directions())
            if (d.box->Pen().color == kSelected)
                d.label->SetCaption(Normal(key));
        BlueBox();
        focus_.Refresh();
    }
    else if (key == ui::vk::Return && focus_.Shown())
    {
        Activate(focus_.Item());
        return;
    }
    else if (const int step = FocusStep(key, App().ShiftHeld(), true); step != 0)
    {
        focus_.Move(step);
    }
    if (key == ui::vk::Escape)
        Close();
}

void TKeyForm::ShowFocus(int item, bool focused)
{
    if (item < 12)
    {
        const Direction d = Directions()[static_cast<std::size_t>(item)];
        // A box waiting for its key keeps that colour.
        if (d.box->Pen().color == kSelected)
            return;
        d.box->SetPenColor(focused ? ui::clYellow : kUnselected);
        d.nameBox->SetPenColor(focused ? ui::clYellow : kUnselected);
        return;
    }
    ui::Image& ball = item == 12 ? Image13 : Image14;
    (item == 12 ? Label18 : Label5).SetFontColor(focused ? ui::clYellow : ui::clWhite);
    if (focused)
        ScreenButtonDown(ball);
    else
        ScreenButtonUp(ball);
}

void TKeyForm::Activate(int item)
{
    if (item == 12)
        Image13Click();
    else if (item == 13)
        Image14Click();
    else
        Select(*Directions()[static_cast<std::size_t>(item)].box,
               *Directions()[static_cast<std::size_t>(item)].nameBox);
}

bool TKeyForm::ClaimsKey(int) const
{
    return Waiting() >= 0;
}

int TKeyForm::Waiting() const
{
    const std::array<const ui::Shape*, 12> boxes{&ShapeL,  &ShapeR,  &ShapeU,  &ShapeD,
                                                 &ShapeL1, &ShapeR1, &ShapeU1, &ShapeD1,
                                                 &ShapeL2, &ShapeR2, &ShapeU2, &ShapeD2};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i]->Pen().color == kSelected)
            return static_cast<int>(i);
    return -1;
}

void TKeyForm::Select(ui::Shape& box, ui::Shape& nameBox)
{
    // Unselected first: the focus may then leave the box that waited.
    BlueBox();
    const std::array<Direction, 12> directions = Directions();
    for (std::size_t i = 0; i < directions.size(); ++i)
        if (directions[i].box == &box)
            focus_.Point(static_cast<int>(i));
    box.SetPenColor(kSelected);
    nameBox.SetPenColor(kSelected);
}

void TKeyForm::ShapeLMouseDown()
{
    Select(ShapeL, ShapeLs);
}

void TKeyForm::ShapeUMouseDown()
{
    Select(ShapeU, ShapeUs);
}

void TKeyForm::ShapeRMouseDown()
{
    Select(ShapeR, ShapeRs);
}

void TKeyForm::ShapeDMouseDown()
{
    Select(ShapeD, ShapeDs);
}

void TKeyForm::ShapeL1MouseDown()
{
    Select(ShapeL1, ShapeLs1);
}

void TKeyForm::ShapeU1MouseDown()
{
    Select(ShapeU1, ShapeUs1);
}

void TKeyForm::ShapeR1MouseDown()
{
    Select(ShapeR1, ShapeRs1);
}

void TKeyForm::ShapeD1MouseDown()
{
    Select(ShapeD1, ShapeDs1);
}

void TKeyForm::ShapeL2MouseDown()
{
    Select(ShapeL2, ShapeLs2);
}

void TKeyForm::ShapeU2MouseDown()
{
    Select(ShapeU2, ShapeUs2);
}

void TKeyForm::ShapeR2MouseDown()
{
    Select(ShapeR2, ShapeRs2);
}

void TKeyForm::ShapeD2MouseDown()
{
    Select(ShapeD2, ShapeDs2);
}

void TKeyForm::Image13Click()
{
    const std::array<Direction, 12> directions = Directions();
    for (std::size_t i = 0; i < directions.size(); ++i)
        settings::Write(session_.Ini, settings::kBindings[i / 4][i % 4],
                        KeyInt(directions[i].label->Caption()));
    session_.InitKeys();
    Close();
}

void TKeyForm::Image14Click()
{
    Close();
}

void TKeyForm::Image13MouseDown()
{
    ScreenButtonDown(Image13);
}

void TKeyForm::Image13MouseUp()
{
    ScreenButtonUp(Image13);
}

void TKeyForm::Image14MouseDown()
{
    ScreenButtonDown(Image14);
}

void TKeyForm::Image14MouseUp()
{
    ScreenButtonUp(Image14);
}
