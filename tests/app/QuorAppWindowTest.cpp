// The application's window procedure, deferred input, main window placement, screen modes,
// display recovery and cursors, on SDL's dummy video driver.
#include "app/QuorAppBase.h"
#include "tests/support/TestSupport.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/Time.h"
#include "platform/Video.h"
#include "platform/Window.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace Quor;

namespace {

plat::WindowId Id(void* h)
{
    return static_cast<plat::WindowId>(reinterpret_cast<uintptr_t>(h));
}

class WindowApp : public QuorAppBase {
public:
    std::vector<std::string> mPopups;
    int mSwitches = 0;
    void Popup(const std::string& text) override
    {
        mPopups.push_back(text);
        std::fprintf(stderr, "popup: %s\n", text.c_str());
    }
    void SwitchScreenMode(bool wantWindowed, bool is3D, bool force) override
    {
        ++mSwitches;
        QuorAppBase::SwitchScreenMode(wantWindowed, is3D, force);
    }
    using QuorAppBase::SwitchScreenMode;
    using QuorAppBase::StartCursorThread;
};

class AppWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::VideoTestSettings s;
        s.refreshSet = true;
        s.refreshHz = 60;
        plat::SetVideoTestSettings(&s);
        mApp = std::make_unique<WindowApp>();
        mApp->mWidth = 320;
        mApp->mHeight = 200;
        mApp->mWindowed = true;
    }
    void TearDown() override
    {
        mApp.reset();
        plat::SetVideoTestSettings(nullptr);
    }
    plat::WindowId Window() const { return Id(mApp->mHWnd); }
    intptr_t Send(uint32_t m, uint32_t w = 0, uint32_t l = 0)
    {
        return QuorAppBase::WindowProc(Window(), m, w, l);
    }
    void Drain()
    {
        while (mApp->ProcessDeferredMessage()) {
        }
    }
    std::unique_ptr<WindowApp> mApp;
};

} // namespace

TEST_F(AppWindow, QueueRules)
{
    mApp->MakeWindow();
    ASSERT_NE(mApp->mHWnd, nullptr);
    mApp->mDeferredMessages.clear();

    for (int i = 0; i < 10; i++)
        Send(plat::WM_TIMER, 100);
    EXPECT_EQ(mApp->mDeferredMessages.size(), 1u);
    Send(plat::WM_SYSCOLORCHANGE);
    Send(plat::WM_DISPLAYCHANGE);
    Send(plat::WM_TIMER, 100);
    EXPECT_EQ(mApp->mDeferredMessages.size(), 3u);
    Send(plat::WM_MBUTTONDBLCLK); // never queued
    EXPECT_EQ(mApp->mDeferredMessages.size(), 3u);

    // One record per step.
    EXPECT_TRUE(mApp->ProcessDeferredMessage());
    EXPECT_EQ(mApp->mDeferredMessages.size(), 2u);
    Drain();
    EXPECT_FALSE(mApp->ProcessDeferredMessage());

    // Nothing is queued while a popup is open.
    mApp->mInPopup = true;
    Send(plat::WM_KEYDOWN, 'A');
    EXPECT_TRUE(mApp->mDeferredMessages.empty());
    mApp->mInPopup = false;

    // A queued close seals the queue and ends the program at its step, not at once.
    Send(plat::WM_CLOSE);
    EXPECT_TRUE(plat::IsWindow(Window()));
    Send(plat::WM_KEYDOWN, 'A');
    Send(plat::WM_CLOSE);
    EXPECT_EQ(mApp->mDeferredMessages.size(), 1u);
    EXPECT_FALSE(mApp->mShutdown);
    Drain();
    EXPECT_TRUE(mApp->mClosedByUser);
    EXPECT_TRUE(mApp->mShutdown);
    EXPECT_FALSE(mApp->mWidgetManager->mKeyDown['A']);
}

