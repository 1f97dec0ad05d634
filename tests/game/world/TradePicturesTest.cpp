// The trade panels and the rescue drawn on the whole 1024 x 768 screen with pictures of their
// own, compared pixel for pixel with stored pictures: a supplier page with the no-money message,
// the cellar scrolled by one column, and the rescue over the emptied cellar.
#include "tests/game/world/TradeFixture.h"

#include "game/world/GameOver.h"
#include "tests/support/GoldenImage.h"

using namespace Quor;

namespace {

using namespace worldtest;

// The game screen without a head-up display, so that the pictures show the panels alone.
class NoDisplayPhase : public StandInPhase {
public:
    using StandInPhase::StandInPhase;

protected:
    GamePanel* MakePanel(int id, int extra) override
    {
        return id == PANEL_INFO ? nullptr : StandInPhase::MakePanel(id, extra);
    }
};

class TradePicturesTest : public TradeTest {
protected:
    void SetUp() override
    {
        TradeTest::SetUp();
        auto solid = [](int w, int h, uint32_t colour) {
            return quortest::PngBytes(w, h, [colour](int, int) { return colour; });
        };
        auto framed = [](int w, int h, uint32_t inside, uint32_t edge) {
            return quortest::PngBytes(w, h, [=](int x, int y) {
                return x < 2 || y < 2 || x >= w - 2 || y >= h - 2 ? edge : inside;
            });
        };
        auto tiles = [](uint32_t a, uint32_t b) {
            return quortest::PngBytes(1024, 768, [a, b](int x, int y) { return (x / 64 + y / 64) % 2 ? a : b; });
        };
        mPictures["GM_BG_SUPPLIER"] = tiles(0xFF5A4630u, 0xFF6A5640u);
        mPictures["GM_BG_CELLAR"] = tiles(0xFF30405Au, 0xFF40506Au);
        mPictures["GM_NAME_SUPPLIER"] = solid(240, 40, 0xFFC09040u);
        mPictures["GM_NAME_CELLAR"] = solid(240, 40, 0xFF4090C0u);
        mPictures["GM_SUP_BG1"] = framed(800, 460, 0x60FFFFFFu, 0xFF201000u);
        mPictures["GM_CEL_BG1"] = framed(760, 420, 0x60FFFFFFu, 0xFF001020u);
        mPictures["GM_SUP_ITEM_BG"] = framed(110, 200, 0xFFE8D8B0u, 0xFF806040u);
        mPictures["GM_CEL_ITEM_BG"] = framed(110, 190, 0xFF283848u, 0xFF8090A0u);
        mPictures["GM_SUP_ITEM_PRICE"] = framed(110, 56, 0xFFD0B890u, 0xFF604020u);
        mPictures["S_1"] = solid(64, 64, 0xFFD0D0C8u);
        mPictures["S_7"] = solid(64, 64, 0xFF2050C0u);
        mPictures["PD_1"] = quortest::PngBytes(120, 120, [](int x, int y) {
            const int dx = x - 60, dy = y - 60;
            return dx * dx + dy * dy < 55 * 55 ? 0xFFF0F0F0u : 0x00000000u;
        });
        mPictures["PD_2"] = solid(120, 120, 0xFF30A0A0u);
        mPictures["GM_I_SLV"] = solid(20, 14, 0xFFA0A0FFu);
        mPictures["GM_I_CLV"] = solid(20, 14, 0xFFFFA0A0u);
        mPictures["GM_I_LV0"] = solid(14, 14, 0xFF505050u);
        mPictures["GM_I_LV1"] = solid(14, 14, 0xFFC08030u);
        mPictures["GM_I_LV2"] = solid(14, 14, 0xFFD0D0D0u);
        mPictures["GM_I_LV3"] = solid(14, 14, 0xFFF0D020u);
        mPictures["BTN_ADD"] = solid(40, 20, 0xFF30A040u);
        mPictures["BTN_ADD10"] = solid(40, 20, 0xFF3070C0u);
        mPictures["BTN_ADD50"] = solid(40, 20, 0xFF7030C0u);
        mPictures["GM_BTN_EXIT"] = solid(90, 50, 0xFFC03030u);
        mPictures["GM_BTN_SELL"] = solid(90, 40, 0xFF30C060u);
        mPictures["BTN_SCROLL"] = solid(21, 60, 0xFFE0E0E0u);
        mPictures["BTN_SCROLL2"] = solid(60, 21, 0xFFE0E0E0u);
        mPictures["GM_HINT_BG"] = framed(400, 260, 0xFFD8C8A0u, 0xFF705020u);
        mPictures["BTN_OK2"] = solid(80, 30, 0xFF30A040u);
    }
    // The note is the game's own and no head-up display is made, so that nothing paints over
    // the panels.
    void EnterPictures()
    {
        mPhase = Enter(new NoDisplayPhase(app.get(), &record,
                                          {PANEL_CELLAR, PANEL_SUPPLIER, PANEL_GAME_OVER, PANEL_WARNING, PANEL_NOTE}));
    }
    void Check(const std::string& name)
    {
        mPhase->mDirty = true;
        const std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("world/" + name + ".png"), px, 1024, 768), "")
            << name;
    }
};

TEST_F(TradePicturesTest, ASupplierPageWithTheNoMoneyMessage)
{
    StartTrade();
    EnterPictures();
    Profile().money = 20;
    Profile().materials[7] = 12;
    Supplier* supplier = OpenSupplier();
    supplier->mSlots[0].field->SetText("1", true);
    Tick();
    Check("supplier_page");
    supplier->AddToOrder(1, 5);
    Tick();
    Check("supplier_no_money");
}

TEST_F(TradePicturesTest, TheCellarScrolledOneColumnAndTheRescueOverIt)
{
    StartTrade();
    Profile().stock = {{1, 1, 1, 4}, {1, 2, 0, 3}, {1, 3, 3, 2}, {2, 1, 2, 9}, {2, 2, 2, 1}, {2, 3, 1, 5}, {2, 3, 3, 7}};
    EnterPictures();
    Cellar* cellar = OpenCellar();
    cellar->ScrollbarReleased(1, 122);
    cellar->mSlots[0].field->SetText("2", true);
    Tick();
    Check("cellar_scrolled");

    mPhase->ClosePanel(PANEL_CELLAR);
    Tick();
    Profile().stock.clear();
    Profile().money = 40;
    OpenCellar();  // empty now: the rescue darkens its background
    mPhase->CheckGameOver();
    ASSERT_NE(mPhase->mPanels[PANEL_GAME_OVER], nullptr);
    Tick();
    Check("rescue");
}

} // namespace
