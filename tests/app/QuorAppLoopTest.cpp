// The main loop's fixed-step timing, driven by a clock that moves only when the loop sleeps.
#include "tests/app/AppTestSupport.h"
#include "platform/Sys.h"
#include "widgets/Widget.h"

#include <gtest/gtest.h>

using quortest::TestApp;

namespace {

// Runs loop steps until the fake clock has moved by the given milliseconds.
void RunFor(TestApp& app, uint32_t ms)
{
    uint32_t end = app.mFakeClock.mNow + ms;
    for (int guard = 0; guard < 1000000 && int32_t(app.mFakeClock.mNow - end) < 0; ++guard)
        app.UpdateAppStep(nullptr);
}

// The most updates that ran between two consecutive redraw steps.
int MaxUpdatesBetweenRedraws(const TestApp& app)
{
    int most = 0;
    for (size_t i = 1; i < app.mRedrawUpdateCounts.size(); ++i)
        most = std::max(most, app.mRedrawUpdateCounts[i] - app.mRedrawUpdateCounts[i - 1]);
    return most;
}

} // namespace

TEST(MainLoop, UpdateRateFollowsTheMultiplier)
{
    struct Case {
        double multiplier;
        int perSecond;
    } cases[] = {{1.0, 100}, {0.25, 25}, {2.0, 200}};
    for (const Case& c : cases) {
        TestApp app;
        app.mLoadingCompletedHandled = true;
        app.mUpdateMultiplier = c.multiplier;
        RunFor(app, 100); // settle
        int before = app.mUpdateCount;
        RunFor(app, 1000);
        EXPECT_NEAR(app.mUpdateCount - before, c.perSecond, 1) << c.multiplier;
        // Idle: the time not spent updating is slept in place of spinning.
        EXPECT_GE(app.mFakeClock.mSlept, 1000u) << c.multiplier;
    }
}

TEST(MainLoop, StallCatchesUpAtMost200MsWithForcedRedraws)
{
    struct Case {
        double multiplier;
        int catchUp;         // updates owed by a 200 ms backlog
        int maxBetweenDraws; // update checks per redraw step, less the one that redraws
    } cases[] = {{1.0, 20, 9}, {0.25, 5, 2}};
    for (const Case& c : cases) {
        TestApp app;
        app.mLoadingCompletedHandled = true;
        app.mUpdateMultiplier = c.multiplier;
        RunFor(app, 200);
        app.mRedrawUpdateCounts.clear();
        int before = app.mUpdateCount;
        uint32_t sleeps = app.mFakeClock.mSleepCalls;
        app.mFakeClock.mNow += 1000; // the stall
        for (int guard = 0; guard < 10000 && app.mFakeClock.mSleepCalls == sleeps; ++guard)
            app.UpdateAppStep(nullptr);
        EXPECT_NEAR(app.mUpdateCount - before, c.catchUp, 1) << c.multiplier;
        EXPECT_LE(MaxUpdatesBetweenRedraws(app), c.maxBetweenDraws) << c.multiplier;
        EXPECT_GE(app.mRedrawUpdateCounts.size(), 2u) << c.multiplier;
    }
}

TEST(MainLoop, NoRedrawCapWhileLoading)
{
    TestApp app;
    app.mLoadingCompletedHandled = false;
    RunFor(app, 200);
    app.mRedrawUpdateCounts.clear();
    app.mRedrawUpdateCounts.push_back(app.mUpdateCount);
    uint32_t sleeps = app.mFakeClock.mSleepCalls;
    app.mFakeClock.mNow += 1000;
    for (int guard = 0; guard < 10000 && app.mFakeClock.mSleepCalls == sleeps; ++guard)
        app.UpdateAppStep(nullptr);
    EXPECT_GE(MaxUpdatesBetweenRedraws(app), 19);
}

TEST(MainLoop, PausedOrStoppedRunsNoUpdateAndDoesNotSleep)
{
    for (int variant = 0; variant < 2; ++variant) {
        TestApp app;
        if (variant == 0)
            app.mUpdateMultiplier = 0.0;
        else
            app.mPaused = true;
        for (int i = 0; i < 1000; ++i)
            ASSERT_TRUE(app.UpdateAppStep(nullptr));
        EXPECT_EQ(app.mUpdateCount, 0) << variant;
        EXPECT_EQ(app.mFakeClock.mSleepCalls, 0u) << variant;
    }
}

TEST(MainLoop, UpdateAppRunsExactlyOneUpdate)
{
    TestApp app;
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(app.UpdateApp());
        EXPECT_EQ(app.mUpdateCount, i);
    }
    app.mExitToTop = true;
    EXPECT_FALSE(app.UpdateApp());
}

