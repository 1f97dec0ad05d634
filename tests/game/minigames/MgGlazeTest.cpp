// Glaze Selection played through the widget manager: the required glazes' show and the board's
// timing, a scripted player that lifts the covers of the required glazes (levels, one wrong pick,
// the perfect end and its popup), the ends by chances, open and covered bowls, the tutorial's
// events, and the odd recipes and tuning values the game must survive.
#include "tests/game/minigames/MiniGameFixture.h"
#include "tests/game/minigames/MiniGamePictures.h"

#include "game/minigames/MgGlaze.h"
#include "game/minigames/MgGlazeProd.h"
#include "game/minigames/MgGlazeSrc.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "widgets/ButtonWidget.h"

#include <climits>
#include <set>

using namespace Quor;

namespace {

class MgGlazeTest : public quortest::MiniGameTest {
protected:
    // Glazes 30, 23 and 25 for stages 1, 2 and 3 unless others are given.
    void StartGlaze(const std::map<int32_t, int32_t>& colours = {{23, 2}, {25, 3}, {30, 1}})
    {
        Start();
        quortest::GlazeTuning(app->miniGameTuning);
        app->miniGameTuning.m1Time = 60;
        app->blueprintTable[kProduct].colorSources = colours;
        GiveResultEffect();
        quortest::WriteGlazePictures();
    }
    MgGlaze* OpenGlaze()
    {
        MgUi* host = Open(MINI_GAME_GLAZE);
        return host ? dynamic_cast<MgGlaze*>(host->mGame) : nullptr;
    }
    static bool AllCovered(MgGlaze* game)
    {
        if (game->mBoxes.empty())
            return false;
        for (auto& [slot, box] : game->mBoxes)
            if (!box->mReady || box->mOpen)
                return false;
        return true;
    }
    bool Blocked(MgGlaze* game) { return game->mBlocker->mParent != nullptr; }
    // Waits for a dealt board whose covers are all down and nothing blocking.
    bool WaitForCoveredBoard(MgGlaze* game)
    {
        return TickUntil([&] { return AllCovered(game) && !Blocked(game); }, 2000);
    }
    MgGlazeSrc* BoxOf(MgGlaze* game, int glaze)
    {
        auto slot = game->mBowlSlots.find(glaze);
        return slot != game->mBowlSlots.end() ? game->mBoxes[slot->second] : nullptr;
    }
    MgGlazeSrc* Decoy(MgGlaze* game)
    {
        for (auto& [slot, box] : game->mBoxes)
            if (std::find(game->mRequired.begin(), game->mRequired.end(), box->mGlaze) == game->mRequired.end() &&
                !box->mUsed)
                return box;
        return nullptr;
    }
    // A covered decoy lifted, and its wrong pick shown to the end.
    void WrongPick(MgGlaze* game)
    {
        MgGlazeSrc* decoy = Decoy(game);
        ASSERT_NE(decoy, nullptr);
        const double countdown = Host()->mCountdown;
        Click(decoy);
        EXPECT_TRUE(decoy->mWrong);
        EXPECT_EQ(Host()->mCountdown, countdown - 5.0);
        ASSERT_TRUE(TickUntil([&] { return !Blocked(game); }, 200));
    }
};

TEST_F(MgGlazeTest, ShowsTheRequiredGlazesThenDealsABoardWhoseCoversDropInTime)
{
    StartGlaze();
    std::srand(4);
    MgGlaze* game = OpenGlaze();
    ASSERT_NE(game, nullptr);
    MgUi* host = Host();
    EXPECT_EQ(host->mCountdown, 99999.0);
    EXPECT_EQ(game->mChances, 3);
    EXPECT_EQ(game->mRequired, (std::vector<int>{30, 23, 25}));  // by stage, not by id
    EXPECT_EQ(game->mProduct, nullptr);
    EXPECT_EQ(game->mGlazePictures.size(), 36u);
    ASSERT_TRUE(TickUntil([&] { return game->mShowingRequired == 1; }, 200));
    EXPECT_FALSE(game->mStarted);

    // 1.0 s into the show: three icons at full size in a row at y 300.
    Tick(50);
    std::vector<std::pair<int, int>> icons;
    for (const auto& effect : host->mEffects->mEffects)
        if (effect->mImage == game->GlazePicture(30) || effect->mImage == game->GlazePicture(23) ||
            effect->mImage == game->GlazePicture(25)) {
            icons.emplace_back(effect->mX, effect->mY);
            EXPECT_NEAR(effect->mScale, 1.0, 1e-9);
        }
    EXPECT_EQ(icons, (std::vector<std::pair<int, int>>{{450, 300}, {550, 300}, {650, 300}}));

    int ticks = 50;
    for (; ticks < 400 && !game->mStarted; ++ticks)
        Tick();
    EXPECT_NEAR(ticks * 0.02, 3.0, 0.05);  // the first board
    EXPECT_EQ(game->mShowingRequired, 0);
    ASSERT_NE(game->mProduct, nullptr);
    EXPECT_EQ(game->mProduct->GetRect(), Rect(190, 260, 200, 200));
    EXPECT_TRUE(game->mBoxes.empty());
    for (; ticks < 600 && game->mBoxes.empty(); ++ticks)
        Tick();
    EXPECT_NEAR(ticks * 0.02, 4.5, 0.05);  // after the memory sign

    ASSERT_EQ(game->mBoxes.size(), 6u);
    std::set<int> slots;
    for (int glaze : game->mRequired) {
        ASSERT_EQ(game->mBowlSlots.count(glaze), 1u);
        slots.insert(game->mBowlSlots[glaze]);
        EXPECT_EQ(game->mBoxes[game->mBowlSlots[glaze]]->mGlaze, glaze);
    }
    EXPECT_EQ(slots.size(), 3u);
    for (auto& [slot, box] : game->mBoxes) {
        EXPECT_EQ(box->GetRect(), Rect(472 + (slot % 3) * 112, 260 + (slot / 3) * 115, 90, 94));
        if (!slots.count(slot)) {
            EXPECT_GE(box->mGlaze, 22);
            EXPECT_LE(box->mGlaze, 36);
            EXPECT_EQ(std::count(game->mRequired.begin(), game->mRequired.end(), box->mGlaze), 0);
        }
        EXPECT_FALSE(box->mReady);
    }
    MgGlazeSrc* box = game->mBoxes.begin()->second;
    const int dealt = ticks;
    for (; ticks < dealt + 200 && !box->mReady; ++ticks)
        Tick();
    EXPECT_NEAR((ticks - dealt) * 0.02, 1.5, 0.05);
    EXPECT_TRUE(box->mOpen);
    EXPECT_EQ(box->CoverLift(), 50);
    const int ready = ticks;
    for (; ticks < ready + 200 && box->mOpen; ++ticks)
        Tick();
    EXPECT_NEAR((ticks - ready) * 0.02, 1.7, 0.05);  // D at level 1
    EXPECT_EQ(box->CoverLift(), 0);
}

TEST_F(MgGlazeTest, SixProductsWithOneWrongPickArePerfectAndPayTwoHundredOnce)
{
    StartGlaze();
    std::srand(8);
    MgGlaze* game = OpenGlaze();
    ASSERT_NE(game, nullptr);
    MgUi* host = Host();
    std::vector<size_t> boards;
    for (int product = 0; product < 6; ++product) {
        SCOPED_TRACE(product);
        ASSERT_TRUE(WaitForCoveredBoard(game));
        boards.push_back(game->mBoxes.size());
        if (product == 1)
            WrongPick(game);
        for (int glaze : game->mRequired) {
            MgGlazeSrc* box = BoxOf(game, glaze);
            ASSERT_NE(box, nullptr);
            Click(box);
            EXPECT_FALSE(box->mWrong);
        }
        EXPECT_EQ(host->mScore, product + 1);
        if (product < 5) {
            ASSERT_TRUE(TickUntil([&] { return game->mBoxes.empty(); }, 200));
        }
    }
    EXPECT_EQ(boards, (std::vector<size_t>{6, 6, 9, 9, 12, 12}));
    EXPECT_EQ(host->mLevel, 3);
    EXPECT_EQ(game->mChances, 2);
    EXPECT_FALSE(game->mStarted);
    EXPECT_EQ(game->mGrade, 3);
    EXPECT_EQ(Profile().production[0].rating2, 3);
    EXPECT_EQ(host->mWinnings, 200);
    EXPECT_EQ(Seen().Count(SE_CYCLE_GET), 6);
    EXPECT_EQ(Seen().Count(SE_MG5_WRONG), 1);
    EXPECT_EQ(Seen().Count(SE_MIS_FIN), 1);

    ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
    Click(host->mEndButton);
    GetReward* popup = game->mReward.mPopup;
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->mReward, (std::vector<int>{1, 200}));
    ASSERT_TRUE(PressRewardOk(popup));
    EXPECT_EQ(Profile().money, 500);
    ASSERT_TRUE(TickUntil([&] { return phase->mPanels[PANEL_MINI_GAME] == nullptr; }, 100));
    EXPECT_EQ(Profile().money, 700);
    Tick(5);
    EXPECT_EQ(Profile().money, 700);
}