TEST_F(AppWindow, KeysAndSystemKeys)
{
    mApp->MakeWindow();
    WidgetManager* wm = mApp->mWidgetManager;
    EXPECT_EQ(Send(plat::WM_SYSKEYDOWN, 'R'), 0);        // no system menu
    EXPECT_EQ(Send(plat::WM_SYSCHAR, 'R'), 0);           // Alt+R makes no sound
    EXPECT_EQ(Send(plat::WM_SYSCHAR, 13), 0);
    Send(plat::WM_KEYDOWN, 'A');
    Send(plat::WM_KEYDOWN, 300); // out of the key table's range: ignored, never written past it
    Drain();
    EXPECT_TRUE(wm->mKeyDown['A']);
    EXPECT_TRUE(wm->mKeyDown['R']);

    // Ctrl+Alt+D turns the debug keys on and off.
    Send(plat::WM_KEYDOWN, plat::VK_CONTROL);
    Send(plat::WM_SYSKEYDOWN, plat::VK_MENU);
    Send(plat::WM_KEYDOWN, 'D');
    Drain();
    EXPECT_TRUE(mApp->mDebugKeysEnabled);
    EXPECT_TRUE(mApp->mCtrlDown);
    EXPECT_TRUE(mApp->mAltDown);

    // Alt+Enter switches to full screen and back, leaving no key held down.
    Send(plat::WM_SYSKEYDOWN, plat::VK_RETURN);
    Drain();
    EXPECT_FALSE(mApp->mWindowed);
    EXPECT_FALSE(mApp->mPhysWindowed);
    EXPECT_TRUE(plat::IsWindowFullScreen(Window()));
    for (bool down : wm->mKeyDown)
        EXPECT_FALSE(down);
    EXPECT_FALSE(mApp->mAltDown);
    Send(plat::WM_SYSKEYDOWN, plat::VK_RETURN);
    Drain();
    EXPECT_TRUE(mApp->mWindowed);
    EXPECT_FALSE(plat::IsWindowFullScreen(Window()));

    // Alt+F4 goes on to default handling, which asks the window to close.
    Send(plat::WM_SYSKEYDOWN, plat::VK_F4);
    mApp->PumpWindowMessages();
    Drain();
    EXPECT_TRUE(mApp->mShutdown);
}

TEST_F(AppWindow, MouseClicksWheelAndCapture)
{
    mApp->MakeWindow();
    WidgetManager* wm = mApp->mWidgetManager;
    Send(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(30, 40));
    Drain();
    EXPECT_TRUE(mApp->mMouseIn);
    EXPECT_EQ(wm->mLastMouseX, 30);
    EXPECT_EQ(wm->mLastMouseY, 40);

    Send(plat::WM_RBUTTONDBLCLK, 0, plat::MakeLParam(5, 6));
    Drain();
    EXPECT_EQ(wm->mLastDownButtonId, -1);
    EXPECT_EQ(wm->mDownButtons, 2);
    EXPECT_EQ(plat::GetCapture(), Window());
    Send(plat::WM_LBUTTONDOWN, 0, plat::MakeLParam(5, 6));
    Send(plat::WM_LBUTTONUP, 0, plat::MakeLParam(5, 6));
    Drain();
    EXPECT_EQ(plat::GetCapture(), Window()); // the right button still holds it
    Send(plat::WM_RBUTTONUP, 0, plat::MakeLParam(5, 6));
    Drain();
    EXPECT_EQ(plat::GetCapture(), 0u);
    EXPECT_EQ(wm->mDownButtons, 0);

    // Wheel deltas reach the demo stream as whole notches: +1, -1 and 0 for half a notch.
    mApp->mRecordingDemo = true;
    mApp->mDemoBuffer.Clear();
    for (int delta : {120, -120, 60})
        Send(plat::WM_MOUSEWHEEL, static_cast<uint32_t>(delta) << 16, 0);
    Drain();
    mApp->mRecordingDemo = false;
    Buffer& b = mApp->mDemoBuffer;
    b.SeekFront();
    for (int expect : {1, -1, 0}) {
        b.ReadNumBits(4, false); // update delta
        EXPECT_EQ(b.ReadNumBits(1, false), 0);
        EXPECT_EQ(b.ReadNumBits(5, false), 21);
        EXPECT_EQ(b.ReadNumBits(8, true), expect);
    }
}

