// The rescue through the widget manager: when the game-over test opens it and in which variant,
// the modal blocker, the OK button's $500, the final picture that nothing closes, and the rescue
// count across a reload of the profile.
#include "tests/game/world/TradeFixture.h"

#include "game/world/GameOver.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>
#include <climits>
#include <filesystem>

using namespace Quor;

namespace {

using namespace worldtest;

class GameOverTest : public TradeTest {
protected:
    GameOver* Rescue() { return dynamic_cast<GameOver*>(mPhase->mPanels[PANEL_GAME_OVER]); }
};

TEST_F(GameOverTest, TheTestOpensTheRescueOnlyWhenMoneyAndDinnerwareRanOut)
{
    StartTrade();
    EnterTrade();
    struct Case {
        int money;
        bool stock;
        int step;
        int rescues;
        int variant;  // 0: none
    };
    const Case cases[] = {
        {149, false, TutorialFinished, 0, 1}, {150, false, TutorialFinished, 0, 0}, {149, true, TutorialFinished, 0, 0},
        {149, false, 12, 0, 0},               {-5, false, TutorialFinished, 99, 1}, {0, false, TutorialFinished, 100, 3},
    };
    for (const Case& c : cases) {
        Profile().money = c.money;
        Profile().stock.clear();
        if (c.stock)
            Profile().stock.push_back({1, 1, 1, 1});
        Profile().materials[1] = 500;  // materials never count
        Profile().tutorialStep = c.step;
        Profile().gameOverCounter = c.rescues;
        mPhase->CheckGameOver();
        GameOver* rescue = Rescue();
        EXPECT_EQ(rescue ? rescue->mVariant : 0, c.variant) << c.money << " " << c.step << " " << c.rescues;
        mPhase->ClosePanel(PANEL_GAME_OVER);
        Tick();
    }
}

TEST_F(GameOverTest, OkPaysFiveHundredOnceAndEveryOtherClickIsTaken)
{
    StartTrade();
    EnterTrade();
    // A button of another panel lies under the rescue.
    StandIn* info = mPhase->Panel(PANEL_INFO);
    auto* below = new ButtonWidget(5, info);
    below->Resize(100, 100, 40, 40);
    info->AddControl(below);
    int pressedBelow = 0;
    info->mOnButton = [&](StandIn&) { ++pressedBelow; };

    Profile().money = 100;
    Profile().gameOverCounter = 4;
    mPhase->CheckGameOver();
    GameOver* rescue = Rescue();
    ASSERT_NE(rescue, nullptr);
    EXPECT_EQ(rescue->mMessage, GameOver::kRescueText);
    EXPECT_FALSE(mPhase->HasWidget(rescue->mBlocker));
    Tick();
    const auto& children = mPhase->mWidgets;
    auto blocker = std::find(children.begin(), children.end(), rescue->mBlocker);
    auto ok = std::find(children.begin(), children.end(), rescue->mFirst);
    ASSERT_NE(blocker, children.end());
    ASSERT_NE(ok, children.end());
    EXPECT_LT(std::distance(children.begin(), blocker), std::distance(children.begin(), ok));
    EXPECT_EQ(rescue->mBlocker->mId, 999);
    EXPECT_EQ(rescue->mFirst->mId, 10001);
    EXPECT_EQ(rescue->mBlocker->GetRect(), Rect(0, 0, 1024, 768));

    // A second game-over test while it shows makes no second rescue.
    mPhase->CheckGameOver();
    EXPECT_EQ(Rescue(), rescue);
    app->samples.clear();
    record.trace.clear();
    Click(below);
    EXPECT_EQ(pressedBelow, 0);
    EXPECT_EQ(Profile().money, 100);
    EXPECT_EQ(Samples(), std::vector<int>{SE_UI_CLICK});

    app->samples.clear();
    Click(rescue->mFirst);
    EXPECT_EQ(Profile().money, 600);
    EXPECT_EQ(Profile().gameOverCounter, 5);
    EXPECT_EQ(Samples(), (std::vector<int>{SE_UI_CLICK, SE_UI_MONEY}));
    EXPECT_EQ(Calls(), Trace{"money effect"});
    EXPECT_EQ(Rescue(), nullptr);
    Tick();
    Click(below);
    EXPECT_EQ(pressedBelow, 1);
}

TEST_F(GameOverTest, TheFinalPictureHasNoWayOut)
{
    StartTrade();
    EnterTrade();
    Profile().money = 0;
    Profile().gameOverCounter = 100;
    mPhase->CheckGameOver();
    GameOver* rescue = Rescue();
    ASSERT_NE(rescue, nullptr);
    EXPECT_EQ(rescue->mVariant, 3);
    Tick();
    // The fixture has no final picture: the blocker keeps the empty image and shows the label.
    EXPECT_EQ(rescue->mPicture, nullptr);
    EXPECT_EQ(rescue->mBlocker->mButtonImage, IMG_NONE);
    EXPECT_EQ(rescue->mBlocker->mLabel, "Don't play dazez anymore!!");
    EXPECT_TRUE(mPhase->HasWidget(rescue->mBlocker));
    EXPECT_FALSE(mPhase->HasWidget(rescue->mFirst));
    for (int i = 0; i < 3; ++i) {
        Click(rescue->mBlocker);
        Tick();
    }
    EXPECT_EQ(Rescue(), rescue);
    EXPECT_EQ(Profile().money, 0);
    Redraw(mPhase);  // draws the blocker with its label
}

TEST_F(GameOverTest, TheFinalPictureCoversTheBlocker)
{
    StartTrade();
    std::filesystem::create_directories(mFiles.Path() / "images/tutor");
    quortest::WriteFile((mFiles.Path() / "images/tutor/game_over.png").string(),
                        quortest::PngBytes(16, 12, [](int x, int) { return 0xFF000000u | uint32_t(x * 9); }));
    EnterTrade();
    Profile().money = 0;
    Profile().gameOverCounter = 150;
    mPhase->CheckGameOver();
    GameOver* rescue = Rescue();
    ASSERT_NE(rescue, nullptr);
    ASSERT_NE(rescue->mPicture, nullptr);
    EXPECT_EQ(rescue->mPicture->GetWidth(), 16);
    Tick();
    EXPECT_EQ(rescue->mBlocker->mButtonImage, rescue->mPicture);
    EXPECT_EQ(rescue->mBlocker->mOverImage, rescue->mPicture);
    EXPECT_EQ(rescue->mBlocker->mDownImage, rescue->mPicture);
}

TEST_F(GameOverTest, TheRescueCountSurvivesAReloadButIsNeverSaved)
{
    StartTrade();
    ASSERT_TRUE(app->SavePlayerProfile(app->currentProfile));
    Profile().gameOverCounter = 99;
    ASSERT_TRUE(app->LoadPlayerProfile(app->currentProfile));
    EXPECT_EQ(Profile().gameOverCounter, 99);
    // A program that starts afresh reads the file into a new record.
    quortest::ProfileApp restarted;
    restarted.CreateDefaultProfile("Player");
    ASSERT_TRUE(restarted.LoadPlayerProfile(0));
    EXPECT_EQ(restarted.GetCurrentProfile().gameOverCounter, 0);
    EXPECT_EQ(restarted.GetCurrentProfile().money, Profile().money);
}

} // namespace
