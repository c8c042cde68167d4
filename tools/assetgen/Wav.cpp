// RIFF WAVE files: PCM, mono, 8-bit unsigned.
#include "Wav.h"

namespace assetgen
{

Bytes WriteWav8(std::span<const std::uint8_t> samples, std::uint32_t sampleRate)
{
    const auto dataSize = static_cast<std::uint32_t>(samples.size());
    const std::uint32_t pad = dataSize % 2; // chunks are word aligned
    Bytes out;
    PutText(out, "RIFF");
    PutLe32(out, 4 + (8 + 16) + (8 + dataSize + pad));
    PutText(out, "WAVE");
    PutText(out, "fmt ");
    PutLe32(out, 16);
    PutLe16(out, 1); // PCM
    PutLe16(out, 1); // mono
    PutLe32(out, sampleRate);
    PutLe32(out, sampleRate); // bytes per second: one byte per sample
    PutLe16(out, 1);          // block align
    PutLe16(out, 8);          // bits per sample
    PutText(out, "data");
    PutLe32(out, dataSize);
    out.insert(out.end(), samples.begin(), samples.end());
    if (pad != 0)
    {
        PutU8(out, 0x80);
    }
    return out;
}

} // namespace assetgen
