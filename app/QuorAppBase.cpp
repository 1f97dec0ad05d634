// QuorAppBase: construction, start-up, destruction and the choice of the music player.
#include "app/QuorAppBase.h"

#include "app/MTRand.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "app/CrashCatcher.h"
#include "app/MTRand.h"
#include "display/D3DInterface.h"
#include "graphics/Image.h"
#include "graphics/SharedImage.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "resources/ImageLib.h"
#include "platform/Instance.h"
#include "platform/Sys.h"
#include "platform/Threads.h"
#include "platform/Time.h"
#include "platform/Window.h"
#include "resources/ResourceManager.h"
#include "sound/BassMusicInterface.h"
#include "sound/FModMusicInterface.h"
#include "sound/MusicInterface.h"
#include "sound/DSoundManager.h"
#include "sound/SoundManager.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace Quor {

QuorAppBase* gQuorAppBase = nullptr;

uint32_t AppClock::GetTime()
{
    return plat::GetTickCount();
}

uint32_t AppClock::GetTickCount()
{
    return plat::GetTickCount();
}

void AppClock::Sleep(uint32_t milliseconds)
{
    plat::Sleep(milliseconds);
}

void Ratio::Set(int numerator, int denominator)
{
    int divisor = std::gcd(numerator, denominator);
    if (divisor == 0)
        divisor = 1;
    mNumerator = numerator / divisor;
    mDenominator = denominator / divisor;
}

QuorAppBase::QuorAppBase()
{
    mAspectRatio.Set(4, 3);
    gQuorAppBase = this;
    plat::KeepFreedMemoryForReuse();
    ImageLib::LoadJ2KCodecLibrary();

    mMutex = nullptr;
    mNotifyGameMessage = 0;
    mOnlyAllowOneCopyToRun = true;
    std::string programPath = plat::GetProgramPath(); // full length, never cut
    mProductVersion = GetProductVersion(programPath);
    mChangeDirTo = plat::GetProgramDir();

    mTimeLoaded = mClock->GetTickCount();
    mProductName = "Product";
    mTitle = "QuorApp";
    mLastTimeCheck = 0;
    mLastDrawTick = mClock->GetTime();
    mNextDrawTick = mLastDrawTick;

    for (int i = 0; i < 512; ++i)
        mAdd8BitMaxTable[i] = uint8_t(i < 256 ? i : 255);

    mStringTable["DIALOG_BUTTON_OK"] = L"OK";
    mStringTable["DIALOG_BUTTON_CANCEL"] = L"CANCEL";
    mStringTable["UPDATE_CHECK_TITLE"] = L"Update Check";
    mStringTable["UPDATE_CHECK_BODY"] =
        L"Checking if there are any updates available for this product ...";
    mStringTable["UP_TO_DATE_TITLE"] = L"Up to Date";
    mStringTable["UP_TO_DATE_BODY"] =
        L"There are no updates available for this product at this time.";
    mStringTable["NEW_VERSION_TITLE"] = L"New Version";
    mStringTable["NEW_VERSION_BODY"] =
        L"There is an update available for this product.  Would you like to visit the web "
        L"site to download it?";

    mDemoFilePrefix = "quorapp";
    mDemoFileName = mDemoFilePrefix + ".dmo";

    mWidgetManager = new WidgetManager(this);
    mResourceManager = new ResourceManager(this);

    if (plat::GetSystemMetrics(plat::SM_TABLETPC) != 0) {
        mTabletPC = true;
        mDrawSoftwareCursor = false;
    }

    CrashCatcher::mApp = this; // from now on a crash report carries the application's part
}