// Out of chances at a score: the grade by the passes, the glaze level only raised, no popup.
TEST_F(MgGlazeTest, OutOfChancesTheGradeFollowsThePassesAndTheRecordOnlyRises)
{
    struct Case {
        int score, ratingBefore, grade, ratingAfter;
        std::map<int32_t, int32_t> colours;
    };
    const Case cases[] = {
        {3, 0, 1, 1, {{23, 2}, {25, 3}, {30, 1}}},
        {3, 2, 1, 2, {{23, 2}, {25, 3}, {30, 1}}},
        {1, 0, 0, 0, {{23, 2}, {25, 3}, {30, 1}}},
        {4, 1, 2, 2, {{23, 2}, {25, 3}, {30, 1}}},
        {0, 0, 0, 0, {}},  // no colour source: every pick is wrong
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        StartGlaze(c.colours);
        Profile().production[0].rating2 = c.ratingBefore;
        std::srand(2);
        MgGlaze* game = OpenGlaze();
        ASSERT_NE(game, nullptr);
        ASSERT_TRUE(WaitForCoveredBoard(game));
        Host()->mScore = c.score;
        for (int pick = 0; pick < 3; ++pick)
            WrongPick(game);
        EXPECT_EQ(game->mChances, 0);
        EXPECT_FALSE(game->mStarted);
        ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
        EXPECT_EQ(game->mGrade, c.grade);
        EXPECT_EQ(Profile().production[0].rating2, c.ratingAfter);
        EXPECT_EQ(Host()->mWinnings, 0);
        // The result's first star is always lit.
        const std::vector<uint32_t> screen = quortest::DrawWholeScreen(*app->mWidgetManager);
        const uint32_t star = screen[size_t(375 + 35) * 1024 + 530 + 35];
        EXPECT_NEAR(int(star >> 16 & 0xFF), 0xC0, 2);
        EXPECT_NEAR(int(star >> 8 & 0xFF), 0x80, 2);
        EXPECT_NEAR(int(star & 0xFF), 0x40, 2);
        Click(Host()->mEndButton);
        EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
        EXPECT_EQ(Profile().money, 500);
        Tick(1);
        TearDown();
        SetUp();
    }
}

