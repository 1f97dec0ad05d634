// The economy on the sample content under Xvfb, driven by the mouse and the keyboard. A player past
// the tutorial in England ($300, day 20, both factors 1.0, 4 White Clay and 2 Bone Ash, 5 Sunrise
// Plates and 4 Sunrise Bowls, England's factory making the plate at 3 a day) buys 5 White Clay by
// typing and Enter, 10 Bone Ash by +10 and the add button, and is refused 50 Kaolin; sells 7
// plates of a stock of 5, then everything with SELL; produces once by the factory tab's button and
// once by the production button with its show; and leaves by the menu question, which saves. A
// second player with $100 and no dinnerware is rescued as England comes into view. Screenshots at
// still moments match the stored pictures; the save files hold what was worked out by hand.
#include "game/shell/PlayerProfile.h"
#include "tests/desktop/GameOnX.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifdef GAME_TOOL

namespace {

namespace fs = std::filesystem;
using namespace xdesk;

// The calendar's corner of the bar.
// The country screen's scenery and sky, all of it above the bar but the money box.
const std::vector<Mask> kCountry{{0, 0, 1024, 577}, {0, 577, 700, 39}, {850, 577, 174, 39}, kCalendarMask};
// The greeting of a shop's keeper: the speech is drawn at random, and with it its buttons (OK, or
// NEXT and CANCEL for a speech of two pages).
const std::vector<Mask> kKeeper{{520, 140, 300, 250}, {540, 410, 270, 52}, kCalendarMask};

// The quantity field of a trade slot, whose caret blinks while it has the focus.
Mask Field(int x, int y)
{
    return {x, y, 53, 20};
}
const std::vector<Mask> kSupplier{Field(106, 229), Field(228, 229), kCalendarMask};
const std::vector<Mask> kCellar{Field(75, 320), Field(197, 320), kCalendarMask};

// A player past the tutorial in England, made by the game's own profile code.
Quor::PlayerProfile Player()
{
    Quor::PlayerProfile p = NewPlayer("Ada");
    p.tutorialStep = Quor::TutorialFinished;
    p.day = 20;
    p.buyFactor = 1.0;
    p.sellFactor = 1.0;
    return p;
}

// Up to the main menu, then into the game; `first` is the picture of the country screen.
void EnterGame(GameOnX& game, const std::string& first, const std::vector<Mask>& masks)
{
    // The program puts the pointer in the middle as its window comes up: moved once it is there.
    ASSERT_TRUE(game.Shows(300, 200, 0x3F7F8C, 8, 300s)) << game.ErrorOutput();
    game.Move(600, 400);
    ASSERT_EQ(game.Still("desktop/menus/main-full-screen.png"), "") << game.ErrorOutput();
    game.Click(85, 696);
    game.Move(1000, 100);
    ASSERT_EQ(game.Still(first, masks), "") << game.ErrorOutput();
}

// Opens the cellar or the supplier of the country screen: the keeper's greeting, then its OK
// until the shop shows its scrollbar's arrow at (arrowX, arrowY) (a click while the speech is
// still being written out only completes it).
void OpenShop(GameOnX& game, int x, int y, const std::string& greeting, int arrowX, int arrowY,
              const std::string& shop, const std::vector<Mask>& masks)
{
    game.Click(x, y);
    game.Move(1000, 100);
    ASSERT_EQ(game.Still(greeting, kKeeper), "");
    ASSERT_TRUE(Eventually([&] {
        game.Click(604, 437);
        return game.Shows(arrowX, arrowY, 0x4A6DA4, 8, 5s);
    }));
    game.Move(1000, 100);
    ASSERT_EQ(game.Still(shop, masks), "");
}

// The production show: the whole screen dims (the bar's menu button turns dark), then comes back.
bool SeesTheShow(GameOnX& game)
{
    constexpr uint32_t kMenuButton = 0x4A6DA4;
    return game.Shows(940, 686, 0x253652, 24) && game.Shows(940, 686, kMenuButton);
}

} // namespace

