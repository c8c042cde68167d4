// The background tune: an original 32-bar piece written as note lists, made into a MIDI file.
#include "Music.h"

#include "Midi.h"

#include <array>
#include <cstdint>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace assetgen
{

namespace
{

constexpr double kTempo = 128; // 32 bars of 4/4 at 128 beats a minute: one minute
constexpr std::uint16_t kTicksPerQuarter = 480;
constexpr std::uint32_t kBar = 4 * kTicksPerQuarter;

// One row per bar: the chord, the melody and the drum pattern. A melody note is a pitch (letter,
// optional # or b, octave; C4 is middle C) or "r" for a rest, then "/" and its length as a
// fraction of a whole note, with "." for dotted.
struct Bar
{
    std::string_view chord;
    std::string_view melody;
    std::string_view drums;
};

// Bars of the opening phrase, used again wherever it returns.
constexpr std::string_view kA1 = "A4/8 C5/8 E5/4 D5/8 C5/8 E5/4";
constexpr std::string_view kA2 = "F5/4. E5/8 C5/4 A4/4";
constexpr std::string_view kA3 = "G4/8 C5/8 E5/8 G5/8 E5/4 C5/4";
constexpr std::string_view kA4 = "D5/4. B4/8 G4/2";
constexpr std::string_view kA5 = "A4/8 C5/8 E5/4 A5/4 G5/8 E5/8";
constexpr std::string_view kA6 = "F5/4 E5/8 D5/8 C5/4 A4/4";
constexpr std::string_view kA7 = "B4/8 D5/8 G5/4 F5/8 D5/8 B4/4";

constexpr std::array<Bar, 32> kScore{{
    // A
    {"Am", kA1, "crash"},
    {"F", kA2, "groove"},
    {"C", kA3, "groove"},
    {"G", kA4, "groove"},
    {"Am", kA5, "groove"},
    {"F", kA6, "groove"},
    {"G", kA7, "groove"},
    {"E", "G#4/4. B4/8 E5/2", "fill"},
    // A, answered higher
    {"Am", "E5/8 D5/8 C5/8 B4/8 A4/4 E5/4", "crash"},
    {"F", "A5/4. G5/8 F5/4 C5/4", "groove"},
    {"C", "E5/8 G5/8 C6/4 B5/8 G5/8 E5/4", "groove"},
    {"G", "D5/4 G5/4 B4/2", "groove"},
    {"Am", kA5, "groove"},
    {"F", kA6, "groove"},
    {"E", "G#4/8 B4/8 E5/4 D5/8 B4/8 G#4/4", "groove"},
    {"Am", "A4/2. r/4", "fill"},
    // B: longer notes over a ride cymbal
    {"F", "C5/4 F5/4 A5/2", "ride crash"},
    {"G", "B5/4. A5/8 G5/2", "ride"},
    {"Em", "G5/4 E5/4 B4/4 E5/4", "ride"},
    {"Am", "C5/2. r/8 A4/8", "ride"},
    {"Dm", "D5/4 F5/4 A5/4 F5/8 D5/8", "ride"},
    {"G", "G5/4. F5/8 D5/4 B4/4", "ride"},
    {"C", "C5/8 E5/8 G5/8 C6/8 B5/4 G5/4", "ride"},
    {"E", "G#5/4 E5/4 B4/4 G#4/4", "fill"},
    // A again, leading back to the start
    {"Am", kA1, "crash"},
    {"F", kA2, "groove"},
    {"C", kA3, "groove"},
    {"G", kA4, "groove"},
    {"Am", kA5, "groove"},
    {"F", kA6, "groove"},
    {"G", kA7, "groove"},
    {"E", "B4/8 G#4/8 E4/4 G#4/4 B4/4", "fill"},
}};

// The bass plays the chord's root (R), fifth (F) and octave (O) in this rhythm every bar.
constexpr std::string_view kBassLine = "R/8 R/8 O/8 R/8 F/8 R/8 O/8 F/8";

// Drum patterns: one row of sixteen steps per instrument; X accented, x normal, o soft.
struct DrumRow
{
    int key; // General MIDI percussion key
    std::string_view steps;
};

constexpr int kKick = 36, kSnare = 38, kClosedHat = 42, kOpenHat = 46, kCrash = 49, kRide = 51,
              kHighTom = 50, kLowTom = 45;

const std::map<std::string_view, std::vector<DrumRow>>& DrumPatterns()
{
    // The rows line up so that the steps read as a grid.
    // clang-format off
    static const std::map<std::string_view, std::vector<DrumRow>> patterns{
        {"groove", {{kKick,      "X.......x.x....."},
                    {kSnare,     "....X.......X..o"},
                    {kClosedHat, "x.o.x.o.x.o.x..."},
                    {kOpenHat,   "..............x."}}},
        {"crash", {{kKick,      "X.......x.x....."},
                   {kSnare,     "....X.......X..."},
                   {kCrash,     "X..............."},
                   {kClosedHat, "..o.x.o.x.o.x.o."}}},
        {"ride", {{kKick,  "X.........x....."},
                  {kSnare, "........X......."},
                  {kRide,  "x.o.x.o.x.o.x.o."}}},
        {"ride crash", {{kKick,  "X.........x....."},
                        {kSnare, "........X......."},
                        {kCrash, "X..............."},
                        {kRide,  "..o.x.o.x.o.x.o."}}},
        {"fill", {{kKick,      "X.......x......."},
                  {kSnare,     "....X.......xoxX"},
                  {kHighTom,   "..........xo...."},
                  {kLowTom,    "........X......."},
                  {kClosedHat, "x.o.x.o........."}}},
    };
    // clang-format on
    return patterns;
}

int DrumVelocity(char step)
{
    switch (step)
    {
    case 'X':
        return 112;
    case 'x':
        return 88;
    case 'o':
        return 58;
    default:
        return 0;
    }
}

struct Chord
{
    int root; // pitch class, C = 0
    bool minor;
};

// Pitch class of a note letter, C = 0; -1 for anything else.
int PitchClass(std::string_view text)
{
    constexpr std::string_view kLetters = "C D EF G A B";
    const auto at = text.empty() ? std::string_view::npos : kLetters.find(text[0]);
    return at == std::string_view::npos || text[0] == ' ' ? -1 : static_cast<int>(at);
}

Chord ParseChord(std::string_view name)
{
    const int root = PitchClass(name);
    if (root < 0 || name.size() > 2 || (name.size() == 2 && name[1] != 'm'))
    {
        throw std::invalid_argument("unknown chord " + std::string(name));
    }
    return {root, name.size() == 2};
}

// MIDI key of a pitch such as "C#5" (C4 = 60), or -1 for a rest "r".
int ParsePitch(std::string_view text)
{
    if (text == "r")
    {
        return -1;
    }
    const int letter = PitchClass(text);
    std::size_t i = 1;
    int accidental = 0;
    if (i < text.size() && (text[i] == '#' || text[i] == 'b'))
    {
        accidental = text[i] == '#' ? 1 : -1;
        ++i;
    }
    if (letter < 0 || i + 1 != text.size() || text[i] < '0' || text[i] > '9')
    {
        throw std::invalid_argument("bad pitch " + std::string(text));
    }
    return 12 * (text[i] - '0' + 1) + letter + accidental;
}

// Length in ticks of "8", "4." and the like.
std::uint32_t ParseLength(std::string_view text)
{
    const bool dotted = !text.empty() && text.back() == '.';
    if (dotted)
    {
        text.remove_suffix(1);
    }
    const int denominator = std::stoi(std::string(text));
    if (denominator <= 0 || (4 * kTicksPerQuarter) % denominator != 0)
    {
        throw std::invalid_argument("bad length " + std::string(text));
    }
    const std::uint32_t ticks = 4 * kTicksPerQuarter / denominator;
    return dotted ? ticks + ticks / 2 : ticks;
}

struct Token
{
    std::string symbol;
    std::uint32_t length;
};

// Splits "A4/8 r/4." into symbols and lengths, and checks that they fill exactly one bar.
std::vector<Token> ParseBar(std::string_view text)
{
    std::vector<Token> tokens;
    std::istringstream in{std::string(text)};
    std::string word;
    std::uint32_t total = 0;
    while (in >> word)
    {
        const auto slash = word.find('/');
        if (slash == std::string::npos)
        {
            throw std::invalid_argument("note without a length: " + word);
        }
        tokens.push_back(
            {word.substr(0, slash), ParseLength(std::string_view(word).substr(slash + 1))});
        total += tokens.back().length;
    }
    if (total != kBar)
    {
        throw std::invalid_argument("bar does not add up to four beats: " + std::string(text));
    }
    return tokens;
}

// Places a note of the pitch class in the octave starting at `lowest`.
int InRange(int pitchClass, int lowest)
{
    return lowest + ((pitchClass - lowest) % 12 + 12) % 12;
}

enum Channel
{
    kMelodyChannel = 0,
    kPadChannel = 1,
    kBassChannel = 2,
    kDrumChannel = 9,
};

void SetUp(MidiTrack& track, std::string_view name, int channel, int program, int volume, int pan,
           int reverb)
{
    constexpr int kVolume = 7, kPan = 10, kReverb = 91;
    track.Name(name);
    if (program >= 0)
    {
        track.Program(0, channel, program);
    }
    track.Control(0, channel, kVolume, volume);
    track.Control(0, channel, kPan, pan);
    track.Control(0, channel, kReverb, reverb);
}

} // namespace

Bytes MusicFile()
{
    std::array<MidiTrack, 5> tracks;
    MidiTrack& conductor = tracks[0];
    MidiTrack& melody = tracks[1];
    MidiTrack& pad = tracks[2];
    MidiTrack& bass = tracks[3];
    MidiTrack& drums = tracks[4];

    conductor.Name("Zorbel II");
    conductor.TimeSignature(0, 4, 2);
    conductor.Tempo(0, kTempo);
    SetUp(melody, "Melody", kMelodyChannel, 80, 84, 72, 40); // square lead
    SetUp(pad, "Pad", kPadChannel, 89, 58, 52, 70);          // warm pad
    SetUp(bass, "Bass", kBassChannel, 38, 100, 64, 10);      // synth bass
    SetUp(drums, "Drums", kDrumChannel, -1, 96, 64, 30);

    for (std::size_t b = 0; b < kScore.size(); ++b)
    {
        const Bar& bar = kScore[b];
        const auto barStart = static_cast<std::uint32_t>(b) * kBar;
        const Chord chord = ParseChord(bar.chord);

        std::uint32_t at = barStart;
        for (const Token& t : ParseBar(bar.melody))
        {
            const int key = ParsePitch(t.symbol);
            if (key >= 0)
            {
                // Short notes are detached a little; long ones are held almost to the next.
                const std::uint32_t gate =
                    t.length >= kTicksPerQuarter * 2 ? t.length - 30 : t.length * 7 / 8;
                const bool onBeat = (at - barStart) % kTicksPerQuarter == 0;
                melody.Note(at, gate, kMelodyChannel, key, onBeat ? 100 : 86);
            }
            at += t.length;
        }

        const int third = chord.root + (chord.minor ? 3 : 4);
        for (const int pitchClass : {chord.root, third, chord.root + 7})
        {
            pad.Note(barStart, kBar, kPadChannel, InRange(pitchClass, 55), 62);
        }

        at = barStart;
        const int root = InRange(chord.root, 36); // C2 .. B2
        for (const Token& t : ParseBar(kBassLine))
        {
            const int key = t.symbol == "R" ? root : t.symbol == "F" ? root + 7 : root + 12;
            bass.Note(at, t.length * 3 / 4, kBassChannel, key, t.symbol == "R" ? 104 : 90);
            at += t.length;
        }

        const auto pattern = DrumPatterns().find(bar.drums);
        if (pattern == DrumPatterns().end())
        {
            throw std::invalid_argument("unknown drum pattern " + std::string(bar.drums));
        }
        constexpr std::uint32_t kStep = kBar / 16;
        for (const DrumRow& row : pattern->second)
        {
            if (row.steps.size() != 16)
            {
                throw std::invalid_argument("drum rows have sixteen steps");
            }
            for (std::uint32_t s = 0; s < 16; ++s)
            {
                if (const int velocity = DrumVelocity(row.steps[s]); velocity > 0)
                {
                    drums.Note(barStart + s * kStep, kStep / 2, kDrumChannel, row.key, velocity);
                }
            }
        }
    }
    return WriteMidi(tracks, kTicksPerQuarter, static_cast<std::uint32_t>(kScore.size()) * kBar);
}

} // namespace assetgen
