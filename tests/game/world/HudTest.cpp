// The head-up display driven through the widget manager with synthetic mouse input and an
// injected update count: showing and hiding, the presses with their sounds and tutorial events,
// the tooltips, the production show and the help hint with their blocker, the factory-status and
// inventory tabs, and pixel goldens of the tabs and the show.
#include "tests/game/world/WorldFixture.h"

#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/FactoryStatus.h"
#include "game/world/InfoPanel.h"
#include "game/world/Inventory.h"
#include "game/world/MessagePopup.h"
#include "game/world/Note.h"
#include "game/world/PlayerInfo.h"
#include "game/quests/MissionTarget.h"
#include "tests/support/RecordingImage.h"
#include "tests/widgets/TestFont.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>

using namespace Quor;

namespace {

using namespace worldtest;

class HudTest : public WorldTest {
protected:
    // The fixture's sounds share one file and one id: each gets an id of its own here.
    void SetUp() override
    {
        WorldTest::SetUp();
        for (int i = 0; i < 6; ++i)
            mSavedSounds[i] = *kSounds[i];
    }
    void TearDown() override
    {
        for (int i = 0; i < 6; ++i)
            *kSounds[i] = mSavedSounds[i];
        WorldTest::TearDown();
    }
    static inline int* const kSounds[6] = {&SE_UI_CLICK, &SE_UI_OVER, &SE_UI_MENUCLICK,
                                           &SE_UI_GET,   &SE_UI_SKIP, &SE_UI_MONEY};
    int mSavedSounds[6] = {};

    // Eight countries, seven materials, recipes of 2 (product 1), 5 (product 2) and 6 (product 3)
    // materials; the bar on a game screen whose other panels are stand-ins (the tutorial frame
    // among them, recording its events).
    void EnterGame()
    {
        if (!app)
            Start();
        for (int i = 0; i < 6; ++i)
            *kSounds[i] = 101 + i;
        for (int id = 1; id <= 7; ++id)
            app->sourceTable[id] = {id, "Material " + std::to_string(id), "S_" + std::to_string(id), 10 * id};
        app->blueprintTable[1] = {1, "Plate", "PD_1", 0, {{1, 2}, {7, 1}}, {}};
        app->blueprintTable[2] = {2, "Cup", "PD_2", 0, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}, {}};
        app->blueprintTable[3] = {3, "Urn", "PD_3", 0, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}}, {}};
        const char* names[] = {"England", "Germany", "Japan", "India", "France", "China", "Russia", "USA"};
        for (int c = 0; c < 8; ++c)
            app->countryMapTable[c].Name = names[c];
        app->miniGameTuning.gp_fac_jap = 30000;
        PlayerProfile& p = Profile();
        p.tutorialStep = TutorialFinished;
        p.money = 1234;
        p.stock.clear();
        p.production.clear();
        p.materials.clear();
        p.factories = {{0, {0, -1, true, false}}};
        phase = Enter(new StandInPhase(app.get(), &record, {PANEL_INFO, PANEL_NOTE, PANEL_WARNING}));
        phase->ShowPanel(PANEL_TUTOR, 0);
        hud = dynamic_cast<InfoPanel*>(phase->mPanels[PANEL_INFO]);
        ASSERT_NE(hud, nullptr);
        inventory = dynamic_cast<Inventory*>(hud->mTabPanels[InfoPanel::TAB_INVENTORY]);
        factories = dynamic_cast<FactoryStatus*>(hud->mTabPanels[InfoPanel::TAB_FACTORIES]);
    }
    // Effect 2 shows a bar picture, so that the show and the money have their effect.
    void GiveEffectTwo()
    {
        FXDef def;
        def.id = 2;
        def.img = ResourceIdByName("GM_I_LV3");
        def.frame = 1;
        def.timePerLoop = 1.0;
        def.playTime = -1;
        def.holdTime = -999.0;
        app->fxDefs.emplace().push_back(def);
    }
    bool InTree(const Widget* w) const { return w->mParent == phase; }
    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            UpdateAt(mCount += 2);
    }
    // The tutorial events since the last call.
    std::vector<int> Events()
    {
        std::vector<int> events;
        for (const std::string& line : record.trace)
            if (line.rfind("tutor ", 0) == 0)
                events.push_back(std::stoi(line.substr(6)));
        record.trace.clear();
        return events;
    }
    std::vector<int> Samples()
    {
        std::vector<int> samples;
        samples.swap(app->samples);
        return samples;
    }
    void Forget()
    {
        Events();
        Samples();
    }
    void Hover(Widget* w)
    {
        Rect r = w->GetRect();
        app->mWidgetManager->MouseMove(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2);
    }
    void MoveAway() { app->mWidgetManager->MouseMove(500, 200); }
    // A click by a mouse that already rests on the button: no hover sound with it.
    void Press(Widget* w)
    {
        Hover(w);
        Forget();
        Rect r = w->GetRect();
        app->mWidgetManager->MouseDown(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2, 1);
        app->mWidgetManager->MouseUp(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2, 1);
    }
    void ReadyEngland(int rate = 1)
    {
        Profile().factories[0] = {0, 1, true, false};
        Profile().production = {{0, 1, 1, 1, rate}};
        Profile().materials = {{1, 20}, {7, 10}};
    }
    void AddNineRows();
    std::vector<Widget*> BarButtons()
    {
        return {hud->mMenu, hud->mTabs[0], hud->mTabs[1], hud->mTabs[2], hud->mProduce,
                hud->mHelp, hud->mAward,   hud->mRecipes, hud->mCash};
    }

    StandInPhase* phase = nullptr;
    InfoPanel* hud = nullptr;
    Inventory* inventory = nullptr;
    FactoryStatus* factories = nullptr;
    int mCount = 0;
};

