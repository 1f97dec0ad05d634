// The application base class: one object per process that owns the windows, the display, the
// widget, resource and sound managers, holds every setting and runs the main loop.
#pragma once

#include "app/Buffer.h"
#include "graphics/Rect.h"
#include "platform/Threads.h"
#include "widgets/ButtonListener.h"
#include "widgets/DialogListener.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace plat {
class InstanceLock;
}

namespace Quor {

class DDInterface;
struct DebugOverlays;
class Dialog;
class Image;
class DDImage;
class MemoryImage;
class MusicInterface;
class ResourceManager;
class SharedImage;
class SharedImageHandle;
class SoundManager;
class Widget;
class WidgetManager;

// Window and cursor handles of the platform layer (opaque here).
using WindowHandle = void*;
using CursorHandle = void*;

// Key of the shared-image map: upper-cased file name and variant, ordered by name, then variant.
struct SharedImageKey {
    std::string mFileName;
    std::string mVariant;

    bool operator<(const SharedImageKey& other) const
    {
        if (mFileName != other.mFileName)
            return mFileName < other.mFileName;
        return mVariant < other.mVariant;
    }
};

// A reduced fraction, used for the display's aspect ratio.
struct Ratio {
    int mNumerator = 1;
    int mDenominator = 1;

    void Set(int numerator, int denominator);
    // True when this ratio is the smaller one (display/Ratio.cpp).
    bool operator<(const Ratio& other) const;
};

// The clocks and the sleep the main loop runs on. Tests hand in their own to drive the loop
// without waiting; the default one reads the platform clocks.
class AppClock {
public:
    virtual ~AppClock() = default;
    virtual uint32_t GetTime();      // milliseconds, the main loop's clock
    virtual uint32_t GetTickCount(); // milliseconds since start
    virtual void Sleep(uint32_t milliseconds);
};

// Window message ids of the main loop's deferred queue and window procedure live in
// app/QuorAppWindow.cpp; one queued record.
struct DeferredMessage {
    WindowHandle mWindow = nullptr;
    uint32_t mMessage = 0;
    uint32_t mWParam = 0;
    uint32_t mLParam = 0;
};

class QuorAppBase : public ButtonListener, public DialogListener {
public:
    QuorAppBase();
    ~QuorAppBase() override;

    QuorAppBase(const QuorAppBase&) = delete;
    QuorAppBase& operator=(const QuorAppBase&) = delete;

    // ---- Main loop and timing (app/QuorAppLoop.cpp) ----
    virtual bool Process(bool allowSleep = true);
    virtual void UpdateFrames();
    virtual bool RunUpdate();
    virtual void UpdateFramesF(float fraction);

    // ---- Window (app/QuorAppWindow.cpp) ----
    virtual void MakeWindow();
    virtual void ApplyCursor();

    // ---- Passes over every live memory image ----
    virtual void ReInitImages();
    virtual void DeleteNativeImageData();
    virtual void DeleteExtraImageData();

    virtual void LoadingThreadCompleted() {}
    virtual void TakeScreenshot();
    virtual MusicInterface* CreateMusicInterface(WindowHandle window);

    virtual void PostInitHook() {}
    virtual void UnnamedHook() {}
    virtual void PreTerminate() {}
    virtual void LoadingThreadProc() {}

    // ---- Settings (app/QuorAppSettings.cpp) ----
    virtual void WriteToRegistry();
    virtual void ReadFromRegistry();