TEST_F(MgGlazeTest, AWrongOpenBowlCostsAChancePerClickOnceTheBlockerLifts)
{
    StartGlaze();
    std::srand(6);
    MgGlaze* game = OpenGlaze();
    ASSERT_NE(game, nullptr);
    ASSERT_TRUE(TickUntil([&] { return !game->mBoxes.empty() && game->mBoxes.begin()->second->mReady; }, 800));
    MgGlazeSrc* decoy = Decoy(game);
    ASSERT_TRUE(decoy && decoy->mOpen);
    Click(decoy);
    EXPECT_EQ(game->mChances, 2);
    EXPECT_FALSE(decoy->mUsed);
    EXPECT_FALSE(decoy->mWrong);
    EXPECT_TRUE(Blocked(game));
    Click(decoy);  // the blocker takes the click
    EXPECT_EQ(game->mChances, 2);
    ASSERT_TRUE(TickUntil([&] { return !Blocked(game); }, 200));
    ASSERT_TRUE(decoy->mOpen);
    Click(decoy);
    EXPECT_EQ(game->mChances, 1);
    EXPECT_EQ(Seen().Count(SE_MG5_WRONG), 2);

    // A right open bowl applies its glaze without being used; clicked again it is wrong.
    ASSERT_TRUE(TickUntil([&] { return !Blocked(game); }, 200));
    game->mChances = 3;
    for (auto& [slot, box] : game->mBoxes)
        box->mOpen = true, box->mDropTimer = 1.0;
    MgGlazeSrc* right = BoxOf(game, 30);
    Click(right);
    EXPECT_TRUE(game->mProduct->mApplied[30]);
    EXPECT_FALSE(right->mUsed);
    EXPECT_EQ(game->mChances, 3);
    Click(right);
    EXPECT_EQ(game->mChances, 2);
}

