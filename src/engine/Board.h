// The playing board: 31 x 31 one-byte cell codes, x-major, with the border ring as walls.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace engine
{

inline constexpr int kBoardSize = 31;
// Inner cells are 1..kInnerMax in both axes; 0 and kBoardSize - 1 are the walls.
inline constexpr int kInnerMax = 29;

// Cell codes.
inline constexpr std::uint8_t kEmpty = 0;
inline constexpr std::uint8_t kTarget = 1; // the single game's target; player 1's in a death match
inline constexpr std::uint8_t kComputer = 2;
inline constexpr std::uint8_t kPlayer = 3;
inline constexpr std::uint8_t kWall = 4;
inline constexpr std::uint8_t kTarget2 = 5; // player 2's target

// Direction codes; the values are the ones the game stores and compares.
inline constexpr std::uint8_t kLeft = 0;
inline constexpr std::uint8_t kRight = 1;
inline constexpr std::uint8_t kUp = 2;
inline constexpr std::uint8_t kDown = 3;
inline constexpr std::uint8_t kNone = 4;

struct Cell
{
    std::uint8_t x = 0;
    std::uint8_t y = 0;
    constexpr bool operator==(const Cell&) const = default;
};

// The neighbour of c in direction dir; kNone gives c itself.
constexpr Cell Step(Cell c, std::uint8_t dir)
{
    switch (dir)
    {
    case kLeft:
        return {static_cast<std::uint8_t>(c.x - 1), c.y};
    case kRight:
        return {static_cast<std::uint8_t>(c.x + 1), c.y};
    case kUp:
        return {c.x, static_cast<std::uint8_t>(c.y - 1)};
    case kDown:
        return {c.x, static_cast<std::uint8_t>(c.y + 1)};
    default:
        return c;
    }
}

// Left and right, up and down are opposites; kNone has none (kNone is returned).
constexpr std::uint8_t Opposite(std::uint8_t dir)
{
    switch (dir)
    {
    case kLeft:
        return kRight;
    case kRight:
        return kLeft;
    case kUp:
        return kDown;
    case kDown:
        return kUp;
    default:
        return kNone;
    }
}

class Board
{
public:
    std::uint8_t& At(int x, int y) { return codes_[static_cast<std::size_t>(x * kBoardSize + y)]; }
    std::uint8_t At(int x, int y) const
    {
        return codes_[static_cast<std::size_t>(x * kBoardSize + y)];
    }
    std::uint8_t& At(Cell c) { return At(c.x, c.y); }
    std::uint8_t At(Cell c) const { return At(c.x, c.y); }

    // Codes only: inner cells empty, the border ring walls. Painting the squares is the screen's.
    void Reset();
    // Number of inner cells holding code 0.
    int EmptyInnerCells() const;
    // FNV-1a (64-bit) over every cell code, walls included: equal boards, equal hashes.
    std::uint64_t Hash() const;

    // The inner cells as 29 lines of 29 characters, row by row from the top: '.' empty, '*'
    // target, 'c' computer worm, 'P' player worm, '#' wall, '+' player 2's target.
    std::string ToText() const;

private:
    std::array<std::uint8_t, kBoardSize * kBoardSize> codes_{};
};

} // namespace engine
