// The mini-game screen with a stand-in game: the ready sign and the start, the countdown and
// its one TimeUp, the back button and the quit popup's answers, the end button, the return to
// the factory with the winnings, games that cannot be built, and every notify id of an update.
#include "tests/game/minigames/MiniGameFixture.h"

#include "game/minigames/MgWine.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/PopupQuit.h"
#include "game/shell/ResourceBinding.h"
#include "widgets/ButtonWidget.h"

using namespace Quor;

namespace {

std::vector<std::string> gLog;
void CaptureLog(const char* text)
{
    gLog.emplace_back(text);
}

// A game that writes the host's calls into a trace.
class StandInGame : public MgSkeleton {
public:
    StandInGame(MgUi* host, std::vector<std::string>* trace) : MgSkeleton(host, 9), mTrace(trace) {}
    void OnEffectDone(int id) override { mTrace->push_back("done " + std::to_string(id)); }
    void StartGame() override
    {
        mTrace->push_back("start");
        mStarted = true;
    }
    void TimeUp() override { mTrace->push_back("time up"); }
    void Finish() override
    {
        mTrace->push_back("finish");
        MgSkeleton::Finish();
    }
    void Tick(double dt) override
    {
        (void)dt;
        ++mTicks;
    }
    std::vector<std::string>* mTrace;
    int mTicks = 0;
};

class MgUiTest : public quortest::MiniGameTest {
protected:
    // The Production Machine's screen with the stand-in in place of the game.
    StandInGame* OpenWithStandIn()
    {
        MgUi* host = Open(MINI_GAME_WINE);
        delete host->mGame;
        auto* game = new StandInGame(host, &trace);
        host->mGame = game;
        host->mCountdown = 60.0;
        return game;
    }
    std::vector<std::string> trace;
};

TEST_F(MgUiTest, BuildsItsButtonsAndTheReadySignAndStartsTheGameWhenTheSignEnds)
{
    Start();
    MgUi* host = Open(MINI_GAME_WINE);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->mProductId, kProduct);
    EXPECT_EQ(host->mLevel, 1);
    EXPECT_EQ(host->mScore, 0);
    EXPECT_EQ(host->mWinnings, 0);
    EXPECT_NE(dynamic_cast<MgWine*>(host->mGame), nullptr);
    EXPECT_EQ(host->mGame->GetRect(), Rect(0, 0, 1024, 768));
    EXPECT_EQ(Seen().music.back(), "music/mini_game.ogg");
    EXPECT_EQ(host->mBackButton->GetRect(), Rect(900, 700, 8, 4));
    EXPECT_EQ(host->mBackButton->mParent, phase);
    EXPECT_EQ(host->mEndButton->GetRect(), Rect(585, 500, 8, 4));
    EXPECT_FALSE(host->mEndButton->mVisible);
    EXPECT_EQ(host->mEndButton->mParent, nullptr);

    ASSERT_EQ(host->mEffects->mEffects.size(), 1u);
    FXObject& sign = *host->mEffects->mEffects[0];
    EXPECT_EQ(sign.mX, (1024 - 240) / 2);
    EXPECT_EQ(sign.mY, (768 - 90) / 2);
    EXPECT_EQ(sign.mNotifyId, MgUi::ID_READY_SIGN);
    // A second sign while one runs does nothing.
    host->ShowReadySign();
    EXPECT_EQ(host->mEffects->mEffects.size(), 1u);

    struct Moment {
        int ticks;  // since opening
        double scale;
        bool started;
    };
    int at = 0;
    for (Moment m : {Moment{25, 1.0, false}, Moment{50, 1.0, false}, Moment{100, 1.0, false}, Moment{124, 0.04, false},
                     Moment{126, 0.0, true}}) {
        Tick(m.ticks - at);
        at = m.ticks;
        if (!m.started) {
            EXPECT_NEAR(sign.mScale, m.scale, 1e-6) << m.ticks;
        }
        EXPECT_EQ(host->mGame->mStarted, m.started) << m.ticks;
    }
    EXPECT_TRUE(host->mEffects->mEffects.empty() || host->mEffects->mEffects[0]->mNotifyId != MgUi::ID_READY_SIGN);
    host->ShowReadySign();  // after the start: nothing
    for (const auto& effect : host->mEffects->mEffects)
        EXPECT_NE(effect->mNotifyId, MgUi::ID_READY_SIGN);
}

