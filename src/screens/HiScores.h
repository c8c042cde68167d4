// The per-level records tables of seven users in the settings file: finding a user's slot,
// entering a finished game, and the record texts the game screen shows.
#pragma once

#include "settings/IniFile.h"

#include <string>

// Slots of a level's table; a working copy has one more, the scratch slot for a newcomer who
// does not get into a full table.
inline constexpr int kHiScoreSlots = 7;
inline constexpr int kScratchSlot = 8;

// The slot (1 to 7) whose name is exactly user at this level, or -1.
int GetUserId(const TIniFile& ini, int level, const std::string& user);

struct HiScoreOutcome
{
    // The user's slot after the game: 1 to 7, or 8 when a newcomer did not get into a full
    // table; -1 when nothing was recorded (a level outside 1 to 4).
    int slot = -1;
    // The user climbed past at least one other entry (the statistics screen is then shown).
    bool orderChanged = false;
};

// Enters a finished game of user with score targets eaten into the table of level (1 to 4;
// other levels record nothing): the user's games, eaten, average and best score are updated,
// the entry climbs past every entry with a strictly lower best score, and all seven slots reach
// the file in one replacement, so the table is written whole or not at all. Throws
// EIniFileException when the file cannot be written; the file then keeps its previous table.
HiScoreOutcome RecordGame(TIniFile& ini, int level, const std::string& user, int score);

// The game screen's record texts, zero-filled: the level's top score (3), and the games (5),
// eaten (5), average (2) and best score (3) of slot; a missing value reads "0", so a slot of -1
// or 8 shows 00000, 00000, 00, 000.
struct RecordLabels
{
    std::string hiScore;
    std::string games;
    std::string eaten;
    std::string average;
    std::string best;
};
RecordLabels ReadRecordLabels(const TIniFile& ini, int level, int slot);
