// The supplier through the widget manager with recording stand-ins for the dialog, the head-up
// display and the tutorial: unit prices and their surcharge window, the purchase log, buying and
// its order of calls, the refused order, the page of seven materials, scroll snapping, the
// quantity fields in and out of the tutorial, leaving, and orders too large for the money.
#include "tests/game/world/TradeFixture.h"

#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/MusicTrackList.h"
#include "game/world/InfoPanel.h"
#include "game/shell/ResourceBinding.h"
#include "widgets/ButtonWidget.h"
#include "widgets/ScrollbarWidget.h"

#include <climits>

using namespace Quor;

namespace {

using namespace worldtest;

class SupplierTest : public TradeTest {};

TEST(SupplierPrice, UnitPriceFollowsTheFactorAndTheSurchargeTiers)
{
    struct Case {
        int price;
        int k;
        int bought;
        int expected;
    };
    const Case cases[] = {
        {10, 190, 0, 10},     {10, 190, 100, 10},  {10, 190, 101, 11},   {37, 183, 0, 40},
        {37, 183, 101, 44},   {37, 183, 500, 44},  {37, 183, 501, 46},   {37, 183, 1000, 46},
        {37, 183, 1001, 48},  {120, 125, 0, 122},  // the double 1.025 lies just below 1.025
        {0, 100, 5000, 0},    {-5, 100, 0, 0},     {INT_MAX, 199, 2000, INT_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Supplier::UnitPrice(c.price, Factor(c.k), c.bought), c.expected)
            << c.price << " at " << c.k << " after " << c.bought;
}

TEST(PurchaseLog, SameDayPurchasesMergeAndTheWindowEndsThirtyDaysBack)
{
    PlayerProfile p;
    p.AddPurchaseLogEntry(1, 1, 40);
    p.AddPurchaseLogEntry(1, 1, 2);
    p.AddPurchaseLogEntry(1, 2, 5);
    p.AddPurchaseLogEntry(7, 1, 9);
    const std::vector<PurchaseLogEntry> expected = {{1, 1, 42}, {1, 2, 5}, {7, 1, 9}};
    EXPECT_EQ(p.purchaseLog, expected);
    struct Case {
        int day;
        int count;
    };
    for (Case c : {Case{1, 47}, Case{31, 47}, Case{32, 5}, Case{33, 0}}) {
        p.day = c.day;
        EXPECT_EQ(p.CountRecentPurchases(1), c.count) << c.day;
    }
    // Quantities that would wrap a 32-bit sum stop at the int maximum, in the entry and the count.
    p.day = 5;
    p.AddPurchaseLogEntry(3, 5, INT_MAX);
    p.AddPurchaseLogEntry(3, 5, 10);
    p.AddPurchaseLogEntry(3, 4, INT_MAX);
    EXPECT_EQ(p.purchaseLog[3].quantity, INT_MAX);
    EXPECT_EQ(p.CountRecentPurchases(3), INT_MAX);
    p.AddSaleLogEntry(2, 5, INT_MAX);
    p.AddSaleLogEntry(2, 4, INT_MAX);
    EXPECT_EQ(p.CountRecentSales(2), INT_MAX);
}

TEST_F(SupplierTest, MoneyEqualToTheTotalBuysInTheOrderOfCalls)
{
    StartTrade();
    EnterTrade();
    Profile().buyFactor = Factor(183);  // material 1: (int)(8 x 1.083) = 8; material 7: 12
    Profile().money = 5 * 12;
    Profile().materials[7] = 3;
    Supplier* supplier = OpenSupplier();
    ASSERT_EQ(supplier->mSlots[1].item, 7);
    EXPECT_EQ(supplier->mSlots[1].unitPrice, 12);
    EXPECT_EQ(app->samples.back(), SE_SHOP);
    record.trace.clear();
    app->samples.clear();
    const size_t effectsBefore = mPhase->mEffects->mEffects.size();

    Type(supplier->mSlots[1].field, "5");
    Tick();
    EXPECT_EQ(supplier->mSlots[1].lineTotal, 60);
    Click(supplier->mSlots[1].add);

    const PlayerProfile& p = Profile();
    EXPECT_EQ(p.money, 0);
    EXPECT_EQ(p.materials.at(7), 8);
    EXPECT_EQ(p.purchaseLog, (std::vector<PurchaseLogEntry>{{7, 10, 5}}));
    EXPECT_EQ(p.materialStats.at(7), (ItemStatRecord{7, 12, 0}));
    EXPECT_EQ(Calls(), (Trace{"inventory", "targets", "unlocks -1", "factory status"}));
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK, SE_UI_GET}));
    ASSERT_EQ(mPhase->mEffects->mEffects.size(), effectsBefore + 1);
    const FXObject* effect = mPhase->mEffects->mEffects.back().get();
    EXPECT_EQ(effect->mX, 440);
    EXPECT_EQ(effect->mY, 645);
    EXPECT_EQ(supplier->mSlots[1].field->mString, "");
    EXPECT_TRUE(supplier->mOrder.empty());
    EXPECT_EQ(supplier->mOrderTotal, 0);

    // Without effect 2 in the data the purchase goes through with no effect.
    app->fxDefs = FXDefList{};
    Profile().money = 12;
    supplier->AddToOrder(1, 1);
    EXPECT_EQ(Profile().money, 0);
    EXPECT_EQ(Profile().materials.at(7), 9);
    EXPECT_EQ(mPhase->mEffects->mEffects.size(), effectsBefore + 1);

    // The same day's second purchase merges into the log entry; Enter keeps the field's text.
    Profile().money = 100;
    Type(supplier->mSlots[0].field, "2");
    Key(supplier->mSlots[0].field, 13);
    Type(supplier->mSlots[0].field, "");
    EXPECT_EQ(supplier->mSlots[0].field->mString, "2");
    Key(supplier->mSlots[0].field, 13);
    EXPECT_EQ(p.purchaseLog, (std::vector<PurchaseLogEntry>{{7, 10, 6}, {1, 10, 4}}));
    EXPECT_EQ(p.money, 100 - 4 * 8);
    // An empty field or a 0 buys nothing and calls nothing.
    record.trace.clear();
    supplier->mSlots[0].field->SetText("", true);
    Click(supplier->mSlots[0].add);
    supplier->AddToOrder(0, 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(p.money, 68);
}

