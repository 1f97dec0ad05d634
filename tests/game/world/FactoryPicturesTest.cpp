// The factory screens drawn whole and compared with stored pictures: an owned factory whose
// product is short of a material, a factory for sale, the chooser's recipe card, a recipe page
// with a short material and its hover box, and the reward popup at full strength. Every layer
// has a picture of its own; the fixture font draws only 'A' and 'B', so the texts are made of
// them.
#include "tests/game/world/FactoryFixture.h"

#include "game/world/GetReward.h"

using namespace Quor;

namespace {

using namespace worldtest;

std::vector<uint8_t> Solid(int w, int h, uint32_t colour)
{
    return quortest::PngBytes(w, h, [colour](int, int) { return colour; });
}

std::vector<uint8_t> Framed(int w, int h, uint32_t edge, uint32_t inside)
{
    return quortest::PngBytes(w, h, [=](int x, int y) {
        return x < 4 || y < 4 || x >= w - 4 || y >= h - 4 ? edge : inside;
    });
}

// A disc on a clear square, as a product or material picture.
std::vector<uint8_t> Disc(int size, uint32_t colour)
{
    return quortest::PngBytes(size, size, [=](int x, int y) {
        const int dx = 2 * x - size + 1;
        const int dy = 2 * y - size + 1;
        return dx * dx + dy * dy < size * size ? colour : 0x00000000u;
    });
}

class FactoryPicturesTest : public FactoryTest {
protected:
    void SetUp() override
    {
        FactoryTest::SetUp();
        mPictures["GM_BG_FACTORY"] = quortest::PngBytes(1024, 768, [](int x, int y) {
            return (x / 96 + y / 96) % 2 ? 0xFF6A5038u : 0xFF7C6046u;
        });
        mPictures["GM_FACTORY_MG3"] = Solid(100, 80, 0xFF505060u);
        mPictures["GM_SELECT_BP_FRM"] = Framed(190, 310, 0xFFC0A060u, 0xFFF0E6D0u);
        mPictures["GM_BG_FACTORY_QTY"] = Framed(120, 120, 0xFF806040u, 0xFFE8D8B0u);
        mPictures["GM_BTN_EXIT"] = Solid(60, 40, 0xFFA03030u);
        mPictures["GM_BTN_SELECT_BP"] = Solid(110, 30, 0xFF3060A0u);
        mPictures["GM_BTN_MG0"] = Solid(70, 70, 0xFFC07020u);
        mPictures["GM_BTN_MG1"] = Solid(70, 70, 0xFF20A070u);
        mPictures["GM_BTN_MG2"] = Solid(70, 70, 0xFF7020C0u);
        mPictures["PD_1"] = Disc(110, 0xFF2080E0u);
        mPictures["PD_2"] = Disc(110, 0xFFE04040u);
        mPictures["GM_I_SLV"] = Solid(22, 16, 0xFF404040u);
        mPictures["GM_I_CLV"] = Solid(20, 16, 0xFF606060u);
        mPictures["GM_I_LV0"] = Framed(16, 16, 0xFF909090u, 0x00000000u);
        mPictures["GM_I_LV1"] = Solid(16, 16, 0xFFFFD020u);
        mPictures["GM_I_LV2"] = Solid(16, 16, 0xFFFFB020u);
        mPictures["GM_I_LV3"] = Solid(16, 16, 0xFFFF9020u);
        mPictures["GM_NAME_FACTORY_EN"] = Solid(260, 44, 0xFF204060u);
        mPictures["GM_NAME_FACTORY_JP"] = Solid(260, 44, 0xFF602040u);
        mPictures["GM_HINT_BG"] = Framed(400, 260, 0xFF806040u, 0xFFD8C8A0u);
        mPictures["BTN_OK2"] = Solid(80, 30, 0xFF30A040u);
        mPictures["GM_SELECT_BP_BG"] = Framed(600, 230, 0xFF806040u, 0xFFEADCC0u);
        mPictures["GM_BG_ITEM_OVER2"] = Framed(200, 150, 0xFF403020u, 0xFFFFF8E0u);
        mPictures["GM_BTN_IP1"] = Solid(40, 40, 0xFF308030u);
        mPictures["GM_I_NO_ITEM"] = quortest::PngBytes(20, 20, [](int x, int y) {
            return x == y || x == 19 - y || x + 1 == y || x == 18 - y ? 0xFFE00000u : 0x00000000u;
        });
        mPictures["S_3"] = Disc(60, 0xFFB08060u);
        mPictures["S_8"] = Disc(60, 0xFF40B0C0u);
        mPictures["GM_BTN_C_0"] = Solid(90, 90, 0xFF3050A0u);
        mPictures["GM_BTN_C_0_O"] = Framed(90, 90, 0xFFFFFFFFu, 0xFF3050A0u);
        mPictures["BTN_LEFT"] = Solid(40, 40, 0xFF808020u);
        mPictures["BTN_SCROLL2"] = Solid(60, 21, 0xFF605040u);
        mPictures["MB_BG"] = Framed(966, 710, 0xFF503020u, 0xFFE0D0B0u);
        mPictures["MB_BG2"] = Framed(966, 710, 0xFF503020u, 0xFFF0E4CCu);
        mPictures["MB_BTN_FRM_SELECT_BP"] = Framed(81, 64, 0xFF806040u, 0xFFFFF4DCu);
        mPictures["MB_BTN_FRM_SELECT_BP_D"] = Framed(81, 64, 0xFF808080u, 0xFFD0D0D0u);
        mPictures["MB_A0"] = Solid(150, 150, 0xFF8040A0u);
        mPictures["BTN_OK"] = Solid(60, 30, 0xFF30A040u);
        mPictures["GM_BTN_C_2"] = Solid(90, 90, 0xFFA05030u);
        mPictures["GM_BG_ITEM_OVER"] = Framed(220, 130, 0xFF403020u, 0xFFFFF8E0u);
        mPictures["GR_BG"] = Framed(560, 500, 0xFF806040u, 0xFFF4E8D0u);
    }
    void Begin()
    {
        StartFactories();
        app->blueprintTable[1].Name = "ABBA";
        app->blueprintTable[2].Name = "BAB ABBA BABBA";
        app->sourceTable[kClay].Name = "AB";
        app->sourceTable[kGlaze].Name = "BA";
        app->countryMapTable[0].Name = "BBA";
        app->awardTable[0].Name = "AAB";
        app->awardTable[0].Des = "ABBA BAB AB ABBA";
        Own(7);
    }
    StandInPhase* EnterQuiet()
    {
        StandInPhase* phase = EnterGame();
        // No head-up display, dialog or note stand-in over the pictures.
        for (int id : {PANEL_INFO, PANEL_MISSION, PANEL_NOTE})
            phase->ClosePanel(id);
        TickOnce();
        return phase;
    }
    void Check(GamePhase* phase, const std::string& name)
    {
        phase->mDirty = true;
        const std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("world/" + name + ".png"), px, 1024, 768), "")
            << name;
    }
};

