// The blueprint chooser over the factory of England: the country list, a country's blueprints
// five at a time with the snapped scrollbar, the clipped and blocked country strip, choosing,
// going back and closing, and owned recipes the game data cannot place.
#include "tests/game/world/FactoryFixture.h"

#include "widgets/ScrollbarWidget.h"

using namespace Quor;

namespace {

using namespace worldtest;

class BpSelectTest : public FactoryTest {
protected:
    void Scroll(BpSelect* chooser, double value)
    {
        chooser->ScrollPosition(BpSelect::ID_SCROLLBAR, value);
        chooser->ScrollbarReleased(BpSelect::ID_SCROLLBAR, value);
    }
};

TEST(BpSelectSnap, OffsetsSnapToWholeStepsRoundingUpPastHalf)
{
    const std::pair<double, int> cases[] = {{0, 0}, {49, 0}, {50, 0}, {51, 100}, {151, 200}, {300, 300}, {150.9, 100}};
    for (auto [value, offset] : cases)
        EXPECT_EQ(BpSelect::SnapOffset(value), offset) << value;
}

TEST_F(BpSelectTest, OneCountryOfOwnedRecipesGivesOneButtonAndItsBlueprintsFiveAtATime)
{
    StartFactories();
    struct Case {
        int owned;
        int rows;
        double maximum;
    };
    for (Case c : {Case{1, 1, -300}, Case{5, 5, 100}, Case{7, 5, 300}}) {
        SCOPED_TRACE(c.owned);
        Own(c.owned);
        StandInPhase* phase = EnterGame();
        Factory* factory = OpenFactory(phase, 0);
        BpSelect* chooser = OpenChooser(factory);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->mPanelX, BpSelect::kPanelX);
        ASSERT_EQ(chooser->mCountryButtons.size(), 1u);
        ButtonWidget* england = chooser->mCountryButtons[0];
        EXPECT_EQ(england->mId, BpSelect::ID_COUNTRY);
        EXPECT_EQ(england->GetRect().mX, 274);
        EXPECT_TRUE(phase->HasWidget(england));
        EXPECT_TRUE(chooser->mScrollbar->mVisible);
        EXPECT_EQ(chooser->mScrollbar->mMaxValue, -300);
        Click(england);
        EXPECT_EQ(chooser->mView, BpSelect::VIEW_BLUEPRINTS);
        EXPECT_FALSE(phase->HasWidget(england));
        EXPECT_EQ(chooser->mRowsShown, c.rows);
        for (int row = 0; row < BpSelect::kRows; ++row)
            EXPECT_EQ(phase->HasWidget(chooser->mRowButtons[row]), row < c.rows) << row;
        EXPECT_EQ(chooser->mScrollbar->mMaxValue, c.maximum);
        Leave();
    }
}

// A loaded machine draws fewer frames than it updates: a frame drawn while the chooser was still
// sliding in must not leave the country buttons where the panel stood then.
TEST_F(BpSelectTest, CountryButtonsTakeTheirPlaceHoweverLongAgoTheLastFrameWasDrawn)
{
    StartFactories();
    StandInPhase* phase = EnterGame();
    Factory* factory = OpenFactory(phase, 0);
    Click(factory->mChooseButton);
    BpSelect* chooser = factory->mBpSelect;
    ASSERT_NE(chooser, nullptr);
    for (int i = 0; i < 20 && chooser->mFadingIn; ++i)
        TickOnce();
    ASSERT_TRUE(chooser->mFadingIn);
    Redraw(phase);
    EXPECT_LT(chooser->mPanelX, BpSelect::kPanelX);
    for (int i = 0; i < 30 && chooser->mFadingIn; ++i)
        TickOnce();
    ASSERT_FALSE(chooser->mFadingIn);
    ASSERT_EQ(chooser->mCountryButtons.size(), 1u);
    EXPECT_EQ(chooser->mCountryButtons[0]->GetRect().mX, 274);
    Click(chooser->mCountryButtons[0]);
    EXPECT_EQ(chooser->mView, BpSelect::VIEW_BLUEPRINTS);
}

