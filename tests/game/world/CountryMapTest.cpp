// The country screen in the game screen, with stand-ins for the places, the head-up display, the
// dialog and the tutorial frame: arriving in a country, the fades and the sky clock, clicks in and
// after the tutorial, travel, coming back, the visit state, places the record or the pictures
// lack, and places that are not part of the game yet.
#include "tests/game/world/WorldFixture.h"

#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "game/shell/MusicTrackList.h"
#include "game/world/CountryMap.h"
#include "game/world/MessagePopup.h"
#include "platform/Video.h"
#include "platform/Window.h"
#include "tests/support/GoldenImage.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

using namespace Quor;

namespace {

using namespace worldtest;

using Places = std::vector<std::pair<int, Rect>>;

intptr_t DefaultProc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

CountryMapRecord MapRecord(int country, const std::map<int32_t, PlacePoint>& places)
{
    CountryMapRecord record;
    record.Id = country;
    record.placePos = places;
    return record;
}

const std::map<int32_t, PlacePoint> kFivePlaces = {
    {0, {100, 400}}, {1, {300, 420}}, {2, {500, 380}}, {3, {700, 450}}, {4, {850, 300}}};

class CountryMapTest : public WorldTest {
protected:
    // England and Japan with five places, country 1 with four, country 4 without the supplier,
    // and no record for country 5.
    void StartCountries(int tutorialStep = TutorialFinished)
    {
        Start();
        app->countryMapTable.clear();
        app->countryMapTable[0] = MapRecord(0, kFivePlaces);
        app->countryMapTable[1] = MapRecord(1, {{0, {10, 20}}, {1, {30, 40}}, {2, {50, 60}}, {3, {70, 80}}});
        app->countryMapTable[2] = MapRecord(2, kFivePlaces);
        app->countryMapTable[4] = MapRecord(4, {{0, {10, 20}}, {2, {50, 60}}, {3, {70, 80}}});
        Profile().tutorialStep = tutorialStep;
        Profile().money = 1000;
        Profile().country = 0;
    }
    // The game screen with its own country screen and popups, stand-ins for the rest.
    // With withoutDisplay, no head-up display stand-in dims the screen.
    StandInPhase* EnterCountry(bool withoutDisplay = false)
    {
        std::set<int> real = {PANEL_COUNTRY_MAP, PANEL_WARNING, PANEL_NOTE, PANEL_YES_NO};
        if (withoutDisplay)
            real.insert(PANEL_INFO);  // not part of the game yet: no panel
        return Enter(new StandInPhase(app.get(), &record, real));
    }
    static CountryMap* Map(GamePhase* phase) { return dynamic_cast<CountryMap*>(phase->mPanels[PANEL_COUNTRY_MAP]); }
    static Places PlacesOf(CountryMap* map)
    {
        Places places;
        for (ButtonWidget* button : map->mPlaceButtons)
            places.emplace_back(button->mId, button->GetRect());
        return places;
    }
    // Whether every place button is in the game screen's tree.
    static bool ButtonsInTree(GamePhase* phase, CountryMap* map)
    {
        return std::all_of(map->mPlaceButtons.begin(), map->mPlaceButtons.end(),
                           [&](ButtonWidget* b) { return phase->HasWidget(b); });
    }
    static bool ButtonsOutOfTree(GamePhase* phase, CountryMap* map)
    {
        return std::none_of(map->mPlaceButtons.begin(), map->mPlaceButtons.end(),
                            [&](ButtonWidget* b) { return phase->HasWidget(b); });
    }
    ButtonWidget* Button(CountryMap* map, int place)
    {
        for (ButtonWidget* button : map->mPlaceButtons)
            if (button->mId == place)
                return button;
        ADD_FAILURE() << "no button for place " << place;
        return nullptr;
    }
    size_t Count(const std::string& line) const { return size_t(std::count(record.trace.begin(), record.trace.end(), line)); }
    // Ends the fade-in (one tick at the game's step).
    void TickOnce()
    {
        mCount += 2;
        UpdateAt(mCount);
    }

