// Sound and volume services, shared images, the clipboard, dialogs, popups and the error log.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "app/Common.h"
#include "graphics/SharedImage.h"
#include "platform/Files.h"
#include "platform/Sys.h"
#include "platform/Threads.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

using namespace quortest;

TEST(AppObject, ConstructorDefaults)
{
    {
        TestApp app;
        EXPECT_EQ(Quor::gQuorAppBase, &app);
        EXPECT_EQ(app.mWidth, 640);
        EXPECT_EQ(app.mHeight, 480);
        EXPECT_EQ(app.mFullScreenBits, 16);
        EXPECT_EQ(app.mFrameTime, 10);
        EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.85);
        EXPECT_EQ(app.mProductName, "Product");
        EXPECT_EQ(app.mTitle, "QuorApp");
        EXPECT_EQ(app.mDemoFileName, "quorapp.dmo");
        EXPECT_EQ(app.mAspectRatio.mNumerator, 4);
        EXPECT_EQ(app.mAspectRatio.mDenominator, 3);
        EXPECT_EQ(app.mAdd8BitMaxTable[0], 0);
        EXPECT_EQ(app.mAdd8BitMaxTable[200], 200);
        EXPECT_EQ(app.mAdd8BitMaxTable[255], 255);
        for (int i = 256; i < 512; ++i)
            ASSERT_EQ(app.mAdd8BitMaxTable[i], 255) << i;
        EXPECT_EQ(app.GetString("DIALOG_BUTTON_CANCEL", "x"), "CANCEL");
        EXPECT_EQ(app.GetString("NO_SUCH_KEY", "fallback"), "fallback");
        EXPECT_FALSE(app.mChangeDirTo.empty());
    }
    EXPECT_EQ(Quor::gQuorAppBase, nullptr);
}

TEST(Sound, PlaybackAndVolumes)
{
    TestApp app;
    auto* sound = new FakeSoundManager();
    auto* music = new FakeMusic();
    app.mSoundManager = sound;
    app.mMusicInterface = music;

    app.PlaySample(3);
    app.PlaySamplePan(3, -20);
    app.PlaySampleVolumePan(3, 5, 0.5);
    app.PlaySample(9); // no sound loaded under that id
    EXPECT_EQ(sound->mLog, (std::vector<std::string>{"play once auto", "pan -20",
                                                     "play once auto", "volume 0.500000",
                                                     "pan 5", "play once auto"}));

    app.SetMusicVolume(0.6);
    app.SetSfxVolume(0.4);
    EXPECT_DOUBLE_EQ(music->mVolume, 0.6);
    EXPECT_DOUBLE_EQ(sound->mVolume, 0.4);

    // Muted: stored but silent; unmuting restores them.
    app.Mute(true);
    EXPECT_TRUE(app.IsMuted());
    app.SetMusicVolume(0.5);
    EXPECT_DOUBLE_EQ(app.GetMusicVolume(), 0.5);
    EXPECT_DOUBLE_EQ(music->mVolume, 0.0);
    EXPECT_DOUBLE_EQ(sound->mVolume, 0.0);
    app.Unmute(false);
    EXPECT_EQ(app.mMuteCount, 0);
    EXPECT_EQ(app.mAutoMuteCount, 1);
    EXPECT_DOUBLE_EQ(music->mVolume, 0.5);
    EXPECT_DOUBLE_EQ(sound->mVolume, 0.4);

    app.SetMasterVolume(0.7);
    EXPECT_DOUBLE_EQ(app.GetMasterVolume(), 0.7);
    EXPECT_DOUBLE_EQ(app.GetSfxVolume(), 0.7);
}

