// The cellar through the widget manager with recording stand-ins for the dialog, the head-up
// display and the tutorial: a field above its stock, a sale and its order of calls, selling all,
// the strip of few and many kinds, the tutorial's quantity and ten-piece rule, the order list,
// and leaving.
#include "tests/game/world/TradeFixture.h"

#include "game/shell/ResourceBinding.h"
#include "widgets/ButtonWidget.h"
#include "widgets/ScrollbarWidget.h"

#include <climits>

using namespace Quor;

namespace {

using namespace worldtest;

class CellarTest : public TradeTest {
protected:
    // Recipe 1 with ratings 1/1 sells for 42 and recipe 2 for 18 at the factor 1.0.
    void StartStock(std::vector<StockItem> stock)
    {
        StartTrade();
        Profile().stock = std::move(stock);
        EnterTrade();
    }
};

TEST_F(CellarTest, AFieldAboveItsStockIsWrittenDownAndASaleRunsItsCalls)
{
    StartStock({{1, 1, 1, 5}});
    Profile().saleLog = {{1, 10, 2}};
    Cellar* cellar = OpenCellar();
    EXPECT_EQ(app->samples.back(), SE_SHOP);
    ASSERT_TRUE(cellar->mSlots[0].active);
    EXPECT_EQ(cellar->mSlots[0].unitPrice, 42);
    EditWidget* field = cellar->mSlots[0].field;
    Type(field, "7");
    EXPECT_EQ(field->mString, "7");
    Tick();
    EXPECT_EQ(field->mString, "5");
    EXPECT_EQ(cellar->mSlots[0].lineTotal, 5 * 42);
    field->SetText("7", true);
    record.trace.clear();
    Key(field, 13);

    const PlayerProfile& p = Profile();
    EXPECT_EQ(p.money, 1000 + 5 * 42);
    EXPECT_TRUE(p.stock.empty());
    EXPECT_EQ(p.saleLog, (std::vector<SaleLogEntry>{{1, 10, 7}}));  // merged with the day's earlier sale
    EXPECT_EQ(p.blueprintStats.at(1), (ItemStatRecord{1, 42, 0}));
    EXPECT_EQ(Calls(), (Trace{"money effect", "sale 1 5", "inventory", "targets", "unlocks -1"}));
    EXPECT_FALSE(cellar->mSlots[0].active);
    EXPECT_FALSE(mPhase->HasWidget(field));
    EXPECT_TRUE(cellar->mOrder.empty());
}

TEST_F(CellarTest, SellAllSellsEveryKindWithOneMoneyEffectAtTheEnd)
{
    StartStock({{1, 1, 1, 4}, {2, 1, 1, 9}});
    Cellar* cellar = OpenCellar();
    record.trace.clear();
    Click(cellar->mSellAll);
    EXPECT_EQ(Profile().money, 1000 + 4 * 42 + 9 * 18);
    EXPECT_TRUE(Profile().stock.empty());
    EXPECT_EQ(Calls(), (Trace{"sale 1 4", "inventory", "targets", "unlocks -1", "sale 2 9", "inventory", "targets",
                              "unlocks -1", "money effect"}));
    // With nothing left SELL sells nothing and shows nothing.
    record.trace.clear();
    Click(cellar->mSellAll);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(CellarTest, TheStripOfFewAndManyKindsSnapsToWholeColumns)
{
    StartStock({{1, 1, 1, 1}, {1, 2, 1, 1}, {2, 1, 1, 1}});
    Cellar* cellar = OpenCellar();
    EXPECT_EQ(cellar->mItemBar->mMaxValue, -244);
    for (const auto& slot : cellar->mSlots)
        EXPECT_EQ(slot.active, slot.index < 3) << slot.index;
    cellar->ScrollbarReleased(1, 300);  // nothing to scroll: stays at the first card
    EXPECT_EQ(cellar->mFirstIndex, 0);
    EXPECT_EQ(cellar->mItemScroll, 0);
    mPhase->ClosePanel(PANEL_CELLAR);
    Tick();

    for (int i = 0; i < 5; ++i)
        Profile().stock.push_back({3 + i, 1, 1, 1});
    cellar = OpenCellar();
    EXPECT_EQ(cellar->mItemBar->mMaxValue, 3 * 122);
    struct Case {
        double position;
        int snapped;
    };
    for (Case c : {Case{61, 0}, Case{62, 122}, Case{183, 122}, Case{-10, 0}, Case{5000, 366}}) {
        cellar->ScrollbarReleased(1, c.position);
        EXPECT_EQ(cellar->mItemScroll, c.snapped) << c.position;
        EXPECT_EQ(cellar->mFirstIndex, c.snapped / 122) << c.position;
        EXPECT_EQ(cellar->mSlots[0].item, c.snapped / 122) << c.position;
    }
}

TEST_F(CellarTest, TheTutorialsFourDropsTheFocusAndAllowsNothingAfterIt)
{
    StartStock({{1, 1, 1, 5}});
    mPhase->ShowPanel(PANEL_TUTOR, 0);
    Cellar* cellar = OpenCellar();
    CheckTutorDigit(cellar, {57, 58, 56}, '4');
}

// During the ten-piece step only an order with ten ordered pieces of product 1 sells; an order
// refused before it stays and sells with it, each entry from its own stock item.
TEST_F(CellarTest, TheTenPieceStepSellsOnlyWithTenPiecesOfTheFirstProduct)
{
    StartStock({{1, 1, 1, 12}, {2, 1, 1, 3}});
    mPhase->ShowPanel(PANEL_TUTOR, 0);
    Profile().tutorialStep = 38;
    Cellar* cellar = OpenCellar();
    record.trace.clear();
    cellar->AddToOrder(1, 3);
    cellar->AddToOrder(0, 9);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(Profile().money, 1000);
    ASSERT_EQ(cellar->mOrder.size(), 2u);
    EXPECT_TRUE(mPhase->HasWidget(cellar->mRemove[0]));
    EXPECT_EQ(cellar->mRemove[0]->mId, 20000);
    EXPECT_EQ(cellar->mRemove[1]->mId, 20001);

    cellar->AddToOrder(0, 1);
    EXPECT_EQ(Calls(), (Trace{"tutor 10001", "money effect", "sale 1 10", "sale 2 3", "inventory", "targets",
                              "unlocks -1"}));
    EXPECT_EQ(Profile().money, 1000 + 10 * 42 + 3 * 18);
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{1, 1, 1, 2}}));

    // SELL with fewer than ten pieces of product 1 first: a pass that sells nothing ends it.
    Profile().stock = {{1, 1, 1, 2}, {2, 1, 1, 30}};
    cellar->RefreshSlots();
    record.trace.clear();
    Click(cellar->mSellAll);
    EXPECT_EQ(Calls(), Trace{"tutor 10001"});
    EXPECT_EQ(Profile().stock.size(), 2u);
    // The order that stays can be taken back with its remove button.
    ASSERT_TRUE(mPhase->HasWidget(cellar->mRemove[0]));
    Click(cellar->mRemove[0]);
    EXPECT_TRUE(cellar->mOrder.empty());
    EXPECT_FALSE(mPhase->HasWidget(cellar->mRemove[0]));
    EXPECT_EQ(cellar->mOrderFirstRow, 0);
}

