// PNG files: 8-bit RGBA, one IDAT chunk compressed by zlib.
#pragma once

#include "Bytes.h"

#include <cstdint>
#include <span>

namespace assetgen
{

// Writes a width x height picture whose pixels are given row by row, four bytes (red, green,
// blue, alpha) each; throws when the sizes do not agree or compression fails.
Bytes WritePngRgba(int width, int height, std::span<const std::uint8_t> rgba);

} // namespace assetgen