TEST_F(AppWindow, FocusMutesAndMinimisingPauses)
{
    mApp->MakeWindow();
    Send(plat::WM_ACTIVATEAPP, 1);
    Drain();
    EXPECT_TRUE(mApp->mHasFocus);
    EXPECT_FALSE(mApp->IsMuted());
    Send(plat::WM_ACTIVATEAPP, 0);
    Drain();
    EXPECT_FALSE(mApp->mHasFocus);
    EXPECT_TRUE(mApp->IsMuted());
    EXPECT_FALSE(mApp->mWidgetManager->mHasFocus);
    Send(plat::WM_ACTIVATEAPP, 1);
    Drain();
    EXPECT_TRUE(mApp->mHasFocus);
    EXPECT_FALSE(mApp->IsMuted());

    Send(plat::WM_SIZE, plat::SIZE_MINIMIZED);
    EXPECT_TRUE(mApp->mMinimizedNow);
    Drain();
    EXPECT_TRUE(mApp->mMinimized);
    EXPECT_TRUE(mApp->IsMuted());
    Send(plat::WM_SIZE, plat::SIZE_RESTORED);
    Drain();
    EXPECT_FALSE(mApp->mMinimized);
    EXPECT_FALSE(mApp->IsMuted());
}

TEST_F(AppWindow, PlacementOnTheWorkArea)
{
    const plat::WinRect work = plat::GetWorkArea();
    struct Case {
        int px, py;
        int x, y;
    } cases[] = {
        {-1, -1, work.left + (work.right - work.left - 320) / 2, work.top + int((work.bottom - work.top - 200) * 0.382)},
        {-50, -9, work.left + 4, work.top + 4},
        {work.right - 100, work.bottom - 10, work.right - 4 - 320, work.bottom - 4 - 200},
        {100, 120, 100, 120},
    };
    for (const Case& c : cases) {
        mApp->mPreferredX = c.px;
        mApp->mPreferredY = c.py;
        mApp->MakeWindow();
        plat::WindowPlacement p;
        ASSERT_TRUE(plat::GetWindowPlacement(Window(), p));
        EXPECT_EQ(p.normalPosition.left, c.x) << c.px << "," << c.py;
        EXPECT_EQ(p.normalPosition.top, c.y) << c.px << "," << c.py;
        EXPECT_EQ(p.normalPosition.right - p.normalPosition.left, 320);
    }
}

TEST_F(AppWindow, LostDisplayIsRecovered)
{
    mApp->MakeWindow();
    mApp->mActive = true;
    mApp->mDdInterface->mDD->LoseSurfaces();
    mApp->PresentScreen(nullptr);
    EXPECT_TRUE(mApp->mDisplayLost);
    EXPECT_EQ(mApp->mDdInterface->mInitCount, 2); // made again
    mApp->PresentScreen(nullptr);
    EXPECT_FALSE(mApp->mDisplayLost);
    EXPECT_EQ(mApp->mWidgetManager->mImage, mApp->mDdInterface->GetScreenImage());
}

TEST_F(AppWindow, WindowFillingTheDesktopGoesFullScreen)
{
    mApp->mWidth = plat::GetSystemMetrics(plat::SM_CXSCREEN);
    mApp->mHeight = plat::GetSystemMetrics(plat::SM_CYSCREEN);
    mApp->MakeWindow();
    mApp->mActive = true;
    mApp->mDdInterface->mDD->LoseSurfaces();
    mApp->PresentScreen(nullptr);
    EXPECT_TRUE(mApp->mForceFullscreen);
    EXPECT_FALSE(mApp->mWindowed);
    EXPECT_TRUE(mApp->mPopups.empty());
    // A forced full screen turns windowed requests into full screen.
    mApp->SwitchScreenMode(true);
    EXPECT_FALSE(mApp->mWindowed);
}

TEST_F(AppWindow, DesktopTooSmallAfterFullScreenFailedNamesTheSize)
{
    mApp->mWidth = plat::GetSystemMetrics(plat::SM_CXSCREEN);
    mApp->mHeight = plat::GetSystemMetrics(plat::SM_CYSCREEN);
    mApp->MakeWindow();
    mApp->mActive = true;
    mApp->mForceWindowed = true;
    mApp->mDdInterface->mDD->LoseSurfaces();
    mApp->PresentScreen(nullptr);
    ASSERT_EQ(mApp->mPopups.size(), 1u);
    EXPECT_EQ(mApp->mPopups[0].find("color depth"), std::string::npos);
    EXPECT_NE(mApp->mPopups[0].find("no longer fits"), std::string::npos);
    EXPECT_TRUE(mApp->mShutdown);
}

