// The mini-games' reward popup: its captions and pictures by reward type, and its life through
// the widget manager (still until a reward is added, the fade over 26 updates, OK, the event
// queue).
#include "tests/game/world/WorldFixture.h"

#include "game/shell/ResourceBinding.h"
#include "game/world/GetReward.h"
#include "game/world/RewardView.h"
#include "graphics/Image.h"

#include <algorithm>

using namespace Quor;

namespace {

using namespace worldtest;

TEST(RewardView, CaptionsPicturesAndRowsFollowTheRewardType)
{
    GameTables tables;
    tables.blueprintTable[3].Name = "Teapot";
    tables.sourceTable[4].Name = "Kaolin";
    tables.countryMapTable[2].Name = "Japan";
    tables.awardTable[5].Name = "Gold";
    struct Case {
        std::vector<int> reward;
        const char* caption;
        const char* picture;
        int row;
    };
    const Case cases[] = {
        {{1, 250}, "Bonus Money : \nYou get $250 !", "images/product_big/money.png", 152},
        {{2, 3, 1, 2, 7}, "Bonus Dinnerware : \nYou get 7 Teapot !", "images/product_big/bp_3.png", 142},
        {{3, 4, 12}, "Bonus Material : \nYou get 12 Kaolin !", "images/source_big/s_4.png", 160},
        {{4, 3}, "Bonus Pottery : \nYou get Teapot !", "images/product_big/bp_3.png", 142},
        {{5, 2}, "Release Country : \nJapan !", "images/game_main/btn_c2.png", 240},
        {{6, 5}, "Bonus Award : \nYou get Gold !", "", 0},
        {{7, 2}, "OPEN FACTORY : \nYou get Japan !", "images/game_main/btn_c2.png", 240},
        {{9, 1}, "OPEN MINI GAME : REFINE SHAPING", "images/game_main/btn_mg1.png", 258},
        {{9, 2}, "OPEN MINI GAME : GLAZE SELECTION", "images/game_main/btn_mg2.png", 258},
        {{9, 3}, "", "", 0},
        // An id the tables do not hold gives an empty name; a list too short or an unknown
        // type gives nothing.
        {{4, 99}, "Bonus Pottery : \nYou get  !", "images/product_big/bp_99.png", 142},
        {{2, 3, 1}, "", "", 0},
        {{8, 1}, "", "", 0},
        {{}, "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(RewardCaption(tables, c.reward, kRewardPopupLook), c.caption);
        EXPECT_EQ(RewardPicturePath(c.reward, kRewardPopupLook), c.picture);
        EXPECT_EQ(RewardPictureRow(c.reward, kRewardPopupLook), c.row);
    }
}

class GetRewardTest : public WorldTest {
protected:
    GetReward* Open(GamePhase* phase)
    {
        auto* popup = new GetReward(phase);
        popup->Resize(0, 0, phase->mWidth, phase->mHeight);
        phase->AddWidget(popup);
        return popup;
    }
    void Close(GamePhase* phase, GetReward* popup)
    {
        phase->RemoveWidget(popup);
        delete popup;
        app->ProcessSafeDeletes();
    }
    int Played(int id) const { return int(std::count(app->samples.begin(), app->samples.end(), id)); }
};

TEST_F(GetRewardTest, StaysStillUntilARewardThenFadesInShowsOkAndQueuesDoneAfterFadingOut)
{
    Start();
    LoadSounds();
    std::filesystem::create_directories("images/product_big");
    quortest::WriteFile("images/product_big/money.png", quortest::PngBytes(12, 6, [](int, int) { return 0xFF20A040u; }));
    StandInPhase* phase = EnterWithStandIns(false);
    phase->ShowPanel(PANEL_TUTOR, 0);
    GetReward* popup = Open(phase);
    ASSERT_NE(popup->mOkButton, nullptr);
    EXPECT_EQ(popup->mOkButton->GetRect().mY, GetReward::kOkY);

    for (int i = 0; i < 30; ++i)
        popup->Tick(0.02);
    EXPECT_EQ(popup->mFadeAlpha, 0);
    EXPECT_FALSE(phase->HasWidget(popup->mOkButton));
    EXPECT_EQ(popup->PopEvent(), 0);
    EXPECT_EQ(Played(SE_TRADE_FIN), 0);

    EXPECT_TRUE(popup->AddReward({1, 250}));
    EXPECT_EQ(Played(SE_TRADE_FIN), 1);
    ASSERT_NE(popup->mPicture, nullptr);
    EXPECT_EQ(popup->mPicture->GetWidth(), 12);
    EXPECT_TRUE(popup->mGroupLoaded);
    EXPECT_NE(GR_BG, nullptr);
    for (int i = 0; i < 25; ++i)
        popup->Tick(0.02);
    EXPECT_EQ(popup->mFadeAlpha, 250);
    EXPECT_FALSE(popup->mOkButton->mVisible);
    EXPECT_FALSE(phase->HasWidget(popup->mOkButton));
    popup->Tick(0.02);
    EXPECT_EQ(popup->mFadeAlpha, 255);
    EXPECT_TRUE(popup->mOkButton->mVisible);
    EXPECT_TRUE(phase->HasWidget(popup->mOkButton));

    record.trace.clear();
    Click(popup->mOkButton);
    EXPECT_EQ(Played(SE_UI_CLICK), 1);
    EXPECT_EQ(std::count(record.trace.begin(), record.trace.end(), "tutor 999"), 1);
    EXPECT_FALSE(phase->HasWidget(popup->mOkButton));
    EXPECT_FALSE(popup->mShown);
    for (int i = 0; i < 25; ++i) {
        popup->Tick(0.02);
        EXPECT_EQ(popup->PopEvent(), 0) << i;
    }
    popup->Tick(0.02);
    EXPECT_EQ(popup->mFadeAlpha, 0);
    EXPECT_EQ(popup->PopEvent(), GetReward::EVENT_DONE);
    EXPECT_EQ(popup->PopEvent(), 0);
    popup->Tick(0.02);
    EXPECT_EQ(popup->PopEvent(), 0);
    Close(phase, popup);
    EXPECT_EQ(GR_BG, nullptr);  // the group went with the popup
}

TEST_F(GetRewardTest, AFailedRewardGroupEndsTheProgramAndDrawsNothing)
{
    quortest::GameArchiveOptions options;
    options.omit = {"GR_BG"};
    Start(options);
    StandInPhase* phase = EnterWithStandIns(false);
    EXPECT_EXIT(
        {
            GetReward popup(phase);
            popup.AddReward({1, 250});
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "popup: Image resource not found: GR_BG");

    app->mIsInMainLoop = true;
    GetReward* popup = Open(phase);
    popup->AddReward({1, 250});
    EXPECT_FALSE(popup->mGroupLoaded);
    EXPECT_EQ(app->exitStatus, 1);
    for (int i = 0; i < 26; ++i)
        popup->Tick(0.02);
    // Only the game screen's own black fill: the popup draws nothing.
    Redraw(phase);
    const uint32_t black = mScreen.GetBits()[0];
    EXPECT_EQ(mScreen.GetBits()[1024 * 300 + 512], black);
    Close(phase, popup);
}

} // namespace