    // ---- Popups, dialogs, error log (app/QuorAppPopups.cpp) ----
    virtual Dialog* NewDialog(int id, bool isModal, const std::string& header,
                              const std::string& lines, const std::string& footer, int buttonMode);
    virtual void InitHook() {}
    virtual void BeginPopup();
    virtual void EndPopup();
    virtual int MsgBoxW(const std::wstring& text, const std::wstring& caption, uint32_t flags);
    virtual int MsgBox(const std::string& text, const std::string& caption, uint32_t flags);
    virtual void PopupW(const std::wstring& text);
    virtual void Popup(const std::string& text);
    virtual void LogScreenError(const std::string& text);
    virtual void SafeDeleteWidget(Widget* widget);
    virtual void URLOpenFailed(const std::string& url);
    virtual void URLOpenSucceeded(const std::string& url);
    virtual bool OpenURL(const std::string& url, bool shutdownOnOpen = false);
    virtual std::string GetProductVersion(const std::string& path);
    virtual void OnFatalException();
    virtual void GetCrashReportInfo(std::string& text);
    virtual void GetCrashReportFields(std::map<std::string, std::string>& fields) { (void)fields; }
    virtual void Shutdown();

    // ---- Command line (app/QuorAppCommandLine.cpp) ----
    virtual void ParseCommandLine();
    virtual void SplitCommandLine(const std::string& text);
    virtual void HandleCmdLineParam(const std::string& name, const std::string& value);

    // ---- Start-up ----
    virtual void BringToFront(int, int);
    virtual void OnAlreadyRunning();
    virtual void Start();
    virtual void Init();

    virtual void EmptyHook1() {}
    virtual void EmptyHook2() {}
    virtual bool ChangeDirHook(const std::string& path);

    // ---- Sound (app/QuorAppServices.cpp) ----
    virtual void PlaySamplePan(int id, int pan);
    virtual void PlaySample(int id);
    virtual void PlaySampleVolumePan(int id, int pan, double volume);
    virtual double GetMasterVolume();
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    virtual bool IsMuted();
    virtual void SetMasterVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void Mute(bool autoMute = false);
    virtual void Unmute(bool autoMute = false);

    virtual double GetLoadingProgress();
    virtual DDImage* LoadImageFile(const std::string& fileName, bool commitBits = true);
    virtual SharedImageHandle GetSharedImage(const std::string& fileName,
                                             const std::string& variant = "",
                                             bool* created = nullptr);

    // ---- Screen modes (app/QuorAppWindow.cpp) ----
    virtual void SwitchScreenMode(bool wantWindowed, bool is3D, bool force = false);
    virtual void SwitchScreenMode(bool wantWindowed);
    virtual void SwitchScreenMode();
    virtual void SetVideoMemoryDraw(bool videoMemoryDraw);

    // ---- Dialogs by id ----
    virtual Dialog* DoDialog(int id, bool isModal, const std::string& header,
                             const std::string& lines, const std::string& footer, int buttonMode);
    virtual Dialog* GetDialog(int id);
    virtual void AddDialog(int id, Dialog* dialog);
    virtual void AddDialog(Dialog* dialog);
    virtual bool KillDialog(int id, bool removeWidget, bool deleteWidget);
    virtual bool KillDialog(int id);
    virtual bool KillDialog(Dialog* dialog);
    virtual int GetDialogCount();

    virtual void ModalOpen() {}
    virtual void ModalClose() {}
    virtual void EmptyHook3() {}
    virtual void EmptyHook4() {}

    virtual bool IsAltKeyUsed(int character);
    virtual bool DebugKeyDown(int virtualKey);
    virtual bool DebugKeyDownAsync(int virtualKey, bool ctrlDown, bool altDown);

    virtual void EmptyHook5() {}
    virtual std::string TextHook() { return std::string(); }
    virtual std::string GetCrashAttachmentFile() { return std::string(); }
    virtual bool BoolHook(int, int) { return false; }

    virtual bool Redraw();
    virtual void PresentScreen(const Rect* clipRect = nullptr);
    virtual void InitHookEarly() {}
    virtual void ParseResourceManifests() {}
    virtual void ReportResourceError(bool endProgram);

    virtual void MainLoop();
    virtual bool UpdateAppStep(bool* updated);
    virtual bool UpdateApp();
    virtual bool IsWindowEnabled();

    // ---- DialogListener ----
    void DialogButtonPress(int dialogId, int buttonId) override;
    void DialogButtonDepress(int dialogId, int buttonId) override;