TEST_F(MgGlazeTest, TutorialWaitsForItsReadySignAndHearsOnlyCoveredBowlsAtItsSteps)
{
    StartGlaze();
    Profile().tutorialStep = TUTOR_STEP_GLAZE;
    std::srand(9);
    MgUi* host = Open(MINI_GAME_WINE);  // the tutorial's step chooses the game
    auto* game = dynamic_cast<MgGlaze*>(host->mGame);
    ASSERT_NE(game, nullptr);
    EXPECT_TRUE(host->mEffects->mEffects.empty());
    Tick(300);
    EXPECT_EQ(game->mShowingRequired, 0);
    EXPECT_FALSE(game->mStarted);
    host->ShowReadySign();  // the tutorial's action 701
    ASSERT_TRUE(TickUntil([&] { return !game->mBoxes.empty() && game->mBoxes.begin()->second->mReady; }, 800));

    struct Case {
        int step;
        bool covered;
        std::vector<int> events;
    };
    const Case cases[] = {{706, false, {}}, {706, true, {706}}, {708, true, {708}}, {705, true, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Profile().tutorialStep = c.step;
        Seen().tutorEvents.clear();
        for (auto& [slot, box] : game->mBoxes) {
            box->mUsed = false;
            box->mOpen = !c.covered;
            box->mDropTimer = c.covered ? 0.0 : 1.0;
        }
        game->mChances = 3;
        Click(BoxOf(game, 30));
        EXPECT_EQ(Seen().tutorEvents, c.events);
        game->mProduct->ClearGlazes();
    }
}

// Recipes, products and tuning values the game must take without dividing by zero, drawing
// for ever or overflowing.
TEST_F(MgGlazeTest, OddRecipesAndTuningAreTakenInStride)
{
    // More required glazes than bowls: the bowls hold distinct required glazes only.
    StartGlaze({{22, 1}, {23, 1}, {24, 1}, {25, 2}, {26, 2}, {27, 2}, {28, 3}, {29, 3}});
    std::srand(1);
    MgGlaze* game = OpenGlaze();
    ASSERT_NE(game, nullptr);
    game->DealBoxes();
    ASSERT_EQ(game->mBoxes.size(), 6u);
    std::set<int> glazes;
    for (auto& [slot, box] : game->mBoxes)
        glazes.insert(box->mGlaze);
    EXPECT_EQ(glazes.size(), 6u);
    EXPECT_EQ(game->mBowlSlots.size(), 6u);
    // ClearBoxes hands every bowl over and forgets it; a glaze without a bowl removes nothing.
    game->ClearBoxes();
    EXPECT_TRUE(game->mBoxes.empty());
    game->RemoveBox(22);
    game->RemoveBox(99);
    Tick();
    TearDown();
    SetUp();

    // Glaze ids without pictures and a product without a picture set: skipped, product 0 x 0.
    StartGlaze({{0, 1}, {40, 2}, {-3, 3}, {30, 1}});
    Profile().factories[0].productId = 99;
    Profile().production[0].productId = 99;
    app->blueprintTable[99] = app->blueprintTable[kProduct];
    app->miniGameTuning.m6Chance = INT_MAX;
    app->miniGameTuning.m5TimeDropBowl = 0.3;  // D = 0 at level 1
    game = OpenGlaze();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->mPictureSet, -1);
    EXPECT_EQ(game->mRequired, (std::vector<int>{0, 30, 40, -3}));
    ASSERT_TRUE(TickUntil([&] { return game->mShowingRequired == 1; }, 200));
    int icons = 0;
    for (const auto& effect : Host()->mEffects->mEffects)
        icons += effect->mImage == game->GlazePicture(30);
    EXPECT_EQ(icons, 1);
    ASSERT_TRUE(TickUntil([&] { return !game->mBoxes.empty() && game->mBoxes.begin()->second->mReady; }, 800));
    EXPECT_EQ(game->mProduct->GetRect(), Rect(190, 260, 0, 0));
    MgGlazeSrc* decoy = Decoy(game);
    ASSERT_NE(decoy, nullptr);
    EXPECT_EQ(decoy->CoverLift(), 0);
    decoy->mOpen = false;
    Click(decoy);
    EXPECT_TRUE(decoy->mWrong);
    EXPECT_EQ(decoy->GlazeAlpha(), 255);
    EXPECT_EQ(decoy->CoverLift(), 0);
    EXPECT_LE(game->ChanceBoxesShown(INT_MAX), 14);
    quortest::DrawWholeScreen(*app->mWidgetManager);
    // A perfect end with that many chances pays the most an int holds.
    game->StopGame();
    EXPECT_EQ(Host()->mWinnings, INT_MAX);
    EXPECT_EQ(game->GetClockAngle(), static_cast<float>(Host()->mCountdown / 60 * 6.28));
    app->miniGameTuning.m1Time = 0;
    EXPECT_EQ(game->GetClockAngle(), 0.0f);
}