TEST_F(HudTest, ShowingOpensOnTheQuestTabAndHidingTakesEveryButtonAtOnce)
{
    EnterGame();
    for (Widget* w : BarButtons())
        EXPECT_FALSE(InTree(w));
    hud->SetShown(true);
    for (Widget* w : BarButtons())
        EXPECT_TRUE(InTree(w));
    EXPECT_FALSE(InTree(hud->mHintOk));
    EXPECT_FALSE(InTree(hud->mBlocker));
    EXPECT_EQ(hud->mCurrentTab, 0);
    EXPECT_TRUE(hud->mTabs[0]->mDisabled);

    Press(hud->mTabs[2]);
    EXPECT_EQ(hud->mCurrentTab, 2);
    EXPECT_FALSE(hud->mTabs[0]->mDisabled);
    EXPECT_TRUE(hud->mTabs[2]->mDisabled);
    EXPECT_TRUE(InTree(factories->mSpots[19]) && InTree(factories->mProduce[3]));

    hud->SetShown(false);
    for (Widget* w : BarButtons())
        EXPECT_FALSE(InTree(w));
    EXPECT_FALSE(InTree(factories->mSpots[19]) || InTree(factories->mProduce[3]));
    EXPECT_FALSE(hud->mTabs[2]->mDisabled);
    EXPECT_TRUE(hud->IsShown());  // the last frame is still drawn
    Tick();
    EXPECT_FALSE(hud->IsShown());

    hud->SetShown(true);
    EXPECT_EQ(hud->mCurrentTab, 0);
    EXPECT_TRUE(hud->mTabs[0]->mDisabled);
    EXPECT_FALSE(hud->mTabs[2]->mDisabled);

    // Shown again before the hide has faded: the hide is called off and no tab keeps buttons.
    Press(hud->mTabs[1]);
    hud->SetShown(false);
    hud->SetShown(true);
    Tick(3);
    EXPECT_TRUE(hud->IsShown());
    EXPECT_FALSE(InTree(inventory->mMaterialUp));
    EXPECT_FALSE(inventory->IsShown());
    EXPECT_TRUE(InTree(hud->mMenu));
}

TEST_F(HudTest, EachPressDoesItsActionThenClicksThenTellsTheTutorial)
{
    EnterGame();
    hud->SetShown(true);
    phase->ShowPanel(PANEL_SUPPLIER, 0);
    phase->ShowPanel(PANEL_CELLAR, 0);
    Forget();

    Press(hud->mTabs[1]);
    EXPECT_EQ(hud->mCurrentTab, 1);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK}));
    EXPECT_EQ(Events(), (std::vector<int>{1}));
    Press(hud->mTabs[1]);  // disabled now
    EXPECT_TRUE(Samples().empty());

    // The cash spot only clicks and passes its id; it selects no tab.
    Press(hud->mCash);
    EXPECT_EQ(hud->mCurrentTab, 1);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK}));
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_CASH}));
    for (int index : {-1, 3, 20005}) {
        hud->SelectTab(index);
        EXPECT_EQ(hud->mCurrentTab, 1) << index;
    }

    // The recipe book: the open supplier and cellar refresh and let go of the focus first.
    Press(hud->mRecipes);
    EXPECT_EQ(record.trace, (Trace{"offers 4", "focus lost 4", "slots 3", "focus lost 3", "tutor 20004"}));
    EXPECT_NE(phase->mPanels[PANEL_POTTERY], nullptr);
    GamePanel* book = phase->mPanels[PANEL_POTTERY];
    Forget();
    hud->ButtonDepress(InfoPanel::ID_RECIPES);
    EXPECT_EQ(phase->mPanels[PANEL_POTTERY], book);
    phase->ClosePanel(PANEL_POTTERY);
    Forget();

    // The menu: the question in screen slot 8, then the click and the event.
    Press(hud->mMenu);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_MENUCLICK, SE_UI_CLICK}));
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_MENU}));
    Widget* question = app->screens[SCREEN_QUIT];
    ASSERT_NE(question, nullptr);
    hud->ButtonDepress(InfoPanel::ID_MENU);
    EXPECT_EQ(app->screens[SCREEN_QUIT], question);  // a second question never replaces the first
    app->RemoveScreen(SCREEN_QUIT);
    app->ProcessSafeDeletes();
    Forget();

    Press(hud->mAward);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK}));
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_AWARD}));
    Widget* gallery = app->screens[SCREEN_AWARD];
    ASSERT_NE(gallery, nullptr);
    hud->ButtonDepress(InfoPanel::ID_AWARD);
    EXPECT_EQ(app->screens[SCREEN_AWARD], gallery);
    app->RemoveScreen(SCREEN_AWARD);
    app->ProcessSafeDeletes();
}

