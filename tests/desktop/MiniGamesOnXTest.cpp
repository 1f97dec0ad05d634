// The three mini-games a factory opens, on the sample content under Xvfb, as a new player meets
// them: a first start, the tutorial skipped, England's factory with blueprint 1 chosen, then the
// Production Machine (the ready sign, in play, the quit question cancelled, in play again, the
// question confirmed), Refine Shaping (the ready sign with clock and wheels standing, in play,
// left through the question) and Glaze Selection (the required glaze, the dealt board, left
// likewise), each time back at the factory with the head-up display and the rate unchanged;
// then the game is left through the menus and the save file holds what the player did.
// Screenshots at still moments match stored pictures with the moving parts masked. The moments
// inside a game's first seconds (a ready sign, the first moment of play, the required glaze,
// the board) are reached with the framework's debug keys: F10 stops the game, each further F10
// runs one update and draws it; Shift+F10 lets it run again, and Ctrl+F10 slows it to a
// quarter, which keeps the Machine's first rows from entering it while the screenshots are
// taken on a loaded machine.
#include "game/shell/PlayerProfile.h"
#include "tests/desktop/GameOnX.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifdef GAME_TOOL

namespace {

namespace fs = std::filesystem;
using namespace xdesk;

std::string Keys(const std::string& key, int count)
{
    std::string keys = "--delay 30";
    for (int i = 0; i < count; ++i)
        keys += " " + key;
    return keys;
}

// With the game stopped in single steps: `from` updates at once (never more are run than keys
// pressed), then ten at a time until the screen shows the stored picture, so that no moment
// longer than ten updates is stepped over. With QUOR_UPDATE_GOLDEN, `at` updates and the
// picture is stored.
std::string StepTo(GameOnX& game, const std::string& golden, const std::vector<Mask>& masks, int from, int at)
{
    if (std::getenv("QUOR_UPDATE_GOLDEN") != nullptr) {
        game.Key(Keys("F10", at));
        return game.Still(golden, masks);
    }
    game.Key(Keys("F10", from));
    for (int run = from; run < 3 * at; run += 10) {
        if (game.Still(golden, masks, 5s).empty())
            return "";
        game.Key(Keys("F10", 10));
    }
    return game.Still(golden, masks, 5s);
}

// The parts of a masked rectangle around a picture drawn opaque over it.
std::vector<Mask> Around(const Mask& m, const Mask& over)
{
    std::vector<Mask> parts;
    const int top = std::clamp(over.y, m.y, m.y + m.h);
    const int bottom = std::clamp(over.y + over.h, m.y, m.y + m.h);
    const int left = std::clamp(over.x, m.x, m.x + m.w);
    const int right = std::clamp(over.x + over.w, m.x, m.x + m.w);
    parts.push_back({m.x, m.y, m.w, top - m.y});
    parts.push_back({m.x, bottom, m.w, m.y + m.h - bottom});
    parts.push_back({m.x, top, left - m.x, bottom - top});
    parts.push_back({right, top, m.x + m.w - right, bottom - top});
    return parts;
}

std::vector<Mask> Join(std::vector<Mask> a, const std::vector<Mask>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The moving parts of the screens on the way, and what is drawn over them.
const Mask kReadySign{312, 309, 400, 150};
const Mask kQuestion{302, 170, 420, 260};
const std::vector<Mask> kHud{kCalendarMask};
const std::vector<Mask> kEngland{{0, 0, 745, 612}, kCalendarMask};  // sky strip and scenery
const Mask kChute{559, 104, 288, 440};
const std::vector<Mask> kMachineRest{{950, 0, 74, 450}, {0, 630, 520, 138}};  // dust and fire, wheels
const std::vector<Mask> kMachine = Join({kChute}, kMachineRest);
const Mask kTiles{180, 250, 680, 240};
const std::vector<Mask> kShapingRest{{140, 25, 166, 164}, {220, 640, 570, 128}};  // clock, wheels
const Mask kBowls{470, 200, 330, 260};
const Mask kGlazeWheels{530, 480, 494, 288};

} // namespace

TEST(MiniGamesOnX, TheFactorysThreeGamesOpenedAndLeftByANewPlayer)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = MakeHome(dir);
    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());

    // A first start: a name, the profile, the game button; the tutorial's three pages clicked
    // through and skipped at the guide's first word.
    ASSERT_EQ(FirstStartToTheMainMenu(game), "");
    ASSERT_EQ(ThroughTheStoryPages(game), "") << game.ErrorOutput();
    game.Click(865, 244);
    ASSERT_EQ(game.Still("desktop/minigames/england.png", kEngland), "");

    // The factory; the chooser, England's recipes, the plate.
    game.Click(880, 470);
    ASSERT_EQ(game.Still("desktop/minigames/factory.png", kHud), "");
    game.Click(145, 378);
    ASSERT_EQ(game.Still("desktop/minigames/chooser.png", kHud), "");
    game.Click(305, 158);
    ASSERT_EQ(game.Still("desktop/minigames/plates.png", kHud), "");
    game.Click(319, 164);
    game.Move(700, 150);
    ASSERT_EQ(game.Still("desktop/minigames/factory-plate.png", kHud), "");
    game.Key("ctrl+alt+d");

    // The Production Machine: its ready sign at full size; in play (slowed down); the question,
    // Cancel; in play again; the question, OK: the factory, rate 0.
    game.Key("F10");
    game.Click(952, 312);
    EXPECT_EQ(StepTo(game, "desktop/minigames/machine-ready.png", Join(Around(kChute, kReadySign), kMachineRest), 60, 100), "");
    EXPECT_EQ(StepTo(game, "desktop/minigames/machine-play.png", kMachine, 200, 200), "");
    game.Key("ctrl+F10");
    game.Key("shift+F10");
    game.Click(955, 720);
    const std::vector<Mask> machineQuestion = Join(Around(kChute, kQuestion), kMachineRest);
    EXPECT_EQ(game.Still("desktop/minigames/machine-quit.png", machineQuestion), "");
    game.Click(577, 349);
    game.Move(700, 150);
    EXPECT_EQ(game.Still("desktop/minigames/machine-play-on.png", kMachine), "");
    game.Click(955, 720);
    EXPECT_EQ(game.Still("desktop/minigames/machine-quit.png", machineQuestion), "");
    game.Click(445, 349);
    game.Key("ctrl+F10");
    game.Move(700, 150);
    EXPECT_EQ(game.Still("desktop/minigames/factory-plate.png", kHud), "");

    // Refine Shaping: the ready sign over clock and wheels that stand; in play; the question, OK.
    game.Key("F10");
    game.Click(500, 350);
    EXPECT_EQ(StepTo(game, "desktop/minigames/shaping-ready.png", Around(kTiles, kReadySign), 60, 100), "");
    EXPECT_EQ(StepTo(game, "desktop/minigames/shaping-play.png", Join({kTiles}, kShapingRest), 200, 200), "");
    game.Key("shift+F10");
    game.Click(955, 720);
    EXPECT_EQ(game.Still("desktop/minigames/shaping-quit.png", Join(Around(kTiles, kQuestion), kShapingRest)), "");
    game.Click(445, 349);
    game.Move(700, 150);
    EXPECT_EQ(game.Still("desktop/minigames/factory-plate.png", kHud), "");

    // Glaze Selection: glaze 22 shown at full size; the board dealt and the memory line gone;
    // the question, OK.
    game.Key("F10");
    game.Click(320, 300);
    EXPECT_EQ(StepTo(game, "desktop/minigames/glaze-required.png", {kGlazeWheels}, 290, 350), "");
    EXPECT_EQ(StepTo(game, "desktop/minigames/glaze-board.png", {kBowls, kGlazeWheels}, 420, 450), "");
    game.Key("shift+F10");
    game.Click(955, 720);
    EXPECT_EQ(game.Still("desktop/minigames/glaze-quit.png", Join(Around(kBowls, kQuestion), {kGlazeWheels})), "");
    game.Click(445, 349);
    game.Move(700, 150);
    EXPECT_EQ(game.Still("desktop/minigames/factory-plate.png", kHud), "");

    // The main menu through the game's menu question, and out through the quit question.
    game.Click(940, 695);
    EXPECT_EQ(game.Still("desktop/minigames/to-menu.png", kHud), "");
    game.Click(445, 349);
    game.Move(600, 400);
    EXPECT_EQ(game.Still("desktop/tutorial/menu.png"), "");
    game.Click(952, 696);
    EXPECT_EQ(game.Still("desktop/tutorial/menu_quit.png"), "");
    game.Click(445, 349);
    EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();

    // The skip's money and flags, the plate in England's factory, and its record as it was made:
    // no game changed the rate or a rating.
    Quor::PlayerProfile saved;
    ASSERT_TRUE(ReadSlot0(home, saved));
    EXPECT_EQ(saved.name, "Ada");
    EXPECT_EQ(saved.tutorialStep, Quor::TutorialFinished);
    EXPECT_EQ(saved.money, 10000);
    EXPECT_TRUE(saved.miniGameOpen1 && saved.miniGameOpen2);
    ASSERT_EQ(saved.factories.count(0), 1u);
    EXPECT_EQ(saved.factories[0].productId, 1);
    const Quor::ProductionRecord* record = saved.FindProductRecord(1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(*record, (Quor::ProductionRecord{0, 1, 1, 1, 0}));
}

#endif
