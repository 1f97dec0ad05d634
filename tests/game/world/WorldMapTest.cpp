// The travel office in the game screen, with its own country screen and stand-ins for the
// head-up display, the dialog and the tutorial: the travel matrix, the buttons the map makes,
// pointing at a country, trips by train, ship and plane from the press to the destination's
// country screen, the money box, the free way back, the menu question, the travel animation's
// timers, sounds and pictures, and the map and the animations drawn on a memory screen.
#include "tests/game/world/WorldFixture.h"

#include "game/shell/AmbientSoundCues.h"
#include "game/shell/EffectList.h"
#include "game/shell/PopupQuit.h"
#include "game/world/CountryMap.h"
#include "game/world/WorldMap.h"
#include "game/world/WorldTravel.h"
#include "tests/support/GoldenImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace Quor;

namespace {

using namespace worldtest;

enum { ENGLAND = 0, GERMANY = 1, JAPAN = 2, INDIA = 3, FRANCE = 4, CHINA = 5, RUSSIA = 6, USA = 7 };
const char* const kNames[8] = {"England", "Germany", "Japan", "India", "France", "China", "Russia", "USA"};

std::vector<uint8_t> Solid(int w, int h, uint32_t colour)
{
    return quortest::PngBytes(w, h, [colour](int, int) { return colour; });
}

// A picture of cels side by side, each its own shade, with a dark frame so that movers show.
std::vector<uint8_t> Cels(int w, int h, int columns, uint32_t base)
{
    const int cel = w / columns;
    return quortest::PngBytes(w, h, [=](int x, int y) {
        const int c = x / cel;
        if (x % cel < 2 || y < 2 || y >= h - 2)
            return 0xFF202020u;
        return base + uint32_t(c * 0x000A0A00);
    });
}

class WorldMapTest : public WorldTest {
protected:
    // Eight countries of five places each; the player in a country with money and the
    // released countries given; no tutorial.
    void StartWorld(int country, int money, std::set<int> released)
    {
        Start();
        // The sound effects get their own ids.
        ASSERT_TRUE(app->resourceManager->LoadResources("Sound") && BindSoundResources(app->resourceManager));
        app->countryMapTable.clear();
        for (int i = 0; i < 8; ++i) {
            CountryMapRecord r;
            r.Id = i;
            r.Name = kNames[i];
            r.placePos = {{0, {100, 400}}, {1, {300, 420}}, {2, {500, 380}}, {3, {700, 450}}, {4, {850, 300}}};
            app->countryMapTable[i] = r;
        }
        Profile().countries.clear();
        for (int i = 0; i < 8; ++i)
            Profile().countries[i] = released.count(i) > 0;
        Profile().country = country;
        Profile().money = money;
        Profile().tutorialStep = TutorialFinished;
    }
    // The game screen with its own country screen and world map, stand-ins for the rest.
    StandInPhase* EnterGame()
    {
        return Enter(new StandInPhase(app.get(), &record, {PANEL_COUNTRY_MAP, PANEL_WORLD_MAP, PANEL_YES_NO}));
    }
    // The travel office of the country screen, and the map after the country's fade-out.
    WorldMap* OpenMap(GamePhase* phase)
    {
        TickOnce();
        CountryMap* country = CountryOf(phase);
        for (ButtonWidget* button : country->mPlaceButtons)
            if (button->mId == CountryMap::PLACE_TRAVEL)
                Click(button);
        TickOnce();
        auto* map = dynamic_cast<WorldMap*>(phase->mPanels[PANEL_WORLD_MAP]);
        EXPECT_NE(map, nullptr);
        TickOnce();  // the map's fade-in
        return map;
    }
    static CountryMap* CountryOf(GamePhase* phase) { return dynamic_cast<CountryMap*>(phase->mPanels[PANEL_COUNTRY_MAP]); }
    void TickOnce()
    {
        mCount += 2;
        UpdateAt(mCount);
    }
    // Ticks until the travel animation is gone; the number of ticks.
    int TicksToTheEnd(WorldMap* map)
    {
        int ticks = 0;
        while (map->mTravel != nullptr && ticks < 1000) {
            TickOnce();
            ++ticks;
        }
        return ticks;
    }
    bool InTree(GamePhase* phase, Widget* w) { return phase->HasWidget(w); }
    // Writes a picture below the current folder (the pictures loaded by their path).
    void WriteLoose(const std::string& path, const std::vector<uint8_t>& png)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        quortest::WriteFile(path, png);
    }
    // Pictures of the travel animations, of the sizes the sample content gives them.
    void WriteTravelPictures()
    {
        WriteLoose("images/travel/fx_train.png", Cels(400, 120, 1, 0xFF806040u));
        WriteLoose("images/travel/fx_train2.png", Cels(1080, 90, 9, 0xFF906050u));
        WriteLoose("images/travel/fx_train3.png", Solid(300, 10, 0xC0E0E0F0u));
        WriteLoose("images/travel/fx_train4.png", Cels(800, 150, 4, 0xFF405060u));
        WriteLoose("images/travel/fx_ship.png", Cels(6000, 160, 25, 0xFF304080u));
        WriteLoose("images/travel/fx_ship2.png", Cels(4800, 150, 24, 0xFF306070u));
        WriteLoose("images/travel/fx_plane_1.png", Cels(300, 120, 1, 0xFFA0A0B0u));
        WriteLoose("images/travel/fx_plane_2.png", Solid(300, 10, 0xC0F0F0F0u));
        WriteLoose("images/travel/fx_plane_3.png", Solid(300, 10, 0xC0D0D0E0u));
    }
    size_t Count(int sample) const { return size_t(std::count(app->samples.begin(), app->samples.end(), sample)); }