TEST_F(HudTest, HoversSoundAndArmTheirTooltipsAndLeavingHidesIt)
{
    EnterGame();
    hud->SetShown(true);
    auto* note = dynamic_cast<Note*>(phase->mPanels[PANEL_NOTE]);
    ASSERT_NE(note, nullptr);
    struct Case {
        ButtonWidget* button;
        const char* text;  // null: no tooltip
        int x, y;
    };
    const Case cases[] = {
        {hud->mTabs[1], "Check amount of materials and dinnerware in stock", 400, 715},
        {hud->mTabs[2], "Check the condition of all factories", 600, 715},
        {hud->mProduce, "Begin production in all factories", 15, 730},
        {hud->mHelp, "Get Help from Red Udeda", 820, 570},
        {hud->mRecipes, "Recipe Book, Find the required materials for each dinnerware", 20, 550},
        {hud->mCash, "Cash", 730, 555},
        {hud->mMenu, nullptr, 0, 0},
        {hud->mAward, nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        MoveAway();
        note->mText.clear();
        Forget();
        Hover(c.button);
        EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_OVER})) << c.button->mId;
        EXPECT_EQ(note->mArmed, c.text != nullptr) << c.button->mId;
        if (c.text != nullptr) {
            EXPECT_EQ(note->mText, c.text);
            EXPECT_EQ(note->mX, c.x);
            EXPECT_EQ(note->mY, c.y);
        }
        MoveAway();
        EXPECT_FALSE(note->mArmed) << c.button->mId;
    }
}

TEST_F(HudTest, TheProductionShowBlocksTheBarForOneHundredFiftyTicksThenTellsTheTutorial)
{
    EnterGame();
    GiveEffectTwo();
    ReadyEngland();
    hud->SetShown(true);
    Forget();

    Press(hud->mProduce);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_GET, SE_UI_SKIP, SE_UI_CLICK}));
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_PRODUCE}));
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{1, 1, 1, 1}}));
    ASSERT_EQ(phase->mEffects->mEffects.size(), 1u);
    EXPECT_EQ(phase->mEffects->mEffects[0]->mX, 440);
    EXPECT_EQ(phase->mEffects->mEffects[0]->mY, 645);
    EXPECT_EQ(phase->mWidgets.back(), hud->mBlocker);
    EXPECT_TRUE(hud->IsShowRunning());

    // Every button under the blocker is dead: the help button neither opens the hint nor clicks.
    Press(hud->mHelp);
    Press(hud->mTabs[1]);
    EXPECT_TRUE(Samples().empty());
    EXPECT_FALSE(hud->mHintShown);
    EXPECT_EQ(hud->mCurrentTab, 0);

    Tick(149);
    EXPECT_TRUE(hud->IsShowRunning());
    EXPECT_TRUE(InTree(hud->mBlocker));
    EXPECT_TRUE(Events().empty());
    Tick();
    EXPECT_FALSE(hud->IsShowRunning());  // the dim layer goes with it
    EXPECT_FALSE(InTree(hud->mBlocker));
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_HELP}));
    EXPECT_EQ(hud->mFade, 1);

    // With no factory ready: the warning, no show, no second event.
    Profile().materials.clear();
    Press(hud->mProduce);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK}));
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_PRODUCE}));
    EXPECT_NE(phase->mPanels[PANEL_WARNING], nullptr);
    EXPECT_FALSE(hud->IsShowRunning());
    phase->ClosePanel(PANEL_WARNING);
    Tick(200);
    EXPECT_TRUE(Events().empty());

    // One factory from its status column runs the same show, without click or event of its own.
    ReadyEngland();
    Press(hud->mTabs[2]);
    Forget();
    Press(factories->mProduce[0]);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_GET, SE_UI_SKIP}));
    EXPECT_TRUE(Events().empty());
    EXPECT_TRUE(hud->IsShowRunning());
    Tick(150);
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_HELP}));
}

TEST_F(HudTest, TheHintLeavesItsOkLiveOverTheBlockerAndGivesWayToTheShow)
{
    EnterGame();
    hud->SetShown(true);
    Forget();
    Press(hud->mHelp);
    EXPECT_TRUE(hud->mHintShown);
    EXPECT_EQ(phase->mWidgets.back(), hud->mHintOk);
    EXPECT_TRUE(InTree(hud->mBlocker));
    Press(hud->mTabs[2]);
    EXPECT_EQ(hud->mCurrentTab, 0);
    Forget();
    Press(hud->mHintOk);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK}));
    EXPECT_EQ(Events(), (std::vector<int>{InfoPanel::ID_HINT_OK}));
    EXPECT_FALSE(InTree(hud->mHintOk) || InTree(hud->mBlocker));
    EXPECT_TRUE(hud->mHintShown);  // fades out at the next tick
    Tick();
    EXPECT_FALSE(hud->mHintShown);

    // A show started while the hint is open closes the hint; the help button does nothing during
    // the show.
    Press(hud->mHelp);
    hud->ShowProductionResult();
    EXPECT_FALSE(hud->mHintShown);
    EXPECT_FALSE(InTree(hud->mHintOk));
    EXPECT_EQ(std::count(phase->mWidgets.begin(), phase->mWidgets.end(), hud->mBlocker), 1);
    hud->ButtonDepress(InfoPanel::ID_HELP);
    EXPECT_FALSE(hud->mHintShown);
    Tick(150);
    EXPECT_FALSE(InTree(hud->mBlocker));
    EXPECT_FALSE(hud->mHintShown);
}

