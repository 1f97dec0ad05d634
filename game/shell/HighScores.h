// The high-score table: name and score, highest first. The Score screen keeps its own table
// built from the same defaults.
#pragma once

#include <cstdint>
#include <list>
#include <string>

namespace Quor {

struct ScoreEntry {
    std::string name;
    int64_t score = 0;
};

// Empties the table and fills it with the ten default entries, 500000 down to 50000.
void CreateDefaultScores(std::list<ScoreEntry>& table);

} // namespace Quor