TEST_F(SupplierTest, PricesMoveOnlyAtTheNextRefreshAndTheWindowIsThirtyOneDays)
{
    StartTrade();
    EnterTrade();
    Profile().money = 100000;
    Profile().day = 1;
    Supplier* supplier = OpenSupplier();
    supplier->AddToOrder(0, 2000);
    EXPECT_EQ(Profile().money, 100000 - 2000 * 8);  // the whole order at the tier-0 price
    EXPECT_EQ(supplier->mSlots[0].unitPrice, 8);
    supplier->RefreshOffers();
    EXPECT_EQ(supplier->mSlots[0].unitPrice, 9);  // (int)(8 x 1.2)
    Profile().day = 31;
    supplier->RefreshOffers();
    EXPECT_EQ(supplier->mSlots[0].unitPrice, 9);
    Profile().day = 32;
    supplier->RefreshOffers();
    EXPECT_EQ(supplier->mSlots[0].unitPrice, 8);
}

TEST_F(SupplierTest, TooLittleMoneyShowsTheMessageEmptiesTheFieldsAndChangesNothing)
{
    StartTrade();
    EnterTrade();
    Profile().money = 59;
    Supplier* supplier = OpenSupplier();
    const PlayerProfile before = Profile();
    supplier->mSlots[0].field->SetText("3", true);
    Type(supplier->mSlots[1].field, "5");
    record.trace.clear();
    Click(supplier->mSlots[1].add);

    EXPECT_EQ(Profile(), before);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(supplier->mMessageShown);
    EXPECT_EQ(supplier->mMessage, "Sorry, you don't have enough money. Please sell some dinnerware first.");
    for (const auto& slot : supplier->mSlots)
        EXPECT_EQ(slot.field->mString, "") << slot.index;
    EXPECT_TRUE(supplier->mOrder.empty());
    EXPECT_EQ(supplier->mOrderTotal, 0);
    ASSERT_TRUE(mPhase->HasWidget(supplier->mBlocker));
    ASSERT_TRUE(mPhase->HasWidget(supplier->mMessageOk));
    EXPECT_EQ(supplier->mMessageOk->mId, 10009);
    // The blocker takes a click on an add button below it.
    Click(supplier->mSlots[0].add);
    EXPECT_TRUE(supplier->mMessageShown);
    Click(supplier->mMessageOk);
    EXPECT_FALSE(supplier->mMessageShown);
    EXPECT_FALSE(mPhase->HasWidget(supplier->mBlocker));
    EXPECT_FALSE(mPhase->HasWidget(supplier->mMessageOk));
}

