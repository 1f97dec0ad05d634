// The high-score table: name and score, highest first, and the score of a player profile
// reckoned from its whole state. The Score screen builds its own table from the defaults and
// the named profiles each time it opens.
#pragma once

#include <cstdint>
#include <list>
#include <string>

namespace Quor {

struct GameTables;
struct PlayerProfile;

struct ScoreEntry {
    std::string name;
    int64_t score = 0;
};

// Empties the table and fills it with the ten default entries, 500000 down to 50000.
void CreateDefaultScores(std::list<ScoreEntry>& table);

// Inserts a copy before the first entry with a lower score: after every equal one.
void InsertHighScore(const ScoreEntry& entry, std::list<ScoreEntry>& table);

// The profile's score: finished targets, awards, the first factory's production, recipes,
// countries, own factories, the worth of the materials and the dinnerware in store and a share
// of the money, less 30 for every day. A material or product without its record counts nothing.
int64_t ProfileScore(const PlayerProfile& profile, const GameTables& tables);

} // namespace Quor
