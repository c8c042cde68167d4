// Plain value types of the platform layer: colours, points, rectangles, mouse buttons, key codes.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ui
{

struct Color
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    constexpr bool operator==(const Color&) const = default;
    constexpr std::uint32_t Pixel() const
    {
        return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    }
    static constexpr Color FromPixel(std::uint32_t p)
    {
        return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                static_cast<std::uint8_t>(p)};
    }
};

inline constexpr Color clBlack{0, 0, 0};
inline constexpr Color clWhite{255, 255, 255};
inline constexpr Color clRed{255, 0, 0};
inline constexpr Color clLime{0, 255, 0};
inline constexpr Color clGreen{0, 128, 0};
inline constexpr Color clBlue{0, 0, 255};
inline constexpr Color clYellow{255, 255, 0};
inline constexpr Color clAqua{0, 255, 255};
inline constexpr Color clFuchsia{255, 0, 255};
inline constexpr Color clGray{128, 128, 128};
inline constexpr Color clSilver{192, 192, 192};
inline constexpr Color clOlive{128, 128, 0};
inline constexpr Color clNavy{0, 0, 128};
inline constexpr Color clMaroon{128, 0, 0};

struct Point
{
    int x = 0;
    int y = 0;
    constexpr bool operator==(const Point&) const = default;
};

// Half-open rectangle: right and bottom are one past the last pixel, as in the Windows API.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool Empty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(Point p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr Rect Offset(int dx, int dy) const
    {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    constexpr Rect Intersect(const Rect& o) const
    {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                std::min(bottom, o.bottom)};
    }
    constexpr Rect Union(const Rect& o) const
    {
        if (Empty())
            return o;
        if (o.Empty())
            return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    constexpr bool operator==(const Rect&) const = default;
};

constexpr Rect Bounds(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

enum class MouseButton
{
    Left,
    Right,
    Middle
};

// Virtual-key codes: the numbers the game and the settings file use for keys.
namespace vk
{
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18;
inline constexpr int Pause = 19;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Prior = 33;
inline constexpr int Next = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Numpad0 = 96;
inline constexpr int Decimal = 110; // the keypad's point with Num Lock on
inline constexpr int F1 = 112;
inline constexpr int OemSemicolon = 186; // the ; : key
inline constexpr int OemMinus = 189;
inline constexpr int OemPeriod = 190;
inline constexpr int Oem3 = 192; // the ` ~ key
inline constexpr int OemLeftBracket = 219;
inline constexpr int OemRightBracket = 221;
// A key that has no code of its own (national letters, keys of other keyboards).
inline constexpr int NoCode = 255;
} // namespace vk

} // namespace ui
