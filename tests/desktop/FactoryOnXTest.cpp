// The factories on the sample content under Xvfb, driven by the mouse. A player past the tutorial
// stands in Japan with $5200, Japan's factory for sale at $5000, the recipes 1-4 (all English) and
// the materials of recipe 1 only (4 White Clay, 2 Bone Ash). The player buys the factory, opens it
// again, chooses England and blueprint 1 (in colour), then blueprint 2 (grey, short of Red Clay),
// whose Production Machine warns; opens the recipe book, the bowl's page, points at its Red Clay,
// goes back to the grid and closes the book; and leaves by the menu question, which saves.
// Screenshots at still moments match the stored pictures; the save file holds Japan's factory
// owned, making product 2, and the money less the price.
#include "game/shell/PlayerProfile.h"
#include "tests/desktop/GameOnX.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef GAME_TOOL

namespace {

using namespace xdesk;

// The country screen's scenery, all of it above the bar but the money box.
const std::vector<Mask> kCountry{{0, 0, 1024, 577}, {0, 577, 700, 39}, {850, 577, 174, 39}, kCalendarMask};
const std::vector<Mask> kStill{kCalendarMask};

} // namespace

TEST(FactoryOnX, BuyChooseTheBookAndLeaveWithSaving)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = dir.File("run");
    Quor::PlayerProfile player = NewPlayer("Ada");
    player.tutorialStep = Quor::TutorialFinished;
    player.day = 30;
    player.country = 2;
    player.countries[2] = true;
    player.money = 5200;
    for (int id = 1; id <= 4; ++id)
        player.recipes[id] = true;
    player.materials = {{1, 4}, {7, 2}};
    player.factories.at(2).secondFlag = true;
    WriteProfiles(home, player);

    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    // The program puts the pointer in the middle as its window comes up: moved once it is there.
    ASSERT_TRUE(game.Shows(300, 200, 0x3F7F8C, 8, 300s)) << game.ErrorOutput();
    game.Move(600, 400);
    ASSERT_EQ(game.Still("desktop/menus/main-full-screen.png"), "") << game.ErrorOutput();
    game.Click(85, 696);
    game.Move(1000, 100);
    ASSERT_EQ(game.Still("desktop/factory/japan_5200.png", kCountry), "") << game.ErrorOutput();

    // For sale at $5000; bought, the factory closes and the money shows $200.
    game.Click(880, 470);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/for_sale.png", kStill), "");
    game.Click(512, 365);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/japan_200.png", kCountry), "");
    game.Click(880, 470);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/owned.png", kStill), "");

    // The chooser: England, its four blueprints (2 and 3 short, grey), the plate's card, the plate.
    game.Click(145, 378);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/chooser_countries.png", kStill), "");
    game.Click(310, 160);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/chooser_england.png", kStill), "");
    game.Move(316, 160);
    EXPECT_EQ(game.Still("desktop/factory/chooser_card.png", kStill), "");
    game.Click(316, 160);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/making_plates.png", kStill), "");

    // The bowl, short of Red Clay: grey, and the Production Machine refuses.
    game.Click(145, 378);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/chooser_countries_plate.png", kStill), "");
    game.Click(310, 160);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/chooser_england_plate.png", kStill), "");
    game.Click(416, 160);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/making_bowls.png", kStill), "");
    game.Click(952, 312);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/machine_warning.png", kStill), "");
    game.Click(512, 505);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/making_bowls.png", kStill), "");

    // The recipe book: the grid, the bowl's page, its Red Clay pointed at, back, closed.
    game.Click(46, 592);
    game.Move(1000, 50);
    EXPECT_EQ(game.Still("desktop/factory/book.png", kStill), "");
    game.Click(197, 76);
    game.Move(1000, 50);
    EXPECT_EQ(game.Still("desktop/factory/book_bowl.png", kStill), "");
    game.Move(499, 411);
    EXPECT_EQ(game.Still("desktop/factory/book_bowl_red_clay.png", kStill), "");
    game.Click(800, 500);
    game.Move(1000, 50);
    EXPECT_EQ(game.Still("desktop/factory/book.png", kStill), "");
    game.Click(1010, 400);
    game.Move(1000, 100);
    EXPECT_EQ(game.Still("desktop/factory/making_bowls.png", kStill), "");

    EXPECT_EQ(game.QuitFromGame(), 0) << game.ErrorOutput();

    Quor::PlayerProfile saved;
    ASSERT_TRUE(ReadSlot0(home, saved));
    EXPECT_EQ(saved.money, 200);
    EXPECT_EQ(saved.day, 30);
    EXPECT_EQ(saved.country, 2);
    const Quor::FactoryState& japan = saved.factories.at(2);
    EXPECT_TRUE(japan.firstFlag);
    EXPECT_EQ(japan.productId, 2);
    EXPECT_EQ(saved.factories.at(0).productId, -1);
    EXPECT_EQ(saved.materials, (std::map<int32_t, int32_t>{{1, 4}, {7, 2}}));
}

#endif