    // ---- Non-virtual operations ----
    void ResetUpdateTimer();
    bool IsScreenSaver() const { return mIsScreenSaver; }
    void DoExit(int code);
    std::string GetString(const std::string& key, const std::string& defaultText) const;
    void GetWideString(const std::string& key, std::wstring& text) const;

    bool RegistryWrite(const std::string& valueName, uint32_t type, const uint8_t* data,
                       uint32_t length);
    bool RegistryWriteString(const std::string& valueName, const std::string& text);
    bool RegistryWriteInteger(const std::string& valueName, int value);
    bool RegistryWriteBoolean(const std::string& valueName, bool value);
    bool RegistryRead(const std::string& valueName, uint32_t* type, uint8_t* data,
                      uint32_t* length);
    bool RegistryReadString(const std::string& valueName, std::string* text);
    bool RegistryReadInteger(const std::string& valueName, int* value);
    bool RegistryReadBoolean(const std::string& valueName, bool* value);
    bool RegistryEraseValue(const std::string& valueName);
    bool WriteBytesToFile(const std::string& fileName, const void* data, uint32_t length);
    bool WriteBufferToFile(const std::string& fileName, const Buffer* buffer);
    bool ReadBufferFromFile(const std::string& fileName, Buffer* buffer,
                            bool dontWriteToDemo = false);

    void SetCursor(int cursorNum);
    void EnableCustomCursors(bool enabled);
    DDImage* CopyImage(Image* image);
    DDImage* CopyImage(Image* image, const Rect& rect);
    void AddMemoryImage(MemoryImage* image);
    void RemoveMemoryImage(MemoryImage* image);
    void CleanSharedImages();
    void CopyToClipboard(const std::string& text);
    std::string GetClipboard();
    bool Is3DAccelerated();
    bool Is3DAccelerationSupported();
    bool Is3DAccelerationRecommended();
    void Set3DAccelerated(bool is3D, bool reinit = true);
    void RecordDisplayInfo();
    DDImage* NewDisplayImage();                 // an empty display image, null without a display
    // The image of a new shared entry: a blank display image for a name starting with '!',
    // else the file loaded as a display image (null when it cannot be loaded).
    Image* MakeSharedImage(const std::string& fileName);
    void DisplayRemoveImage(MemoryImage* image); // drops the display's data of the image

    void ProcessSafeDeletes();
    void UpdateElapsedTime();
    void WaitForLoadingThread();

    // Demo stream pieces that settings, files and the clipboard take part in.
    void WriteDemoTimingBlock();
    bool ReadDemoTimingBlock();
    void DemoSyncBuffer(Buffer* buffer);
    void DemoSyncString(std::string& text);
    void DemoSyncBool(bool& value);
    int GetDemoFileNum(int maxCount, bool deleteOld);
    // Whether a demo file name is used as it stands, without the application-data folder:
    // a drive ("c:..."), a "..\" start, or an absolute path.
    static bool IsAbsoluteDemoName(const std::string& name);
    bool ReadDemoFile(std::string& error);
    void ProcessDemo();
    // Writes the demo file when recording; false (and a line in the error log) when the file
    // could not be written.
    bool WriteDemoFile();
    // Skips the payload of a recorded outside value (ids 11-18) that nothing read back.
    void SkipDemoPayload(int command);
    // Playback has no record left: no header is pending and what is left cannot hold one.
    bool DemoPlayedOut() const;
    // Whole bytes left to read in the demo stream, and a recorded length bounded by them.
    int DemoBytesLeft() const;
    uint32_t ReadDemoLength();
    // The playback controls: a character typed while a demo plays.
    void DemoPlaybackKey(int character);
    int ShowMarkerList();
    int ShowJumpToTime();
    void ToggleDemoSound();

    // ---- Debug keys, overlays and video statistics (app/QuorAppDebug.cpp) ----
    void DrawFPSOverlay();
    void DrawMouseOverlay(int x, int y);
    void DrawDemoTimeOverlay();
    // Places the overlay images on the screen image (bottom right).
    void DrawDebugOverlays(Image* screen);
    // Frees the overlay fonts and images; before the display goes.
    void FreeDebugOverlays();
    void ShowVideoStats();

