// The game application on a fixture archive, each start in a child process of its own (the
// archive reader and the C runtime's generator are process-wide): construction, a whole start
// through the loading thread to the main menu, closing during the splash, resource errors on the
// loading thread and at start-up, and the random numbers of a recorded run played back (after
// start-up and the main menu's logo places).
#include "tests/game/shell/GameFixture.h"

#include "game/shell/DCapResource.h"
#include "game/shell/MainMenu.h"
#include "platform/Window.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

using namespace Quor;
using quortest::FixtureGame;

namespace {

// Ends a child that hangs, so that a fault shows as a failure rather than a stuck test.
void Watchdog()
{
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(90));
        std::fprintf(stderr, "watchdog: the run did not end\n");
        std::_Exit(99);
    }).detach();
}

// Runs a game on the fixture archive in the run's folder and ends the process with its status.
void RunGame(const quortest::GameArchiveOptions& options, bool writeArchive,
             const std::function<void(FixtureGame&)>& afterInit, const std::function<void(FixtureGame&)>& atEnd)
{
    Watchdog();
    // Inside the run's folder, which the parent removes: exit() skips destructors.
    quortest::TempDir dir(quortest::RunDir());
    if (writeArchive)
        quortest::WriteGameArchive(dir.Path().string(), options);
    auto* game = new FixtureGame(dir.Path().string());
    game->Init();
    if (afterInit)
        afterInit(*game);
    game->Start();
    if (atEnd)
        atEnd(*game);
    int status = game->exitStatus;
    delete game;
    std::exit(status);
}

} // namespace

TEST(GameAppTest, ConstructorSetsTheGameUp)
{
    GameApp app;
    EXPECT_EQ(app.mTitle, "Tallowmere - ");
    EXPECT_EQ(app.mProductName, "Tallowmere");
    EXPECT_EQ(app.mRegistryKey, "Ondrel\\QuorAppFramework\\Orvel");
    EXPECT_EQ(app.mWidth, 1024);
    EXPECT_EQ(app.mHeight, 768);
    EXPECT_EQ(GetPakInterface()->mDecryptPassword, "lorvtekmiqazund");
    EXPECT_FALSE(app.splashDone);
    EXPECT_EQ(app.loadingScreen, nullptr);
    for (Widget* screen : app.screens)
        EXPECT_EQ(screen, nullptr);
    ASSERT_NE(app.highScores, nullptr);
    ASSERT_EQ(app.highScores->size(), 10u);
    EXPECT_EQ(app.highScores->front().score, 500000);
    EXPECT_EQ(app.highScores->back().score, 50000);
    EXPECT_TRUE(app.profiles.empty());
    EXPECT_EQ(app.currentProfile, 0);
    EXPECT_NE(app.resourceManager, nullptr);
    EXPECT_NE(app.musicTracks, nullptr);
    EXPECT_EQ(app.miniGameTuning, MiniGameTuning{GameTables().miniGameTuning});
}

TEST(GameAppDeathTest, StartLoadsTheThreeGroupsThenOpensTheMainMenu)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            double maxProgress = 0;
            bool menuOpened = false;
            RunGame(
                {}, true,
                [&](FixtureGame& game) {
                    // A first start: five blank profiles, full screen, the total of the three groups.
                    std::fprintf(stderr, "profiles %zu windowed %d total %d loading %d\n", game.profiles.size(),
                                 int(game.mWindowed), int(game.mNumLoadingThreadTasks), game.loadingScreen != nullptr);
                    game.mOnUpdate = [&](FixtureGame& g) {
                        maxProgress = std::max(maxProgress, g.GetLoadingProgress());
                        if (g.screens[SCREEN_MAIN_MENU] && !menuOpened) {
                            menuOpened = true;
                            g.Shutdown();
                        }
                    };
                },
                [&](FixtureGame& game) {
                    std::fprintf(stderr, "done %d/%d progress %.6f max %.6f menu %d fx %d popup %d sound %d\n",
                                 int(game.mCompletedLoadingThreadTasks), int(game.mNumLoadingThreadTasks),
                                 game.GetLoadingProgress(), maxProgress, int(menuOpened), FX_C_CAR5 != nullptr,
                                 MP_TICK2_BG != nullptr, SE_ENV_WIND > 0 || SE_CLICK > 0);
                });
        },
        ::testing::ExitedWithCode(0),
        "profiles 5 windowed 0 total 75 loading 1(.|\n)*done 75/75 progress 1.000000 max 1.000000 menu 1 fx 1 popup 1 "
        "sound 1");
}

