// The player profile record: everything one player's game keeps (identity, money, calendar,
// company identity, stock, recipes, factories, production, quests and the sale and purchase
// history), its sub-records and the small lookups the game calls on it. Five of them live on the
// GameApp (slots 0-4); the save file is ProfileFile.h.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quor {

// The version stamp of every valid profile; start-up resets all five when one differs.
constexpr int32_t ProfileVersionStamp = 90009;
// The tutorial step of a profile that has no tutorial pending.
constexpr int32_t TutorialFinished = -999;

// The company identity chosen on the logo screen.
struct CompanyLogo {
    int32_t logoIndex = 0;   // logo image 0-7
    int32_t secondIndex = 0; // icon image
    int32_t fontIndex = 0;   // font choice
    int32_t colorIndex = 0;  // colour choice 0-7
    int32_t red = 255;       // colour of the company text
    int32_t green = 0;
    int32_t blue = 0;
    std::string fontName = "FONT_T14";  // resource name of the chosen font
    std::string companyName = "CompanyName";
    // Layout of the company panel: the name's x and y, the icon's x and y.
    int32_t layout1 = 0;
    int32_t layout2 = 72;
    int32_t layout3 = 11;
    int32_t layout4 = 58;

    bool operator==(const CompanyLogo&) const = default;
};

// Dinnerware in stock: one entry per product and pair of ratings.
struct StockItem {
    int32_t productId = 0;  // blueprint id
    int32_t rating1 = 0;
    int32_t rating2 = 0;
    int32_t quantity = 0;

    bool operator==(const StockItem&) const = default;
};

// The best price met for a blueprint or a material and where; -1 means none yet.
struct ItemStatRecord {
    int32_t id = 0;
    int32_t value = -1;       // price in dollars
    int32_t smallValue = -1;  // country index where the price was met

    bool operator==(const ItemStatRecord&) const = default;
};

// A factory site of a country.
struct FactoryState {
    int32_t countryId = 0;
    int32_t productId = -1;  // the product chosen; -1 none
    bool firstFlag = false;  // the factory is the player's
    bool secondFlag = false; // the factory is for sale (a reward released it)

    bool operator==(const FactoryState&) const = default;
};

// What a factory makes of a product and how well.
struct ProductionRecord {
    int32_t factoryId = 0;  // the factory's country id
    int32_t productId = 0;
    int32_t rating1 = 0;
    int32_t rating2 = 0;
    int32_t rate = 0;  // pieces per production step

    bool operator==(const ProductionRecord&) const = default;
};

// An unlocked quest: finished or not, and the done flag of each of its targets.
struct QuestState {
    int32_t questId = 0;
    bool finished = false;
    std::map<int32_t, bool> targets;  // target index -> done

    QuestState() = default;
    QuestState(int32_t key, int32_t id, bool isFinished, const std::map<int32_t, bool>& targetMap)
        : questId(id), finished(isFinished), targets(targetMap)
    {
        (void)key;
    }

    bool operator==(const QuestState&) const = default;
};

struct PurchaseLogEntry {
    int32_t materialId = 0;
    int32_t day = 0;
    int32_t quantity = 0;

    bool operator==(const PurchaseLogEntry&) const = default;
};

struct SaleLogEntry {
    int32_t productId = 0;
    int32_t day = 0;
    int32_t quantity = 0;

    bool operator==(const SaleLogEntry&) const = default;
};

// One player's game. Copying copies every container; all maps iterate by ascending key.
struct PlayerProfile {
    int32_t versionStamp = 0;
    int32_t tutorialStep = 0;  // id of the pending tutorial step; TutorialFinished for none
    int32_t slotIndex = 0;     // the profile's own slot 0-4
    std::string name;          // empty: a free slot
    int32_t money = 0;
    int32_t day = 1;
    int32_t country = 0;       // current country index 0-7
    double buyFactor = 1.0;    // buying-price factor of the day
    double sellFactor = 1.0;   // selling-price factor of the day
    bool DeveloperFlag = false;  // the main menu shows the editor buttons
    CompanyLogo logo;
    bool miniGameOpen1 = false;
    bool miniGameOpen2 = false;
    // Rescues taken on the game-over panel (the rescue count) since the program started; never
    // saved.
    int32_t gameOverCounter = 0;
    std::vector<StockItem> stock;  // sorted by product, rating 1, rating 2
    std::map<int32_t, ItemStatRecord> blueprintStats;
    std::map<int32_t, ItemStatRecord> materialStats;
    std::map<int32_t, int32_t> materials;  // material id -> count in store
    std::map<int32_t, bool> recipes;       // blueprint id -> owned
    std::map<int32_t, bool> awards;        // award id -> earned
    std::map<int32_t, bool> countries;     // country id -> opened
    std::map<int32_t, FactoryState> factories;  // country id -> site
    std::vector<ProductionRecord> production;
    std::map<int32_t, QuestState> quests;  // unlocked quests
    std::vector<PurchaseLogEntry> purchaseLog;
    std::vector<SaleLogEntry> saleLog;

    // The first production record of factory 0 for the product; null when there is none.
    ProductionRecord* FindProductRecord(int32_t productId);
    // Adds to the entry of the same product and day, or appends one.
    void AddSaleLogEntry(int32_t productId, int32_t day, int32_t quantity);
    // Pieces of the product sold on the current day and the 30 before it (at most the int maximum).
    int32_t CountRecentSales(int32_t productId) const;
    // Adds to the first entry of the same material and day, or appends one.
    void AddPurchaseLogEntry(int32_t materialId, int32_t day, int32_t quantity);
    // Units of the material bought on the current day and the 30 before it (at most the int
    // maximum).
    int32_t CountRecentPurchases(int32_t materialId) const;
    // The material is in store with at least the amount.
    bool HasMaterial(int32_t materialId, int32_t amount) const;
    void RemoveEmptyStockItems();
    void EraseMaterialIfEmpty(int32_t materialId);

    bool operator==(const PlayerProfile&) const = default;
};

// a + b held to the int range: money, counts and logged quantities stop at the int maximum
// instead of wrapping.
int32_t SaturatingAdd(int32_t a, int64_t b);

// Adds dinnerware to the stock, keeping it sorted by product, rating 1 and rating 2 and merging
// an entry of the same three.
void AddToStock(PlayerProfile& profile, int32_t productId, int32_t rating1, int32_t rating2, int32_t quantity);

} // namespace Quor