    // ---- Screenshots and image dump (app/QuorAppScreenshot.cpp) ----
    void DumpImages();

    // ---- Window, input and display (app/QuorAppWindow.cpp) ----
    void PumpWindowMessages();        // drains the window system's queue into the window procedure
    bool ProcessDeferredMessage();    // one queued input record; true when more remain
    void ClearKeyStates();
    int InitDisplayInterface();       // (re)initialises the display on the main window
    void CheckIdleScreenSaver(uint32_t now);
    static intptr_t WindowProc(uint32_t window, uint32_t message, uint32_t wParam, uint32_t lParam);
    bool ScreenSaverWindowProc(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* result);
    void FocusChanged();
    void SetCursorImage(int cursorNum, Image* image);
    void ReapplyScreenMode();
    void CloseWindowAndDisplay(); // destruction: the display, then the windows
    bool WindowDoesNotFit() const; // the window is as large as the desktop or larger
    std::string DesktopTooSmallText() const;
    // Empty hooks of the window procedure.
    virtual void GotFocusHook() {}
    virtual void LostFocusHook() {}
    virtual void CloseRequestHook() {}
    virtual void PreDisplayInitHook() {}
    virtual void PostDisplayInitHook() {}
    // Called by the display when its 3-D test has just produced a fresh verdict.
    virtual void On3DTestDone() {}
    void MakeSystemCursors();         // the hand and dragging cursors, hot spots (11, 4), (15, 10)
    void CursorThreadStep();          // one poll of the mouse for the software cursor

    void SetClock(AppClock* clock) { mClock = clock ? clock : &mDefaultClock; }
    AppClock* GetClock() const { return mClock; }

public:
    uint32_t mRandomSeed = 0;
    std::string mCompanyName;
    std::string mFullCompanyName;
    std::string mProductName;
    std::string mTitle;
    std::string mRegistryKey;
    std::string mChangeDirTo;
    int mCatchUpLimit = 0;
    int mPreferredX = -1;
    int mPreferredY = -1;
    int mWidth = 640;
    int mHeight = 480;
    int mFullScreenBits = 16;
    double mMusicVolume = 0.85;
    double mSfxVolume = 0.85;
    bool mNoSoundNeeded = false;
    bool mWantFMod = false;
    bool mCmdLineParsed = false;
    plat::InstanceLock* mMutex = nullptr;
    bool mOnlyAllowOneCopyToRun = true;
    uint32_t mNotifyGameMessage = 0;
    plat::CriticalSection mCritSect;
    uint8_t mAdd8BitMaxTable[512] = {};
    WidgetManager* mWidgetManager = nullptr;
    std::map<int, Dialog*> mDialogMap;
    std::list<Dialog*> mDialogList;
    uint64_t mPrimaryThreadId = 0; // plat::GetCurrentThreadId of the thread that ran Init
    std::atomic<bool> mShutdown{false};
    std::atomic<bool> mExitToTop{false};
    bool mWindowed = false;
    bool mFullScreenWindow = false;
    bool mForceFullscreen = false;
    bool mInitialized = false;
    uint32_t mTimeLoaded = 0;
    WindowHandle mHWnd = nullptr;
    WindowHandle mInvisHWnd = nullptr;
    bool mIsScreenSaver = false;
    std::list<DeferredMessage> mDeferredMessages;
    bool mDrawSoftwareCursor = true;
    bool mTabletPC = false;
    bool mAllowHighCharacters = true; // edit fields accept characters 0x80-0xFF as well
    DDInterface* mDdInterface = nullptr;
    MusicInterface* mMusicInterface = nullptr;
    bool mReadRegistryDone = false;
    std::string mProductVersion;
    Image* mCursorImages[13] = {};
    bool mPendingURL = false;
    int mMuteCount = 0;
    int mAutoMuteCount = 0;
    // mMemoryImageSet and mSharedImageMap are guarded by mImageSetLock: the loading thread makes
    // and shares images while the main thread draws and cleans.
    std::recursive_mutex mImageSetLock;
    std::set<MemoryImage*> mMemoryImageSet;
    std::map<SharedImageKey, std::unique_ptr<SharedImage>> mSharedImageMap;
    std::atomic<bool> mCleanSharedImages{false};

