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

// England once the frame is gone: its sky and scenery move. Under the quit question only the
// question is compared, as under the step's box.
const std::string kMoving = "desktop/country/england_moving.png";
const std::vector<Mask> kQuitOverEngland = CountryUnder({{302, 170, 420, 260}});

TEST(TutorialOnX, ANewGameOpensOnTheStoryAndTheSkipTakesTheFrameAway)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = MakeHome(dir);
    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    EXPECT_EQ(FirstStartToTheMainMenu(game), "");

    EXPECT_EQ(ThroughTheStoryPages(game), "") << game.ErrorOutput();
    game.Click(865, 246);  // skip
    game.Move(20, 740);
    EXPECT_EQ(game.Still("desktop/tutorial/skipped.png", CountryViewMasks(kMoving)), "") << game.ErrorOutput();
    game.Key("alt+F4");
    EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
}

TEST(TutorialOnX, TheMenuButtonLeavesWithoutSavingTheTutorial)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = MakeHome(dir);
    Quor::PlayerProfile player;
    player.name = "Ada";
    player.tutorialStep = 0;
    WriteProfiles(home, player);

    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    // The pointer in the middle on a start, where the menu run's last click was: left out.
    EXPECT_EQ(game.Still("desktop/menus/main.png", {{508, 380, 20, 26}, {744, 439, 20, 26}}, 300s), "")
        << game.ErrorOutput();
    EXPECT_EQ(ThroughTheStoryPages(game), "") << game.ErrorOutput();
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