    int mCount = 0;
};

// The distance between the buttons (truncated) and the mode, rows from, columns to.
struct Leg {
    int distance;
    int mode;
};
const Leg kMatrix[8][8] = {
    {{0, 0}, {94, 1}, {415, 5}, {298, 1}, {89, 1}, {300, 5}, {251, 1}, {259, 1}},
    {{94, 1}, {0, 0}, {321, 5}, {219, 1}, {99, 1}, {206, 1}, {159, 1}, {350, 5}},
    {{415, 5}, {321, 5}, {0, 0}, {192, 1}, {383, 5}, {117, 1}, {180, 1}, {665, 2}},
    {{298, 1}, {219, 1}, {192, 1}, {0, 0}, {234, 1}, {113, 1}, {187, 1}, {514, 2}},
    {{89, 1}, {99, 1}, {383, 5}, {234, 1}, {0, 0}, {266, 1}, {246, 1}, {283, 1}},
    {{300, 5}, {206, 1}, {117, 1}, {113, 1}, {266, 1}, {0, 0}, {93, 1}, {548, 2}},
    {{251, 1}, {159, 1}, {180, 1}, {187, 1}, {246, 1}, {93, 1}, {0, 0}, {510, 2}},
    {{259, 1}, {350, 5}, {665, 2}, {514, 2}, {283, 1}, {548, 2}, {510, 2}, {0, 0}},
};

TEST(WorldMapMatrix, EveryPairOfCountriesGetsTheModeOfItsDistance)
{
    for (int from = 0; from < 8; ++from) {
        for (int to = 0; to < 8; ++to) {
            if (from == to)
                continue;
            const auto& a = WorldMap::kCountryPositions[from];
            const auto& b = WorldMap::kCountryPositions[to];
            const double dx = b.x - a.x;
            const double dy = b.y - a.y;
            EXPECT_EQ(int(std::sqrt(dx * dx + dy * dy)), kMatrix[from][to].distance) << from << " -> " << to;
            EXPECT_EQ(WorldMap::TravelModeBetween(from, to), kMatrix[from][to].mode) << from << " -> " << to;
        }
    }
    // Tickets; a plane trip is dearer but shorter than a ship trip.
    EXPECT_EQ(WorldMap::TicketPrice(1), 150);
    EXPECT_EQ(WorldMap::TicketPrice(5), 350);
    EXPECT_EQ(WorldMap::TicketPrice(2), 1000);
    for (int other : {0, 3, -1, 6})
        EXPECT_EQ(WorldMap::TicketPrice(other), 0) << other;
}

