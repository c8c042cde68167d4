// TGameForm: the game screen: the match's events painted and sounded, its ticks timed, keys
// turned into (player, direction), and the scoreboard of the single game and death match, played
// here or against another computer.
#include "screens/GameScreen.h"

#include "records/Records.h"
#include "screens/ScreenButton.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "settings/NumberText.h"
#include "ui/Platform.h"

#include <span>
#include <stdexcept>
#include <string>

namespace
{

constexpr int kCellPitch = 15;
constexpr int kCellSize = 14;
// No worm starts above this row (the ring's top cells are (10, 5) and (20, 5)): the pause caption
// stands in the rows above it, so that a game paused before its first move hides no worm.
constexpr int kFirstStartRow = 5;

} // namespace

TGameForm::TGameForm(ui::Platform& app, Navigator& navigator, Session& session)
    : Screen(app, navigator, session), Panel1(this), Image1(&Panel1), Label1(&Panel1),
      ScoreLabel(&Panel1), Label5(&Panel1), Label3(&Panel1), Label2(&Panel1), Image3(&Panel1),
      HiScoreLabel(&Panel1), AnimatedImage1(&Panel1), zNWBlendPaint1(&Panel1), Panel2(&Panel1),
      PaintBox1(&Panel2, kCellPitch, kCellSize, kBoardColour), Image2(&Panel2), Target(&Panel2),
      Target2(&Panel2), PauseLabel(&Panel2), zNWBlendPaint2(&Panel1), Label6(&Panel1), GL(&Panel1),
      Label7(&Panel1), EL(&Panel1), Label8(&Panel1), AL(&Panel1), Label9(&Panel1), HL(&Panel1),
      LLL(&Panel1), match_(ticker_, session.Ini, session.Replays, [this] { return Lineup(); })
{
    BuildLayout();
    OnPlayerTurn = [this](ui::Form&, int player, ui::Turn turn)
    {
        // A replay takes no turns: a controller's left and right set its speed as the arrows do.
        if (match_.Replaying())
        {
            constexpr int kArrows[] = {ui::vk::Left, ui::vk::Right, ui::vk::Up, ui::vk::Down};
            ReplayKey(kArrows[static_cast<int>(turn)]);
            return;
        }
        // A controller's turn is that player's direction key, whatever keys the players share.
        const engine::PlayerTurn playerTurn = Session::ControllerTurn(player, turn);
        control_->Key(std::span(&playerTurn, 1));
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

void TGameForm::FormCreate()
{
    SetupPanel(Panel1);
    session_.ReadSkill();

    const auto file = [&](ui::Bitmap& picture, int n)
    {
        return ui::Bitmap::PictureFile{&picture,
                                       session_.ProgramDir + "b" + std::to_string(n) + ".bmp"};
    };
    std::vector<ui::Bitmap::PictureFile> files;
    for (int n = 1; n <= engine::kComputerWorms; ++n)
        files.push_back(file(WormPictures[static_cast<std::size_t>(n)], n));
    files.push_back(file(WormPictures[0], 0));
    files.push_back(file(Player2Picture, 2));
    // A bad file costs only its own worm's drawing; the failures are reported together, after
    // the rest of the set-up has been done.
    const std::string failures = ui::Bitmap::LoadPictures(files);

    deathMatchInterval_ = settings::Read(session_.Ini, settings::kDeathMatchInterval);

    if (!failures.empty())
        App().HandleException(std::make_exception_ptr(std::runtime_error(failures)));
}

void TGameForm::ShowSingleGame()
{
    Label1.SetCaption(session_.UserName);
    Label2.SetCaption("High Score");
    Label2.SetLeft(kScoreCaptionLeft);
    Label3.SetVisible(false);
    ShowPlayerColours(false);
    match_.Enter(engine::Mode::Single);
    Show();
}

void TGameForm::ShowNetworkMatch(std::unique_ptr<net::Link> link, bool hosting)
{
    if (IsShown())
        return;
    link_ = std::move(link);
    gameCaption1_ = Label1.Caption();
    // The host's interval is the match's; the guest's is sent for nothing but the form.
    net_.emplace(*link_, session_.Replays,
                 net::NetSetup{hosting ? net::Role::Host : net::Role::Guest, session_.UserName,
                               deathMatchInterval_},
                 ticker_);
    control_ = &*net_;
    Label2.SetLeft(kPlayer2Left);
    Label3.SetVisible(true);
    ShowPlayerColours(true);
    Show();
}

void TGameForm::ShowDeathMatch()
{
    Label2.SetCaption("Player 2");
    Label2.SetLeft(kPlayer2Left);
    Label3.SetVisible(true);
    ShowPlayerColours(true);
    match_.Enter(engine::Mode::DeathMatch);
    Show();
}

play::Lineup TGameForm::Lineup() const
{
    if (match_.Mode() == engine::Mode::DeathMatch)
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
    // The second name ends before the ball beside it, or where the scores' column ends.
    Label2.SetMaxWidth((Image3.Visible() ? Image3.Left() : kPanelWidth) - 4 - Label2.Left());
    // The line under the board holds the logged-in player's figures, which are not a replay's:
    // over a replay it shows nothing.
    for (ui::Label* status : {&Label6, &GL, &Label7, &EL, &Label8, &AL, &Label9, &HL, &LLL})
        status->SetVisible(!match_.Replaying());
    control_->Start();
    if (match_.Replaying())
    {
        Target.SetVisible(true);
        ApplyEvents();
        ShowReplayCaption();
    }
    // The display stays awake from here on, unless a pause lets it sleep.
    ShowState();
}

void TGameForm::FormHide()
{
    App().SetCursorVisible(true);
    App().SetScreenSaverAllowed(true);
    ShowCaption({});
    // A replay's or the other computer's names were shown over the captions a death match keeps.
    if (match_.Replaying() || net_)
        Label1.SetCaption(gameCaption1_);
    Label3.SetCaption(std::string(kDeathMatchCaption));
    Label3.SetLeft(kModeCaptionLeft);
    // Nothing goes on behind the menu; a single game cut short here is never recorded.
    control_->Leave();
    control_ = &match_;
    net_.reset();
    link_.reset();
    Target.SetVisible(false);
    Target2.SetVisible(false);
    session_.Audio.Hold(false);
}

void TGameForm::Timer1Timer(widgets::TzcTimer&)
{
    control_->Tick();
    ApplyEvents();
    ShowState();
}

void TGameForm::GameOver(const play::Over& over)
{
    ApplyEvents();
    // A single game's replay shows the final score its file claims once playback has reached it.
    if (over.replayMatches && match_.Replay().mode == engine::ReplayMode::SingleGame)
        HiScoreLabel.SetCaption(PadLeft(std::to_string(match_.Replay().players[0].score), 3));
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
    }
}

void TGameForm::ApplyEvents()
{
    // A handler below may show a message and let other calls run, so the list being read is
    // not the one the engine appends to.
    control_->TakeEvents(applying_);
    const bool single = control_->Mode() == engine::Mode::Single;
    for (const engine::Event& event : applying_)
    {
        switch (event.kind)
        {
        case engine::EventKind::Cleared:
            PaintBox1.EraseCells(engine::kInnerMax);
            ShowStart();
            break;
        case engine::EventKind::Draw:
            PaintBox1.DrawCell(event.who == engine::kSecondPlayer ? Player2Picture
                                                                  : WormPictures[event.who],
                               event.cell.x, event.cell.y);
            break;
        case engine::EventKind::Erase:
            PaintBox1.EraseCell(event.cell.x, event.cell.y);
            break;
        case engine::EventKind::Eaten:
            Hrum.Play();
            if (single)
            {
                UpdateScoreLabel();
                // The change is the logged-in player's, which a replay's targets do not move.
                if (!match_.Replaying())
                    UpdateLLL(match_.UserRow(), match_.Model().Score());
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
    if (control_->Mode() == engine::Mode::DeathMatch)
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
    if (match_.KeepsRecords())
        UpdateHiScoreLabel();
    else
    {
        HiScoreLabel.SetCaption("000");
        UpdateLLL(match_.UserRow(), 0);
    }
}

widgets::TAnimatedImage& TGameForm::TargetOf(std::uint8_t who)
{
    return who == engine::kSecondPlayer ? Target2 : Target;
}

void TGameForm::ShowTarget(std::uint8_t who, engine::Cell cell)
{
    // The target's corner is the cell's, on the board's panel.
    widgets::TAnimatedImage& target = TargetOf(who);
    const ui::Point p = PaintBox1.CellOrigin(cell.x, cell.y);
    target.SetBounds(PaintBox1.Left() + p.x, PaintBox1.Top() + p.y, target.Width(),
                     target.Height());
    target.SetVisible(true);
}

void TGameForm::FormKeyDown(ui::Form&, int& key)
{
    if (key == ui::vk::Escape)
    {
        Hide();
        return;
    }
    const bool replay = match_.Replaying();
    // A replay has no turns to take Space from.
    if ((key == ui::vk::Pause || (replay && key == ui::vk::Space)) && control_->TogglePause())
        ShowState();
    if (replay)
    {
        ReplayKey(key);
        return;
    }
    Session::Turns turns{};
    const std::size_t count = session_.TurnsOf(control_->Mode(), key, turns);
    control_->Key(std::span(turns.data(), count));
}

bool TGameForm::ClaimsKey(int key) const
{
    if (match_.Replaying())
        return false;
    Session::Turns turns{};
    return session_.TurnsOf(control_->Mode(), key, turns) > 0;
}

void TGameForm::ShowState()
{
    if (const std::array<std::string, 2>* names = control_->Names())
    {
        Label1.SetCaption((*names)[0]);
        Label2.SetCaption((*names)[1]);
    }
    // Left meanwhile, as from the records table shown over a game's end.
    if (!IsShown())
        return;
    if (control_->Done())
    {
        // The message box first: the board stays behind it as the match ended.
        ShowCaption({});
        if (!control_->EndMessage().empty())
            App().ShowMessage(std::string(control_->EndMessage()));
        Hide();
        return;
    }
    ShowCaption(control_->Caption());
    App().SetScreenSaverAllowed(control_->DisplayMaySleep());
}

void TGameForm::ShowCaption(std::string_view caption)
{
    if (!caption.empty())
    {
        PauseLabel.SetCaption(std::string(caption));
        // Centred across the board's rows above the start cells, at the scale in force: the
        // caption's width follows the text's. Nothing moves while caption stays the same.
        const ui::Rect board = PaintBox1.BoundsRect();
        const int band = PaintBox1.CellOrigin(1, kFirstStartRow).y;
        PauseLabel.SetLeft(board.left + (board.Width() - PauseLabel.Width()) / 2);
        PauseLabel.SetTop(board.top + (band - PauseLabel.Height()) / 2);
    }
    PauseLabel.SetVisible(!caption.empty());
}

void TGameForm::FormDeactivate()
{
    // A player who switched away must not find the worm dead, nor miss a replay's moves.
    if (control_->FocusLost())
        ShowState();
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
    const records::Row& row = match_.UserRow();
    HiScoreLabel.SetCaption(PadLeft(std::to_string(standing.table[0].score), 3));
    GL.SetCaption(PadLeft(std::to_string(row.games), 5));
    EL.SetCaption(PadLeft(std::to_string(row.eaten), 5));
    AL.SetCaption(PadLeft(row.averageText, 2));
    HL.SetCaption(PadLeft(std::to_string(row.score), 3));
    UpdateLLL(row, match_.Model().Score());
}

void TGameForm::EndBout(std::uint8_t whoDied)
{
    UpdateScore1Label();
    UpdateScore2Label();
    DeadSound.Play();
    if (whoDied != engine::kPlayer2Died)
        App().Rumble(1);
    if (whoDied != engine::kPlayer1Died)
        App().Rumble(2);
}

void TGameForm::UpdateScore1Label()
{
    ScoreLabel.SetCaption(PadLeft(std::to_string(control_->Model().Score1()), 3));
}

void TGameForm::UpdateScore2Label()
{
    HiScoreLabel.SetCaption(PadLeft(std::to_string(control_->Model().Score2()), 3));
}
