// Every key of the settings file, each declared once with its section, name, default and range,
// and the reads and writes that go through those declarations.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>

class TIniFile;

namespace settings
{

// What a read makes of a number outside the key's range.
enum class Range
{
    Any,       // every number is taken as it is
    Clamp,     // the nearest bound is taken
    OrDefault, // the default is taken
};

// A number under a fixed name. The name is spelled as the game writes it: a new section or key
// keeps the letter case of its first write, and reads ignore the case.
struct Key
{
    std::string_view section;
    std::string_view name;
    int defaultValue = 0;
    Range range = Range::Any;
    int lo = 0;
    int hi = 0;
};

// A family of texts whose names are a stem followed by numbers: the records' level and slot,
// a user's number.
struct KeyFamily
{
    std::string_view section;
    std::string_view stem;
    std::string_view defaultText;

    [[nodiscard]] std::string Name(int number) const;
    [[nodiscard]] std::string Name(int level, int slot) const;
};

// The level is written under "MAin", which names the section when the file has none yet.
inline constexpr Key kSkill{"MAin", "Skill", 3, Range::OrDefault, 1, 5};
inline constexpr Key kDeathMatchInterval{"Main", "DM_interval", 100, Range::Clamp, 1, 999};
// More users than anyone registers by hand; a larger count is a damaged file.
inline constexpr Key kUserCount{"Main", "Usr_Num", 0, Range::Clamp, 0, 100000};

inline constexpr Key kCustomProb{"Custom", "prob", 6, Range::Clamp, 1, 99};
inline constexpr Key kCustomTimer{"Custom", "timer", 100, Range::Clamp, 1, 999};
inline constexpr Key kCustomWorms{"Custom", "worms", 4, Range::Clamp, 0, 8};

// The twelve direction keys as virtual-key codes, by player (the single game's, then death-match
// player 1, then player 2) and by the engine's direction (left, right, up, down); the arrows by
// default.
inline constexpr std::array<std::array<Key, 4>, 3> kBindings{{
    {{{"Keys", "LeftKey", 37},
      {"Keys", "RightKey", 39},
      {"Keys", "UpKey", 38},
      {"Keys", "DownKey", 40}}},
    {{{"Keys", "LeftKey1", 37},
      {"Keys", "RightKey1", 39},
      {"Keys", "UpKey1", 38},
      {"Keys", "DownKey1", 40}}},
    {{{"Keys", "LeftKey2", 37},
      {"Keys", "RightKey2", 39},
      {"Keys", "UpKey2", 38},
      {"Keys", "DownKey2", 40}}},
}};

inline constexpr KeyFamily kUserName{"User_Names", "name", ""};
inline constexpr KeyFamily kUserPass{"User_Pass", "pass", ""};

// A level's records table, one entry per slot.
inline constexpr KeyFamily kRecordName{"HiNames", "name", ""};
inline constexpr KeyFamily kRecordScore{"HiScores", "score", "0"};
inline constexpr KeyFamily kRecordGames{"HiGames", "games", "0"};
inline constexpr KeyFamily kRecordEaten{"HiEaten", "eaten", "0"};
inline constexpr KeyFamily kRecordAverage{"HiAverage", "average", "0"};

// The display choice; the scale is a text ("auto" or a number).
inline constexpr std::string_view kDisplaySection = "Display";
inline constexpr std::string_view kScaleName = "Scale";
inline constexpr std::string_view kScaleDefault = "auto";
inline constexpr Key kFullscreen{kDisplaySection, "Fullscreen", 1};
inline constexpr Key kWindowWidth{kDisplaySection, "Width", 0};
inline constexpr Key kWindowHeight{kDisplaySection, "Height", 0};

// The key's number, its default when missing or malformed, and out of range as its Range says.
[[nodiscard]] int Read(const TIniFile& ini, const Key& key);
void Write(TIniFile& ini, const Key& key, int value);
// The text as stored, without a default: "" when missing.
[[nodiscard]] std::string ReadStored(const TIniFile& ini, const Key& key);
void WriteText(TIniFile& ini, const Key& key, std::string_view value);

[[nodiscard]] std::string Read(const TIniFile& ini, const KeyFamily& family,
                               const std::string& name);
// Every entry of the family whose name is its stem and a number as Name spells one (1 to
// INT_MAX, no sign, no leading zero; the stem in any letter case), by number, with its text as
// Read gives it. One reading of the file, however many entries it holds.
[[nodiscard]] std::map<int, std::string> ReadNumbered(const TIniFile& ini, const KeyFamily& family);
// A number of the family: 0 when missing or malformed.
[[nodiscard]] int ReadNumber(const TIniFile& ini, const KeyFamily& family, const std::string& name);
void Write(TIniFile& ini, const KeyFamily& family, const std::string& name, std::string_view value);
void Write(TIniFile& ini, const KeyFamily& family, const std::string& name, int value);

} // namespace settings
