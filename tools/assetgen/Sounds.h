// The three sounds as WAVE files: the click, the eating and the dying.
#pragma once

#include "Bytes.h"

#include <cstddef>

namespace assetgen
{

// Sample counts are fixed: the screens were laid out around sounds of these lengths.
constexpr std::size_t kPopSamples = 12224;
constexpr std::size_t kHrumSamples = 69358;
constexpr std::size_t kDeadSoundSamples = 130048;

Bytes PopSound();
Bytes HrumSound();
Bytes DeadSound();

} // namespace assetgen
