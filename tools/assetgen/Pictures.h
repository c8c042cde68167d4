// The pictures: worm heads, the button ball, the board grid, target strips, corner balls, the
// pulsing dot and the controls screen's worms, each as a complete BMP file.
#pragma once

#include "Bytes.h"

namespace assetgen
{

constexpr int kWormPictures = 9; // b0 the player, b1 .. b8 the computer worms

enum class Direction
{
    Left,
    Right,
    Up,
    Down,
};

enum class BallColour
{
    Yellow,
    Cyan,
};

Bytes WormHeadPicture(int number);
Bytes ButtonPicture();
Bytes GridPicture();
Bytes TargetStrip(BallColour colour);
Bytes CornerBall(BallColour colour);
Bytes PulseStrip();
Bytes ControlsWorm(Direction direction, bool small);

} // namespace assetgen
