// Production steps and prices on the game screen with stand-in panels: the day roll after a seeded
// rand(), production in one or all factories with the calls that follow, the three warnings that
// change nothing, the sorted stock and the sale price worked out by hand.
#include "tests/game/world/WorldFixture.h"

#include "game/shell/PlayerProfile.h"
#include "game/world/MessagePopup.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

using namespace Quor;

namespace {

using namespace worldtest;

constexpr int kEngland = 0;
constexpr int kJapan = 2;

// The day factor of a draw k.
double Factor(int k)
{
    return 0.9 + k / 1000.0;
}

class ProductionTest : public WorldTest {
protected:
    // Recipe 1: 2 x material 1 at $8 and 1 x material 7 at $12, worth $28.
    StandInPhase* EnterGame()
    {
        Start();
        app->sourceTable[1] = {1, "Clay", "", 8};
        app->sourceTable[7] = {7, "Glaze", "", 12};
        app->blueprintTable[1] = {1, "Plate", "", 0, {{1, 2}, {7, 1}}, {}};
        PlayerProfile& p = Profile();
        p.tutorialStep = TutorialFinished;
        p.stock.clear();
        p.production.clear();
        p.factories.clear();
        p.materials.clear();
        p.day = 10;
        phase = Enter(new StandInPhase(app.get(), &record, {PANEL_WARNING}));
        record.trace.clear();
        return phase;
    }
    void Own(int country, int product)
    {
        Profile().factories[country] = {country, product, true, false};
    }
    void SetRate(int product, int rate, int r1 = 1, int r2 = 1)
    {
        Profile().production.push_back({0, product, r1, r2, rate});
    }
    std::string WarningText()
    {
        auto* warning = dynamic_cast<MessagePopup*>(phase->mPanels[PANEL_WARNING]);
        return warning ? warning->mMessage : "";
    }

    StandInPhase* phase = nullptr;
};

TEST_F(ProductionTest, EachProducingDayRollsTheFactorsWithTwoDraws)
{
    EnterGame();
    Own(kEngland, 1);
    SetRate(1, 1);
    Profile().materials = {{1, 100}, {7, 100}};
    std::srand(1);
    const double expected[][2] = {{Factor(183), Factor(86)}, {Factor(177), Factor(115)}};
    for (int day = 0; day < 2; ++day) {
        phase->ProduceInFactory(kEngland);
        EXPECT_EQ(Profile().day, 11 + day);
        EXPECT_DOUBLE_EQ(Profile().buyFactor, expected[day][0]);
        EXPECT_DOUBLE_EQ(Profile().sellFactor, expected[day][1]);
    }
    EXPECT_NEAR(Profile().buyFactor, 1.077, 1e-12);
    EXPECT_NEAR(Profile().sellFactor, 1.015, 1e-12);
}

TEST_F(ProductionTest, TwoFactoriesOfOneProductFillOneEntryInOneDayAndKeepEmptiedCounts)
{
    EnterGame();
    Own(kEngland, 1);
    Own(kJapan, 1);
    Own(5, -1);
    SetRate(1, 5);
    Profile().materials = {{1, 14}, {7, 7}};
    phase->ShowPanel(PANEL_CELLAR, 0);
    record.trace.clear();

    EXPECT_TRUE(phase->ProduceInAllFactories());
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{1, 1, 1, 7}}));
    EXPECT_EQ(Profile().materials, (std::map<int32_t, int32_t>{{1, 0}, {7, 0}}));
    EXPECT_EQ(Profile().day, 11);
    // No show for all factories: the bar starts it itself.
    EXPECT_EQ(record.trace, (Trace{"targets", "slots 3", "unlocks -1", "factory status"}));
}

