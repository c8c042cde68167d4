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
#include <span>
#include <vector>

namespace engine
{

// Whose picture a Draw event asks for: 0 the single game's player or death-match player 1,
// 1..kComputerWorms a computer worm, kSecondPlayer death-match player 2.
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
    Eaten,        // who ate its target on cell: 0 the single game's player (the score counted),
                  // 1 or 2 a death-match player
    Died,         // the single game's player died on cell; the tick goes on for the computers
    TargetPlaced, // target who (1: the single game's or player 1's, 2: player 2's) is on cell
    TargetHidden, // no empty cell was left for target who
    BoutOver,     // a bout ended; who as in whoDied, the scores already settled
};

struct Event
{
    EventKind kind = EventKind::Cleared;
    Cell cell{};
    std::uint8_t who = 0;
};

// A user's statistics at a level as the records keep them.
struct Statistics
{
    int games = 0;
    int eaten = 0;
    double average = 0.0;
};
// How the average would change if the game under way ended now with score.
double AverageChange(const Statistics& statistics, int score);

class Game
{
public:
    Game() = default;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Random numbers come from generator unless a source is set here (null: generator again).
    void SetRandomSource(RandomSource* source);
    RandomSource& Random() { return *random_; }

    // The single game.
    // A new game of count computer worms (0..8) that reconsider their way with chance 1 in prob.
    void NewGame(int count, int probability);
    // One tick: the player moved, tested and drawn, then computer worms 1 to count in order.
    void Tick();
    // Death test and eating for the cell under the player's new head.
    void CheckPlayerWormEvents();
    void RedrawPlayerWorm();
    // Computer worm n: steered, moved and drawn.
    void MoveComputerWorm(int n);
    void RedrawWorm(int n);
    void PutNewTarget();
    // A key event of the single game: any key cancels a queued turn, then the worm turns to
    // each direction bound to the key, in order (none for a key bound to nothing).
    void PlayerKey(std::span<const std::uint8_t> dirs);
    // The removal after a death: the player's sections from the tail, then section by section
    // of all eight computer records. Each step returns true when its part is done.
    void StartPlayerRemoval();
    bool RemovePlayerStep();
    bool RemoveComputersStep();

    // The death match.
    // Scores to 0 to 0 and the first bout.
    void NewDeathMatch();
    // Both worms standing on their start cells, the targets placed; scores are kept.
    void NewBout();
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

    // What happened since the reader last cleared it, in order.
    std::vector<Event> events;

    Board board;
    RandomGenerator generator;
    // The single game.
    std::array<ComputerWorm, kComputerWorms + 1> worms{}; // 1..8 used
    PlayerWorm player;
    Cell targetCell;
    int score = 0;
    int removalCounter = 0;
    int wormCount = 0;
    int prob = 6;
    // The death match; targetCell is player 1's target.
    DeathMatchWorm player1;
    DeathMatchWorm player2;
    Cell target2Cell;
    int score1 = 0;
    int score2 = 0;
    std::uint8_t whoDied = 0;

private:
    void Clear();
    // The redraw after a crawl step, shared by every worm: the cell the tail left (if it left
    // one) is erased and emptied, the new head drawn and given code.
    void Redraw(std::span<const Cell> sections, int length, std::uint8_t code, std::uint8_t who);
    void PlaceTarget(std::uint8_t code, Cell& where, std::uint8_t which);
    void CheckDeathMatchEvents(DeathMatchWorm& worm, std::uint8_t ownTarget,
                               std::uint8_t deadlyTarget);
    void EndBout(std::uint8_t who, int removalSteps);

    RandomSource* random_ = &generator;
};

} // namespace engine
