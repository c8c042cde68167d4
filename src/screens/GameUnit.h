// The game screen: the single game and the death match of the engine's game model, painted,
// sounded and timed from what the model reports; keys, phases, the scoreboard and the records.
#pragma once

#include "engine/Board.h"
#include "engine/Game.h"
#include "engine/Random.h"
#include "engine/Worms.h"
#include "records/Records.h"
#include "screens/Screen.h"
#include "ui/Control.h"
#include "widgets/Animate.h"
#include "widgets/Blend.h"
#include "widgets/Std2.h"
#include "widgets/Wave.h"

#include <array>
#include <cstdint>
#include <vector>

// Where a visit of the screen stands. Only Playing lets the tick run; Pause moves between
// Playing and Paused and is ignored in every other phase.
enum class GamePhase
{
    Idle,              // hidden, or shown with nothing started
    Waiting,           // the short wait before a game
    Playing,           // the tick runs
    Paused,            // the tick is held by Pause
    RemovingPlayer,    // the death sequence erases the player's worm
    RemovingComputers, // then the computer worms
    RemovingBout,      // a death match's dead worm (or both) is erased before the next bout
};

class TGameForm final : public Screen
{
public:
    // The board's panel, the largest of all the screens'.
    static constexpr int kPanelWidth = 641;
    static constexpr int kPanelHeight = 577;

    TGameForm(Screens& screens, Session& session);
    ~TGameForm() override;

    // Shows the screen for a single game of the logged-in user: player 1 is that user, the
    // right side shows the level's high score.
    void ShowSingleGame();
    // Shows the screen for a death match of two players.
    void ShowDeathMatch();
    // The session's tick interval for the single game's timer.
    void ApplySkill();

    // Painting on the board; neither changes a cell code.
    void DrawSection(const ui::Bitmap& picture, engine::Cell cell);
    void DeleteSection(engine::Cell cell);
    // After a crawl step: erase the cell the tail left (if it left one), draw the new head and
    // bring the two codes up to date.
    void RedrawWorm(int n);
    void RedrawPlayerWorm();

    // One tick of the single game: the player first, then computer worms 1 to N.
    void Timer1Timer(widgets::TzcTimer& sender);
    void DetectFree(int n);
    void DetectMainDir(int n);
    std::uint8_t Rand(std::uint8_t a, std::uint8_t b);
    std::uint8_t Rand3(std::uint8_t a, std::uint8_t b, std::uint8_t c);
    // Puts the target on a random empty inner cell and shows it there; with no empty cell left
    // the target stays hidden.
    void PutNewTarget();

    void FormKeyDown(ui::Form& sender, int& key) override;
    // A key bound to a direction of the mode being played steers, even F11 or Enter.
    bool ClaimsKey(int key) const override;
    // The window lost the focus or was minimised: a game in play pauses as Pause would.
    void FormDeactivate() override;
    // Player 1 or 2's controller turned the worm: the same handling as that player's key.
    void PlayerTurn(int player, std::uint8_t dir);
    // Death test and eating for the cell under the player's new head.
    void CheckPlayerWormEvents();
    void Dead();
    void KillPlayerWorm();
    void pKillTimerTimer(widgets::TzcTimer& sender);
    void cKillTimerTimer(widgets::TzcTimer& sender);
    void WaitTimerTimer(widgets::TzcTimer& sender);
    void NewGame();

    void FormCreate();
    void FormShow() override;
    void FormHide() override;
    void UpdateScoreLabel();
    // The average change if the game ended now, from the statistics row and the score.
    void UpdateLLL();

    // Records: the current level's table read and the current user's slot in it (-1 when not
    // in the table), the recording of a finished game, and the record texts shown during play,
    // from the table as last read or written.
    int Get_User_ID();
    void CheckHiScore();
    void UpdateHiScoreLabel();
    const records::Standing& Records() const { return records_; }