    int mCount = 0;
};

Places PlacesAt(const std::map<int32_t, PlacePoint>& positions, std::initializer_list<int> ids)
{
    Places places;
    for (int id : ids)
        places.emplace_back(id, Rect(positions.at(id).x, positions.at(id).y, 8, 4));  // the fixture picture
    return places;
}

TEST_F(CountryMapTest, ArrivingLoadsOnlyAnotherCountryAndEveryCallPlaysItsMusicAndRebuildsItsPlaces)
{
    StartCountries();
    app->music->loads.clear();
    GamePhase* phase = EnterCountry();
    CountryMap* map = Map(phase);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->mCountry, 0);
    EXPECT_EQ(PlacesOf(map), PlacesAt(kFivePlaces, {0, 1, 2, 3, 4}));
    EXPECT_TRUE(ButtonsInTree(phase, map));
    EXPECT_EQ(map->mFadeAlpha, 254);
    EXPECT_TRUE(map->mFadingIn);
    EXPECT_EQ(map->mPendingPlace, -1);
    EXPECT_EQ(Count("shown 1"), 1u);
    EXPECT_FALSE(app->music->loads.empty());
    Image* background = GC0_BG;
    ASSERT_NE(background, nullptr);
    TickOnce();
    ASSERT_FALSE(map->mFadingIn);

    // The same country again: nothing reloaded, the music and the places made anew.
    app->music->loads.clear();
    const size_t children = phase->mWidgets.size();
    map->SetCountry(0);
    EXPECT_EQ(GC0_BG, background);
    EXPECT_FALSE(app->music->loads.empty());
    EXPECT_EQ(phase->mWidgets.size(), children);
    EXPECT_EQ(PlacesOf(map), PlacesAt(kFivePlaces, {0, 1, 2, 3, 4}));
    EXPECT_EQ(map->mFadeAlpha, 254);
    EXPECT_TRUE(map->mFadingIn);

    // Another country: the old group goes, the profile follows, four places make no factory.
    map->SetCountry(1);
    EXPECT_EQ(GC0_BG, nullptr);
    EXPECT_NE(GC1_BG, nullptr);
    EXPECT_EQ(Profile().country, 1);
    EXPECT_EQ(PlacesOf(map), PlacesAt(app->countryMapTable[1].placePos, {0, 1, 2, 3}));
    EXPECT_EQ(phase->mWidgets.size(), children - 1);
    Leave();
    EXPECT_EQ(GC1_BG, nullptr);  // the country's group went with the screen
}

TEST_F(CountryMapTest, APlaceWithoutPositionOrPictureAndACountryWithoutRecordGetNoButtonAndOneLogLine)
{
    StartCountries();
    GamePhase* phase = EnterCountry();
    CountryMap* map = Map(phase);
    plat::SetDebugOutputSink(&CaptureLog);
    struct Case {
        int country;
        std::vector<int> places;
        std::string log;
    };
    app->countryMapTable[1].placePos[4] = {90, 100};  // a factory the country has no picture for
    const Case cases[] = {
        {4, {0, 2, 3}, "Country 4 lists no place 1; it gets no button\n"},
        {1, {0, 1, 2, 3}, "Country 1 has no picture for place 4; it gets no button\n"},
        {5, {}, "Country 5 has no map record; it shows no places\n"},
    };
    for (const Case& c : cases) {
        gLog.clear();
        map->SetCountry(c.country);
        std::vector<int> ids;
        for (ButtonWidget* button : map->mPlaceButtons) {
            ids.push_back(button->mId);
            EXPECT_NE(button->mButtonImage, nullptr);
        }
        EXPECT_EQ(ids, c.places) << c.country;
        EXPECT_EQ(std::count(gLog.begin(), gLog.end(), c.log), 1) << c.country;
    }
    // The country without a record still shows its picture.
    EXPECT_NE(GC5_BG, nullptr);
    Redraw(phase);
}