TEST_F(MgUiTest, CountdownStopsAtZeroWithOneTimeUpAndTheGameTicksOnlyWhileItRuns)
{
    Start();
    StandInGame* game = OpenWithStandIn();
    MgUi* host = Host();
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    const int ticksBefore = game->mTicks;
    Tick(2999);
    EXPECT_GT(host->mCountdown, 0.0);
    EXPECT_TRUE(std::find(trace.begin(), trace.end(), "time up") == trace.end());
    Tick(10);
    EXPECT_EQ(host->mCountdown, 0.0);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "time up"), 1);
    const int ticksAtZero = game->mTicks;
    EXPECT_GE(ticksAtZero - ticksBefore, 3000);
    EXPECT_FALSE(game->mStarted);

    // "No" in the quit popup never starts a game whose play is over, so TimeUp stays single.
    host->ButtonDepress(MgUi::ID_BACK);
    host->ButtonDepress(MgUi::ID_RESUME);
    EXPECT_FALSE(game->mStarted);
    Tick(50);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "time up"), 1);
    EXPECT_EQ(game->mTicks, ticksAtZero);
}

TEST_F(MgUiTest, BackDuringTheReadySignThenNoStartsPlayEarlyAndTheSignStillStartsTheGame)
{
    Start();
    StandInGame* game = OpenWithStandIn();
    MgUi* host = Host();
    Tick(10);
    Click(host->mBackButton);
    EXPECT_EQ(Seen().Count(SE_UI_CLICK), 1);
    auto* popup = dynamic_cast<PopupQuit*>(app->screens[SCREEN_QUIT]);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->mMode, 3);
    EXPECT_FALSE(game->mStarted);
    host->ButtonDepress(MgUi::ID_RESUME);  // the popup's "no"
    EXPECT_TRUE(game->mStarted);
    const double before = host->mCountdown;
    Tick(10);
    EXPECT_NEAR(host->mCountdown, before - 0.2, 1e-9);
    EXPECT_TRUE(std::find(trace.begin(), trace.end(), "start") == trace.end());
    ASSERT_TRUE(TickUntil([&] { return std::find(trace.begin(), trace.end(), "start") != trace.end(); }, 200));
    EXPECT_EQ(trace, (std::vector<std::string>{"done 101", "start"}));

    // The countdown stands while the popup is open.
    host->ButtonDepress(MgUi::ID_BACK);
    const double paused = host->mCountdown;
    Tick(100);
    EXPECT_EQ(host->mCountdown, paused);
    host->ButtonDepress(MgUi::ID_RESUME);
    Tick(1);
    EXPECT_LT(host->mCountdown, paused);
}

TEST_F(MgUiTest, TheTutorialHasNoBackButton)
{
    Start();
    Profile().tutorialStep = 40;
    MgUi* host = Open(MINI_GAME_WINE);
    EXPECT_EQ(host->mBackButton->mParent, nullptr);
    Tick(1);
    phase->mDirty = true;
    const std::vector<uint32_t> tutorial = quortest::DrawWholeScreen(*app->mWidgetManager);
    Profile().tutorialStep = TutorialFinished;
    phase->mDirty = true;
    const std::vector<uint32_t> free = quortest::DrawWholeScreen(*app->mWidgetManager);
    // The back button's 8 x 4 picture at (900, 700) is the only difference.
    int differ = 0;
    for (size_t i = 0; i < free.size(); ++i)
        if (free[i] != tutorial[i]) {
            ++differ;
            EXPECT_TRUE(i % 1024 >= 900 && i % 1024 < 908 && i / 1024 >= 700 && i / 1024 < 704) << i;
        }
    EXPECT_GT(differ, 0);
}