    // Death match: bout after bout until Esc, each player with a worm, a target and keys of
    // their own; nothing of it is recorded.
    void NewDeathMatch();
    void NewDeath();
    // One tick: player 1 moved, checked and drawn before player 2 moves, which settles every
    // tie between them; then the bout's outcome.
    void TimerDMTimer(widgets::TzcTimer& sender);
    void CheckPlayer1WormEvents();
    void CheckPlayer2WormEvents();
    void RedrawPlayer1Worm();
    void RedrawPlayer2Worm();
    void Dead1();
    void Dead2();
    void DMKillerTimer(widgets::TzcTimer& sender);
    void UpdateScore1Label();
    void UpdateScore2Label();
    void PutNewTarget1();
    void PutNewTarget2();

    GamePhase Phase() const { return phase_; }
    // Random numbers come from Generator unless a source is set here (null: Generator again).
    void SetRandomSource(engine::RandomSource* source);
    int Random(int n) { return Model.Random().Random(n); }

    // The game itself; the screen paints, sounds and times what it reports. The names below
    // are the model's state under the screen's names.
    engine::Game Model;
    engine::Board& Board = Model.board;
    std::array<engine::ComputerWorm, engine::kComputerWorms + 1>& Worms = Model.worms;
    engine::PlayerWorm& Player = Model.player;
    engine::Cell& TargetCell = Model.targetCell;
    int& Score = Model.score;
    int& RemovalCounter = Model.removalCounter;
    // Death match.
    engine::DeathMatchWorm& Player1 = Model.player1;
    engine::DeathMatchWorm& Player2 = Model.player2;
    engine::Cell& Target2Cell = Model.target2Cell;
    int& Score1 = Model.score1;
    int& Score2 = Model.score2;
    std::uint8_t& WhoDied = Model.whoDied; // 1 player 1, 2 player 2, 3 both
    engine::RandomGenerator& Generator = Model.generator;
    // The statistics row under the board as numbers, for the average change.
    engine::Statistics Statistics;

    // Worm pictures: index 0 the player's (b0.bmp), 1..8 the computer worms' (b1..b8.bmp).
    std::array<ui::Bitmap, engine::kComputerWorms + 1> WormPictures;
    ui::Bitmap Player2Picture; // b2.bmp once more, for player 2 of a death match

    // Form data.
    ui::Panel Panel1;
    ui::Image Image1;
    ui::Label Label1;
    ui::Label ScoreLabel;
    ui::Label Label5;
    ui::Label Label3;
    ui::Label Label2;
    ui::Image Image3;
    ui::Label HiScoreLabel;
    widgets::TAnimatedImage AnimatedImage1; // a small strip that the board panel covers
    widgets::TzNWBlendPaint zNWBlendPaint1;
    ui::Panel Panel2;
    ui::PaintBox PaintBox1;
    ui::Image Image2; // the grid over the board
    widgets::TAnimatedImage Target;
    widgets::TAnimatedImage Target2;
    ui::Label PauseLabel; // over the board while a game is paused
    widgets::TzNWBlendPaint zNWBlendPaint2;
    ui::Label Label6;
    ui::Label GL;
    ui::Label Label7;
    ui::Label EL;
    ui::Label Label8;
    ui::Label AL;
    ui::Label Label9;
    ui::Label HL;
    ui::Label LLL;
    widgets::TzcTimer Timer1;
    widgets::TzcTimer TimerDM;
    widgets::TzcTimer pKillTimer;
    widgets::TzcTimer cKillTimer;
    widgets::TzcTimer WaitTimer;
    widgets::TzcTimer DMKiller;
    TWave Hrum;
    TWave DeadSound;

private:
    void BuildLayout();
    void StopAllTimers();
    // Pause: holds a game or bout in play, or resumes a paused one; ignored in other phases.
    void TogglePause();
    void ShowPauseCaption(bool shown);
    // Paints, sounds and times everything the model reported, in order, and forgets it.
    void ApplyEvents();
    void ShowTarget(std::uint8_t which, engine::Cell cell);
    void StartBout();
    void EndBout(std::uint8_t whoDied);

    GamePhase phase_ = GamePhase::Idle;
    records::Standing records_;
    // Events being applied; swapped with the model's list so that both keep their capacity.
    std::vector<engine::Event> applying_;
};
