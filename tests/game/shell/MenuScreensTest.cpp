// The loading screen, the main menu and the quit popup driven through the widget manager with
// injected update counts, recording sounds, music and the screens opened.
#include "tests/game/shell/MenuFixture.h"

#include "game/shell/Loading.h"
#include "game/shell/MainMenu.h"
#include "game/shell/PopupAccount.h"
#include "game/shell/PopupQuit.h"

#include <cstdlib>

using namespace Quor;
using quortest::GameStandIn;
using quortest::MenuTest;

namespace {

class LoadingTest : public MenuTest {
protected:
    Loading* AddLoading()
    {
        auto* loading = new Loading(app.get());
        loading->Resize(0, 0, 1024, 768);
        app->mWidgetManager->AddWidget(loading);
        app->loadingScreen = loading;
        return loading;
    }
    static int Count(const std::vector<std::string>& calls, const std::string& prefix)
    {
        return int(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }
};

} // namespace

TEST_F(LoadingTest, SplashesThenTheBackgroundWithTheJingleOnceAsTheLastBegins)
{
    Loading* loading = AddLoading();
    std::vector<int> counterChanges;  // updates at which the splash counter went down
    int counter = 3;
    int jingleAt = 0;
    for (int n = 1; n <= 700 && !app->splashDone; ++n) {
        Step();
        if (loading->mSplashCounter != counter) {
            counter = loading->mSplashCounter;
            counterChanges.push_back(n);
        }
        if (!jingleAt && app->Count(SE_CORVANTIS))
            jingleAt = n;
        if (counter > 0) {
            // The splash of the counter is drawn; no background or bar yet.
            std::vector<std::string> calls = DrawCalls(loading);
            ASSERT_EQ(calls.size(), 2u) << n;
            EXPECT_EQ(calls[1].rfind("Blt 0,0 src 0,0,8,4", 0), 0u) << n;
            EXPECT_EQ(app->splashDone, false);
        }
    }
    // One second up and one down each, at 100 updates a second (one step on every even update).
    ASSERT_EQ(counterChanges.size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(counterChanges[size_t(k)], 200 * (k + 1), 2) << k;
    EXPECT_EQ(jingleAt, counterChanges[1]);
    EXPECT_EQ(app->Count(SE_CORVANTIS), 1);
    EXPECT_TRUE(app->splashDone);
    Step(300);
    EXPECT_EQ(app->Count(SE_CORVANTIS), 1);
    EXPECT_EQ(loading->mSplashCounter, 0);
}

TEST_F(LoadingTest, BarFollowsTheProgressFromOnePixel)
{
    Loading* loading = AddLoading();
    loading->mSplashCounter = 0;
    app->mNumLoadingThreadTasks = 80;
    // The fixture's bar is 8 pixels wide; the background file is missing and is skipped.
    const struct {
        int done;
        const char* bar;
    } cases[] = {{0, nullptr}, {9, nullptr}, {10, "Blt 263,501 src 0,0,1,4"}, {40, "Blt 263,501 src 0,0,4,4"},
                 {80, "Blt 263,501 src 0,0,8,4"}, {120, "Blt 263,501 src 0,0,8,4"}};
    for (const auto& c : cases) {
        app->mCompletedLoadingThreadTasks = c.done;
        std::vector<std::string> calls = DrawCalls(loading);
        ASSERT_EQ(calls.size(), c.bar ? 2u : 1u) << c.done;
        EXPECT_EQ(calls[0], "FillRect 0,0,1024,768 m0");
        if (c.bar) {
            EXPECT_EQ(calls[1].rfind(c.bar, 0), 0u) << calls[1];
        }
    }
}

TEST_F(LoadingTest, FadesOutOnlyAfterLoadingEndedThenOpensTheMenus)
{
    for (bool named : {false, true}) {
        SCOPED_TRACE(named);
        app->profiles[3].name = named ? "Mira" : "";
        Loading* loading = AddLoading();
        loading->mSplashCounter = 0;
        app->mNumLoadingThreadTasks = 10;
        app->mCompletedLoadingThreadTasks = 10;
        Step(100);
        ASSERT_TRUE(InManager(loading));
        EXPECT_EQ(app->screens[SCREEN_MAIN_MENU], nullptr);

        app->LoadingThreadCompleted();
        EXPECT_EQ(app->loadingScreen, nullptr);
        Step(25);
        EXPECT_TRUE(InManager(loading));
        Step(1);
        EXPECT_FALSE(InManager(loading));
        ASSERT_NE(dynamic_cast<MainMenu*>(app->screens[SCREEN_MAIN_MENU]), nullptr);
        EXPECT_EQ(app->screens[SCREEN_ACCOUNT] != nullptr, !named);
        if (!named) {
            // The popup lies over the menu.
            EXPECT_EQ(app->mWidgetManager->mWidgets.back(), app->screens[SCREEN_ACCOUNT]);
        }
        app->RemoveScreen(SCREEN_ACCOUNT);
        app->RemoveScreen(SCREEN_MAIN_MENU);
        app->ProcessSafeDeletes();
    }
}

namespace {

class MainMenuTest : public MenuTest {
protected:
    MainMenu* OpenMenu() { return Open<MainMenu>(SCREEN_MAIN_MENU); }
    void FadeIn(MainMenu* menu)
    {
        for (int n = 0; n < 100 && menu->mFadingIn; ++n)
            Step();
    }
};

} // namespace

TEST_F(MainMenuTest, ButtonsMusicAndGreeting)
{
    const struct {
        bool developer;
        const char* name;
        const char* greeting;
    } cases[] = {{false, "", "!"}, {true, "Mira", "Mira!"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.greeting);
        app->GetCurrentProfile().DeveloperFlag = c.developer;
        app->GetCurrentProfile().name = c.name;
        app->music.clear();
        MainMenu* menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(app->music, std::vector<std::string>{"music/Main_page.ogg"});
        EXPECT_EQ(menu->Greeting(), c.greeting);

        const int places[8][2] = {{15, 646},  {1024, 321}, {1024, 450}, {187, 646},
                                  {353, 646}, {695, 646},  {882, 646},  {537, 646}};
        for (int id = 0; id < 8; ++id) {
            ButtonWidget* b = menu->mButtons[id];
            EXPECT_EQ(b->GetRect(), Rect(places[id][0], places[id][1], 8, 4)) << id;
            EXPECT_TRUE(b->mBtnNoDraw);
            EXPECT_TRUE(menu->HasWidget(b));
        }
        for (int k = 0; k < 4; ++k) {
            ButtonWidget* b = menu->mEditorButtons[k];
            EXPECT_EQ(b->GetRect(), Rect(700, 100 + 40 * k, 100, 25));
            EXPECT_EQ(menu->HasWidget(b), c.developer) << k;
        }
        // Nothing inside the window reaches the two buttons at x 1024; the editor buttons take a
        // click only for a developer.
        int lx = 0;
        int ly = 0;
        for (int y : {323, 452})
            EXPECT_EQ(app->mWidgetManager->GetWidgetAt(1023, y, &lx, &ly), menu);
        EXPECT_EQ(app->mWidgetManager->GetWidgetAt(750, 112, &lx, &ly) == menu->mEditorButtons[0], c.developer);
        app->RemoveScreen(SCREEN_MAIN_MENU);
        app->ProcessSafeDeletes();
    }
}

TEST_F(MainMenuTest, EachButtonOpensItsScreen)
{
    const struct {
        int id;
        int screen;
        int mode;
        bool fades;     // the menu fades out first, then replaces itself
        bool menuStays;
    } cases[] = {
        {0, SCREEN_GAME, 0, true, false},     {3, SCREEN_OPTION, 0, false, true}, {4, SCREEN_AWARD, 0, true, false},
        {5, SCREEN_SCORE, 0, true, false},    {6, SCREEN_QUIT, 1, false, true},   {7, SCREEN_ACCOUNT, 0, false, true},
        {8, SCREEN_EDITOR, 1, false, false},  {9, SCREEN_LOGO, 0, false, false},  {10, SCREEN_EDITOR, 3, false, false},
        {11, SCREEN_EDITOR, 2, false, false},
    };
    app->GetCurrentProfile().DeveloperFlag = true;
    app->GetCurrentProfile().name = "Mira";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        for (int id = 1; id < SCREEN_SLOTS; ++id)
            app->standIns.insert(id);
        app->standIns.erase(SCREEN_MAIN_MENU);
        MainMenu* menu = OpenMenu();
        FadeIn(menu);
        app->opened.clear();
        app->samples.clear();
        ButtonWidget* button = c.id < 8 ? menu->mButtons[c.id] : menu->mEditorButtons[c.id - 8];
        Click(button);
        EXPECT_EQ(app->Count(SE_UI_MENUCLICK), 1);
        if (c.fades) {
            EXPECT_TRUE(app->opened.empty());
            EXPECT_TRUE(menu->mFadingOut);
            EXPECT_FALSE(menu->HasWidget(button));
            Step(52);
        }
        ASSERT_EQ(app->opened.size(), 1u);
        EXPECT_EQ(app->opened[0], std::make_pair(c.screen, c.mode));
        EXPECT_NE(app->screens[c.screen], nullptr);
        EXPECT_EQ(app->screens[SCREEN_MAIN_MENU] == menu, c.menuStays);
        for (int id = 1; id < SCREEN_SLOTS; ++id)
            app->RemoveScreen(id);
        app->ProcessSafeDeletes();
    }
}

TEST_F(MainMenuTest, ReleaseDuringTheFadeInFadesOutFromFullAlphaAndHoverSounds)
{
    app->standIns.insert(SCREEN_SCORE);
    MainMenu* menu = OpenMenu();
    Step(2);
    EXPECT_TRUE(menu->mFadingIn);
    EXPECT_EQ(menu->mFadeAlpha, 10);
    app->mWidgetManager->MouseMove(19, 648);
    EXPECT_EQ(app->samples, std::vector<int>{SE_UI_OVER});
    Click(menu->mButtons[5]);
    EXPECT_EQ(menu->mFadeAlpha, 255);
    EXPECT_TRUE(menu->mFadingOut);
    EXPECT_FALSE(menu->mFadingIn);
    EXPECT_EQ(menu->mWidgets.size(), 0u);
    // 26 fade steps on every second update.
    Step(50);
    EXPECT_EQ(app->screens[SCREEN_MAIN_MENU], menu);
    Step(2);
    EXPECT_EQ(app->screens[SCREEN_MAIN_MENU], nullptr);
    EXPECT_EQ(app->opened.back(), std::make_pair(int(SCREEN_SCORE), 0));
}

TEST_F(MainMenuTest, InactiveApplicationNeitherTicksNorDraws)
{
    MainMenu* menu = OpenMenu();
    app->mActive = false;
    Step(20);
    EXPECT_EQ(menu->mFadeAlpha, 0);
    EXPECT_TRUE(DrawCalls(menu).empty());
    app->mActive = true;
    Step(2);
    EXPECT_EQ(menu->mFadeAlpha, 10);
    EXPECT_FALSE(DrawCalls(menu).empty());
}

TEST_F(MainMenuTest, LogoPlacesAreFourDifferentOfNine)
{
    MainMenu* menu = OpenMenu();
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::srand(seed);
        menu->PickLogoSlots();
        ASSERT_EQ(menu->mLogoPlaces.size(), 9u);
        std::set<int> chosen(std::begin(menu->mChosenPlaces), std::end(menu->mChosenPlaces));
        EXPECT_EQ(chosen.size(), 4u) << seed;
        EXPECT_GE(*chosen.begin(), 0);
        EXPECT_LE(*chosen.rbegin(), 8);
    }
}