// An order no int can hold, or one that would have wrapped a 32-bit total into a small or
// negative number, is refused like any order above the money.
TEST_F(SupplierTest, AnOrderAboveTheMoneyCanNeverRaiseIt)
{
    StartTrade();
    app->sourceTable[7].Price = 1000000;
    EnterTrade();
    Profile().money = INT_MAX;
    Supplier* supplier = OpenSupplier();
    // 4295 x 1,000,000 wraps a 32-bit product to a small positive number.
    for (int quantity : {4295, 999999}) {
        supplier->AddToOrder(1, quantity);
        EXPECT_EQ(Profile().money, INT_MAX) << quantity;
        EXPECT_TRUE(supplier->mMessageShown);
        Click(supplier->mMessageOk);
    }
    // +10 and +50 stop at 999,999.
    supplier->mSlots[0].field->SetText("999995", true);
    Click(supplier->mSlots[0].add10);
    EXPECT_EQ(supplier->mSlots[0].field->mString, "999999");
    // Counts stop at the int maximum.
    Profile().materials[1] = INT_MAX - 1;
    supplier->AddToOrder(0, 5);
    EXPECT_EQ(Profile().materials[1], INT_MAX);
}

TEST_F(SupplierTest, FieldsTakeDigitsAndTheButtonsAddPastTheLimit)
{
    StartTrade();
    EnterTrade();
    Supplier* supplier = OpenSupplier();
    EditWidget* field = supplier->mSlots[0].field;
    Type(field, "1a2-34");
    EXPECT_EQ(field->mString, "1234");
    Type(field, "5");
    EXPECT_EQ(field->mString, "1234");  // a fifth digit is refused
    field->SetText("9999", true);
    Click(supplier->mSlots[0].add50);
    EXPECT_EQ(field->mString, "10049");
    field->SetText("", true);
    Click(supplier->mSlots[0].add10);
    EXPECT_EQ(field->mString, "10");
    EXPECT_TRUE(field->mHasFocus);
    // Tab walks the filled slots and wraps.
    supplier->mFocusSlot = 0;
    Key(field, 9);
    EXPECT_EQ(supplier->mFocusSlot, 1);
    EXPECT_TRUE(supplier->mSlots[1].field->mHasFocus);
    Key(supplier->mSlots[1].field, 9);
    EXPECT_EQ(supplier->mFocusSlot, 0);
    supplier->FocusLost();
    EXPECT_FALSE(supplier->mSlots[0].field->mHasFocus);
}

TEST_F(SupplierTest, TheTutorialsFiveDropsTheFocusAndAllowsNothingAfterIt)
{
    StartTrade();
    EnterTrade();
    mPhase->ShowPanel(PANEL_TUTOR, 0);
    Supplier* supplier = OpenSupplier();
    CheckTutorDigit(supplier, {40, 43, 64, 65, 39}, '5');
}

TEST_F(SupplierTest, SevenMaterialsFillSevenSlotsAndScrollByRows)
{
    StartTrade();
    app->countryMapTable[1].sourceIds.push_back(99);  // no record: not offered
    EnterTrade();
    plat::SetDebugOutputSink(&CaptureLog);
    gLog.clear();
    Supplier* supplier = OpenSupplier(1);
    EXPECT_EQ(gLog.size(), 1u);
    EXPECT_EQ(supplier->mMaterials.size(), 7u);
    EXPECT_EQ(supplier->mItemBar->mMaxValue, 210);
    for (const auto& slot : supplier->mSlots) {
        EXPECT_EQ(slot.active, slot.index < 7) << slot.index;
        EXPECT_EQ(mPhase->HasWidget(slot.add), slot.index < 7) << slot.index;
    }
    EXPECT_EQ(supplier->mSlots[6].item, 7);
    struct Case {
        double position;
        int snapped;
    };
    for (Case c : {Case{104, 0}, Case{105, 0}, Case{106, 210}, Case{-50, 0}, Case{900, 210}, Case{210, 210}}) {
        supplier->ScrollbarReleased(1, c.position);
        EXPECT_EQ(supplier->mItemScroll, c.snapped) << c.position;
        EXPECT_EQ(supplier->mPageStart, c.snapped / 210 * 6) << c.position;
    }
    EXPECT_EQ(supplier->mSlots[0].item, 7);
    EXPECT_FALSE(supplier->mSlots[1].active);
    // Pressing the offers bar hides the prices until the offers are refreshed.
    supplier->ScrollbarPressed(1, 0);
    EXPECT_FALSE(supplier->mPricesShown);
    supplier->ScrollbarReleased(1, 0);
    EXPECT_TRUE(supplier->mPricesShown);
    // The order list never shows a row below 0.
    supplier->ScrollbarReleased(2, 400);
    EXPECT_EQ(supplier->mOrderFirstRow, 0);
}

