// The game screen: form data, the model's events painted and sounded, the single game's timers,
// keys and death sequence, the start of a game and the scoreboard.
#include "screens/GameUnit.h"

#include "assets/Assets.h"
#include "records/Records.h"
#include "screens/ScreenButton.h"
#include "screens/Unit2.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "settings/NumberText.h"
#include "ui/Platform.h"
#include "widgets/Audio.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>

namespace
{

constexpr ui::Color kBoardColour = ui::clGreen;
constexpr int kCellPitch = 15;
constexpr int kCellSize = 14;
constexpr int kWaitInterval = 200;
constexpr int kRemovalInterval = 20;
constexpr int kPlayerRemovalTime = 1100; // ms, whatever the worm's length

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
    SetupLabel(Label2, 536, 8, "Player 2", 19, ui::clWhite);
    Image3.SetBounds(614, 13, 16, 16);
    Image3.SetPicture(ui::Bitmap::Embedded("ball_cyan.bmp"));
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
            ui::Bitmap::Embedded(target == &Target ? "target_yellow.bmp" : "target_cyan.bmp"));
        target->SetTransparentColor(kBoardColour);
        target->SetVisible(false);
        target->Loaded();
    }

    // Above the board and the targets, shown only while paused: once hidden, the board's own
    // picture shows through again, with nothing of the caption left on it.
    PauseLabel.SetColor(ui::clBlack);
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
    SetupTimer(pKillTimer, TThreadPriority::tpNormal, kRemovalInterval,
               [this](widgets::TzcTimer& t) { pKillTimerTimer(t); });
    SetupTimer(cKillTimer, TThreadPriority::tpNormal, kRemovalInterval,
               [this](widgets::TzcTimer& t) { cKillTimerTimer(t); });
    SetupTimer(WaitTimer, TThreadPriority::tpNormal, kWaitInterval,
               [this](widgets::TzcTimer& t) { WaitTimerTimer(t); });
    SetupTimer(DMKiller, TThreadPriority::tpNormal, kRemovalInterval,
               [this](widgets::TzcTimer& t) { DMKillerTimer(t); });

    SetSoundAsset(Hrum, "hrum.wav");
    SetSoundAsset(DeadSound, "deadsound.wav");
}

void TGameForm::SetRandomSource(engine::RandomSource* source)
{
    Model.SetRandomSource(source);
}

void TGameForm::FormCreate()
{
    Generator.Randomize();
    SetupPanel(Panel1);
    session_.ReadSkill();
    ApplySkill();

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

    TimerDM.SetInterval(settings::Read(session_.Ini, settings::kDeathMatchInterval));

    if (!failures.empty())
        App().HandleException(std::make_exception_ptr(std::runtime_error(failures)));
}

void TGameForm::ApplySkill()
{
    Timer1.SetInterval(session_.TimerInterval);
}

void TGameForm::ShowSingleGame()
{
    Label1.SetCaption(session_.UserName);
    Label2.SetCaption("High Score");
    Label2.SetLeft(511);
    Label3.SetVisible(false);
    Image3.SetVisible(false);
    Get_User_ID();
    session_.DeathMatch = false;
    Show();
}

void TGameForm::ShowDeathMatch()
{
    Label2.SetCaption("Player 2");
    Label2.SetLeft(536);
    Label3.SetVisible(true);
    Image3.SetVisible(true);
    session_.DeathMatch = true;
    Show();
}

void TGameForm::FormShow()
{
    App().SetCursorVisible(false);
    // The device opens now, if it was let go at the menus, rather than for the first target
    // eaten, and stays open: opening it through a sound server would hold up that tick.
    HoldAudio(true);
    App().SetScreenSaverAllowed(false);
    phase_ = GamePhase::Waiting;
    WaitTimer.SetEnabled(true);
}

void TGameForm::FormHide()
{
    App().SetCursorVisible(true);
    App().SetScreenSaverAllowed(true);
    ShowPauseCaption(false);
    // Every timer of the screen stops, so that no game, death sequence or wait goes on behind
    // the menu; a game cut short here is never recorded.
    StopAllTimers();
    phase_ = GamePhase::Idle;
    Target.SetVisible(false);
    Target2.SetVisible(false);
    HoldAudio(false);
}