TEST_F(HudTest, FactoryColumnsFollowOwnershipProductAndMaterialsWhateverTabIsShown)
{
    EnterGame();
    hud->SetShown(true);
    Profile().factories = {{0, {0, 1, true, false}}, {2, {2, -1, false, true}}, {7, {7, 3, true, false}}};
    Profile().materials = {{1, 2}, {7, 1}, {2, 5}, {3, 5}, {4, 5}, {5, 5}};
    hud->RefreshFactoryStatus();  // tab 0 is current
    struct Expect {
        int state;
        size_t materials;
    };
    const Expect expected[] = {{FACTORY_READY, 2}, {FACTORY_FOR_SALE, 0}, {FACTORY_CLOSED, 0}, {FACTORY_SHORT, 6}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(factories->mRows[k].state, expected[k].state) << k;
        EXPECT_EQ(factories->mRows[k].materials.size(), expected[k].materials) << k;
    }
    // The sixth material of the urn is what it lacks: the whole recipe is judged.
    EXPECT_EQ(factories->mRows[3].materials.at(6), 0);
    Profile().materials[6] = 1;
    Profile().materials[7] = 0;
    Profile().factories[0].productId = -1;
    Profile().factories[5] = {5, 2, true, false};
    hud->RefreshFactoryStatus();
    EXPECT_EQ(factories->mRows[0].state, FACTORY_NO_PRODUCT);
    EXPECT_EQ(factories->mRows[2].state, FACTORY_READY);  // its missing production record is no matter here
    EXPECT_EQ(factories->mRows[3].state, FACTORY_READY);

    struct Gauge {
        int count, pixels;
    };
    for (Gauge g : {Gauge{9, 0}, Gauge{10, 1}, Gauge{199, 19}, Gauge{200, 20}, Gauge{5000, 20}, Gauge{-40, 0},
                    Gauge{INT_MAX, 20}})
        EXPECT_EQ(FactoryStatus::GaugeHeight(g.count), g.pixels) << g.count;

    // Produce buttons: no click, no event; a column without product warns, for sale or closed
    // does nothing.
    Profile().factories.erase(5);
    Press(hud->mTabs[2]);
    Forget();
    const int day = Profile().day;
    for (int k : {1, 2}) {
        Press(factories->mProduce[k]);
        EXPECT_EQ(phase->mPanels[PANEL_WARNING], nullptr) << k;
    }
    Press(factories->mProduce[0]);
    auto* warning = dynamic_cast<MessagePopup*>(phase->mPanels[PANEL_WARNING]);
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->mMessage,
              "There are not enough required materials to produce this dinnerware. Please check the recipe book.");
    EXPECT_EQ(Profile().day, day);
    EXPECT_TRUE(Samples().empty());
    EXPECT_TRUE(Events().empty());
    phase->ClosePanel(PANEL_WARNING);
    app->ProcessSafeDeletes();
    Tick();
}

TEST_F(HudTest, FactoryHoversStopAtTheRecipeAndTheBoxReadsItsMaterialAfresh)
{
    EnterGame();
    hud->SetShown(true);
    Profile().factories = {{0, {0, 1, true, false}}, {7, {7, 3, true, false}}};
    Profile().materials = {{1, 2}};
    Press(hud->mTabs[2]);
    Forget();
    Hover(factories->mSpots[2]);  // England's recipe has two materials
    EXPECT_TRUE(Samples().empty());
    EXPECT_FALSE(factories->mHovering);
    Hover(factories->mSpots[1]);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_OVER}));
    EXPECT_EQ(factories->mHoveredSpot, 1);
    Hover(factories->mSpots[19]);  // the urn's fifth of six
    EXPECT_EQ(factories->mHoveredSpot, 19);
    // The urn's factory is sold off under the mouse, then England's recipe: the box draws nothing.
    Profile().factories.erase(7);
    Redraw(phase);
    Hover(factories->mSpots[1]);
    app->blueprintTable[1].materialQty = {{1, 2}};
    Redraw(phase);
    app->blueprintTable.erase(1);
    hud->RefreshFactoryStatus();
    Redraw(phase);
    EXPECT_EQ(factories->mRows[0].state, FACTORY_SHORT);
}

