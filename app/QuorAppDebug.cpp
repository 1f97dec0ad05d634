// QuorAppBase: the developer keys (live tuning, profiler, overlays, 3-D switch, video statistics,
// update rate and single step, screenshot and image dump), the overlays (frame rate, mouse
// position, playback time left) and the video statistics text.
#include "app/QuorAppBase.h"

#include "app/Common.h"
#include "app/LiveTuning.h"
#include "app/PerfTimer.h"
#include "app/Profiler.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "platform/Video.h"
#include "sound/SoundManager.h"
#include "widgets/WidgetManager.h"

#include <memory>
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

// The overlays' state: one set per run, made on first use.
int gFrameCounter = 0;  // overlay draws since the last frame-rate figure
int gFrameRate = 0;     // the figure shown
bool gFirstFigure = false;

// Fills an overlay image with opaque black and writes the text in white on it.
void PaintOverlay(DDImage* image, Font* font, const std::string& text)
{
    Graphics g(image);
    g.SetColor(Color(0, 0, 0, 255));
    g.FillRect(0, 0, image->mWidth, image->mHeight);
    g.SetFont(font);
    g.SetColor(Color(255, 255, 255, 255));
    g.DrawString(text, 2, font->GetAscent());
    // The display image's own drawing keeps its pixel forms in step; marking its memory pixels
    // as changed here would drop the surface the text went into.
}

} // namespace

struct DebugOverlays {
    std::unique_ptr<DDImage> mImage;     // frame rate or mouse position
    std::unique_ptr<DDImage> mDemoImage; // playback time left
    std::unique_ptr<Font> mFPSFont;
    std::unique_ptr<Font> mMouseFont;
    std::unique_ptr<Font> mDemoFont;
    uint32_t mLastDemoTimeUpdate = 0;
    bool mDemoTimeDrawn = false;
};

void QuorAppBase::FreeDebugOverlays()
{
    delete mDebugOverlays;
    mDebugOverlays = nullptr;
}

// The overlay font (Tahoma, 8 points) and the shared image (50 pixels wide, font height + 4
// high), made on first use.
static DDImage* OverlayImage(QuorAppBase& app, std::unique_ptr<DDImage>& image,
                             std::unique_ptr<Font>& font)
{
    if (app.mDdInterface == nullptr)
        return nullptr;
    if (!font)
        font = std::make_unique<SysFont>("Tahoma", 8);
    if (!image) {
        image = std::make_unique<DDImage>(app.mDdInterface);
        image->Create(50, font->GetHeight() + 4);
    }
    return image.get();
}

void QuorAppBase::DrawFPSOverlay()
{
    if (mDebugOverlays == nullptr)
        mDebugOverlays = new DebugOverlays();
    ++gFrameCounter;
    DDImage* image = OverlayImage(*this, mDebugOverlays->mImage, mDebugOverlays->mFPSFont);
    if (image == nullptr)
        return;
    if (gPerfTimer.GetDuration() < 1000.0 && !gFirstFigure)
        return;
    gPerfTimer.Stop();
    if (gFirstFigure) {
        gFirstFigure = false;
        gFrameRate = 0;
    } else {
        gFrameRate = int(gFrameCounter * 1000 / gPerfTimer.GetDuration() + 0.5);
    }
    gPerfTimer.Start();
    gFrameCounter = 0;
    PaintOverlay(image, mDebugOverlays->mFPSFont.get(), StrFormat("FPS: %d", gFrameRate));
}

void QuorAppBase::DrawMouseOverlay(int x, int y)
{
    if (mDebugOverlays == nullptr)
        mDebugOverlays = new DebugOverlays();
    if (!mDebugOverlays->mMouseFont)
        mDebugOverlays->mMouseFont = std::make_unique<SysFont>("Tahoma", 8);
    DDImage* image = OverlayImage(*this, mDebugOverlays->mImage, mDebugOverlays->mMouseFont);
    if (image == nullptr)
        return;
    PaintOverlay(image, mDebugOverlays->mMouseFont.get(), StrFormat("%d,%d", x, y));
}

void QuorAppBase::DrawDemoTimeOverlay()
{
    if (mDebugOverlays == nullptr)
        mDebugOverlays = new DebugOverlays();
    DDImage* image = OverlayImage(*this, mDebugOverlays->mDemoImage, mDebugOverlays->mDemoFont);
    if (image == nullptr)
        return;
    const uint32_t now = mClock->GetTickCount();
    const double interval = mUpdateMultiplier > 0.0 ? 1000.0 / mUpdateMultiplier : 1000.0;
    if (mDebugOverlays->mDemoTimeDrawn &&
        double(uint32_t(now - mDebugOverlays->mLastDemoTimeUpdate)) < interval)
        return;
    mDebugOverlays->mDemoTimeDrawn = true;
    mDebugOverlays->mLastDemoTimeUpdate = now;
    int seconds = int(int64_t(mDemoLength - mUpdateCount) * mFrameTime / 1000);
    PaintOverlay(image, mDebugOverlays->mDemoFont.get(),
                 StrFormat("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60));
}

void QuorAppBase::DrawDebugOverlays(Image* screen)
{
    if (mDebugOverlays == nullptr || screen == nullptr)
        return;
    Graphics g(screen);
    DDImage* first = mDebugOverlays->mImage.get();
    int firstHeight = first != nullptr ? first->mHeight : 0;
    if (first != nullptr)
        g.DrawImage(first, mWidth - first->mWidth - 10, mHeight - first->mHeight - 10);
    if (mPlayingDemo && mDebugOverlays->mDemoImage) {
        DDImage* demo = mDebugOverlays->mDemoImage.get();
        g.DrawImage(demo, mWidth - demo->mWidth - 10, mHeight - firstHeight - demo->mHeight - 15);
    }
}

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
