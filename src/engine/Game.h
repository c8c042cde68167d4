// One game model for both modes: the single game (the player, the computer worms, a target,
// eating, growth, death and the removal after it) and the death match (two players' worms and
// targets, the tick order that settles ties, bouts and scores), driven by ticks and turns and
// reporting what happened as events for a screen to paint, sound and time.
#pragma once

#include "engine/Board.h"
#include "engine/Random.h"
#include "engine/Worms.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace engine
{

// One numbering for the worm an event is about: 0 the single game's player or death-match
// player 1, 1..kComputerWorms a computer worm, kSecondPlayer death-match player 2. A target
// belongs to the worm that eats it: kFirstPlayer's (the single game's or player 1's) or
// kSecondPlayer's.
inline constexpr std::uint8_t kFirstPlayer = 0;
inline constexpr std::uint8_t kSecondPlayer = kComputerWorms + 1;

// Who lost a bout (Game::whoDied and a BoutOver event's who).
inline constexpr std::uint8_t kPlayer1Died = 1;
inline constexpr std::uint8_t kPlayer2Died = 2;
inline constexpr std::uint8_t kBothDied = 3;

inline constexpr Cell kPlayer1Start{10, 10};
inline constexpr Cell kPlayer2Start{20, 20};

enum class EventKind : std::uint8_t
{
    Cleared,      // every inner cell is empty again: a new game or bout
    Draw,         // a section of worm who appears on cell
    Erase,        // cell shows the empty board again
    Eaten,        // worm who ate its target on cell (the single game's score already counted)
    Died,         // the single game's player died on cell; the tick goes on for the computers
    TargetPlaced, // the target of worm who is on cell
    TargetHidden, // no empty cell was left for the target of worm who
    BoutOver,     // a bout ended; who as in WhoDied, the scores already settled
    // The game is over and may be kept: a single game's removal has ended, or a death match
    // under way (in play, paused or between bouts) was left.
    Finished,
};

struct Event
{
    EventKind kind = EventKind::Cleared;
    Cell cell{};
    std::uint8_t who = 0;
};

enum class Mode : std::uint8_t
{
    Single,
    DeathMatch,
};

// Where a game stands. Only Playing lets the tick run; Pause moves between Playing and Paused
// and is ignored in every other phase.
enum class Phase : std::uint8_t
{
    Idle,              // nothing started, or the game was left
    Waiting,           // the short wait before a game (the caller starts it)
    Playing,           // the tick runs
    Paused,            // the tick is held by Pause
    RemovingPlayer,    // after the player's death its worm is erased
    RemovingComputers, // then the computer worms
    RemovingBout,      // a death match's dead worm (or both) is erased before the next bout
};

// The levels Beginner (1) to Master (4) have fixed parameters; Custom's come from the settings.
inline constexpr int kCustomLevel = 5;
struct Skill
{
    int level = 3;
    int probability = 6; // computer worms reconsider their way with chance 1 in probability
    int interval = 100;  // ms between ticks
    int worms = 4;       // computer worms, 0..8
};
// The fixed parameters of levels 1 to 4; nullopt for any other level.
std::optional<Skill> LevelSkill(int level);
// Where Custom's probability, interval and computer worms and the death match's interval can be
// set (the skill screen's spin buttons and the settings file hold them there).
inline constexpr int kMinProbability = 1;
inline constexpr int kMaxProbability = 99;
inline constexpr int kMinInterval = 1;
inline constexpr int kMaxInterval = 999;
// The death match's skill: only its interval counts, there are no computer worms.
constexpr Skill DeathMatchSkill(int interval)
{
    return {0, 1, interval, 0};
}
// Milliseconds between the steps of the phases other than play.
inline constexpr int kWaitInterval = 200;
inline constexpr int kRemovalInterval = 20;
// A dying worm is erased in about this long whatever its length.
inline constexpr int kRemovalTime = 1100;

// A direction for one player's worm: player 1 (the single game's, or death-match player 1) or 2.
struct PlayerTurn
{
    std::uint8_t player = 1;
    std::uint8_t direction = kNone;
    constexpr bool operator==(const PlayerTurn&) const = default;
};

// A turn that changed a worm, stamped with the number of steps (play ticks and removal steps,
// see Game::Steps) taken before it. kNone is a single-game key that only cancelled the queued
// turn. Fed back through Game::Key before the same step, the turns give the same game.
struct AcceptedTurn
{
    std::uint32_t step = 0;
    PlayerTurn turn;
    constexpr bool operator==(const AcceptedTurn&) const = default;
};

// What a game or death match starts from: enough to play it again with the same turns.
struct GameStart
{
    Mode mode = Mode::Single;
    std::uint64_t seed = 0;
    Skill skill;
    // The players' turned flags as the start found them: a key pressed after the last tick of
    // what came before still has the first key of the new game queued.
    std::array<bool, 2> turned{};
};

class Game
{
public:
    Game() = default;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Random numbers come from generator unless a source is set here (null: generator again).
    void SetRandomSource(RandomSource* source);
    RandomSource& Random() { return *random_; }

    // The flow. A screen enters a mode and waits; when the wait is over it starts a game from a
    // seed of its choosing; Step then does what the phase wants, every Interval() ms.
    void Enter(Mode mode);
    // Whatever was under way stops; a death match under way reports Finished, a single game cut
    // short nothing.
    void Leave();
    Mode GameMode() const { return mode_; }
    Phase GamePhase() const { return phase_; }
    // The milliseconds the current phase wants between steps.
    int Interval() const { return interval_; }
    // One step of the phase: a tick in play, a removal step (at its end the next bout, or the
    // wait for the next game); nothing while idle, waiting or paused.
    void Step();
    // Holds a game or bout in play, or resumes a paused one; false (nothing done) in any other
    // phase.
    bool TogglePause();
    // A game in play pauses when its player switched away; a paused game stays paused and a
    // removal runs to its end. True when it paused.
    bool PauseInPlay();
    // A direction key or controller event: the turns it stands for, in order. In the single
    // game any key first cancels a queued turn and only player 1's turns count; in the death
    // match each turn goes to its player's worm. Accepted turns are kept (AcceptedTurns) from
    // the start until the game ends; one after that lives on only in the next game's
    // GameStart::turned.
    void Key(std::span<const PlayerTurn> turns);
    // An accepted turn played back: what Key did when the game kept it, the cancel of a queued
    // turn (kNone) or the turn of that player's worm.
    void ApplyTurn(PlayerTurn turn);
    // Starting. NewGame and NewDeathMatch keep the players' turned flags; Start sets them first,
    // as a replay does.
    void Start(const GameStart& start);
    // A new single game from seed with skill's computer worms and probability.
    void NewGame(std::uint64_t seed, const Skill& skill);
    // Scores to 0 to 0 and the first bout; interval is the death match's tick.
    void NewDeathMatch(std::uint64_t seed, int interval);
    // What the current game started from.
    const GameStart& Started() const { return start_; }
    std::uint64_t Seed() const { return start_.seed; }
    // Play ticks since the start, pauses and removals left out.
    std::uint32_t Ticks() const { return ticks_; }
    // Steps since the start: play ticks and removal steps. Accepted turns are stamped with it.
    std::uint32_t Steps() const { return steps_; }
    const std::vector<AcceptedTurn>& AcceptedTurns() const { return turns_; }
    // FNV-1a over the board's cells.
    std::uint64_t StateHash() const { return board_.Hash(); }

    // What happened since the reader last took it, in order: into is cleared and swapped with the
    // engine's list, so that both keep their capacity.
    void TakeEvents(std::vector<Event>& into);
    const std::vector<Event>& Events() const { return events_; }

    // The state, read only. The board's codes; the single game's player, computer worm n (1..8;
    // the records beyond the game's count keep what an earlier game left), target and score;
    // the death match's players, player 2's target, scores and who lost the last bout.
    const engine::Board& Board() const { return board_; }
    const PlayerWorm& Player() const { return player_; }
    const ComputerWorm& Worm(int n) const { return worms_[static_cast<std::size_t>(n)]; }
    Cell TargetCell() const { return targetCell_; }
    int Score() const { return score_; }
    const DeathMatchWorm& Player1() const { return player1_; }
    const DeathMatchWorm& Player2() const { return player2_; }
    Cell Target2Cell() const { return target2Cell_; }
    int Score1() const { return score1_; }
    int Score2() const { return score2_; }
    std::uint8_t WhoDied() const { return whoDied_; }
    // Removal steps left in the phase being removed.
    int RemovalCounter() const { return removalCounter_; }

private:
    // Sets a game up cell by cell for tests and benchmarks (engine/Scenario.h).
    friend class Scenario;
    // A replay watched between games gives the players' turned flags back as it found them.
    friend class Playback;

    // The single game's steps.
    // One tick: the player moved, tested and drawn, then computer worms 1 to count in order.
    void Tick();
    // Death test and eating for the cell under the player's new head.
    void CheckPlayerWormEvents();
    void RedrawPlayerWorm();
    // Computer worm n: steered, moved and drawn.
    void MoveComputerWorm(int n);
    void RedrawWorm(int n);
    void PutNewTarget();
    // The player died: the removal begins, its sections from the tail at kRemovalTime / length
    // ms a step, then section by section of all eight computer records.
    void Dead();
    void KillPlayerWorm();
    // Each removal step returns true when its part is done.
    bool RemovePlayerStep();
    bool RemoveComputersStep();

    // The death match's steps.
    // Both worms standing on their start cells, the targets placed; scores are kept.
    void NewDeath();
    // Player 1 moved, tested and drawn before player 2 moves, which settles every tie between
    // them; then the bout's outcome (BoutOver when a worm died).
    void DeathMatchTick();
    void CheckPlayer1WormEvents();
    void CheckPlayer2WormEvents();
    void RedrawPlayer1Worm();
    void RedrawPlayer2Worm();
    void PutNewTarget1();
    void PutNewTarget2();
    // A bout lost by player 1, player 2 or both: the winner scores, the removal is set up.
    void Dead1();
    void Dead2();
    void BothDead();
    // One step of erasing the losing worm (or both, each from its own tail); true when the
    // next bout is due. Only painting: the codes stay until the next bout clears the board.
    bool BoutRemovalStep();

    void Begin(Mode mode, std::uint64_t seed, const Skill& skill);
    void Clear();
    // The redraw after a crawl step, shared by every worm: the cell the tail left (if it left
    // one) is erased and emptied, the new head drawn and given code.
    void Redraw(std::span<const Cell> sections, int length, std::uint8_t code, std::uint8_t who);
    void PlaceTarget(std::uint8_t code, Cell& where, std::uint8_t who);
    void CheckDeathMatchEvents(DeathMatchWorm& worm, std::uint8_t ownTarget,
                               std::uint8_t deadlyTarget);
    void EndBout(std::uint8_t who, int removalSteps);
    void TurnWorm(PlayerWorm& worm, PlayerTurn turn);
    void Keep(PlayerTurn turn);

    std::vector<Event> events_;
    engine::Board board_;
    RandomGenerator generator_;
    // The single game.
    std::array<ComputerWorm, kComputerWorms + 1> worms_{}; // 1..8 used
    PlayerWorm player_;
    Cell targetCell_;
    int score_ = 0;
    int removalCounter_ = 0;
    // The death match; targetCell_ is player 1's target.
    DeathMatchWorm player1_;
    DeathMatchWorm player2_;
    Cell target2Cell_;
    int score1_ = 0;
    int score2_ = 0;
    std::uint8_t whoDied_ = 0;

    RandomSource* random_ = &generator_;
    Mode mode_ = Mode::Single;
    Phase phase_ = Phase::Idle;
    int interval_ = 0;
    GameStart start_;
    std::uint32_t ticks_ = 0;
    std::uint32_t steps_ = 0;
    std::vector<AcceptedTurn> turns_;
};

} // namespace engine