TEST_F(BpSelectTest, SevenBlueprintsScrollByWholeRowsAndTheRowsFollowTheScroll)
{
    StartFactories();
    Own(7);
    StandInPhase* phase = EnterGame();
    Factory* factory = OpenFactory(phase, 0);
    BpSelect* chooser = OpenChooser(factory);
    Click(chooser->mCountryButtons[0]);
    for (auto [value, first] : {std::pair{151.0, 2}, {300.0, 3}, {49.0, 0}, {251.0, 3}}) {
        Scroll(chooser, value);
        EXPECT_EQ(chooser->mFirst, first) << value;
        EXPECT_EQ(chooser->mScrollOffset, first * 100) << value;
        // The bar's thumb stops a page before the end.
        EXPECT_EQ(chooser->mScrollbar->mValue, std::min(first * 100, 200)) << value;
    }
    // First visible 3: rows 0-3 hold blueprints 4-7, row 4 lies past the list.
    app->mWidgetManager->MouseMove(0, 0);
    Rect last = chooser->mRowButtons[4]->GetRect();
    app->mWidgetManager->MouseMove(last.mX + 5, last.mY + 5);
    EXPECT_FALSE(chooser->mHover);
    EXPECT_EQ(chooser->mHovered, -1);
    Click(chooser->mRowButtons[4]);
    EXPECT_EQ(chooser->mView, BpSelect::VIEW_BLUEPRINTS);
    EXPECT_EQ(Profile().factories[0].productId, -1);
    Rect second = chooser->mRowButtons[1]->GetRect();
    app->mWidgetManager->MouseMove(second.mX + 5, second.mY + 5);
    EXPECT_TRUE(chooser->mHover);
    EXPECT_EQ(chooser->mHovered, 5);
    record.trace.clear();
    Click(chooser->mRowButtons[1]);
    EXPECT_EQ(Profile().factories[0].productId, 5);
    EXPECT_EQ(Calls(), (Trace{"targets", Sound(SE_UI_CLICK)}));
}

TEST_F(BpSelectTest, ChoosingAShortRecipeSetsTheProductAndTheChooserClosesAfterItsFade)
{
    StartFactories();
    Own(7);
    StandInPhase* phase = EnterGame();
    phase->ShowPanel(PANEL_TUTOR, 0);
    Factory* factory = OpenFactory(phase, 0);
    BpSelect* chooser = OpenChooser(factory);
    Click(chooser->mCountryButtons[0]);
    ButtonWidget* row = chooser->mRowButtons[1];
    ButtonWidget* close = chooser->mCloseButton;
    record.trace.clear();
    Click(row);  // blueprint 2, five glaze short
    EXPECT_EQ(Profile().factories[0].productId, 2);
    EXPECT_EQ(Calls(), (Trace{Sound(SE_UI_OVER), "tutor 1", "targets", Sound(SE_UI_CLICK)}));
    EXPECT_EQ(chooser->mView, BpSelect::VIEW_CLOSING);
    EXPECT_FALSE(phase->HasWidget(row));
    EXPECT_FALSE(phase->HasWidget(close));
    EXPECT_FALSE(chooser->mScrollbar->mVisible);
    record.trace.clear();
    for (int i = 0; i < 30 && factory->mBpSelect != nullptr; ++i)
        TickOnce();
    EXPECT_EQ(factory->mBpSelect, nullptr);
    EXPECT_EQ(Calls(), Trace{"factory status"});
    EXPECT_FALSE(phase->HasWidget(chooser->mBlocker));  // freed after this update
    TickOnce();
    EXPECT_EQ(phase->mPanels[PANEL_FACTORY], factory);
}

