// QuorAppBase: the main window, its procedure and the deferred input queue, screen modes, display
// recovery, the idle screen-saver check and the cursor.
#include "app/QuorAppBase.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "app/Debug.h"
#include "display/DDImage.h"
#include "display/D3DTester.h"
#include "display/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/Time.h"
#include "platform/Window.h"
#include "sound/SoundManager.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace Quor {

namespace {

constexpr uint32_t kMainTimerId = 100;

plat::WindowId IdOf(void* theHandle)
{
    return static_cast<plat::WindowId>(reinterpret_cast<uintptr_t>(theHandle));
}

void* HandleOf(plat::WindowId theId)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(theId));
}

bool IsMouseMessage(uint32_t theMessage)
{
    return theMessage >= plat::WM_MOUSEMOVE && theMessage <= plat::WM_MBUTTONUP;
}

bool IsQueuedMessage(uint32_t m)
{
    switch (m) {
    case plat::WM_ACTIVATEAPP:
    case plat::WM_MOVE:
    case plat::WM_SIZE:
    case plat::WM_CLOSE:
    case plat::WM_SYSCOLORCHANGE:
    case plat::WM_DISPLAYCHANGE:
    case plat::WM_KEYDOWN:
    case plat::WM_KEYUP:
    case plat::WM_CHAR:
    case plat::WM_SYSKEYDOWN:
    case plat::WM_SYSKEYUP:
    case plat::WM_TIMER:
    case plat::WM_MOUSEWHEEL:
        return true;
    default:
        return IsMouseMessage(m);
    }
}

// One long-form demo record: the update delta, 0 in 1 bit, the command in 5 bits.
void BeginDemoRecord(QuorAppBase& app, int theCommand)
{
    app.WriteDemoTimingBlock();
    app.mDemoBuffer.WriteNumBits(0, 1);
    app.mDemoBuffer.WriteNumBits(theCommand, 5);
}

// A short-form demo record: the update delta, 1 in 1 bit, the short command in 1 bit.
void BeginShortDemoRecord(QuorAppBase& app, int theCommand)
{
    app.WriteDemoTimingBlock();
    app.mDemoBuffer.WriteNumBits(1, 1);
    app.mDemoBuffer.WriteNumBits(theCommand, 1);
}

// The click code of a mouse message: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
int ClickCode(uint32_t theMessage)
{
    switch (theMessage) {
    case plat::WM_LBUTTONDOWN: case plat::WM_LBUTTONUP: return 1;
    case plat::WM_LBUTTONDBLCLK: return 2;
    case plat::WM_RBUTTONDOWN: case plat::WM_RBUTTONUP: return -1;
    case plat::WM_RBUTTONDBLCLK: return -2;
    case plat::WM_MBUTTONDOWN: case plat::WM_MBUTTONUP: return 3;
    default: return 0;
    }
}

bool IsButtonDown(uint32_t m)
{
    return m == plat::WM_LBUTTONDOWN || m == plat::WM_LBUTTONDBLCLK || m == plat::WM_RBUTTONDOWN ||
           m == plat::WM_RBUTTONDBLCLK || m == plat::WM_MBUTTONDOWN;
}

bool IsButtonUp(uint32_t m)
{
    return m == plat::WM_LBUTTONUP || m == plat::WM_RBUTTONUP || m == plat::WM_MBUTTONUP;
}

// The mouse position of a mouse message as the widgets get it while a demo is recorded: mapped,
// then kept to what the stream's 12-bit absolute form holds, so that a drag beyond the window's
// left or top edge cannot wrap round to the far side when it is played back.
void RecordedMousePoint(QuorAppBase& app, const DeferredMessage& m, int& x, int& y)
{
    x = plat::LoSigned(m.mLParam);
    y = plat::HiSigned(m.mLParam);
    app.mWidgetManager->MapMousePoint(x, y);
    x = std::clamp(x, 0, 0xFFF);
    y = std::clamp(y, 0, 0xFFF);
}

// Writes what the deferred processing is about to hand on, while a demo is recorded. Key
// presses and mouse messages are written where they reach the widgets (RecordKeyDown,
// RecordMouseMove, RecordMouseButton), so that whatever the widgets record in answer follows
// its cause in the stream.
void RecordInput(QuorAppBase& app, const DeferredMessage& m)
{
    Buffer& b = app.mDemoBuffer;
    switch (m.mMessage) {
    case plat::WM_ACTIVATEAPP:
        BeginDemoRecord(app, 1);
        b.WriteNumBits(m.mWParam != 0 ? 1 : 0, 1);
        return;
    case plat::WM_SIZE:
        BeginDemoRecord(app, 2);
        b.WriteBoolean(m.mWParam == plat::SIZE_MINIMIZED);
        return;
    case plat::WM_KEYUP:
    case plat::WM_SYSKEYUP:
        BeginDemoRecord(app, 4);
        b.WriteNumBits(static_cast<int>(m.mWParam & 0xFF), 8);
        return;
    case plat::WM_CHAR:
        BeginDemoRecord(app, 5);
        b.WriteNumBits(0, 1);
        b.WriteNumBits(static_cast<int>(m.mWParam & 0xFF), 8);
        return;
    case plat::WM_CLOSE:
        BeginDemoRecord(app, 6);
        return;
    case plat::WM_MOUSEWHEEL: {
        int aDelta = plat::HiSigned(m.mWParam) / 120;
        BeginDemoRecord(app, 21);
        b.WriteNumBits(static_cast<int8_t>(aDelta) & 0xFF, 8);
        return;
    }
    default:
        return;
    }
}

