// The records tables: a level's seven entries in the settings file, read whole, a finished game
// entered into them, and written back whole.
#pragma once

#include <array>
#include <string>
#include <string_view>

class TIniFile;

namespace records
{

inline constexpr int kRows = 7;
// The name rows written before names were kept carry: like an empty name, it marks a free row,
// so no user may have it.
inline constexpr std::string_view kFreeRowName = "UNKNOWN";
// The most games or targets eaten a row counts: more than anyone plays, with room left for any
// sum made of them. A larger count in the file is a hand edit and reads as this.
inline constexpr int kMostCounted = 999'999'999;

struct Row
{
    std::string name; // empty for a free row
    int score = 0;    // the best score of a single game
    int games = 0;
    int eaten = 0;
    double average = 0; // targets eaten per game
    // The average as the file holds it, which is what the screens show: the game writes
    // "3,00", a hand edit may leave "3". "0" where the file has none.
    std::string averageText = "0";

    bool operator==(const Row&) const = default;
};

// Whether games of level go into a records table (Beginner to Master; not Custom).
constexpr bool LevelHasRecords(int level)
{
    return level >= 1 && level <= 4;
}

// How row's average would change if a game of score were entered now.
double AverageChange(const Row& row, int score);

// A level's table, slot 1 at index 0, best score first.
using Table = std::array<Row, kRows>;

// The slot (1 to 7) whose name is exactly user (letter case matters), or -1.
int FindUser(const Table& table, const std::string& user);

// The level's table from one reading of the settings file. A count that is not a number reads
// as 0, one outside 0..kMostCounted as the nearest bound; an average that is not a number is
// worked out from the row's own counts.
Table ReadTable(const TIniFile& ini, int level);

// A table and a user's slot in it (1 to 7, or -1 when the user is not in it).
struct Standing
{
    Table table;
    int slot = -1;
};

struct GameResult
{
    Standing standing;
    // The user climbed past at least one other entry.
    bool orderChanged = false;
};

// The table after user's game of score targets: the user's games, eaten, average and best score
// move on (the counts stopping at kMostCounted), a user not yet in it takes the first free row (a
// newcomer to a full table only a scratch row past the seventh), and the entry climbs past every
// entry with a strictly lower best score. Every average, its text and its value, is given as the
// game writes it into the file.
GameResult ApplyGame(const Table& table, const std::string& user, int score);

// All seven rows of the level into the file object. Outside a batch that is 35 writes; callers
// open one.
void WriteTable(TIniFile& ini, int level, const Table& table);

// Reads the level's table, enters the game and writes the table back as one replacement of the
// file under one lock. Throws EIniFileException when the file cannot be written; it then keeps
// its previous table.
GameResult RecordGame(TIniFile& ini, int level, const std::string& user, int score);

} // namespace records
