// The character dialog over the place screen, through the widget manager: the speech modes and
// their buttons, idle talk, paging, accepting a quest, a middle step, the final step's fireworks
// against the draws of the same seed, hand-ins that fail, and the way out through the reward
// screen to the pending place.
#include "tests/game/quests/MissionFixture.h"

#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"

using namespace Quor;

namespace {

using missiontest::MissionTest;
using missiontest::Speech;

class CharacterDialogTest : public MissionTest {
protected:
    // Hands in the delivery step of the quest; the reward screen of that step must follow.
    void FinishMiddleStepOf(int quest)
    {
        Profile().quests[quest] = QuestState(quest, quest, false, {{0, true}, {1, true}, {2, false}, {3, false}});
        app->questTable[quest].Reward = {missiontest::Entry(1, {2, 50})};
        AddToStock(Profile(), 1, 0, 0, 10);
        OpenHouse(0, 0);
        Ticks(1);
        Click(dialog->mOkButton);
        ASSERT_NE(TicksUntil([&] { return dialog->mRewardScreen != nullptr; }, 100), -1);
        EXPECT_EQ(dialog->mRewardScreen->mSelector, 2);
        EXPECT_TRUE(Profile().quests[quest].targets[2]);
    }
};

TEST_F(CharacterDialogTest, SpeechKindsChooseModeAndButtons)
{
    StartGame();
    struct Case {
        NpcSpeech speech;
        int mode;
        std::vector<int> buttons;
    };
    const Case cases[] = {
        {Speech(0, 1, {"A", "B"}), 3, {2, 999}},
        {Speech(0, 2, {"A", "B", "A"}), 3, {2, 999}},
        {Speech(0, 1, {"A"}), 1, {1}},
        {Speech(0, 2, {"A"}), 2, {1, 999}},
        {Speech(0, 4, {"A"}), 4, {1}},
        // No button of its own: close, so that the player is never shut in.
        {Speech(0, 3, {"A"}), 1, {999}},
        {Speech(0, 1, {}), 1, {1}},
    };
    for (const Case& c : cases) {
        app->npcTable[3] = NpcRecord{3, "Bo", "NPC_3", {{0, c.speech}}};
        app->countryMapTable[0].npcSlots = {{1, 3}};
        dialog->mDialogMode = 1;
        dialog->OpenNpcDialog(0, 1, nullptr);
        EXPECT_EQ(dialog->mDialogMode, c.mode) << c.speech.Type << " " << c.speech.Des.size();
        EXPECT_EQ(ButtonsShown(), c.buttons) << c.speech.Type << " " << c.speech.Des.size();
        EXPECT_EQ(dialog->mPage, 0);
        dialog->CloseNpcDialog();
        EXPECT_EQ(ButtonsShown(), std::vector<int>{});
    }
}

TEST_F(CharacterDialogTest, IdleTalkDrawsCharacterThenSpeechAndNeverByZero)
{
    StartGame();
    app->npcTable[2] = NpcRecord{2, "Cy", "NPC_2", {{0, Speech(0, 1, {"A"})}, {4, Speech(4, 1, {"B"})}, {9, Speech(9, 1, {"C"})}}};
    app->countryMapTable[0].npcSlots = {{2, 1}, {1, 1}, {2, 2}, {2, 2}};
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        std::srand(seed);
        const int characterDraw = std::rand();
        const std::vector<int> slotTwo = {1, 2, 2};
        const int character = slotTwo[size_t(characterDraw) % 3];
        const int speechDraw = std::rand();
        std::srand(seed);
        dialog->OpenNpcDialog(0, 2, nullptr);
        ASSERT_EQ(dialog->mQuestId, -1);
        EXPECT_EQ(dialog->mCharacterId, character) << seed;
        const auto& speeches = app->npcTable[character].Speech;
        auto expected = speeches.begin();
        std::advance(expected, size_t(speechDraw) % speeches.size());
        EXPECT_EQ(dialog->mSpeech, expected->first) << seed;
        dialog->CloseNpcDialog();
    }

