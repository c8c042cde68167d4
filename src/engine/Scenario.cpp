// engine::Scenario: a game's state written directly, for tests and benchmarks.
#include "engine/Scenario.h"

namespace engine
{

void Scenario::Lay(std::span<Cell> sections, int length, std::span<const Cell> cells)
{
    std::size_t i = 1;
    Cell last{};
    for (const Cell c : cells)
    {
        sections[i++] = c;
        last = c;
    }
    for (; i <= static_cast<std::size_t>(length); ++i)
        sections[i] = last;
    sections[0] = last;
}

Scenario& Scenario::Code(Cell cell, std::uint8_t code)
{
    game_.board_.At(cell) = code;
    return *this;
}

Scenario& Scenario::ResetBoard()
{
    game_.board_.Reset();
    return *this;
}

Scenario& Scenario::ComputerWorm(int n, std::span<const Cell> cells, std::uint8_t direction)
{
    engine::ComputerWorm& worm = game_.worms_[static_cast<std::size_t>(n)];
    Lay(worm.sections, kComputerLength, cells);
    worm.direction = direction;
    for (const Cell c : cells)
        game_.board_.At(c) = kComputer;
    return *this;
}

Scenario& Scenario::Player(std::span<const Cell> cells, std::uint8_t direction)
{
    Lay(game_.player_.sections, game_.player_.length, cells);
    game_.player_.direction = direction;
    for (const Cell c : cells)
        game_.board_.At(c) = kPlayer;
    return *this;
}

Scenario& Scenario::StandingPlayer(Cell cell, int length)
{
    game_.player_.length = length;
    game_.player_.sections.fill(cell);
    game_.board_.At(cell) = kPlayer;
    return *this;
}

Scenario& Scenario::PlayerLength(int length)
{
    game_.player_.length = length;
    return *this;
}

Scenario& Scenario::DeathMatchPlayer(int player, std::span<const Cell> cells,
                                     std::uint8_t direction, int length)
{
    DeathMatchWorm& worm = player == 2 ? game_.player2_ : game_.player1_;
    for (int i = 0; i <= worm.length; ++i)
        game_.board_.At(worm.sections[static_cast<std::size_t>(i)]) = kEmpty;
    worm.length = length;
    Lay(worm.sections, length, cells);
    worm.direction = direction;
    for (const Cell c : cells)
        game_.board_.At(c) = kPlayer;
    return *this;
}

Scenario& Scenario::Direction(int player, std::uint8_t direction)
{
    (player == 2 ? game_.player2_ : game_.player1_).direction = direction;
    return *this;
}

Scenario& Scenario::Target(Cell cell)
{
    if (game_.board_.At(game_.targetCell_) == kTarget)
        game_.board_.At(game_.targetCell_) = kEmpty;
    game_.board_.At(cell) = kTarget;
    game_.targetCell_ = cell;
    return *this;
}

Scenario& Scenario::NewTarget()
{
    game_.PutNewTarget();
    return *this;
}

Scenario& Scenario::Scores(int score)
{
    game_.score_ = score;
    return *this;
}

Scenario& Scenario::Scores(int score1, int score2)
{
    game_.score1_ = score1;
    game_.score2_ = score2;
    return *this;
}

Scenario& Scenario::Kill()
{
    game_.Dead();
    return *this;
}

Scenario& Scenario::NextBout()
{
    game_.NewDeath();
    return *this;
}

} // namespace engine
