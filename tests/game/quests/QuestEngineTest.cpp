// The quest engine of the character dialog on small tables: unlocking, target evaluation on
// per-quest stock copies, sale targets, the offered quest, the speech and the hand-in with its
// all-or-nothing payment.
#include "tests/game/quests/QuestFixture.h"

#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "platform/Sys.h"

#include <gtest/gtest.h>

#include <string>

using namespace Quor;
using quortest::Entry;

namespace {

// Talk targets at the mission house of country 0 (place 12) and the cellar of country 1 (20).
constexpr int kHouse0 = 12;
constexpr int kCellar1 = 20;

QuestEntry Talk(int place, int handsInFrom = -1, int before = 100, int ready = 200, int after = 300)
{
    return Entry(5, {place, 77, handsInFrom, before, ready, after});
}

std::vector<std::string> gLog;
void CaptureLog(const char* text)
{
    gLog.emplace_back(text);
}

class QuestEngineTest : public quortest::QuestTest {
protected:
    void SetUp() override
    {
        QuestTest::SetUp();
        gLog.clear();
        plat::SetDebugOutputSink(&CaptureLog);
        PlayerProfile& p = Profile();
        p.quests.clear();
        p.stock.clear();
        p.materials.clear();
        p.recipes.clear();
        p.countries.clear();
        p.factories.clear();
        p.production.clear();
        p.money = 0;
        p.day = 1;
    }
    void TearDown() override
    {
        plat::SetDebugOutputSink(nullptr);
        QuestTest::TearDown();
    }
    // A running quest: a talk target 0 already done, then the given targets.
    QuestState& Running(int id, std::vector<QuestEntry> targets)
    {
        QuestRecord& quest = Quest(id);
        quest.Target = {Talk(kHouse0)};
        quest.Target.insert(quest.Target.end(), targets.begin(), targets.end());
        return Unlock(id, {0});
    }
    size_t Effects() const { return phase->mEffects->mEffects.size(); }
};

TEST_F(QuestEngineTest, QuestsUnlockByTheirConditions)
{
    Quest(1).Target = {Talk(kHouse0)};
    Quest(2).PreQuest = {Entry(1, {1})};
    Quest(2).Target = {Talk(kHouse0), Talk(kCellar1)};
    Quest(3).PreQuest = {Entry(1, {9})};
    Quest(4);  // no targets

    mission->CheckQuestUnlocks(-1);
    ASSERT_EQ(Profile().quests.size(), 2u);
    EXPECT_EQ(Profile().quests.at(1), QuestState(1, 1, false, {{0, false}}));
    EXPECT_TRUE(Profile().quests.at(4).targets.empty());

    // Finishing 1 opens only what names 1; 3 waits for the next full check even though 9 is done.
    Profile().quests[1].finished = true;
    Profile().quests[9] = QuestState(9, 9, true, {});
    mission->CheckQuestUnlocks(1);
    EXPECT_EQ(Profile().quests.at(2), QuestState(2, 2, false, {{0, false}, {1, false}}));
    EXPECT_FALSE(Profile().quests.count(3));
    mission->CheckQuestUnlocks(-1);
    EXPECT_TRUE(Profile().quests.count(3));

    // A quest without targets is never running, offered or finished.
    mission->mQuestId = 4;
    EXPECT_EQ(mission->FindOfferedQuest(kHouse0, false), 2);
    EXPECT_FALSE(mission->HandInQuest(Profile().quests.at(4), 0));
    mission->UpdateQuestTargets();
    EXPECT_FALSE(Profile().quests.at(4).finished);
}

TEST_F(QuestEngineTest, EachConditionTypeHoldsOnlyOnItsOwnData)
{
    struct Case {
        QuestEntry condition;
        bool holds;
    };
    const Case cases[] = {
        {Entry(2, {5}), true},           {Entry(2, {6}), false},           // day
        {Entry(3, {100}), true},         {Entry(3, {101}), false},         // money
        {Entry(4, {2}), true},           {Entry(4, {3}), false},           // recipe set / cleared
        {Entry(4, {9}), false},                                            // recipe absent
        {Entry(5, {1, 1, 1, 10}), true}, {Entry(5, {1, 2, 1, 5}), false},  // stock adds up
        {Entry(6, {3, 7}), true},        {Entry(6, {3, 8}), false},        // material
        {Entry(6, {4, 0}), false},                                         // material absent
        {Entry(7, {1}), true},           {Entry(7, {2}), false},  {Entry(7, {9}), false},  // country
        {Entry(99, {}), true},                                             // unknown kind
        {Entry(3, {}), false},           {Entry(5, {1, 1, 1}), false},     // short lists
    };
    PlayerProfile& p = Profile();
    p.day = 5;
    p.money = 100;
    p.recipes = {{2, true}, {3, false}};
    p.stock = {{1, 1, 1, 6}, {1, 2, 2, 4}};
    p.materials = {{3, 7}};
    p.countries = {{1, true}, {2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.condition.Type) + " with " + std::to_string(c.condition.Prop.size()) + " values");
        app->questTable.clear();
        p.quests.clear();
        Quest(1).PreQuest = {Entry(99, {}), c.condition};
        mission->CheckQuestUnlocks(-1);
        EXPECT_EQ(p.quests.count(1), c.holds ? 1u : 0u);
    }
    EXPECT_EQ(gLog.size(), 2u);  // the two short lists are logged
}