TEST_F(BpSelectTest, BackReturnsToTheCountriesAndCloseLeavesTheProduct)
{
    StartFactories();
    Own(7);
    Profile().factories[0].productId = 1;
    StandInPhase* phase = EnterGame();
    Factory* factory = OpenFactory(phase, 0);
    BpSelect* chooser = OpenChooser(factory);
    Click(chooser->mCountryButtons[0]);
    Scroll(chooser, 200);
    Click(chooser->mCloseButton);
    EXPECT_EQ(chooser->mView, BpSelect::VIEW_COUNTRIES);
    EXPECT_EQ(chooser->mCountry, -1);
    EXPECT_EQ(chooser->mFirst, 0);
    EXPECT_EQ(chooser->mScrollbar->mValue, 0);
    EXPECT_EQ(chooser->mScrollbar->mMaxValue, -300);
    EXPECT_TRUE(phase->HasWidget(chooser->mCountryButtons[0]));
    for (ButtonWidget* row : chooser->mRowButtons)
        EXPECT_FALSE(phase->HasWidget(row));
    // The close button lies above the country buttons and the side blockers.
    const auto& children = phase->mWidgets;
    EXPECT_EQ(children.back(), chooser->mCloseButton);
    Click(chooser->mCloseButton);
    EXPECT_TRUE(chooser->mFadingOut);
    for (int i = 0; i < 30 && factory->mBpSelect != nullptr; ++i)
        TickOnce();
    EXPECT_EQ(factory->mBpSelect, nullptr);
    EXPECT_EQ(Profile().factories[0].productId, 1);
}

TEST_F(BpSelectTest, CountriesScrolledOutOfTheStripAreBlocked)
{
    for (int country = 0; country < 8; ++country)
        mPictures["GM_BTN_C_" + std::to_string(country) + "_O"] = quortest::PngBytes(90, 90, [](int, int) {
            return 0xFF808080u;
        });
    StartFactories();
    for (int country = 1; country < 8; ++country) {
        BlueprintRecord& blueprint = app->blueprintTable[20 + country];
        blueprint.Id = 20 + country;
        blueprint.CountryId = country;
        Profile().recipes[20 + country] = true;
    }
    StandInPhase* phase = EnterGame();
    Factory* factory = OpenFactory(phase, 0);
    BpSelect* chooser = OpenChooser(factory);
    ASSERT_EQ(chooser->mCountryButtons.size(), 8u);
    EXPECT_EQ(chooser->mScrollbar->mMaxValue, 400);
    Scroll(chooser, 100);
    const int xs[] = {174, 274, 374, 474, 574, 674, 774, 874};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(chooser->mCountryButtons[size_t(i)]->GetRect(), Rect(xs[i], 119, 90, 90)) << i;
    // England now lies under the left blocker, the USA and Russia under the right one.
    for (int i : {0, 6}) {
        Click(chooser->mCountryButtons[size_t(i)]);
        EXPECT_EQ(chooser->mView, BpSelect::VIEW_COUNTRIES) << i;
    }
    Click(chooser->mCountryButtons[1]);
    EXPECT_EQ(chooser->mView, BpSelect::VIEW_BLUEPRINTS);
    EXPECT_EQ(chooser->mCountry, 1);
}

TEST_F(BpSelectTest, RecipesWithoutARecordOrWithACountryOutsideTheMapStayOut)
{
    StartFactories();
    Own(1);
    Profile().recipes[99] = true;  // no record
    app->blueprintTable[30].Id = 30;
    app->blueprintTable[30].CountryId = 9;
    Profile().recipes[30] = true;
    plat::SetDebugOutputSink(&CaptureLog);
    gLog.clear();
    StandInPhase* phase = EnterGame();
    Factory* factory = OpenFactory(phase, 0);
    gLog.clear();
    BpSelect* chooser = OpenChooser(factory);
    ASSERT_EQ(chooser->mLists.size(), 1u);
    EXPECT_EQ(chooser->mLists[0], std::vector<int>{1});
    EXPECT_EQ(std::count_if(gLog.begin(), gLog.end(),
                            [](const std::string& line) { return line.find("chooser leaves it out") != std::string::npos; }),
              2);
}

} // namespace
