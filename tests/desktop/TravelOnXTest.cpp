// The world map and the company identity on the sample content under Xvfb, driven with the
// mouse and the keyboard. A player past the tutorial, in England with $500 and Germany and China
// released, goes to the travel office, points at Germany, clicks India (not released: nothing
// happens), travels to China by ship, comes back to the map and leaves it by China's own button,
// tries England (the money box, OK), then leaves through the menu question; the save file then
// holds China, five more days and $150. A developer picks a company identity from the main menu
// and the save file holds it. Screenshots at the still moments match the stored pictures
// (tests/data/desktop/travel); the country screens' scenery is left out as the trip through
// the eight countries stored it.
#include "game/shell/PlayerProfile.h"
#include "tests/desktop/GameOnX.h"
#include "tests/desktop/SceneryData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifdef GAME_TOOL
namespace {

namespace fs = std::filesystem;
using namespace xdesk;

const std::string kFolder = "desktop/travel/";

constexpr int kTravelX = 820;  // the travel office, in every country
constexpr int kTravelY = 320;

// Waits for a country's screen: the bar, then the screen standing still but for its scenery.
::testing::AssertionResult CountryShows(GameOnX& game, int country, const std::string& picture, int mouseX, int mouseY)
{
    const std::string bar = game.WaitFor(kSceneryFolder + "bar.png", BarOnly());
    if (!bar.empty())
        return ::testing::AssertionFailure() << "no bar: " << bar << game.ErrorOutput();
    const SceneryData scenery = ReadSceneryData(quortest::DataFile(kSceneryData));
    const auto boxes = scenery.masks.find(country);
    if (boxes == scenery.masks.end())
        return ::testing::AssertionFailure() << "no scenery boxes stored for country " << country;
    std::vector<Mask> masks = boxes->second;
    masks.push_back(Pointer(mouseX, mouseY));
    const std::string still = game.Still(kFolder + picture, masks);
    if (!still.empty())
        return ::testing::AssertionFailure() << still;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(TravelOnX, ToChinaByShipBackForFreeTheMoneyBoxAndTheSaveFile)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = MakeHome(dir);
    Quor::PlayerProfile player;
    player.name = "Mira";
    player.tutorialStep = Quor::TutorialFinished;
    player.money = 500;
    player.day = 10;
    player.country = 0;
    for (int country = 0; country < 8; ++country)
        player.countries[country] = country == 0 || country == 1 || country == 5;
    player.recipes[1] = true;
    WriteProfiles(home, player);
    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());
    // As the trip through the eight countries compares (its bar picture is used here).
    game.CompareAtSixteenBits();

    ASSERT_EQ(game.Still(kFolder + "main-menu.png", {}, 300s), "") << game.ErrorOutput();
    game.Click(85, 696);  // the game
    ASSERT_TRUE(game.Changed());
    ASSERT_TRUE(CountryShows(game, 0, "england.png", 85, 696));

    // The travel office; Germany pointed at: its ticket and days.
    game.Click(kTravelX, kTravelY);
    ASSERT_TRUE(game.Settle()) << game.ErrorOutput();
    game.Move(563, 240);
    EXPECT_EQ(game.Still(kFolder + "hover-germany.png"), "") << game.ErrorOutput();
    // India is not released: its button does nothing.
    game.Click(717, 397);
    EXPECT_EQ(game.Still(kFolder + "india-refused.png"), "");

    // China by ship: the animation, then China's screen with $150.
    game.Click(763, 293);
    ASSERT_TRUE(game.Changed());
    ASSERT_TRUE(CountryShows(game, 5, "china.png", 763, 293));

    // The map again; China's own button goes back for free.
    game.Click(kTravelX, kTravelY);
    ASSERT_TRUE(game.Settle()) << game.ErrorOutput();
    game.Click(763, 293);
    ASSERT_TRUE(game.Changed());
    ASSERT_TRUE(CountryShows(game, 5, "china.png", 763, 293));

    // England by ship with $150: the money box and its OK.
    game.Click(kTravelX, kTravelY);
    ASSERT_TRUE(game.Settle()) << game.ErrorOutput();
    game.Click(469, 230);
    EXPECT_EQ(game.Still(kFolder + "money-box.png"), "");
    game.Click(512, 400);
    EXPECT_EQ(game.Still(kFolder + "after-the-box.png"), "");

    // The menu question, yes: the game is saved on the way to the main menu.
    game.Click(70, 35);
    EXPECT_EQ(game.Still(kFolder + "menu-question.png"), "");
    game.Click(446, 350);
    Quor::PlayerProfile saved;
    ASSERT_TRUE(Eventually([&] { return ReadSlot0(home, saved) && saved.country == 5; }, 60s)) << game.ErrorOutput();
    EXPECT_EQ(saved.day, 15);
    EXPECT_EQ(saved.money, 150);
    game.End();
    EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
}

// A developer's profile with no company name: the main menu's "BluePrint Editor", the next logo
// twice, the next icon, font 3, colour 2, "Potters1" typed and the last character taken back;
// OK brings the main menu back and the save file holds the choices.
TEST(TravelOnX, TheCompanyIdentityIsChosenAndSaved)
{
    SKIP_WITHOUT_X_TOOLS();
    quortest::TempDir dir;
    const std::string home = MakeHome(dir);
    Quor::PlayerProfile player;
    player.name = "Mira";
    player.tutorialStep = Quor::TutorialFinished;
    player.money = 500;
    player.DeveloperFlag = true;
    player.logo.companyName.clear();
    player.countries[0] = true;
    WriteProfiles(home, player);
    GameOnX game(GAME_TOOL, GameFolder(), home);
    ASSERT_TRUE(game.Up());

    ASSERT_EQ(game.Still(kFolder + "main-menu-developer.png", {}, 300s), "") << game.ErrorOutput();
    game.Click(750, 152);
    EXPECT_EQ(game.Still(kFolder + "company-before.png"), "") << game.ErrorOutput();
    for (int i = 0; i < 2; ++i)
        game.Click(367, 280);  // next logo
    game.Click(545, 280);      // next icon
    for (int i = 0; i < 3; ++i)
        game.Click(705, 305);  // next font
    game.Click(658, 352);      // colour 2
    game.Click(686, 230);      // the name field
    game.Type("Potters1");
    game.Key("BackSpace");
    game.Move(600, 600);
    EXPECT_EQ(game.Still(kFolder + "company-after.png"), "");
    game.Click(512, 550);  // OK
    EXPECT_EQ(game.Still(kFolder + "main-menu-after.png"), "") << game.ErrorOutput();

    Quor::PlayerProfile saved;
    ASSERT_TRUE(Eventually([&] { return ReadSlot0(home, saved) && saved.logo.logoIndex == 2; }, 60s)) << game.ErrorOutput();
    EXPECT_EQ(saved.logo.secondIndex, 1);
    EXPECT_EQ(saved.logo.fontIndex, 3);
    EXPECT_EQ(saved.logo.fontName, "FONT_S14");
    EXPECT_EQ(saved.logo.colorIndex, 2);
    EXPECT_EQ((std::vector<int>{saved.logo.red, saved.logo.green, saved.logo.blue}), (std::vector<int>{255, 239, 24}));
    EXPECT_EQ(saved.logo.companyName, "Potters");
    game.End();
    EXPECT_EQ(game.WaitForExit(), 0) << game.ErrorOutput();
}
#endif