void TGameForm::StopAllTimers()
{
    for (widgets::TzcTimer* timer :
         {&Timer1, &TimerDM, &pKillTimer, &cKillTimer, &WaitTimer, &DMKiller})
        timer->SetEnabled(false);
}

void TGameForm::WaitTimerTimer(widgets::TzcTimer&)
{
    if (session_.DeathMatch)
        NewDeathMatch();
    else
        NewGame();
    WaitTimer.SetEnabled(false);
}

void TGameForm::NewGame()
{
    Target2.SetVisible(false);
    Target.SetVisible(true);
    Model.NewGame(session_.WormCount, session_.Prob);
    ApplyEvents();
    UpdateScoreLabel();
    if (records::CountsForRecords(session_.SkillLevel))
        UpdateHiScoreLabel();
    else
        HiScoreLabel.SetCaption("000");
    UpdateLLL();
    phase_ = GamePhase::Playing;
    Timer1.SetEnabled(true);
}

void TGameForm::ApplyEvents()
{
    // A handler below may ask the model for more (Dead starts the removal), so the list being
    // read is not the one the model appends to.
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
            if (event.who == engine::kFirstPlayer)
            {
                UpdateScoreLabel();
                UpdateLLL();
            }
            (event.who == 2 ? Target2 : Target).SetVisible(false);
            Invalidate();
            break;
        case engine::EventKind::Died:
            Dead();
            break;
        case engine::EventKind::TargetPlaced:
            ShowTarget(event.who, event.cell);
            break;
        case engine::EventKind::TargetHidden:
            (event.who == 2 ? Target2 : Target).SetVisible(false);
            break;
        case engine::EventKind::BoutOver:
            EndBout(event.who);
            break;
        }
    }
    applying_.clear();
}

void TGameForm::ShowTarget(std::uint8_t which, engine::Cell cell)
{
    widgets::TAnimatedImage& target = which == 2 ? Target2 : Target;
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

void TGameForm::RedrawWorm(int n)
{
    Model.RedrawWorm(n);
    ApplyEvents();
}

void TGameForm::RedrawPlayerWorm()
{
    Model.RedrawPlayerWorm();
    ApplyEvents();
}

void TGameForm::DetectFree(int n)
{
    engine::DetectFree(Board, Worms[static_cast<std::size_t>(n)]);
}

void TGameForm::DetectMainDir(int n)
{
    engine::DetectMainDir(Worms[static_cast<std::size_t>(n)]);
}

std::uint8_t TGameForm::Rand(std::uint8_t a, std::uint8_t b)
{
    return engine::Rand(Model.Random(), a, b);
}

std::uint8_t TGameForm::Rand3(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return engine::Rand3(Model.Random(), a, b, c);
}

void TGameForm::Timer1Timer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::Playing)
        return;
    Model.Tick();
    ApplyEvents();
}

static_assert(static_cast<int>(ui::Turn::Left) == engine::kLeft &&
              static_cast<int>(ui::Turn::Right) == engine::kRight &&
              static_cast<int>(ui::Turn::Up) == engine::kUp &&
              static_cast<int>(ui::Turn::Down) == engine::kDown);

void TGameForm::PlayerTurn(int player, std::uint8_t dir)
{
    // A controller's turn is that player's direction key, whatever keys the players share.
    if (session_.DeathMatch)
    {
        engine::Turn(player == 1 ? Player1 : Player2, dir);
        return;
    }
    if (player != 1)
        return;
    Model.PlayerKey(std::span(&dir, 1));
}

void TGameForm::PutNewTarget()
{
    Model.PutNewTarget();
    ApplyEvents();
}

void TGameForm::FormKeyDown(ui::Form&, int& key)
{
    if (key == ui::vk::Escape)
        Hide();
    if (key == ui::vk::Pause)
        TogglePause();
    if (session_.DeathMatch)
    {
        // Both players' bindings are compared and none ends the search: with the default keys
        // every arrow turns both worms. A queued turn stays until the next move.
        const int bindings[8] = {session_.LeftKey1, session_.RightKey1, session_.UpKey1,
                                 session_.DownKey1, session_.LeftKey2,  session_.RightKey2,
                                 session_.UpKey2,   session_.DownKey2};
        for (int i = 0; i < 8; ++i)
            if (bindings[i] == key)
                engine::Turn(i < 4 ? Player1 : Player2, static_cast<std::uint8_t>(i % 4));
        return;
    }

    const int bindings[4] = {session_.LeftKey, session_.RightKey, session_.UpKey, session_.DownKey};
    std::array<std::uint8_t, 4> dirs{};
    std::size_t bound = 0;
    for (std::uint8_t d = engine::kLeft; d <= engine::kDown; ++d)
        if (bindings[d] == key)
            dirs[bound++] = d;
    Model.PlayerKey(std::span(dirs.data(), bound));
}