TEST_F(MainMenuTest, ShutdownWhileLoadingBuildsNothing)
{
    app->mShutdown = true;
    MainMenu* menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->mWidgets.size(), 0u);
    for (ButtonWidget* button : menu->mButtons)
        EXPECT_EQ(button, nullptr);
    EXPECT_TRUE(app->mBoxes.empty());
    Step(4);
    DrawCalls(menu);
}

namespace {

class PopupQuitTest : public MenuTest {
protected:
    PopupQuit* OpenQuit(int mode)
    {
        auto* quit = Open<PopupQuit>(SCREEN_QUIT, mode);
        for (int n = 0; n < 100 && quit->mFadingIn; ++n)
            Step();
        return quit;
    }
    GameStandIn* OpenGame()
    {
        app->ShowScreen(SCREEN_GAME, 0);
        return dynamic_cast<GameStandIn*>(app->screens[SCREEN_GAME]);
    }
};

} // namespace

TEST_F(PopupQuitTest, QuestionsAndPendingAnswers)
{
    EXPECT_STREQ(PopupQuit::Question(1), "Are you sure you want to quit?");
    EXPECT_STREQ(PopupQuit::Question(2), "Return to main menu?");
    EXPECT_STREQ(PopupQuit::Question(3), "Are you sure to quit this mini game?");
    EXPECT_STREQ(PopupQuit::Question(4), "Are you sure to quit? \n(Tutorial will not be saved until you finish it.)");
    EXPECT_EQ(PopupQuit::Question(0), nullptr);
    EXPECT_EQ(PopupQuit::Question(5), nullptr);

    for (int mode = 0; mode <= 5; ++mode) {
        for (bool ok : {true, false}) {
            SCOPED_TRACE(std::to_string(mode) + (ok ? " ok" : " cancel"));
            PopupQuit* quit = OpenQuit(mode);
            EXPECT_EQ(quit->mOkButton->GetRect(), Rect(494, 330, 8, 4));
            EXPECT_EQ(quit->mCancelButton->GetRect(), Rect(522, 330, 8, 4));
            app->samples.clear();
            Click(ok ? quit->mOkButton : quit->mCancelButton);
            EXPECT_EQ(app->samples.back(), SE_UI_CLICK);
            const bool acts = !ok || (mode >= 1 && mode <= 4);
            EXPECT_EQ(quit->mPendingAction, !acts ? -1 : ok ? 10000 + mode : 999);
            EXPECT_EQ(quit->mFadingOut, acts);
            app->mShutdown = false;
            app->RemoveScreen(SCREEN_QUIT);
            app->ProcessSafeDeletes();
        }
    }
}