TEST_F(ProductionTest, OneFactoryMakesWhatTheMaterialsAllowInOneDayThenShowsTheResult)
{
    EnterGame();
    Own(kEngland, 1);
    SetRate(1, 5, 2, 3);
    Profile().materials = {{1, 6}, {7, 5}};
    Profile().stock = {{1, 1, 1, 4}, {1, 3, 1, 1}};

    phase->ProduceInFactory(kEngland);
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{1, 1, 1, 4}, {1, 2, 3, 3}, {1, 3, 1, 1}}));
    EXPECT_EQ(Profile().materials, (std::map<int32_t, int32_t>{{1, 0}, {7, 2}}));
    EXPECT_EQ(Profile().day, 11);
    // Without an open cellar there is no refresh of its slots.
    EXPECT_EQ(record.trace, (Trace{"targets", "unlocks -1", "factory status", "show"}));
}

TEST_F(ProductionTest, FactoriesWorkInCountryOrderOnTheMaterialsLeft)
{
    EnterGame();
    app->blueprintTable[2] = {2, "Cup", "", 0, {{7, 1}}, {}};
    Own(kEngland, 1);
    Own(kJapan, 2);
    SetRate(1, 3);
    SetRate(2, 2, 3, 3);
    Profile().materials = {{1, 2}, {7, 3}};

    EXPECT_TRUE(phase->ProduceInAllFactories());
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{1, 1, 1, 1}, {2, 3, 3, 2}}));
    EXPECT_EQ(Profile().materials, (std::map<int32_t, int32_t>{{1, 0}, {7, 0}}));
}

TEST_F(ProductionTest, WarningsChangeNothingAndDrawNoRandomNumber)
{
    const std::string shortText =
        "There are not enough required materials to produce this dinnerware. Please check the recipe book.";
    const std::string setupText = "The product line of this factory has not yet finished setup. Remember to play "
                                  "'Production Machine' in order to set the production rate.";
    const std::string noneText = "There are not enough materials for this dinnerware. Or the product line was "
                                 "not finished setup. Please check the factories' status.";
    struct Case {
        const char* name;
        int product;  // England's product
        int rate;     // -1: no production record
        int clay;
        bool all;     // all factories, else England alone
        std::string text;
    };
    const Case cases[] = {
        {"no product", -1, 5, 10, false, shortText},
        {"short", 1, 5, 1, false, shortText},
        {"no blueprint", 9, 5, 10, false, shortText},
        {"never set up", 1, -1, 10, false, setupText},
        {"rate 0", 1, 0, 10, false, setupText},
        {"all, none ready", 1, 0, 10, true, noneText},
        {"all, short", 1, 5, 1, true, noneText},
    };
    EnterGame();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        phase->ClosePanel(PANEL_WARNING);
        Profile().factories.clear();
        Profile().production.clear();
        Own(kEngland, c.product);
        if (c.rate >= 0)
            SetRate(c.product, c.rate);
        Profile().materials = {{1, c.clay}, {7, 10}};
        const PlayerProfile before = Profile();
        record.trace.clear();
        std::srand(5);
        const int firstDraw = std::rand();
        std::srand(5);

        if (c.all)
            EXPECT_FALSE(phase->ProduceInAllFactories());
        else
            phase->ProduceInFactory(kEngland);
        EXPECT_EQ(WarningText(), c.text);
        EXPECT_TRUE(Profile() == before);
        EXPECT_TRUE(record.trace.empty());
        EXPECT_EQ(std::rand(), firstDraw);
    }
}

TEST_F(ProductionTest, AFactoryNotOwnedOrNotThereDoesNothingAtAll)
{
    EnterGame();
    Profile().factories[kJapan] = {kJapan, 1, false, true};
    SetRate(1, 5);
    Profile().materials = {{1, 10}, {7, 10}};
    const PlayerProfile before = Profile();
    for (int country : {kJapan, 5, -1}) {
        phase->ProduceInFactory(country);
        EXPECT_TRUE(Profile() == before) << country;
        EXPECT_EQ(phase->mPanels[PANEL_WARNING], nullptr) << country;
    }
    EXPECT_TRUE(record.trace.empty());
}

