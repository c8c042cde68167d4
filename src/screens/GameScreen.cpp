// TGameForm: the game screen: form data, the engine's events painted and sounded, its phases timed,
// keys turned into (player, direction), the start of a game and the scoreboard.
#include "screens/GameScreen.h"

#include "assets/Assets.h"
#include "records/Records.h"
#include "screens/ScreenButton.h"
#include "screens/StatisticsScreen.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "settings/NumberText.h"
#include "ui/Platform.h"

#include <algorithm>
#include <chrono>
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

void SetupTimer(widgets::TzcTimer& timer, widgets::TThreadPriority priority, int interval,
                widgets::TzcTimer::TTimerEvent handler)
{
    // Stored disabled: nothing ticks until the game enables it.
    timer.SetEnabled(false);
    timer.SetPriority(priority);
    timer.SetInterval(interval);
    if (handler)
        timer.SetOnTimer(std::move(handler));
}

void SetupFixedLabel(ui::Label& label, int left, int top, int width, int height,
                     const char* caption, int fontHeight, ui::Color color)
{
    label.SetAutoSize(false);
    label.SetBounds(left, top, width, height);
    label.SetAlignment(ui::Alignment::Right);
    SetupLabel(label, left, top, caption, fontHeight, color);
}

} // namespace

TGameForm::TGameForm(Screens& screens, Session& session)
    : Screen(screens, session), Panel1(this), Image1(&Panel1), Label1(&Panel1), ScoreLabel(&Panel1),
      Label5(&Panel1), Label3(&Panel1), Label2(&Panel1), Image3(&Panel1), HiScoreLabel(&Panel1),
      AnimatedImage1(&Panel1), zNWBlendPaint1(&Panel1), Panel2(&Panel1), PaintBox1(&Panel2),
      Image2(&Panel2), Target(&Panel2), Target2(&Panel2), PauseLabel(&Panel2),
      zNWBlendPaint2(&Panel1), Label6(&Panel1), GL(&Panel1), Label7(&Panel1), EL(&Panel1),
      Label8(&Panel1), AL(&Panel1), Label9(&Panel1), HL(&Panel1), LLL(&Panel1)
{
    Enter(&Screens::GameForm, this);
    BuildLayout();
    OnPlayerTurn = [this](ui::Form&, int player, ui::Turn turn)
    {
        PlayerTurn(player, static_cast<std::uint8_t>(turn));
    };
    FormCreate();
}

TGameForm::~TGameForm()
{
    StopAllTimers();
}