TEST_F(PopupQuitTest, AnswersReachTheMenuTheGameAndTheMiniGame)
{
    const struct {
        int mode;
        bool ok;
        bool game;
        bool miniGame;
        std::vector<std::string> calls;
    } cases[] = {
        {2, true, true, true, {"return saved"}},
        {4, true, true, true, {"return reloaded"}},
        {3, true, true, true, {"mini-game 999"}},
        {3, false, true, true, {"mini-game 991"}},
        {2, false, true, true, {}},
        {4, false, true, true, {}},
        {3, true, true, false, {}},
        {3, false, true, false, {}},
        // No game screen: nothing to act on, nothing breaks.
        {2, true, false, false, {}},
        {3, true, false, false, {}},
        {4, true, false, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + (c.ok ? " ok" : " cancel") + (c.game ? " game" : ""));
        GameStandIn* game = c.game ? OpenGame() : nullptr;
        if (game)
            game->hasMiniGame = c.miniGame;
        PopupQuit* quit = OpenQuit(c.mode);
        Click(c.ok ? quit->mOkButton : quit->mCancelButton);
        Step(50);
        EXPECT_EQ(app->screens[SCREEN_QUIT], quit);
        Step(2);
        EXPECT_EQ(app->screens[SCREEN_QUIT], nullptr);
        EXPECT_FALSE(app->mShutdown);
        if (game) {
            EXPECT_EQ(game->calls, c.calls);
        }
        app->RemoveScreen(SCREEN_GAME);
        app->ProcessSafeDeletes();
    }
}

