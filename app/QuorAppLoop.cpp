// QuorAppBase: Start, the main loop with its fixed-step timing core, redraws, safe deletes and
// the cursor and loading threads.
#include "app/QuorAppBase.h"

#include "display/DDInterface.h"
#include "platform/Instance.h"
#include "platform/Sys.h"
#include "platform/Threads.h"
#include "platform/Time.h"
#include "platform/Window.h"
#include "sound/MusicInterface.h"
#include "sound/SoundManager.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <cmath>
#include <cstdio>

namespace Quor {

void QuorAppBase::Start()
{
    if (mShutdown)
        return;

    StartCursorThread();
    if (mLoadingThreadWanted)
        StartLoadingThread();
    if (mHWnd != nullptr) {
        const auto window = static_cast<plat::WindowId>(reinterpret_cast<uintptr_t>(mHWnd));
        plat::ShowWindow(window, plat::SW_SHOW);
        plat::SetFocus(window);
    }

    uint32_t start = mClock->GetTime();
    mIsInMainLoop = true;
    mLastUserInputTick = start;
    mLastTimerTime = start;

    MainLoop();

    ProcessSafeDeletes();
    mIsInMainLoop = false;
    WaitForLoadingThread();

    char line[128];
    std::snprintf(line, sizeof(line), "Seconds       = %g\r\n",
                  uint32_t(mClock->GetTime() - start) / 1000.0);
    plat::DebugOutput(line);
    std::snprintf(line, sizeof(line), "Sleep Count   = %d\r\n", mSleepCount);
    plat::DebugOutput(line);
    std::snprintf(line, sizeof(line), "Update Count  = %d\r\n", mUpdateCount);
    plat::DebugOutput(line);
    std::snprintf(line, sizeof(line), "Draw Count    = %d\r\n", mDrawCount);
    plat::DebugOutput(line);
    std::snprintf(line, sizeof(line), "Draw Time     = %d\r\n", mDrawTime);
    plat::DebugOutput(line);
    std::snprintf(line, sizeof(line), "Screen Blt    = %d\r\n", mScreenBltTime);
    plat::DebugOutput(line);
    if (mDrawTime + mScreenBltTime > 0) {
        // In 64 bits: the product passes the int range after about 2.1 million frames.
        const int64_t fps = int64_t(mDrawCount) * 1000 / (int64_t(mDrawTime) + mScreenBltTime);
        std::snprintf(line, sizeof(line), "Avg FPS       = %d\r\n", int(fps));
        plat::DebugOutput(line);
    }

    PreTerminate();
    WriteToRegistry();
}

void QuorAppBase::MainLoop()
{
    while (!mShutdown) {
        if (mExitToTop)
            mExitToTop = false;
        UpdateApp();
    }
}

bool QuorAppBase::UpdateApp()
{
    bool updated = false;
    for (;;) {
        if (!UpdateAppStep(&updated))
            return false;
        if (updated)
            return true;
    }
}

bool QuorAppBase::UpdateAppStep(bool* updated)
{
    if (updated)
        *updated = false;
    if (mExitToTop)
        return false;

    if (mUpdateAppState == 3)
        mUpdateAppState = 0;
    ++mUpdateAppDepth;

    if (mUpdateAppState == 0) {
        if (!mShutdown)
            PumpWindowMessages();
        // A later instance's notify message reaches the first one here.
        uint32_t message = 0, wParam = 0, lParam = 0;
        while (!mShutdown && mMutex && mMutex->PollNotify(&message, &wParam, &lParam))
            if (message == mNotifyGameMessage && mNotifyGameMessage != 0)
                BringToFront(int(wParam), int(lParam));
        ProcessDemo();
        if (!ProcessDeferredMessage())
            mUpdateAppState = 1;
        --mUpdateAppDepth;
        return true;
    }

    if (mStepMode == 2) {
        mClock->Sleep(uint32_t(mFrameTime));
        mUpdateAppState = 3;
        --mUpdateAppDepth;
        return true;
    }
    if (mStepMode == 1) {
        mStepMode = 2;
        RunUpdate();
        UpdateFramesF(1.0f);
        Redraw();
        --mUpdateAppDepth;
        return true;
    }

    int oldCount = mUpdateCount;
    Process(true);
    if (updated && mUpdateCount != oldCount)
        *updated = true;
    --mUpdateAppDepth;
    return true;
}

bool QuorAppBase::Process(bool allowSleep)
{
    if (mShutdownRequested)
        Shutdown();

    // Demo fast-forward: run updates without waiting up to the jump target or the end.
    if (DemoFastForwarding()) {
        if (!mMutedForFastForward && !mDemoSingleStep) {
            mMutedForFastForward = true;
            Mute(true);
        }
        if (!mFastForwardStampSet) {
            mFastForwardStamp = mClock->GetTickCount();
            mFastForwardStampSet = true;
        }
        while (DemoFastForwarding()) {
            ResetUpdateTimer();
            int oldCount = mUpdateCount;
            if (RunUpdate()) {
                ProcessSafeDeletes();
                UpdateFramesF(1.0f);
                ProcessSafeDeletes();
            }
            // A record is due (or a redraw is): the next step must pump messages and play
            // the records, so the loop goes on from its redraw-or-sleep state.
            if (mUpdateCount == oldCount) {
                mUpdateAppState = 3;
                return true;
            }
            if (uint32_t(mClock->GetTickCount() - mFastForwardStamp) >= 1000 ||
                mDemoSingleStep) {
                mDemoSingleStep = false;
                mFastForwardStamp = mClock->GetTickCount();
                Redraw();
                mUpdateAppState = 3;
                return true;
            }
        }
    }
    if (mMutedForFastForward) {
        mMutedForFastForward = false;
        if (mSoundManager)
            mSoundManager->StopAllSounds();
        Unmute(true);
    }

    if (mPaused || mUpdateMultiplier <= 0.0) {
        ProcessSafeDeletes();
        return true;
    }

    double interval = mFrameTime / mUpdateMultiplier;
    uint32_t now = mClock->GetTime();
    uint32_t slept = 0;
    UpdateElapsedTime();

    bool doRedrawOrSleep = false;
    if (mUpdateAppState == 1) {
        ++mNonDrawCount;
        int cap = int(std::ceil(mUpdateMultiplier * 10.0));
        if (mNonDrawCount >= cap && mLoadingCompletedHandled) {
            doRedrawOrSleep = true;
        } else if (mUpdateFTimeAcc < interval) {
            doRedrawOrSleep = true;
        } else {
            // A refused update (a recorded record must be played first) goes back to pumping.
            mUpdateAppState = RunUpdate() ? 2 : 3;
            mHasPendingDraw = true;
        }
    } else if (mUpdateAppState == 2) {
        mUpdateAppState = 3;
        ProcessSafeDeletes();
        UpdateFramesF(1.0f);
        ProcessSafeDeletes();
        mUpdateFTimeAcc -= interval;
    } else {
        doRedrawOrSleep = true;
    }

    if (doRedrawOrSleep) {
        mUpdateAppState = 3;
        mNonDrawCount = 0;
        if (mHasPendingDraw) {
            Redraw();
        } else {
            int sleepTime = int(interval - mUpdateFTimeAcc);
            if (sleepTime > 0) {
                if (!allowSleep)
                    return false;
                ++mSleepCount;
                mClock->Sleep(uint32_t(sleepTime));
                slept = uint32_t(sleepTime);
            }
        }
    }

    // Give the loading thread time while it works.
    if (mLoadingThreadRunning) {
        int work = int(mClock->GetTime() - slept - now);
        int yield = 2 * work - int(slept);
        if (yield > 250)
            yield = 250;
        if (yield >= 0) {
            if (!allowSleep)
                return false;
            mClock->Sleep(uint32_t(yield));
        }
    }

    ProcessSafeDeletes();
    return true;
}

bool QuorAppBase::DemoFastForwarding() const
{
    // Fast forward ends with the recording: once the stream is played out the program runs on
    // live input at its normal pace.
    if (!mPlayingDemo || mDemoWindowClosed || DemoPlayedOut())
        return false;
    return mUpdateCount < mDemoJumpTarget || mDemoRunToEnd;
}

void QuorAppBase::HandleLoadingCompletion()
{
    plat::SetThreadPriority(0);
    mLoadingCompletedHandled = true;
    mLoadingThreadRunning = false;
    LoadingThreadCompleted();
}

bool QuorAppBase::RunUpdate()
{
    if (mScreenBlanked)
        return false;

    if (mPlayingDemo) {
        if (mLoadingThreadCompleted && !mLoadingCompletedHandled && mDemoLoadingComplete)
            HandleLoadingCompletion();
        if (mLoadingCompletedHandled != mDemoLoadingComplete)
            return false;
        // The playback step must first read the next record's header (a synchronised value
        // read since it last ran took the one it had read), then play the record once due.
        if (mDemoNeedsCommand ? !DemoPlayedOut() : mUpdateCount == mLastDemoUpdateCnt)
            return false;
    } else if (mLoadingThreadCompleted && !mLoadingCompletedHandled) {
        HandleLoadingCompletion();
        if (mRecordingDemo) {
            WriteDemoTimingBlock();
            mDemoBuffer.WriteNumBits(0, 1);
            mDemoBuffer.WriteNumBits(9, 5);
        }
    }

    UpdateFrames();
    return true;
}

void QuorAppBase::UpdateFrames()
{
    ++mUpdateCount;
    if (!mMinimized && !mWidgetUpdatesSuspended) {
        if (mWidgetManager->UpdateFrame())
            ++mFPSFlipCount;
    }
    if (mMusicInterface)
        mMusicInterface->Update();
    CleanSharedImages();
}

void QuorAppBase::UpdateFramesF(float fraction)
{
    (void)fraction;
}

bool QuorAppBase::Redraw()
{
    if (mDisplayLost) {
        PresentScreen(nullptr);
        mHasPendingDraw = false;
        return false;
    }

    if (mShowFPS) {
        if (mShowFPSMode == 0)
            DrawFPSOverlay();
        else
            DrawMouseOverlay(mWidgetManager->mLastMouseX, mWidgetManager->mLastMouseY);
        if (mPlayingDemo)
            DrawDemoTimeOverlay();
    }

    uint32_t startTime = mClock->GetTime();
    if (uint32_t(startTime - mLastRedrawStamp) >= 1000 || !mRedrawStampSet) {
        mLastRedrawStamp = startTime;
        mRedrawStampSet = true;
        CheckIdleScreenSaver(startTime);
    }
    if (mScreenBlanked) {
        mHasPendingDraw = false;
        return false;
    }

    mIsDrawing = true;
    bool drew = mWidgetManager->DrawScreen();
    mIsDrawing = false;

    uint32_t now = mClock->GetTime();
    if (!drew && uint32_t(now - mLastDrawTick) < 1000 && !mCustomDrawRequested) {
        mHasPendingDraw = false;
        return false;
    }
    if (int32_t(mNextDrawTick - now) > 0) {
        mHasPendingDraw = false;
        return false;
    }

    ++mDrawCount;
    mDrawTime += int(now - startTime);
    if (mShowFPS)
        DrawDebugOverlays(mWidgetManager->mImage);

    // Wait for VSync in a physical window: sleep what is left of the display's frame period.
    if (mWaitForVSync && mPhysWindowed && mDdInterface) {
        int period = int(mDdInterface->mMillisecondsPerFrame);
        int left = period - int(mClock->GetTime() - mLastDrawTick);
        if (left > 0 && left <= period)
            mClock->Sleep(uint32_t(left));
    }

    uint32_t presentStart = mClock->GetTime();
    mLastDrawTick = presentStart;
    PresentScreen(nullptr);
    UpdateElapsedTime();
    uint32_t end = mClock->GetTime();
    mScreenBltTime = int(end - presentStart);

    if (mLoadingThreadStarted && !mLoadingThreadCompleted) {
        int duration = int(end - startTime);
        mNextDrawTick += uint32_t((duration > 15 ? duration : 15) + 35);
        if (int32_t(mNextDrawTick - end) < 0)
            mNextDrawTick = end;
    } else {
        mNextDrawTick = end;
    }

    mHasPendingDraw = false;
    mCustomDrawRequested = false;
    return true;
}

double QuorAppBase::GetLoadingProgress()
{
    int total = mNumLoadingThreadTasks;
    if (total == 0)
        return 1.0;
    double progress = double(mCompletedLoadingThreadTasks) / total;
    return progress > 1.0 ? 1.0 : progress;
}

void QuorAppBase::ProcessSafeDeletes()
{
    for (auto it = mSafeDeleteList.begin(); it != mSafeDeleteList.end();) {
        if (it->first >= mUpdateAppDepth) {
            Widget* widget = it->second;
            it = mSafeDeleteList.erase(it);
            delete widget;
        } else {
            ++it;
        }
    }
}

void QuorAppBase::UpdateElapsedTime()
{
    uint32_t now = mClock->GetTime();
    if (mLastTimeCheck == 0) {
        mLastTimeCheck = now;
        return;
    }
    mUpdateFTimeAcc += uint32_t(now - mLastTimeCheck);
    if (mUpdateFTimeAcc > 200.0)
        mUpdateFTimeAcc = 200.0;
    mLastTimeCheck = now;
}

void QuorAppBase::ResetUpdateTimer()
{
    mUpdateFTimeAcc = 0.0;
    mLastTimeCheck = mClock->GetTime();
}

void QuorAppBase::WaitForLoadingThread()
{
    while (mLoadingThreadStarted && !mLoadingThreadCompleted)
        plat::Sleep(20);
}

void QuorAppBase::StartLoadingThread()
{
    if (mLoadingThreadStarted)
        return;
    mLoadingThreadStarted = true;
    mLoadingThreadRunning = true;
    plat::SetThreadPriority(1);
    mLoadingThread = std::thread([this] {
        LoadingThreadProc();
        char line[64];
        std::snprintf(line, sizeof(line), "Resource Loading Time: %d\r\n",
                      int(plat::GetTickCount() - mTimeLoaded));
        plat::DebugOutput(line);
        mLoadingThreadCompleted = true;
    });
}

void QuorAppBase::StartCursorThread()
{
    if (mCursorThreadRunning)
        return;
    plat::SetThreadPriority(1);
    mCursorThreadRunning = true;
    mCursorThread = std::thread([this] { CursorThreadProc(); });
}

void QuorAppBase::CursorThreadProc()
{
    plat::SetThreadPriority(1);
    while (!mShutdown) {
        CursorThreadStep();
        plat::Sleep(10);
    }
    mCursorThreadRunning = false;
}

} // namespace Quor
