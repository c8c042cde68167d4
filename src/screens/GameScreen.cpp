// TGameForm: the game screen: form data, the match's events painted and sounded, its ticks timed,
// keys turned into (player, direction), and the scoreboard of the single game and death match.
#include "screens/GameScreen.h"

#include "assets/Assets.h"
#include "records/Records.h"
#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "settings/NumberText.h"
#include "ui/Platform.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>

namespace
{

constexpr ui::Color kBoardColour = ui::clGreen;
constexpr int kCellPitch = 15;
constexpr int kCellSize = 14;
// No worm starts above this row (the ring's top cells are (10, 5) and (20, 5)): the pause caption
// stands in the rows above it, so that a game paused before its first move hides no worm.
constexpr std::uint8_t kFirstStartRow = 5;
constexpr int kPausePadding = 6;

// The top-left pixel of a cell's square on the drawing surface.
constexpr ui::Point CellOrigin(engine::Cell c)
{
    return {kCellPitch * c.x - kCellSize, kCellPitch * c.y - kCellSize};
}

void SetSoundAsset(TWave& wave, std::string_view name)
{
    const auto bytes = assets::Find(name);
    if (!bytes.empty())
        wave.SetSound(bytes);
}

// The user's row of the table, or an empty one when the user is not in it.
const records::Row& UserRow(const records::Standing& standing)
{
    static const records::Row kNotInTable;
    return standing.slot >= 1 ? standing.table[static_cast<std::size_t>(standing.slot - 1)]
                              : kNotInTable;
}

} // namespace

