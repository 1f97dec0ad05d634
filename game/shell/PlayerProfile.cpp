#include "game/shell/PlayerProfile.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace Quor {

ProductionRecord* PlayerProfile::FindProductRecord(int32_t productId)
{
    for (ProductionRecord& record : production)
        if (record.factoryId == 0 && record.productId == productId)
            return &record;
    return nullptr;
}

void PlayerProfile::AddSaleLogEntry(int32_t productId, int32_t saleDay, int32_t quantity)
{
    for (SaleLogEntry& entry : saleLog) {
        if (entry.productId == productId && entry.day == saleDay) {
            entry.quantity += quantity;
            return;
        }
    }
    saleLog.push_back({productId, saleDay, quantity});
}

int32_t PlayerProfile::CountRecentSales(int32_t productId) const
{
    int64_t since = int64_t(day) - 30;
    int32_t sum = 0;
    for (const SaleLogEntry& entry : saleLog)
        if (entry.productId == productId && entry.day >= since)
            sum += entry.quantity;
    return sum;
}

bool PlayerProfile::HasMaterial(int32_t materialId, int32_t amount) const
{
    auto it = materials.find(materialId);
    return it != materials.end() && it->second >= amount;
}

void PlayerProfile::RemoveEmptyStockItems()
{
    for (size_t i = stock.size(); i-- > 0;)
        if (stock[i].quantity == 0)
            stock.erase(stock.begin() + std::ptrdiff_t(i));
}

void PlayerProfile::EraseMaterialIfEmpty(int32_t materialId)
{
    auto it = materials.find(materialId);
    if (it != materials.end() && it->second == 0)
        materials.erase(it);
}

void AddToStock(PlayerProfile& profile, int32_t productId, int32_t rating1, int32_t rating2, int32_t quantity)
{
    auto key = [](const StockItem& item) { return std::make_tuple(item.productId, item.rating1, item.rating2); };
    StockItem added{productId, rating1, rating2, quantity};
    auto it = std::lower_bound(profile.stock.begin(), profile.stock.end(), added,
                               [&](const StockItem& a, const StockItem& b) { return key(a) < key(b); });
    if (it != profile.stock.end() && key(*it) == key(added))
        it->quantity = int32_t(std::clamp<int64_t>(int64_t(it->quantity) + quantity, INT32_MIN, INT32_MAX));
    else
        profile.stock.insert(it, added);
}

} // namespace Quor