TEST_F(HudTest, InventoryPagesBySixFromTheFirstPageAndKeepsThePageAfterATrade)
{
    EnterGame();
    hud->SetShown(true);
    Profile().materials = {{1, 5}, {2, 0}, {3, 7}, {4, 1}, {5, 9}, {6, 3}};
    Profile().stock = {{1, 1, 1, 4}};
    Press(hud->mTabs[1]);
    for (int p = 0; p < 6; ++p) {
        EXPECT_TRUE(InTree(inventory->mMaterialSpots[p])) << p;  // a count of 0 is listed
        EXPECT_EQ(InTree(inventory->mDinnerwareSpots[p]), p == 0) << p;
    }
    Forget();
    struct Step {
        Widget* button;
        int materialFirst;
        int dinnerwareFirst;
    };
    // Six materials: down only clicks; up on the first page only clicks.
    for (Step s : {Step{inventory->mMaterialDown, 0, 0}, Step{inventory->mMaterialUp, 0, 0},
                   Step{inventory->mDinnerwareDown, 0, 0}, Step{inventory->mDinnerwareUp, 0, 0}}) {
        Press(s.button);
        EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK}));
        EXPECT_EQ(inventory->mMaterialFirst, s.materialFirst);
        EXPECT_EQ(inventory->mDinnerwareFirst, s.dinnerwareFirst);
    }
    EXPECT_TRUE(Events().empty());
    // The seventh material makes a page of one.
    Profile().materials[7] = 2;
    hud->RefreshInventory();
    Press(inventory->mMaterialDown);
    EXPECT_EQ(inventory->mMaterialFirst, 6);
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(InTree(inventory->mMaterialSpots[p]), p == 0) << p;
    // Spots play nothing and pass nothing.
    Forget();
    Press(inventory->mMaterialSpots[0]);
    EXPECT_TRUE(Samples().empty());
    EXPECT_TRUE(Events().empty());
    // The hovered material goes while the mouse is on it: the page stays, now empty, and its box
    // draws nothing.
    MoveAway();
    Hover(inventory->mMaterialSpots[0]);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_OVER}));
    Profile().materials.erase(7);
    Redraw(phase);
    hud->RefreshInventory();
    EXPECT_EQ(inventory->mMaterialFirst, 6);
    EXPECT_FALSE(InTree(inventory->mMaterialSpots[0]));
    // An empty place gives no sound, no cursor and no box.
    Forget();
    inventory->ButtonMouseEnter(Inventory::ID_DINNERWARE_SPOT + 1);
    inventory->ButtonMouseEnter(3);
    EXPECT_TRUE(Samples().empty());
    EXPECT_FALSE(inventory->mHovering);
    // Shown again: both grids on their first page.
    Press(hud->mTabs[0]);
    Press(hud->mTabs[1]);
    EXPECT_EQ(inventory->mMaterialFirst, 0);
    EXPECT_TRUE(InTree(inventory->mMaterialSpots[5]));
}

TEST_F(HudTest, RatingsOutsideOneToThreeStillHaveALevelPicture)
{
    EnterGame();
    EXPECT_EQ(Inventory::LevelImage(0), GM_I_LV0);
    EXPECT_EQ(Inventory::LevelImage(-4), GM_I_LV0);
    EXPECT_EQ(Inventory::LevelImage(1), GM_I_LV1);
    EXPECT_EQ(Inventory::LevelImage(2), GM_I_LV2);
    EXPECT_EQ(Inventory::LevelImage(3), GM_I_LV3);
    EXPECT_EQ(Inventory::LevelImage(9), GM_I_LV3);
}

TEST_F(HudTest, AMissingEffectSkipsOnlyThePicture)
{
    EnterGame();
    hud->SetShown(true);
    Forget();
    hud->ShowMoneyEffect();
    hud->ShowProductionResult();
    EXPECT_TRUE(phase->mEffects->mEffects.empty());
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_MONEY, SE_UI_GET, SE_UI_SKIP}));
    EXPECT_TRUE(hud->IsShowRunning());
    GiveEffectTwo();
    hud->ShowMoneyEffect();
    ASSERT_EQ(phase->mEffects->mEffects.size(), 1u);
    EXPECT_EQ(phase->mEffects->mEffects[0]->mX, 670);
    EXPECT_EQ(phase->mEffects->mEffects[0]->mY, 480);
}

// A font put in place of a bound one while the object lives.
struct FontSwap {
    FontSwap(Font*& slot, Font* font) : mSlot(slot), mSaved(slot) { slot = font; }
    ~FontSwap() { mSlot = mSaved; }
    Font*& mSlot;
    Font* mSaved;
};

// Quests 1-4 running with their delivery next (a header and a step row each), quest 5 running
// with every step done (its header only): nine rows. The texts are the fixture font's A and B.
void HudTest::AddNineRows()
{
    for (int id = 1; id <= 5; ++id) {
        QuestRecord& quest = app->questTable[id];
        quest.Id = id;
        quest.Des = std::string(size_t(id), 'A') + " B";
        quest.Target = {QuestEntry(5, "", "AB"), QuestEntry(1, "ABBA", "BA"), QuestEntry(5, "", "BB")};
        quest.Target[0].Prop = {10, 1, -1, 0, 0};
        quest.Target[1].Prop = {1, 0, 0, 1};
        quest.Target[2].Prop = {10, 1, 1, 0, 0};
        Profile().quests[id] = QuestState(id, id, false, {{0, true}, {1, id == 5}, {2, id == 5}});
    }
}