    // A slot nobody keeps, or a character without a word: no draw at all, close only.
    std::srand(11);
    const int first = std::rand();
    std::srand(11);
    dialog->OpenNpcDialog(0, 0, nullptr);
    EXPECT_EQ(dialog->mSpeech, -1);
    EXPECT_EQ(ButtonsShown(), std::vector<int>{999});
    EXPECT_EQ(std::rand(), first);
    dialog->CloseNpcDialog();

    app->npcTable[7] = NpcRecord{7, "Dee", "NPC_7", {}};
    app->countryMapTable[0].npcSlots = {{0, 7}};
    dialog->OpenNpcDialog(0, 0, nullptr);
    EXPECT_EQ(dialog->mCharacterId, 7);
    EXPECT_EQ(dialog->mSpeech, -1);
    EXPECT_EQ(ButtonsShown(), std::vector<int>{999});
}

TEST_F(CharacterDialogTest, PagingEndsOnTheLastLine)
{
    StartGame();
    struct Case {
        int type;
        int lastMode;
        std::vector<int> lastButtons;
    };
    // Type 1 ends with OK alone, type 2 with OK and close, others keep next and close.
    for (const Case& c : {Case{1, 1, {1}}, Case{2, 2, {1, 999}}, Case{4, 3, {2, 999}}}) {
        app->npcTable[3] = NpcRecord{3, "Bo", "NPC_3", {{0, Speech(0, c.type, {"A", "B", "AB"})}}};
        app->countryMapTable[0].npcSlots = {{1, 3}};
        OpenHouse(0, 1);
        Ticks(1);
        Click(dialog->mNextButton);
        EXPECT_EQ(dialog->mPage, 1);
        EXPECT_EQ(ButtonsShown(), (std::vector<int>{2, 999}));
        Click(dialog->mNextButton);
        EXPECT_EQ(dialog->mPage, 2);
        EXPECT_EQ(dialog->mDialogMode, c.lastMode);
        EXPECT_EQ(ButtonsShown(), c.lastButtons);
        if (c.type == 4) {
            dialog->ButtonDepress(Mission::ID_NEXT);
            EXPECT_EQ(dialog->mPage, 2);  // never past the last line
        }
        dialog->CloseNpcDialog();
        Ticks(2);
        EXPECT_EQ(phase->mPanels[PANEL_MISSION_HOUSE], nullptr);
    }
    EXPECT_EQ(Played(SE_UI_CLICK), 7);
}

TEST_F(CharacterDialogTest, AcceptChainHandsInAndGoesOnWithTheNextSpeech)
{
    StartGame();
    AddStepEffects();
    Unlock({});
    MissionHouse* house = OpenHouse(0, 0);
    EXPECT_EQ(dialog->mQuestId, kQuest);
    EXPECT_EQ(dialog->mSpeech, 1);
    EXPECT_EQ(ButtonsShown(), (std::vector<int>{1, 999}));
    Ticks(1);
    EXPECT_TRUE(house->mFadeInDone);

    Click(dialog->mOkButton);
    EXPECT_EQ(ButtonsShown(), std::vector<int>{});
    EXPECT_EQ(Played(SE_MIS_ACCEPT), 1);
    ASSERT_EQ(phase->mEffects->mEffects.size(), 1u);
    EXPECT_EQ(phase->mEffects->mEffects[0]->mX, 532);
    EXPECT_EQ(phase->mEffects->mEffects[0]->mY, 399);
    // The accept effect plays its 17 cels in 0.68 s, then the follow-up its 8 in 0.8 s.
    const int accept = TicksUntil([&] { return Played(SE_MIS_ACCEPT2) == 1; });
    EXPECT_NEAR(accept, 34, 1);
    EXPECT_FALSE(Profile().quests[kQuest].targets[0]);
    const int followUp = TicksUntil([&] { return Profile().quests[kQuest].targets[0]; });
    EXPECT_NEAR(followUp, 40, 1);
    EXPECT_TRUE(dialog->mHandedIn);
    EXPECT_EQ(dialog->mSpeech, 2);  // Prop[4] of the accepted target
    EXPECT_EQ(dialog->mDialogMode, 1);
    EXPECT_EQ(ButtonsShown(), std::vector<int>{1});
    EXPECT_EQ(house->mFadeAlpha, 254);
    house->mFadeInDone = false;
    Ticks(1);
    EXPECT_EQ(house->mFadeAlpha, 255);
    EXPECT_TRUE(house->mFadeInDone);
    EXPECT_EQ(house->mX, 0);

    // OK after the hand-in: the reward screen of selector 0, which has nothing to pay, closes
    // the dialog; the place screen leaves and the country screen opens the pending place.
    Click(dialog->mOkButton);
    ASSERT_NE(dialog->mRewardScreen, nullptr);
    EXPECT_EQ(dialog->mRewardScreen->mSelector, 0);
    Frame();
    EXPECT_EQ(dialog->mRewardScreen, nullptr);
    EXPECT_EQ(dialog->mQuestId, -1);
    Ticks(1);
    EXPECT_EQ(phase->mPanels[PANEL_MISSION_HOUSE], nullptr);
    EXPECT_TRUE(Traced("pending place"));
}