bool TGameForm::ClaimsKey(int key) const
{
    const Session& s = session_;
    const int single[] = {s.LeftKey, s.RightKey, s.UpKey, s.DownKey};
    const int duel[] = {s.LeftKey1, s.RightKey1, s.UpKey1, s.DownKey1,
                        s.LeftKey2, s.RightKey2, s.UpKey2, s.DownKey2};
    return s.DeathMatch ? std::ranges::find(duel, key) != std::end(duel)
                        : std::ranges::find(single, key) != std::end(single);
}

void TGameForm::TogglePause()
{
    widgets::TzcTimer& tick = session_.DeathMatch ? TimerDM : Timer1;
    if (phase_ == GamePhase::Playing)
    {
        tick.SetEnabled(false);
        phase_ = GamePhase::Paused;
    }
    else if (phase_ == GamePhase::Paused)
    {
        tick.SetEnabled(true);
        phase_ = GamePhase::Playing;
    }
    else
    {
        return;
    }
    const bool paused = phase_ == GamePhase::Paused;
    ShowPauseCaption(paused);
    App().SetScreenSaverAllowed(paused);
}

void TGameForm::ShowPauseCaption(bool shown)
{
    if (shown)
    {
        // Centred on the board at the scale in force: the caption's width follows the text's.
        const ui::Rect board = PaintBox1.BoundsRect();
        PauseLabel.SetLeft(board.left + (board.Width() - PauseLabel.Width()) / 2);
        PauseLabel.SetTop(board.top + (board.Height() - PauseLabel.Height()) / 2);
    }
    PauseLabel.SetVisible(shown);
}

void TGameForm::FormDeactivate()
{
    // A player who switched away must not find the worm dead; only a game in play pauses, so
    // that a paused game stays paused and a death sequence runs to its end.
    if (phase_ == GamePhase::Playing)
        TogglePause();
}

void TGameForm::CheckPlayerWormEvents()
{
    Model.CheckPlayerWormEvents();
    ApplyEvents();
}

void TGameForm::Dead()
{
    Timer1.SetEnabled(false);
    DeadSound.Play();
    App().Rumble(1);
    Model.StartPlayerRemoval();
    phase_ = GamePhase::RemovingPlayer;
    KillPlayerWorm();
}

void TGameForm::KillPlayerWorm()
{
    pKillTimer.SetInterval(kPlayerRemovalTime / Player.length);
    pKillTimer.SetEnabled(true);
}

void TGameForm::pKillTimerTimer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::RemovingPlayer)
        return;
    const bool done = Model.RemovePlayerStep();
    ApplyEvents();
    if (done)
    {
        pKillTimer.SetEnabled(false);
        phase_ = GamePhase::RemovingComputers;
        cKillTimer.SetEnabled(true);
    }
}

void TGameForm::cKillTimerTimer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::RemovingComputers)
        return;
    const bool done = Model.RemoveComputersStep();
    ApplyEvents();
    if (!done)
        return;
    cKillTimer.SetEnabled(false);
    phase_ = GamePhase::Waiting;
    if (records::CountsForRecords(session_.SkillLevel))
        CheckHiScore();
    // The records may have shown the statistics screen; if the game screen was left meanwhile,
    // no next game is started behind the menu.
    if (phase_ == GamePhase::Waiting)
        WaitTimer.SetEnabled(true);
}

void TGameForm::UpdateScoreLabel()
{
    ScoreLabel.SetCaption(PadLeft(std::to_string(Score), 3));
}

void TGameForm::UpdateLLL()
{
    const double change = engine::AverageChange(Statistics, Score);
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
        result = records::RecordGame(session_.Ini, session_.SkillLevel, session_.UserName, Score);
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
        App().SetScreenSaverAllowed(phase_ == GamePhase::Idle);
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