TEST_F(QuestEngineTest, DeliveryTargetsShareOneStockCopyPerQuest)
{
    Profile().stock = {{1, 1, 1, 6}, {1, 2, 2, 4}};
    Running(1, {Entry(1, {1, 1, 1, 10})});                          // 6 + 4 qualifying pieces
    Running(2, {Entry(1, {1, 1, 1, 10}), Entry(1, {1, 1, 1, 10})}); // the same ten twice
    Running(3, {Entry(1, {1, 2, 1, 5})});                           // only 4 with rating 1 >= 2
    Quest(4).Target = {Talk(kHouse0), Entry(1, {1, 0, 0, 1})};
    Unlock(4);  // not running: never evaluated
    const auto stock = Profile().stock;

    mission->UpdateQuestTargets();
    EXPECT_TRUE(Done(1, 1));
    EXPECT_TRUE(Done(2, 1));
    EXPECT_FALSE(Done(2, 2));
    EXPECT_FALSE(Done(3, 1));
    EXPECT_FALSE(Done(4, 1));
    EXPECT_EQ(Profile().stock, stock);
}

TEST_F(QuestEngineTest, ADeliveryStopsTakingPiecesOnceItsNeedIsMet)
{
    Profile().stock = {{1, 1, 1, 10}, {1, 2, 1, 5}};
    Running(1, {Entry(1, {1, 0, 0, 5}), Entry(1, {1, 2, 0, 5})});
    mission->UpdateQuestTargets();
    EXPECT_TRUE(Done(1, 1));
    EXPECT_TRUE(Done(1, 2));  // the better pieces are left for the second target
}

TEST_F(QuestEngineTest, TargetsFlipWithThePlayersState)
{
    PlayerProfile& p = Profile();
    p.money = 100;
    p.materials = {{3, 5}};
    p.factories[2] = FactoryState{2, 4, true, false};
    p.production = {{0, 4, 2, 3, 10}};
    Running(1, {Entry(3, {100}), Entry(2, {3, 5}), Entry(4, {2, 4, 10, 2, 3}), Entry(4, {2, 4, 10, 2, 4}),
                Entry(2, {8, 0}), Entry(3, {})});

    mission->UpdateQuestTargets();
    // Met: money, material, the first production; an absent material counts 0 and meets 0.
    EXPECT_EQ(Profile().quests.at(1).targets,
              (std::map<int32_t, bool>{{0, true}, {1, true}, {2, true}, {3, true}, {4, false}, {5, true}, {6, false}}));
    EXPECT_EQ(Effects(), 4u);
    EXPECT_EQ(app->samples, std::vector<int>(4, SE_MIS_STEP_FIN));
    EXPECT_EQ(hud->listRebuilds, 4);

    // Money and material drop: both flags clear, neither plays an effect, the list is rebuilt.
    p.money = 99;
    p.materials[3] = 4;
    p.factories[2].productId = 1;
    mission->UpdateQuestTargets();
    EXPECT_FALSE(Done(1, 1));
    EXPECT_FALSE(Done(1, 2));
    EXPECT_FALSE(Done(1, 3));
    EXPECT_EQ(Effects(), 4u);
    EXPECT_EQ(app->samples.size(), 4u);
    EXPECT_EQ(hud->listRebuilds, 7);
}