TEST(GameAppDeathTest, ClosingWhileTheLoadingScreenFadesLeavesNothingBehind)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The leak check at the child's exit fails the run when the fading screen is lost.
    EXPECT_EXIT(RunGame({}, true,
                        [](FixtureGame& game) {
                            game.mOnUpdate = [](FixtureGame& g) {
                                if (g.mLoadingCompletedHandled && !g.mShutdown) {
                                    std::fprintf(stderr, "fading %d\n", g.loadingScreen == nullptr);
                                    g.Shutdown();
                                }
                            };
                        },
                        nullptr),
                ::testing::ExitedWithCode(0), "fading 1");
}

TEST(GameAppDeathTest, ClosingDuringTheSplashEndsWithoutLoading)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::chrono::steady_clock::time_point closed;
            RunGame(
                {}, true,
                [&](FixtureGame& game) {
                    game.splashDone = false;  // the splash images are still showing
                    game.mOnUpdate = [&](FixtureGame& g) {
                        if (g.mUpdateCount == 20) {
                            closed = std::chrono::steady_clock::now();
                            plat::PostMessage(plat::WindowId(reinterpret_cast<uintptr_t>(g.mHWnd)), plat::WM_CLOSE, 0, 0);
                        }
                    };
                },
                [&](FixtureGame& game) {
                    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                    closed)
                                  .count();
                    std::fprintf(stderr, "closed within 1 s %d loaded %d fx %d\n", int(ms < 1000),
                                 int(game.mCompletedLoadingThreadTasks),
                                 int(game.resourceManager->mLoadedGroups.count("Fx")));
                });
        },
        ::testing::ExitedWithCode(0), "closed within 1 s 1 loaded 0 fx 0");
}

TEST(GameAppDeathTest, MissingEffectImageIsShownAndEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            quortest::GameArchiveOptions options;
            options.omit = {"FX_C_BIRD"};
            RunGame(options, true, nullptr, [](FixtureGame& game) {
                std::fprintf(stderr, "popups %zu menu %d\n", game.mPopups.size(),
                             int(game.screens[SCREEN_MAIN_MENU] != nullptr));
            });
        },
        ::testing::ExitedWithCode(1), "popup: Image resource not found: FX_C_BIRD\npopup on the main thread: 1\n(.|\n)*popups 1 menu 0");
}

TEST(GameAppDeathTest, MissingSoundIsShownAndEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            quortest::GameArchiveOptions options;
            options.omit = {"SE_ENV_WIND"};
            RunGame(options, true, nullptr, [](FixtureGame& game) {
                std::fprintf(stderr, "popups %zu menu %d\n", game.mPopups.size(),
                             int(game.screens[SCREEN_MAIN_MENU] != nullptr));
            });
        },
        ::testing::ExitedWithCode(1), "popup: Sound resource not found: SE_ENV_WIND\npopup on the main thread: 1\n(.|\n)*popups 1 menu 0");
}

TEST(GameAppDeathTest, MissingStartImageEndsTheStart)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    quortest::GameArchiveOptions options;
    options.omit = {"BTN_NO_C"};
    EXPECT_EXIT(RunGame(options, true, nullptr, nullptr), ::testing::ExitedWithCode(1),
                "popup: Image resource not found: BTN_NO_C");
}

