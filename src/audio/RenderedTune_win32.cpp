// Windows builds have no synthesiser of their own (the system's MIDI output plays the tune), so a
// rendering is only ever held in memory here: no cache file is read or written.
#include "audio/MidiRender.h"

#include <cstring>

namespace audio
{

RenderedTune::RenderedTune(int frequency, std::size_t loopFrames, std::vector<std::int16_t> samples)
    : frequency_(frequency), loopFrames_(loopFrames), frames_(samples.size() / 2),
      samples_(std::move(samples))
{
}

RenderedTune::RenderedTune(RenderedTune&& other) noexcept
    : frequency_(other.frequency_), loopFrames_(other.loopFrames_), frames_(other.frames_),
      samples_(std::move(other.samples_))
{
}

RenderedTune::~RenderedTune() = default;

bool RenderedTune::Read(std::size_t first, std::size_t count, std::int16_t* out) const
{
    if (first > frames_ || count > frames_ - first || samples_.size() < 2 * (first + count))
        return false;
    std::memcpy(out, samples_.data() + 2 * first, count * 4);
    return true;
}

} // namespace audio
