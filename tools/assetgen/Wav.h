// RIFF WAVE files: PCM, mono, 8-bit unsigned.
#pragma once

#include "Bytes.h"

#include <cstdint>
#include <span>

namespace assetgen
{

Bytes WriteWav8(std::span<const std::uint8_t> samples, std::uint32_t sampleRate);

} // namespace assetgen
