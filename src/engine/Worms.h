// Worm records of the single game, the crawl step, the start layout, growth, the computer worms'
// steering and the placement of targets.
#pragma once

#include "engine/Board.h"
#include "engine/Random.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace engine
{

inline constexpr int kComputerWorms = 8;
inline constexpr int kComputerLength = 10;
// Sections 1..kMaxLength; index 0 is the cell the tail just left.
inline constexpr int kMaxLength = 800;
inline constexpr int kStartLength = 10;
inline constexpr int kGrowth = 5;
inline constexpr Cell kPlayerStart{15, 15};

struct ComputerWorm
{
    std::array<Cell, kComputerLength + 1> sections{};
    std::uint8_t direction = kNone;
    // Steering scratch, recomputed before every step.
    std::array<bool, 4> free{};
    std::uint8_t freeCount = 0;
    std::uint8_t mainDirection = kNone;
};

struct PlayerWorm
{
    std::array<Cell, kMaxLength + 1> sections{};
    std::int32_t length = kStartLength;
    std::uint8_t direction = kNone;
    std::uint8_t queued = kNone;
    bool turned = false;
};

// A death-match worm: the player's record and the outcome of the current tick's event check.
struct DeathMatchWorm : PlayerWorm
{
    bool dead = false;
};

// A direction key accepted for worm: ignored against the current direction's opposite (never
// the queued one); the first turn since the last move takes effect, a later one is queued.
void Turn(PlayerWorm& worm, std::uint8_t dir);
// After a move: a new turn may be taken, and a queued one becomes the direction.
void TakeQueuedTurn(PlayerWorm& worm);
// The death test for a head that has just moved onto a cell holding code: a wall, foe or a
// worm's section kills, except that a worm still gathered on its start cell (sections 2 and 3
// stacked) stands on its own code without dying. With ownSectionsOnly that holds only where one
// of its own sections lies, because the other worm's body carries the same code.
bool HeadDies(const PlayerWorm& worm, std::uint8_t code, std::uint8_t foe, bool ownSectionsOnly);
// Length 10, every section on start, standing, nothing queued; the turned flag is kept.
void PlaceStandingWorm(PlayerWorm& worm, Cell start);

// sections[0] := sections[length]; the list shifts by one towards the tail; the head moves one
// cell in dir (kNone: it stays). No cell code is read or written.
void CrawlStep(std::span<Cell> sections, int length, std::uint8_t dir);

// Adds up to kGrowth sections stacked on the tail cell, stopping at kMaxLength sections.
void Grow(PlayerWorm& worm);

struct StartPlace
{
    Cell cell;
    std::uint8_t direction;
};
// Start cell and direction of computer worm n (1..8) in a game of count worms (1..8): around the
// centre heading away from it for up to four worms, on a ring heading to the walls for more.
StartPlace ComputerStart(int count, int n);

// Places computer worms 1..count and the player for a new single game: all sections stacked on
// the start cells, their codes set. The player's turned flag is kept.
void StartLayout(Board& board, std::span<ComputerWorm, kComputerWorms + 1> worms, int count,
                 PlayerWorm& player);

// Free flags and count from the codes of the head's four neighbours (only code 0 is free).
void DetectFree(const Board& board, ComputerWorm& worm);
// The worm's direction when its neighbour that way is free, else kNone.
void DetectMainDir(ComputerWorm& worm);
// Rand: Random(2) picks a (0) or b (1). Rand3: Random(3) picks a, b or c.
std::uint8_t Rand(RandomSource& random, std::uint8_t a, std::uint8_t b);
std::uint8_t Rand3(RandomSource& random, std::uint8_t a, std::uint8_t b, std::uint8_t c);
// The steering choice after DetectFree and DetectMainDir: one Random(prob) always, and a second
// draw only when two or three neighbours are free. Sets and returns the worm's direction.
std::uint8_t ChooseDirection(ComputerWorm& worm, int prob, RandomSource& random);

// A uniformly chosen empty inner cell by rejection sampling, x drawn before y; nullopt without
// drawing when the board has no empty inner cell.
std::optional<Cell> FindTargetCell(const Board& board, RandomSource& random);

} // namespace engine
