// TGameForm: the game screen: the engine's single game and death match, timed, painted and sounded
// from what the engine reports; the bindings turned into (player, direction), the scoreboard and
// the records.
#pragma once

#include "engine/Board.h"
#include "engine/Game.h"
#include "engine/Playback.h"
#include "engine/Random.h"
#include "engine/Worms.h"
#include "records/Records.h"
#include "screens/Screen.h"
#include "ui/Control.h"
#include "widgets/AnimatedImage.h"
#include "widgets/GradientPaint.h"
#include "widgets/Timer.h"
#include "widgets/Wave.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    // Shows the screen playing replay back, captioned as a replay and whose; Esc goes back to the
    // screen below. Nothing is recorded or counted, and the settings file is not written.
    void ShowReplay(const engine::Replay& replay);
    // The replay in the file at path played, or why not told in the message box (false).
    bool WatchReplayFile(const std::string& path);
    bool Replaying() const { return playback_.has_value(); }
    // How many steps the replay takes in the time of one: 1, 2, 4 or 8.
    int ReplaySpeed() const { return replaySpeed_; }
    static constexpr std::string_view kReplayMismatch =
        "This replay does not match this version of the game";

    // Painting on the board; neither changes a cell code.
    void DrawSection(const ui::Bitmap& picture, engine::Cell cell);
    void DeleteSection(engine::Cell cell);

    // The timers: each runs the engine's step while the engine is in its phase.
    void Timer1Timer(widgets::TzcTimer& sender);
    void TimerDMTimer(widgets::TzcTimer& sender);
    void pKillTimerTimer(widgets::TzcTimer& sender);
    void cKillTimerTimer(widgets::TzcTimer& sender);
    void DMKillerTimer(widgets::TzcTimer& sender);
    // The wait is over: the next single game or death match, seeded from the clock.
    void WaitTimerTimer(widgets::TzcTimer& sender);
    // A single game with the skill in force, or a death match, from the clock or from seed.
    void NewGame();
    void NewGame(std::uint64_t seed);
    void NewDeathMatch();
    void NewDeathMatch(std::uint64_t seed);

    void FormKeyDown(ui::Form& sender, int& key) override;
    // A key bound to a direction of the mode being played steers, even F11 or Enter.
    bool ClaimsKey(int key) const override;
    // The window lost the focus or was minimised: a game in play pauses as Pause would.
    void FormDeactivate() override;
    // Player 1 or 2's controller turned the worm: the same handling as that player's key.
    void PlayerTurn(int player, std::uint8_t dir);

    void FormCreate();
    void FormShow() override;
    void FormHide() override;
    void UpdateScoreLabel();
    // The average change if the game ended now, from the statistics row and the score.
    void UpdateLLL();
    void UpdateScore1Label();
    void UpdateScore2Label();

    // Records: the current level's table read and the current user's slot in it (-1 when not
    // in the table), read at each game start of a level with records; the recording of a
    // finished game; and the record texts shown during play, from the table as last read or
    // written.
    int Get_User_ID();
    void CheckHiScore();
    void UpdateHiScoreLabel();
    const records::Standing& Records() const { return records_; }

    // The game itself: the screen times, paints and sounds what it reports.
    engine::Game Model;
    // Paints and sounds everything the engine reported, in order, forgets it, and runs the
    // timer the engine's phase wants.
    void ApplyEvents();
    // The statistics row under the board, for the average change.
    records::Row Statistics;

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
    TWave Hrum{session_.Audio};
    TWave DeadSound{session_.Audio};

private:
    void BuildLayout();
    void StopAllTimers();
    // The one timer the engine's phase wants runs, at the engine's interval; the others stop.
    void SyncTimers();
    // The step of phase, if the engine is still in it, painted and timed.
    void Advance(engine::Phase phase);
    // Pause: holds a game or bout in play, or resumes a paused one; ignored in other phases.
    void TogglePause();
    void ShowPaused();
    void ShowPauseCaption(bool shown);
    // The (player, direction) turns key stands for in the mode being played, in binding order.
    std::size_t TurnsOf(int key, std::array<engine::PlayerTurn, 8>& turns) const;
    void PaintEvents();
    widgets::TAnimatedImage& TargetOf(std::uint8_t who);
    void ShowTarget(std::uint8_t who, engine::Cell cell);
    void EndBout(std::uint8_t whoDied);
    // Player 2's ball shown or not, and player 1's ball and target in the mode's colour.
    void ShowPlayerColours(bool deathMatch);

    // The game just played, kept in the replay store; a full disk only loses the replay.
    void KeepReplay();
    // Replay playback: started when the screen shows, one recorded step per timer tick.
    void StartReplay();
    void ReplayStep();
    void ReplayKey(int key);
    void SyncReplayTimer();
    void ShowReplayCaption();

    records::Standing records_;
    std::optional<engine::Playback> playback_;
    int replaySpeed_ = 1;
    bool replayPaused_ = false;
    bool replayEnded_ = false;
    // Player 1's caption as the games left it, given back after a replay.
    std::string gameCaption1_;
    // Events being applied; swapped with the engine's list so that both keep their capacity.
    std::vector<engine::Event> applying_;
    int deathMatchInterval_ = 100;
};