TEST_F(HudTest, TheQuestTabPagesByFourAndARebuildGoesBackToTheTop)
{
    EnterGame();
    AddNineRows();
    hud->SetShown(true);
    PlayerInfo* tab = hud->QuestTab();
    MissionTarget* list = tab->mQuestList;
    ASSERT_TRUE(InTree(tab->mUp) && InTree(tab->mDown) && InTree(list));
    ASSERT_EQ(list->mRowCount, 9);
    auto buttonIds = [&] {
        std::vector<int> ids;
        for (ButtonWidget* button : list->mRowButtons)
            ids.push_back(button->mId);
        return ids;
    };
    EXPECT_EQ(buttonIds(), (std::vector<int>{1, 2}));

    // Each press clicks, whether the page moves or not.
    struct Step {
        ButtonWidget* button;
        int firstRow;
        std::vector<int> headers;  // the details buttons of the page
    };
    const Step steps[] = {
        {tab->mUp, 0, {1, 2}},   {tab->mDown, 4, {3, 4}}, {tab->mDown, 8, {5}},
        {tab->mDown, 8, {5}},    {tab->mUp, 4, {3, 4}},   {tab->mDown, 8, {5}},
    };
    for (const Step& step : steps) {
        Press(step.button);
        EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK})) << step.firstRow;
        EXPECT_EQ(list->mFirstRow, step.firstRow);
        EXPECT_EQ(buttonIds(), step.headers) << step.firstRow;
    }
    EXPECT_TRUE(Events().empty());  // the paging tells the tutorial nothing

    // Another tab and back: built again on the same page. A quest change: the page stays too,
    // even while another tab is current.
    Press(hud->mTabs[1]);
    EXPECT_FALSE(InTree(tab->mUp) || InTree(tab->mDown) || InTree(list));
    Profile().quests[5].finished = true;
    hud->RebuildQuestList();
    EXPECT_EQ(list->mRowCount, 8);
    Press(hud->mTabs[0]);
    EXPECT_EQ(list->mFirstRow, 8);
    EXPECT_TRUE(list->mRowButtons.empty());
    Press(tab->mUp);
    EXPECT_EQ(list->mFirstRow, 4);

    // A handed-in step rebuilds the current tab from the top; other tabs ignore it.
    hud->Rebuild(3, 1);
    EXPECT_EQ(list->mFirstRow, 0);
    EXPECT_EQ(buttonIds(), (std::vector<int>{1, 2}));
    Press(tab->mDown);
    Press(hud->mTabs[2]);
    hud->Rebuild(3, 1);
    EXPECT_EQ(list->mFirstRow, 4);

    // The paging buttons sound and show the hand; leaving hides it.
    Press(hud->mTabs[0]);
    MoveAway();
    Forget();
    Hover(tab->mDown);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_OVER}));
    EXPECT_EQ(app->mCursorNum, 1);
    MoveAway();
    EXPECT_EQ(app->mCursorNum, 0);

    // The help hint's blocker covers the tab's buttons.
    Press(hud->mHelp);
    Press(tab->mUp);
    EXPECT_EQ(list->mFirstRow, 4);
}

TEST_F(HudTest, TheCalendarShowsWeekAndDayOnEveryTab)
{
    EnterGame();
    std::vector<std::string> texts;
    widgettest::TestFont font(&texts);
    const FontSwap swap(FONT_C_DAY, &font);
    hud->SetShown(true);
    struct Case {
        int day;
        const char* week;
        const char* weekday;
    };
    // Week right-aligned in 62 px from x 92 at baseline 690, day in 12 px from x 83 at 642; the
    // test font is 6 px a character.
    auto line = [](const std::string& text, int right, int baseline) {
        return "text '" + text + "' " + std::to_string(right - 6 * int(text.size())) + "," +
               std::to_string(baseline) + " 250,250,240,255";
    };
    for (const Case& c : {Case{0, "0", "1"}, Case{1, "0", "2"}, Case{6, "0", "7"}, Case{7, "1", "1"},
                          Case{8, "1", "2"}, Case{700, "100", "1"}}) {
        Profile().day = c.day;
        for (int tab : {0, 2}) {
            hud->SelectTab(tab);
            texts.clear();
            quortest::RecordingImage image(1024, 768);
            Graphics g(&image);
            hud->Draw(&g);
            std::vector<std::string> calendar;
            for (const std::string& text : texts)
                calendar.push_back(text.substr(0, text.find(" clip")));
            // Tab 0 draws it again at the same place.
            std::vector<std::string> expected = {line(c.week, 154, 690), line(c.weekday, 95, 642)};
            if (tab == 0)
                expected.insert(expected.end(), {line(c.week, 154, 690), line(c.weekday, 95, 642)});
            EXPECT_EQ(calendar, expected) << c.day << " tab " << tab;
        }
    }
}

