// Windows BMP files: 24-bit true colour and 8-bit palettised, bottom-up, BITMAPINFOHEADER.
#include "Bmp.h"

#include <algorithm>
#include <stdexcept>

namespace assetgen
{

namespace
{

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 2835; // 72 dots per inch
constexpr std::uint32_t kPaletteEntries = 256;

std::uint32_t RowStride(int width, int bitsPerPixel)
{
    return ((static_cast<std::uint32_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

void PutHeaders(Bytes& out, const Canvas& canvas, int bitsPerPixel, std::uint32_t paletteEntries)
{
    const std::uint32_t imageSize = RowStride(canvas.Width(), bitsPerPixel) * canvas.Height();
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + paletteEntries * 4;
    PutText(out, "BM");
    PutLe32(out, offset + imageSize);
    PutLe32(out, 0); // reserved
    PutLe32(out, offset);
    PutLe32(out, kInfoHeaderSize);
    PutLe32(out, static_cast<std::uint32_t>(canvas.Width()));
    PutLe32(out, static_cast<std::uint32_t>(canvas.Height())); // positive: bottom-up rows
    PutLe16(out, 1);                                           // planes
    PutLe16(out, static_cast<std::uint32_t>(bitsPerPixel));
    PutLe32(out, 0); // BI_RGB, uncompressed
    PutLe32(out, imageSize);
    PutLe32(out, kPixelsPerMetre);
    PutLe32(out, kPixelsPerMetre);
    PutLe32(out, paletteEntries);
    PutLe32(out, 0); // all colours important
}

void PadRow(Bytes& out, std::size_t rowStart, std::uint32_t stride)
{
    while (out.size() - rowStart < stride)
    {
        PutU8(out, 0);
    }
}

} // namespace

Bytes WriteBmp24(const Canvas& canvas)
{
    Bytes out;
    PutHeaders(out, canvas, 24, 0);
    const std::uint32_t stride = RowStride(canvas.Width(), 24);
    for (int y = canvas.Height() - 1; y >= 0; --y)
    {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < canvas.Width(); ++x)
        {
            const Rgb c = canvas.At(x, y);
            PutU8(out, c.b);
            PutU8(out, c.g);
            PutU8(out, c.r);
        }
        PadRow(out, rowStart, stride);
    }
    return out;
}

Bytes WriteBmp8(const Canvas& canvas, std::span<const Rgb> palette)
{
    if (palette.empty() || palette.size() > kPaletteEntries)
    {
        throw std::invalid_argument("an 8-bit palette holds 1 to 256 colours");
    }
    Bytes out;
    // A full palette keeps readers that assume 256 entries happy; the unused ones are black.
    PutHeaders(out, canvas, 8, kPaletteEntries);
    for (std::uint32_t i = 0; i < kPaletteEntries; ++i)
    {
        const Rgb c = i < palette.size() ? palette[i] : Rgb{};
        PutU8(out, c.b);
        PutU8(out, c.g);
        PutU8(out, c.r);
        PutU8(out, 0);
    }
    const std::uint32_t stride = RowStride(canvas.Width(), 8);
    for (int y = canvas.Height() - 1; y >= 0; --y)
    {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < canvas.Width(); ++x)
        {
            const auto found = std::find(palette.begin(), palette.end(), canvas.At(x, y));
            if (found == palette.end())
            {
                throw std::invalid_argument("pixel colour missing from the palette");
            }
            PutU8(out, static_cast<unsigned>(found - palette.begin()));
        }
        PadRow(out, rowStart, stride);
    }
    return out;
}

} // namespace assetgen