QuorAppBase::~QuorAppBase()
{
    Shutdown();

    // Hardware-acceleration confirmation, when 3-D drawing was switched during this run.
    bool asked = false;
    if (mUserChanged3DSetting) {
        bool stored = false;
        if (RegistryReadBoolean("Is3D", &stored) || Is3DAccelerationRecommended()) {
            RegistryWriteBoolean("Is3D", Is3DAccelerated());
        } else if (Is3DAccelerated()) {
            std::string caption =
                mCompanyName + " " +
                GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
            std::string text = GetString(
                "HARDWARE_ACCEL_SWITCHED_ON",
                "Hardware Acceleration was switched on during this session.\r\n"
                "If this resulted in slower performance, it should be switched off.\r\n"
                "Would you like to keep Hardware Acceleration switched on?");
            bool keep = plat::MessageBox(text, caption, plat::MB_YESNO | plat::MB_ICONQUESTION) ==
                        plat::IDYES;
            Set3DAccelerated(keep, false);
            if (keep)
                RegistryWriteBoolean("Is3D", true);
            asked = true;
        }
    }
    // A 3-D call failed during the run: offer to turn 3-D off for the next one.
    if (!asked && gD3DMayNotHaveWorked && !mIsScreenSaver) {
        std::string caption =
            mCompanyName + " " + GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
        std::string text = GetString(
            "HARDWARE_ACCEL_NOT_WORKING",
            "Hardware Acceleration may not have been working correctly during this session.\r\n"
            "If you noticed graphics problems, you may want to turn off Hardware Acceleration.\r\n"
            "Would you like to keep Hardware Acceleration switched on?");
        if (plat::MessageBox(text, caption, plat::MB_YESNO | plat::MB_ICONQUESTION) == plat::IDNO)
            RegistryWriteBoolean("Is3D", false);
    }

    for (auto& [id, dialog] : mDialogMap) {
        mWidgetManager->RemoveWidget(dialog);
        delete dialog;
    }
    mDialogMap.clear();
    mDialogList.clear();

    // Widgets still queued for deletion go before the manager that may hold them.
    mUpdateAppDepth = 0;
    ProcessSafeDeletes();

    delete mWidgetManager;
    mWidgetManager = nullptr;
    delete mResourceManager;
    mResourceManager = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
        for (auto& [key, shared] : mSharedImageMap) {
            delete shared->mImage;
            shared->mImage = nullptr;
        }
        mSharedImageMap.clear();
    }

    FreeDebugOverlays(); // display images: before the display
    CloseWindowAndDisplay();
    delete mMusicInterface;
    mMusicInterface = nullptr;
    delete mSoundManager;
    mSoundManager = nullptr;

    WaitForLoadingThread();
    if (mLoadingThread.joinable())
        mLoadingThread.join();
    if (mCursorThread.joinable())
        mCursorThread.join();
    for (CursorHandle* cursor : {&mHandCursor, &mDraggingCursor}) {
        if (*cursor)
            plat::DestroyCursor(*cursor);
        *cursor = nullptr;
    }
    gQuorAppBase = nullptr;

    WriteDemoFile();

    delete mMutex;
    mMutex = nullptr;
    if (CrashCatcher::mApp == this)
        CrashCatcher::mApp = nullptr; // a later fault must not reach a destroyed application
}

void QuorAppBase::Init()
{
    mPrimaryThreadId = plat::GetCurrentThreadId();
    if (mShutdown)
        return;

    InitHookEarly();
    ReadFromRegistry();

    // The application-data folder: the user's data folder, then the company and the product.
    std::string folder = plat::GetUserDataFolder();
    if (!folder.empty()) {
        folder = RemoveTrailingSlash(folder) + "/" + mFullCompanyName + "/" + mProductName + "/";
        SetAppDataFolder(folder);
        if (!IsAbsoluteDemoName(mDemoFileName))
            mDemoFileName = GetAppDataFolder() + mDemoFileName;
    }

    if (!mCmdLineParsed)
        ParseCommandLine();
    if (mShutdown)
        return;

    if (mIsScreenSaver)
        mOnlyAllowOneCopyToRun = false;

    if (!ChangeDirHook(mChangeDirTo) && !mChangeDirTo.empty())
        plat::SetCurrentDirectory(mChangeDirTo);

    mNotifyGameMessage = plat::RegisterMessage(mProductName + "Notify");

    bool alreadyRunning = false;
    std::unique_ptr<plat::InstanceLock> lock =
        plat::InstanceLock::Acquire(mProductName + "Mutex", &alreadyRunning);
    mMutex = lock.release();
    if (alreadyRunning)
        OnAlreadyRunning();

    mRandomSeed = mClock->GetTickCount();
    SRand(mRandomSeed);

    if (mPlayingDemo) {
        std::string error;
        if (!ReadDemoFile(error)) {
            mPlayingDemo = false;
            Popup(error);
            DoExit(1);
            return;
        }
    }

    // The C runtime's generator that game code draws from follows the demo seed while a demo
    // is recorded or played, so that a played-back run draws the same numbers.
    std::srand(mRecordingDemo || mPlayingDemo ? mRandomSeed : mClock->GetTickCount());

    // Window classes, the hidden window and the two system cursors.
    plat::RegisterWindowClass("MainWindow", &QuorAppBase::WindowProc, plat::CS_DBLCLKS);
    plat::RegisterWindowClass("InvisWindow", &QuorAppBase::WindowProc, 0);
    plat::WindowId invisible = plat::CreateWindow(0, "InvisWindow", mTitle, 0, 0, 0, 0, 0);
    if (invisible != 0) {
        mInvisHWnd = reinterpret_cast<void*>(static_cast<uintptr_t>(invisible));
        plat::SetWindowUserData(invisible, this);
    }
    MakeSystemCursors();
    // The end of the session (the desktop's, or SIGTERM and SIGHUP) reaches the windows as
    // WM_ENDSESSION, which shuts the program down normally.
    plat::WatchSessionEnd();

    InitHook();

    mWidgetManager->SetMouseMapping(Rect(0, 0, mWidth, mHeight), Rect(0, 0, mWidth, mHeight));

    // A window that does not fit on the desktop is shown in full screen instead.
    if (mWindowed && !mFullScreenWindow && WindowDoesNotFit()) {
        mWindowed = false;
        mForceFullscreen = true;
    }

    MakeWindow();
    if (mShutdown)
        return;

    if (mPlayingDemo) {
        // The display facts recorded by the display set-up.
        ReadDemoTimingBlock();
        mDemoNeedsCommand = true;
        mWindowed = mDemoBuffer.ReadBoolean();
        mSyncRefreshRate = mDemoBuffer.ReadNumBits(8, false);
    }

    // The sound manager, unless a subclass made one: silent without a window (no sound needed)
    // or without an audio device.
    if (mSoundManager == nullptr) {
        auto* soundManager = new DSoundManager(mNoSoundNeeded ? nullptr : mHWnd, mWantFMod, mProductName);
        soundManager->SetTickSource([this] { return mClock->GetTickCount(); });
        mSoundManager = soundManager;
    }

    SetSfxVolume(mSfxVolume);
    mMusicInterface = CreateMusicInterface(mInvisHWnd);
    SetMusicVolume(mMusicVolume);

    if (mIsScreenSaver)
        SetCursor(11);

    PostInitHook();
    mInitialized = true;
}