TEST_F(WorldMapTest, TheTravelOfficeOpensTheMapWithItsMusicButtonsAndTravelModes)
{
    mPictures["GM_BTN_C_1"] = Solid(60, 40, 0xFF2060A0u);
    mPictures["GM_BTN_C_1_O"] = Solid(70, 50, 0xFF60A0E0u);
    StartWorld(ENGLAND, 1000, {ENGLAND, GERMANY, CHINA});
    Profile().countries.erase(RUSSIA);  // no entry at all: not released, and none is added
    StandInPhase* phase = EnterGame();
    app->music->loads.clear();
    WorldMap* map = OpenMap(phase);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(app->music->loads, std::vector<std::string>{"0 music/worldmap.ogg"});
    EXPECT_NE(GW_BG, nullptr);
    EXPECT_EQ(map->mFadeAlpha, 255);
    EXPECT_TRUE(CountryOf(phase)->mBusy);

    ASSERT_EQ(map->mCountryButtons.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        ButtonWidget* button = map->mCountryButtons[size_t(i)];
        const bool released = i == ENGLAND || i == GERMANY || i == CHINA;
        EXPECT_EQ(button->mId, i);
        EXPECT_EQ(button->mDisabled, !released) << i;
        EXPECT_EQ(button->mDisabledImage, GM_BTN_C_D);
        EXPECT_TRUE(InTree(phase, button)) << i;
        const int w = i == GERMANY ? 70 : 8;  // sized to the mouse-over picture
        const int h = i == GERMANY ? 50 : 4;
        EXPECT_EQ(button->GetRect(), Rect(WorldMap::kCountryPositions[i].x, WorldMap::kCountryPositions[i].y, w, h)) << i;
        EXPECT_EQ(map->mTravelMode[i], kMatrix[ENGLAND][i].mode) << i;
    }
    EXPECT_EQ(Profile().countries.count(RUSSIA), 0u);
    EXPECT_EQ(map->mMenuButton->GetRect(), Rect(10, 15, 8, 4));
    EXPECT_EQ(map->mBackButton->GetRect(), Rect(1024 - 8 - 10, 10, 8, 4));
    EXPECT_TRUE(InTree(phase, map->mMenuButton) && InTree(phase, map->mBackButton));
    EXPECT_FALSE(InTree(phase, map->mOkButton) || InTree(phase, map->mBlocker));

    // Pointing at Germany; a click on India (not released) does nothing.
    app->samples.clear();
    app->mWidgetManager->MouseMove(530, 210);
    EXPECT_EQ(map->mHoveredCountry, GERMANY);
    EXPECT_EQ(app->samples, std::vector<int>{SE_UI_OVER});
    app->mWidgetManager->MouseMove(5, 700);
    EXPECT_EQ(map->mHoveredCountry, -1);
    Click(map->mCountryButtons[INDIA]);
    EXPECT_EQ(map->mTravel, nullptr);
    EXPECT_EQ(Profile().money, 1000);
    EXPECT_EQ(Count(SE_UI_CLICK), 0u);
}

struct Trip {
    int from;
    int to;
    int mode;
    int ticket;
    // Ticks from the press to the end of the animation: one past the trip's time, as the timer
    // counts down in steps of 0.02 s, which do not add up to it exactly.
    int ticks;
    int effects;        // movers and timers with every picture loaded
    std::vector<const int*> sounds;  // after the click (the ids are bound later)
};

class WorldTripTest : public WorldMapTest, public ::testing::WithParamInterface<Trip> {};