TGameForm::TGameForm(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Image1(&Panel1), Label1(&Panel1),
      ScoreLabel(&Panel1), Label5(&Panel1), Label3(&Panel1), Label2(&Panel1), Image3(&Panel1),
      HiScoreLabel(&Panel1), AnimatedImage1(&Panel1), zNWBlendPaint1(&Panel1), Panel2(&Panel1),
      PaintBox1(&Panel2), Image2(&Panel2), Target(&Panel2), Target2(&Panel2), PauseLabel(&Panel2),
      zNWBlendPaint2(&Panel1), Label6(&Panel1), GL(&Panel1), Label7(&Panel1), EL(&Panel1),
      Label8(&Panel1), AL(&Panel1), Label9(&Panel1), HL(&Panel1), LLL(&Panel1),
      match_(ticker_, session.Ini, session.Replays, [this] { return Lineup(); })
{
    BuildLayout();
    OnPlayerTurn = [this](ui::Form&, int player, ui::Turn turn)
    {
        PlayerTurn(player, static_cast<std::uint8_t>(turn));
    };
    match_.OnOver = [this](const play::Over& over)
    {
        GameOver(over);
    };
    FormCreate();
}

TGameForm::~TGameForm()
{
    Timer1.SetEnabled(false);
}

void TGameForm::TimerTicker::Schedule(int intervalMs)
{
    // Stopped first, so that the first tick waits the whole new interval.
    timer_.SetEnabled(false);
    if (intervalMs > 0)
        timer_.SetInterval(intervalMs);
    timer_.SetEnabled(intervalMs > 0);
    since_ = std::chrono::steady_clock::now();
    interval_ = intervalMs;
}

bool TGameForm::TimerTicker::Stale() const
{
    return std::chrono::steady_clock::now() - since_ < std::chrono::milliseconds(interval_) / 2;
}

void TGameForm::BuildLayout()
{
    const form::Text name{19, ui::clWhite};
    const form::Text caption{13, ui::clYellow};
    const form::Text figure{13, ui::clWhite};
    const form::Item formData[] = {
        form::Panel(Panel1, ui::Bounds(0, 0, kPanelWidth, kPanelHeight)),
        form::Picture(Image1, ui::Bounds(8, 13, 16, 16), "ball_yellow.bmp"),
        // The player's name ends where the title's box begins.
        form::Label(Label1, 32, 8, "Player 1", name).MaxWidth(208 - 32),
        form::Label(ScoreLabel, 32, 32, "000", name),
        form::Label(Label5, 208, 8, "Zorbel II", {29, ui::clYellow, true})
            .Size(217, 41)
            .Align(ui::Alignment::Center)
            .Wrap(),
        // Centred under the title, the caption ends clear of the scores beside it (up to x 68 and
        // from x 572); a replay's long names are shortened, not its speed (" x1" to " x8").
        form::Label(Label3, 272, 42, "Death Match", {13, ui::clRed})
            .MaxWidth(2 * (208 + 217 / 2 - 76))
            .KeepEnd(3),
        form::Label(Label2, 536, 8, "Player 2", name),
        form::Picture(Image3, ui::Bounds(614, 13, 16, 16), "ball_blue.bmp"),
        form::Label(HiScoreLabel, 572, 32, "000", name),
        form::Animation(AnimatedImage1, ui::Bounds(96, 80, 14, 14), "strip3.bmp", ui::clBlack)
            .Frames(2, 50),
        form::Gradient(zNWBlendPaint1, ui::Bounds(8, 64, 80, 465), ui::clBlack, kBoardColour),
        form::Panel(Panel2, ui::Bounds(88, 64, 457, 465)).Color(kBoardColour),
        form::Surface(PaintBox1, ui::Bounds(8, 16, 436, 436)),
        // Line art: the grid lines must land exactly where the cells' fills end.
        form::Picture(Image2, ui::Bounds(8, 16, 436, 436), "grid.bmp")
            .Transparent(ui::clWhite)
            .Resample(ui::Resample::Exact),
        form::Animation(Target, ui::Bounds(0, 0, 13, 13), "target_yellow.bmp", kBoardColour)
            .Hidden(),
        form::Animation(Target2, ui::Bounds(0, 0, 13, 13), "target_blue.bmp", kBoardColour)
            .Hidden(),
        // Above the board and the targets, shown only while paused: once hidden, the board's own
        // picture shows through again, with nothing of the caption left on it.
        form::Label(PauseLabel, 0, 0, "Paused: press Pause to go on", {16, ui::clYellow, true})
            .Color(ui::clBlack)
            .Padding(kPausePadding)
            .Hidden(),
        form::Gradient(zNWBlendPaint2, ui::Bounds(544, 64, 80, 465), kBoardColour),
        form::Label(Label6, 128, 538, "Games:", caption),
        form::Label(GL, 176, 538, "00000", figure),
        form::Label(Label7, 232, 538, "Eaten:", caption),
        form::Label(EL, 272, 538, "00000", figure),
        form::Label(Label8, 328, 538, "Average:", caption),
        form::Label(AL, 384, 538, "00,00", figure).Size(36, 18).Align(ui::Alignment::Right),
        form::Label(Label9, 432, 538, "HiScore:", caption),
        form::Label(HL, 488, 538, "00", figure),
        form::Label(LLL, 384, 554, "-0,02", {11, ui::clRed})
            .Size(36, 15)
            .Align(ui::Alignment::Right),
    };
    form::Build(formData);

    // Stored disabled: nothing ticks until the match schedules it.
    Timer1.SetEnabled(false);
    Timer1.SetPriority(widgets::TThreadPriority::tpHigher);
    Timer1.SetInterval(100);
    Timer1.SetOnTimer(
        [this](widgets::TzcTimer& t)
        {
            if (!ticker_.Stale())
                Timer1Timer(t);
        });

    SetSoundAsset(Hrum, "hrum.wav");
    SetSoundAsset(DeadSound, "deadsound.wav");
}

void TGameForm::FormCreate()
{
    SetupPanel(Panel1);
    session_.ReadSkill();

    // Every picture is tried, so that one bad file costs only its own worm's drawing; the
    // failures are reported together, after the rest of the set-up has been done.
    std::string failures;
    const auto load = [&](ui::Bitmap& picture, int n)
    {
        try
        {
            picture =
                ui::Bitmap::LoadPicture(session_.ProgramDir + "b" + std::to_string(n) + ".bmp");
        }
        catch (const std::exception& e)
        {
            failures += (failures.empty() ? "" : "\n") + std::string(e.what());
        }
    };
    for (int n = 1; n <= engine::kComputerWorms; ++n)
        load(WormPictures[static_cast<std::size_t>(n)], n);
    load(WormPictures[0], 0);
    load(Player2Picture, 2);

    deathMatchInterval_ = settings::Read(session_.Ini, settings::kDeathMatchInterval);

    if (!failures.empty())
        App().HandleException(std::make_exception_ptr(std::runtime_error(failures)));
}

void TGameForm::ShowSingleGame()
{
    Label1.SetCaption(session_.UserName);
    Label2.SetCaption("High Score");
    Label2.SetLeft(511);
    Label3.SetVisible(false);
    ShowPlayerColours(false);
    match_.Enter(engine::Mode::Single);
    Show();
}

void TGameForm::ShowDeathMatch()
{
    Label2.SetCaption("Player 2");
    Label2.SetLeft(536);
    Label3.SetVisible(true);
    ShowPlayerColours(true);
    match_.Enter(engine::Mode::DeathMatch);
    Show();
}

play::Lineup TGameForm::Lineup() const
{
    if (match_.Model().GameMode() == engine::Mode::DeathMatch)
        return {engine::DeathMatchSkill(deathMatchInterval_), {Label1.Caption(), Label2.Caption()}};
    // The skill is read as the game starts, so that a change on the skill screen counts from
    // the next game on.
    return {session_.Skill, {session_.UserName, {}}};
}

void TGameForm::ShowPlayerColours(bool deathMatch)
{
    // In a death match each player's ball and target are its worm's colour, so that both know
    // their worm; the single game keeps its yellow.
    const std::string colour = deathMatch ? "lime" : "yellow";
    Image1.SetPicture(ui::Bitmap::Embedded("ball_" + colour + ".bmp"));
    Target.SetGlyph(ui::Bitmap::Embedded("target_" + colour + ".bmp"));
    Image3.SetVisible(deathMatch);
}

void TGameForm::FormShow()
{
    App().SetCursorVisible(false);
    // The device opens now, if it was let go at the menus, rather than for the first target
    // eaten, and stays open: opening it through a sound server would hold up that tick.
    session_.Audio.Hold(true);
    App().SetScreenSaverAllowed(false);
    // The second name ends before the ball beside it, or where the scores' column ends.
    Label2.SetMaxWidth((Image3.Visible() ? Image3.Left() : kPanelWidth) - 4 - Label2.Left());
    // The line under the board holds the logged-in player's figures, which are not a replay's:
    // over a replay it shows nothing.
    for (ui::Label* status : {&Label6, &GL, &Label7, &EL, &Label8, &AL, &Label9, &HL, &LLL})
        status->SetVisible(!match_.Replaying());
    if (match_.Replaying())
    {
        StartReplay();
        return;
    }
    match_.Enter(match_.Model().GameMode());
}

void TGameForm::FormHide()
{
    App().SetCursorVisible(true);
    App().SetScreenSaverAllowed(true);
    ShowPauseCaption(false);
    if (match_.Replaying())
    {
        Label1.SetCaption(gameCaption1_);
        Label3.SetCaption("Death Match");
        Label3.SetLeft(272);
        PauseLabel.SetCaption("Paused: press Pause to go on");
    }
    // Nothing goes on behind the menu; a single game cut short here is never recorded.
    match_.Leave();
    Target.SetVisible(false);
    Target2.SetVisible(false);
    session_.Audio.Hold(false);
}

void TGameForm::Timer1Timer(widgets::TzcTimer&)
{
    match_.Tick();
    ApplyEvents();
}

void TGameForm::GameOver(const play::Over& over)
{
    ApplyEvents();
    if (match_.Replaying())
    {
        EndReplay(over.replayMatches);
        return;
    }
    if (!over.recordError.empty())
    {
        // Shown here rather than left to the loop's handler: once the message is closed, play
        // goes on, with the table on disk as it was.
        App().ShowMessage(over.recordError);
        return;
    }
    // The next game waits until the player has seen the table the game changed.
    if (over.recorded && over.recorded->orderChanged)
    {
        // The table is a screen like the menus: the display may sleep over it.
        App().SetScreenSaverAllowed(true);
        navigator_.ShowGameResult(match_.Standing().table);
        App().SetScreenSaverAllowed(match_.Model().GamePhase() == engine::Phase::Idle);
    }
}

void TGameForm::ApplyEvents()
{
    // A handler below may show a message and let other calls run, so the list being read is
    // not the one the engine appends to.
    match_.TakeEvents(applying_);
    const bool single = match_.Model().GameMode() == engine::Mode::Single;
    for (const engine::Event& event : applying_)
    {
        switch (event.kind)
        {
        case engine::EventKind::Cleared:
            for (std::uint8_t x = 1; x <= engine::kInnerMax; ++x)
                for (std::uint8_t y = 1; y <= engine::kInnerMax; ++y)
                    DeleteSection({x, y});
            ShowStart();
            break;
        case engine::EventKind::Draw:
            DrawSection(event.who == engine::kSecondPlayer ? Player2Picture
                                                           : WormPictures[event.who],
                        event.cell);
            break;
        case engine::EventKind::Erase:
            DeleteSection(event.cell);
            break;
        case engine::EventKind::Eaten:
            Hrum.Play();
            if (single)
            {
                UpdateScoreLabel();
                // The change is the logged-in player's, which a replay's targets do not move.
                if (!match_.Replaying())
                    UpdateLLL(UserRow(match_.Standing()), match_.Model().Score());
            }
            // What changed repaints itself (the labels, the target's place): the whole screen
            // repainted at each eat cost a replay at x8 more than all its steps.
            TargetOf(event.who).SetVisible(false);
            break;
        case engine::EventKind::Died:
            DeadSound.Play();
            App().Rumble(1);
            break;
        case engine::EventKind::TargetPlaced:
            ShowTarget(event.who, event.cell);
            break;
        case engine::EventKind::TargetHidden:
            TargetOf(event.who).SetVisible(false);
            break;
        case engine::EventKind::BoutOver:
            EndBout(event.who);
            break;
        case engine::EventKind::Finished:
            break;
        }
    }
    applying_.clear();
}

void TGameForm::ShowStart()
{
    if (match_.Model().GameMode() == engine::Mode::DeathMatch)
    {
        Target2.SetVisible(true);
        UpdateScore1Label();
        UpdateScore2Label();
        return;
    }
    Target2.SetVisible(false);
    UpdateScoreLabel();
    if (match_.Replaying())
        return;
    if (records::LevelHasRecords(match_.Model().Started().skill.level))
        UpdateHiScoreLabel();
    else
    {
        HiScoreLabel.SetCaption("000");
        UpdateLLL(UserRow(match_.Standing()), 0);
    }
}

widgets::TAnimatedImage& TGameForm::TargetOf(std::uint8_t who)
{
    return who == engine::kSecondPlayer ? Target2 : Target;
}

void TGameForm::ShowTarget(std::uint8_t who, engine::Cell cell)
{
    widgets::TAnimatedImage& target = TargetOf(who);
    target.SetBounds(kCellPitch * cell.x - 6, kCellPitch * cell.y + 2, target.Width(),
                     target.Height());
    target.SetVisible(true);
}

void TGameForm::DrawSection(const ui::Bitmap& picture, engine::Cell cell)
{
    if (picture.Empty())
        return;
    const ui::Point p = CellOrigin(cell);
    PaintBox1.DrawPicture(p.x, p.y, picture);
    PaintBox1.InvalidateRect(ui::Bounds(p.x, p.y, picture.Width(), picture.Height()));
}

void TGameForm::DeleteSection(engine::Cell cell)
{
    const ui::Point p = CellOrigin(cell);
    const ui::Rect square = ui::Bounds(p.x, p.y, kCellSize, kCellSize);
    PaintBox1.FillRect(square, kBoardColour);
    PaintBox1.InvalidateRect(square);
}

static_assert(static_cast<int>(ui::Turn::Left) == engine::kLeft &&
              static_cast<int>(ui::Turn::Right) == engine::kRight &&
              static_cast<int>(ui::Turn::Up) == engine::kUp &&
              static_cast<int>(ui::Turn::Down) == engine::kDown);

void TGameForm::PlayerTurn(int player, std::uint8_t dir)
{
    // A replay takes no turns: a controller's left and right set its speed as the arrows do.
    if (match_.Replaying())
    {
        constexpr int kArrows[] = {ui::vk::Left, ui::vk::Right, ui::vk::Up, ui::vk::Down};
        ReplayKey(kArrows[dir]);
        return;
    }
    // A controller's turn is that player's direction key, whatever keys the players share.
    const engine::PlayerTurn turn{static_cast<std::uint8_t>(player), dir};
    match_.Key(std::span(&turn, 1));
}

std::size_t TGameForm::TurnsOf(int key, std::array<engine::PlayerTurn, 8>& turns) const
{
    std::size_t count = 0;
    const auto match = [&](std::uint8_t player, const std::array<int, 4>& bindings)
    {
        for (std::uint8_t d = engine::kLeft; d <= engine::kDown; ++d)
            if (bindings[d] == key)
                turns[count++] = {player, d};
    };
    if (match_.Model().GameMode() == engine::Mode::Single)
    {
        match(1, session_.Bindings[0]);
        return count;
    }
    // Both players' bindings are compared and none ends the search: with the default keys
    // every arrow turns both worms.
    match(1, session_.Bindings[1]);
    match(2, session_.Bindings[2]);
    return count;
}

void TGameForm::FormKeyDown(ui::Form&, int& key)
{
    if (match_.Replaying())
    {
        ReplayKey(key);
        return;
    }
    if (key == ui::vk::Escape)
        Hide();
    if (key == ui::vk::Pause)
        TogglePause();
    std::array<engine::PlayerTurn, 8> turns{};
    const std::size_t count = TurnsOf(key, turns);
    match_.Key(std::span(turns.data(), count));
}

bool TGameForm::ClaimsKey(int key) const
{
    if (match_.Replaying())
        return false;
    std::array<engine::PlayerTurn, 8> turns{};
    return TurnsOf(key, turns) > 0;
}

void TGameForm::TogglePause()
{
    if (match_.TogglePause())
        ShowPaused();
}

void TGameForm::ShowPaused()
{
    ShowPauseCaption(match_.Paused());
    if (match_.Replaying())
        ShowReplayCaption();
    else
        App().SetScreenSaverAllowed(match_.Paused());
}

void TGameForm::ShowPauseCaption(bool shown)
{
    if (shown)
    {
        // Centred across the board's rows above the start cells, at the scale in force: the
        // caption's width follows the text's.
        const ui::Rect board = PaintBox1.BoundsRect();
        const int band = CellOrigin({1, kFirstStartRow}).y;
        PauseLabel.SetLeft(board.left + (board.Width() - PauseLabel.Width()) / 2);
        PauseLabel.SetTop(board.top + (band - PauseLabel.Height()) / 2);
    }
    PauseLabel.SetVisible(shown);
}

void TGameForm::FormDeactivate()
{
    // A player who switched away must not find the worm dead, nor miss a replay's moves.
    if (match_.FocusLost())
        ShowPaused();
}

void TGameForm::UpdateScoreLabel()
{
    ScoreLabel.SetCaption(PadLeft(std::to_string(match_.Model().Score()), 3));
}

void TGameForm::UpdateLLL(const records::Row& statistics, int score)
{
    const SignedChangeText text = FormatSignedChange(records::AverageChange(statistics, score));
    LLL.SetFontColor(text.nonNegative ? ui::clLime : ui::clRed);
    LLL.SetCaption((text.nonNegative ? "+" : "") + text.text);
}

void TGameForm::UpdateHiScoreLabel()
{
    const records::Standing& standing = match_.Standing();
    const records::Row& row = UserRow(standing);
    HiScoreLabel.SetCaption(PadLeft(std::to_string(standing.table[0].score), 3));
    GL.SetCaption(PadLeft(std::to_string(row.games), 5));
    EL.SetCaption(PadLeft(std::to_string(row.eaten), 5));
    AL.SetCaption(PadLeft(row.averageText, 2));
    HL.SetCaption(PadLeft(std::to_string(row.score), 3));
    UpdateLLL(row, match_.Model().Score());
}

void TGameForm::EndBout(std::uint8_t whoDied)
{
    if (whoDied == engine::kPlayer1Died)
        UpdateScore2Label();
    if (whoDied == engine::kPlayer2Died)
        UpdateScore1Label();
    DeadSound.Play();
    if (whoDied != engine::kPlayer2Died)
        App().Rumble(1);
    if (whoDied != engine::kPlayer1Died)
        App().Rumble(2);
}

void TGameForm::UpdateScore1Label()
{
    ScoreLabel.SetCaption(PadLeft(std::to_string(match_.Model().Score1()), 3));
}

void TGameForm::UpdateScore2Label()
{
    HiScoreLabel.SetCaption(PadLeft(std::to_string(match_.Model().Score2()), 3));
}
