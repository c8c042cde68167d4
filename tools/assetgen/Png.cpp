// PNG files: 8-bit RGBA, one IDAT chunk compressed by zlib.
#include "Png.h"

#include <zlib.h>

#include <stdexcept>
#include <string_view>

namespace assetgen
{

namespace
{

void PutChunk(Bytes& out, std::string_view type, const Bytes& data)
{
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    PutText(out, type);
    out.insert(out.end(), data.begin(), data.end());
    // The checksum covers the type and the data, not the length.
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    PutBe32(out, static_cast<std::uint32_t>(crc));
}

} // namespace

Bytes WritePngRgba(int width, int height, std::span<const std::uint8_t> rgba)
{
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
    {
        throw std::invalid_argument("PNG size does not match its pixels");
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    // Every row starts with its filter type; 0 (none) keeps the encoder trivially correct, and
    // zlib still squeezes the flat background of an icon to almost nothing.
    Bytes raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
    {
        raw.push_back(0);
        const auto row = rgba.subspan(static_cast<std::size_t>(y) * rowBytes, rowBytes);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
    {
        throw std::runtime_error("PNG compression failed");
    }
    packed.resize(packedSize);

    Bytes header;
    PutBe32(header, static_cast<std::uint32_t>(width));
    PutBe32(header, static_cast<std::uint32_t>(height));
    PutU8(header, 8); // bits per channel
    PutU8(header, 6); // colour type: RGB with alpha
    PutU8(header, 0); // compression: deflate
    PutU8(header, 0); // filtering: adaptive, per row
    PutU8(header, 0); // no interlace

    Bytes out;
    PutText(out, "\x89PNG\r\n\x1a\n");
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

} // namespace assetgen