TEST_F(CharacterDialogTest, MissingAcceptEffectsBecomeOneSecondTimers)
{
    StartGame();
    app->fxDefs.reset();
    Unlock({});
    OpenHouse(0, 0);
    Ticks(1);
    Click(dialog->mOkButton);
    EXPECT_NEAR(TicksUntil([&] { return Played(SE_MIS_ACCEPT2) == 1; }), 50, 1);
    EXPECT_NEAR(TicksUntil([&] { return Profile().quests[kQuest].targets[0]; }), 50, 1);
}

TEST_F(CharacterDialogTest, MiddleStepTakesTheDeliveryAndGoesOn)
{
    StartGame();
    Unlock({0, 1});
    AddToStock(Profile(), 1, 2, 2, 12);
    OpenHouse(0, 0);
    EXPECT_EQ(dialog->mTargetIndex, 2);
    EXPECT_EQ(dialog->mSpeech, 4);  // the delivery is done: the ready speech
    EXPECT_EQ(ButtonsShown(), std::vector<int>{1});
    Ticks(1);
    Click(dialog->mOkButton);
    EXPECT_EQ(Played(SE_MIS_STEP_FIN), 1);
    ASSERT_FALSE(phase->mEffects->mEffects.empty());
    const FXObject& step = *phase->mEffects->mEffects.back();
    EXPECT_EQ(step.mImage, FX_C_MISSION_STEP_FIN);
    EXPECT_EQ(step.mX, 228);
    EXPECT_EQ(step.mY, 723);
    EXPECT_NEAR(TicksUntil([&] { return Profile().quests[kQuest].targets[2]; }), 50, 1);
    EXPECT_EQ(Profile().stock, (std::vector<StockItem>{{1, 2, 2, 2}}));
    EXPECT_EQ(dialog->mSpeech, 5);  // Prop[5]
    EXPECT_FALSE(Profile().quests[kQuest].finished);
}

TEST_F(CharacterDialogTest, FailedHandInClosesWithoutRewards)
{
    StartGame();
    Unlock({0, 1});
    AddToStock(Profile(), 1, 2, 2, 12);
    app->questTable[kQuest].Reward = {missiontest::Entry(1, {2, 500})};
    OpenHouse(0, 0);
    Ticks(1);
    Click(dialog->mOkButton);
    Profile().stock.clear();  // sold meanwhile
    Ticks(60);
    EXPECT_FALSE(Profile().quests[kQuest].targets[2]);
    EXPECT_EQ(dialog->mRewardScreen, nullptr);
    EXPECT_EQ(Profile().money, 1000);
    EXPECT_EQ(phase->mPanels[PANEL_MISSION_HOUSE], nullptr);
    EXPECT_TRUE(Traced("pending place"));
}