TEST_F(AppWindow, ColourDepthFallbacks)
{
    // A 24-bit desktop refuses the window: full screen is taken instead.
    plat::VideoTestSettings s;
    s.refreshSet = true;
    s.refreshHz = 60;
    s.desktopFormat = plat::kFormatRGB888;
    plat::SetVideoTestSettings(&s);
    mApp->MakeWindow();
    EXPECT_TRUE(mApp->mForceFullscreen);
    EXPECT_FALSE(mApp->mWindowed);
    EXPECT_TRUE(mApp->mDdInterface->mInitialized);

    // Full screen refused: a window is taken instead and Alt+Enter stays off.
    auto app = std::make_unique<WindowApp>();
    app->mWidth = 320;
    app->mHeight = 200;
    s.desktopFormat = {};
    s.refuseExclusive = true;
    plat::SetVideoTestSettings(&s);
    mApp.reset();
    mApp = std::move(app);
    mApp->MakeWindow();
    EXPECT_TRUE(mApp->mForceWindowed);
    EXPECT_TRUE(mApp->mWindowed);
    QuorAppBase::WindowProc(Window(), plat::WM_SYSKEYDOWN, plat::VK_RETURN, 0);
    Drain();
    EXPECT_TRUE(mApp->mWindowed);
}

// Neither mode can be used, whichever is tried first: the colour-depth message and exit code 1.
TEST(AppWindowDeath, BothModesImpossibleAsksForSixteenBitsAndExits)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (bool windowedFirst : {true, false}) {
        EXPECT_EXIT(
            {
                plat::VideoTestSettings s;
                s.desktopFormat = plat::kFormatRGB888;
                s.refuseExclusive = true;
                plat::SetVideoTestSettings(&s);
                WindowApp app;
                app.mWidth = 320;
                app.mHeight = 200;
                app.mWindowed = windowedFirst;
                app.MakeWindow();
            },
            ::testing::ExitedWithCode(1), "popup: Please set your desktop color depth to 16 bit.")
            << windowedFirst;
    }
}

TEST_F(AppWindow, CursorNumbersAndImages)
{
    mApp->MakeWindow();
    mApp->mMouseIn = true;
    auto image = std::make_unique<MemoryImage>(nullptr);
    std::vector<uint32_t> px(16, 0xFFFFFFFF);
    image->SetBits(px.data(), 4, 4);

    struct Case {
        int number;
        bool withImage, custom;
        bool systemShown, softwareImage;
    } cases[] = {
        {0, false, false, true, false},  {3, false, false, true, false}, {11, false, false, false, false},
        {12, false, false, false, false}, {12, true, false, false, true}, {1, true, false, true, false},
        {1, true, true, false, true},     {99, false, false, true, false},
    };
    for (const Case& c : cases) {
        mApp->mCustomCursorsEnabled = c.custom;
        for (Image*& slot : mApp->mCursorImages)
            slot = nullptr;
        if (c.withImage && c.number < 13)
            mApp->mCursorImages[c.number] = image.get();
        mApp->SetCursor(c.number);
        EXPECT_EQ(mApp->mSystemCursorShown, c.systemShown) << c.number;
        EXPECT_EQ(mApp->mDdInterface->mCursorImage != nullptr, c.softwareImage) << c.number;
    }
    // Outside the drawing area: the arrow and no software cursor.
    mApp->mCustomCursorsEnabled = true;
    mApp->mCursorImages[1] = image.get();
    mApp->mCursorNum = 1;
    mApp->mMouseIn = false;
    mApp->ApplyCursor();
    EXPECT_TRUE(mApp->mSystemCursorShown);
    EXPECT_EQ(mApp->mDdInterface->mCursorImage, nullptr);
    for (Image*& slot : mApp->mCursorImages)
        slot = nullptr;
}