void TGameForm::BuildLayout()
{
    Panel1.SetBounds(0, 0, kPanelWidth, kPanelHeight);

    Image1.SetBounds(8, 13, 16, 16);
    Image1.SetPicture(ui::Bitmap::Embedded("ball_yellow.bmp"));
    SetupLabel(Label1, 32, 8, "Player 1", 19, ui::clWhite);
    // The player's name ends where the title's box begins.
    Label1.SetMaxWidth(208 - 32);
    SetupLabel(ScoreLabel, 32, 32, "000", 19, ui::clWhite);
    Label5.SetAutoSize(false);
    Label5.SetBounds(208, 8, 217, 41);
    Label5.SetWordWrap(true);
    Label5.SetAlignment(ui::Alignment::Center);
    SetupLabel(Label5, 208, 8, "Zorbel II", 29, ui::clYellow, true);
    SetupLabel(Label3, 272, 42, "Death Match", 13, ui::clRed);
    // Centred under the title, the caption ends clear of the scores beside it (up to x 68 and
    // from x 572); a replay's long names are shortened, not its speed (" x1" to " x8").
    Label3.SetMaxWidth(2 * (208 + 217 / 2 - 76));
    Label3.SetKeptEnd(3);
    SetupLabel(Label2, 536, 8, "Player 2", 19, ui::clWhite);
    Image3.SetBounds(614, 13, 16, 16);
    Image3.SetPicture(ui::Bitmap::Embedded("ball_blue.bmp"));
    SetupLabel(HiScoreLabel, 572, 32, "000", 19, ui::clWhite);

    AnimatedImage1.BeginLoad();
    AnimatedImage1.SetBounds(96, 80, 14, 14);
    AnimatedImage1.SetActive(true);
    AnimatedImage1.SetGlyph(ui::Bitmap::Embedded("strip3.bmp"));
    AnimatedImage1.SetGlyphNum(2);
    AnimatedImage1.SetInterval(50);
    AnimatedImage1.SetTransparentColor(ui::clBlack);
    AnimatedImage1.Loaded();

    zNWBlendPaint1.SetBounds(8, 64, 80, 465);
    zNWBlendPaint1.SetFillType(widgets::gradType::gHorz);
    zNWBlendPaint1.SetColor(ui::clBlack);
    zNWBlendPaint1.SetEndColor(kBoardColour);

    Panel2.SetColor(kBoardColour);
    Panel2.SetBounds(88, 64, 457, 465);
    PaintBox1.SetBounds(8, 16, 436, 436);
    Image2.SetBounds(8, 16, 436, 436);
    Image2.SetPicture(ui::Bitmap::Embedded("grid.bmp"));
    Image2.SetTransparentColor(ui::clWhite);
    Image2.SetTransparent(true);
    // Line art: the grid lines must land exactly where the cells' fills end.
    Image2.SetResample(ui::Resample::Exact);
    for (widgets::TAnimatedImage* target : {&Target, &Target2})
    {
        target->BeginLoad();
        target->SetBounds(0, 0, 13, 13);
        target->SetActive(true);
        target->SetGlyph(
            ui::Bitmap::Embedded(target == &Target ? "target_yellow.bmp" : "target_blue.bmp"));
        target->SetTransparentColor(kBoardColour);
        target->SetVisible(false);
        target->Loaded();
    }

    // Above the board and the targets, shown only while paused: once hidden, the board's own
    // picture shows through again, with nothing of the caption left on it.
    PauseLabel.SetColor(ui::clBlack);
    PauseLabel.SetPadding(kPausePadding);
    SetupLabel(PauseLabel, 0, 0, "Paused: press Pause to go on", 16, ui::clYellow, true);
    PauseLabel.SetVisible(false);

    zNWBlendPaint2.SetBounds(544, 64, 80, 465);
    zNWBlendPaint2.SetFillType(widgets::gradType::gHorz);
    zNWBlendPaint2.SetColor(kBoardColour);

    SetupLabel(Label6, 128, 538, "Games:", 13, ui::clYellow);
    SetupLabel(GL, 176, 538, "00000", 13, ui::clWhite);
    SetupLabel(Label7, 232, 538, "Eaten:", 13, ui::clYellow);
    SetupLabel(EL, 272, 538, "00000", 13, ui::clWhite);
    SetupLabel(Label8, 328, 538, "Average:", 13, ui::clYellow);
    SetupFixedLabel(AL, 384, 538, 36, 18, "00,00", 13, ui::clWhite);
    SetupLabel(Label9, 432, 538, "HiScore:", 13, ui::clYellow);
    SetupLabel(HL, 488, 538, "00", 13, ui::clWhite);
    SetupFixedLabel(LLL, 384, 554, 36, 15, "-0,02", 11, ui::clRed);

    using widgets::TThreadPriority;
    SetupTimer(Timer1, TThreadPriority::tpHigher, 100,
               [this](widgets::TzcTimer& t) { Timer1Timer(t); });
    SetupTimer(TimerDM, TThreadPriority::tpHigher, 100,
               [this](widgets::TzcTimer& t) { TimerDMTimer(t); });
    SetupTimer(pKillTimer, TThreadPriority::tpNormal, engine::kRemovalInterval,
               [this](widgets::TzcTimer& t) { pKillTimerTimer(t); });
    SetupTimer(cKillTimer, TThreadPriority::tpNormal, engine::kRemovalInterval,
               [this](widgets::TzcTimer& t) { cKillTimerTimer(t); });
    SetupTimer(WaitTimer, TThreadPriority::tpNormal, engine::kWaitInterval,
               [this](widgets::TzcTimer& t) { WaitTimerTimer(t); });
    SetupTimer(DMKiller, TThreadPriority::tpNormal, engine::kRemovalInterval,
               [this](widgets::TzcTimer& t) { DMKillerTimer(t); });

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
    Model.Enter(engine::Mode::Single);
    Show();
}

void TGameForm::ShowDeathMatch()
{
    Label2.SetCaption("Player 2");
    Label2.SetLeft(536);
    Label3.SetVisible(true);
    ShowPlayerColours(true);
    Model.Enter(engine::Mode::DeathMatch);
    Show();
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
        status->SetVisible(!playback_);
    if (playback_)
    {
        StartReplay();
        return;
    }
    Model.Enter(Model.GameMode());
    SyncTimers();
}

void TGameForm::FormHide()
{
    App().SetCursorVisible(true);
    App().SetScreenSaverAllowed(true);
    ShowPauseCaption(false);
    // A death match ends when its players leave it: that is when it is kept.
    const engine::Phase phase = Model.GamePhase();
    if (!playback_ && Model.GameMode() == engine::Mode::DeathMatch &&
        (phase == engine::Phase::Playing || phase == engine::Phase::Paused ||
         phase == engine::Phase::RemovingBout))
        KeepReplay();
    if (playback_)
    {
        playback_->Restore(Model);
        playback_.reset();
        Label1.SetCaption(gameCaption1_);
        Label3.SetCaption("Death Match");
        Label3.SetLeft(272);
        PauseLabel.SetCaption("Paused: press Pause to go on");
    }
    // Every timer of the screen stops, so that no game, death sequence or wait goes on behind
    // the menu; a single game cut short here is never recorded.
    Model.Leave();
    StopAllTimers();
    Target.SetVisible(false);
    Target2.SetVisible(false);
    session_.Audio.Hold(false);
}

