// The records tables: load, find, update, climb and save of one level's seven slots.
#include "screens/HiScores.h"

#include "engine/Game.h"
#include "settings/Keys.h"
#include "settings/NumberText.h"

#include <array>
#include <utility>

namespace
{

struct Slot
{
    std::string name;
    int score = 0;
    int games = 0;
    int eaten = 0;
    double average = 0;
};

using namespace settings;

bool Occupied(const Slot& slot)
{
    return !slot.name.empty() && slot.name != "UNKNOWN";
}

Slot LoadSlot(const TIniFile& ini, int level, int s)
{
    Slot slot;
    slot.games = ReadNumber(ini, kRecordGames, kRecordGames.Name(level, s));
    slot.eaten = ReadNumber(ini, kRecordEaten, kRecordEaten.Name(level, s));
    // Only a hand edit leaves an average that is not a number; the slot's own counts give it
    // back rather than letting the junk spread or stop the save.
    const auto average = ParseCommaNumber(Read(ini, kRecordAverage, kRecordAverage.Name(level, s)));
    if (average)
        slot.average = *average;
    else if (slot.games != 0)
        slot.average = static_cast<double>(slot.eaten) / slot.games;
    slot.score = ReadNumber(ini, kRecordScore, kRecordScore.Name(level, s));
    slot.name = Read(ini, kRecordName, kRecordName.Name(level, s));
    return slot;
}

} // namespace

int GetUserId(const TIniFile& ini, int level, const std::string& user)
{
    for (int s = 1; s <= kHiScoreSlots; ++s)
    {
        if (Read(ini, kRecordName, kRecordName.Name(level, s)) == user)
            return s;
    }
    return -1;
}

HiScoreOutcome RecordGame(TIniFile& ini, int level, const std::string& user, int score)
{
    if (!engine::LevelHasRecords(level))
        return {};

    // Reads and writes go through one copy of the file, replaced once at the end.
    TIniFile::Batch batch(ini);

    std::array<Slot, kScratchSlot + 1> table; // index 0 unused
    for (int s = 1; s <= kHiScoreSlots; ++s)
        table[s] = LoadSlot(ini, level, s);

    int p = 0;
    int occupied = 0;
    for (int s = 1; s <= kHiScoreSlots; ++s)
    {
        if (Occupied(table[s]))
            ++occupied;
        if (table[s].name == user)
        {
            p = s;
            break;
        }
    }
    if (p == 0)
    {
        p = occupied + 1;
        table[p] = Slot{user, score, 0, 0, 0};
    }

    Slot& entry = table[p];
    entry.games += 1;
    entry.eaten += score;
    entry.average = static_cast<double>(entry.eaten) / entry.games;
    if (entry.score < score)
        entry.score = score;
    const Slot played = entry;

    bool orderChanged = false;
    for (int j = p - 1; j >= 1; --j)
    {
        if (score > table[j].score)
        {
            table[p] = std::exchange(table[j],
                                     Slot{user, score, played.games, played.eaten, played.average});
            p = j;
            orderChanged = true;
        }
    }

    for (int s = 1; s <= kHiScoreSlots; ++s)
    {
        const Slot& slot = table[s];
        Write(ini, kRecordName, kRecordName.Name(level, s), slot.name);
        Write(ini, kRecordScore, kRecordScore.Name(level, s), slot.score);
        Write(ini, kRecordGames, kRecordGames.Name(level, s), slot.games);
        Write(ini, kRecordEaten, kRecordEaten.Name(level, s), slot.eaten);
        Write(ini, kRecordAverage, kRecordAverage.Name(level, s), FormatAverage(slot.average));
    }
    batch.Commit();
    return {p, orderChanged};
}

RecordLabels ReadRecordLabels(const TIniFile& ini, int level, int slot)
{
    const auto text = [&](const KeyFamily& family, int s, int width)
    {
        return PadLeft(Read(ini, family, family.Name(level, s)), width);
    };
    return {text(kRecordScore, 1, 3), text(kRecordGames, slot, 5), text(kRecordEaten, slot, 5),
            text(kRecordAverage, slot, 2), text(kRecordScore, slot, 3)};
}
