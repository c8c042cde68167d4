// The three sounds as WAVE files: the click, the eating and the dying.
#include "Sounds.h"

#include "Synth.h"
#include "Wav.h"

#include <array>
#include <cmath>
#include <vector>

namespace assetgen
{

namespace
{

double Seconds(std::size_t i)
{
    return double(i) / kSampleRate;
}

// A soft pop: a sine blip whose pitch drops fast, a tiny click of noise on its front, and a faint
// hollow ring that dies away over the rest of the sound.
std::vector<double> SynthesisePop()
{
    std::vector<double> out(kPopSamples);
    Noise noise(0x504F50);
    Biquad clickFilter(Biquad::Kind::BandPass, 3200, 1.2);
    double bodyPhase = 0, ringPhase = 0;
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const double t = Seconds(i);
        const double pitch = 240 + 900 * std::exp(-t / 0.014);
        bodyPhase += kTwoPi * pitch / kSampleRate;
        const double body = std::sin(bodyPhase) * AttackDecay(t, 0.0012, 0.030);
        const double click = clickFilter.Process(noise.White()) * AttackDecay(t, 0.0004, 0.0025);
        ringPhase += kTwoPi * 520 / kSampleRate;
        const double ring = std::sin(ringPhase) * AttackDecay(t - 0.004, 0.006, 0.075);
        out[i] = body + 0.9 * click + 0.16 * ring;
    }
    return out;
}

// Eating: a few bites, each a crunch (crackling band-passed noise whose centre wobbles), a chewy
// squelch of low noise and a thump of the jaw with a wobbling pitch.
struct Bite
{
    double start;    // seconds
    double length;   // seconds
    double strength; // loudness relative to the first bite
    double pitch;    // scales the crunch's centre and the jaw's tone
};

constexpr std::array<Bite, 7> kBites{{
    {0.00, 0.34, 1.00, 1.00},
    {0.44, 0.28, 0.82, 1.12},
    {0.84, 0.34, 0.92, 0.94},
    {1.30, 0.26, 0.74, 1.06},
    {1.70, 0.32, 0.78, 0.98},
    {2.14, 0.28, 0.58, 1.10},
    {2.56, 0.32, 0.42, 0.92},
}};

std::vector<double> SynthesiseHrum()
{
    std::vector<double> out(kHrumSamples, 0.0);
    Noise noise(0x4852554D);
    Biquad crunchFilter(Biquad::Kind::BandPass, 2400, 2.5);
    Biquad squelchFilter(Biquad::Kind::LowPass, 520, 1.6);
    for (const Bite& bite : kBites)
    {
        const auto first = static_cast<std::size_t>(bite.start * kSampleRate);
        const auto count = static_cast<std::size_t>((bite.length + 0.12) * kSampleRate);
        double crackle = 0, jawPhase = 0;
        for (std::size_t k = 0; k < count && first + k < out.size(); ++k)
        {
            const double t = Seconds(k);
            const double shape = AttackDecay(t, 0.008, bite.length * 0.42);
            // Crackle grains arrive densely at the bite and thin out as it is chewed.
            const double density = 260.0 * std::exp(-t / (bite.length * 0.6));
            if (noise.Uniform() < density / kSampleRate)
            {
                crackle += 0.35 + 0.65 * noise.Uniform();
            }
            crackle *= std::exp(-1.0 / (0.0018 * kSampleRate));
            const double wobble = 1.0 + 0.28 * std::sin(kTwoPi * 9.0 * t);
            crunchFilter.Tune(2300.0 * bite.pitch * wobble, 2.5);
            const double crunch = crunchFilter.Process(noise.White()) * crackle;
            const double squelch = squelchFilter.Process(noise.White()) * shape *
                                   (1.0 + 0.35 * std::sin(kTwoPi * 13.0 * t));
            const double jawPitch = 105.0 * bite.pitch * (1.0 + 0.6 * std::exp(-t / 0.03)) *
                                    (1.0 + 0.1 * std::sin(kTwoPi * 6.0 * t));
            jawPhase += kTwoPi * jawPitch / kSampleRate;
            const double jaw = std::sin(jawPhase) * AttackDecay(t, 0.004, 0.07);
            out[first + k] += bite.strength * (1.6 * crunch + 1.1 * squelch + 0.55 * jaw);
        }
    }
    return out;
}

// Dying: a muted brass "wah wah wah waaah" falling by semitones, the last note sagging an octave
// while a low rumble swells beneath it, then everything fades out.
struct WahNote
{
    double start;     // seconds
    double length;    // seconds
    double frequency; // Hz at the start
    double fall;      // ratio reached by the end of the note
    double wahs;      // number of wah openings over the note
};

constexpr std::array<WahNote, 4> kWahNotes{{
    {0.00, 0.52, 329.6, 0.985, 1.0},
    {0.60, 0.52, 311.1, 0.985, 1.0},
    {1.20, 0.52, 293.7, 0.985, 1.0},
    {1.80, 3.70, 277.2, 0.5, 6.0},
}};

double WahVoice(double phase, double frequency)
{
    // A band-limited sawtooth: harmonics up to 7 kHz.
    double sum = 0;
    const int harmonics = static_cast<int>(7000.0 / frequency);
    for (int k = 1; k <= harmonics; ++k)
    {
        sum += std::sin(phase * k) / k;
    }
    return sum;
}

std::vector<double> SynthesiseDeadSound()
{
    std::vector<double> out(kDeadSoundSamples, 0.0);
    for (const WahNote& note : kWahNotes)
    {
        Biquad wah(Biquad::Kind::LowPass, 400, 5.0);
        const auto first = static_cast<std::size_t>(note.start * kSampleRate);
        const auto count = static_cast<std::size_t>(note.length * kSampleRate);
        double phase = 0;
        for (std::size_t k = 0; k < count && first + k < out.size(); ++k)
        {
            const double t = Seconds(k);
            const double along = t / note.length;
            // The fall speeds up towards the end of the note: a sigh rather than a slide.
            const double bend = std::pow(note.fall, along * along);
            const double vibrato =
                1.0 + 0.012 * std::sin(kTwoPi * 5.5 * t) * SmoothStep(0.2, 0.8, t);
            const double frequency = note.frequency * bend * vibrato;
            phase += kTwoPi * frequency / kSampleRate;
            // Each wah opens the filter and closes it again.
            const double opening = 0.5 - 0.5 * std::cos(kTwoPi * note.wahs * along);
            const double decay = note.wahs > 1 ? std::exp(-along * 1.2) : 1.0;
            wah.Tune(frequency * (1.3 + 5.5 * opening * decay), 4.0);
            const double level =
                SmoothStep(0.0, 0.025, t) * SmoothStep(note.length, note.length - 0.07, t);
            out[first + k] += 0.35 * level * wah.Process(WahVoice(phase, frequency));
        }
    }
    // The rumble: deep noise and a sinking drone swelling as the last note falls.
    Noise noise(0xDEAD);
    Biquad rumbleFilter(Biquad::Kind::LowPass, 110, 0.9);
    double dronePhase = 0;
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const double t = Seconds(i);
        const double swell = SmoothStep(2.2, 3.8, t) * (1.0 - SmoothStep(4.4, 5.88, t));
        dronePhase += kTwoPi * (55.0 - 22.0 * SmoothStep(2.2, 5.6, t)) / kSampleRate;
        const double rumble =
            rumbleFilter.Process(noise.White()) * 7.0 + 0.3 * std::sin(dronePhase);
        out[i] += swell * rumble;
        out[i] *= 1.0 - SmoothStep(4.4, 5.88, t);
    }
    return out;
}

} // namespace

Bytes PopSound()
{
    return WriteWav8(ToPcm8(SynthesisePop(), kPopSamples, 0.6, 0.0005, 0.02), kSampleRate);
}

Bytes HrumSound()
{
    return WriteWav8(ToPcm8(SynthesiseHrum(), kHrumSamples, 0.66, 0.005, 0.05), kSampleRate);
}

Bytes DeadSound()
{
    return WriteWav8(ToPcm8(SynthesiseDeadSound(), kDeadSoundSamples, 0.68, 0.005, 0.05),
                     kSampleRate);
}

} // namespace assetgen