TEST_F(CharacterDialogTest, IdleOkOfATypeTwoSpeechOnlyCloses)
{
    StartGame();
    app->npcTable[3] = NpcRecord{3, "Bo", "NPC_3", {{0, Speech(0, 2, {"A"})}}};
    app->countryMapTable[0].npcSlots = {{1, 3}};
    OpenHouse(0, 1);
    Ticks(1);
    dialog->mTargetIndex = 0;  // left from an earlier talk
    Click(dialog->mOkButton);
    EXPECT_EQ(phase->mEffects->mEffects.size(), 0u);
    EXPECT_EQ(Played(SE_MIS_ACCEPT), 0);
    EXPECT_EQ(dialog->mCountry, -1);
    Ticks(1);
    EXPECT_EQ(phase->mPanels[PANEL_MISSION_HOUSE], nullptr);
}

TEST_F(CharacterDialogTest, FinalStepLaunchesElevenFireworksThenHandsIn)
{
    StartGame();
    Unlock({0, 1, 2});
    OpenHouse(0, 0);
    EXPECT_EQ(dialog->mTargetIndex, 3);
    Ticks(1);

    // What the same seed gives: each firework draws y, then x; the waits between the third and
    // the eleventh draw after it.
    const unsigned seed = 99;
    std::srand(seed);
    std::vector<std::pair<int, int>> where;
    std::vector<double> waits = {0.32};
    for (int i = 0; i < Mission::kFireworks; ++i) {
        const int y = 50 + std::rand() % 668;
        const int x = 50 + std::rand() % 924;
        where.emplace_back(x, y);
        if (i >= 1 && i < Mission::kFireworks - 1)
            waits.push_back((10 + std::rand() % 20) / 100.0);
    }
    waits.push_back(0.2);

    std::srand(seed);
    Click(dialog->mOkButton);
    EXPECT_EQ(Played(SE_MIS_FIN), 1);
    std::vector<std::pair<int, int>> launched;
    std::vector<int> ticks;
    std::set<ParticleSystem*> before;
    int tick = 0;
    auto collect = [&] {
        std::set<ParticleSystem*> now;
        for (auto& [id, system] : phase->mParticles->mSystems) {
            now.insert(system);
            if (!before.count(system)) {
                launched.emplace_back(int(system->mCurX), int(system->mCurY));
                ticks.push_back(tick);
            }
        }
        before = now;
    };
    collect();
    while (tick < 400 && !Profile().quests[kQuest].targets[3]) {
        ++tick;
        Ticks(1);
        collect();
    }
    EXPECT_EQ(launched, where);
    EXPECT_EQ(Played(SE_FIREWORK), Mission::kFireworks);
    ASSERT_EQ(ticks.size(), size_t(Mission::kFireworks));
    ticks.push_back(tick);  // the hand-in
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_NEAR(ticks[i] - ticks[i - 1], waits[i - 1] / 0.02, 1.0) << i;
    EXPECT_TRUE(Profile().quests[kQuest].finished);
    EXPECT_EQ(dialog->mSpeech, 7);  // Prop[5] of the last step
}

// Inside the tutorial, or for quest 4, the dialog does not go on: the reward screen follows.
TEST_F(CharacterDialogTest, InsideTheTutorialTheRewardScreenFollows)
{
    StartGame(40);
    phase->ShowPanel(PANEL_TUTOR, 40);
    FinishMiddleStepOf(kQuest);
    EXPECT_TRUE(Traced("tutor 1"));  // the tutorial hears of every press
}

TEST_F(CharacterDialogTest, QuestFourGoesToTheRewardScreen)
{
    StartGame();
    app->questTable[4] = app->questTable[kQuest];
    app->questTable[4].Id = 4;
    app->questTable.erase(kQuest);
    FinishMiddleStepOf(4);
}

} // namespace
