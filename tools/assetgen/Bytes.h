// Little helpers for building binary files byte by byte.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace assetgen
{

using Bytes = std::vector<std::uint8_t>;

inline void PutU8(Bytes& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void PutLe16(Bytes& out, std::uint32_t v)
{
    PutU8(out, v & 0xFF);
    PutU8(out, (v >> 8) & 0xFF);
}

inline void PutLe32(Bytes& out, std::uint32_t v)
{
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

inline void PutBe16(Bytes& out, std::uint32_t v)
{
    PutU8(out, (v >> 8) & 0xFF);
    PutU8(out, v & 0xFF);
}

inline void PutBe32(Bytes& out, std::uint32_t v)
{
    PutBe16(out, v >> 16);
    PutBe16(out, v & 0xFFFF);
}

inline void PutText(Bytes& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

} // namespace assetgen
