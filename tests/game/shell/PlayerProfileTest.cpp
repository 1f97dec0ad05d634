// The profile record: a new profile on the game data, the start-up version check with its
// backups, and the lookups the game calls on a profile.
#include "tests/game/shell/ProfileFixture.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

using namespace Quor;
using quortest::ProfileApp;

namespace {

class PlayerProfileTest : public quortest::ProfileTest {};

} // namespace

TEST_F(PlayerProfileTest, DefaultProfileIsBuiltOnTheGameData)
{
    ProfileApp app;
    app.FillTables();
    // Country records are walked by their ids, which need not run 0..n-1.
    app.CreateDefaultProfile("first");
    app.CreateDefaultProfile("Bea");
    ASSERT_EQ(app.profiles.size(), 2u);
    EXPECT_EQ(app.currentProfile, 1);
    const PlayerProfile& p = app.profiles[1];
    EXPECT_EQ(p.slotIndex, 1);
    EXPECT_EQ(p.name, "Bea");
    EXPECT_EQ(p.versionStamp, 90009);
    EXPECT_EQ(p.tutorialStep, 0);
    EXPECT_EQ(p.day, 0);
    EXPECT_EQ(p.money, 0);
    EXPECT_EQ(p.country, 0);
    EXPECT_EQ(p.buyFactor, 1.0);
    EXPECT_EQ(p.logo, CompanyLogo{});
    EXPECT_EQ(p.countries, (std::map<int32_t, bool>{{0, true}, {2, false}, {5, false}}));
    ASSERT_EQ(p.factories.size(), 2u);
    EXPECT_EQ(p.factories.at(0), (FactoryState{0, -1, true, false}));
    EXPECT_EQ(p.factories.at(5), (FactoryState{5, -1, false, false}));
    std::vector<ProductionRecord> production;
    for (int f : {0, 5})
        for (int b : {1, 2, 4})
            production.push_back({f, b, 1, 1, 0});
    EXPECT_EQ(p.production, production);
    EXPECT_EQ(p.recipes, (std::map<int32_t, bool>{{1, true}, {2, false}, {4, false}}));
    EXPECT_EQ(p.blueprintStats.at(4), (ItemStatRecord{4, -1, -1}));
    EXPECT_EQ(p.materialStats, (std::map<int32_t, ItemStatRecord>{{3, {3, -1, -1}}, {8, {8, -1, -1}}}));
    ASSERT_EQ(p.awards.size(), 17u);
    EXPECT_EQ(p.awards.rbegin()->first, 16);
    ASSERT_EQ(p.quests.size(), 1u);
    EXPECT_EQ(p.quests.at(1), QuestState(1, 1, false, {{0, false}, {1, false}, {2, false}}));
    EXPECT_TRUE(p.stock.empty() && p.materials.empty() && p.saleLog.empty() && p.purchaseLog.empty());

    // Without a quest 1 in the data no quest is opened.
    app.questTable.clear();
    app.CreateDefaultProfile("");
    EXPECT_TRUE(app.profiles.back().quests.empty());
}

TEST_F(PlayerProfileTest, OneForeignStampResetsAllFiveAfterBackingTheFilesUp)
{
    ProfileApp app;
    app.FillTables();
    for (int i = 0; i < 5; ++i)
        app.CreateDefaultProfile("P" + std::to_string(i));
    for (int slot = 0; slot < 5; ++slot)
        ASSERT_TRUE(app.SavePlayerProfile(slot));
    // An older backup of slot 1 stays as it is.
    quortest::WriteFile(SavePath(1) + ".bak", std::string("old backup"));
    std::vector<uint8_t> slot3 = quortest::ReadFile(SavePath(3));

    // All valid: nothing changes.
    app.currentProfile = 3;
    app.ValidateProfileVersions();
    EXPECT_EQ(app.profiles[2].name, "P2");
    EXPECT_EQ(app.currentProfile, 3);

    app.profiles[2].versionStamp = 90008;
    app.ValidateProfileVersions();
    ASSERT_EQ(app.profiles.size(), 5u);
    EXPECT_EQ(app.currentProfile, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(app.profiles[i].name, "");
        EXPECT_EQ(app.profiles[i].slotIndex, i);
        EXPECT_EQ(app.profiles[i].versionStamp, 90009);
    }
    // The files are untouched, each has its backup, and the older backup was kept.
    EXPECT_EQ(quortest::ReadFile(SavePath(3)), slot3);
    EXPECT_EQ(quortest::ReadFile(SavePath(3) + ".bak"), slot3);
    const std::string old = "old backup";
    EXPECT_EQ(quortest::ReadFile(SavePath(1) + ".bak"), std::vector<uint8_t>(old.begin(), old.end()));
    EXPECT_TRUE(app.mErrorLog.empty());
}

TEST(PlayerProfileLookups, SalesLogAndRecentSales)
{
    PlayerProfile p;
    p.AddSaleLogEntry(7, 9, 100);
    p.AddSaleLogEntry(7, 10, 5);
    p.AddSaleLogEntry(7, 10, 6);  // same product, same day: merged
    p.AddSaleLogEntry(8, 10, 50);
    p.AddSaleLogEntry(7, 40, 1);
    EXPECT_EQ(p.saleLog, (std::vector<SaleLogEntry>{{7, 9, 100}, {7, 10, 11}, {8, 10, 50}, {7, 40, 1}}));
    p.day = 40;
    // Day 10 is 30 days back and counts; day 9 does not.
    EXPECT_EQ(p.CountRecentSales(7), 12);
    EXPECT_EQ(p.CountRecentSales(8), 50);
    EXPECT_EQ(p.CountRecentSales(9), 0);
}

TEST(PlayerProfileLookups, ProductionMaterialsAndStock)
{
    PlayerProfile p;
    p.production = {{2, 5, 3, 3, 9}, {0, 6, 1, 1, 0}, {0, 5, 2, 1, 4}};
    ASSERT_NE(p.FindProductRecord(5), nullptr);
    EXPECT_EQ(p.FindProductRecord(5)->rate, 4);  // factory 0 only
    EXPECT_EQ(p.FindProductRecord(9), nullptr);

    p.materials = {{1, 0}, {2, 5}};
    EXPECT_FALSE(p.HasMaterial(3, 0));
    EXPECT_TRUE(p.HasMaterial(1, 0));
    EXPECT_TRUE(p.HasMaterial(2, 5));
    EXPECT_FALSE(p.HasMaterial(2, 6));
    p.EraseMaterialIfEmpty(2);
    p.EraseMaterialIfEmpty(3);
    p.EraseMaterialIfEmpty(1);
    EXPECT_EQ(p.materials, (std::map<int32_t, int32_t>{{2, 5}}));

    p.stock = {{1, 1, 1, 0}, {1, 2, 1, 4}, {2, 1, 1, 0}, {3, 1, 1, 2}, {4, 1, 1, 0}};
    p.RemoveEmptyStockItems();
    EXPECT_EQ(p.stock, (std::vector<StockItem>{{1, 2, 1, 4}, {3, 1, 1, 2}}));
    AddToStock(p, 3, 1, 1, 5);
    AddToStock(p, 2, 3, 3, 1);
    AddToStock(p, 3, 1, 0, 1);
    EXPECT_EQ(p.stock, (std::vector<StockItem>{{1, 2, 1, 4}, {2, 3, 3, 1}, {3, 1, 0, 1}, {3, 1, 1, 7}}));
}
