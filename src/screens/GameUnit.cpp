// The game screen: form data, the single game's tick, targets, keys, death sequence, the start
// of a game and the scoreboard.
#include "screens/GameUnit.h"

#include "assets/Assets.h"
#include "screens/HiScores.h"
#include "screens/Main.h"
#include "screens/ScreenButton.h"
#include "screens/Unit2.h"
#include "settings/IniFile.h"
#include "settings/NumberText.h"
#include "ui/Application.h"

#include <algorithm>
#include <charconv>
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
constexpr std::uint8_t kCustomLevel = 5;

// The top-left pixel of a cell's square on the drawing surface.
constexpr ui::Point CellOrigin(engine::Cell c)
{
    return {kCellPitch * c.x - kCellSize, kCellPitch * c.y - kCellSize};
}

ui::Bitmap LoadAsset(std::string_view name)
{
    const auto bytes = assets::Find(name);
    return bytes.empty() ? ui::Bitmap() : ui::Bitmap::FromBmp(bytes);
}

void SetSoundAsset(TWave& wave, std::string_view name)
{
    const auto bytes = assets::Find(name);
    if (!bytes.empty())
        wave.SetSound(bytes);
}

// A count shown zero-filled; anything that is not a plain number counts as 0.
int CaptionInteger(const std::string& text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : 0;
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

TGameForm::TGameForm(Screens& screens)
    : ui::Form(screens.app), Panel1(this), Image1(&Panel1), Label1(&Panel1), ScoreLabel(&Panel1),
      Label5(&Panel1), Label3(&Panel1), Label2(&Panel1), Image3(&Panel1), HiScoreLabel(&Panel1),
      AnimatedImage1(&Panel1), zNWBlendPaint1(&Panel1), Panel2(&Panel1), PaintBox1(&Panel2),
      Image2(&Panel2), Target(&Panel2), Target2(&Panel2), zNWBlendPaint2(&Panel1), Label6(&Panel1),
      GL(&Panel1), Label7(&Panel1), EL(&Panel1), Label8(&Panel1), AL(&Panel1), Label9(&Panel1),
      HL(&Panel1), LLL(&Panel1), screens_(screens)
{
    screens_.GameForm = this;
    if (screens_.Form1 == nullptr)
        throw std::logic_error("the game screen needs the main menu created before it");
    BuildLayout();
    OnShow = [this](ui::Form&)
    {
        FormShow();
    };
    OnHide = [this](ui::Form&)
    {
        FormHide();
    };
    OnKeyDown = [this](ui::Form& sender, int& key)
    {
        FormKeyDown(sender, key);
    };
    OnPlayerTurn = [this](ui::Form&, int player, ui::Turn turn)
    {
        PlayerTurn(player, static_cast<std::uint8_t>(turn));
    };
    FormCreate();
}

TGameForm::~TGameForm()
{
    StopAllTimers();
    if (screens_.GameForm == this)
        screens_.GameForm = nullptr;
}

void TGameForm::BuildLayout()
{
    Panel1.SetBounds(0, 0, 641, 577);

    Image1.SetBounds(8, 13, 16, 16);
    Image1.SetPicture(LoadAsset("ball_yellow.bmp"));
    SetupLabel(Label1, 32, 8, "Player 1", 19, ui::clWhite);
    SetupLabel(ScoreLabel, 32, 32, "000", 19, ui::clWhite);
    Label5.SetAutoSize(false);
    Label5.SetBounds(208, 8, 217, 41);
    Label5.SetWordWrap(true);
    Label5.SetAlignment(ui::Alignment::Center);
    SetupLabel(Label5, 208, 8, "Zorbel II", 29, ui::clYellow, true);
    SetupLabel(Label3, 272, 42, "Death Match", 13, ui::clRed);
    SetupLabel(Label2, 536, 8, "Player 2", 19, ui::clWhite);
    Image3.SetBounds(614, 13, 16, 16);
    Image3.SetPicture(LoadAsset("ball_cyan.bmp"));
    SetupLabel(HiScoreLabel, 572, 32, "000", 19, ui::clWhite);

    AnimatedImage1.BeginLoad();
    AnimatedImage1.SetBounds(96, 80, 14, 14);
    AnimatedImage1.SetActive(true);
    AnimatedImage1.SetGlyph(LoadAsset("strip3.bmp"));
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
    Image2.SetPicture(LoadAsset("grid.bmp"));
    Image2.SetTransparentColor(ui::clWhite);
    Image2.SetTransparent(true);
    // Line art: the grid lines must land exactly where the cells' fills end.
    Image2.SetResample(ui::Resample::Exact);
    for (widgets::TAnimatedImage* target : {&Target, &Target2})
    {
        target->BeginLoad();
        target->SetBounds(0, 0, 13, 13);
        target->SetActive(true);
        target->SetGlyph(LoadAsset(target == &Target ? "target_yellow.bmp" : "target_cyan.bmp"));
        target->SetTransparentColor(kBoardColour);
        target->SetVisible(false);
        target->Loaded();
    }

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

TForm1& TGameForm::Main() const
{
    return *screens_.Form1;
}

void TGameForm::SetRandomSource(engine::RandomSource* source)
{
    random_ = source != nullptr ? source : &Generator;
}

void TGameForm::FormCreate()
{
    Generator.Randomize();
    SetColor(ui::clBlack);
    CenterPanel(Panel1);
    Panel1.SetColor(ui::clBlack);

    TForm1& main = Main();
    main.SkillLevel = static_cast<std::uint8_t>(ReadInRange(*main.Ini, "Main", "Skill", 3, 1, 5));
    main.SetSkill();

    // Every picture is tried, so that one bad file costs only its own worm's drawing; the
    // failures are reported together, after the rest of the set-up has been done.
    std::string failures;
    const auto load = [&](ui::Bitmap& picture, int n)
    {
        try
        {
            picture = ui::Bitmap::LoadFromFile(main.ProgramDir + "b" + std::to_string(n) + ".bmp");
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

    TimerDM.SetInterval(ReadClamped(*main.Ini, "Main", "DM_interval", 100, 1, 999));

    if (!failures.empty())
        App().HandleException(std::make_exception_ptr(std::runtime_error(failures)));
}

void TGameForm::FormShow()
{
    App().SetCursorVisible(false);
    phase_ = GamePhase::Waiting;
    WaitTimer.SetEnabled(true);
}

void TGameForm::FormHide()
{
    App().SetCursorVisible(true);
    // Every timer of the screen stops, so that no game, death sequence or wait goes on behind
    // the menu; a game cut short here is never recorded.
    StopAllTimers();
    phase_ = GamePhase::Idle;
    Target.SetVisible(false);
    Target2.SetVisible(false);
    Main().Pop.Play();
}

void TGameForm::StopAllTimers()
{
    for (widgets::TzcTimer* timer :
         {&Timer1, &TimerDM, &pKillTimer, &cKillTimer, &WaitTimer, &DMKiller})
        timer->SetEnabled(false);
}

void TGameForm::WaitTimerTimer(widgets::TzcTimer&)
{
    if (Main().DeathMatch)
        NewDeathMatch();
    else
        NewGame();
    WaitTimer.SetEnabled(false);
}

void TGameForm::ResetBoard()
{
    Board.Reset();
    for (std::uint8_t x = 1; x <= engine::kInnerMax; ++x)
        for (std::uint8_t y = 1; y <= engine::kInnerMax; ++y)
            DeleteSection({x, y});
}

void TGameForm::NewGame()
{
    TForm1& main = Main();
    Target2.SetVisible(false);
    ResetBoard();
    wormCount_ = std::clamp(main.WormCount, 0, engine::kComputerWorms);
    prob_ = std::max(main.Prob, 1);
    engine::StartLayout(Board, Worms, wormCount_, Player);
    Score = 0;
    UpdateScoreLabel();
    if (main.SkillLevel == kCustomLevel)
        HiScoreLabel.SetCaption("000");
    else
        UpdateHiScoreLabel();
    UpdateLLL();
    Target.SetVisible(true);
    PutNewTarget();
    phase_ = GamePhase::Playing;
    Timer1.SetEnabled(true);
}

void TGameForm::DrawSection(const ui::Bitmap& picture, engine::Cell cell)
{
    if (picture.Empty())
        return;
    const ui::Point p = CellOrigin(cell);
    PaintBox1.Canvas().Draw(p.x, p.y, picture);
    PaintBox1.InvalidateRect(ui::Bounds(p.x, p.y, picture.Width(), picture.Height()));
}

void TGameForm::DeleteSection(engine::Cell cell)
{
    const ui::Point p = CellOrigin(cell);
    const ui::Rect square = ui::Bounds(p.x, p.y, kCellSize, kCellSize);
    PaintBox1.Canvas().FillRect(square, kBoardColour);
    PaintBox1.InvalidateRect(square);
}

void TGameForm::RedrawWorm(int n)
{
    engine::ComputerWorm& worm = Worms[static_cast<std::size_t>(n)];
    if (worm.sections[engine::kComputerLength] != worm.sections[0])
    {
        DeleteSection(worm.sections[0]);
        Board.At(worm.sections[0]) = engine::kEmpty;
    }
    DrawSection(WormPictures[static_cast<std::size_t>(n)], worm.sections[1]);
    Board.At(worm.sections[1]) = engine::kComputer;
}

void TGameForm::RedrawPlayerWorm()
{
    if (Player.sections[static_cast<std::size_t>(Player.length)] != Player.sections[0])
    {
        DeleteSection(Player.sections[0]);
        Board.At(Player.sections[0]) = engine::kEmpty;
    }
    DrawSection(WormPictures[0], Player.sections[1]);
    Board.At(Player.sections[1]) = engine::kPlayer;
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
    return engine::Rand(*random_, a, b);
}

std::uint8_t TGameForm::Rand3(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return engine::Rand3(*random_, a, b, c);
}

void TGameForm::Timer1Timer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::Playing)
        return;

    engine::CrawlStep(Player.sections, Player.length, Player.direction);
    // The test comes before the redraw: the cell the tail is leaving still holds code 3, so
    // a head entering it dies.
    CheckPlayerWormEvents();
    RedrawPlayerWorm();
    engine::TakeQueuedTurn(Player);

    // In number order, each seeing the codes the player and the lower-numbered worms have
    // already written in this tick.
    for (int n = 1; n <= wormCount_; ++n)
    {
        engine::ComputerWorm& worm = Worms[static_cast<std::size_t>(n)];
        if (worm.sections[0] == worm.sections[engine::kComputerLength])
            DrawSection(WormPictures[static_cast<std::size_t>(n)], worm.sections[0]);
        DetectFree(n);
        DetectMainDir(n);
        const engine::Cell head = worm.sections[1];
        engine::CrawlStep(worm.sections, engine::kComputerLength, engine::kNone);
        worm.sections[1] = engine::Step(head, engine::ChooseDirection(worm, prob_, *random_));
        RedrawWorm(n);
    }
}

static_assert(static_cast<int>(ui::Turn::Left) == engine::kLeft &&
              static_cast<int>(ui::Turn::Right) == engine::kRight &&
              static_cast<int>(ui::Turn::Up) == engine::kUp &&
              static_cast<int>(ui::Turn::Down) == engine::kDown);

void TGameForm::PlayerTurn(int player, std::uint8_t dir)
{
    // A controller's turn is that player's direction key, whatever keys the players share.
    if (Main().DeathMatch)
    {
        engine::Turn(player == 1 ? Player1 : Player2, dir);
        return;
    }
    if (player != 1)
        return;
    Player.queued = engine::kNone;
    engine::Turn(Player, dir);
}

void TGameForm::PutNewTarget()
{
    PlaceTarget(Target, engine::kTarget, TargetCell);
}

void TGameForm::PlaceTarget(widgets::TAnimatedImage& target, std::uint8_t code, engine::Cell& where)
{
    const auto cell = engine::FindTargetCell(Board, *random_);
    if (!cell)
    {
        target.SetVisible(false);
        return;
    }
    where = *cell;
    Board.At(*cell) = code;
    target.SetBounds(kCellPitch * cell->x - 6, kCellPitch * cell->y + 2, target.Width(),
                     target.Height());
    target.SetVisible(true);
}

void TGameForm::FormKeyDown(ui::Form&, int& key)
{
    TForm1& main = Main();
    if (key == ui::vk::Escape)
        Hide();
    if (key == ui::vk::Pause)
    {
        widgets::TzcTimer& tick = main.DeathMatch ? TimerDM : Timer1;
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
    }
    if (main.DeathMatch)
    {
        // Both players' bindings are compared and none ends the search: with the default keys
        // every arrow turns both worms. A queued turn stays until the next move.
        const int bindings[8] = {main.LeftKey1, main.RightKey1, main.UpKey1, main.DownKey1,
                                 main.LeftKey2, main.RightKey2, main.UpKey2, main.DownKey2};
        for (int i = 0; i < 8; ++i)
            if (bindings[i] == key)
                engine::Turn(i < 4 ? Player1 : Player2, static_cast<std::uint8_t>(i % 4));
        return;
    }

    // Any key event cancels a queued turn; of several accepted keys within one tick only the
    // last after the first can stay queued.
    Player.queued = engine::kNone;
    const int bindings[4] = {main.LeftKey, main.RightKey, main.UpKey, main.DownKey};
    for (std::uint8_t d = engine::kLeft; d <= engine::kDown; ++d)
        if (bindings[d] == key)
            engine::Turn(Player, d);
}

void TGameForm::CheckPlayerWormEvents()
{
    const std::uint8_t code = Board.At(Player.sections[1]);
    // A worm still gathered on its start cell (sections 2 and 3 stacked) stands on its own
    // code without dying.
    if (code == engine::kWall || code == engine::kComputer ||
        (code == engine::kPlayer && Player.sections[2] != Player.sections[3]))
        Dead();
    if (code == engine::kTarget)
    {
        Hrum.Play();
        ++Score;
        UpdateScoreLabel();
        UpdateLLL();
        Target.SetVisible(false);
        PutNewTarget();
        engine::Grow(Player);
        Invalidate();
    }
}

void TGameForm::Dead()
{
    Timer1.SetEnabled(false);
    DeadSound.Play();
    App().Rumble(1);
    RemovalCounter = Player.length;
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
    DeleteSection(Player.sections[static_cast<std::size_t>(RemovalCounter)]);
    --RemovalCounter;
    if (RemovalCounter <= 0)
    {
        RemovalCounter = engine::kComputerLength;
        pKillTimer.SetEnabled(false);
        phase_ = GamePhase::RemovingComputers;
        cKillTimer.SetEnabled(true);
    }
}

void TGameForm::cKillTimerTimer(widgets::TzcTimer&)
{
    if (phase_ != GamePhase::RemovingComputers)
        return;
    // All eight records, in play or not: the ones beyond this game's count paint the cells
    // an earlier game left in them.
    for (int n = 1; n <= engine::kComputerWorms; ++n)
        DeleteSection(
            Worms[static_cast<std::size_t>(n)].sections[static_cast<std::size_t>(RemovalCounter)]);
    --RemovalCounter;
    if (RemovalCounter > 0)
        return;
    cKillTimer.SetEnabled(false);
    phase_ = GamePhase::Waiting;
    if (Main().SkillLevel != kCustomLevel)
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
    const double average = ParseCommaNumber(AL.Caption()).value_or(0.0);
    const int games = CaptionInteger(GL.Caption());
    const int eaten = CaptionInteger(EL.Caption());
    const double change = static_cast<double>(eaten + Score) / (games + 1) - average;
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
    const TForm1& main = Main();
    return GetUserId(*main.Ini, main.SkillLevel, main.UserName);
}

void TGameForm::CheckHiScore()
{
    TForm1& main = Main();
    const HiScoreOutcome outcome = RecordGame(*main.Ini, main.SkillLevel, main.UserName, Score);
    main.UserSlot = outcome.slot;
    // The next game waits until the player has seen the table the game changed.
    if (outcome.orderChanged && screens_.Form2 != nullptr)
        screens_.Form2->ShowModal();
}

void TGameForm::UpdateHiScoreLabel()
{
    const TForm1& main = Main();
    const std::string level = std::to_string(main.SkillLevel);
    const std::string slot = std::to_string(main.UserSlot);
    const TIniFile& ini = *main.Ini;
    HiScoreLabel.SetCaption(PadLeft(ini.ReadString("HiScores", "score" + level + "1", "0"), 3));
    GL.SetCaption(PadLeft(ini.ReadString("HiGames", "games" + level + slot, "0"), 5));
    EL.SetCaption(PadLeft(ini.ReadString("HiEaten", "eaten" + level + slot, "0"), 5));
    AL.SetCaption(PadLeft(ini.ReadString("HiAverage", "average" + level + slot, "0"), 2));
    HL.SetCaption(PadLeft(ini.ReadString("HiScores", "score" + level + slot, "0"), 3));
}