TEST_F(CountryMapTest, FadesEndInOneStepTheClockWrapsAndEachReturnRunsTheGameOverTest)
{
    StartCountries();
    Profile().money = 100;  // short of money, no dinnerware: the rescue is due
    GamePhase* phase = EnterCountry();
    CountryMap* map = Map(phase);
    EXPECT_EQ(phase->mPanels[PANEL_GAME_OVER], nullptr);
    TickOnce();
    EXPECT_EQ(map->mFadeAlpha, 255);
    EXPECT_FALSE(map->mFadingIn);
    EXPECT_NE(phase->mPanels[PANEL_GAME_OVER], nullptr);  // the fade-in's end asked
    EXPECT_NEAR(map->mClock, 0.02, 1e-12);

    map->mClock = 99.99;
    TickOnce();
    EXPECT_NEAR(map->mClock, 0.01, 1e-9);

    // Coming back from a place asks again.
    phase->ClosePanel(PANEL_GAME_OVER);
    map->Hide();
    map->ShowAgain();
    EXPECT_NE(phase->mPanels[PANEL_GAME_OVER], nullptr);

    // The rescue's conditions.
    struct Case {
        int step;
        int money;
        bool stock;
        bool opens;
    };
    const Case cases[] = {{TutorialFinished, 149, false, true},
                          {TutorialFinished, 150, false, false},
                          {TutorialFinished, 10, true, false},
                          {5, 10, false, false}};
    for (const Case& c : cases) {
        phase->ClosePanel(PANEL_GAME_OVER);
        Profile().tutorialStep = c.step;
        Profile().money = c.money;
        Profile().stock.clear();
        if (c.stock)
            Profile().stock.push_back(StockItem{1, 1, 1, 1});
        phase->CheckGameOver();
        EXPECT_EQ(phase->mPanels[PANEL_GAME_OVER] != nullptr, c.opens) << c.step << " " << c.money;
    }
}

TEST_F(CountryMapTest, PlacesOpenAtOnceInTheTutorialAndAfterItBehindTheirCharactersGreeting)
{
    struct Case {
        int place;
        int step;
        int panel;        // opened by the click
        Trace calls;      // what the stand-ins heard, the sound aside
        int pending;
        int afterGreeting;  // panel opened when the house closes; 0: the country shows again
    };
    const Case cases[] = {
        {0, 5, PANEL_CELLAR, {"tutor 0"}, -1, -1},
        {1, 5, PANEL_SUPPLIER, {"tutor 1"}, -1, -1},
        {0, TutorialFinished, PANEL_MISSION_HOUSE, {"attach 0 0 1", "npc 0 0"}, 0, PANEL_CELLAR},
        {1, TutorialFinished, PANEL_MISSION_HOUSE, {"attach 0 1 1", "npc 0 1"}, 1, PANEL_SUPPLIER},
        {2, TutorialFinished, PANEL_MISSION_HOUSE, {"attach 0 2 1", "npc 0 2"}, -1, 0},
        {4, TutorialFinished, PANEL_FACTORY, {}, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.place) + " step " + std::to_string(c.step));
        if (!app)
            StartCountries(c.step);
        Profile().tutorialStep = c.step;
        StandInPhase* phase = EnterCountry();
        if (c.step != TutorialFinished)
            phase->ShowPanel(PANEL_TUTOR, c.step);
        CountryMap* map = Map(phase);
        TickOnce();
        record.trace.clear();
        Click(Button(map, c.place));
        Trace calls;
        for (const std::string& line : record.trace)
            if (line.rfind("t", 0) != 0 || line.rfind("tutor", 0) == 0)
                calls.push_back(line);
        EXPECT_EQ(calls, c.calls);
        EXPECT_NE(phase->mPanels[c.panel], nullptr);
        EXPECT_TRUE(map->mBusy);
        EXPECT_TRUE(ButtonsOutOfTree(phase, map));
        EXPECT_EQ(map->mPendingPlace, c.pending);
        if (c.afterGreeting >= 0) {
            phase->ClosePanel(PANEL_MISSION_HOUSE);
            map->OpenPendingPlace();
            EXPECT_EQ(map->mPendingPlace, -1);
            if (c.afterGreeting == 0) {
                EXPECT_FALSE(map->mBusy);
                EXPECT_TRUE(ButtonsInTree(phase, map));
            } else {
                EXPECT_NE(phase->mPanels[c.afterGreeting], nullptr);
                EXPECT_TRUE(map->mBusy);
            }
        }
        Leave();
    }
}