TEST_F(QuestEngineTest, TheStepEffectFlashesForOneSecond)
{
    Profile().money = 10;
    Running(1, {Entry(3, {10})});
    mission->UpdateQuestTargets();
    ASSERT_EQ(Effects(), 1u);
    const FXObject& effect = *phase->mEffects->mEffects[0];
    EXPECT_EQ(effect.mX, 228);
    EXPECT_EQ(effect.mY, 723);
    EXPECT_EQ(effect.mPassesLeft, 1);
    int updates = 0;
    while (Effects() == 1 && updates < 500)
        phase->mEffects->UpdateAll(++updates, 0.01);
    EXPECT_NEAR(updates, 100, 1);
}

TEST_F(QuestEngineTest, OneSaleMustMeetASellTargetByItself)
{
    Quest(1).Target = {Talk(kHouse0), Entry(7, {4, 1, 2, 10}), Entry(7, {4, 3, 0, 1}), Entry(7, {4, 0, 3, 1}),
                       Entry(7, {5, 0, 0, 1}), Entry(7, {4, 0})};
    Unlock(1);  // need not be running
    Quest(2).Target = {Entry(7, {4, 0, 0, 1})};
    Unlock(2).finished = true;

    mission->CheckSaleTargets(4, 5);
    mission->CheckSaleTargets(4, 5);
    EXPECT_FALSE(Done(1, 1));
    mission->CheckSaleTargets(4, 10);
    EXPECT_EQ(Profile().quests.at(1).targets,
              (std::map<int32_t, bool>{{0, false}, {1, true}, {2, false}, {3, false}, {4, false}, {5, false}}));
    EXPECT_FALSE(Done(2, 0));
    EXPECT_EQ(app->samples.size(), 1u);
}

TEST_F(QuestEngineTest, TheOfferedQuestIsTheHeaviestStartingHere)
{
    // 1 and 2 weigh the same, 3 is heavier but starts elsewhere, 4 is heavier and continues here.
    Quest(1, 5).Target = {Talk(kHouse0)};
    Quest(2, 5).Target = {Talk(kHouse0)};
    Quest(3, 9).Target = {Talk(kCellar1), Talk(kHouse0)};
    Quest(4, 7).Target = {Talk(kCellar1), Talk(kHouse0)};
    Quest(5, 8).Target = {Talk(kCellar1)};
    for (int id : {1, 2, 3, 5})
        Unlock(id);
    Unlock(4, {0});
    Profile().quests.at(5).targets[0] = true;
    // The dialog stands elsewhere: the place comes from the id asked about.
    mission->mCountry = 6;
    mission->mSlot = 1;

    EXPECT_EQ(mission->FindOfferedQuest(kHouse0, true), 4);
    Profile().quests.at(4).targets[1] = true;
    EXPECT_EQ(mission->FindOfferedQuest(kHouse0, true), 1);
    EXPECT_EQ(mission->FindOfferedQuest(kCellar1, true), 3);
    for (int id : {1, 2, 3})
        Profile().quests.at(id).finished = true;
    // Only done steps left at the cellar: offered-only finds nothing, the second pass the heavier
    // of 4 and 5.
    EXPECT_EQ(mission->FindOfferedQuest(kCellar1, true), -1);
    EXPECT_EQ(mission->FindOfferedQuest(kCellar1, false), 5);
    EXPECT_EQ(mission->FindOfferedQuest(31, false), -1);
}

TEST_F(QuestEngineTest, TheSpeechFollowsTheStepsDoneBeforeIt)
{
    // Target 2 at the house hands in targets 1 (money); target 3 at the house hands in nothing.
    Quest(1).Target = {Talk(kHouse0, -1, 10, 11, 12), Entry(3, {5}), Talk(kHouse0, 1, 20, 21, 22),
                       Talk(kHouse0, -2, 30, 31, 32), Entry(5, {kHouse0, 5})};
    mission->mCountry = 0;
    mission->mSlot = 2;
    struct Case {
        std::vector<int> done;
        int index;
        int speech;
    };
    const Case cases[] = {
        {{}, 0, 10},              // accepting: Prop[2] -1 says the speech before the step
        {{0}, 2, 20},             // target 1 not yet done
        {{0, 1}, 2, 21},          // ready
        {{0, 1, 2}, 3, -1},       // Prop[2] below -1
        {{0, 1, 2, 3}, 4, -1},    // a talk target without its speeches
        {{0, 1, 2, 3, 4}, 4, 5},  // all done: the last one, its last value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        Unlock(1, c.done);
        EXPECT_EQ(mission->PickQuestSpeech(1), c.speech);
        EXPECT_EQ(mission->mTargetIndex, c.index);
    }
    EXPECT_EQ(mission->mCharacterId, 5);
    // Elsewhere the quest has no step: target 0 is talked about.
    mission->mSlot = 0;
    EXPECT_EQ(mission->PickQuestSpeech(1), 12);
    EXPECT_EQ(mission->mTargetIndex, 0);
    EXPECT_EQ(mission->mCharacterId, 77);
    EXPECT_EQ(mission->PickQuestSpeech(8), -1);
}