TEST_F(HudTest, TheHelpHintNamesTheFirstOpenStepOrGreets)
{
    EnterGame();
    Profile().name = "Ada";
    std::vector<std::string> texts;
    widgettest::TestFont font(&texts);
    const FontSwap swap(FONT_S14, &font);
    hud->SetShown(true);
    PlayerInfo* tab = hud->QuestTab();
    const std::string greeting = "Good luck Ada. Remember to visit all buildings in each country. You may find "
                                 "someone who needs your help, or someone who can help you.";
    // The texts the hint draws, joined, and the baseline of the first line.
    auto hint = [&](int& firstBaseline) {
        texts.clear();
        quortest::RecordingImage image(1024, 768);
        Graphics g(&image);
        tab->DrawHelp(&g, 255);
        std::string joined;
        firstBaseline = -1;
        for (const std::string& text : texts) {
            const size_t open = text.find('\''), close = text.rfind('\'');
            joined += (joined.empty() ? "" : " ") + text.substr(open + 1, close - open - 1);
            if (firstBaseline < 0)
                firstBaseline = std::stoi(text.substr(text.find(',', close) + 1));
        }
        return joined;
    };
    int baseline = 0;
    EXPECT_EQ(hint(baseline), greeting);
    EXPECT_EQ(baseline, 280);
    Profile().tutorialStep = 83;
    EXPECT_EQ(hint(baseline), "");
    Profile().tutorialStep = TutorialFinished;

    // A running quest whose delivery is done and whose money target is open: that target's Des,
    // not the quest's own.
    QuestRecord& quest = app->questTable[9];
    quest.Id = 9;
    quest.Des = "BB";
    quest.Target = {QuestEntry(5, "talk", "AB"), QuestEntry(1, "deliver", "BA"), QuestEntry(3, "earn 500", "BB"),
                    QuestEntry(5, "report", "AA")};
    quest.Target[0].Prop = {10, 1, -1, 0, 0};
    quest.Target[3].Prop = {10, 1, 1, 0, 0};
    Profile().quests[9] = QuestState(9, 9, false, {{0, true}, {1, true}, {2, false}, {3, false}});
    hud->RebuildQuestList();
    EXPECT_EQ(hint(baseline), "earn 500");
    EXPECT_EQ(baseline, 290);
    Profile().tutorialStep = 83;  // a step to name wins over the silent step
    EXPECT_EQ(hint(baseline), "earn 500");

    // The record lost that target since the list was built: an empty box, no greeting.
    quest.Target.resize(2);
    EXPECT_EQ(hint(baseline), "");
    app->questTable.erase(9);
    EXPECT_EQ(hint(baseline), "");
}

} // namespace

namespace {

// Pictures of their own for the bar, the tabs and the items, so that the goldens show each place.
class HudPicturesTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        auto solid = [](int w, int h, uint32_t colour) {
            return quortest::PngBytes(w, h, [colour](int, int) { return colour; });
        };
        auto framed = [](int w, int h, uint32_t edge, uint32_t inside) {
            return quortest::PngBytes(w, h, [=](int x, int y) {
                return x < 2 || y < 2 || x >= w - 2 || y >= h - 2 ? edge : inside;
            });
        };
        mPictures["GM_BG_IP0"] = solid(1024, 170, 0xFF403020u);
        mPictures["GM_BG_IP1_1"] = framed(1024, 200, 0xFF201008u, 0xFF6A4A2Au);
        mPictures["GM_BG_IP1_2"] = framed(680, 150, 0xFF302010u, 0xFFC8B088u);
        mPictures["GM_BG_IP3_1"] = framed(680, 150, 0xFF302010u, 0xFFA8C088u);
        mPictures["GM_MONEY_BG"] = solid(150, 30, 0xFFE0D070u);
        const char* tabs[] = {"GM_BTN_IP0", "GM_BTN_IP1", "GM_BTN_IP3"};
        for (const char* tab : tabs) {
            mPictures[tab] = framed(100, 30, 0xFF000000u, 0xFF8080C0u);
            mPictures[std::string(tab) + "_O"] = framed(100, 30, 0xFFFFFFFFu, 0xFF8080C0u);
            mPictures[std::string(tab) + "_D"] = framed(100, 30, 0xFF000000u, 0xFF404060u);
        }
        mPictures["BTN_MENU"] = solid(120, 40, 0xFF2060A0u);
        mPictures["BTN_SKIP"] = solid(90, 60, 0xFF20A060u);
        mPictures["BTN_HELP"] = solid(50, 50, 0xFFA02060u);
        mPictures["BTN_AWARD"] = solid(70, 70, 0xFFD0A020u);
        mPictures["GM_BTN_IP2"] = solid(60, 50, 0xFF804020u);
        mPictures["BTN_UP"] = framed(30, 30, 0xFF000000u, 0xFF30C0C0u);
        mPictures["BTN_DOWN"] = framed(30, 30, 0xFF000000u, 0xFFC030C0u);
        mPictures["BTN_SKIPS"] = solid(30, 20, 0xFF20C020u);
        mPictures["GM_FS_FAC_NORMAL"] = framed(110, 60, 0xFF208020u, 0x00000000u);
        mPictures["GM_FS_FAC_ERROR"] = framed(110, 60, 0xFFC02020u, 0x00000000u);
        mPictures["GM_FS_FAC_DISABLE"] = solid(50, 50, 0xFF808080u);
        mPictures["GM_FS_FAC_BAR"] =
            quortest::PngBytes(6, 20, [](int, int y) { return 0xFF000000u | uint32_t(40 + 10 * y) << 8; });
        mPictures["GM_BG_ITEM_OVER"] = framed(220, 120, 0xFF503010u, 0xFFF8F0D8u);
        mPictures["GM_I_SLV"] = solid(16, 16, 0xFFC0C0C0u);
        mPictures["GM_I_CLV"] = solid(16, 16, 0xFF4060E0u);
        const uint32_t stars[] = {0xFF505050u, 0xFFE0E040u, 0xFFE0A040u, 0xFFE04040u};
        for (int i = 0; i < 4; ++i)
            mPictures["GM_I_LV" + std::to_string(i)] = solid(14, 14, stars[i]);
        for (int i = 1; i <= 7; ++i)
            mPictures["S_" + std::to_string(i)] = solid(60, 60, 0xFF000000u | uint32_t(i * 36) << 16 | uint32_t(255 - i * 30));
        for (int i = 1; i <= 3; ++i)
            mPictures["PD_" + std::to_string(i)] = framed(140, 140, 0xFF000000u, 0xFF000000u | uint32_t(i * 80) << 8);
    }
    void Check(const std::string& name)
    {
        phase->mDirty = true;
        const std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("world/" + name + ".png"), px, 1024, 768), "")
            << name;
    }
};

