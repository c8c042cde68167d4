// Windows BMP files: 24-bit true colour and 8-bit palettised, bottom-up, BITMAPINFOHEADER.
#pragma once

#include "Bytes.h"
#include "Raster.h"

#include <span>

namespace assetgen
{

Bytes WriteBmp24(const Canvas& canvas);

// Writes the canvas with a 256-entry palette; every pixel's colour must be one of the palette's
// (a picture meant for a palette is drawn in palette colours), else it throws.
Bytes WriteBmp8(const Canvas& canvas, std::span<const Rgb> palette);

} // namespace assetgen
