// Command-line splitting and options.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "app/Common.h"
#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <filesystem>

using quortest::TestApp;

namespace {

struct RecordingApp : TestApp {
    std::vector<std::pair<std::string, std::string>> mParams;
    void HandleCmdLineParam(const std::string& name, const std::string& value) override
    {
        mParams.emplace_back(name, value);
    }
};

using Params = std::vector<std::pair<std::string, std::string>>;

} // namespace

TEST(CommandLine, SplitsParameters)
{
    struct Case {
        const char* text;
        Params params;
    } cases[] = {
        {"", {}},
        {"-play", {{"-play", ""}}},
        {"-recnum=3 -screensaver", {{"-recnum", "3"}, {"-screensaver", ""}}},
        {"\"-demofile=c:\\my demos\\a.dmo\"", {{"-demofile", "c:\\my demos\\a.dmo"}}},
        {"\"-play\"-record", {{"-play", ""}, {"-record", ""}}}, // a closing quote ends it
        {"=value -play", {{"-play", ""}}},                       // empty name: dropped
        {"-a==b  -c", {{"-a", "b"}, {"-c", ""}}},
    };
    for (const Case& c : cases) {
        RecordingApp app;
        app.SplitCommandLine(c.text);
        EXPECT_EQ(app.mParams, c.params) << c.text;
    }
}

TEST(CommandLine, SkipsTheProgramName)
{
    struct Case {
        const char* line;
        Params params;
    } cases[] = {
        {"\"c:\\games\\the game.exe\"", {}},
        {"game.exe", {}},
        {"\"c:\\the game.exe\" -play", {{"-play", ""}}},
        {"game.exe -record -play", {{"-record", ""}, {"-play", ""}}},
        {"\"unterminated -play", {}},
    };
    for (const Case& c : cases) {
        const char* argv[] = {"x"};
        plat::SetCommandLine(1, argv);
        RecordingApp app;
        // Set the raw line through the platform: one piece holding the whole line is quoted
        // when it has spaces, so give the pieces split at spaces instead.
        std::vector<std::string> pieces;
        std::string piece;
        for (const char* p = c.line;; ++p) {
            if (*p == ' ' || *p == 0) {
                pieces.push_back(piece);
                piece.clear();
                if (!*p)
                    break;
            } else {
                piece += *p;
            }
        }
        std::vector<const char*> args;
        for (const std::string& s : pieces)
            args.push_back(s.c_str());
        plat::SetCommandLine(int(args.size()), args.data());
        app.ParseCommandLine();
        EXPECT_TRUE(app.mCmdLineParsed);
        EXPECT_EQ(app.mParams, c.params) << c.line;
    }
}

TEST(CommandLine, Options)
{
    Quor::SetAppDataFolder("/data/app/");
    TestApp app;
    app.HandleCmdLineParam("-record", "");
    EXPECT_TRUE(app.mRecordingDemo);
    app.HandleCmdLineParam("-play", "");
    EXPECT_TRUE(app.mPlayingDemo);
    EXPECT_FALSE(app.mRecordingDemo);
    app.HandleCmdLineParam("-demofile", "run.dmo");
    EXPECT_EQ(app.mDemoFileName, "/data/app/run.dmo");
    app.HandleCmdLineParam("-demofile", "c:run.dmo");
    EXPECT_EQ(app.mDemoFileName, "c:run.dmo");
    app.HandleCmdLineParam("-demofile", "..\\run.dmo");
    EXPECT_EQ(app.mDemoFileName, "..\\run.dmo");
    app.HandleCmdLineParam("-screensaver", "");
    EXPECT_TRUE(app.IsScreenSaver());
    app.HandleCmdLineParam("-changedir", "/tmp/x");
    EXPECT_EQ(app.mChangeDirTo, "/tmp/x");
    Quor::SetAppDataFolder("");
}

TEST(CommandLineDeathTest, UnknownParameterEndsWithFailure)
{
    // "-Play" is not "-play": letter case counts.
    EXPECT_EXIT(
        {
            TestApp app;
            app.HandleCmdLineParam("-Play", "");
        },
        ::testing::ExitedWithCode(1), "Invalid command line parameter: -Play");
}

TEST(CommandLine, NumberedDemoFilesShareOneFolder)
{
    quortest::TempDir dir;
    Quor::SetAppDataFolder(dir.Path().string() + "/");
    for (int n : {4, 5, 6})
        quortest::WriteFile(dir.File("quorapp" + std::to_string(n) + ".dmo"), std::string("d"));
    quortest::WriteFile(dir.File("quorappx.dmo"), std::string("not numbered"));

    TestApp recorder;
    recorder.HandleCmdLineParam("-recnum", "3");
    EXPECT_FALSE(std::filesystem::exists(dir.File("quorapp4.dmo")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("quorapp5.dmo")));
    EXPECT_EQ(recorder.mDemoFileName, dir.File("quorapp7.dmo"));
    EXPECT_TRUE(recorder.mRecordingDemo);
    quortest::WriteFile(dir.File("quorapp7.dmo"), std::string("d"));

    struct Case {
        const char* value;
        int number;
    } cases[] = {{"2", 6}, {"1", 7}, {"0", 7}, {"abc", 7}, {"3", 5}};
    for (const Case& c : cases) {
        TestApp player;
        player.HandleCmdLineParam("-playnum", c.value);
        EXPECT_EQ(player.mDemoFileName, dir.File("quorapp" + std::to_string(c.number) + ".dmo"))
            << c.value;
        EXPECT_TRUE(player.mPlayingDemo);
    }
    Quor::SetAppDataFolder("");
}