TEST(Sound, MuteCountersNeverGoNegative)
{
    struct Step {
        char op; // 'm' mute, 'M' auto mute, 'u' unmute, 'U' auto unmute
        int mute, autoMute;
    };
    std::vector<std::vector<Step>> runs = {
        {{'U', 0, 0}},                           // nothing to undo
        {{'m', 1, 0}, {'U', 0, 0}},              // focus back after a user mute
        {{'M', 1, 1}, {'u', 0, 1}, {'U', 0, 1}}, // counts stay at zero and one
        {{'M', 1, 1}, {'M', 2, 2}, {'U', 1, 1}, {'U', 0, 0}},
    };
    for (const auto& run : runs) {
        TestApp app;
        auto* music = new FakeMusic();
        app.mMusicInterface = music;
        for (const Step& step : run) {
            if (step.op == 'm' || step.op == 'M')
                app.Mute(step.op == 'M');
            else
                app.Unmute(step.op == 'U');
            EXPECT_EQ(app.mMuteCount, step.mute) << step.op;
            EXPECT_EQ(app.mAutoMuteCount, step.autoMute) << step.op;
            EXPECT_GE(app.mAutoMuteCount, 0);
        }
        EXPECT_DOUBLE_EQ(music->mVolume, app.mMuteCount > 0 ? 0.0 : app.mMusicVolume);
    }
}

TEST(SharedImages, OneEntryPerNameIgnoringCaseAndCleanedWhenUnused)
{
    TestApp app;
    bool created = false;
    {
        Quor::SharedImageHandle first = app.GetSharedImage("images/Logo", "", &created);
        EXPECT_TRUE(created);
        Quor::SharedImageHandle second = app.GetSharedImage("IMAGES/logo", "", &created);
        EXPECT_FALSE(created);
        EXPECT_EQ(first.mSharedImage, second.mSharedImage);
        Quor::SharedImageHandle other = app.GetSharedImage("images/Logo", "b", &created);
        EXPECT_TRUE(created);
        EXPECT_EQ(app.mSharedImageMap.size(), 2u);
        EXPECT_EQ(first.mSharedImage->mRefCount, 2);
    }
    EXPECT_TRUE(app.mCleanSharedImages);
    app.CleanSharedImages();
    EXPECT_TRUE(app.mSharedImageMap.empty());
    EXPECT_FALSE(app.mCleanSharedImages);
}

TEST(Clipboard, TextRoundTripsAndDemoPlaybackLeavesItAlone)
{
    TestApp app;
    app.CopyToClipboard("caf\xE9");
    EXPECT_EQ(app.GetClipboard(), "caf\xE9");
    app.mPlayingDemo = true;
    app.mDemoWindowClosed = true; // playback abandoned: live values pass through
    app.CopyToClipboard("other");
    app.mPlayingDemo = false;
    EXPECT_EQ(app.GetClipboard(), "caf\xE9");
}

TEST(Dialogs, ById)
{
    TestApp app;
    app.mWidth = 1024;
    app.mHeight = 768;
    Quor::Dialog* first = app.DoDialog(5, true, "Head", "Lines", "Foot", 1);
    Quor::Dialog* second = app.DoDialog(5, false, "Head", "Lines", "Foot", 2);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(app.GetDialog(5), second);
    EXPECT_EQ(first->mResult, 0); // killed unanswered
    EXPECT_EQ(app.mWidgetManager->mBaseModalWidget, nullptr);
    EXPECT_EQ(second->mX, 256);
    EXPECT_EQ(second->mY, 153);
    EXPECT_EQ(second->mWidth, 512);
    EXPECT_TRUE(app.mWidgetManager->HasWidget(second));

    second->ButtonPress(Quor::Dialog::ID_NO);
    second->ButtonPress(Quor::Dialog::ID_YES);
    second->ButtonPress(42);
    second->ButtonDepress(Quor::Dialog::ID_YES);
    EXPECT_EQ(app.mPressed, (std::vector<int>{3005, 2005}));
    EXPECT_EQ(app.mDepressed, (std::vector<int>{2005}));

    EXPECT_FALSE(app.KillDialog(6));
    EXPECT_EQ(app.GetDialogCount(), 1);
    Quor::Dialog* modal = app.DoDialog(7, true, "", "", "", 3);
    EXPECT_EQ(app.mWidgetManager->mBaseModalWidget, modal);
    EXPECT_TRUE(app.KillDialog(7));
    EXPECT_EQ(app.mWidgetManager->mBaseModalWidget, nullptr);
    EXPECT_FALSE(app.mWidgetManager->HasWidget(modal));
    app.ProcessSafeDeletes();
}

