// TForm2: the statistics screen: the records table of the shown level, its level captions and keys.
#include "screens/StatisticsScreen.h"

#include "play/ReplayFile.h"
#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "settings/NumberText.h"
#include "settings/ReplayStore.h"

#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr ui::Color kShownCaption = ui::clYellow;
constexpr ui::Color kPickedName = ui::clYellow;
constexpr ui::Color kOtherCaption{142, 142, 142};

constexpr int kRowLeft = 16;
constexpr int kFirstRowTop = 88;
constexpr int kRowPitch = 32;
constexpr int kFirstDataTop = 124;
constexpr int kCaptionTop = 356;
constexpr int kGamesColumnLeft = 224;

} // namespace

TForm2::TForm2(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Label1(&Panel1), Shape1(&Panel1),
      Shape2(&Panel1), Shape3(&Panel1), Shape4(&Panel1), Shape5(&Panel1), Shape6(&Panel1),
      Shape7(&Panel1), Shape8(&Panel1), Shape9(&Panel1), Shape10(&Panel1), Shape11(&Panel1),
      Label2(&Panel1), Label3(&Panel1), Label4(&Panel1), Label5(&Panel1), Label6(&Panel1),
      NL1(&Panel1), NL2(&Panel1), NL3(&Panel1), NL4(&Panel1), NL5(&Panel1), NL6(&Panel1),
      NL7(&Panel1), GP1(&Panel1), GP2(&Panel1), GP3(&Panel1), GP4(&Panel1), GP5(&Panel1),
      GP6(&Panel1), GP7(&Panel1), E1(&Panel1), E2(&Panel1), E3(&Panel1), E4(&Panel1), E5(&Panel1),
      E6(&Panel1), E7(&Panel1), A1(&Panel1), A2(&Panel1), A3(&Panel1), A4(&Panel1), A5(&Panel1),
      A6(&Panel1), A7(&Panel1), S1(&Panel1), S2(&Panel1), S3(&Panel1), S4(&Panel1), S5(&Panel1),
      S6(&Panel1), S7(&Panel1), BLabel(&Panel1), ALabel(&Panel1), PLabel(&Panel1), ELabel(&Panel1),
      Image13(&Panel1), Label40(&Panel1),
      ReplayMessage(&Panel1), names_{&NL1, &NL2, &NL3, &NL4, &NL5, &NL6, &NL7}, games_{&GP1, &GP2,
                                                                                       &GP3, &GP4,
                                                                                       &GP5, &GP6,
                                                                                       &GP7},
      eaten_{&E1, &E2, &E3, &E4, &E5, &E6, &E7}, averages_{&A1, &A2, &A3, &A4, &A5, &A6, &A7},
      scores_{&S1, &S2, &S3, &S4, &S5, &S6, &S7}, captions_{&BLabel, &ALabel, &PLabel, &ELabel}
{
    const form::Text header{16, ui::clYellow};
    const form::Text cell{16, ui::clWhite};
    const form::Text level{21, kOtherCaption};
    std::vector<form::Item> formData{
        form::Panel(Panel1, ui::Bounds(0, 0, 577, 449)),
        form::Label(Label1, 8, 0, "Statistics", {35, ui::clRed}),
    };
    // The table's grid: the filled row boxes first, then the unfilled column boxes over them.
    ui::Shape* rows[] = {&Shape1, &Shape2, &Shape3, &Shape4, &Shape5, &Shape6, &Shape7, &Shape8};
    for (int i = 0; i < 8; ++i)
        formData.push_back(form::Box(*rows[i],
                                     ui::Bounds(kRowLeft, kFirstRowTop + kRowPitch * i, 545, 33),
                                     ui::clBlue, true));
    formData.insert(
        formData.end(),
        {
            form::Box(Shape9, ui::Bounds(kGamesColumnLeft, kFirstRowTop, 81, 257), ui::clBlue,
                      false),
            form::Box(Shape10, ui::Bounds(304, kFirstRowTop, 81, 257), ui::clBlue, false),
            form::Box(Shape11, ui::Bounds(384, kFirstRowTop, 97, 257), ui::clBlue, false),
            form::Label(Label2, 24, 92, "Name", header),
            form::Label(Label3, 248, 92, "Games", header),
            form::Label(Label4, 336, 92, "Eaten", header),
            form::Label(Label5, 416, 92, "Average", header),
            form::Label(Label6, 496, 92, "HiScore", header),
        });
    const auto rowTop = [](int k)
    {
        return kFirstDataTop + kRowPitch * k;
    };
    // A name ends before the line between the name and games columns; a click anywhere in the
    // name's cell picks the row.
    for (int k = 0; k < 7; ++k)
        formData.push_back(form::Label(*names_[k], 24, rowTop(k), "", cell)
                               .MaxWidth(kGamesColumnLeft - 24)
                               .Size(kGamesColumnLeft - 24 - 4, 0)
                               .OnClick([this, k] { WatchRow(k + 1); }));
    const std::pair<std::array<ui::Label*, 7>*, int> numbers[] = {
        {&games_, 232}, {&eaten_, 312}, {&averages_, 408}, {&scores_, 488}};
    for (const auto& [column, left] : numbers)
        for (int k = 0; k < 7; ++k)
            formData.push_back(form::Label(*(*column)[k], left, rowTop(k), "", cell)
                                   .Size(65, 0)
                                   .Align(ui::Alignment::Right));
    formData.insert(formData.end(),
                    {
                        form::Label(BLabel, 80, kCaptionTop, "Beginner", level)
                            .OnClick(Bind(this, &TForm2::BLabelClick)),
                        form::Label(ALabel, 184, kCaptionTop, "Amateur", level)
                            .OnClick(Bind(this, &TForm2::ALabelClick)),
                        form::Label(PLabel, 288, kCaptionTop, "Professional", level)
                            .OnClick(Bind(this, &TForm2::PLabelClick)),
                        form::Label(ELabel, 424, kCaptionTop, "Master", level)
                            .OnClick(Bind(this, &TForm2::ELabelClick)),
                        form::Button(Image13, 16, 414, Bind(this, &TForm2::Image13Click)),
                        form::Label(Label40, 56, 414, "Continue", {19, ui::clWhite}),
                        form::Label(ReplayMessage, 176, 418, "", header).MaxWidth(577 - 176 - 8),
                    });
    form::Build(formData);

    // A controller's d-pad and stick work the screen as the single game's direction keys do,
    // whichever keys those are bound to.
    OnPlayerTurn = [this](ui::Form& sender, int, ui::Turn turn)
    {
        int key = session_.Bindings[0][static_cast<std::size_t>(turn)];
        FormKeyDown(sender, key);
    };
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::FormCreate()
{
    SetupPanel(Panel1);
    for (ui::Label* caption : captions_)
        caption->SetFontColor(kOtherCaption);
}

void TForm2::FormShow()
{
    if (handedOver_)
        ShowTable(session_.Skill.level, *handedOver_);
    else
        UpdateAll(session_.Skill.level);
}

void TForm2::ShowGameResult(const records::Table& table)
{
    handedOver_ = table;
    overGame_ = true;
    ShowModal();
    overGame_ = false;
    handedOver_.reset();
}

void TForm2::UpdateAll(int level)
{
    // Custom games are never recorded, so Custom shows Professional; so does any level a hand
    // edit could have left out of range.
    if (level < 1 || level > 4)
        level = 3;
    ShowTable(level, records::ReadTable(session_.Ini, level));
}

void TForm2::ShowTable(int level, const records::Table& table)
{
    // A row picked belongs to the table it was picked in: Enter after a level change closes the
    // screen rather than play another user's game, or nothing for a free row.
    Pick(0);
    ReplayMessage.SetCaption("");
    for (ui::Label* caption : captions_)
        caption->SetFontColor(kOtherCaption);
    captions_[level - 1]->SetFontColor(kShownCaption);

    for (std::size_t k = 0; k < table.size(); ++k)
    {
        const records::Row& row = table[k];
        names_[k]->SetCaption(row.name);
        // A free row shows nothing but its empty name.
        const bool shown = !row.name.empty();
        games_[k]->SetCaption(shown ? PadLeft(std::to_string(row.games), 5) : "");
        eaten_[k]->SetCaption(shown ? PadLeft(std::to_string(row.eaten), 6) : "");
        averages_[k]->SetCaption(shown ? PadLeft(row.averageText, 3) : "");
        scores_[k]->SetCaption(shown ? PadLeft(std::to_string(row.score), 3) : "");
    }
}

int TForm2::ShownLevel() const
{
    for (int i = 0; i < 4; ++i)
    {
        if (captions_[i]->Font().color == kShownCaption)
            return i + 1;
    }
    return 0;
}

// The keys: Enter plays the picked row's best game, or closes the screen when no row is picked;
// Esc closes it. The single game's Right and Left bindings step to the next and previous level,
// its Down and Up bindings pick the next and previous row with a name (from the top or the bottom
// when none is picked). Levels come first: a key bound to a level direction and a row direction
// steps the level, which no other key does, while a row can still be picked with the mouse. Of
// Right and Left, Right wins. A level change drops the pick; over a finished game no row is
// picked.
void TForm2::FormKeyDown(ui::Form&, int& key)
{
    if (key == ui::vk::Return && picked_ != 0)
    {
        WatchRow(picked_);
        return;
    }
    if (key == ui::vk::Escape || key == ui::vk::Return)
    {
        Close();
        return;
    }
    const int shown = ShownLevel();
    const std::array<int, 4>& keys = session_.Bindings[0];
    if (shown != 0 && (key == keys[engine::kRight] || key == keys[engine::kLeft]))
    {
        // As a click on the caption of the next or previous level, Master and Beginner joined.
        session_.Pop.Play();
        UpdateAll((key == keys[engine::kRight] ? shown : shown + 2) % 4 + 1);
        return;
    }
    if (!overGame_ && (key == keys[engine::kUp] || key == keys[engine::kDown]))
    {
        const int step = key == keys[engine::kDown] ? 1 : -1;
        for (int row = picked_ == 0 ? (step > 0 ? 1 : 7) : picked_ + step; row >= 1 && row <= 7;
             row += step)
            if (!names_[row - 1]->Caption().empty())
            {
                Pick(row);
                break;
            }
    }
}

void TForm2::BLabelClick()
{
    session_.Pop.Play();
    UpdateAll(1);
}

void TForm2::ALabelClick()
{
    session_.Pop.Play();
    UpdateAll(2);
}

void TForm2::PLabelClick()
{
    session_.Pop.Play();
    UpdateAll(3);
}

void TForm2::ELabelClick()
{
    session_.Pop.Play();
    UpdateAll(4);
}

void TForm2::Image13Click()
{
    Close();
}

void TForm2::Pick(int row)
{
    picked_ = row;
    for (int k = 0; k < 7; ++k)
        names_[k]->SetFontColor(k + 1 == row ? kPickedName : ui::clWhite);
}

void TForm2::WatchRow(int row)
{
    const std::string name = names_[row - 1]->Caption();
    if (overGame_ || name.empty())
        return;
    Pick(row);
    const std::optional<std::string> path = session_.Replays.BestGame(name, ShownLevel());
    if (!path)
    {
        // A long name is shortened rather than the sentence's end.
        const std::string rest = " is kept at this level";
        ReplayMessage.SetKeptEnd(rest.size());
        ReplayMessage.SetCaption("No game of " + name + rest);
        return;
    }
    const play::OpenedReplay opened = play::OpenReplay(*path);
    if (!opened.replay)
    {
        ReplayMessage.SetKeptEnd(0);
        ReplayMessage.SetCaption(opened.problem);
        return;
    }
    ReplayMessage.SetCaption("");
    navigator_.PlayReplay(*opened.replay);
}