TEST_F(CountryMapTest, TravelFadesOutToTheWorldMapAndComingBackRebuildsThePlacesWithoutReloading)
{
    StartCountries();
    GamePhase* phase = EnterCountry();
    CountryMap* map = Map(phase);
    // Clicked before the fade-in has ended: travel ends it.
    Click(Button(map, CountryMap::PLACE_TRAVEL));
    EXPECT_TRUE(ButtonsOutOfTree(phase, map));
    EXPECT_FALSE(map->mFadingIn);
    EXPECT_EQ(map->mFadeAlpha, 1);
    record.trace.clear();
    TickOnce();
    EXPECT_TRUE(map->mPlaceButtons.empty());
    EXPECT_TRUE(map->mHovers.empty());
    EXPECT_EQ(Count("shown 0"), 1u);
    EXPECT_NE(phase->mPanels[PANEL_WORLD_MAP], nullptr);
    EXPECT_TRUE(map->mBusy);
    EXPECT_EQ(map->mFadeAlpha, 1);  // frozen while the world map is open
    EXPECT_TRUE(app->musicTracks->Tracks().empty());

    // The world map closes on the same country.
    Image* background = GC0_BG;
    phase->ClosePanel(PANEL_WORLD_MAP);
    map->SetCountry(0);
    map->ShowAgain();
    EXPECT_EQ(GC0_BG, background);
    EXPECT_FALSE(map->mBusy);
    EXPECT_FALSE(map->mFadingOut);
    EXPECT_EQ(map->mFadeAlpha, 254);
    EXPECT_EQ(PlacesOf(map), PlacesAt(kFivePlaces, {0, 1, 2, 3, 4}));
    EXPECT_TRUE(ButtonsInTree(phase, map));
    EXPECT_FALSE(app->musicTracks->Tracks().empty());
    TickOnce();
    EXPECT_EQ(map->mFadeAlpha, 255);
}

TEST_F(CountryMapTest, HoverMarksThePlaceAndTheVisitStateFollowsTheOfferedQuest)
{
    StartCountries();
    GamePhase* phase = EnterCountry();
    CountryMap* map = Map(phase);
    app->mWidgetManager->MouseMove(302, 422);
    EXPECT_TRUE(map->mHovers[CountryMap::PLACE_SUPPLIER].hover);
    app->mWidgetManager->MouseMove(5, 5);
    EXPECT_FALSE(map->mHovers[CountryMap::PLACE_SUPPLIER].hover);

    QuestRecord quest;
    quest.Id = 77;
    quest.Target = {QuestEntry(5, "", ""), QuestEntry(1, "", ""), QuestEntry(5, "", ""), QuestEntry(5, "", "")};
    quest.Target[0].Prop = {0};
    quest.Target[2].Prop = {3};
    quest.Target[3].Prop = {0};
    app->questTable[77] = quest;
    struct Case {
        int offered;
        std::map<int32_t, bool> done;
        int state;
    };
    const Case cases[] = {
        {-1, {}, 0}, {77, {}, 1}, {77, {{0, true}}, 2}, {77, {{0, true}, {3, true}}, 1}, {78, {}, 1},
    };
    for (const Case& c : cases) {
        record.offeredQuest = c.offered;
        Profile().quests[77] = QuestState(77, 77, false, c.done);
        record.trace.clear();
        map->UpdateVisitState();
        EXPECT_EQ(map->mVisitState, c.state) << c.offered << " " << c.done.size();
        EXPECT_EQ(record.trace, Trace{"offered 11 1"});
    }
}

// Without stand-ins a place that is not part of the game yet leaves the country on the screen;
// the travel office opens the world map.
TEST_F(CountryMapTest, APlaceNotPartOfTheGameYetShowsTheCountryAgain)
{
    StartCountries(5);
    plat::SetDebugOutputSink(&CaptureLog);
    GamePhase* phase = Enter(new GamePhase(app.get()));
    CountryMap* map = Map(phase);
    TickOnce();
    // The cellar and the supplier open over the country, which comes back when they close.
    for (int place : {CountryMap::PLACE_CELLAR, CountryMap::PLACE_SUPPLIER}) {
        const int panel = place == CountryMap::PLACE_CELLAR ? PANEL_CELLAR : PANEL_SUPPLIER;
        Click(Button(map, place));
        ASSERT_NE(phase->mPanels[panel], nullptr) << place;
        EXPECT_TRUE(map->mBusy) << place;
        EXPECT_TRUE(ButtonsOutOfTree(phase, map)) << place;
        TickOnce();
        dynamic_cast<ButtonListener*>(phase->mPanels[panel])->ButtonDepress(999);
        TickOnce();
        EXPECT_EQ(phase->mPanels[panel], nullptr) << place;
        EXPECT_FALSE(map->mBusy) << place;
        EXPECT_TRUE(ButtonsInTree(phase, map)) << place;
    }
    // The travel office is: the world map takes over.
    Click(Button(map, CountryMap::PLACE_TRAVEL));
    TickOnce();
    EXPECT_TRUE(map->mBusy);
    EXPECT_NE(phase->mPanels[PANEL_WORLD_MAP], nullptr);
}

