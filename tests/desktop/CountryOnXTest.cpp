// The country screen on the sample content under Xvfb, one short program per country: a player
// past the tutorial, saved in that country, presses the main menu's game button; the country
// shows after its fade-in, then with the mission house pointed at. The screens match the stored
// pictures with the sky strip and the scenery masked (the name bar and the place buttons left
// in). Closing the window ends the program with status 0 and leaves the save file as it was.
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

const char* const kCountryNames[8] = {"england", "germany", "japan", "india", "france", "china", "russia", "usa"};

// The pointer on the main menu: in the middle on a start, where the menu run's last click was.
const std::vector<Mask> kPointer = {{508, 380, 20, 26}, {744, 439, 20, 26}};

class CountryOnX : public ::testing::TestWithParam<int> {};

TEST_P(CountryOnX, ArrivesAfterTheFadeInAndMarksTheMissionHouseUnderThePointer)
{
    SKIP_WITHOUT_X_TOOLS();
    const int country = GetParam();
    const std::string name = kCountryNames[country];
    Quor::PlayerProfile player;
    player.name = "Ada";
    player.tutorialStep = Quor::TutorialFinished;
    player.money = 5000;
    player.day = 12;
    player.country = country;
    player.countries[0] = true;
    player.countries[country] = true;
    quortest::TempDir dir;
    const std::string home = MakeHome(dir);
    WriteProfiles(home, player);
    const std::vector<uint8_t> saved = Slot0Bytes(home);
    ASSERT_FALSE(saved.empty());

    const std::vector<Mask> masks = CountryViewMasks("desktop/country/" + name + "_moving.png");
    {
        GameOnX game(GAME_TOOL, GameFolder(), home);
        ASSERT_TRUE(game.Up());
        // The main menu of the menu run, the same name, the pointer left out.
        EXPECT_EQ(game.Still("desktop/menus/main.png", kPointer, 300s), "") << game.ErrorOutput();
        game.Click(85, 696);
        EXPECT_EQ(game.Still("desktop/country/" + name + ".png", masks), "") << game.ErrorOutput();
        game.Move(580, 400);
        EXPECT_EQ(game.Still("desktop/country/" + name + "_mission.png", masks), "");
        game.Key("alt+F4");
        EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
    }
    EXPECT_EQ(Slot0Bytes(home), saved);
}

INSTANTIATE_TEST_SUITE_P(Countries, CountryOnX, ::testing::Range(0, 8),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(kCountryNames[info.param]); });

} // namespace

#endif