TEST(MainLoop, LoadingProgress)
{
    struct Case {
        int total, done;
        double progress;
    } cases[] = {{0, 0, 1.0}, {0, 5, 1.0}, {4, 1, 0.25}, {2, 3, 1.0}, {3, 3, 1.0}};
    TestApp app;
    for (const Case& c : cases) {
        app.mNumLoadingThreadTasks = c.total;
        app.mCompletedLoadingThreadTasks = c.done;
        EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), c.progress) << c.total << "/" << c.done;
    }
}

namespace {
struct TrackedWidget : Quor::Widget {
    bool* mDeleted;
    explicit TrackedWidget(bool* deleted) : mDeleted(deleted) {}
    ~TrackedWidget() override { *mDeleted = true; }
};
} // namespace

TEST(MainLoop, SafeDeletesWaitForTheirStepDepth)
{
    TestApp app;
    bool outerDeleted = false;
    bool innerDeleted = false;
    app.mUpdateAppDepth = 1;
    app.SafeDeleteWidget(new TrackedWidget(&outerDeleted));
    app.mUpdateAppDepth = 2; // a nested modal loop
    app.SafeDeleteWidget(new TrackedWidget(&innerDeleted));
    app.ProcessSafeDeletes();
    EXPECT_TRUE(innerDeleted);
    EXPECT_FALSE(outerDeleted);
    app.mUpdateAppDepth = 1;
    app.ProcessSafeDeletes();
    EXPECT_TRUE(outerDeleted);
    EXPECT_TRUE(app.mSafeDeleteList.empty());
}

TEST(MainLoop, StartAfterEarlyShutdownReturnsWithoutWritingSettings)
{
    TestApp app;
    app.mRegistryKey = "QuorTest\\EarlyShutdown";
    app.Shutdown();
    app.Start();
    int value = 0;
    EXPECT_FALSE(app.RegistryReadInteger("InProgress", &value));
    EXPECT_FALSE(app.RegistryReadInteger("MusicVolume", &value));
    EXPECT_FALSE(app.mLoadingThreadStarted);
}

TEST(MainLoop, HeadlessRunStartsRunsAndShutsDown)
{
    int loadingRuns = 0;
    struct RunApp : TestApp {
        int* mLoadingRuns;
        int mCompleted = 0;
        explicit RunApp(int* runs) : mLoadingRuns(runs) {}
        void LoadingThreadProc() override
        {
            ++*mLoadingRuns;
            mNumLoadingThreadTasks = 2;
            mCompletedLoadingThreadTasks = 2;
        }
        void LoadingThreadCompleted() override { ++mCompleted; }
    };
    RunApp app(&loadingRuns);
    app.SetClock(nullptr); // real time
    app.mRegistryKey = "QuorTest\\HeadlessRun";
    app.mCmdLineParsed = true; // the test program's own arguments are not ours
    app.Init();
    ASSERT_TRUE(app.mInitialized);
    int inProgress = 0;
    ASSERT_TRUE(app.RegistryReadInteger("InProgress", &inProgress));
    EXPECT_EQ(inProgress, 1);

    app.mShutdownAfterUpdates = 30;
    app.Start();
    EXPECT_TRUE(app.mShutdown);
    EXPECT_GE(app.mUpdateCount, 30);
    EXPECT_EQ(loadingRuns, 1);
    EXPECT_EQ(app.mCompleted, 1);
    ASSERT_TRUE(app.RegistryReadInteger("InProgress", &inProgress));
    EXPECT_EQ(inProgress, 0);
}

namespace {
std::vector<std::string> gDebugLines;
void KeepDebugLine(const char* text)
{
    gDebugLines.emplace_back(text);
}
} // namespace

TEST(MainLoop, AverageFrameRateOfALongRunIsWrittenWhole)
{
    // Three million frames in 1000 s: the frame count times 1000 passes the int range.
    struct LongRunApp : TestApp {
        void UpdateFrames() override
        {
            TestApp::UpdateFrames();
            mDrawCount = 3000000;
            mDrawTime = 999000;
            mScreenBltTime = 1000;
        }
    };
    LongRunApp app;
    app.mLoadingThreadWanted = false;
    app.mShutdownAfterUpdates = 1;
    gDebugLines.clear();
    plat::SetDebugOutputSink(KeepDebugLine);
    app.Start();
    plat::SetDebugOutputSink(nullptr);
    EXPECT_NE(std::find(gDebugLines.begin(), gDebugLines.end(), "Avg FPS       = 3000\r\n"),
              gDebugLines.end());
}