namespace {

// A 32 x 32 cursor drawn from rows of text: '#' black, '.' white, anything else transparent.
CursorHandle CursorFromRows(const char* const* rows, int hotX, int hotY)
{
    uint8_t andPlane[32 * 4];
    uint8_t xorPlane[32 * 4];
    std::fill(std::begin(andPlane), std::end(andPlane), uint8_t(0xFF));
    std::fill(std::begin(xorPlane), std::end(xorPlane), uint8_t(0));
    for (int y = 0; y < 32 && rows[y]; ++y) {
        for (int x = 0; x < 32 && rows[y][x]; ++x) {
            uint8_t bit = uint8_t(0x80 >> (x % 8));
            char c = rows[y][x];
            if (c == '#' || c == '.')
                andPlane[y * 4 + x / 8] &= uint8_t(~bit);
            if (c == '.')
                xorPlane[y * 4 + x / 8] |= bit;
        }
    }
    return plat::CreateCursor(hotX, hotY, 32, 32, andPlane, xorPlane);
}

const char* const kHandRows[] = {
    "",
    "",
    "",
    "          ##",
    "         #..#",
    "         #..#",
    "         #..#",
    "         #..#",
    "         #..###",
    "         #..#..###",
    "      ## #..#..#..##",
    "     #..##..#..#..#.#",
    "     #...#........#.#",
    "      #...........#.#",
    "       #............#",
    "       #............#",
    "        #..........#",
    "        #..........#",
    "         #........#",
    "         #........#",
    "         ##########",
    nullptr,
};

const char* const kDraggingRows[] = {
    "",
    "",
    "",
    "               #",
    "              #.#",
    "             #...#",
    "            #.....#",
    "              #.#",
    "          #   #.#   #",
    "         ##   #.#   ##",
    "        #.#####.#####.#",
    "       #...............#",
    "        #.#####.#####.#",
    "         ##   #.#   ##",
    "          #   #.#   #",
    "              #.#",
    "            #.....#",
    "             #...#",
    "              #.#",
    "               #",
    nullptr,
};

} // namespace

void QuorAppBase::MakeSystemCursors()
{
    if (!mHandCursor)
        mHandCursor = CursorFromRows(kHandRows, 11, 4);
    if (!mDraggingCursor)
        mDraggingCursor = CursorFromRows(kDraggingRows, 15, 10);
}

bool QuorAppBase::IsAbsoluteDemoName(const std::string& name)
{
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return true;
    return name.size() >= 2 && (name[1] == ':' || (name.size() >= 3 && name[2] == '\\'));
}

void QuorAppBase::OnAlreadyRunning()
{
    if (!mOnlyAllowOneCopyToRun)
        return;
    if (mNotifyGameMessage != 0)
        plat::NotifyRunningInstance(mProductName + "Mutex", mNotifyGameMessage, 0, 0);
    DoExit(0);
}

MusicInterface* QuorAppBase::CreateMusicInterface(WindowHandle window)
{
    // The silent player when sound is off; otherwise songs join the sound effects' device (the
    // engine's null output when the sound manager has none).
    if (mNoSoundNeeded)
        return new MusicInterface();
    auto* sound = dynamic_cast<DSoundManager*>(mSoundManager);
    plat::AudioDevice* device = sound != nullptr ? sound->GetDevice() : nullptr;
    if (mWantFMod)
        return new FModMusicInterface(device);
    return new BassMusicInterface(window, device);
}

bool QuorAppBase::ChangeDirHook(const std::string& path)
{
    (void)path;
    return false;
}

void QuorAppBase::DoExit(int code)
{
    std::fflush(nullptr);
    std::exit(code);
}

} // namespace Quor
