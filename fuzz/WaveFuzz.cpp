// Fuzz target: any bytes as a wave image, directly and in the stored form. The image takes only
// bytes holding a RIFF chunk of form type "WAVE", refuses all else with one of its two messages,
// keeps its previous sound when it refuses, and takes every image built around a RIFF header.
#include "FuzzSupport.h"

#include "widgets/Wave.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace
{

// A short but complete sound: the image's content before each input.
std::vector<std::uint8_t> PreviousSound()
{
    std::vector<std::uint8_t> riff;
    const auto put = [&](const char* text)
    {
        riff.insert(riff.end(), text, text + 4);
    };
    const auto put32 = [&](std::uint32_t v)
    {
        for (int shift = 0; shift < 32; shift += 8)
        {
            riff.push_back(static_cast<std::uint8_t>(v >> shift));
        }
    };
    put("RIFF");
    put32(36 + 4);
    put("WAVE");
    put("fmt ");
    put32(16);
    const std::array<std::uint8_t, 16> format = {1,    0,    1, 0, 0x22, 0x56, 0, 0,
                                                 0x22, 0x56, 0, 0, 1,    0,    8, 0};
    riff.insert(riff.end(), format.begin(), format.end());
    put("data");
    put32(4);
    riff.insert(riff.end(), {0x80, 0x90, 0x70, 0x80});
    return riff;
}

// Somewhere a chunk header "RIFF" is followed, after its size, by the form type "WAVE".
bool HoldsRiffWave(std::span<const std::uint8_t> bytes)
{
    for (std::size_t i = 0; i + 12 <= bytes.size(); ++i)
    {
        if (std::memcmp(bytes.data() + i, "RIFF", 4) == 0 &&
            std::memcmp(bytes.data() + i + 8, "WAVE", 4) == 0)
        {
            return true;
        }
    }
    return false;
}

bool KnownMessage(const EInvalidWaveOperation& e)
{
    const std::string message = e.what();
    return message == "Error reading wave data" ||
           message == "Wave image is not a valid wave file format";
}

struct Watched
{
    TWaveImage image;
    int changes = 0;

    Watched()
    {
        image.LoadFromMemory(PreviousSound());
        image.OnChanging = [this](TPersistentMemory&)
        {
            ++changes;
        };
        image.OnChange = [this](TPersistentMemory&)
        {
            ++changes;
        };
    }

    [[nodiscard]] std::vector<std::uint8_t> Bytes() const
    {
        return {image.Memory(), image.Memory() + image.Size()};
    }
};

void CheckLoad(std::span<const std::uint8_t> bytes)
{
    Watched w;
    const std::vector<std::uint8_t> before = w.Bytes();
    try
    {
        w.image.LoadFromMemory(bytes);
    }
    catch (const EInvalidWaveOperation& e)
    {
        FUZZ_CHECK(KnownMessage(e));
        FUZZ_CHECK(!bytes.empty());
        FUZZ_CHECK(!(bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
                     std::memcmp(bytes.data() + 8, "WAVE", 4) == 0));
        FUZZ_CHECK(w.Bytes() == before && w.changes == 0);
        return;
    }
    // Accepted: empty bytes clear the image; any others are a RIFF WAVE file, copied whole.
    FUZZ_CHECK(w.changes == 2);
    if (bytes.empty())
    {
        FUZZ_CHECK(w.image.Empty());
        return;
    }
    FUZZ_CHECK(HoldsRiffWave(bytes));
    FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), w.image.Memory(),
                          w.image.Memory() + w.image.Size()));
    // Written to form data and read back, it is the same image.
    Watched copy;
    copy.image.ReadData(w.image.WriteData());
    FUZZ_CHECK(copy.Bytes() == w.Bytes());
}

// The stored form: a 32-bit little-endian count and that many bytes.
void CheckStored(std::span<const std::uint8_t> stored)
{
    Watched w;
    const std::vector<std::uint8_t> before = w.Bytes();
    try
    {
        w.image.ReadData(stored);
    }
    catch (const EInvalidWaveOperation& e)
    {
        FUZZ_CHECK(KnownMessage(e));
        FUZZ_CHECK(w.Bytes() == before && w.changes == 0);
        return;
    }
    catch (const std::runtime_error&)
    {
        // A block shorter than its count: the form data's own read error.
        FUZZ_CHECK(w.Bytes() == before && w.changes == 0);
        return;
    }
    FUZZ_CHECK(stored.size() >= 4);
    const std::uint32_t count =
        static_cast<std::uint32_t>(stored[0]) | static_cast<std::uint32_t>(stored[1]) << 8 |
        static_cast<std::uint32_t>(stored[2]) << 16 | static_cast<std::uint32_t>(stored[3]) << 24;
    FUZZ_CHECK(count <= stored.size() - 4 && w.image.Size() == count);
    FUZZ_CHECK(count == 0 || HoldsRiffWave(stored.subspan(4, count)));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

// Images built around the input: a RIFF WAVE header followed by anything, and the input as a
// chunk of its own (padded to an even size) ahead of such a header, are both accepted whole.
void CheckBuilt(std::span<const std::uint8_t> bytes)
{
    const std::array<std::uint8_t, 12> header = {'R', 'I', 'F', 'F', 4,   0,
                                                 0,   0,   'W', 'A', 'V', 'E'};
    std::vector<std::uint8_t> leading(header.begin(), header.end());
    leading.insert(leading.end(), bytes.begin(), bytes.end());
    std::vector<std::uint8_t> chunked = {'J', 'U', 'N', 'K'};
    Put32(chunked, static_cast<std::uint32_t>(bytes.size()));
    chunked.insert(chunked.end(), bytes.begin(), bytes.end());
    if (bytes.size() % 2 != 0)
    {
        chunked.push_back(0);
    }
    chunked.insert(chunked.end(), header.begin(), header.end());
    for (const std::vector<std::uint8_t>& image : {leading, chunked})
    {
        Watched w;
        w.image.LoadFromMemory(image);
        FUZZ_CHECK(w.Bytes() == image && w.changes == 2);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    CheckLoad(bytes);
    CheckStored(bytes);
    CheckBuilt(bytes);
    return 0;
}
