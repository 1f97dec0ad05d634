// The end of the session: SIGTERM and SIGHUP sent to a running program (this test program started
// again on the disabled child test below) end it as a normal shutdown does.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "platform/Settings.h"
#include "platform/Sys.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

const char kProduct[] = "QuorSessionEnd";
const char kRegistryKey[] = "QuorTest\\SessionEnd";

// Records a demo, and says it runs (a file "ready") after 20 updates.
struct SessionApp : quortest::TestApp {
    std::string mReadyFile;
    void UpdateFrames() override
    {
        TestApp::UpdateFrames();
        if (mUpdateCount == 20)
            quortest::WriteFile(mReadyFile, std::string("ready"));
    }
};

bool WaitForFile(const std::filesystem::path& path, std::chrono::seconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Waits for the child to end; -1 when it did not end in time (it is killed then).
int WaitForChild(pid_t pid, std::chrono::seconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return status;
}

} // namespace

// Child: runs the program until something ends it.
TEST(SessionEndChild, DISABLED_Run)
{
    const std::string dir = plat::GetEnv("QUOR_SESSION_DIR");
    ASSERT_FALSE(dir.empty());
    SessionApp app;
    app.SetClock(nullptr); // real time
    app.mReadyFile = dir + "/ready";
    app.mProductName = kProduct;
    app.mRegistryKey = kRegistryKey;
    app.mCmdLineParsed = true;
    app.mLoadingThreadWanted = false;
    app.mOnlyAllowOneCopyToRun = false;
    app.mWindowed = true;
    app.mWidth = 320;
    app.mHeight = 200;
    app.mRecordingDemo = true;
    app.mDemoFileName = dir + "/session.dmo";
    app.Init();
    ASSERT_TRUE(app.mInitialized);
    app.Start(); // the demo is written when the application goes
}

TEST(SessionEnd, SignalsShutDownNormally)
{
    for (int sig : {SIGTERM, SIGHUP}) {
        quortest::TempDir dir;
        // The child shares this program's scratch folders, so its settings are read here.
        setenv("QUOR_SESSION_DIR", dir.Path().c_str(), 1);
        const std::string program = plat::GetProgramPath();
        const std::string log = dir.File("child.log");
        std::string runDisabled = "--gtest_also_run_disabled_tests";
        std::string filter = "--gtest_filter=SessionEndChild.DISABLED_Run";
        char* argv[] = {const_cast<char*>(program.c_str()), runDisabled.data(), filter.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        unsetenv("QUOR_SESSION_DIR");

        if (!WaitForFile(dir.Path() / "ready", std::chrono::seconds(60))) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            FAIL() << "the child never ran: " << quortest::ReadFile(log).size() << " bytes of log";
        }
        int inProgress = 0;
        uint32_t type = 0;
        std::vector<uint8_t> value;
        ASSERT_TRUE(plat::SettingsRead(std::string("SOFTWARE\\") + kRegistryKey, "InProgress", &type, &value));
        ASSERT_EQ(value.size(), 4u);
        EXPECT_EQ(value[0], 1); // the run is in progress

        kill(pid, sig);
        int status = WaitForChild(pid, std::chrono::seconds(60));
        std::vector<uint8_t> logBytes = quortest::ReadFile(log);
        const std::string childLog(logBytes.begin(), logBytes.end());
        ASSERT_TRUE(WIFEXITED(status)) << sig << ": the child did not end normally\n" << childLog;
        EXPECT_EQ(WEXITSTATUS(status), 0) << sig << "\n" << childLog;

        // Settings written, "InProgress" cleared, the recorded demo written whole.
        ASSERT_TRUE(plat::SettingsRead(std::string("SOFTWARE\\") + kRegistryKey, "InProgress", &type, &value));
        ASSERT_EQ(value.size(), 4u);
        inProgress = value[0] | value[1] << 8 | value[2] << 16 | value[3] << 24;
        EXPECT_EQ(inProgress, 0) << sig;
        quortest::TestApp reader;
        reader.mProductName = kProduct;
        reader.mDemoFileName = dir.File("session.dmo");
        std::string error;
        EXPECT_TRUE(reader.ReadDemoFile(error)) << sig << ": " << error;
        EXPECT_GE(reader.mDemoLength, 20) << sig;
    }
}