TEST_F(FactoryPicturesTest, FactoriesChooserBookAndRewardDrawAsStored)
{
    Begin();
    Profile().factories[0].productId = 2;  // five glaze short
    ProductionRecord* record = Profile().FindProductRecord(2);
    ASSERT_NE(record, nullptr);
    record->rate = 12;
    record->rating1 = 2;
    record->rating2 = 3;
    Profile().factories[2].secondFlag = true;
    Profile().money = 6000;
    StandInPhase* phase = EnterQuiet();
    app->mWidgetManager->MouseMove(1010, 760);

    Factory* factory = OpenFactory(phase, 0);
    Check(phase, "factory_owned_short");

    // The chooser on England's blueprints with the mouse on the short one.
    BpSelect* chooser = OpenChooser(factory);
    ASSERT_NE(chooser, nullptr);
    Click(chooser->mCountryButtons[0]);
    Rect row = chooser->mRowButtons[1]->GetRect();
    app->mWidgetManager->MouseMove(row.mX + 40, row.mY + 40);
    ASSERT_EQ(chooser->mHovered, 2);
    Check(phase, "factory_chooser_card");
    phase->ClosePanel(PANEL_FACTORY);
    TickOnce();

    app->mWidgetManager->MouseMove(1010, 760);
    OpenFactory(phase, 2);
    Check(phase, "factory_for_sale");
    phase->ClosePanel(PANEL_FACTORY);
    TickOnce();

    // The recipe page of the short blueprint.
    phase->ShowPanel(PANEL_POTTERY, 0);
    TickOnce();
    auto* book = dynamic_cast<Pottery*>(phase->mPanels[PANEL_POTTERY]);
    ASSERT_NE(book, nullptr);
    Profile().materialStats[kClay] = ItemStatRecord{kClay, 9, 0};
    for (ButtonWidget* button : book->mBlueprintButtons)
        if (button->mId == 2)
            Click(button);
    ASSERT_TRUE(book->mPageOpen);
    app->mWidgetManager->MouseMove(1010, 760);
    Check(phase, "book_page_short");
    phase->ClosePanel(PANEL_POTTERY);
    TickOnce();

    // The reward popup at full strength.
    std::filesystem::create_directories("images/product_big");
    quortest::WriteFile("images/product_big/money.png", Disc(120, 0xFFE0C030u));
    auto* popup = new GetReward(phase);
    popup->Resize(0, 0, 1024, 768);
    phase->AddWidget(popup);
    popup->AddReward({1, 250});
    for (int i = 0; i < 26; ++i)
        popup->Tick(0.02);
    ASSERT_EQ(popup->mFadeAlpha, 255);
    Check(phase, "reward_full");
    phase->RemoveWidget(popup);
    delete popup;
}

} // namespace