// The screen against tests/data/minigames (QUOR_UPDATE_GOLDEN=1 rewrites them): the required
// glazes 1.0 s into their show, a nine-bowl board mid-drop with a wrong pick's chance boxes, and
// a two-star result.
TEST_F(MgGlazeTest, GlazeScreens)
{
    StartGlaze();
    std::srand(17);
    MgGlaze* game = OpenGlaze();
    ASSERT_NE(game, nullptr);
    app->mWidgetManager->MouseMove(0, 767);
    ASSERT_TRUE(TickUntil([&] { return game->mShowingRequired == 1; }, 200));
    Tick(50);
    EXPECT_EQ(CompareScreen("glaze_required"), "");

    Host()->mLevel = 2;
    Host()->mScore = 2;
    ASSERT_TRUE(TickUntil([&] { return !game->mBoxes.empty() && game->mBoxes.begin()->second->mReady; }, 800));
    ASSERT_EQ(game->mBoxes.size(), 9u);
    Tick(10);
    MgGlazeSrc* decoy = Decoy(game);
    ASSERT_NE(decoy, nullptr);
    Click(BoxOf(game, 30));  // open bowls: tried, not used
    Click(decoy);
    app->mWidgetManager->MouseMove(0, 767);
    Tick(15);  // the chance boxes blink at full strength, the covers half down
    EXPECT_EQ(decoy->CoverLift(), 32);
    EXPECT_EQ(CompareScreen("glaze_board"), "");

    ASSERT_TRUE(TickUntil([&] { return !Blocked(game); }, 200));
    Host()->mScore = 4;
    ASSERT_TRUE(WaitForCoveredBoard(game));
    WrongPick(game);
    WrongPick(game);
    ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
    EXPECT_EQ(game->mGrade, 2);
    app->mWidgetManager->MouseMove(0, 767);
    EXPECT_EQ(CompareScreen("glaze_result"), "");
}

} // namespace