TEST_F(QuestEngineTest, AHandInTakesEverythingItAsksForOrNothing)
{
    PlayerProfile& p = Profile();
    Quest(1).Target = {Talk(kHouse0), Entry(1, {1, 0, 0, 8}), Entry(2, {3, 4}), Entry(3, {50}), Entry(4, {0, 1, 0, 0, 0}),
                       Talk(kHouse0, 1)};
    Quest(2).PreQuest = {Entry(1, {1})};
    Quest(2).Target = {Talk(kCellar1)};
    mission->mQuestId = 1;

    struct Case {
        std::vector<StockItem> stock;
        int material;
        int money;
        bool ok;
    };
    const Case cases[] = {
        {{{1, 0, 0, 5}, {1, 1, 0, 2}}, 4, 50, false},  // pieces short
        {{{1, 0, 0, 5}, {1, 1, 0, 3}}, 3, 50, false},  // material short
        {{{1, 0, 0, 5}, {1, 1, 0, 3}}, 4, 49, false},  // money short: nothing taken
    };
    for (const Case& c : cases) {
        p.stock = c.stock;
        p.materials = {{3, c.material}};
        p.money = c.money;
        QuestState& state = Unlock(1, {0, 1, 2, 3, 4});
        EXPECT_FALSE(mission->HandInQuest(state, 5));
        EXPECT_EQ(p.stock, c.stock);
        EXPECT_EQ(p.materials.at(3), c.material);
        EXPECT_EQ(p.money, c.money);
        EXPECT_FALSE(state.targets.at(5));
        EXPECT_FALSE(state.finished);
    }

    // Paid in full: the emptied stock line and material go, the quest finishes and opens 2.
    p.stock = {{1, 0, 0, 5}, {1, 1, 0, 4}};
    p.materials = {{3, 4}};
    p.money = 60;
    QuestState& state = Unlock(1, {0, 1, 2, 3, 4});
    mission->mHandedIn = false;
    hud->rebuilds.clear();
    EXPECT_TRUE(mission->HandInQuest(state, 5));
    EXPECT_EQ(p.stock, (std::vector<StockItem>{{1, 1, 0, 1}}));
    EXPECT_TRUE(p.materials.empty());
    EXPECT_EQ(p.money, 10);
    EXPECT_TRUE(state.targets.at(5));
    EXPECT_TRUE(state.finished);
    EXPECT_TRUE(mission->mHandedIn);
    EXPECT_TRUE(p.quests.count(2));
    EXPECT_EQ(hud->rebuilds, (std::vector<std::pair<int, int>>{{1, 5}}));
}

TEST_F(QuestEngineTest, AStepThatHandsInNothingIsSimplyDone)
{
    PlayerProfile& p = Profile();
    p.money = 3;
    Quest(1).Target = {Talk(kHouse0, 0), Entry(3, {100}), Talk(kCellar1, -1), Talk(kCellar1, 0)};
    mission->mQuestId = 1;
    QuestState& state = Unlock(1);
    EXPECT_TRUE(mission->HandInQuest(state, 0));
    EXPECT_TRUE(mission->HandInQuest(state, 2));
    EXPECT_FALSE(state.finished);
    EXPECT_TRUE(mission->HandInQuest(state, 3));
    EXPECT_TRUE(state.finished);
    EXPECT_EQ(p.money, 3);
    // Short lists and indices past the record fail, logged.
    Quest(2).Target = {Entry(5, {kHouse0})};
    mission->mQuestId = 2;
    gLog.clear();
    EXPECT_FALSE(mission->HandInQuest(Unlock(2), 0));
    EXPECT_FALSE(mission->HandInQuest(Profile().quests.at(2), 7));
    EXPECT_FALSE(Done(2, 0));
    EXPECT_EQ(gLog.size(), 2u);
}

} // namespace
