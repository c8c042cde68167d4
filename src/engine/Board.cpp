// Board reset, counting and the text form used by golden tests.
#include "engine/Board.h"

namespace engine
{

void Board::Reset()
{
    for (int x = 1; x <= kInnerMax; ++x)
        for (int y = 1; y <= kInnerMax; ++y)
            At(x, y) = kEmpty;
    for (int i = 0; i < kBoardSize; ++i)
    {
        At(i, 0) = kWall;
        At(i, kBoardSize - 1) = kWall;
        At(0, i) = kWall;
        At(kBoardSize - 1, i) = kWall;
    }
}

int Board::EmptyInnerCells() const
{
    int count = 0;
    for (int x = 1; x <= kInnerMax; ++x)
        for (int y = 1; y <= kInnerMax; ++y)
            count += At(x, y) == kEmpty ? 1 : 0;
    return count;
}

std::uint64_t Board::Hash() const
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const std::uint8_t code : codes_)
    {
        hash ^= code;
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string Board::ToText() const
{
    static constexpr char kGlyphs[] = ".*cP#+";
    std::string text;
    text.reserve(kInnerMax * (kInnerMax + 1));
    for (int y = 1; y <= kInnerMax; ++y)
    {
        for (int x = 1; x <= kInnerMax; ++x)
        {
            const std::uint8_t code = At(x, y);
            text += code < sizeof(kGlyphs) - 1 ? kGlyphs[code] : '?';
        }
        text += '\n';
    }
    return text;
}

} // namespace engine
