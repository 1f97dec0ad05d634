// The tutorial on the sample content under Xvfb. A first start on a fresh data folder: the
// player's name typed, the game button, the opening page, the letter page once the letter lies
// in place, the guide's page, the first step with the skip button over England; the skip takes
// the frame away. A second start on a saved game at step 0 leaves at step 3 through the frame's
// menu button and the quit question: the main menu is back and answers clicks, and the save file
// still holds step 0 (the tutorial is saved only once it is finished).
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

// England under the step's box and under the quit question: its sky and scenery move.
const std::string kMoving = "desktop/country/england_moving.png";
// Besides the scenery seen moving, one of England's lights can come to rest over the cellar
// button's lower corner for longer than a wait lasts.
const std::vector<Mask> kBoxOverEngland = [] {
    std::vector<Mask> masks = CountryViewMasks(kMoving, {{610, 10, 404, 270}});
    masks.push_back({60, 395, 110, 80});
    return masks;
}();
const std::vector<Mask> kQuitOverEngland = CountryViewMasks(kMoving, {{302, 170, 420, 260}});

// From the main menu to step 3: the two story pages and the guide's page, each clicked on once it
// stands still.
void ThroughTheStoryPages(GameOnX& game)
{
    game.Click(85, 696);
    EXPECT_EQ(game.Still("desktop/tutorial/step0.png"), "") << game.ErrorOutput();
    game.Click(512, 400);
    EXPECT_EQ(game.Still("desktop/tutorial/step1.png"), "") << game.ErrorOutput();
    game.Click(512, 400);
    EXPECT_EQ(game.Still("desktop/tutorial/step2.png"), "") << game.ErrorOutput();
    game.Click(512, 400);
    EXPECT_EQ(game.Still("desktop/tutorial/step3.png", kBoxOverEngland), "") << game.ErrorOutput();
}

TEST(TutorialOnX, ANewGameOpensOnTheStoryAndTheSkipTakesTheFrameAway)
{
    if (!Have("Xvfb") || !Have("xdotool") || !Have("import"))
        GTEST_SKIP() << "Xvfb, xdotool or import missing";
    quortest::TempDir dir;
    const std::string home = dir.File("run");
    fs::create_directories(home);
    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    EXPECT_EQ(FirstStartToTheMainMenu(game), "");

    ThroughTheStoryPages(game);
    game.Click(865, 246);  // skip
    game.Move(20, 740);
    EXPECT_EQ(game.Still("desktop/tutorial/skipped.png", CountryViewMasks(kMoving)), "") << game.ErrorOutput();
    game.Key("alt+F4");
    EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
}

// Off for now: from a saved step-0 player, England's lights come to rest on the place buttons the
// step-3 comparison keeps, at places that change from run to run; the run stays off until that
// comparison masks them.
TEST(TutorialOnX, DISABLED_TheMenuButtonLeavesWithoutSavingTheTutorial)
{
    if (!Have("Xvfb") || !Have("xdotool") || !Have("import"))
        GTEST_SKIP() << "Xvfb, xdotool or import missing";
    quortest::TempDir dir;
    const std::string home = dir.File("run");
    fs::create_directories(home);
    Quor::PlayerProfile player;
    player.name = "Ada";
    player.tutorialStep = 0;
    WriteProfiles(home, player);

    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    // The pointer in the middle on a start, where the menu run's last click was: left out.
    EXPECT_EQ(game.Still("desktop/menus/main.png", {{508, 380, 20, 26}, {744, 439, 20, 26}}, 300s), "")
        << game.ErrorOutput();
    ThroughTheStoryPages(game);
    game.Click(940, 696);  // the frame's menu button
    EXPECT_EQ(game.Still("desktop/tutorial/quit.png", kQuitOverEngland), "") << game.ErrorOutput();
    game.Click(445, 349);
    game.Move(600, 400);
    EXPECT_EQ(game.Still("desktop/tutorial/menu.png"), "") << game.ErrorOutput();

    // The main menu answers: its quit question, and yes.
    game.Click(952, 696);
    EXPECT_EQ(game.Still("desktop/tutorial/menu_quit.png"), "");
    game.Click(445, 349);
    EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();

    Quor::PlayerProfile saved;
    ASSERT_TRUE(ReadSlot0(home, saved));
    EXPECT_EQ(saved.name, "Ada");
    EXPECT_EQ(saved.tutorialStep, 0);
}

} // namespace

#endif
