// The records tables: load, find, update, climb and save of one level's seven slots.
#include "screens/HiScores.h"

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

std::string Key(const char* word, int level, int slot)
{
    return word + std::to_string(level) + std::to_string(slot);
}

bool Occupied(const Slot& slot)
{
    return !slot.name.empty() && slot.name != "UNKNOWN";
}

Slot LoadSlot(const TIniFile& ini, int level, int s)
{
    Slot slot;
    slot.games = ini.ReadInteger("HiGames", Key("games", level, s), 0);
    slot.eaten = ini.ReadInteger("HiEaten", Key("eaten", level, s), 0);
    // Only a hand edit leaves an average that is not a number; the slot's own counts give it
    // back rather than letting the junk spread or stop the save.
    const auto average =
        ParseCommaNumber(ini.ReadString("HiAverage", Key("average", level, s), "0"));
    if (average)
        slot.average = *average;
    else if (slot.games != 0)
        slot.average = static_cast<double>(slot.eaten) / slot.games;
    slot.score = ini.ReadInteger("HiScores", Key("score", level, s), 0);
    slot.name = ini.ReadString("HiNames", Key("name", level, s), "");
    return slot;
}

} // namespace

int GetUserId(const TIniFile& ini, int level, const std::string& user)
{
    for (int s = 1; s <= kHiScoreSlots; ++s)
    {
        if (ini.ReadString("HiNames", Key("name", level, s), "") == user)
            return s;
    }
    return -1;
}

HiScoreOutcome RecordGame(TIniFile& ini, int level, const std::string& user, int score)
{
    if (level < 1 || level > 4)
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
        ini.WriteString("HiNames", Key("name", level, s), slot.name);
        ini.WriteInteger("HiScores", Key("score", level, s), slot.score);
        ini.WriteInteger("HiGames", Key("games", level, s), slot.games);
        ini.WriteInteger("HiEaten", Key("eaten", level, s), slot.eaten);
        ini.WriteString("HiAverage", Key("average", level, s), FormatAverage(slot.average));
    }
    batch.Commit();
    return {p, orderChanged};
}

RecordLabels ReadRecordLabels(const TIniFile& ini, int level, int slot)
{
    return {
        PadLeft(ini.ReadString("HiScores", Key("score", level, 1), "0"), 3),
        PadLeft(ini.ReadString("HiGames", Key("games", level, slot), "0"), 5),
        PadLeft(ini.ReadString("HiEaten", Key("eaten", level, slot), "0"), 5),
        PadLeft(ini.ReadString("HiAverage", Key("average", level, slot), "0"), 2),
        PadLeft(ini.ReadString("HiScores", Key("score", level, slot), "0"), 3),
    };
}
