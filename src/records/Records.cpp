// The records tables: reading a level's table, entering a game, climbing, writing it back.
#include "records/Records.h"

#include "settings/IniFile.h"
#include "settings/Keys.h"
#include "settings/NumberText.h"

#include <algorithm>
#include <utility>

namespace records
{

namespace
{

using namespace settings;

bool Occupied(const Row& row)
{
    return !row.name.empty() && row.name != kFreeRowName;
}

Row ReadRow(const TIniFile& ini, int level, int slot)
{
    Row row;
    row.name = Read(ini, kRecordName, kRecordName.Name(level, slot));
    row.score = ReadNumber(ini, kRecordScore, kRecordScore.Name(level, slot));
    row.games =
        std::clamp(ReadNumber(ini, kRecordGames, kRecordGames.Name(level, slot)), 0, kMostCounted);
    row.eaten =
        std::clamp(ReadNumber(ini, kRecordEaten, kRecordEaten.Name(level, slot)), 0, kMostCounted);
    row.averageText = Read(ini, kRecordAverage, kRecordAverage.Name(level, slot));
    // Only a hand edit leaves an average that is not a number; the row's own counts give it back
    // rather than letting the junk spread.
    if (const auto average = ParseCommaNumber(row.averageText))
        row.average = *average;
    else if (row.games != 0)
        row.average = static_cast<double>(row.eaten) / row.games;
    return row;
}

} // namespace

double AverageChange(const Row& row, int score)
{
    return static_cast<double>(row.eaten + score) / (row.games + 1) - row.average;
}

int FindUser(const Table& table, const std::string& user)
{
    for (int s = 1; s <= kRows; ++s)
    {
        if (table[s - 1].name == user)
            return s;
    }
    return -1;
}

Table ReadTable(const TIniFile& ini, int level)
{
    const TIniFile::Snapshot snapshot(ini);
    Table table;
    for (int s = 1; s <= kRows; ++s)
        table[s - 1] = ReadRow(ini, level, s);
    return table;
}

GameResult ApplyGame(const Table& table, const std::string& user, int score)
{
    // Slots 1 to 7 and a scratch slot 8 for a newcomer to a full table, who gets in only by
    // climbing out of it; index 0 unused.
    std::array<Row, kRows + 2> rows;
    std::copy(table.begin(), table.end(), rows.begin() + 1);

    int p = 0;
    int occupied = 0;
    for (int s = 1; s <= kRows; ++s)
    {
        if (Occupied(rows[s]))
            ++occupied;
        if (rows[s].name == user)
        {
            p = s;
            break;
        }
    }
    if (p == 0)
    {
        p = occupied + 1;
        rows[p] = Row{.name = user, .score = score};
    }

    Row& entry = rows[p];
    // Added in 64 bits: a table made in memory is held to no bound.
    const auto counted = [](long long sum)
    {
        return static_cast<int>(std::clamp<long long>(sum, 0, kMostCounted));
    };
    entry.games = counted(static_cast<long long>(entry.games) + 1);
    entry.eaten = counted(static_cast<long long>(entry.eaten) + score);
    entry.average = static_cast<double>(entry.eaten) / entry.games;
    if (entry.score < score)
        entry.score = score;
    // The entry that climbs carries this game's score as its best, even below its old best.
    Row climber = entry;
    climber.score = score;

    bool orderChanged = false;
    for (int j = p - 1; j >= 1; --j)
    {
        if (score > rows[j].score)
        {
            rows[p] = std::exchange(rows[j], climber);
            p = j;
            orderChanged = true;
        }
    }

    GameResult result;
    for (int s = 1; s <= kRows; ++s)
    {
        Row& row = result.standing.table[s - 1];
        row = rows[s];
        row.averageText = FormatAverage(rows[s].average);
        // The value too is the file's, cut to two decimals: what follows a write (the next
        // game's average change) must see the average shown, as after a reading of the file.
        row.average = ParseCommaNumber(row.averageText).value_or(rows[s].average);
    }
    result.standing.slot = p <= kRows ? p : -1;
    result.orderChanged = orderChanged;
    return result;
}

void WriteTable(TIniFile& ini, int level, const Table& table)
{
    for (int s = 1; s <= kRows; ++s)
    {
        const Row& row = table[s - 1];
        Write(ini, kRecordName, kRecordName.Name(level, s), row.name);
        Write(ini, kRecordScore, kRecordScore.Name(level, s), row.score);
        Write(ini, kRecordGames, kRecordGames.Name(level, s), row.games);
        Write(ini, kRecordEaten, kRecordEaten.Name(level, s), row.eaten);
        Write(ini, kRecordAverage, kRecordAverage.Name(level, s), row.averageText);
    }
}

GameResult RecordGame(TIniFile& ini, int level, const std::string& user, int score)
{
    TIniFile::Batch batch(ini);
    GameResult result = ApplyGame(ReadTable(ini, level), user, score);
    WriteTable(ini, level, result.standing.table);
    batch.Commit();
    return result;
}

} // namespace records