// Pictures of their own for England, Japan and the popups, so that the layers can be told apart.
class CountryPicturesTest : public CountryMapTest {
protected:
    void SetUp() override
    {
        CountryMapTest::SetUp();
        auto solid = [](int w, int h, uint32_t colour) {
            return quortest::PngBytes(w, h, [colour](int, int) { return colour; });
        };
        auto tiles = [](uint32_t a, uint32_t b) {
            return quortest::PngBytes(1024, 768, [a, b](int x, int y) { return (x / 128 + y / 128) % 2 ? a : b; });
        };
        mPictures["GC0_BG"] = tiles(0xFF3A6E3Au, 0xFF4C8A4Cu);
        mPictures["GC2_BG"] = tiles(0xFF6E3A3Au, 0xFF8A4C4Cu);
        mPictures["GC0_SKY"] = quortest::PngBytes(1024, 100, [](int x, int y) {
            if (x < 40)
                return 0xC0E04040u;  // marks where the strip begins
            return (x / 64) % 2 ? 0xA0C0D8F0u : (y < 50 ? 0xA04070B0u : 0xA0305890u);
        });
        mPictures["GC0_NAME"] = solid(200, 30, 0xFFE08020u);
        const char* places[] = {"CELLAR", "SUPPLIER", "MISSION", "TRAVEL", "FACTORY"};
        const uint32_t colours[] = {0xFF802020u, 0xFF208020u, 0xFF202080u, 0xFF808020u, 0xFF802080u};
        for (int i = 0; i < 5; ++i) {
            mPictures[std::string("GC0_BTN_") + places[i]] = solid(60, 40, colours[i]);
            mPictures[std::string("GC0_BTN_") + places[i] + "_O"] = quortest::PngBytes(60, 40, [](int x, int y) {
                return x < 3 || y < 3 || x >= 57 || y >= 37 ? 0xFFFFFFFFu : 0x00000000u;
            });
        }
        mPictures["GM_HINT_BG"] = solid(400, 260, 0xFFD8C8A0u);
        mPictures["BTN_OK2"] = solid(80, 30, 0xFF30A040u);
        mPictures["BTN_OK4"] = solid(100, 36, 0xFF3040A0u);
        mPictures["BTN_YES"] = solid(80, 30, 0xFF30A040u);
        mPictures["BTN_NO"] = solid(80, 30, 0xFFA03040u);
    }
    void Check(const std::string& name, const std::vector<uint32_t>& px, int w, int h)
    {
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("world/" + name + ".png"), px, w, h), "") << name;
    }
    // The whole screen drawn anew.
    std::vector<uint32_t> Whole(GamePhase* phase)
    {
        phase->mDirty = true;
        return quortest::DrawWholeScreen(*app->mWidgetManager);
    }
    // The top rows of the whole screen.
    static std::vector<uint32_t> Rows(const std::vector<uint32_t>& px, int rows)
    {
        return std::vector<uint32_t>(px.begin(), px.begin() + 1024 * rows);
    }
};

TEST_F(CountryPicturesTest, LeavingACountryFreesItsDecodedPicturesAtTheNextUpkeep)
{
    StartCountries();
    StandInPhase* phase = EnterCountry(true);
    CountryMap* map = Map(phase);
    TickOnce();
    auto decoded = [&](const std::string& name) {
        std::lock_guard<std::recursive_mutex> lock(app->mImageSetLock);
        return std::count_if(app->mSharedImageMap.begin(), app->mSharedImageMap.end(), [&](const auto& entry) {
            return entry.first.mFileName.find(name) != std::string::npos && entry.second->mImage != nullptr;
        });
    };
    ASSERT_EQ(decoded("GC0_BG"), 1);
    // A released handle raises the clean-up flag of the application the global names; with
    // another one made since (as a display of a benchmark is), that is not this game.
    QuorAppBase* const game = gQuorAppBase;
    {
        QuorAppBase other;
        map->SetCountry(2);
    }
    gQuorAppBase = game;
    EXPECT_TRUE(app->mCleanSharedImages);
    app->CleanSharedImages();
    EXPECT_EQ(decoded("GC0_BG"), 0);
    EXPECT_EQ(decoded("GC0_BTN_MISSION"), 0);
    EXPECT_EQ(decoded("GC2_BG"), 1);
    EXPECT_EQ(GC0_BG, nullptr);
}