    // Timing block.
    int mFrameTime = 10;
    double mUpdateMultiplier = 1.0;
    bool mPaused = false;
    int mUpdateAppState = 0;
    double mUpdateFTimeAcc = 0.0;
    uint32_t mLastTimeCheck = 0;
    int mNonDrawCount = 0;
    bool mHasPendingDraw = true;
    int mUpdateCount = 0;
    int mUpdateAppDepth = 0;
    std::atomic<bool> mShutdownRequested{false};
    int mStepMode = 0;
    int mSleepCount = 0;
    int mDrawCount = 0;
    int mDrawTime = 0;
    int mScreenBltTime = 0;
    int mFPSFlipCount = 0;
    uint32_t mLastDrawTick = 0;
    std::atomic<uint32_t> mNextDrawTick{0}; // read by the cursor thread
    uint32_t mLastRedrawStamp = 0; // last idle screen-saver check
    bool mRedrawStampSet = false;
    uint32_t mFastForwardStamp = 0;
    bool mFastForwardStampSet = false;
    bool mMutedForFastForward = false;
    bool mIsDrawing = false;
    bool mIsInMainLoop = false;
    std::atomic<bool> mCustomDrawRequested{false}; // forced redraw (software cursor changed; set by the cursor thread too)
    bool mWidgetUpdatesSuspended = false;

    int mCursorNum = 0;
    SoundManager* mSoundManager = nullptr;
    CursorHandle mHandCursor = nullptr;
    CursorHandle mDraggingCursor = nullptr;
    std::list<std::pair<int, Widget*>> mSafeDeleteList;

    // Loading block.
    bool mLoadingThreadWanted = true;
    std::atomic<bool> mLoadingThreadStarted{false};
    std::atomic<bool> mLoadingThreadCompleted{false};
    bool mLoadingCompletedHandled = false;
    std::atomic<bool> mLoadingThreadRunning{false};
    std::atomic<int> mNumLoadingThreadTasks{0};
    std::atomic<int> mCompletedLoadingThreadTasks{0};

    bool mCustomCursorsEnabled = false;
    bool mLastShutdownWasGraceful = true;
    bool mRecordingDemo = false;
    bool mPlayingDemo = false;
    bool mDemoWindowClosed = false;
    std::string mDemoFilePrefix;
    std::string mDemoFileName;
    Buffer mDemoBuffer;

    // Demo block.
    int mDemoLength = 0;
    int mLastDemoUpdateCnt = 0;
    int mDemoCmdNum = 0;
    bool mDemoNeedsCommand = true;
    bool mDemoIsShortCmd = false;
    int mDemoCmdOrder = -1;
    int mDemoCmdBitPos = 0;
    int mDemoMouseX = 0;
    int mDemoMouseY = 0;
    bool mDemoLoadingComplete = false;
    int mDemoJumpTarget = 0;
    bool mDemoRunToEnd = false;
    bool mDemoSingleStep = false;
    double mDemoSavedMusicVolume = 0.85;
    double mDemoSavedSfxVolume = 0.85;
    std::list<std::pair<std::string, uint32_t>> mDemoMarkers;

    int mSyncRefreshRate = 100;
    bool mWaitForVSync = false;
    bool mUserChanged3DSetting = false;
    int mDisplayTuning1 = 6;
    int mDisplayTuning2 = 14;
    Rect mScreenBounds;
    Ratio mAspectRatio;
    std::map<std::string, std::wstring> mStringTable;
    ResourceManager* mResourceManager = nullptr;
    std::string mResourceErrorText; // the resource manager's last error, shown by ReportResourceError

