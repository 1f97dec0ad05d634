// The recipe book in the game screen: the grid of eighty blueprints for a new profile, the
// series pictures, a page with its material areas, going back, closing beside the book, the
// material hover lines, and a "MenuBlueprint" that fails.
#include "tests/game/world/FactoryFixture.h"

using namespace Quor;

namespace {

using namespace worldtest;

class PotteryTest : public FactoryTest {
protected:
    Pottery* OpenBook(GamePhase* phase)
    {
        phase->ShowPanel(PANEL_POTTERY, 0);
        TickOnce();
        return dynamic_cast<Pottery*>(phase->mPanels[PANEL_POTTERY]);
    }
    ButtonWidget* BlueprintButton(Pottery* book, int id)
    {
        for (ButtonWidget* button : book->mBlueprintButtons)
            if (button->mId == id)
                return button;
        return nullptr;
    }
};

TEST(PotteryPlaces, GridPlacesRunTenToARow)
{
    const int cases[][3] = {{1, 66, 44}, {10, 876, 44}, {11, 66, 112}, {80, 876, 520}};
    for (const auto& c : cases) {
        EXPECT_EQ(Pottery::GridX(c[0]), c[1]) << c[0];
        EXPECT_EQ(Pottery::GridY(c[0]), c[2]) << c[0];
    }
}

TEST_F(PotteryTest, ANewProfileSeesBlueprintOneUsableAndSeventyNineSilhouettes)
{
    StartFactories(81);
    Profile().recipes[90] = true;  // an entry without a record
    StandInPhase* phase = EnterGame();
    Pottery* book = OpenBook(phase);
    ASSERT_NE(book, nullptr);
    ASSERT_TRUE(book->IsBuilt());
    EXPECT_EQ(book->mFadeAlpha, 255);
    ASSERT_EQ(book->mBlueprintButtons.size(), 80u);
    int enabled = 0;
    for (ButtonWidget* button : book->mBlueprintButtons) {
        EXPECT_EQ(button->GetRect(), Rect(Pottery::GridX(button->mId), Pottery::GridY(button->mId), 81, 64));
        EXPECT_EQ(button->mDisabledImage, MB_BTN_FRM_SELECT_BP_D);
        EXPECT_TRUE(phase->HasWidget(button));
        if (!button->mDisabled) {
            ++enabled;
            EXPECT_EQ(button->mId, 1);
        }
    }
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(BlueprintButton(book, 81), nullptr);
    EXPECT_EQ(BlueprintButton(book, 90), nullptr);
}

TEST_F(PotteryTest, EachBlueprintShowsThePictureOfItsSeries)
{
    int width = 10;
    for (const char* name : {"MB_A0", "MB_A1", "MB_A15"})
        mPictures[name] = quortest::PngBytes(width++, 10, [](int, int) { return 0xFF102030u; });
    StartFactories();
    StandInPhase* phase = EnterGame();
    ASSERT_NE(OpenBook(phase), nullptr);
    ASSERT_NE(MB_A0, MB_A1);
    ASSERT_NE(MB_A1, MB_A15);
    const std::pair<int, Image*> cases[] = {{1, MB_A0}, {5, MB_A0}, {6, MB_A1}, {80, MB_A15}, {81, IMG_NONE}, {0, IMG_NONE}};
    for (auto [id, picture] : cases)
        EXPECT_EQ(Pottery::SeriesPicture(id), picture) << id;
}

TEST_F(PotteryTest, APageOpensOnAnOwnedBlueprintAndAnyClickOutsideItsMaterialsGoesBack)
{
    StartFactories();
    Own(2);
    StandInPhase* phase = EnterGame();
    phase->ShowPanel(PANEL_TUTOR, 0);
    Pottery* book = OpenBook(phase);
    ButtonWidget* second = BlueprintButton(book, 2);
    record.trace.clear();
    Click(second);
    EXPECT_TRUE(book->mPageOpen);
    EXPECT_EQ(book->mPage, 2);
    EXPECT_TRUE(phase->HasWidget(book->mBackButton));
    ASSERT_EQ(book->mMaterialButtons.size(), 2u);
    EXPECT_EQ(book->mMaterialButtons[0]->GetRect(), Rect(333, 377, 70, 70));
    EXPECT_EQ(book->mMaterialButtons[1]->GetRect(), Rect(465, 377, 70, 70));
    EXPECT_EQ(Calls(), (Trace{Sound(SE_UI_OVER), Sound(SE_UI_CLICK), "tutor 2"}));

    record.trace.clear();
    Click(book->mMaterialButtons[1]);
    EXPECT_TRUE(book->mPageOpen);
    EXPECT_EQ(book->mHoveredMaterial, 1);
    EXPECT_EQ(Calls(), (Trace{Sound(SE_UI_CLICK), "tutor 50001"}));

    // On the grid's OK button, now under the back button.
    record.trace.clear();
    Click(book->mOkButton);
    EXPECT_FALSE(book->mPageOpen);
    EXPECT_EQ(book->mPage, -1);
    EXPECT_TRUE(book->mMaterialButtons.empty());
    EXPECT_FALSE(phase->HasWidget(book->mBackButton));
    EXPECT_FALSE(book->mFadingOut);
    // The mouse is over the OK button once the page has gone.
    EXPECT_EQ(Calls(), (Trace{Sound(SE_UI_CLICK), "tutor 11000", Sound(SE_UI_OVER)}));
    TickOnce();  // the material buttons are freed here

    // A silhouette does nothing but click.
    ButtonWidget* locked = BlueprintButton(book, 3);
    Click(locked);
    EXPECT_FALSE(book->mPageOpen);
}

TEST_F(PotteryTest, AClickBesideTheBookOnTheGridClosesIt)
{
    StartFactories();
    StandInPhase* phase = EnterGame();
    Pottery* book = OpenBook(phase);
    app->mWidgetManager->MouseMove(5, 700);
    app->mWidgetManager->MouseDown(5, 700, 1);
    app->mWidgetManager->MouseUp(5, 700, 1);
    EXPECT_TRUE(book->mFadingOut);
    EXPECT_EQ(book->mFadeAlpha, 1);
    TickOnce();
    EXPECT_EQ(phase->mPanels[PANEL_POTTERY], nullptr);
    EXPECT_FALSE(phase->HasWidget(book->mOkButton));
    TickOnce();  // freed with its group
    EXPECT_EQ(MB_BG, nullptr);
}

TEST_F(PotteryTest, TheMaterialHoverTellsTheLastPurchaseAndTheStorage)
{
    StartFactories();
    StandInPhase* phase = EnterGame();
    Pottery* book = OpenBook(phase);
    Profile().materials.erase(kGlaze);
    Profile().materials[kClay] = 4;
    Profile().materialStats[kClay] = ItemStatRecord{kClay, 7, 2};
    Profile().materialStats.erase(kGlaze);
    app->countryMapTable[2].Name = "Japan";
    EXPECT_EQ(book->MaterialLines(kClay), (std::vector<std::string>{"Clay", "Best Price : $7", "Bought in Japan", "Storage : 4"}));
    EXPECT_EQ(book->MaterialLines(kGlaze), (std::vector<std::string>{"Glaze", " ", " ", "Storage : 0"}));
    EXPECT_EQ(Profile().materials.count(kGlaze), 0u);  // not added by the lookup
    EXPECT_EQ(Profile().materialStats.count(kGlaze), 0u);
}

TEST_F(PotteryTest, AFailedRecipeBookGroupEndsTheProgramAndBuildsNothing)
{
    quortest::GameArchiveOptions options;
    options.omit = {"MB_A7"};
    Start(options);
    StandInPhase* phase = EnterWithStandIns(false);
    EXPECT_EXIT(
        {
            Pottery book(phase);
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "popup: Image resource not found: MB_A7");
    app->mIsInMainLoop = true;
    auto* book = new Pottery(phase);
    EXPECT_FALSE(book->IsBuilt());
    EXPECT_TRUE(book->mControls.empty());
    EXPECT_EQ(app->exitStatus, 1);
    delete book;
}

} // namespace