TEST_F(SupplierTest, ExitSlidesThenPassesItsIdAndTheCountryComesBack)
{
    StartTrade();
    EnterTrade({PANEL_COUNTRY_MAP});
    mPhase->ShowPanel(PANEL_TUTOR, 0);
    Supplier* supplier = OpenSupplier();
    EXPECT_TRUE(app->musicTracks->Tracks().empty());  // the place stops the country's music
    record.trace.clear();
    Click(supplier->mExit);
    EXPECT_TRUE(supplier->mSlidingOut);
    EXPECT_EQ(supplier->mSlide, 1);
    EXPECT_EQ(Calls(), Trace{"tutor 999"});
    Tick();
    EXPECT_EQ(mPhase->mPanels[PANEL_SUPPLIER], nullptr);
    EXPECT_FALSE(mPhase->HasWidget(supplier->mSlots[0].add));
    Tick();  // freed: the country's music is scheduled again
    EXPECT_FALSE(app->musicTracks->Tracks().empty());
}

// A day's purchase of 40,000 units is saved as the largest quantity the file holds and still
// counts for the top surcharge after reading it back.
TEST_F(SupplierTest, AHugePurchaseKeepsItsTierThroughASaveAndReload)
{
    StartTrade();
    EnterTrade();
    Profile().money = 1000000;
    Supplier* supplier = OpenSupplier();
    supplier->AddToOrder(0, 40000);
    ASSERT_EQ(Profile().purchaseLog.back().quantity, 40000);
    ASSERT_TRUE(app->SavePlayerProfile(app->currentProfile));
    ASSERT_TRUE(app->LoadPlayerProfile(app->currentProfile));
    EXPECT_EQ(Profile().purchaseLog.back().quantity, 32767);
    supplier->RefreshOffers();
    EXPECT_EQ(supplier->mSlots[0].unitPrice, 9);  // (int)(8 x 1.2)
}

} // namespace

namespace {

using namespace worldtest;

// The head-up display's recipe-book button has an open supplier or cellar work out its prices
// again and let go of the keyboard focus.
TEST_F(TradeTest, TheRecipeBookButtonRefreshesAndUnfocusesAnOpenPlace)
{
    StartTrade();
    Profile().stock = {{1, 1, 1, 5}};
    EnterTrade({PANEL_INFO});
    auto* info = dynamic_cast<InfoPanel*>(mPhase->mPanels[PANEL_INFO]);
    ASSERT_NE(info, nullptr);
    Supplier* supplier = OpenSupplier();
    ASSERT_EQ(supplier->mSlots[0].unitPrice, 8);
    Profile().buyFactor = Factor(199);  // (int)(8 x 1.099) = 8 ...
    app->sourceTable[1].Price = 100;    // ... and a new base price shows at the refresh: 109
    Type(supplier->mSlots[0].field, "3");
    ASSERT_TRUE(supplier->mSlots[0].field->mHasFocus);
    info->ButtonDepress(InfoPanel::ID_RECIPES);
    EXPECT_EQ(supplier->mSlots[0].unitPrice, 109);
    EXPECT_FALSE(supplier->mSlots[0].field->mHasFocus);
    mPhase->ClosePanel(PANEL_SUPPLIER);
    Tick();

    app->sourceTable[1].Price = 8;
    Cellar* cellar = OpenCellar();
    ASSERT_EQ(cellar->mSlots[0].unitPrice, 42);
    Profile().sellFactor = 2.0;
    Type(cellar->mSlots[0].field, "1");
    info->ButtonDepress(InfoPanel::ID_RECIPES);
    EXPECT_EQ(cellar->mSlots[0].unitPrice, 84);
    EXPECT_FALSE(cellar->mSlots[0].field->mHasFocus);
}

} // namespace