// At alpha 128 the view is drawn at about half size about (512, 280) in colours of half alpha. A
// memory screen's fast stretch draws white only, so this picture is taken on a display surface.
TEST_F(CountryPicturesTest, EnglandHalfFadedInOnADisplaySurface)
{
    StartCountries();
    StandInPhase* phase = EnterCountry(true);
    CountryMap* map = Map(phase);
    // Half way through the fade-in: no scenery yet (it comes when the fade-in ends).
    map->mClock = 0.0;
    map->mFadeAlpha = 128;
    ASSERT_EQ(map->mScene, nullptr);

    static const bool registered = plat::RegisterWindowClass("CountryTestWindow", DefaultProc, 0);
    ASSERT_TRUE(registered);
    const plat::WindowId window =
        plat::CreateWindow(0, "CountryTestWindow", "country", plat::WS_POPUP | plat::WS_VISIBLE, 0, 0, 1024, 768);
    ASSERT_NE(window, 0u);
    plat::VideoTestSettings settings;
    settings.refreshSet = true;
    settings.refreshHz = 60;
    settings.desktopFormat = plat::kFormatXRGB8888;
    plat::SetVideoTestSettings(&settings);
    std::vector<uint32_t> px;
    {
        DDInterface display(app.get());
        app->mFullScreenBits = 32;
        ASSERT_EQ(display.InitDisplay(reinterpret_cast<void*>(static_cast<uintptr_t>(window)), true),
                  DDInterface::RESULT_OK);
        DDImage screen(&display);
        std::vector<uint32_t> black(size_t(1024) * 768, 0xFF000000u);
        screen.SetBits(black.data(), 1024, 768);
        ASSERT_TRUE(screen.CreateSurface());
        app->mWidgetManager->mImage = &screen;
        phase->mDirty = true;
        app->mWidgetManager->SetDirtyFull();
        app->mWidgetManager->DrawScreen();
        app->mWidgetManager->mImage = &mScreen;
        const uint32_t* bits = screen.GetBits();
        ASSERT_NE(bits, nullptr);
        px.assign(bits, bits + size_t(1024) * 768);
    }
    plat::SetVideoTestSettings(nullptr);
    plat::DestroyWindow(window);
    for (uint32_t& p : px)
        p |= 0xFF000000u;
    Check("england_alpha128", px, 1024, 768);
}

TEST_F(CountryPicturesTest, EnglandItsSkyJapanThePopupsAndTheNoteDrawAsStored)
{
    StartCountries();
    StandInPhase* phase = EnterCountry(true);
    CountryMap* map = Map(phase);
    TickOnce();
    map->mClock = 0.0;
    app->mWidgetManager->MouseMove(320, 440);  // over the supplier
    ASSERT_TRUE(map->mHovers[CountryMap::PLACE_SUPPLIER].hover);
    std::vector<uint32_t> px = Whole(phase);
    Check("england_hover", px, 1024, 768);
    for (double clock : {0.0, 50.0, 99.98}) {
        map->mClock = clock;
        Check("sky_" + std::to_string(int(clock * 100)), Rows(Whole(phase), 100),
              1024, 100);
    }

    struct Popup {
        int panel;
        int extra;
        const char* name;
    };
    for (Popup p : {Popup{PANEL_WARNING, 0, "warning_0"}, Popup{PANEL_WARNING, 4, "warning_4"},
                    Popup{PANEL_YES_NO, 2, "yes_no"}}) {
        phase->ShowPanel(p.panel, p.extra);
        auto* popup = dynamic_cast<MessagePopup*>(phase->mPanels[p.panel]);
        ASSERT_NE(popup, nullptr);
        popup->SetMessage("ABBA BAB AB ABBABA BA BAAB AB BA ABBA BAB AB ABBABA BA BAAB AB BA ABBA BAB AB");
        TickOnce();
        Check(p.name, Whole(phase), 1024, 768);
        phase->ClosePanel(p.panel);
        TickOnce();
    }

    phase->ShowNote("Cellar and selling", 200, 600);
    for (int i = 0; i < 60; ++i)
        TickOnce();
    px = Whole(phase);
    std::vector<uint32_t> note;
    for (int y = 590; y < 630; ++y)
        note.insert(note.end(), px.begin() + y * 1024 + 180, px.begin() + y * 1024 + 340);
    Check("note", note, 160, 40);

    map->SetCountry(2);  // Japan: no sky
    TickOnce();
    Check("japan", Rows(Whole(phase), 100), 1024, 100);
}

} // namespace
