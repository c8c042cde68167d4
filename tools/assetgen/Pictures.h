// The pictures: worm heads, the button ball, the board grid, target strips, corner balls, the
// pulsing dot and the controls screen's worms, each as a complete BMP file; and the application
// icon as a PNG file.
#pragma once

#include "Bytes.h"
#include "Raster.h"

#include <array>

namespace assetgen
{

constexpr int kWormPictures = 9; // b0 the player, b1 .. b8 the computer worms

// Besides its own size, each picture shown on a screen is drawn anew at these multiples of it
// ("b0@2x.bmp", "b0@4x.bmp"), so that a large scale reduces a finer drawing instead of
// magnifying the small one. Every drawing function takes the factor (1 for the picture itself).
constexpr std::array<int, 2> kFinerFactors{2, 4};

enum class Direction
{
    Left,
    Right,
    Up,
    Down,
};

// Yellow is the single game's; in a death match each player's ball and target take the colour
// of that player's worm: lime (b0) for player 1, blue (b2) for player 2.
enum class BallColour
{
    Yellow,
    Lime,
    Blue,
};

Bytes WormHeadPicture(int number, int factor = 1);
Bytes ButtonPicture(int factor = 1);
Bytes GridPicture();
Bytes TargetStrip(BallColour colour, int factor = 1);
Bytes CornerBall(BallColour colour, int factor = 1);
Bytes PulseStrip(int factor = 1);
Bytes ControlsWorm(Direction direction, bool small, int factor = 1);

// The sizes of the desktop icon, in pixels per side.
constexpr std::array<int, 6> kIconSizes{16, 32, 48, 64, 128, 256};

// The desktop icon: the player's worm head looking up and to the right, its body trailing off
// to the lower left, on a transparent background.
Bytes AppIcon(int size);

// The window's icon: the desktop icon at 64 pixels as a BMP, its background kWindowIconKey.
inline constexpr Rgb kWindowIconKey{255, 0, 255};
Bytes WindowIcon();

} // namespace assetgen
