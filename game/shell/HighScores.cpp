#include "game/shell/HighScores.h"

#include "game/shell/GameTables.h"
#include "game/shell/PlayerProfile.h"

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

void InsertHighScore(const ScoreEntry& entry, std::list<ScoreEntry>& table)
{
    auto it = table.begin();
    while (it != table.end() && it->score >= entry.score)
        ++it;
    table.insert(it, entry);
}

int64_t ProfileScore(const PlayerProfile& profile, const GameTables& tables)
{
    int64_t score = 0;
    for (const auto& [key, quest] : profile.quests)
        for (const auto& [index, done] : quest.targets)
            if (done)
                score += 10000;
    for (const auto& [id, earned] : profile.awards)
        if (earned)
            score += 100000;
    for (const ProductionRecord& record : profile.production)
        if (record.factoryId == 0)
            score += int64_t(record.rate) * 50 + int64_t(record.rating1) * 500 + int64_t(record.rating2) * 500;
    for (const auto& [id, owned] : profile.recipes)
        if (owned)
            score += 1000;
    for (const auto& [id, open] : profile.countries)
        if (open)
            score += 10000;
    for (const auto& [id, factory] : profile.factories)
        if (factory.firstFlag)
            score += 20000;
    for (const auto& [id, count] : profile.materials) {
        auto source = tables.sourceTable.find(id);
        if (source != tables.sourceTable.end())
            score += int64_t(double(count) * source->second.Price * profile.buyFactor);
    }
    for (const StockItem& item : profile.stock) {
        if (item.productId < 1 || item.productId > 80)
            continue;
        auto blueprint = tables.blueprintTable.find(item.productId);
        if (blueprint == tables.blueprintTable.end())
            continue;
        int64_t materialsWorth = 0;
        for (const auto& [materialId, qty] : blueprint->second.materialQty) {
            auto source = tables.sourceTable.find(materialId);
            if (source != tables.sourceTable.end())
                materialsWorth += int64_t(qty) * source->second.Price;
        }
        const int64_t base = int64_t(double(materialsWorth) * 1.5 * profile.sellFactor);
        const int64_t unit = int64_t(double(base) + double(base) * 3.5 * (item.rating1 - 1));
        score += int64_t(item.quantity) * unit;
    }
    score += int64_t(double(profile.money) * 0.00005);
    score -= 30 * (int64_t(profile.day) + 11700);
    return score;
}

} // namespace Quor