void TGameForm::StopAllTimers()
{
    for (widgets::TzcTimer* timer :
         {&Timer1, &TimerDM, &pKillTimer, &cKillTimer, &WaitTimer, &DMKiller})
        timer->SetEnabled(false);
}

void TGameForm::SyncTimers()
{
    if (playback_)
    {
        SyncReplayTimer();
        return;
    }
    widgets::TzcTimer* wanted = nullptr;
    switch (Model.GamePhase())
    {
    case engine::Phase::Playing:
        wanted = Model.GameMode() == engine::Mode::Single ? &Timer1 : &TimerDM;
        break;
    case engine::Phase::RemovingPlayer:
        wanted = &pKillTimer;
        break;
    case engine::Phase::RemovingComputers:
        wanted = &cKillTimer;
        break;
    case engine::Phase::RemovingBout:
        wanted = &DMKiller;
        break;
    case engine::Phase::Waiting:
        wanted = &WaitTimer;
        break;
    case engine::Phase::Idle:
    case engine::Phase::Paused:
        break;
    }
    for (widgets::TzcTimer* timer :
         {&Timer1, &TimerDM, &pKillTimer, &cKillTimer, &WaitTimer, &DMKiller})
        if (timer != wanted)
            timer->SetEnabled(false);
    if (wanted == nullptr)
        return;
    wanted->SetInterval(Model.Interval());
    wanted->SetEnabled(true);
}

void TGameForm::Advance(engine::Phase phase)
{
    if (Model.GamePhase() != phase)
        return;
    Model.Step();
    PaintEvents();
    if (phase == engine::Phase::RemovingComputers && Model.GamePhase() == engine::Phase::Waiting)
    {
        StopAllTimers();
        // Kept before the records are shown, so that the table can already play it.
        KeepReplay();
        if (Model.CountsForRecords())
            CheckHiScore();
        // The records may have shown the statistics screen; if the game screen was left
        // meanwhile, no next game is started behind the menu.
    }
    SyncTimers();
}

void TGameForm::Timer1Timer(widgets::TzcTimer&)
{
    if (playback_)
    {
        ReplayStep();
        return;
    }
    Advance(engine::Phase::Playing);
}

void TGameForm::TimerDMTimer(widgets::TzcTimer&)
{
    Advance(engine::Phase::Playing);
}

void TGameForm::pKillTimerTimer(widgets::TzcTimer&)
{
    Advance(engine::Phase::RemovingPlayer);
}

void TGameForm::cKillTimerTimer(widgets::TzcTimer&)
{
    Advance(engine::Phase::RemovingComputers);
}

void TGameForm::DMKillerTimer(widgets::TzcTimer&)
{
    Advance(engine::Phase::RemovingBout);
}