TEST_F(HudPicturesTest, InventoryOnItsSecondPagesWithADinnerwareBox)
{
    EnterGame();
    hud->SetShown(true);
    for (int id = 1; id <= 7; ++id)
        Profile().materials[id] = id * 3;
    Profile().materials[8] = 0;  // a material without a record: no picture, no name
    for (int i = 0; i < 8; ++i)
        Profile().stock.push_back({1 + i % 3, 1 + i % 3, 3 - i % 3, 10 + i});
    Profile().stock.back().rating1 = 0;  // outside 1-3
    Profile().stock.back().rating2 = 5;
    Profile().blueprintStats[2] = {2, 55, 2};
    Press(hud->mTabs[1]);
    Press(inventory->mMaterialDown);
    Press(inventory->mDinnerwareDown);
    Hover(inventory->mDinnerwareSpots[1]);
    ASSERT_TRUE(inventory->mHovering);
    Check("hud_inventory");
}

TEST_F(HudPicturesTest, FactoryColumnsInFourStatesWithAMaterialBox)
{
    EnterGame();
    hud->SetShown(true);
    Profile().factories = {{0, {0, 1, true, false}}, {2, {2, -1, false, true}}, {7, {7, 3, true, false}}};
    Profile().production = {{0, 1, 2, 3, 25}, {0, 3, 1, 1, 4}};
    Profile().materials = {{1, 9}, {7, 120}, {2, 200}, {3, 5000}, {4, 10}, {5, 199}};
    Profile().materialStats[5] = {5, 12, 0};
    Press(hud->mTabs[2]);
    Hover(factories->mSpots[19]);
    ASSERT_TRUE(factories->mHovering);
    Check("hud_factories");
}

TEST_F(HudPicturesTest, TheMenuButtonIsDrawnOnlyWithNoTutorialPendingThoughItStaysInTheTree)
{
    EnterGame();
    hud->SetShown(true);
    MoveAway();
    auto pixelAt = [&](int x, int y) {
        phase->mDirty = true;
        return quortest::DrawWholeScreen(*app->mWidgetManager)[size_t(y) * 1024 + size_t(x)] & 0xFFFFFFu;
    };
    // The button's blue, within a step of rounding in each channel.
    auto isMenuBlue = [](uint32_t p) {
        const int channels[3] = {int(p >> 16 & 0xFF) - 0x20, int(p >> 8 & 0xFF) - 0x60, int(p & 0xFF) - 0xA0};
        return std::all_of(std::begin(channels), std::end(channels), [](int d) { return d >= -1 && d <= 1; });
    };
    EXPECT_TRUE(isMenuBlue(pixelAt(940, 696)));
    Profile().tutorialStep = 7;
    EXPECT_FALSE(isMenuBlue(pixelAt(940, 696)));
    EXPECT_TRUE(InTree(hud->mMenu));
}

TEST_F(HudPicturesTest, TheQuestListAndTheHelpHint)
{
    auto solid = [](int w, int h, uint32_t colour) {
        return quortest::PngBytes(w, h, [colour](int, int) { return colour; });
    };
    mPictures["MP_TICK"] = solid(20, 20, 0xFF402010u);
    mPictures["NPC_1"] = quortest::PngBytes(210, 230, [](int x, int y) {
        return ((x / 30 + y / 30) % 2) ? 0xFF7090B0u : 0xFF5070A0u;
    });
    mPictures["BTN_DETAILS"] = solid(80, 22, 0xFF3060C0u);
    mPictures["BTN_DETAILS_O"] = solid(80, 22, 0xFF6090F0u);
    mPictures["GM_HINT_BG"] = quortest::PngBytes(400, 270, [](int x, int y) {
        return x < 3 || y < 3 || x >= 397 || y >= 267 ? 0xFF503010u : 0xFF806040u;
    });
    mPictures["BTN_OK4"] = solid(100, 40, 0xFF40C040u);
    EnterGame();
    ASSERT_TRUE(app->resourceManager->LoadResources("MenuPopup") && BindMenuPopupResources(app->resourceManager));
    struct Unbind {
        ~Unbind() { UnbindResourceGroup("MenuPopup"); }
    } unbind;
    AddNineRows();
    // Quest 1 waits for a talk with Ann: her picture on its step row.
    app->npcTable[1].Img = "NPC_1";
    app->questTable[1].Target[1] = QuestEntry(5, "ABBA BAB AB ABBA BA BAAB AB ABBA BB", "AB AB");
    app->questTable[1].Target[1].Prop = {10, 1, 0, 0, 0};
    Profile().day = 12;
    hud->SetShown(true);
    MoveAway();
    Check("hud_quests");

    Press(hud->mHelp);
    Tick();
    MoveAway();
    Check("hud_hint");
}

TEST_F(HudPicturesTest, TheFirstDimmedFrameOfTheShow)
{
    EnterGame();
    hud->SetShown(true);
    ReadyEngland();
    Press(hud->mProduce);
    ASSERT_TRUE(hud->IsShowRunning());
    MoveAway();
    Check("hud_show");
}

} // namespace