void RecordKeyDown(QuorAppBase& app, int theKey)
{
    BeginDemoRecord(app, 3);
    app.mDemoBuffer.WriteNumBits(theKey & 0xFF, 8);
}

// Every mouse message moves the mouse first, also one that did not move it: the move is
// recorded even then, so that playback hands the widgets the same move (which drags whatever
// holds the mouse) before the button.
void RecordMouseMove(QuorAppBase& app, int x, int y)
{
    Buffer& b = app.mDemoBuffer;
    const int dx = x - app.mDemoMouseX;
    const int dy = y - app.mDemoMouseY;
    if (dx >= -32 && dx < 32 && dy >= -32 && dy < 32) {
        BeginShortDemoRecord(app, 0);
        b.WriteNumBits(dx & 0x3F, 6);
        b.WriteNumBits(dy & 0x3F, 6);
    } else {
        BeginDemoRecord(app, 0);
        b.WriteNumBits(x & 0xFFF, 12);
        b.WriteNumBits(y & 0xFFF, 12);
    }
    app.mDemoMouseX = x;
    app.mDemoMouseY = y;
}

void RecordMouseButton(QuorAppBase& app, bool down, int theClickCode)
{
    BeginShortDemoRecord(app, 1);
    app.mDemoBuffer.WriteNumBits(down ? 1 : 0, 1);
    app.mDemoBuffer.WriteNumBits(theClickCode & 0x7, 3);
}

// Queues an input message for the main loop (the window procedure's queue rules).
intptr_t QueueMessage(QuorAppBase& app, plat::WindowId theWindow, uint32_t m, uint32_t w, uint32_t l)
{
    if (app.mInPopup)
        return plat::DefWindowProc(theWindow, m, w, l);

    const bool keyDown = m == plat::WM_KEYDOWN || m == plat::WM_SYSKEYDOWN;
    const bool keyUp = m == plat::WM_KEYUP || m == plat::WM_SYSKEYUP;
    if (keyDown || keyUp) {
        if (w == plat::VK_CONTROL)
            app.mCtrlDown = keyDown;
        if (w == plat::VK_MENU)
            app.mAltDown = keyDown;
    }
    if (keyDown && app.DebugKeyDownAsync(static_cast<int>(w), app.mCtrlDown, app.mAltDown))
        return 0;
    if (app.mPlayingDemo && m == plat::WM_KEYDOWN)
        app.DebugKeyDown(static_cast<int>(w));
    if (app.mPlayingDemo && m == plat::WM_CHAR)
        app.DemoPlaybackKey(static_cast<int>(w & 0xFF));

    auto& q = app.mDeferredMessages;
    bool sealed = !q.empty() && q.back().mMessage == plat::WM_CLOSE;
    if (sealed)
        return m == plat::WM_CLOSE ? 0 : plat::DefWindowProc(theWindow, m, w, l);
    if (m == plat::WM_TIMER && !q.empty() && q.back().mMessage == plat::WM_TIMER)
        return plat::DefWindowProc(theWindow, m, w, l);
    bool append = true;
    if (m == plat::WM_SYSCOLORCHANGE || m == plat::WM_DISPLAYCHANGE) {
        for (const DeferredMessage& d : q) {
            if (d.mMessage == plat::WM_SYSCOLORCHANGE || d.mMessage == plat::WM_DISPLAYCHANGE)
                append = false;
        }
    }
    if (append)
        q.push_back(DeferredMessage{HandleOf(theWindow), m, w, l});

    switch (m) {
    case plat::WM_SIZE:
        app.mMinimizedNow = w == plat::SIZE_MINIMIZED;
        return plat::DefWindowProc(theWindow, m, w, l);
    case plat::WM_SYSKEYDOWN:
        // Only Alt+F4 goes on (it closes the window); Alt never opens the system menu.
        return w == plat::VK_F4 ? plat::DefWindowProc(theWindow, m, w, l) : 0;
    case plat::WM_CLOSE:
        app.CloseRequestHook();
        return 0;
    default:
        return plat::DefWindowProc(theWindow, m, w, l);
    }
}