TEST_P(WorldTripTest, PaysPassesItsDaysPlaysItsAnimationAndShowsTheDestination)
{
    const Trip& trip = GetParam();
    StartWorld(trip.from, trip.ticket + 7, {trip.from, trip.to});
    WriteTravelPictures();
    StandInPhase* phase = EnterGame();
    phase->ShowPanel(PANEL_TUTOR, 0);  // the stand-in hears the button first
    WorldMap* map = OpenMap(phase);
    ASSERT_NE(map, nullptr);
    const int day = Profile().day;
    record.trace.clear();
    record.unlockDays.clear();
    app->samples.clear();

    std::srand(4242);
    Click(map->mCountryButtons[size_t(trip.to)]);
    // The days pass at once, each with its two draws, quest check and status refresh.
    std::srand(4242);
    Trace days{"tutor " + std::to_string(trip.to)};
    std::vector<int> checkDays;  // each check comes after its day
    double buy = 0;
    double sell = 0;
    for (int d = 1; d <= trip.mode; ++d) {
        buy = 0.9 + (std::rand() % 200) / 1000.0;
        sell = 0.9 + (std::rand() % 200) / 1000.0;
        days.push_back("unlocks -1");
        days.push_back("factory status");
        checkDays.push_back(day + d);
    }
    EXPECT_EQ(record.trace, days);
    EXPECT_EQ(record.unlockDays, checkDays);
    EXPECT_EQ(Profile().day, day + trip.mode);
    EXPECT_DOUBLE_EQ(Profile().buyFactor, buy);
    EXPECT_DOUBLE_EQ(Profile().sellFactor, sell);
    EXPECT_EQ(Profile().money, 7);
    std::vector<int> sounds{SE_UI_OVER, SE_UI_CLICK};
    for (const int* sound : trip.sounds)
        sounds.push_back(*sound);
    EXPECT_EQ(app->samples, sounds);

    ASSERT_NE(map->mTravel, nullptr);
    EXPECT_EQ(map->mTravel->mEffects->mEffects.size(), size_t(trip.effects));
    EXPECT_TRUE(map->IsTravelRunning());
    for (ButtonWidget* button : map->mCountryButtons)
        EXPECT_FALSE(InTree(phase, button));
    EXPECT_FALSE(InTree(phase, map->mMenuButton) || InTree(phase, map->mBackButton));

    EXPECT_EQ(TicksToTheEnd(map), trip.ticks);
    // The map closed on the same tick; the destination's country screen is back.
    EXPECT_EQ(phase->mPanels[PANEL_WORLD_MAP], nullptr);
    CountryMap* country = CountryOf(phase);
    EXPECT_EQ(country->mCountry, trip.to);
    EXPECT_EQ(Profile().country, trip.to);
    EXPECT_FALSE(country->mBusy);
    EXPECT_EQ(country->mFadeAlpha, 254);
    TickOnce();  // frees the map
}

INSTANTIATE_TEST_SUITE_P(
    ByMode, WorldTripTest,
    ::testing::Values(Trip{ENGLAND, GERMANY, 1, 150, 301, 6, {&SE_MAP_TRAIN2, &SE_MAP_TRAIN1, &SE_MAP_TRAIN2}},
                      Trip{ENGLAND, CHINA, 5, 350, 351, 2, {&SE_MAP_SHIP1, &SE_MAP_SHIP2}},
                      Trip{USA, JAPAN, 2, 1000, 401, 4, {&SE_MAP_PLANE}}));

TEST_F(WorldMapTest, TheTrainsSecondPictureAndItsCueFollowTheirTimers)
{
    StartWorld(ENGLAND, 1000, {ENGLAND, FRANCE});
    WriteTravelPictures();
    StandInPhase* phase = EnterGame();
    WorldMap* map = OpenMap(phase);
    std::srand(99);
    Click(map->mCountryButtons[FRANCE]);
    std::srand(99);
    std::rand();  // France by train: one day, two draws
    std::rand();
    const double firstCountdown = 0.5 + (std::rand() % 600) / 100.0;
    WorldTravel* travel = map->mTravel;
    ASSERT_NE(travel, nullptr);
    ASSERT_EQ(travel->mSounds->GetCues().size(), 1u);
    const AmbientSoundCue& cue = *travel->mSounds->GetCues().begin()->second;
    EXPECT_DOUBLE_EQ(cue.mCountdown, firstCountdown);
    EXPECT_EQ(cue.mSoundId, SE_MAP_TRAIN2);
    EXPECT_DOUBLE_EQ(cue.mLife, 6.0);
    EXPECT_DOUBLE_EQ(cue.mInterval, 0.5);
    EXPECT_DOUBLE_EQ(cue.mSpread, 6.0);
    EXPECT_TRUE(cue.mRandom);

    int ticks = 0;
    while (!travel->mTrainArrived && ticks < 100) {
        TickOnce();
        ++ticks;
    }
    EXPECT_EQ(ticks, 25);  // 0.5 s
    EXPECT_EQ(travel->mAlpha, 255);
    const size_t trainSounds = Count(SE_MAP_TRAIN2);
    for (int i = 0; i < 300 && map->mTravel != nullptr; ++i)
        TickOnce();
    // The cue played again whenever its countdown ran out during its life.
    EXPECT_GT(Count(SE_MAP_TRAIN2), trainSounds);
    EXPECT_EQ(map->mTravel, nullptr);
}