// A mouse position found just after a frame waits for the next one, and that frame is asked for.
TEST_F(AppWindow, CursorThreadAsksForAFrameWhenItOnlyStores)
{
    mApp->MakeWindow();
    auto image = std::make_unique<MemoryImage>(nullptr);
    std::vector<uint32_t> px(4, 0xFFFFFFFF);
    image->SetBits(px.data(), 2, 2);
    mApp->mDdInterface->SetCursorImage(image.get());
    mApp->mDdInterface->mCursorX = -999;
    mApp->mCustomDrawRequested = false;
    mApp->mNextDrawTick = mApp->GetClock()->GetTime();
    mApp->CursorThreadStep();
    EXPECT_NE(mApp->mDdInterface->mCursorX, -999);
    EXPECT_TRUE(mApp->mCustomDrawRequested);
    mApp->mDdInterface->SetCursorImage(nullptr);
}

// The cursor thread keeps polling while the main thread switches to full screen and back (a new
// window and display mode each time) and changes the cursor image. The ThreadSanitizer build
// checks that what the two share is handed over safely.
TEST_F(AppWindow, CursorThreadPollsThroughScreenSwitches)
{
    mApp->MakeWindow();
    std::vector<uint32_t> px(4, 0xFFFFFFFF);
    MemoryImage first(nullptr);
    MemoryImage second(nullptr);
    first.SetBits(px.data(), 2, 2);
    second.SetBits(px.data(), 2, 2);
    mApp->mDdInterface->SetCursorImage(&first);
    mApp->StartCursorThread();
    // A position no mouse has: the thread puts the cursor where the mouse is on its next poll.
    auto polled = [&] {
        mApp->mDdInterface->mCursorX = -9999;
        return quortest::Eventually([&] { return mApp->mDdInterface->mCursorX != -9999; });
    };
    EXPECT_TRUE(polled());
    for (int i = 0; i < 4; i++) {
        void* before = mApp->mHWnd;
        mApp->SwitchScreenMode(!mApp->mWindowed);
        mApp->mDdInterface->SetCursorImage(i % 2 == 0 ? &second : &first);
        EXPECT_NE(mApp->mHWnd, before);
        EXPECT_TRUE(polled()) << i;
    }
    EXPECT_TRUE(mApp->mWindowed);
    mApp->mShutdown = true;
    EXPECT_TRUE(quortest::Eventually([&] { return !mApp->mCursorThreadRunning; }));
    mApp->mDdInterface->SetCursorImage(nullptr);
}

// As a screen saver the first three distinct mouse positions are taken, the fourth ends it.
TEST_F(AppWindow, ScreenSaverEndsOnTheFourthMouseMove)
{
    mApp->MakeWindow();
    mApp->mIsScreenSaver = true;
    mApp->mMonitorPowerTick = mApp->GetClock()->GetTickCount() - 5000;
    plat::WinPoint p;
    plat::GetCursorPos(p);
    mApp->mSaverMouseX = p.x;
    mApp->mSaverMouseY = p.y;
    mApp->mDeferredMessages.clear();
    for (int i = 1; i <= 3; i++) {
        EXPECT_EQ(Send(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(p.x + i, p.y)), 0);
        EXPECT_FALSE(mApp->mSaverClosing);
    }
    EXPECT_TRUE(mApp->mDeferredMessages.empty());
    Send(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(p.x + 4, p.y));
    EXPECT_TRUE(mApp->mSaverClosing);
    mApp->PumpWindowMessages();
    Drain();
    EXPECT_TRUE(mApp->mShutdown);
}

TEST_F(AppWindow, MovingTheWindowRemembersItsPlace)
{
    mApp->MakeWindow();
    plat::MoveWindow(Window(), 150, 90, 320, 200);
    Send(plat::WM_MOVE);
    Drain();
    EXPECT_EQ(mApp->mPreferredX, -1); // not while the window is hidden
    plat::ShowWindow(Window(), plat::SW_SHOW);
    plat::MoveWindow(Window(), 150, 90, 320, 200);
    Send(plat::WM_MOVE);
    Drain();
    EXPECT_EQ(mApp->mPreferredX, 150);
    EXPECT_EQ(mApp->mPreferredY, 90);
}