plat::CursorHandle SystemCursorFor(QuorAppBase& app, int theNumber)
{
    switch (theNumber) {
    case 0: return plat::LoadSystemCursor(plat::SystemCursor::Arrow);
    case 1: return app.mHandCursor ? app.mHandCursor : plat::LoadSystemCursor(plat::SystemCursor::Hand);
    case 2: return app.mDraggingCursor ? app.mDraggingCursor : plat::LoadSystemCursor(plat::SystemCursor::SizeAll);
    case 3: return plat::LoadSystemCursor(plat::SystemCursor::IBeam);
    case 4: return plat::LoadSystemCursor(plat::SystemCursor::No);
    case 5: return plat::LoadSystemCursor(plat::SystemCursor::SizeAll);
    case 6: return plat::LoadSystemCursor(plat::SystemCursor::SizeNESW);
    case 7: return plat::LoadSystemCursor(plat::SystemCursor::SizeNS);
    case 8: return plat::LoadSystemCursor(plat::SystemCursor::SizeNWSE);
    case 9: return plat::LoadSystemCursor(plat::SystemCursor::SizeWE);
    case 10: return plat::LoadSystemCursor(plat::SystemCursor::Wait);
    case 11:
    case 12: return nullptr;
    default: return plat::LoadSystemCursor(plat::SystemCursor::Arrow);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Window procedure

intptr_t QuorAppBase::WindowProc(uint32_t window, uint32_t message, uint32_t wParam, uint32_t lParam)
{
    auto* app = static_cast<QuorAppBase*>(plat::GetWindowUserData(window));
    if (app != nullptr && app->mIsScreenSaver) {
        intptr_t aResult = 0;
        if (app->ScreenSaverWindowProc(message, wParam, lParam, &aResult))
            return aResult;
    }
    const bool isMain = app != nullptr && window == IdOf(app->mHWnd);
    switch (message) {
    case plat::WM_DESTROY:
        DebugPrintf("DESTROYED HWND: %d\r\n", static_cast<int>(window));
        return plat::DefWindowProc(window, message, wParam, lParam);
    case plat::WM_ENABLE:
        if (app != nullptr)
            app->mIsDisabled = wParam == 0;
        return plat::DefWindowProc(window, message, wParam, lParam);
    case plat::WM_PAINT:
        if (app != nullptr && app->mInitialized && !app->mFatalError) {
            if (app->mIsInMainLoop)
                app->PresentScreen(nullptr);
            return 0;
        }
        return plat::DefWindowProc(window, message, wParam, lParam);
    case plat::WM_ERASEBKGND:
        return 1;
    case plat::WM_QUERYOPEN:
        if (app != nullptr && app->mIsDisabled)
            return 0;
        return plat::DefWindowProc(window, message, wParam, lParam);
    case plat::WM_SETCURSOR:
        if (app != nullptr && !app->mFatalError)
            app->ApplyCursor();
        return 1;
    case plat::WM_ENDSESSION:
        if (app != nullptr)
            app->Shutdown();
        return plat::DefWindowProc(window, message, wParam, lParam);
    case plat::WM_NCLBUTTONDOWN: {
        intptr_t aResult = plat::DefWindowProc(window, message, wParam, lParam);
        if (app != nullptr)
            app->ResetUpdateTimer();
        return aResult;
    }
    case plat::WM_SYSCHAR:
        if (app != nullptr && app->IsAltKeyUsed(static_cast<int>(wParam)))
            return 0;
        return plat::DefWindowProc(window, message, wParam, lParam);
    case plat::WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == plat::SC_MONITORPOWER) {
            if (app == nullptr)
                return plat::DefWindowProc(window, message, wParam, lParam);
            app->mMonitorPowerTick = app->mClock->GetTickCount();
            return app->mLoadingCompletedHandled ? plat::DefWindowProc(window, message, wParam, lParam) : 0;
        }
        if ((wParam & 0xFFF0) == plat::SC_SCREENSAVE) {
            if (app != nullptr && app->mLoadingCompletedHandled && app->mPhysWindowed)
                return plat::DefWindowProc(window, message, wParam, lParam);
            return 0;
        }
        return plat::DefWindowProc(window, message, wParam, lParam);
    case plat::WM_ACTIVATEAPP:
        if (app != nullptr && !app->mPlayingDemo && isMain)
            app->mActive = wParam != 0;
        break;
    default:
        break;
    }
    if (IsQueuedMessage(message)) {
        if (app == nullptr)
            return plat::DefWindowProc(window, message, wParam, lParam);
        return QueueMessage(*app, window, message, wParam, lParam);
    }
    if (app != nullptr && isMain && app->mNotifyGameMessage != 0 && message == app->mNotifyGameMessage) {
        app->BringToFront(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    return plat::DefWindowProc(window, message, wParam, lParam);
}

bool QuorAppBase::ScreenSaverWindowProc(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result)
{
    if (mSaverClosing)
        return false;
    bool anEnd = false;
    switch (message) {
    case plat::WM_CREATE:
        if (!mSaverCreated) {
            mSaverCreated = true;
            plat::WinPoint p;
            plat::GetCursorPos(p);
            mSaverMouseX = p.x;
            mSaverMouseY = p.y;
        }
        return false;
    case plat::WM_SYSCOMMAND: {
        uint32_t aCommand = wParam & 0xFFF0;
        if (aCommand == plat::SC_SCREENSAVE || aCommand == plat::SC_CLOSE || aCommand == 0xF040 || aCommand == 0xF050) {
            *result = 0;
            return true;
        }
        return false;
    }
    case plat::WM_MOUSEMOVE: {
        int x = static_cast<int>(lParam & 0xFFFF);
        int y = static_cast<int>(lParam >> 16);
        if (x != mSaverMouseX || y != mSaverMouseY) {
            mSaverMoveCount++;
            mSaverMouseX = x;
            mSaverMouseY = y;
        }
        if (mSaverMoveCount < 4) {
            *result = 0;
            return true;
        }
        anEnd = true;
        break;
    }
    case plat::WM_ACTIVATE:
    case plat::WM_ACTIVATEAPP:
    case plat::WM_NCACTIVATE:
        if (wParam != 0)
            return false;
        anEnd = true;
        break;
    case plat::WM_CLOSE:
    case plat::WM_KEYDOWN:
    case plat::WM_SYSKEYDOWN:
    case plat::WM_LBUTTONDOWN:
    case plat::WM_RBUTTONDOWN:
    case plat::WM_MBUTTONDOWN:
        anEnd = true;
        break;
    default:
        return false;
    }
    if (!anEnd || mHWnd == nullptr)
        return false;
    // Messages that the monitor's power change itself causes do not end the saver.
    bool aPowerEcho = message == plat::WM_ACTIVATEAPP || message == plat::WM_ACTIVATE || message == plat::WM_CLOSE ||
                      message == plat::WM_NCACTIVATE || message == plat::WM_MOUSEMOVE;
    if (aPowerEcho && mClock->GetTickCount() - mMonitorPowerTick < 1000)
        return false;
    // No password check exists on this desktop.
    mSaverClosing = true;
    plat::PostMessage(IdOf(mHWnd), plat::WM_CLOSE, 0, 0);
    return false;
}

void QuorAppBase::PumpWindowMessages()
{
    plat::Message aMessage;
    while (!mShutdown && plat::PeekMessage(aMessage, true)) {
        plat::TranslateMessage(aMessage);
        plat::DispatchMessage(aMessage);
    }
}

bool QuorAppBase::ProcessDeferredMessage()
{
    if (mDeferredMessages.empty())
        return false;
    const DeferredMessage m = mDeferredMessages.front();
    mDeferredMessages.pop_front();

    const bool recording = mRecordingDemo && !mShutdown;
    if (recording)
        RecordInput(*this, m);

    const plat::WindowId aWindow = IdOf(m.mWindow);
    const bool isMain = aWindow == IdOf(mHWnd) && mHWnd != nullptr;
    const uint32_t w = m.mWParam;
    WidgetManager* wm = mWidgetManager;
    if (!mPlayingDemo && wm != nullptr) {
        switch (m.mMessage) {
        case plat::WM_ACTIVATEAPP:
            if (isMain && !mFatalError && !mShutdown) {
                FocusChanged();
                if (mActive && !mWindowed)
                    wm->SetAllDirty();
                if (mPendingURL && !mActive)
                    URLOpenSucceeded(mOpeningURL);
            }
            break;
        case plat::WM_MOVE:
            if (isMain && mWindowed) {
                plat::WindowPlacement aPlacement;
                if (plat::GetWindowPlacement(aWindow, aPlacement) &&
                    (aPlacement.showCommand == plat::SW_SHOWNORMAL || aPlacement.showCommand == plat::SW_SHOW)) {
                    mPreferredX = aPlacement.normalPosition.left;
                    mPreferredY = aPlacement.normalPosition.top;
                }
            }
            break;
        case plat::WM_SIZE: {
            bool aMinimized = w == plat::SIZE_MINIMIZED;
            if (isMain && !mShutdown && aMinimized != mMinimized) {
                mMinimized = aMinimized;
                if (aMinimized) {
                    Mute(true);
                } else {
                    Unmute(true);
                    wm->SetAllDirty();
                }
            }
            FocusChanged();
            if (w == plat::SIZE_MAXIMIZED)
                SwitchScreenMode(false);
            break;
        }
        case plat::WM_SYSCOLORCHANGE:
        case plat::WM_DISPLAYCHANGE:
            wm->ChangedAll();
            wm->SetAllDirty();
            break;
        case plat::WM_KEYDOWN:
        case plat::WM_SYSKEYDOWN: {
            mLastUserInputTick = mLastTimerTime;
            const int aKey = static_cast<int>(w);
            if (m.mMessage == plat::WM_SYSKEYDOWN && aKey == plat::VK_RETURN) {
                // Alt+Enter switches between window and full screen, unless one of them failed.
                // It is recorded as the Enter key that playback, seeing Alt held and Control
                // not, takes as this switch: the key table is cleared there too.
                if (!mForceFullscreen && !mForceWindowed) {
                    if (recording)
                        RecordKeyDown(*this, aKey);
                    SwitchScreenMode(!mWindowed);
                    ClearKeyStates();
                    break;
                }
            }
            if (aKey == 'D' && wm->mKeyDown[plat::VK_CONTROL] && wm->mKeyDown[plat::VK_MENU]) {
                // Toggles the debug keys. The system-sound file of another platform is not played.
                mDebugKeysEnabled = !mDebugKeysEnabled;
            }
            // A key the debug keys take never reaches the widgets, and is not recorded.
            if (mDebugKeysEnabled && DebugKeyDown(aKey))
                break;
            if (recording)
                RecordKeyDown(*this, aKey);
            wm->KeyDown(aKey);
            break;
        }
        case plat::WM_KEYUP:
        case plat::WM_SYSKEYUP:
            mLastUserInputTick = mLastTimerTime;
            wm->KeyUp(static_cast<int>(w));
            break;
        case plat::WM_CHAR:
            mLastUserInputTick = mLastTimerTime;
            wm->KeyChar(static_cast<char>(w & 0xFF));
            break;
        case plat::WM_TIMER:
            if (!mFatalError && mIsInMainLoop) {
                uint32_t aNow = mClock->GetTickCount();
                if (aNow - mLastTimerTime > 500)
                    mTimerRunStart = aNow;
                mLastTimerTime = aNow;
                if (mPendingURL && aNow - mTimerRunStart > 5000) {
                    uint32_t d = aNow - mOpeningURLTime;
                    if (d > 8000 && !mActive)
                        URLOpenSucceeded(mOpeningURL);
                    else if (d > 12000 && mActive)
                        URLOpenFailed(mOpeningURL);
                }
                // Whether the mouse is over the drawing area.
                plat::WinPoint anOrigin{};
                plat::ClientToScreen(IdOf(mHWnd), anOrigin);
                int aWidth = mDdInterface != nullptr ? mDdInterface->mPresentationRect.mWidth : mWidth;
                int aHeight = mDdInterface != nullptr ? mDdInterface->mPresentationRect.mHeight : mHeight;
                plat::WinPoint aCursor;
                plat::GetCursorPos(aCursor);
                bool anInside = plat::WindowFromPoint(aCursor) == IdOf(mHWnd) && aCursor.x >= anOrigin.x &&
                                aCursor.y >= anOrigin.y && aCursor.x < anOrigin.x + aWidth &&
                                aCursor.y < anOrigin.y + aHeight;
                if (anInside != mMouseIn) {
                    if (mRecordingDemo)
                        BeginDemoRecord(*this, anInside ? 7 : 8);
                    if (!anInside)
                        wm->MouseExit();
                    mMouseIn = anInside;
                    ApplyCursor();
                }
            }
            break;
        case plat::WM_MOUSEWHEEL: {
            int aDelta = plat::HiSigned(w) / 120;
            wm->MouseWheel(static_cast<int8_t>(aDelta));
            break;
        }
        default:
            if (IsMouseMessage(m.mMessage) && !mFatalError) {
                int x = plat::LoSigned(m.mLParam);
                int y = plat::HiSigned(m.mLParam);
                if (mRecordingDemo)
                    RecordedMousePoint(*this, m, x, y); // what the recording holds
                else
                    wm->MapMousePoint(x, y);
                mLastUserInputTick = mLastTimerTime;
                if (recording)
                    RecordMouseMove(*this, x, y);
                wm->MouseMove(x, y);
                if (!mMouseIn) {
                    mMouseIn = true;
                    if (mRecordingDemo)
                        BeginDemoRecord(*this, 7);
                    ApplyCursor();
                }
                const int aCode = ClickCode(m.mMessage);
                if (IsButtonDown(m.mMessage)) {
                    plat::SetCapture(aWindow);
                    if (recording)
                        RecordMouseButton(*this, true, aCode);
                    wm->MouseDown(x, y, aCode);
                } else if (IsButtonUp(m.mMessage)) {
                    const int aBit = aCode < 0 ? 2 : (aCode == 3 ? 4 : 1);
                    if ((wm->mDownButtons & ~aBit) == 0)
                        plat::ReleaseCapture();
                    if (recording)
                        RecordMouseButton(*this, false, aCode);
                    wm->MouseUp(x, y, aCode);
                }
            }
            break;
        }
    }
    if (m.mMessage == plat::WM_CLOSE && (isMain || (aWindow == IdOf(mInvisHWnd) && mInvisHWnd != nullptr))) {
        mClosedByUser = true;
        if (mPlayingDemo)
            mDemoWindowClosed = true; // playback abandoned: live values from here on
        Shutdown();
    }
    return !mDeferredMessages.empty();
}

void QuorAppBase::FocusChanged()
{
    const bool aHasFocus = mActive && !mMinimized;
    if (aHasFocus == mHasFocus)
        return;
    mHasFocus = aHasFocus;
    if (aHasFocus) {
        Unmute(true);
        if (mWidgetManager != nullptr)
            mWidgetManager->GotFocus();
        GotFocusHook();
    } else {
        Mute(true);
        if (mWidgetManager != nullptr)
            mWidgetManager->LostFocus();
        LostFocusHook();
        plat::ReleaseCapture();
        if (mWidgetManager != nullptr)
            mWidgetManager->ReleaseMouseCapture();
    }
}

void QuorAppBase::ClearKeyStates()
{
    if (mWidgetManager != nullptr) {
        for (bool& aDown : mWidgetManager->mKeyDown)
            aDown = false;
    }
    mCtrlDown = false;
    mAltDown = false;
}

bool QuorAppBase::IsAltKeyUsed(int character)
{
    const int aLower = std::tolower(character & 0xFF);
    return aLower == 13 || aLower == 'r';
}

void QuorAppBase::BringToFront(int a, int b)
{
    (void)b;
    if (a != 0 || mHWnd == nullptr)
        return;
    plat::WindowPlacement aPlacement;
    if (plat::GetWindowPlacement(IdOf(mHWnd), aPlacement) && aPlacement.showCommand == plat::SW_SHOWMINIMIZED)
        plat::ShowWindow(IdOf(mHWnd), plat::SW_RESTORE);
    plat::SetForegroundWindow(IdOf(mHWnd));
}

bool QuorAppBase::IsWindowEnabled()
{
    return !mIsDisabled;
}

// ---------------------------------------------------------------------------------------------
// Main window and screen modes

namespace {

// The cursor thread reads the window handle under the display lock (once there is a display).
void SetWindowHandle(QuorAppBase& theApp, WindowHandle theWindow)
{
    if (theApp.mDdInterface == nullptr) {
        theApp.mHWnd = theWindow;
        return;
    }
    DDInterface::AutoLock aLock(theApp.mDdInterface->mCritSect);
    theApp.mHWnd = theWindow;
}

} // namespace

void QuorAppBase::MakeWindow()
{
    // The window classes are registered by start-up; registering again changes nothing.
    plat::RegisterWindowClass("MainWindow", &QuorAppBase::WindowProc, plat::CS_DBLCLKS);
    plat::RegisterWindowClass("InvisWindow", &QuorAppBase::WindowProc, 0);

    if (mHWnd != nullptr) {
        plat::SetWindowUserData(IdOf(mHWnd), nullptr);
        plat::DestroyWindow(IdOf(mHWnd));
        SetWindowHandle(*this, nullptr);
        if (mWidgetManager != nullptr)
            mWidgetManager->mImage = nullptr;
    }

    plat::WindowId aWindow = 0;
    if (!mWindowed && !mPlayingDemo) {
        aWindow = plat::CreateWindow(plat::WS_EX_TOPMOST, "MainWindow", mTitle, plat::WS_POPUP | plat::WS_VISIBLE, 0, 0,
                                     mWidth, mHeight);
        mPhysWindowed = false;
    } else {
        const uint32_t aStyle =
            plat::WS_POPUP | plat::WS_CLIPCHILDREN | plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX;
        const plat::WinRect anOuter = plat::AdjustWindowRect(plat::WinRect{0, 0, mWidth, mHeight}, aStyle);
        const int aWidth = anOuter.right - anOuter.left;
        const int aHeight = anOuter.bottom - anOuter.top;
        const plat::WinRect aWork = plat::GetWorkArea();
        const bool hasPreferred = mPreferredX != -1 || mPreferredY != -1;
        // Without a preferred place the window is centred, its top at 38.2 % of the free height.
        // It is made there at once: a window system may not move a window that is not shown yet.
        const int aWorkWidth = aWork.right - aWork.left;
        const int aWorkHeight = aWork.bottom - aWork.top;
        int x = aWork.left + (aWorkWidth - aWidth) / 2;
        int y = aWork.top + static_cast<int>((aWorkHeight - aHeight) * 0.382);
        if (hasPreferred) {
            x = std::max(mPreferredX, aWork.left + 4);
            y = std::max(mPreferredY, aWork.top + 4);
            if (x + aWidth >= aWork.right - 4)
                x = aWork.right - 4 - aWidth;
            if (y + aHeight >= aWork.bottom - 4)
                y = aWork.bottom - 4 - aHeight;
        }
        aWindow = plat::CreateWindow(0, "MainWindow", mTitle, aStyle, x, y, aWidth, aHeight);
        mPhysWindowed = true;
    }
    if (aWindow == 0) {
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
              DDInterface::ResultToString(DDInterface::RESULT_FAIL) + " The main window could not be made.");
        DoExit(1);
        return;
    }
    plat::SetWindowUserData(aWindow, this);
    SetWindowHandle(*this, HandleOf(aWindow));

    if (mDdInterface == nullptr) {
        mDdInterface = new DDInterface(this);
        bool anIs3D = false;
        if (RegistryReadBoolean("Is3D", &anIs3D)) {
            mAutoEnable3D = false;
            mTest3D = true;
            m3DRequested = anIs3D;
            mDdInterface->mIs3D = anIs3D;
        }
    }

    const int r = InitDisplayInterface();
    if (mDdInterface->mD3DTester != nullptr && !mDdInterface->mD3DTester->mFailureReason.empty())
        RegistryEraseValue("Is3D");

    if (mPhysWindowed && r == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (mForceWindowed) {
            Popup(GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            DoExit(1);
            return;
        }
        mForceFullscreen = true;
        SwitchScreenMode(false);
        return;
    }
    if (!mPhysWindowed && (r == DDInterface::RESULT_EXCLUSIVE_FAIL || r == DDInterface::RESULT_DISPCHANGE_FAIL)) {
        if (mForceFullscreen) {
            // The window failed before: neither mode can be used. Say why the window failed.
            Popup(WindowDoesNotFit() ? DesktopTooSmallText()
                                     : GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            DoExit(1);
            return;
        }
        mForceWindowed = true;
        SwitchScreenMode(true);
        return;
    }
    if (r == DDInterface::RESULT_3D_FAIL || (r != DDInterface::RESULT_OK && Is3DAccelerated())) {
        Set3DAccelerated(false, true);
        return;
    }
    if (r != DDInterface::RESULT_OK) {
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + DDInterface::ResultToString(r) +
              " " + mDdInterface->mErrorString);
        DoExit(1);
        return;
    }

    const bool wasActive = mActive;
    mActive = plat::GetActiveWindow() == aWindow;
    mMinimizedNow = false;
    if (mMinimized) {
        Unmute(true);
        mMinimized = false;
        FocusChanged();
    }
    if (mActive != wasActive)
        FocusChanged();
    ReInitImages();
    if (mWidgetManager != nullptr) {
        mWidgetManager->mImage = mDdInterface->GetScreenImage();
        mWidgetManager->SetAllDirty();
    }
    plat::SetTimer(aWindow, kMainTimerId, static_cast<uint32_t>(std::max(mFrameTime, 1)));
}

bool QuorAppBase::WindowDoesNotFit() const
{
    return mWidth >= plat::GetSystemMetrics(plat::SM_CXSCREEN) || mHeight >= plat::GetSystemMetrics(plat::SM_CYSCREEN);
}

std::string QuorAppBase::DesktopTooSmallText() const
{
    return StrFormat(
        GetString("DESKTOP_TOO_SMALL", "The window (%d x %d) no longer fits on the desktop. Please set a larger desktop size.")
            .c_str(),
        mWidth, mHeight);
}

void QuorAppBase::CloseWindowAndDisplay()
{
    delete mDdInterface;
    mDdInterface = nullptr;
    for (void** aHandle : {&mInvisHWnd, &mHWnd}) {
        if (*aHandle != nullptr) {
            plat::SetWindowUserData(IdOf(*aHandle), nullptr);
            plat::DestroyWindow(IdOf(*aHandle));
            *aHandle = nullptr;
        }
    }
}

int QuorAppBase::InitDisplayInterface()
{
    PreDisplayInitHook();
    DeleteNativeImageData();
    const int r = mDdInterface->InitDisplay(mHWnd, mPhysWindowed);
    mSyncRefreshRate = static_cast<int>(mDdInterface->mRefreshRate);
    RecordDisplayInfo();
    if (r == DDInterface::RESULT_OK) {
        const int aWidth = mDdInterface->mDisplayWidth;
        const int aHeight = mDdInterface->mDisplayHeight;
        mScreenBounds = Rect((mWidth - aWidth) / 2, (mHeight - aHeight) / 2, aWidth, aHeight);
        if (mWidgetManager != nullptr)
            mWidgetManager->SetMouseMapping(mScreenBounds, mDdInterface->mPresentationRect);
        PostDisplayInitHook();
    }
    return r;
}

void QuorAppBase::SwitchScreenMode(bool wantWindowed, bool is3D, bool force)
{
    const bool aWindowed = mForceFullscreen ? false : wantWindowed;
    if (aWindowed == mWindowed && !force) {
        Set3DAccelerated(is3D, true);
        return;
    }
    Set3DAccelerated(is3D, false);
    mWindowed = aWindowed;
    MakeWindow();
    if (mHWnd == nullptr || mShutdown)
        return;
    if (mPendingURL) {
        plat::ShowWindow(IdOf(mHWnd), plat::SW_SHOWNOACTIVATE);
    } else {
        plat::ShowWindow(IdOf(mHWnd), plat::SW_SHOWNORMAL);
        plat::SetForegroundWindow(IdOf(mHWnd));
    }
    if (mSoundManager != nullptr)
        mSoundManager->SetCooperativeWindow(mHWnd, mWindowed);
}

void QuorAppBase::SwitchScreenMode(bool wantWindowed)
{
    SwitchScreenMode(wantWindowed, Is3DAccelerated(), false);
}

void QuorAppBase::SwitchScreenMode()
{
    SwitchScreenMode(mWindowed, Is3DAccelerated(), true);
}

void QuorAppBase::ReapplyScreenMode()
{
    SwitchScreenMode();
}

void QuorAppBase::SetVideoMemoryDraw(bool videoMemoryDraw)
{
    if (videoMemoryDraw == mVideoMemoryDraw)
        return;
    mVideoMemoryDraw = videoMemoryDraw;
    if (mDdInterface == nullptr)
        return;
    mDdInterface->SetVideoMemoryDraw(videoMemoryDraw);
    if (mWidgetManager != nullptr) {
        mWidgetManager->mImage = mDdInterface->GetScreenImage();
        mWidgetManager->SetAllDirty();
    }
}

void QuorAppBase::ReInitImages()
{
    std::lock_guard<std::recursive_mutex> aLock(mImageSetLock);
    for (MemoryImage* anImage : mMemoryImageSet)
        anImage->ApplyLoadOptions();
}

void QuorAppBase::DeleteNativeImageData()
{
    std::lock_guard<std::recursive_mutex> aLock(mImageSetLock);
    for (MemoryImage* anImage : mMemoryImageSet)
        anImage->DeleteNativeAndAdditiveData();
}

void QuorAppBase::DeleteExtraImageData()
{
    if (mDdInterface != nullptr)
        mDdInterface->mCritSect.Enter();
    {
        std::lock_guard<std::recursive_mutex> aLock(mImageSetLock);
        for (MemoryImage* anImage : mMemoryImageSet)
            anImage->DeleteExtraData();
    }
    if (mDdInterface != nullptr)
        mDdInterface->mCritSect.Leave();
}

void QuorAppBase::PresentScreen(const Rect* clipRect)
{
    if (mIsDrawing || mShutdown || mScreenBlanked || mDdInterface == nullptr)
        return;
    if (mDdInterface->RedrawScreen(clipRect)) {
        if (mDisplayLost) {
            mDisplayLost = false;
            mLastRecoveryAttempt = 0;
        }
        return;
    }
    mDisplayLost = true;
    const uint32_t aNow = mClock->GetTickCount();
    if (!mActive && !(aNow - mLastRecoveryAttempt > 1000 && mPhysWindowed))
        return;
    plat::WindowPlacement aPlacement;
    if (mMinimized ||
        (plat::GetWindowPlacement(IdOf(mHWnd), aPlacement) && aPlacement.showCommand == plat::SW_SHOWMINIMIZED))
        return;
    mLastRecoveryAttempt = aNow;
    if (mWidgetManager != nullptr)
        mWidgetManager->mImage = nullptr;

    if (WindowDoesNotFit() && mWindowed) {
        if (mForceWindowed) {
            // The desktop is too small for the window and full screen failed before.
            Popup(DesktopTooSmallText());
            Shutdown();
        } else {
            mForceFullscreen = true;
            SwitchScreenMode(false);
        }
        return;
    }
    const int r = InitDisplayInterface();
    if (mWindowed && r == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (mActive) {
            SwitchScreenMode(false);
            mForceFullscreen = true;
        }
    } else if (r == DDInterface::RESULT_3D_FAIL) {
        Set3DAccelerated(false, true);
    } else if (r == DDInterface::RESULT_OK) {
        ReInitImages();
        if (mWidgetManager != nullptr) {
            mWidgetManager->mImage = mDdInterface->GetScreenImage();
            mWidgetManager->SetAllDirty();
        }
    }
}

void QuorAppBase::CheckIdleScreenSaver(uint32_t now)
{
    if (!mPhysWindowed || mIsScreenSaver)
        return;
    if (!mSaverSettingsRead || now - mLastSaverCheck > 10000) {
        mSaverSettingsRead = true;
        mLastSaverCheck = now;
        // This desktop tells no screen-saver time-out: the system saver counts as inactive.
        mSystemSaverActive = false;
        mIdleLimit = 1000;
        mScreenBlanked = false;
    }
    if (!mSystemSaverActive)
        return;
    const uint32_t anIdle = now - mLastUserInputTick;
    if (mScreenBlanked) {
        if (anIdle < mIdleLimit) {
            mScreenBlanked = false;
            if (mWidgetManager != nullptr)
                mWidgetManager->SetAllDirty();
        }
    } else if (anIdle > mIdleLimit) {
        mScreenBlanked = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Cursor

void QuorAppBase::ApplyCursor()
{
    if (mDdInterface == nullptr)
        return;
    if (mFatalError || !mMouseIn) {
        plat::SetCursor(plat::LoadSystemCursor(plat::SystemCursor::Arrow));
        if (mDdInterface->SetCursorImage(nullptr))
            mCustomDrawRequested = true;
        mSystemCursorShown = true;
        return;
    }
    Image* anImage = mCursorNum >= 0 && mCursorNum < 13 ? mCursorImages[mCursorNum] : nullptr;
    if (anImage != nullptr && (mPlayingDemo || mCustomCursorsEnabled || mCursorNum == 12)) {
        if (mDdInterface->SetCursorImage(anImage))
            mCustomDrawRequested = true;
        if (!mPlayingDemo) {
            plat::SetCursor(nullptr);
            mSystemCursorShown = false;
        } else {
            plat::WinPoint aCursor;
            plat::GetCursorPos(aCursor);
            plat::ScreenToClient(IdOf(mHWnd), aCursor);
            plat::WinRect aClient;
            bool anInside = plat::GetClientRect(IdOf(mHWnd), aClient) && aCursor.x >= 0 && aCursor.y >= 0 &&
                            aCursor.x < aClient.right && aCursor.y < aClient.bottom;
            plat::SetCursor(plat::LoadSystemCursor(anInside ? plat::SystemCursor::No : plat::SystemCursor::Arrow));
            mSystemCursorShown = true;
        }
        return;
    }
    plat::SetCursor(SystemCursorFor(*this, mCursorNum));
    if (mDdInterface->SetCursorImage(nullptr))
        mCustomDrawRequested = true;
    mSystemCursorShown = mCursorNum != 11 && mCursorNum != 12;
}

void QuorAppBase::SetCursorImage(int cursorNum, Image* image)
{
    if (cursorNum < 0 || cursorNum >= 13)
        return;
    mCursorImages[cursorNum] = image;
    ApplyCursor();
}

void QuorAppBase::CursorThreadStep()
{
    DDInterface* aDisplay = mDdInterface;
    if (aDisplay == nullptr)
        return;
    // The main thread changes what is read here under the display lock: the window (a new one
    // on Alt+Enter), the cursor image, the frame period of the display mode, the demo flag and
    // the played-back mouse. While a frame holds the lock this poll is skipped, so the thread
    // never waits for a whole frame; the next poll comes 10 ms later.
    if (!aDisplay->mCritSect.TryEnter())
        return;
    struct Release {
        plat::CriticalSection& mLock;
        ~Release() { mLock.Leave(); }
    } aRelease{aDisplay->mCritSect};
    if (mHWnd == nullptr || aDisplay->mCursorImage == nullptr)
        return;
    int x = 0;
    int y = 0;
    if (mPlayingDemo) {
        x = mDemoMouseX;
        y = mDemoMouseY;
    } else {
        plat::WinPoint p;
        plat::GetCursorPos(p);
        plat::ScreenToClient(IdOf(mHWnd), p);
        x = p.x;
        y = p.y;
    }
    if (x == aDisplay->mCursorX && y == aDisplay->mCursorY)
        return;
    // Draw at once unless a frame is about to draw it there anyway.
    const uint32_t aNow = mClock->GetTime();
    if (static_cast<int32_t>(aNow - mNextDrawTick.load()) > static_cast<int32_t>(aDisplay->mMillisecondsPerFrame + 5)) {
        aDisplay->SetCursorPos(x, y);
    } else {
        aDisplay->mCursorX = x;
        aDisplay->mCursorY = y;
        // The next frame draws it there: make sure there is one even when nothing else changed.
        mCustomDrawRequested = true;
    }
}

} // namespace Quor