TEST_F(ProductionTest, StockStaysSortedWithOneEntryPerProductAndRatings)
{
    EnterGame();
    Profile().stock = {{4, 1, 5, 2}, {4, 2, 3, 1}};
    phase->AddToStock({4, 2, 1, 3});
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{4, 1, 5, 2}, {4, 2, 1, 3}, {4, 2, 3, 1}}));
    phase->AddToStock({4, 2, 1, 2});
    phase->AddToStock({5, 0, 0, 1});
    phase->AddToStock({1, 3, 3, 1});
    EXPECT_EQ(Profile().stock,
              (std::vector<StockItem>{{1, 3, 3, 1}, {4, 1, 5, 2}, {4, 2, 1, 5}, {4, 2, 3, 1}, {5, 0, 0, 1}}));
    // A full entry holds at the int maximum rather than wrapping.
    phase->AddToStock({5, 0, 0, INT_MAX});
    EXPECT_EQ(Profile().stock.back().quantity, INT_MAX);
}

TEST_F(ProductionTest, SalePriceTruncatesAtEachStep)
{
    EnterGame();
    struct Case {
        int rating1, rating2;
        int k;     // sell-factor draw
        int sold;  // pieces sold within the last 30 days
        int price;
    };
    const Case cases[] = {
        {3, 3, 100, 0, 60},   {3, 3, 100, 100, 60}, {3, 3, 100, 101, 54}, {3, 3, 100, 501, 42},
        {3, 3, 100, 1001, 30}, {1, 1, 86, 0, 41},   {2, 3, 183, 0, 61},
    };
    for (const Case& c : cases) {
        Profile().sellFactor = Factor(c.k);
        Profile().saleLog.clear();
        Profile().day = 40;
        // Sales of 31 days ago are out of the window; those of 30 days ago count.
        Profile().saleLog.push_back({1, 9, 5000});
        if (c.sold > 0)
            Profile().saleLog.push_back({1, 10, c.sold});
        Profile().saleLog.push_back({2, 40, 5000});
        EXPECT_EQ(phase->DinnerwareSalePrice(1, c.rating1, c.rating2), c.price)
            << c.rating1 << "/" << c.rating2 << " k " << c.k << " sold " << c.sold;
    }
    app->blueprintTable[3] = {3, "Bowl", "", 0, {{1, 1}, {2, 1}}, {}};
    app->sourceTable[2] = {2, "Sand", "", 2};
    Profile().sellFactor = 1.0;
    EXPECT_EQ(phase->DinnerwareSalePrice(3, 1, 1), 15);
}

TEST_F(ProductionTest, MissingRecordsPriceAtNothingAndHugeCostsHoldAtTheIntMaximum)
{
    EnterGame();
    plat::SetDebugOutputSink(&CaptureLog);
    gLog.clear();
    Profile().sellFactor = 1.0;
    app->blueprintTable[4] = {4, "Vase", "", 0, {{1, 1}, {99, 3}}, {}};
    EXPECT_EQ(phase->DinnerwareSalePrice(4, 1, 1), 12);  // int(8 x 1.5), the unknown material adds 0
    EXPECT_EQ(phase->DinnerwareSalePrice(4, 1, 1), 12);
    EXPECT_EQ(phase->DinnerwareSalePrice(77, 3, 3), 0);
    EXPECT_EQ(phase->DinnerwareSalePrice(77, 3, 3), 0);
    EXPECT_EQ(gLog.size(), 2u);  // once per missing record

    app->sourceTable[1].Price = INT_MAX;
    app->blueprintTable[5] = {5, "Urn", "", 0, {{1, INT_MAX}}, {}};
    EXPECT_EQ(phase->DinnerwareSalePrice(5, 3, 3), INT_MAX);
    Profile().saleLog.push_back({5, Profile().day, 2000});
    EXPECT_EQ(phase->DinnerwareSalePrice(5, 3, 3), int(1.05 * (INT_MAX / 2)));
}

} // namespace
