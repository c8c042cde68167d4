// engine::Scenario: a game set up cell by cell for tests and benchmarks: codes on the board,
// worms laid from head to tail, a target moved, scores, and the steps a scenario forces.
#pragma once

#include "engine/Game.h"

#include <span>

namespace engine
{

// Every setter writes the state only; nothing is reported as an event unless it says so.
class Scenario
{
public:
    explicit Scenario(Game& game) : game_(game) {}

    Scenario& Code(Cell cell, std::uint8_t code);
    // Every code back to a new board's: walls around an empty inside.
    Scenario& ResetBoard();
    // Computer worm n (1..8) laid from its head over cells, the last repeated to its tail, going
    // direction; the cells get its code.
    Scenario& ComputerWorm(int n, std::span<const Cell> cells, std::uint8_t direction);
    // The single game's player laid the same way, its length kept.
    Scenario& Player(std::span<const Cell> cells, std::uint8_t direction);
    // The single game's player standing on cell with length sections (its code written).
    Scenario& StandingPlayer(Cell cell, int length);
    Scenario& PlayerLength(int length);
    // Death-match player 1 or 2 laid from its head over cells, length sections long; the codes
    // of its sections before are emptied first.
    Scenario& DeathMatchPlayer(int player, std::span<const Cell> cells, std::uint8_t direction,
                               int length);
    Scenario& Direction(int player, std::uint8_t direction);
    // The single game's target moved to cell, its old cell emptied; nothing reported.
    Scenario& Target(Cell cell);
    // The single game's target placed anew from the random source, as after a meal, and
    // reported.
    Scenario& NewTarget();
    Scenario& Scores(int score);
    Scenario& Scores(int score1, int score2);

    // Random numbers from source (null: the game's generator again).
    Scenario& UseRandom(RandomSource* source)
    {
        game_.SetRandomSource(source);
        return *this;
    }
    // The generator the game draws from when no other source is set.
    RandomGenerator& Generator() { return game_.generator_; }

    // The single game's player dies where it stands: its removal begins.
    Scenario& Kill();
    // A death match's next bout, the scores kept.
    Scenario& NextBout();

private:
    static void Lay(std::span<Cell> sections, int length, std::span<const Cell> cells);

    Game& game_;
};

} // namespace engine