TEST_F(WorldMapTest, WithoutItsPicturesATripStillEndsOnTime)
{
    StartWorld(ENGLAND, 5000, {ENGLAND, CHINA, USA, GERMANY});
    StandInPhase* phase = EnterGame();
    WorldMap* map = OpenMap(phase);
    Click(map->mCountryButtons[CHINA]);
    ASSERT_NE(map->mTravel, nullptr);
    for (Image* image : map->mTravel->mImages)
        EXPECT_EQ(image, nullptr);
    EXPECT_EQ(map->mTravel->mEffects->mEffects.size(), 1u);  // the end timer only
    Redraw(phase);
    EXPECT_EQ(TicksToTheEnd(map), 351);
    EXPECT_EQ(Profile().country, CHINA);
}

TEST_F(WorldMapTest, TooLittleMoneyShowsTheBoxThatBlocksTheMapUntilOk)
{
    StartWorld(ENGLAND, 349, {ENGLAND, CHINA});
    StandInPhase* phase = EnterGame();
    phase->ShowPanel(PANEL_TUTOR, 0);
    WorldMap* map = OpenMap(phase);
    const PlayerProfile before = Profile();
    record.trace.clear();
    Click(map->mCountryButtons[CHINA]);
    EXPECT_TRUE(map->mHintShown);
    EXPECT_EQ(map->mHintText, "Sorry, you don't have enough money. Please sell some dinnerware first.");
    EXPECT_EQ(Profile(), before);
    EXPECT_EQ(record.trace, Trace{"tutor 5"});
    EXPECT_EQ(map->mTravel, nullptr);
    // The blocker and OK lie above the country buttons.
    auto& children = phase->mWidgets;
    auto at = [&](Widget* w) { return std::distance(children.begin(), std::find(children.begin(), children.end(), w)); };
    EXPECT_GT(at(map->mBlocker), at(map->mCountryButtons[CHINA]));
    EXPECT_GT(at(map->mOkButton), at(map->mBlocker));
    EXPECT_EQ(map->mOkButton->GetRect().mY, 380);

    Click(map->mCountryButtons[CHINA]);  // taken by the blocker
    EXPECT_EQ(record.trace, Trace{"tutor 5"});
    Click(map->mOkButton);
    EXPECT_FALSE(map->mHintShown);
    EXPECT_TRUE(map->mHintText.empty());
    EXPECT_FALSE(InTree(phase, map->mOkButton) || InTree(phase, map->mBlocker));
    EXPECT_EQ(record.trace, (Trace{"tutor 5", "tutor 10009"}));

    // Money equal to the ticket is enough, and none is left.
    Profile().money = 350;
    Click(map->mCountryButtons[CHINA]);
    EXPECT_NE(map->mTravel, nullptr);
    EXPECT_EQ(Profile().money, 0);
}

class WorldMapBackTest : public WorldMapTest, public ::testing::WithParamInterface<int> {};

TEST_P(WorldMapBackTest, BackAndTheCurrentCountryLeaveForFree)
{
    StartWorld(GERMANY, 500, {ENGLAND, GERMANY});
    StandInPhase* phase = EnterGame();
    WorldMap* map = OpenMap(phase);
    const PlayerProfile before = Profile();
    Click(GetParam() == GERMANY ? map->mCountryButtons[GERMANY] : map->mBackButton);
    EXPECT_EQ(map->mTravel, nullptr);
    EXPECT_EQ(map->mDestination, GERMANY);
    EXPECT_FALSE(InTree(phase, map->mBackButton) || InTree(phase, map->mCountryButtons[ENGLAND]));
    TickOnce();
    EXPECT_EQ(phase->mPanels[PANEL_WORLD_MAP], nullptr);
    EXPECT_EQ(Profile(), before);
    EXPECT_FALSE(CountryOf(phase)->mBusy);
    EXPECT_EQ(CountryOf(phase)->mCountry, GERMANY);
    TickOnce();
}

