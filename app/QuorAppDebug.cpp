// QuorAppBase: the developer keys (live tuning, profiler, overlays, 3-D switch, video statistics,
// update rate and single step, screenshot and image dump) and the video statistics text.
#include "app/QuorAppBase.h"

#include "app/Common.h"
#include "app/LiveTuning.h"
#include "app/PerfTimer.h"
#include "app/Profiler.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/Video.h"
#include "sound/SoundManager.h"
#include "widgets/WidgetManager.h"

#include <mutex>

namespace Quor {

namespace {

constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyAlt = 18;
constexpr int kKeyF2 = 0x71;
constexpr int kKeyF3 = 0x72;
constexpr int kKeyF8 = 0x77;
constexpr int kKeyF10 = 0x79;
constexpr int kKeyF11 = 0x7A;

// The overlays' program-wide state.
int gFrameCounter = 0;  // overlay draws since the last frame-rate figure
int gFrameRate = 0;     // the figure shown
bool gFirstFigure = false;

} // namespace

bool QuorAppBase::DebugKeyDownAsync(int virtualKey, bool ctrlDown, bool altDown)
{
    (void)virtualKey;
    (void)ctrlDown;
    (void)altDown;
    return false;
}

bool QuorAppBase::DebugKeyDown(int virtualKey)
{
    WidgetManager* wm = mWidgetManager;
    const bool shift = wm != nullptr && wm->mKeyDown[kKeyShift];
    const bool ctrl = wm != nullptr && wm->mKeyDown[kKeyControl];
    const bool alt = wm != nullptr && wm->mKeyDown[kKeyAlt];

    switch (virtualKey) {
    case 'R':
        if (alt) {
            // The confirmation sound of the other platform's system folder does not exist
            // here; a failure's message box may have swallowed key releases.
            if (!ReparseModVals() && wm != nullptr) {
                for (int key = 0; key < 255; ++key)
                    wm->mKeyDown[key] = false;
            }
        }
        return false;
    case kKeyF2:
        if (!Profiler::IsRunning()) {
            ResetUpdateTimer();
            Profiler::Start();
        } else {
            Profiler::Stop();
            MsgBox(Profiler::GetResults(), "Perf Results", 0);
            ResetUpdateTimer();
        }
        return false;
    case kKeyF3:
        if (shift) {
            mShowFPSMode = (mShowFPSMode + 1) % 2;
            mShowFPS = true;
        } else {
            mShowFPS = !mShowFPS;
        }
        if (wm != nullptr)
            wm->SetAllDirty();
        if (mShowFPS) {
            gPerfTimer.Start();
            gFrameCounter = 0;
            gFrameRate = 0;
            gFirstFigure = true;
        }
        return false;
    case kKeyF8:
        if (shift) {
            Set3DAccelerated(!Is3DAccelerated());
            MsgBox(StrFormat("3D-Mode: %s", Is3DAccelerated() ? "ON" : "OFF"), "Mode Switch", 0);
        } else {
            ShowVideoStats();
        }
        return true;
    case kKeyF10:
        if (ctrl) {
            mUpdateMultiplier = mUpdateMultiplier == 0.25 ? 1.0 : 0.25;
        } else if (shift) {
            mStepMode = 0;
            ResetUpdateTimer();
        } else {
            mStepMode = 1;
        }
        return true;
    case kKeyF11:
        if (shift)
            DumpImages();
        else
            TakeScreenshot();
        return true;
    default:
        return false;
    }
}

void QuorAppBase::ShowVideoStats()
{
    const char* support = Is3DAccelerationRecommended() ? "Recommended"
                          : Is3DAccelerationSupported() ? "Supported"
                                                        : "Unsupported";
    std::string text = StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n",
                                 Is3DAccelerated() ? "On" : "Off", support);

    int imageCount = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
        imageCount = int(mMemoryImageSet.size());
    }
    text += StrFormat("Num Images: %d\r\n", imageCount);
    text += StrFormat("Num Sounds: %d\r\n", mSoundManager ? mSoundManager->GetNumSounds() : 0);

    uint32_t total = 0;
    uint32_t free = 0;
    if (mDdInterface != nullptr && mDdInterface->mDD != nullptr)
        mDdInterface->mDD->GetAvailableVidMem(&total, &free);
    text += StrFormat("Video Memory: %s/%s KB\r\n", CommaSeparate(int((total - free) >> 10)).c_str(),
                      CommaSeparate(int(total >> 10)).c_str());

    // Texture data belongs to a 3-D back-end this program does not have: every count is 0.
    text += StrFormat("Texture Memory: %s KB\r\n", CommaSeparate(0).c_str());
    for (const char* format : {"A8R8G8B8", "A4R4G4B4", "R5G6B5", "Palette8"})
        text += StrFormat("%s: %d - %s KB\r\n", format, 0, CommaSeparate(0).c_str());

    MsgBox(text, "Video Stats", 0);
}

} // namespace Quor
