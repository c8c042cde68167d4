// Building blocks of the sounds: a seeded noise source, filters, envelopes and 8-bit output.
#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen
{

double Noise::Uniform()
{
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    const std::uint64_t r = state_ * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0);
}

void Biquad::Tune(double frequency, double q)
{
    const double f = std::clamp(frequency, 10.0, kSampleRate * 0.45);
    const double w = kTwoPi * f / kSampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double cosw = std::cos(w);
    const double a0 = 1.0 + alpha;
    switch (kind_)
    {
    case Kind::LowPass:
        b0_ = (1.0 - cosw) / 2.0;
        b1_ = 1.0 - cosw;
        b2_ = b0_;
        break;
    case Kind::HighPass:
        b0_ = (1.0 + cosw) / 2.0;
        b1_ = -(1.0 + cosw);
        b2_ = b0_;
        break;
    case Kind::BandPass: // peak gain 1 at the centre
        b0_ = alpha;
        b1_ = 0.0;
        b2_ = -alpha;
        break;
    }
    b0_ /= a0;
    b1_ /= a0;
    b2_ /= a0;
    a1_ = -2.0 * cosw / a0;
    a2_ = (1.0 - alpha) / a0;
}

double Biquad::Process(double x)
{
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
}

double AttackDecay(double t, double attack, double decay)
{
    if (t < 0)
    {
        return 0;
    }
    if (t < attack)
    {
        return t / attack;
    }
    return std::exp(-(t - attack) / decay);
}

double SmoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

std::vector<std::uint8_t> ToPcm8(std::vector<double> signal, std::size_t count, double peak,
                                 double fadeIn, double fadeOut)
{
    if (peak <= 0 || peak >= 1)
    {
        throw std::invalid_argument("peak must lie inside full scale");
    }
    signal.resize(count, 0.0);
    // A gentle high-pass at 20 Hz: filtered noise drifts, and a drift would be an audible thump
    // at the fades.
    double previousIn = 0, previousOut = 0;
    const double r = 1.0 - kTwoPi * 20.0 / kSampleRate;
    for (double& s : signal)
    {
        const double out = s - previousIn + r * previousOut;
        previousIn = s;
        previousOut = out;
        s = out;
    }
    auto fade = [&](double seconds, auto&& sampleAt)
    {
        const auto n = std::max<std::size_t>(
            1, std::min(count / 2, static_cast<std::size_t>(seconds * kSampleRate)));
        for (std::size_t i = 0; i < n; ++i)
        {
            sampleAt(i) *= 0.5 - 0.5 * std::cos(std::numbers::pi * double(i) / double(n));
        }
    };
    fade(fadeIn, [&](std::size_t i) -> double& { return signal[i]; });
    fade(fadeOut, [&](std::size_t i) -> double& { return signal[count - 1 - i]; });
    double maxAbs = 0;
    for (const double s : signal)
    {
        maxAbs = std::max(maxAbs, std::abs(s));
    }
    const double gain = maxAbs > 0 ? peak / maxAbs : 0.0;
    std::vector<std::uint8_t> out(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        out[i] = static_cast<std::uint8_t>(std::lround(128.0 + 127.0 * signal[i] * gain));
    }
    return out;
}

} // namespace assetgen
