// The place screen with a character: its pictures by place and country, the slide in and out by
// the tick's time, and that it stands still without a dialog.
#include "tests/game/quests/MissionFixture.h"

using namespace Quor;

namespace {

using missiontest::MissionTest;

class PlaceScreenTest : public MissionTest {};

TEST_F(PlaceScreenTest, PicturesByPlaceAndCountry)
{
    StartGame();
    struct Case {
        int place, country;
        Image* background;
        Image* name;
    };
    const Case cases[] = {
        {0, 3, GM_BG_CELLAR, GM_NAME_CELLAR},
        {1, 3, GM_BG_SUPPLIER, GM_NAME_SUPPLIER},
        {2, 3, GM_BG_MISSION_HOUSE, GM_NAME_MISSION_HOUSE},
        {4, 0, GM_BG_FACTORY, GM_NAME_FACTORY_EN},
        {4, 1, GM_BG_FACTORY, nullptr},
        {4, 2, GM_BG_FACTORY, GM_NAME_FACTORY_JP},
        {4, 5, GM_BG_FACTORY, GM_NAME_FACTORY_CN},
        {4, 7, GM_BG_FACTORY, GM_NAME_FACTORY_US},
        {3, 0, nullptr, nullptr},
    };
    ASSERT_NE(GM_BG_CELLAR, nullptr);
    for (const Case& c : cases) {
        MissionHouse house(phase, c.country);
        house.AttachDialog(c.country, c.place, dialog);
        EXPECT_EQ(house.Background(), c.background) << c.place << " " << c.country;
        EXPECT_EQ(house.NamePicture(), c.name) << c.place << " " << c.country;
    }
}

TEST_F(PlaceScreenTest, SlideClampsAndNeedsADialog)
{
    StartGame();
    MissionHouse house(phase, 0);
    house.mFadeAlpha = 10;
    house.Tick(0.5);
    EXPECT_EQ(house.mFadeAlpha, 10);  // no dialog: nothing moves
    EXPECT_FALSE(house.mFadeInDone);

    house.AttachDialog(0, 2, dialog);
    house.Tick(0.1);  // 10 + 70
    EXPECT_EQ(house.mFadeAlpha, 80);
    EXPECT_EQ(house.mX, 80 * 1024 / 255 - 1024);
    house.Tick(0.5);
    EXPECT_EQ(house.mFadeAlpha, 255);
    EXPECT_EQ(house.mX, 0);
    EXPECT_TRUE(house.mFadeInDone);
    EXPECT_FALSE(house.mFadingIn);

    house.mFadingOut = true;
    house.mFadeAlpha = 200;
    house.Tick(0.1);
    EXPECT_EQ(house.mFadeAlpha, 130);
    EXPECT_EQ(house.mX, 1024 - 130 * 1024 / 255);
}

TEST_F(PlaceScreenTest, ClosingDialogSlidesOutInOneTickThenThePendingPlaceOpens)
{
    StartGame();
    MissionHouse* house = OpenHouse(0, 2);
    EXPECT_EQ(house->mPlace, 2);
    Ticks(1);
    EXPECT_TRUE(house->mFadeInDone);
    EXPECT_EQ(house->mX, 0);
    dialog->CloseNpcDialog();
    EXPECT_EQ(house->mFadeAlpha, 1);
    EXPECT_FALSE(house->mFadeInDone);
    Ticks(1);
    EXPECT_EQ(phase->mPanels[PANEL_MISSION_HOUSE], nullptr);
    EXPECT_TRUE(Traced("pending place"));
    Frame();
    EXPECT_TRUE(record.freed.empty());  // no stand-in went
    EXPECT_EQ(dialog->mOpener, nullptr);  // the dialog outlives the screen
}

} // namespace
