// What the replay fuzz targets share: the input as a replay file whose checksum holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <zlib.h>

namespace fuzzing
{

// The bytes with the last four replaced by the CRC-32 of the rest, as a writer would have put it
// there: a mutated value then reaches the reader's checks of values rather than failing the
// checksum. The CRC-32 is zlib's, apart from the reader's own.
inline std::vector<std::byte> WithChecksum(std::vector<std::byte> bytes)
{
    constexpr std::size_t kChecksumBytes = 4;
    if (bytes.size() < kChecksumBytes)
        return bytes;
    const std::size_t body = bytes.size() - kChecksumBytes;
    const uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(body));
    for (std::size_t i = 0; i < kChecksumBytes; ++i)
        bytes[body + i] = static_cast<std::byte>((crc >> (8 * i)) & 0xFF);
    return bytes;
}

} // namespace fuzzing