TEST_F(PopupQuitTest, FromTheMainMenuCancelKeepsTheMenuAndOkEndsTheProgram)
{
    app->GetCurrentProfile().name = "Mira";
    MainMenu* menu = Open<MainMenu>(SCREEN_MAIN_MENU);
    for (int n = 0; n < 60; ++n)
        Step();
    Click(menu->mButtons[6]);
    auto* quit = dynamic_cast<PopupQuit*>(app->screens[SCREEN_QUIT]);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->mMode, 1);
    Step(52);
    Click(quit->mCancelButton);
    Step(52);
    EXPECT_EQ(app->screens[SCREEN_QUIT], nullptr);
    ASSERT_EQ(app->screens[SCREEN_MAIN_MENU], menu);
    EXPECT_FALSE(app->mShutdown);
    // The menu still reacts.
    Click(menu->mButtons[6]);
    quit = dynamic_cast<PopupQuit*>(app->screens[SCREEN_QUIT]);
    ASSERT_NE(quit, nullptr);
    Step(52);
    Click(quit->mOkButton);
    Step(52);
    EXPECT_EQ(app->screens[SCREEN_QUIT], nullptr);
    EXPECT_EQ(app->screens[SCREEN_MAIN_MENU], nullptr);
    EXPECT_TRUE(app->mShutdown);
}

TEST_F(PopupQuitTest, InactiveApplicationHoldsTheAnswerAndDrawsNothing)
{
    GameStandIn* game = OpenGame();
    PopupQuit* quit = OpenQuit(3);
    Click(quit->mCancelButton);
    app->mActive = false;
    Step(200);
    EXPECT_EQ(app->screens[SCREEN_QUIT], quit);
    EXPECT_TRUE(game->calls.empty());
    EXPECT_TRUE(DrawCalls(quit).empty());
    app->mActive = true;
    Step(52);
    EXPECT_EQ(game->calls, std::vector<std::string>{"mini-game 991"});
}

TEST_F(PopupQuitTest, BackgroundCentredInTheUpperAreaAndScaledAboutItsMiddle)
{
    PopupQuit* quit = OpenQuit(1);
    std::vector<std::string> calls = DrawCalls(quit);
    ASSERT_FALSE(calls.empty());
    // The fixture's pictures are 8 x 4: centred in 1024 x 600.
    EXPECT_EQ(calls[0], "Blt 508,298 src 0,0,8,4");
}
