// A quest played through on the sample content under Xvfb, driven with the mouse: a player past
// the tutorial, in England with ten Sunrise Plates, meets Old Sam in the cellar, who offers his
// quest; it is accepted (the cellar opens after), the open-quest list shows it with its details;
// back with Sam the plates are handed in under the fireworks, the two reward screens are
// confirmed, and the player goes back to the main menu, which saves. The save file then holds
// the quest finished, the $1500 and the recipe paid and the plates gone. Screenshots at still
// moments match the stored pictures (the calendar's flip and the scenery masked).
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

constexpr int kQuest = 5;  // Old Sam's plates: accept, deliver ten plates, bring them

// The calendar's animated corner of the bar.
const Mask kCalendar{0, 744, 240, 24};
// The country scene above the bar: its sky, scenery and characters move.
const Mask kScene{0, 0, 1024, 616};
// The scene around the quest detail panel, which shows through its dimmed surroundings.
const std::vector<Mask> kAroundDetails = {{0, 0, 203, 616}, {821, 0, 203, 616}, {203, 0, 618, 41}, {203, 599, 618, 17},
                                          kCalendar};

Quor::PlayerProfile Player()
{
    Quor::PlayerProfile p;
    p.name = "Ada";
    p.tutorialStep = Quor::TutorialFinished;
    p.money = 2000;
    p.day = 9;
    p.country = 0;
    p.buyFactor = p.sellFactor = 1.0;
    for (int country = 0; country < 8; ++country)
        p.countries[country] = country == 0;
    p.factories[0] = Quor::FactoryState{0, -1, true, false};
    p.recipes[1] = true;
    p.stock = {{1, 1, 1, 10}};
    p.quests[4] = Quor::QuestState(4, 4, true, {{0, true}, {1, true}, {2, true}});
    p.quests[kQuest] = Quor::QuestState(kQuest, kQuest, false, {{0, false}, {1, false}, {2, false}});
    return p;
}

} // namespace

TEST(QuestsOnX, OldSamsPlatesFromTheOfferToTheRewards)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = MakeHome(dir);
    WriteProfiles(home, Player());
    {
        GameOnX game(GAME_TOOL, GameFolder(), home);
        ASSERT_TRUE(game.Up());

        // The main menu, then the game on England.
        EXPECT_EQ(game.Still("desktop/quests/main.png", {}, 300s), "") << game.ErrorOutput();
        game.Click(85, 696);
        game.Move(600, 600);
        EXPECT_EQ(game.Still("desktop/quests/england.png", {kScene, kCalendar}), "") << game.ErrorOutput();

        // The cellar: Sam offers the quest; OK accepts it, and his next speech follows.
        game.Click(140, 400);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/offer.png", {kCalendar}), "");
        game.Click(605, 437);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/accepted.png", {kCalendar}), "");
        // OK ends the talk; the place screen slides out and the cellar itself opens. Its exit
        // leads back to England.
        game.Click(605, 437);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/cellar.png", {kCalendar}), "");
        game.Click(974, 536);
        game.Move(900, 200);

        // The quest list on the bar: the quest and its next step; its details, and OK.
        EXPECT_EQ(game.Still("desktop/quests/list.png", {kScene, kCalendar}), "");
        game.Click(720, 629);
        game.Move(900, 120);
        EXPECT_EQ(game.Still("desktop/quests/details.png", kAroundDetails), "");
        game.Click(512, 570);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/list.png", {kScene, kCalendar}), "");

        // Sam again: the plates; OK launches the fireworks and hands them in, then he goes on.
        game.Click(140, 400);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/report.png", {kCalendar}), "");
        game.Click(605, 437);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/handed_in.png", {kCalendar}), "");
        // OK: the reward screens (not compared: their dimming is laid over what is below again
        // at each redraw). The first (the $1500) takes its OK once it has grown: it is pressed
        // until the second (the recipe) has grown, its OK button shown; then that OK.
        auto rewardGrown = [&] {
            return Eventually([&] {
                const std::vector<uint32_t> px = game.Desktop();
                return px.size() == 1024u * 768u && (px[500u * 1024u + 470u] & 0xFFFFFFu) == 0x4A6D9Cu;
            }, 20s);
        };
        game.Click(605, 437);
        game.Move(900, 200);
        EXPECT_TRUE(Eventually([&] {
            game.Click(512, 505);
            game.Move(900, 200);
            return rewardGrown();
        }, 180s));
        game.Click(512, 505);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/cellar_after.png", {kCalendar}), "");
        game.Click(974, 536);
        game.Move(900, 200);
        EXPECT_EQ(game.Still("desktop/quests/list_empty.png", {kScene, kCalendar}), "");

        // The menu question, Yes: the main menu (the profile is saved); then its own quit.
        game.Click(940, 696);
        game.Click(446, 350);
        game.Move(600, 400);
        EXPECT_EQ(game.Still("desktop/quests/main_again.png"), "");
        game.Click(952, 696);
        game.Click(445, 349);
        EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
    }

    Quor::PlayerProfile saved;
    ASSERT_TRUE(ReadSlot0(home, saved));
    ASSERT_TRUE(saved.quests.count(kQuest));
    EXPECT_TRUE(saved.quests.at(kQuest).finished);
    EXPECT_EQ(saved.money, 2000 + 1500);
    EXPECT_TRUE(saved.recipes.count(5) && saved.recipes.at(5));
    int plates = 0;
    for (const Quor::StockItem& item : saved.stock)
        if (item.productId == 1)
            plates += item.quantity;
    EXPECT_EQ(plates, 0);
}

#endif