TEST(TradeOnX, BuySellProduceAndLeaveWithSaving)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = dir.File("run");
    Quor::PlayerProfile player = Player();
    player.money = 300;
    player.materials = {{1, 4}, {7, 2}};
    player.stock = {{1, 1, 1, 5}, {2, 2, 1, 4}};
    player.factories.at(0).productId = 1;
    ASSERT_NE(player.FindProductRecord(1), nullptr);
    player.FindProductRecord(1)->rate = 3;
    WriteProfiles(home, player);

    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    EnterGame(game, "desktop/trade/england_300.png", kCountry);

    // The supplier at the day's prices: White Clay $8, Bone Ash $14, Kaolin $12.
    OpenShop(game, 360, 320, "desktop/trade/supplier_keeper.png", 843, 95, "desktop/trade/supplier.png", kSupplier);
    game.Type("5");
    game.Key("Return");
    EXPECT_EQ(game.Still("desktop/trade/supplier_bought_5.png", kSupplier), "");  // $260, x9
    game.Click(232, 265);
    game.Click(300, 240);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/supplier_bought_10.png", kSupplier), "");  // $120, x12
    game.Click(526, 265);  // +50 Kaolin: $600
    game.Click(545, 240);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/supplier_no_money.png", kSupplier), "");
    game.Click(512, 400);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/supplier_emptied.png", kSupplier), "");
    game.Click(973, 535);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/england_120.png", kCountry), "");

    // The cellar: plates at $45, bowls at $33; 7 typed over a stock of 5 sells 5.
    OpenShop(game, 140, 400, "desktop/trade/cellar_keeper.png", 826, 530, "desktop/trade/cellar.png", kCellar);
    game.Type("7");
    EXPECT_EQ(game.Still("desktop/trade/cellar_seven_over_five.png", kCellar), "");
    game.Key("Return");
    EXPECT_EQ(game.Still("desktop/trade/cellar_sold_5.png", kCellar), "");  // $345
    game.Click(934, 455);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/cellar_sold_all.png", kCellar), "");  // $477
    game.Click(973, 535);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/england_477.png", kCountry), "");

    // England's factory makes three plates (day 21), then the production button one more of
    // the White Clay left (day 22).
    game.Click(783, 749);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/factories.png", kCountry), "");
    game.Click(359, 643);
    EXPECT_TRUE(SeesTheShow(game));
    game.Click(558, 749);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/inventory_day_21.png", kCountry), "");
    game.Click(45, 696);
    EXPECT_TRUE(SeesTheShow(game));
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/inventory_day_22.png", kCountry), "");

    EXPECT_EQ(game.QuitFromGame(), 0) << game.ErrorOutput();

    Quor::PlayerProfile saved;
    ASSERT_TRUE(ReadSlot0(home, saved));
    EXPECT_EQ(saved.money, 300 - 5 * 8 - 10 * 14 + 5 * 45 + 4 * 33);
    EXPECT_EQ(saved.day, 22);
    EXPECT_EQ(saved.materials, (std::map<int32_t, int32_t>{{1, 4 + 5 - 3 * 2 - 2}, {7, 2 + 10 - 3 - 1}}));
    EXPECT_EQ(saved.stock, (std::vector<Quor::StockItem>{{1, 1, 1, 4}}));
    EXPECT_EQ(saved.purchaseLog, (std::vector<Quor::PurchaseLogEntry>{{1, 20, 5}, {7, 20, 10}}));
    EXPECT_EQ(saved.saleLog, (std::vector<Quor::SaleLogEntry>{{1, 20, 5}, {2, 20, 4}}));
    EXPECT_EQ(saved.materialStats.at(1), (Quor::ItemStatRecord{1, 8, 0}));
    EXPECT_EQ(saved.materialStats.at(7), (Quor::ItemStatRecord{7, 14, 0}));
    EXPECT_EQ(saved.materialStats.at(3), (Quor::ItemStatRecord{3, -1, -1}));
    EXPECT_EQ(saved.blueprintStats.at(1), (Quor::ItemStatRecord{1, 45, 0}));
    EXPECT_EQ(saved.blueprintStats.at(2), (Quor::ItemStatRecord{2, 33, 0}));
    // The two days rolled the factors: each of 0.900 to 1.099 in steps of 0.001.
    for (double factor : {saved.buyFactor, saved.sellFactor}) {
        EXPECT_GE(factor, 0.9);
        EXPECT_LT(factor, 1.0995);
        const double steps = (factor - 0.9) * 1000.0;
        EXPECT_NEAR(steps, double(int64_t(steps + 0.5)), 1e-6) << factor;
    }
}

TEST(TradeOnX, ThePlayerWithoutMoneyOrWareIsRescued)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = dir.File("run");
    Quor::PlayerProfile player = Player();
    player.money = 100;
    player.materials = {{1, 30}};  // materials do not count
    WriteProfiles(home, player);

    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    // The rescue covers the scenery but the message box.
    EnterGame(game, "desktop/trade/rescue.png",
              {{0, 0, 1024, 200}, {0, 200, 312, 270}, {712, 200, 312, 270}, {0, 470, 1024, 107},
               {0, 577, 700, 39}, {850, 577, 174, 39}, kCalendarMask});
    game.Click(512, 400);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/trade/rescued.png", kCountry), "");  // $600
    EXPECT_EQ(game.QuitFromGame(), 0) << game.ErrorOutput();

    Quor::PlayerProfile saved;
    ASSERT_TRUE(ReadSlot0(home, saved));
    EXPECT_EQ(saved.money, 600);
    EXPECT_EQ(saved.day, 20);
    EXPECT_EQ(saved.materials, (std::map<int32_t, int32_t>{{1, 30}}));
    // The rescue count lives as long as the program.
    EXPECT_EQ(saved.gameOverCounter, 0);
}

#endif
