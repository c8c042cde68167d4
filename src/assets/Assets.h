// Lookup of the pictures and sounds compiled into the program (the screens' form data).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace assets
{

// The bytes of an embedded asset file by its name ("button.bmp", "pop.wav"); empty when unknown.
std::span<const std::uint8_t> Find(std::string_view name);

} // namespace assets
