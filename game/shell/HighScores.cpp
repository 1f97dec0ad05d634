#include "game/shell/HighScores.h"

namespace Quor {

void CreateDefaultScores(std::list<ScoreEntry>& table)
{
    // Placeholder first names until players take the places.
    static const char* const kNames[10] = {"Anna", "Bruno", "Clara", "David", "Emma",
                                           "Felix", "Greta", "Hugo", "Ida", "Jonas"};
    table.clear();
    for (int i = 0; i < 10; ++i)
        table.push_back({kNames[i], 500000 - 50000 * int64_t(i)});
}

} // namespace Quor