INSTANTIATE_TEST_SUITE_P(Ways, WorldMapBackTest, ::testing::Values(int(WorldMap::ID_BACK), int(GERMANY)));

TEST_F(WorldMapTest, TheMenuButtonAsksToLeaveTheGame)
{
    StartWorld(ENGLAND, 500, {ENGLAND});
    StandInPhase* phase = EnterGame();
    WorldMap* map = OpenMap(phase);
    Click(map->mMenuButton);
    auto* quit = dynamic_cast<PopupQuit*>(app->screens[SCREEN_QUIT]);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->mMode, 2);
    EXPECT_EQ(quit->GetRect(), Rect(0, 0, app->mWidth, app->mHeight));
    EXPECT_EQ(phase->mPanels[PANEL_WORLD_MAP], map);
    app->RemoveScreen(SCREEN_QUIT);
}

TEST_F(WorldMapTest, ClickedBeforeItsFadeInEndedTheMapStillCloses)
{
    StartWorld(ENGLAND, 500, {ENGLAND});
    StandInPhase* phase = EnterGame();
    TickOnce();
    phase->ShowPanel(PANEL_WORLD_MAP, 0);
    auto* map = dynamic_cast<WorldMap*>(phase->mPanels[PANEL_WORLD_MAP]);
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(map->mFadingIn);
    Click(map->mBackButton);
    TickOnce();
    EXPECT_EQ(phase->mPanels[PANEL_WORLD_MAP], nullptr);
}

// Pictures of their own for the map, its buttons, the box and the icons.
class WorldMapPicturesTest : public WorldMapTest {
protected:
    void SetUp() override
    {
        WorldMapTest::SetUp();
        mPictures["GW_BG"] = quortest::PngBytes(1024, 768, [](int x, int y) {
            return (x / 64 + y / 64) % 2 ? 0xFF2E5A7Au : 0xFF3C7090u;
        });
        for (int i = 0; i < 8; ++i) {
            const uint32_t shade = 0xFF000000u | uint32_t(0x30 + i * 0x18) << 16 | 0x8040u;
            mPictures["GM_BTN_C_" + std::to_string(i)] = Solid(44, 44, shade);
            mPictures["GM_BTN_C_" + std::to_string(i) + "_O"] = quortest::PngBytes(48, 48, [shade](int x, int y) {
                return x < 3 || y < 3 || x >= 45 || y >= 45 ? 0xFFFFFFFFu : shade;
            });
        }
        mPictures["GM_BTN_C_D"] = Solid(44, 44, 0xFF606060u);
        mPictures["GM_HINT_BG"] = Solid(400, 270, 0xFFD8C8A0u);
        mPictures["GM_FS_FAC_NORMAL"] = Solid(30, 20, 0xFF20C040u);
        mPictures["GM_FS_FAC_ERROR"] = Solid(30, 20, 0xFFD03020u);
        mPictures["BTN_MENU"] = Solid(120, 40, 0xFF8050A0u);
        mPictures["BTN_BACK3"] = Solid(112, 40, 0xFFA08050u);
        mPictures["BTN_OK2"] = Solid(112, 40, 0xFF30A040u);
    }
    void Check(const std::string& name, GamePhase* phase)
    {
        record.unseen = true;
        phase->mDirty = true;
        std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("world/" + name + ".png"), px, 1024, 768), "")
            << name;
    }
};

