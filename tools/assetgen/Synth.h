// Building blocks of the sounds: a seeded noise source, filters, envelopes and 8-bit output.
#pragma once

#include <cstdint>
#include <numbers>
#include <vector>

namespace assetgen
{

constexpr int kSampleRate = 22050;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Deterministic noise (xorshift64*), so that every build makes the same sounds.
class Noise
{
public:
    explicit Noise(std::uint64_t seed) : state_(seed == 0 ? 0x9E3779B97F4A7C15ull : seed) {}

    double Uniform(); // 0 .. 1
    double White() { return 2.0 * Uniform() - 1.0; }

private:
    std::uint64_t state_;
};

// Two-pole filter (the usual audio-cookbook biquads); the coefficients may be changed per sample
// to sweep the frequency.
class Biquad
{
public:
    enum class Kind
    {
        LowPass,
        HighPass,
        BandPass,
    };

    Biquad(Kind kind, double frequency, double q) : kind_(kind) { Tune(frequency, q); }

    void Tune(double frequency, double q);
    double Process(double x);

private:
    Kind kind_;
    double b0_ = 0, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Linear attack then exponential decay, 0 before the start; times in seconds.
double AttackDecay(double t, double attack, double decay);

// 0 .. 1 rising smoothly between edge0 and edge1.
double SmoothStep(double edge0, double edge1, double x);

// Turns a synthesised signal into unsigned 8-bit samples of exactly `count` samples: removes any
// DC offset, scales its peak to `peak` of full scale and fades both ends (raised cosine, lengths
// in seconds) so that the sound starts and ends on the mid value 128.
std::vector<std::uint8_t> ToPcm8(std::vector<double> signal, std::size_t count, double peak,
                                 double fadeIn, double fadeOut);

} // namespace assetgen