    // Popups and URL requests.
    bool mInPopup = false;
    bool mFatalError = false;
    bool mShutdownOnURLOpen = false;
    std::string mOpeningURL;
    uint32_t mOpeningURLTime = 0;

    // Window and input state kept by the window procedure (app/QuorAppWindow.cpp).
    bool mActive = true;
    bool mMinimized = false;
    std::atomic<bool> mScreenBlanked{false}; // drawing and updates paused for the screen saver
    std::atomic<bool> mDisplayLost{false};   // the last present failed
    bool mIsDisabled = false;
    uint32_t mLastTimerTime = 0;
    uint32_t mLastUserInputTick = 0;
    bool mShowFPS = false; // debug overlays
    int mShowFPSMode = 0;  // 0 frame rate, 1 mouse position
    DebugOverlays* mDebugOverlays = nullptr; // made on first use (app/QuorAppDebug.cpp)

    // Window procedure, screen modes and display state (app/QuorAppWindow.cpp, display/).
    bool mMinimizedNow = false;      // set at once by the window procedure on WM_SIZE
    bool mHasFocus = true;           // active and not minimised, as FocusChanged last saw it
    bool mMouseIn = false;           // the mouse is over the drawing area
    bool mCtrlDown = false;
    bool mAltDown = false;
    bool mDebugKeysEnabled = false;  // toggled by Ctrl+Alt+D
    uint32_t mTimerRunStart = 0;     // start of the current unbroken run of timer ticks
    bool mClosedByUser = false;
    bool mForceWindowed = false;     // full screen failed; Alt+Enter is disabled
    bool mPhysWindowed = true;       // the window made is a framed window
    uint32_t mLastRecoveryAttempt = 0;
    bool mVideoMemoryDraw = false;
    bool mSystemCursorShown = true;
    uint32_t mLastSaverCheck = 0;    // last read of the system screen-saver settings
    bool mSaverSettingsRead = false;
    uint32_t mIdleLimit = 0;         // ms of idle time after which drawing pauses
    bool mSystemSaverActive = false;
    uint32_t mMonitorPowerTick = 0;  // last SC_MONITORPOWER request
    bool mSaverClosing = false;
    bool mSaverCreated = false;
    int mSaverMoveCount = 0;
    int mSaverMouseX = 0;
    int mSaverMouseY = 0;
    bool mVSyncBroken = false;       // waiting for the vertical blank does not work here
    bool mNoVSyncRefresh = false;    // the refresh rate cannot pace the loop
    bool mEnableFlipping = true;     // page flipping allowed (not on a tablet PC)
    bool mAutoEnable3D = false;
    bool mTest3D = false;
    uint32_t mMinVidMemory3D = 6;          // MB the 3-D test requires
    uint32_t mRecommendedVidMemory3D = 14; // MB below which it warns
    bool m3DRequested = false;       // registry "Is3D" asked for 3-D

    // Threads of the main loop.
    std::atomic<bool> mCursorThreadRunning{false};
    std::thread mCursorThread;
    std::thread mLoadingThread;

    // Shared images that one thread is loading; other askers wait for them.
    std::mutex mSharedImageLoadMutex;
    std::condition_variable mSharedImageLoaded;
    std::set<SharedImageKey> mSharedImagesLoading;

protected:
    void WriteDemoResult(int command, bool success); // a demo record with a 1-bit result
    bool ReadDemoResult();                          // the 1-bit result of the next record
    void HandleLoadingCompletion();
    // Playback runs without waiting: up to the jump target, or to the end of the recording.
    bool DemoFastForwarding() const;
    void StartLoadingThread();
    void StartCursorThread();
    void CursorThreadProc();

    AppClock mDefaultClock;
    AppClock* mClock = &mDefaultClock;
};

// The one application object of the process; set by the constructor, cleared by the destructor.
extern QuorAppBase* gQuorAppBase;

} // namespace Quor