TEST_F(WorldMapPicturesTest, TheMapTheBoxAndTheTwoAnimationsDrawAsStored)
{
    StartWorld(ENGLAND, 200, {ENGLAND, GERMANY, CHINA, FRANCE});
    WriteTravelPictures();
    for (int i : {USA, CHINA})
        Profile().factories[i] = FactoryState{i, -1, true, false};
    Profile().factories[JAPAN] = FactoryState{JAPAN, -1, false, true};  // for sale: no icon
    record.factoryColumns[3] = 1;  // the USA ready, China not
    record.factoryColumns[2] = 2;
    app->countryMapTable[GERMANY].Name = "ABBA BAB";  // the fixture's font has A and B only
    StandInPhase* phase = EnterGame();
    WorldMap* map = OpenMap(phase);
    app->mWidgetManager->MouseMove(540, 220);
    ASSERT_EQ(map->mHoveredCountry, GERMANY);
    Check("worldmap_hover", phase);

    Click(map->mCountryButtons[CHINA]);  // $350 of 200: the box
    ASSERT_TRUE(map->mHintShown);
    Check("worldmap_money", phase);
    Click(map->mOkButton);

    Click(map->mCountryButtons[FRANCE]);  // by train
    for (int i = 0; i < 50; ++i)
        TickOnce();
    Check("travel_train_1s", phase);
    for (int i = 0; i < 300 && map->mTravel; ++i)
        TickOnce();
    TickOnce();

    Profile().money = 1000;
    map = OpenMap(phase);
    Click(map->mCountryButtons[ENGLAND]);  // France to England by train; then a ship to China
    for (int i = 0; i < 310 && phase->mPanels[PANEL_WORLD_MAP]; ++i)
        TickOnce();
    TickOnce();
    map = OpenMap(phase);
    Click(map->mCountryButtons[CHINA]);
    ASSERT_EQ(map->mTravel->mMode, WorldTravel::MODE_SHIP);
    for (int i = 0; i < 175; ++i)
        TickOnce();
    Check("travel_ship_3_5s", phase);
}

// With the head-up display itself: the icons follow its factory-status columns.
TEST_F(WorldMapPicturesTest, TheFactoryIconsFollowTheHeadUpDisplaysColumns)
{
    StartWorld(ENGLAND, 200, {ENGLAND});
    Profile().factories.clear();
    Profile().factories[ENGLAND] = FactoryState{ENGLAND, -1, true, false};  // owned, no product
    Profile().factories[JAPAN] = FactoryState{JAPAN, -1, false, true};     // for sale
    Profile().factories[CHINA] = FactoryState{CHINA, -1, false, false};    // closed
    StandInPhase* phase = Enter(new StandInPhase(app.get(), &record, {PANEL_COUNTRY_MAP, PANEL_WORLD_MAP, PANEL_INFO}));
    OpenMap(phase);
    GamePanel* info = phase->mPanels[PANEL_INFO];
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->FactoryColumnState(0), 0);
    EXPECT_EQ(info->FactoryColumnState(1), 3);
    EXPECT_EQ(info->FactoryColumnState(2), 4);
    EXPECT_EQ(info->FactoryColumnState(4), -1);
    EXPECT_EQ(info->FactoryColumnState(-1), -1);
    phase->mDirty = true;
    std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
    const int x = WorldMap::kCountryPositions[ENGLAND].x + 45;
    const int y = WorldMap::kCountryPositions[ENGLAND].y - 20;
    const uint32_t p = px[size_t(y * 1024 + x)];
    EXPECT_NEAR(int(p >> 16 & 0xFF), 0xD0, 2) << std::hex << p;  // not ready: the (red) error icon
    EXPECT_NEAR(int(p >> 8 & 0xFF), 0x30, 2) << std::hex << p;
}

TEST_F(WorldMapPicturesTest, ALongCountryNameIsDrawnWhole)
{
    StartWorld(ENGLAND, 200, {ENGLAND, GERMANY});
    StandInPhase* phase = EnterGame();
    OpenMap(phase);
    app->mWidgetManager->MouseMove(540, 220);
    // The name's glyphs run right from x 493 on the rows above y 132, 5 pixels apiece: what a
    // name cut at 100 characters would not reach lies from x 998 on.
    auto tail = [&](size_t length) {
        app->countryMapTable[GERMANY].Name = std::string(length, 'A');
        phase->mDirty = true;
        std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
        std::vector<uint32_t> rows;
        for (int y = 120; y < 135; ++y)
            rows.insert(rows.end(), px.begin() + y * 1024 + 998, px.begin() + y * 1024 + 1024);
        return rows;
    };
    EXPECT_NE(tail(150), tail(99));
}

} // namespace