// The end button: finish shows it, a press goes back; the return runs once, pays the winnings
// once and touches nothing of the screen after it closed.
TEST_F(MgUiTest, EndButtonReturnsToTheFactoryOncePayingTheWinnings)
{
    struct Case {
        int winnings;
        int money;
        bool moneyEffect;
    };
    for (Case c : {Case{0, 500, false}, Case{-5, 500, false}, Case{40, 540, true}, Case{2147483647, 2147483647, true}}) {
        SCOPED_TRACE(c.winnings);
        Start();
        StandInGame* game = OpenWithStandIn();
        MgUi* host = Host();
        ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
        host->mEffects->Add(new FXObject(0, 0, 0, 0, IMG_NONE, 1, false, 1, MgUi::ID_RESULT_SHOWN, 0.1, 0.1, 0.0,
                                         FXObject::kDeriveNotifyTime));
        ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 50));
        EXPECT_EQ(trace.back(), "finish");
        EXPECT_TRUE(host->mEndButton->mVisible);
        EXPECT_EQ(host->mEndButton->mParent, phase);
        host->mWinnings = c.winnings;
        Seen().calls.clear();
        Click(host->mEndButton);
        EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
        EXPECT_EQ(host->mEndButton->mParent, nullptr);
        EXPECT_EQ(host->mBackButton->mParent, nullptr);
        // The quit popup's "yes" arriving late, or a tutorial skip, pays nothing more.
        host->ButtonDepress(MgUi::ID_END);
        host->ReturnToFactory();
        EXPECT_EQ(Profile().money, c.money);
        std::vector<std::string> want = {"open 6 0", "hud shown 1", "quest targets"};
        if (c.moneyEffect)
            want.push_back("money effect");
        EXPECT_EQ(Seen().calls, want);
        EXPECT_EQ(Seen().music.back().rfind("music/England", 0), 0u) << Seen().music.back();
        Tick(1);  // freed here, under the address sanitizer's eye
        TearDown();
        SetUp();
    }
}

TEST_F(MgUiTest, GamesThatCannotBeBuiltGoBackAtTheFirstTick)
{
    struct Case {
        int number;
        int tutorialStep;
        bool factory, recipe, record;
        const char* log;
        bool shutdown = false;
    };
    const Case cases[] = {
        {7, TutorialFinished, true, true, true, "There is no mini-game 7"},
        {-1, TutorialFinished, true, true, true, "There is no mini-game -1"},
        {3, TutorialFinished, false, true, true, "has no factory"},
        {3, TutorialFinished, true, false, true, "no recipe or production record"},
        {3, TutorialFinished, true, true, false, "no recipe or production record"},
        // A shutdown while "Mg" loads: no binding, no error box, no game.
        {3, TutorialFinished, true, true, true, "did not load", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        Start();
        plat::SetDebugOutputSink(&CaptureLog);
        gLog.clear();
        Profile().tutorialStep = c.tutorialStep;
        if (!c.factory)
            Profile().factories.erase(0);
        if (!c.recipe)
            app->blueprintTable.clear();
        if (!c.record)
            Profile().production.clear();
        app->mShutdown = c.shutdown;
        MgUi* host = Open(c.number);
        app->mShutdown = false;
        ASSERT_NE(host, nullptr);
        EXPECT_EQ(host->mGame, nullptr);
        EXPECT_TRUE(app->mBoxes.empty());
        EXPECT_FALSE(app->loadFailed);
        bool logged = false;
        for (const std::string& line : gLog)
            logged = logged || line.find(c.log) != std::string::npos;
        EXPECT_TRUE(logged) << (gLog.empty() ? "" : gLog.back());
        Tick(1);
        EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
        EXPECT_TRUE(Seen().Has("open 6 0"));
        TearDown();
        SetUp();
    }
}

TEST_F(MgUiTest, EveryNotifyIdOfOneUpdateReachesTheGame)
{
    Start();
    OpenWithStandIn();
    MgUi* host = Host();
    Tick(130);
    trace.clear();
    for (int id : {40003, 7, 40004})
        host->mEffects->Add(new FXObject(0, 0, 0, 0, IMG_NONE, 1, false, 1, id, 0.1, 0.1, 0.0, FXObject::kDeriveNotifyTime));
    Tick(10);
    EXPECT_EQ(trace, (std::vector<std::string>{"done 40003", "done 7", "done 40004"}));
}

} // namespace