namespace
{

std::uint64_t ClockSeed()
{
    return static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

} // namespace

void TGameForm::WaitTimerTimer(widgets::TzcTimer&)
{
    // A wait handed over after the screen was left starts nothing behind the menu.
    if (Model.GamePhase() != engine::Phase::Waiting)
        return;
    if (Model.GameMode() == engine::Mode::DeathMatch)
        NewDeathMatch();
    else
        NewGame();
}

void TGameForm::NewGame()
{
    NewGame(ClockSeed());
}

void TGameForm::NewGame(std::uint64_t seed)
{
    Target2.SetVisible(false);
    Target.SetVisible(true);
    // The skill is read as the game starts, so that a change on the skill screen counts from
    // the next game on.
    Model.NewGame(seed,
                  {session_.SkillLevel, session_.Prob, session_.TimerInterval, session_.WormCount});
    ApplyEvents();
    UpdateScoreLabel();
    if (engine::LevelHasRecords(session_.SkillLevel))
    {
        // One reading of the file at every start: another copy of the game may have written a
        // best, or moved this user, since this copy last wrote the table.
        Get_User_ID();
        UpdateHiScoreLabel();
    }
    else
        HiScoreLabel.SetCaption("000");
    UpdateLLL();
}

void TGameForm::ApplyEvents()
{
    PaintEvents();
    SyncTimers();
}

void TGameForm::PaintEvents()
{
    // A handler below may show a message and let other calls run, so the list being read is
    // not the one the engine appends to.
    applying_.swap(Model.events);
    for (const engine::Event& event : applying_)
    {
        switch (event.kind)
        {
        case engine::EventKind::Cleared:
            for (std::uint8_t x = 1; x <= engine::kInnerMax; ++x)
                for (std::uint8_t y = 1; y <= engine::kInnerMax; ++y)
                    DeleteSection({x, y});
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
            if (Model.GameMode() == engine::Mode::Single)
            {
                UpdateScoreLabel();
                // The change is the logged-in player's, which a replay's targets do not move.
                if (!playback_)
                    UpdateLLL();
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
        }
    }
    applying_.clear();
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
    // A replay plays the recorded turns only.
    if (playback_)
        return;
    // A controller's turn is that player's direction key, whatever keys the players share.
    const engine::PlayerTurn turn{static_cast<std::uint8_t>(player), dir};
    Model.Key(std::span(&turn, 1));
}

std::size_t TGameForm::TurnsOf(int key, std::array<engine::PlayerTurn, 8>& turns) const
{
    const Session& s = session_;
    std::size_t count = 0;
    const auto match = [&](std::uint8_t player, const int(&bindings)[4])
    {
        for (std::uint8_t d = engine::kLeft; d <= engine::kDown; ++d)
            if (bindings[d] == key)
                turns[count++] = {player, d};
    };
    if (Model.GameMode() == engine::Mode::Single)
    {
        match(1, {s.LeftKey, s.RightKey, s.UpKey, s.DownKey});
        return count;
    }
    // Both players' bindings are compared and none ends the search: with the default keys
    // every arrow turns both worms.
    match(1, {s.LeftKey1, s.RightKey1, s.UpKey1, s.DownKey1});
    match(2, {s.LeftKey2, s.RightKey2, s.UpKey2, s.DownKey2});
    return count;
}

void TGameForm::FormKeyDown(ui::Form&, int& key)
{
    if (playback_)
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
    Model.Key(std::span(turns.data(), count));
}

bool TGameForm::ClaimsKey(int key) const
{
    if (playback_)
        return false;
    std::array<engine::PlayerTurn, 8> turns{};
    return TurnsOf(key, turns) > 0;
}

void TGameForm::TogglePause()
{
    if (Model.TogglePause())
        ShowPaused();
}

void TGameForm::ShowPaused()
{
    const bool paused = Model.GamePhase() == engine::Phase::Paused;
    SyncTimers();
    ShowPauseCaption(paused);
    App().SetScreenSaverAllowed(paused);
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
    if (playback_)
    {
        if (!replayPaused_ && !replayEnded_)
            ReplayKey(ui::vk::Space);
        return;
    }
    if (Model.PauseInPlay())
        ShowPaused();
}

void TGameForm::UpdateScoreLabel()
{
    ScoreLabel.SetCaption(PadLeft(std::to_string(Model.score), 3));
}

void TGameForm::UpdateLLL()
{
    const double change = engine::AverageChange(Statistics, Model.score);
    const SignedChangeText text = FormatSignedChange(change);
    LLL.SetCaption("");
    if (text.nonNegative)
    {
        LLL.SetFontColor(ui::clLime);
        LLL.SetCaption("+");
    }
    else
    {
        LLL.SetFontColor(ui::clRed);
    }
    LLL.SetCaption(LLL.Caption() + text.text);
}

int TGameForm::Get_User_ID()
{
    records_.table = records::ReadTable(session_.Ini, session_.SkillLevel);
    records_.slot = records::FindUser(records_.table, session_.UserName);
    return records_.slot;
}

void TGameForm::CheckHiScore()
{
    records::GameResult result;
    try
    {
        result =
            records::RecordGame(session_.Ini, session_.SkillLevel, session_.UserName, Model.score);
    }
    catch (const EIniFileException& e)
    {
        // Caught here rather than left to the loop's handler, which would end the death sequence
        // before the wait for the next game: once the message is closed, play goes on, with the
        // table on disk as it was.
        App().ShowMessage(e.what());
        return;
    }
    records_ = result.standing;
    // The next game waits until the player has seen the table the game changed.
    if (result.orderChanged && screens_.Form2 != nullptr)
    {
        // The table is a screen like the menus: the display may sleep over it.
        App().SetScreenSaverAllowed(true);
        screens_.Form2->ShowGameResult(records_.table);
        App().SetScreenSaverAllowed(Model.GamePhase() == engine::Phase::Idle);
    }
}

void TGameForm::UpdateHiScoreLabel()
{
    static const records::Row kNotInTable;
    const records::Row& row = records_.slot >= 1
                                  ? records_.table[static_cast<std::size_t>(records_.slot - 1)]
                                  : kNotInTable;
    HiScoreLabel.SetCaption(PadLeft(std::to_string(records_.table[0].score), 3));
    GL.SetCaption(PadLeft(std::to_string(row.games), 5));
    EL.SetCaption(PadLeft(std::to_string(row.eaten), 5));
    AL.SetCaption(PadLeft(row.averageText, 2));
    HL.SetCaption(PadLeft(std::to_string(row.score), 3));
    Statistics = {row.games, row.eaten, row.average};
}
