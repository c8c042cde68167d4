// In-memory wave sounds over the mixer's one wave channel.
#include "widgets/Wave.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

namespace
{

constexpr std::size_t kChunkHeader = 8; // four-character id, 32-bit size
constexpr std::size_t kRiffHeader = 12; // chunk header and form type

std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool HasFourCC(const std::uint8_t* p, const char* code)
{
    return std::memcmp(p, code, 4) == 0;
}

} // namespace

void TPersistentMemory::Clear()
{
    Change({});
}

void TPersistentMemory::LoadFromMemory(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
    {
        Clear();
        return;
    }
    Validate(bytes);
    Change(bytes);
}

void TPersistentMemory::ReadData(std::span<const std::uint8_t> stored)
{
    if (stored.size() < 4)
        throw std::runtime_error("Stream read error");
    const std::uint32_t count = ReadLe32(stored.data());
    if (count == 0)
    {
        Clear();
        return;
    }
    if (stored.size() - 4 < count)
        throw std::runtime_error("Stream read error");
    LoadFromMemory(stored.subspan(4, count));
}

std::vector<std::uint8_t> TPersistentMemory::WriteData() const
{
    std::vector<std::uint8_t> stored;
    if (data_.empty())
        return stored;
    const auto count = static_cast<std::uint32_t>(data_.size());
    stored.reserve(4 + data_.size());
    for (int shift = 0; shift < 32; shift += 8)
        stored.push_back(static_cast<std::uint8_t>(count >> shift));
    stored.insert(stored.end(), data_.begin(), data_.end());
    return stored;
}

void TPersistentMemory::Validate(std::span<const std::uint8_t>) const {}

void TPersistentMemory::Change(std::span<const std::uint8_t> bytes)
{
    // The new bytes may lie inside the buffer being replaced.
    std::vector<std::uint8_t> incoming(bytes.begin(), bytes.end());
    modified_ = true;
    if (OnChanging)
        OnChanging(*this);
    data_ = std::move(incoming);
    if (OnChange)
        OnChange(*this);
}

void TWaveImage::Validate(std::span<const std::uint8_t> bytes) const
{
    // Fewer bytes than one RIFF header cannot be read as a RIFF stream at all.
    if (bytes.size() < kRiffHeader)
        throw EInvalidWaveOperation("Error reading wave data");
    // Walk the top-level chunks from the start; only the outer header is judged here, the format
    // and data chunks are the mixer's business at play time.
    std::uint64_t pos = 0;
    while (pos + kChunkHeader <= bytes.size())
    {
        const std::uint8_t* chunk = bytes.data() + pos;
        if (HasFourCC(chunk, "RIFF") && pos + kRiffHeader <= bytes.size() &&
            HasFourCC(chunk + kChunkHeader, "WAVE"))
            return;
        const std::uint64_t size = ReadLe32(chunk + 4);
        pos += kChunkHeader + size + (size & 1);
    }
    throw EInvalidWaveOperation("Wave image is not a valid wave file format");
}

TCustomWave::~TCustomWave() = default;

void TCustomWave::Stop()
{
    audio_.StopWave();
}

void TCustomWave::SetPlayOption(TPlayOption option)
{
    if (option == playOption_)
        return;
    Stop();
    playOption_ = option;
}

bool TCustomWave::PlayBytes()
{
    const std::span<const std::uint8_t> bytes(toPlay_, toPlay_ != nullptr ? toPlaySize_ : 0);
    if (!audio_.PlayWave(this, bytes, decoded_, playOption_ == poLoop))
        return false;
    if (playOption_ == poSync)
    {
        while (audio_.WavePlaying(decoded_.chunk.get()))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void TCustomWave::BytesChanged()
{
    decoded_.chunk.reset();
}

TWave::TWave(audio::Service& audio) : TCustomWave(audio)
{
    sound_.OnChanging = [this](TPersistentMemory& sound)
    {
        // An asynchronous sound may still be playing from the old bytes.
        if (!sound.Empty() && PlayOption() != poSync)
            Stop();
    };
    sound_.OnChange = [this](TPersistentMemory& sound)
    {
        toPlay_ = sound.Memory();
        toPlaySize_ = sound.Size();
        BytesChanged();
    };
}

TWave::~TWave()
{
    sound_.OnChange = nullptr;
    sound_.OnChanging = nullptr;
}

void TWave::SetSound(std::span<const std::uint8_t> riff)
{
    sound_.LoadFromMemory(riff);
}

bool TWave::Play()
{
    return PlayBytes();
}