TEST_F(CellarTest, ExitPassesItsIdThenSlidesAway)
{
    StartStock({{1, 1, 1, 5}});
    mPhase->ShowPanel(PANEL_TUTOR, 0);
    Cellar* cellar = OpenCellar();
    record.trace.clear();
    Click(cellar->mExit);
    EXPECT_EQ(Calls(), Trace{"tutor 999"});
    EXPECT_TRUE(cellar->mSlidingOut);
    Tick();
    EXPECT_EQ(mPhase->mPanels[PANEL_CELLAR], nullptr);
    Tick();
}

TEST_F(CellarTest, MoneyStopsAtTheIntMaximum)
{
    StartStock({{1, 3, 3, 9999}});
    Profile().money = INT_MAX - 100;
    Cellar* cellar = OpenCellar();
    cellar->AddToOrder(0, 9999);
    EXPECT_EQ(Profile().money, INT_MAX);
    EXPECT_TRUE(Profile().stock.empty());
}

} // namespace

namespace {

using namespace worldtest;

// Dinnerware taken from the stock while the cellar is open (a quest step handed in) leaves slots
// pointing past the stock: they count and sell nothing until the next refresh.
TEST_F(TradeTest, ACellarSlotPastTheShrunkenStockSellsNothing)
{
    StartTrade();
    Profile().stock = {{1, 1, 1, 5}, {2, 1, 1, 3}};
    EnterTrade();
    Cellar* cellar = OpenCellar();
    cellar->mSlots[1].field->SetText("2", true);
    Profile().stock.pop_back();
    Tick();
    cellar->AddToOrder(1, 2);
    EXPECT_EQ(Profile().money, 1000);
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{1, 1, 1, 5}}));
    cellar->RefreshSlots();
    EXPECT_FALSE(cellar->mSlots[1].active);
}

} // namespace