TEST(GameAppDeathTest, MissingGameDataFileIsShownAndEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    quortest::GameArchiveOptions options;
    options.omit = {"DataNPC.xml"};
    EXPECT_EXIT(RunGame(options, true,
                        [](FixtureGame& game) {
                            std::fprintf(stderr, "requested %d quests %zu npcs %zu\n",
                                         int(game.mShutdownRequested), game.questTable.size(),
                                         game.npcTable.size());
                        },
                        nullptr),
                ::testing::ExitedWithCode(1),
                "box Error 0: Couldn't open properties/DataNPC.xml. Error returned:\n\"Unable to "
                "open file properties/DataNPC.xml\"\n(.|\n)*requested 1 quests 2 npcs 0");
}

TEST(GameAppDeathTest, FirstMissingManifestInReadingOrderIsReported)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    quortest::GameArchiveOptions options;
    options.omitManifests = {"properties\\res_mg.xml", "properties\\res_menu_award.xml"};
    EXPECT_EXIT(RunGame(options, true, nullptr, nullptr), ::testing::ExitedWithCode(1),
                "popup: Resource file not found: properties\\\\res_menu_award.xml");
}

TEST(GameAppDeathTest, MissingArchiveIsReportedByTheFirstManifest)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunGame({}, false, nullptr, nullptr), ::testing::ExitedWithCode(1),
                "popup: Resource file not found: properties\\\\res_init.xml");
}

namespace {

// A screen that closes itself from its update, as a screen does from a button handler, and goes
// on using its own fields afterwards.
class SelfClosingScreen : public Widget {
public:
    GameApp* mApp;
    bool* mDeleted;
    int mAfterRemove = 0;

    SelfClosingScreen(GameApp* app, bool* deleted) : mApp(app), mDeleted(deleted) {}
    ~SelfClosingScreen() override { *mDeleted = true; }
    void Update() override
    {
        mApp->RemoveScreen(SCREEN_SCORE);
        mAfterRemove = mWidth + (*mDeleted ? 1000 : 0);
    }
};

class ScreenApp : public GameApp {
public:
    bool mProbeDeleted = false;
    SelfClosingScreen* mProbe = nullptr;

protected:
    // The main menu is a plain widget here (no resources); a number the game does not build
    // still comes here through the application's own choice.
    Widget* MakeScreen(int& id, int mode) override
    {
        if (id == SCREEN_MAIN_MENU)
            return new Widget();
        if (id != SCREEN_SCORE)
            return GameApp::MakeScreen(id, mode);
        mProbe = new SelfClosingScreen(this, &mProbeDeleted);
        return mProbe;
    }
};

bool InManager(GameApp& app, Widget* widget)
{
    return app.mWidgetManager->HasWidget(widget);
}

} // namespace

TEST(GameAppScreens, OpenCloseAndReplaceByNumber)
{
    ScreenApp app;
    // Numbers that are no screen change nothing.
    for (int id : {0, 13, -1, 100}) {
        app.ShowScreen(id, 0);
        app.RemoveScreen(id);
    }
    for (Widget* screen : app.screens)
        EXPECT_EQ(screen, nullptr);
    EXPECT_TRUE(app.mWidgetManager->mWidgets.empty());

    // A screen opens over the window.
    app.ShowScreen(SCREEN_MAIN_MENU, 0);
    Widget* menu = app.screens[SCREEN_MAIN_MENU];
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(InManager(app, menu));
    EXPECT_EQ(menu->GetRect(), Rect(0, 0, 1024, 768));

    // Opening an open number replaces the screen instead of leaving it in the tree.
    app.ShowScreen(SCREEN_MAIN_MENU, 0);
    Widget* second = app.screens[SCREEN_MAIN_MENU];
    EXPECT_NE(second, menu);
    EXPECT_FALSE(InManager(app, menu));
    EXPECT_EQ(app.mWidgetManager->mWidgets.size(), 1u);
    app.ProcessSafeDeletes();

    // Closing an empty slot does nothing; closing an open one empties it.
    app.RemoveScreen(SCREEN_HELP);
    EXPECT_TRUE(InManager(app, second));
    app.RemoveScreen(SCREEN_MAIN_MENU);
    EXPECT_EQ(app.screens[SCREEN_MAIN_MENU], nullptr);
    EXPECT_FALSE(InManager(app, second));
    app.ProcessSafeDeletes();
}

