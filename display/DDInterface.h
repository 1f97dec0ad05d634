// The display device: builds the primary, back and draw surfaces for a window or for full
// screen, holds the pixel format with its conversion and saturation tables, the screen image,
// the set of live display images and the software cursor, and presents each frame.
#pragma once

#include "display/NativeDisplay.h"
#include "app/QuorAppBase.h"
#include "graphics/Rect.h"
#include "platform/Results.h"
#include "platform/Threads.h"

#include <atomic>
#include <cstdint>
#include <set>
#include <string>

namespace plat {
class VideoDevice;
class Surface;
struct SurfaceDesc;
} // namespace plat

namespace Quor {

class QuorAppBase;
class D3DInterface;
class D3DTester;
class DDImage;
class Image;
class MemoryImage;

// True when the primary surface's blue mask < green mask < red mask; set by every
// DDInterface::CreateSurface and read by the surface blitters.
extern std::atomic<bool> gDisplayRGBOrder;

class DDInterface : public NativeDisplay {
public:
    // Holds the display lock for a scope.
    class AutoLock {
    public:
        explicit AutoLock(plat::CriticalSection& theLock) : mLock(theLock) { mLock.Enter(); }
        ~AutoLock() { mLock.Leave(); }
        AutoLock(const AutoLock&) = delete;
        AutoLock& operator=(const AutoLock&) = delete;

    private:
        plat::CriticalSection& mLock;
    };

    enum {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_FAIL = 7,
    };

    explicit DDInterface(QuorAppBase* theApp);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // theWindow is the window handle as the application holds it.
    int InitDisplay(void* theWindow, bool isWindowed);
    static std::string ResultToString(int theResult);
    DDImage* GetScreenImage() { return mScreenImage; }
    plat::HResult CreateSurface(plat::SurfaceDesc& theDesc, plat::Surface** theSurface);
    void ClearSurface(plat::Surface* theSurface);
    void SetVideoMemoryDraw(bool videoMemoryDraw);
    void AddImage(DDImage* theImage);
    void RemoveImage(DDImage* theImage);
    void RemoveImageTextures(MemoryImage* theImage);
    void Cleanup();
    bool CheckResult(plat::HResult theResult, const char* theLabel);
    bool Do3DTest(void* theWindow);

    // Presenting and the software cursor (DDInterfaceRedraw.cpp).
    bool RedrawScreen(const Rect* theDirtyRect);
    bool SetCursorImage(Image* theImage);
    void SetCursorPos(int theX, int theY);
    void DrawCursorTo(plat::Surface* theSurface, bool screenCoordinates);
    void RestoreCursorArea(plat::Surface* theSurface);
    void MoveCursor(plat::Surface* thePrimary, int theX, int theY);

    QuorAppBase* mApp = nullptr;
    D3DInterface* mD3DInterface = nullptr;
    D3DTester* mD3DTester = nullptr;
    bool mIs3D = false;
    plat::CriticalSection mCritSect;
    std::atomic<bool> mInRedraw{false};
    std::atomic<bool> mCursorMovedInRedraw{false}; // a position came in while a frame was presented
    plat::VideoDevice* mDD = nullptr;
    plat::Surface* mPrimarySurface = nullptr;
    plat::Surface* mSecondarySurface = nullptr; // full screen: the back buffer; windowed: video-memory draw surface
    plat::Surface* mDrawSurface = nullptr;
    int mWidth = 0;
    int mHeight = 0;
    Ratio mAspect;
    int mDesktopWidth = 0;
    int mDesktopHeight = 0;
    Ratio mDesktopAspect;
    bool mIsWidescreen = false; // aspect corrected
    int mDisplayWidth = 0;
    int mDisplayHeight = 0;
    Ratio mDisplayAspect;
    Rect mPresentationRect;
    int mFullscreenBits = 0;
    uint32_t mRefreshRate = 60;
    uint32_t mMillisecondsPerFrame = 16;
    int mScanLineFailCount = 0;
    int* mRedAddTable = nullptr;
    int* mGreenAddTable = nullptr;
    int* mBlueAddTable = nullptr;
    uint32_t mRedConvTable[256] = {};
    uint32_t mGreenConvTable[256] = {};
    uint32_t mBlueConvTable[256] = {};
    bool mInitialized = false;
    uint32_t mHWnd = 0;
    bool mIsWindowed = true;
    DDImage* mScreenImage = nullptr;
    std::set<DDImage*> mDDImageSet;
    bool mVideoOnlyDraw = false;
    int mInitCount = 0;
    int mCursorWidth = 64;
    int mCursorHeight = 64;
    std::atomic<int> mCursorX{0};
    std::atomic<int> mCursorY{0};
    int mCursorDrawnX = 0;
    int mCursorDrawnY = 0;
    Image* mCursorImage = nullptr;
    bool mHasOldCursorArea = false; // the cursor is drawn
    plat::Surface* mOldCursorArea = nullptr;
    plat::Surface* mNewCursorArea = nullptr;
    DDImage* mOldCursorAreaImage = nullptr;
    DDImage* mNewCursorAreaImage = nullptr;
    std::string mErrorString;

private:
    int InitDisplayLocked(void* theWindow, bool isWindowed);
    uint32_t DrawSurfaceCaps() const;
    void BuildFormatTables(const plat::SurfaceDesc& theDesc);
    // Draws the cursor image with its top-left corner at (theX, theY) on the surface, blended
    // by its alpha and cut to the surface.
    // Blends the cursor image onto a surface at (x, y), within theClip when one is given.
    void DrawCursorImage(plat::Surface* theSurface, int theX, int theY, const Rect* theClip = nullptr);
    Rect CursorArea(int theX, int theY) const;
    bool SaveUnder(plat::Surface* theArea, plat::Surface* theSurface, Rect& theDest, Rect& theSource);
};

} // namespace Quor
