// Writes the C++ source that compiles the form data into the program.
#pragma once

#include "Bytes.h"

#include <string>
#include <utility>
#include <vector>

namespace assetgen
{

// A C++ file defining assets::Find over the named byte blocks, each an integer array.
std::string EmbedSource(const std::vector<std::pair<std::string, Bytes>>& files);

} // namespace assetgen