// Run in a fresh process: the first line of a run is a program-wide state.
TEST(ErrorLogDeathTest, FirstLineReplacesLaterLinesAppend)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Inside the run's folder, which the parent removes: exit() skips destructors.
            quortest::TempDir dir(quortest::RunDir());
            std::string old = plat::GetCurrentDirectory();
            if (!plat::SetCurrentDirectory(dir.Path().string()))
                std::exit(2);
            WriteFile(dir.File("ScrError.txt"), std::string("previous run\n"));
            {
                TestApp app;
                app.mIsScreenSaver = true; // popups in screen-saver mode go to the log
                app.Popup("first");
                if (app.MsgBox("second", "caption", 0) != 1)
                    std::exit(3);
                app.LogScreenError("third 100%");
            }
            plat::SetCurrentDirectory(old);
            std::vector<uint8_t> bytes = ReadFile(dir.File("ScrError.txt"));
            std::string text(bytes.begin(), bytes.end());
            char clock[9] = {};
            unsigned tick = 0;
            char word[16] = {};
            bool ok = text.find("previous run") == std::string::npos &&
                      std::sscanf(text.c_str(), "%15s %8s %u\n", word, clock, &tick) == 3 &&
                      std::string(word) == "first" && clock[2] == ':' &&
                      text.find("\nsecond ") != std::string::npos &&
                      text.find("\nthird 100% ") != std::string::npos;
            std::exit(ok ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Shutdown, FromAnotherThreadIsCarriedOutByTheLoop)
{
    TestApp app;
    app.mPrimaryThreadId = plat::GetCurrentThreadId();
    std::thread other([&] { app.Shutdown(); });
    other.join();
    EXPECT_FALSE(app.mShutdown);
    EXPECT_TRUE(app.mShutdownRequested);
    app.Process(true);
    EXPECT_TRUE(app.mShutdown);
    EXPECT_TRUE(app.mExitToTop);
}

TEST(OpenURL, APendingAddressIsOpenedOnce)
{
    struct UrlApp : TestApp {
        int mFailed = 0;
        void URLOpenFailed(const std::string& url) override
        {
            ++mFailed;
            TestApp::URLOpenFailed(url);
        }
    };
    UrlApp app;
    app.mPendingURL = true;
    app.mOpeningURL = "http://127.0.0.1/";
    EXPECT_TRUE(app.OpenURL("http://127.0.0.1/"));
    EXPECT_EQ(app.mFailed, 0);
    app.URLOpenSucceeded("http://127.0.0.1/");
    EXPECT_FALSE(app.mPendingURL);
}

TEST(OpenURL, AMissingHandlerFailsAndClearsTheRequest)
{
    struct UrlApp : TestApp {
        int mFailed = 0;
        void URLOpenFailed(const std::string& url) override
        {
            ++mFailed;
            TestApp::URLOpenFailed(url);
        }
    };
    std::string path = plat::GetEnv("PATH");
    setenv("PATH", "/nonexistent", 1);
    UrlApp app;
    EXPECT_FALSE(app.OpenURL("http://127.0.0.1/", true));
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(app.mFailed, 1);
    EXPECT_FALSE(app.mPendingURL);
    EXPECT_FALSE(app.mShutdown);
}

TEST(ResourceErrorDeathTest, AFatalResourceErrorEndsWithFailure)
{
    EXPECT_EXIT(
        {
            TestApp app;
            app.mResourceErrorText = "Failed to load image: missing.png";
            app.ReportResourceError(false); // shown, the program goes on
            app.ReportResourceError(true);
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "missing.png");
}
