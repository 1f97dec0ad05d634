// The reward screen of a quest step: which entries a selector walks, when they are paid, the
// hand-overs to the award screen and the tutorial, what each kind changes and plays, and the
// entries it skips.
#include "tests/game/quests/MissionFixture.h"

#include "game/quests/TutorFrame.h"
#include "game/shell/Award.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"

using namespace Quor;

namespace {

using missiontest::Entry;
using missiontest::MissionTest;

class QuestRewardTest : public MissionTest {
protected:
    // The reward screen of the quest's entries for a selector, opened as the dialog opens it.
    MissionReward* OpenRewards(std::vector<QuestEntry> rewards, int selector)
    {
        QuestRecord& quest = app->questTable[kQuest];
        quest.Reward = std::move(rewards);
        Unlock({0});
        dialog->mQuestId = kQuest;
        dialog->mTargetIndex = selector;
        auto* screen = new MissionReward(phase, &quest, selector);
        screen->Resize(0, 0, 1024, 768);
        dialog->mRewardScreen = screen;
        phase->AddWidget(screen);
        return screen;
    }
    // Frames until the OK button shows (or the screen is gone); false when it never does.
    bool WaitForOk()
    {
        for (int n = 0; n < 100; ++n) {
            if (dialog->mRewardScreen == nullptr)
                return false;
            if (InTree(dialog->mRewardScreen->mOkButton))
                return true;
            Frame();
        }
        return false;
    }
    // Presses OK on every reward shown; the number of rewards confirmed.
    int ConfirmAll()
    {
        int confirmed = 0;
        while (confirmed < 20 && WaitForOk()) {
            Click(dialog->mRewardScreen->mOkButton);
            ++confirmed;
        }
        return confirmed;
    }
};

TEST_F(QuestRewardTest, OnlyTheSelectorsEntriesArePaidAndOnlyOnOk)
{
    StartGame();
    MissionReward* screen = OpenRewards({Entry(1, {0, 500}), Entry(1, {1, 100})}, 1);
    Frame();
    EXPECT_EQ(screen->mIndex, 1);
    EXPECT_TRUE(screen->mShown);
    EXPECT_EQ(Played(SE_TRADE_FIN), 1);
    ASSERT_TRUE(WaitForOk());
    EXPECT_EQ(screen->mAlpha, 255);
    EXPECT_EQ(Profile().money, 1000);  // shown, not paid
    Click(screen->mOkButton);
    EXPECT_EQ(Profile().money, 1100);
    EXPECT_TRUE(Traced("money effect"));
    EXPECT_EQ(ConfirmAll(), 0);
    EXPECT_EQ(dialog->mRewardScreen, nullptr);
    EXPECT_EQ(Profile().money, 1100);
}

TEST_F(QuestRewardTest, KindsChangeTheProfileWithTheirEffectsAndSounds)
{
    struct Case {
        std::vector<int32_t> prop;
        int type;
        bool developer;
        std::function<void(PlayerProfile&)> expect;
        int effectX;  // 0: no effect
        bool getSound;
    };
    const Case cases[] = {
        {{0, 1, 2, 3, 7}, 2, false, [](PlayerProfile& p) { p.stock = {{1, 2, 3, 7}}; }, 440, true},
        {{0, 1, 6}, 3, false, [](PlayerProfile& p) { p.materials[1] += 6; }, 440, true},
        {{0, 1}, 4, false, [](PlayerProfile& p) { p.recipes[1] = true; }, -56, true},
        {{0, 1}, 4, true, [](PlayerProfile& p) { p.recipes[1] = true; p.stock = {{1, 3, 3, 500}}; }, -56, true},
        {{0, 0}, 5, false, [](PlayerProfile& p) { p.countries[0] = true; }, 0, false},
        {{0, 0}, 7, false, [](PlayerProfile& p) { p.factories[0].secondFlag = true; }, 663, true},
        {{0, 1}, 9, false, [](PlayerProfile& p) { p.miniGameOpen1 = true; }, 663, true},
        {{0, 2}, 9, false, [](PlayerProfile& p) { p.miniGameOpen2 = true; }, 663, true},
        {{0, 3}, 9, false, [](PlayerProfile&) {}, 663, true},
    };
    StartGame();
    AddStepEffects();
    Profile().stock.clear();
    Profile().factories[0] = FactoryState{0, -1, true, false};
    Profile().countries[0] = false;
    const PlayerProfile start = Profile();
    for (const Case& c : cases) {
        Profile() = start;
        Profile().DeveloperFlag = c.developer;
        app->samples.clear();
        phase->mEffects->DeleteAll();
        MissionReward* screen = OpenRewards({Entry(c.type, c.prop)}, 0);
        PlayerProfile expected = Profile();
        c.expect(expected);
        screen->ApplyReward(0);
        EXPECT_EQ(Profile(), expected) << c.type << " " << c.prop[1];
        EXPECT_EQ(Played(SE_UI_GET), c.getSound ? 1 : 0) << c.type;
        if (c.effectX == 0) {
            EXPECT_TRUE(phase->mEffects->mEffects.empty()) << c.type;
        } else {
            ASSERT_EQ(phase->mEffects->mEffects.size(), 1u) << c.type;
            EXPECT_EQ(phase->mEffects->mEffects[0]->mX, c.effectX) << c.type;
        }
        dialog->CloseNpcDialog();
        Frame();
    }
}

// A save file can hold any money and counts: a payment stops at the int maximum, never wrapping.
TEST_F(QuestRewardTest, PaymentsStopAtTheIntMaximum)
{
    StartGame();
    Profile().money = INT32_MAX - 100;
    Profile().materials[1] = INT32_MAX - 1;
    MissionReward* screen = OpenRewards({Entry(1, {0, 500}), Entry(3, {0, 1, 6})}, 0);
    screen->ApplyReward(0);
    screen->ApplyReward(1);
    EXPECT_EQ(Profile().money, INT32_MAX);
    EXPECT_EQ(Profile().materials[1], INT32_MAX);
}

TEST_F(QuestRewardTest, TutorialStepEndsTheWalkBeforeLaterMoney)
{
    StartGame();
    phase->ShowPanel(PANEL_TUTOR, 12);
    GamePanel* oldFrame = phase->mPanels[PANEL_TUTOR];
    OpenRewards({Entry(8, {0, 30}), Entry(1, {0, 500})}, 0);
    Frame();
    EXPECT_EQ(Profile().tutorialStep, 30);
    ASSERT_NE(phase->mPanels[PANEL_TUTOR], nullptr);
    EXPECT_NE(phase->mPanels[PANEL_TUTOR], oldFrame);  // the old frame was closed first
    Frame();
    EXPECT_TRUE(record.freed.count(PANEL_TUTOR));
    EXPECT_EQ(dialog->mRewardScreen, nullptr);
    EXPECT_EQ(Profile().money, 1000);
}

TEST_F(QuestRewardTest, DeveloperSkipsTheTutorialStep)
{
    StartGame();
    Profile().DeveloperFlag = true;
    OpenRewards({Entry(8, {0, 30}), Entry(1, {0, 500})}, 0);
    Frame();
    EXPECT_EQ(Profile().tutorialStep, TutorialFinished);
    EXPECT_EQ(phase->mPanels[PANEL_TUTOR], nullptr);
    EXPECT_EQ(dialog->mRewardScreen, nullptr);
    EXPECT_EQ(Profile().money, 1000);
}

TEST_F(QuestRewardTest, AwardIsAppliedBeforeItsScreenAndTheWalkGoesOnAfter)
{
    StartGame();
    app->awardTable[3] = AwardRecord{};
    app->awardTable[3].Id = 3;
    app->awardTable[3].Name = "AB";
    app->screens[SCREEN_GAME] = phase;
    MissionReward* screen = OpenRewards({Entry(6, {0, 3}), Entry(1, {0, 70})}, 0);
    Frame();
    EXPECT_TRUE(Profile().awards[3]);
    auto* award = dynamic_cast<Award*>(app->screens[SCREEN_AWARD]);
    ASSERT_NE(award, nullptr);
    EXPECT_EQ(award->mMode, Award::MODE_NEXT_REWARD);
    EXPECT_EQ(award->mSelected, 3);
    EXPECT_FALSE(screen->mShown);
    // The award screen closing moves the walk on.
    app->RemoveScreen(SCREEN_AWARD);
    app->ProcessSafeDeletes();
    phase->ShowNextQuestReward();
    EXPECT_EQ(screen->mIndex, 1);
    EXPECT_EQ(ConfirmAll(), 1);
    EXPECT_EQ(Profile().money, 1070);
}

TEST_F(QuestRewardTest, UnknownIdsAndShortEntriesAreSkipped)
{
    StartGame();
    Profile().stock.clear();
    worldtest::gLog.clear();
    plat::SetDebugOutputSink(worldtest::CaptureLog);
    OpenRewards({Entry(3, {0, 99, 4}), Entry(2, {0, 1}), Entry(7, {0, 6}), Entry(1, {0, 40})}, 0);
    EXPECT_EQ(ConfirmAll(), 1);
    EXPECT_EQ(Profile().money, 1040);
    EXPECT_EQ(Profile().materials.count(99), 0u);
    EXPECT_EQ(Profile().factories.count(6), 0u);
    EXPECT_EQ(Profile().stock.size(), 0u);
    const auto skipped = std::count_if(worldtest::gLog.begin(), worldtest::gLog.end(), [](const std::string& line) {
        return line.find("is skipped") != std::string::npos;
    });
    EXPECT_EQ(skipped, 3);
}

} // namespace
