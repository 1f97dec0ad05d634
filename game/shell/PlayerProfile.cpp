#include "game/shell/PlayerProfile.h"

#include <algorithm>
#include <climits>
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

namespace {

// The days a surcharge or a discount looks back: the current day and the 30 before it.
constexpr int64_t kTradeWindowDays = 30;

// Adds the quantity to the first entry of the item and day, or appends an entry.
template <class Entry, class Id>
void AddToLog(std::vector<Entry>& log, Id id, int32_t itemId, int32_t day, int32_t quantity)
{
    for (Entry& entry : log) {
        if (entry.*id == itemId && entry.day == day) {
            entry.quantity = SaturatingAdd(entry.quantity, quantity);
            return;
        }
    }
    log.push_back({itemId, day, quantity});
}

// The quantities of the item logged in the window that ends today, summed in 64 bits.
template <class Entry, class Id>
int32_t CountInWindow(const std::vector<Entry>& log, Id id, int32_t itemId, int32_t today)
{
    const int64_t since = int64_t(today) - kTradeWindowDays;
    int64_t sum = 0;
    for (const Entry& entry : log)
        if (entry.*id == itemId && entry.day >= since)
            sum += entry.quantity;
    return int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

} // namespace

int32_t SaturatingAdd(int32_t a, int64_t b)
{
    return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX));
}

void PlayerProfile::AddSaleLogEntry(int32_t productId, int32_t saleDay, int32_t quantity)
{
    AddToLog(saleLog, &SaleLogEntry::productId, productId, saleDay, quantity);
}

int32_t PlayerProfile::CountRecentSales(int32_t productId) const
{
    return CountInWindow(saleLog, &SaleLogEntry::productId, productId, day);
}

void PlayerProfile::AddPurchaseLogEntry(int32_t materialId, int32_t purchaseDay, int32_t quantity)
{
    AddToLog(purchaseLog, &PurchaseLogEntry::materialId, materialId, purchaseDay, quantity);
}

int32_t PlayerProfile::CountRecentPurchases(int32_t materialId) const
{
    return CountInWindow(purchaseLog, &PurchaseLogEntry::materialId, materialId, day);
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
