// TGameForm: the game screen: a match's single games, death matches and replays laid out,
// painted and sounded from the events it reports, keys and controllers turned into
// (player, direction), and the scoreboard.
#pragma once

#include "engine/Board.h"
#include "engine/Game.h"
#include "engine/Replay.h"
#include "net/Link.h"
#include "net/NetMatchControl.h"
#include "play/Match.h"
#include "play/MatchControl.h"
#include "records/Records.h"
#include "screens/Screen.h"
#include "screens/TimerTicker.h"
#include "ui/Control.h"
#include "widgets/AnimatedImage.h"
#include "widgets/CellGrid.h"
#include "widgets/GradientPaint.h"
#include "widgets/Timer.h"
#include "widgets/Wave.h"

#include <array>
#include <cstdint>
#include <memory>
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

    TGameForm(ui::Platform& app, Navigator& navigator, Session& session);
    ~TGameForm() override;

    // Shows the screen for a single game of the logged-in user: player 1 is that user, the
    // right side shows the level's high score.
    void ShowSingleGame();
    // Shows the screen for a death match of two players.
    void ShowDeathMatch();
    // Shows the screen playing replay back, captioned as a replay and whose; Esc goes back to the
    // screen below. Nothing is recorded or counted, and the settings file is not written.
    void ShowReplay(const engine::Replay& replay);
    // Shows the screen for a death match against the computer at the other end of link, which is
    // connected: the host plays player 1. Nothing is recorded; each game is kept as a replay.
    void ShowNetworkMatch(std::unique_ptr<net::Link> link, bool hosting);
    // The network match under way, if one is.
    const net::NetMatch* Network() const { return net_ ? &net_->Match() : nullptr; }
    // The replay in the file at path played, or why not told in the message box (false).
    bool WatchReplayFile(const std::string& path);

    // The local match: its games and replays. The screen times whichever match it shows with
    // Timer1 and paints what it reports.
    play::Match& Play() { return match_; }
    const play::Match& Play() const { return match_; }

    // The one timer: a step of the match, painted.
    void Timer1Timer(widgets::TzcTimer& sender);
    // Paints and sounds everything the match reported, in order, and forgets it.
    void ApplyEvents();

    void FormKeyDown(ui::Form& sender, int& key) override;
    // A key bound to a direction of the mode being played steers, even F11 or Enter.
    bool ClaimsKey(int key) const override;
    // The window lost the focus or was minimised: a game in play pauses as Pause would.
    void FormDeactivate() override;

    void FormCreate();
    void FormShow() override;
    void FormHide() override;
    void UpdateScoreLabel();
    // The change of statistics' average if the game ended now with score.
    void UpdateLLL(const records::Row& statistics, int score);
    void UpdateScore1Label();
    void UpdateScore2Label();
    // The record texts shown during play, from the table the match last read or wrote.
    void UpdateHiScoreLabel();

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
    widgets::CellGrid PaintBox1; // the board's cells, painted as the match reports them
    ui::Image Image2;            // the grid over the board
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
    TWave Hrum{session_.Audio};
    TWave DeadSound{session_.Audio};

private:
    static constexpr ui::Color kBoardColour = ui::clGreen;
    // Where the form data places the captions that the modes move or change.
    static constexpr int kScoreCaptionLeft = 511; // "High Score" and "Final Score"
    static constexpr int kPlayer2Left = 536;
    static constexpr int kModeCaptionLeft = 272;
    static constexpr std::string_view kDeathMatchCaption = "Death Match";

    // The form data (GameFormData.cpp).
    void BuildLayout();
    // Who plays and how, as the session and the captions say when a game starts.
    play::Lineup Lineup() const;
    // A game or replay is over: its last step painted, the records or the replay's end shown.
    void GameOver(const play::Over& over);
    // What the match says besides the board, after each tick and key: the caption over the
    // board, the names, whether the display may sleep, and its end, which goes back.
    void ShowState();
    // Over the board, or hidden when empty.
    void ShowCaption(std::string_view caption);
    // The scoreboard of a game or bout that begins.
    void ShowStart();
    widgets::TAnimatedImage& TargetOf(std::uint8_t who);
    void ShowTarget(std::uint8_t who, engine::Cell cell);
    void EndBout(std::uint8_t whoDied);
    // Player 2's ball shown or not, and player 1's ball and target in the mode's colour.
    void ShowPlayerColours(bool deathMatch);

    // Replay playback (GameScreenReplay.cpp): the speed keys and the title.
    void ReplayKey(int key);
    void ShowReplayCaption();

    TimerTicker ticker_{Timer1, [this]
                        {
                            Timer1Timer(Timer1);
                        }};
    play::Match match_;
    std::unique_ptr<net::Link> link_;
    std::optional<net::NetMatchControl> net_;
    // The match shown: match_, or net_ while a network match is under way.
    play::MatchControl* control_ = &match_;
    // Player 1's caption as the games left it, given back after a replay.
    std::string gameCaption1_;
    // Events being applied, taken from the match's list so that both keep their capacity.
    std::vector<engine::Event> applying_;
    int deathMatchInterval_ = 100;
};
