// Crawling, growth, start layout, steering and target placement.
#include "engine/Worms.h"

#include <algorithm>

namespace engine
{
namespace
{

constexpr StartPlace kNearCentre[4] = {
    {{9, 15}, kLeft}, {{21, 15}, kRight}, {{15, 9}, kUp}, {{15, 21}, kDown}};
constexpr StartPlace kRing[8] = {{{10, 5}, kUp},     {{5, 10}, kLeft},  {{5, 20}, kLeft},
                                 {{10, 25}, kDown},  {{20, 25}, kDown}, {{25, 20}, kRight},
                                 {{25, 10}, kRight}, {{20, 5}, kUp}};

} // namespace

void CrawlStep(std::span<Cell> sections, int length, std::uint8_t dir)
{
    sections[0] = sections[static_cast<std::size_t>(length)];
    for (int i = length; i >= 2; --i)
        sections[static_cast<std::size_t>(i)] = sections[static_cast<std::size_t>(i - 1)];
    sections[1] = Step(sections[1], dir);
}

void Grow(PlayerWorm& worm)
{
    for (int k = 1; k <= kGrowth && worm.length < kMaxLength; ++k)
    {
        ++worm.length;
        worm.sections[static_cast<std::size_t>(worm.length)] =
            worm.sections[static_cast<std::size_t>(worm.length - k)];
    }
}

void Turn(PlayerWorm& worm, std::uint8_t dir)
{
    if (worm.direction == Opposite(dir))
        return;
    if (!worm.turned)
        worm.direction = dir;
    else
        worm.queued = dir;
    worm.turned = true;
}

void TakeQueuedTurn(PlayerWorm& worm)
{
    worm.turned = false;
    if (worm.queued != kNone)
    {
        worm.direction = worm.queued;
        worm.queued = kNone;
    }
}

bool HeadDies(const PlayerWorm& worm, std::uint8_t code, std::uint8_t foe, bool ownSectionsOnly)
{
    if (code == kWall || code == foe)
        return true;
    if (code != kPlayer)
        return false;
    if (worm.sections[2] != worm.sections[3])
        return true;
    if (!ownSectionsOnly)
        return false;
    const auto body = worm.sections.begin() + 2;
    const auto bodyEnd = worm.sections.begin() + worm.length + 1;
    return std::find(body, bodyEnd, worm.sections[1]) == bodyEnd;
}

void PlaceStandingWorm(PlayerWorm& worm, Cell start)
{
    worm.length = kStartLength;
    std::fill(worm.sections.begin(), worm.sections.begin() + kStartLength + 1, start);
    worm.direction = kNone;
    worm.queued = kNone;
}

StartPlace ComputerStart(int count, int n)
{
    return count <= 4 ? kNearCentre[n - 1] : kRing[n - 1];
}

void StartLayout(Board& board, std::span<ComputerWorm, kComputerWorms + 1> worms, int count,
                 PlayerWorm& player)
{
    for (int n = 1; n <= count; ++n)
    {
        const StartPlace start = ComputerStart(count, n);
        ComputerWorm& worm = worms[static_cast<std::size_t>(n)];
        worm.sections.fill(start.cell);
        worm.direction = start.direction;
        board.At(start.cell) = kComputer;
    }
    PlaceStandingWorm(player, kPlayerStart);
    board.At(kPlayerStart) = kPlayer;
}

void DetectFree(const Board& board, ComputerWorm& worm)
{
    const Cell head = worm.sections[1];
    worm.freeCount = 0;
    for (std::uint8_t d = kLeft; d <= kDown; ++d)
    {
        worm.free[d] = board.At(Step(head, d)) == kEmpty;
        worm.freeCount += worm.free[d] ? 1 : 0;
    }
}

void DetectMainDir(ComputerWorm& worm)
{
    worm.mainDirection = kNone;
    for (std::uint8_t d = kLeft; d <= kDown; ++d)
        if (worm.free[d] && worm.direction == d)
            worm.mainDirection = d;
}

std::uint8_t Rand(RandomSource& random, std::uint8_t a, std::uint8_t b)
{
    return random.Random(2) == 0 ? a : b;
}

std::uint8_t Rand3(RandomSource& random, std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    switch (random.Random(3))
    {
    case 0:
        return a;
    case 1:
        return b;
    default:
        return c;
    }
}

std::uint8_t ChooseDirection(ComputerWorm& worm, int prob, RandomSource& random)
{
    const int r = random.Random(prob);
    if (worm.mainDirection != kNone && r != 0)
        return worm.direction;
    switch (worm.freeCount)
    {
    case 4:
        break;
    case 3:
    {
        std::uint8_t others[3]{};
        int k = 0;
        for (std::uint8_t d = kLeft; d <= kDown; ++d)
            if (worm.free[d])
                others[k++] = d;
        worm.direction = Rand3(random, others[0], others[1], others[2]);
        break;
    }
    case 2:
    {
        std::uint8_t pair[2]{};
        int k = 0;
        for (std::uint8_t d = kLeft; d <= kDown; ++d)
            if (worm.free[d])
                pair[k++] = d;
        worm.direction = Rand(random, pair[0], pair[1]);
        break;
    }
    case 1:
        for (std::uint8_t d = kLeft; d <= kDown; ++d)
            if (worm.free[d])
                worm.direction = d;
        break;
    default:
        worm.direction = kNone;
        break;
    }
    return worm.direction;
}

std::optional<Cell> FindTargetCell(const Board& board, RandomSource& random)
{
    if (board.EmptyInnerCells() == 0)
        return std::nullopt;
    for (;;)
    {
        const int x = random.Random(kInnerMax) + 1;
        const int y = random.Random(kInnerMax) + 1;
        if (board.At(x, y) == kEmpty)
            return Cell{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)};
    }
}

} // namespace engine