TEST(GameAppScreens, ScreenClosingItselfIsDeletedAfterTheUpdate)
{
    ScreenApp app;
    app.ShowScreen(SCREEN_SCORE, 0);
    ASSERT_NE(app.mProbe, nullptr);
    SelfClosingScreen* probe = app.mProbe;
    app.UpdateFrames();
    // The handler ran to its end on a live screen; the slot is empty.
    EXPECT_EQ(probe->mAfterRemove, 1024);
    EXPECT_FALSE(app.mProbeDeleted);
    EXPECT_EQ(app.screens[SCREEN_SCORE], nullptr);
    app.ProcessSafeDeletes();
    EXPECT_TRUE(app.mProbeDeleted);
}

namespace {

std::vector<int> GameDraws()
{
    std::vector<int> out;
    for (int i = 0; i < 8; ++i)
        out.push_back(std::rand());
    return out;
}

// What a run of the game drew: the numbers right after start-up, then the main menu's logo
// places and the update it opened on.
struct RunDraws {
    std::vector<int> afterInit;
    std::vector<int> logoSlots;
    int menuUpdate = -1;
    uint32_t seed = 0;
};

// The game started with the command line's demo option: the settings read before the command
// line is parsed stay out of the demo, as they do in the program.
class DemoGame : public FixtureGame {
public:
    DemoGame(const std::string& folder, const std::string& demo, bool play)
        : FixtureGame(folder), mDemo(demo), mPlay(play)
    {
        mCmdLineParsed = false;
    }
    void ParseCommandLine() override
    {
        mCmdLineParsed = true;
        (mPlay ? mPlayingDemo : mRecordingDemo) = true;
        mDemoFileName = mDemo;
    }

private:
    std::string mDemo;
    bool mPlay;
};

// Starts the game on the folder's archive, recording or playing back the demo file, and runs
// it until the main menu has opened.
RunDraws RunToTheMainMenu(const quortest::TempDir& dir, const std::string& demo, bool play)
{
    RunDraws out;
    auto* game = new DemoGame(dir.Path().string(), demo, play);
    game->Init();
    out.afterInit = GameDraws();
    out.seed = game->mRandomSeed;
    game->mOnUpdate = [&](FixtureGame& g) {
        auto* menu = dynamic_cast<MainMenu*>(g.screens[SCREEN_MAIN_MENU]);
        if (menu && out.menuUpdate < 0) {
            out.menuUpdate = g.mUpdateCount;
            out.logoSlots.assign(std::begin(menu->mChosenPlaces), std::end(menu->mChosenPlaces));
            g.Shutdown();
        }
    };
    game->Start();
    delete game;
    return out;
}

// Records a start of the game up to the main menu, plays it back at another start time and
// compares the numbers the game draws after start-up and the menu's logo places.
void RecordAndReplay()
{
    Watchdog();
    quortest::TempDir dir(quortest::RunDir());
    quortest::WriteGameArchive(dir.Path().string());
    const std::string demo = dir.File("replay.dmo");
    RunDraws recorded = RunToTheMainMenu(dir, demo, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // another start time
    RunDraws played = RunToTheMainMenu(dir, demo, true);
    std::fprintf(stderr, "menu %d seed %d draws %d slots %d at the same update %d\n",
                 int(recorded.menuUpdate > 0 && recorded.logoSlots.size() == 4), int(played.seed == recorded.seed),
                 int(played.afterInit == recorded.afterInit), int(played.logoSlots == recorded.logoSlots),
                 int(played.menuUpdate == recorded.menuUpdate));
    std::exit(0);
}

} // namespace

TEST(GameAppDeathTest, RecordedRunReplaysTheGameDrawsAndTheLogoSlots)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RecordAndReplay(), ::testing::ExitedWithCode(0),
                "menu 1 seed 1 draws 1 slots 1 at the same update 1");
}
