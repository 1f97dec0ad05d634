// Single instance, with a second real process: this test program started again on one of the
// disabled child tests below.
#include "tests/app/AppTestSupport.h"

#include "platform/Instance.h"
#include "platform/Sys.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>

using quortest::TestApp;

namespace {

const char kProduct[] = "QuorInstanceTest";

// Runs one child test in a new process of this program; returns its exit status, or -1 when
// it did not exit normally.
int RunChild(const std::string& test)
{
    // The child's test main makes its own scratch folders: hand it this one's runtime folder.
    std::string command = "QUOR_PARENT_RUNTIME='" + plat::GetEnv("XDG_RUNTIME_DIR") + "' '" +
                          plat::GetProgramPath() +
                          "' --gtest_also_run_disabled_tests --gtest_filter=InstanceChild." +
                          test + " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void UseParentRuntimeFolder()
{
    std::string parent = plat::GetEnv("QUOR_PARENT_RUNTIME");
    if (!parent.empty())
        setenv("XDG_RUNTIME_DIR", parent.c_str(), 1);
}

struct InstanceApp : TestApp {
    InstanceApp()
    {
        mProductName = kProduct;
        mCmdLineParsed = true;
        mLoadingThreadWanted = false;
    }
};

} // namespace

// Child: a second start of the same product. Init must end the process with status 0.
TEST(InstanceChild, DISABLED_SecondStart)
{
    UseParentRuntimeFolder();
    InstanceApp app;
    app.Init();
    std::exit(3); // reached only when Init let a second copy run
}

// Child: takes the lock and dies without releasing anything.
TEST(InstanceChild, DISABLED_KilledHolder)
{
    UseParentRuntimeFolder();
    bool running = false;
    auto lock = plat::InstanceLock::Acquire(std::string(kProduct) + "Mutex", &running);
    if (!lock)
        std::exit(4);
    std::raise(SIGKILL);
}

TEST(Instance, SecondStartNotifiesTheFirstAndExitsZero)
{
    InstanceApp first;
    first.Init();
    ASSERT_NE(first.mMutex, nullptr);

    EXPECT_EQ(RunChild("DISABLED_SecondStart"), 0);
    for (int i = 0; i < 10; ++i)
        first.UpdateAppStep(nullptr);
    EXPECT_EQ(first.mBringToFront, 1);
}

TEST(Instance, KilledInstanceDoesNotBlockANewStart)
{
    int status = RunChild("DISABLED_KilledHolder");
    EXPECT_TRUE(status == -1 || status == 128 + SIGKILL) << status; // died by the signal
    InstanceApp app;
    app.Init();
    ASSERT_NE(app.mMutex, nullptr);
    // Its socket works: a notify reaches it.
    EXPECT_TRUE(plat::NotifyRunningInstance(std::string(kProduct) + "Mutex",
                                            app.mNotifyGameMessage, 0, 0));
    for (int i = 0; i < 10; ++i)
        app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.mBringToFront, 1);
}

TEST(Instance, ScreenSaverMayRunBesideTheFirst)
{
    InstanceApp first;
    first.Init();
    InstanceApp saver;
    saver.mIsScreenSaver = true;
    saver.Init(); // would end this process if it counted as a second copy
    EXPECT_TRUE(saver.mInitialized);
    EXPECT_EQ(saver.mMutex, nullptr);
}
