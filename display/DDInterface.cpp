// The display device: set-up for a window or full screen, the pixel format and its tables,
// surface creation, the screen image and clean-up.
#include "display/DDInterface.h"

#include "app/Debug.h"
#include "app/DirectXErrorString.h"
#include "app/QuorAppBase.h"
#include "display/D3DInterface.h"
#include "display/D3DTester.h"
#include "display/DDImage.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include <algorithm>
#include <bit>

namespace Quor {

std::atomic<bool> gDisplayRGBOrder{false};

namespace {

plat::WindowId WindowIdOf(void* theWindow)
{
    return static_cast<plat::WindowId>(reinterpret_cast<uintptr_t>(theWindow));
}

template <typename T>
void ReleaseAndClear(T*& thePointer)
{
    if (thePointer != nullptr)
        thePointer->Release();
    thePointer = nullptr;
}

uint32_t LowestBit(uint32_t theMask)
{
    return theMask == 0 ? 0 : static_cast<uint32_t>(std::countr_zero(theMask));
}

uint32_t HighestBit(uint32_t theMask)
{
    return theMask == 0 ? 0 : 31u - static_cast<uint32_t>(std::countl_zero(theMask));
}

int* MakeAddTable(uint32_t theBits)
{
    const int aMax = (1 << theBits) - 1;
    const int aSize = (1 << (theBits + 1)) - 1;
    int* aTable = new int[static_cast<size_t>(aSize)];
    for (int i = 0; i < aSize; i++)
        aTable[i] = std::min(i, aMax);
    return aTable;
}

} // namespace

DDInterface::DDInterface(QuorAppBase* theApp) : mApp(theApp)
{
    mD3DInterface = new D3DInterface();
}

DDInterface::~DDInterface()
{
    delete[] mRedAddTable;
    delete[] mGreenAddTable;
    delete[] mBlueAddTable;
    mRedAddTable = mGreenAddTable = mBlueAddTable = nullptr;
    Cleanup();
    delete mD3DInterface;
    mD3DInterface = nullptr;
    delete mD3DTester;
    mD3DTester = nullptr;
}

std::string DDInterface::ResultToString(int theResult)
{
    switch (theResult) {
    case RESULT_OK: return "RESULT_OK";
    case RESULT_FAIL: return "RESULT_FAIL";
    case RESULT_DD_CREATE_FAIL: return "RESULT_DD_CREATE_FAIL";
    case RESULT_SURFACE_FAIL: return "RESULT_SURFACE_FAIL";
    case RESULT_EXCLUSIVE_FAIL: return "RESULT_EXCLUSIVE_FAIL";
    case RESULT_DISPCHANGE_FAIL: return "RESULT_DISPCHANGE_FAIL";
    case RESULT_INVALID_COLORDEPTH: return "RESULT_INVALID_COLORDEPTH";
    default: return "RESULT_UNKNOWN";
    }
}

bool DDInterface::CheckResult(plat::HResult theResult, const char* theLabel)
{
    if (!plat::Failed(theResult))
        return false;
    mErrorString = std::string(theLabel) + ": " + GetDirectXErrorString(theResult);
    return true;
}

plat::HResult DDInterface::CreateSurface(plat::SurfaceDesc& theDesc, plat::Surface** theSurface)
{
    AutoLock aLock(mCritSect);
    if (mDD == nullptr || theSurface == nullptr)
        return plat::DDERR_NOTINITIALIZED;
    plat::HResult aResult = mDD->CreateSurface(theDesc, theSurface);
    if (plat::Failed(aResult))
        return aResult;
    plat::Surface* aPrimary = mPrimarySurface != nullptr ? mPrimarySurface : *theSurface;
    plat::SurfaceDesc aDesc;
    aResult = aPrimary->GetDesc(aDesc);
    const plat::PixelFormat& f = aDesc.format;
    gDisplayRGBOrder = f.blueMask < f.greenMask && f.greenMask < f.redMask;
    if (f.bitCount != 16 && f.bitCount != 32) {
        (*theSurface)->Release();
        *theSurface = nullptr;
        return plat::DDERR_INVALIDPIXELFORMAT;
    }
    return aResult;
}

void DDInterface::ClearSurface(plat::Surface* theSurface)
{
    if (theSurface == nullptr)
        return;
    plat::SurfaceDesc aDesc;
    if (plat::Failed(theSurface->Lock(aDesc)))
        return;
    auto* aRow = static_cast<uint8_t*>(aDesc.pixels);
    for (uint32_t y = 0; y < aDesc.height && aRow != nullptr; y++, aRow += aDesc.pitch)
        std::fill_n(aRow, aDesc.width * (aDesc.format.bitCount / 8), uint8_t{0});
    theSurface->Unlock();
}

void DDInterface::AddImage(DDImage* theImage)
{
    AutoLock aLock(mCritSect);
    mDDImageSet.insert(theImage);
}

void DDInterface::RemoveImage(DDImage* theImage)
{
    AutoLock aLock(mCritSect);
    mDDImageSet.erase(theImage);
}

void DDInterface::RemoveImageTextures(MemoryImage* theImage)
{
    if (mD3DInterface != nullptr)
        mD3DInterface->RemoveImageTexture(theImage);
}

bool DDInterface::Do3DTest(void* theWindow)
{
    if (mD3DTester != nullptr || (!mApp->mAutoEnable3D && !mApp->mTest3D))
        return false;
    mD3DTester = new D3DTester(mApp);
    mD3DTester->SetVidMemoryLimits(mApp->mMinVidMemory3D, mApp->mRecommendedVidMemory3D);
    mD3DTester->TestD3D(theWindow, mDD);
    const bool aFailure = !mD3DTester->mFailureReason.empty();
    const bool aWarning = !mD3DTester->mWarning.empty();
    if (mApp->mAutoEnable3D && !aFailure && !aWarning)
        mIs3D = true;
    if (aFailure)
        mIs3D = false;
    if (mD3DTester->mResultsChanged && (aFailure || aWarning))
        mIs3D = false;
    return true;
}

void DDInterface::Cleanup()
{
    AutoLock aLock(mCritSect);
    mInitialized = false;
    if (mD3DInterface != nullptr)
        mD3DInterface->RemoveAllTextures();
    delete mOldCursorAreaImage;
    mOldCursorAreaImage = nullptr;
    delete mNewCursorAreaImage;
    mNewCursorAreaImage = nullptr;
    ReleaseAndClear(mOldCursorArea);
    ReleaseAndClear(mNewCursorArea);
    delete mScreenImage;
    mScreenImage = nullptr;
    ReleaseAndClear(mDrawSurface);
    ReleaseAndClear(mSecondarySurface);
    ReleaseAndClear(mPrimarySurface);
    if (mDD != nullptr) {
        mDD->SetCooperativeLevel(mHWnd, plat::kCoopNormal);
        ReleaseAndClear(mDD);
    }
}

int DDInterface::InitDisplay(void* theWindow, bool isWindowed)
{
    AutoLock aLock(mCritSect);
    return InitDisplayLocked(theWindow, isWindowed);
}

int DDInterface::InitDisplayLocked(void* theWindow, bool isWindowed)
{
    mInitialized = false;
    Cleanup();

    plat::HResult aCreateResult = plat::VideoDevice::Create(&mDD);
    if (Do3DTest(theWindow))
        mApp->On3DTestDone();

    mHWnd = WindowIdOf(theWindow);
    mWidth = mApp->mWidth;
    mHeight = mApp->mHeight;
    mAspect.Set(mWidth, mHeight);
    mDesktopWidth = plat::GetSystemMetrics(plat::SM_CXSCREEN);
    mDesktopHeight = plat::GetSystemMetrics(plat::SM_CYSCREEN);
    mDesktopAspect.Set(mDesktopWidth, mDesktopHeight);
    mDisplayWidth = mWidth;
    mDisplayHeight = mHeight;
    mDisplayAspect = mAspect;
    mIsWidescreen = false;
    mPresentationRect = Rect(0, 0, mWidth, mHeight);
    mApp->mScreenBounds = mPresentationRect;
    mFullscreenBits = mApp->mFullScreenBits;
    mIsWindowed = isWindowed;
    mHasOldCursorArea = false;

    DebugPrintf("Application requests %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mWidth),
                static_cast<unsigned long>(mHeight), mAspect.mNumerator, mAspect.mDenominator);
    if (CheckResult(aCreateResult, "DirectDrawCreate"))
        return RESULT_DD_CREATE_FAIL;

    plat::HResult aResult;
    if (isWindowed) {
        DebugPrintf("Hack aspect is                   [%2d:%2d]\n", mApp->mAspectRatio.mNumerator,
                    mApp->mAspectRatio.mDenominator);
        DebugPrintf("Window is            %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mDisplayWidth),
                    static_cast<unsigned long>(mDisplayHeight), mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);
        mDD->SetCooperativeLevel(mHWnd, plat::kCoopNormal);

        plat::SurfaceDesc aDesc;
        aDesc.flags = plat::kDescCaps;
        aDesc.caps = plat::kCapsPrimary | (mIs3D ? static_cast<uint32_t>(plat::kCaps3DDevice) : 0u);
        aResult = CreateSurface(aDesc, &mPrimarySurface);
        if (aResult == plat::DDERR_INVALIDPIXELFORMAT)
            return RESULT_INVALID_COLORDEPTH;
        if (CheckResult(aResult, "CreateSurface Windowed Primary"))
            return RESULT_SURFACE_FAIL;

        plat::SurfaceDesc aDraw;
        aDraw.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
        aDraw.width = static_cast<uint32_t>(mWidth);
        aDraw.height = static_cast<uint32_t>(mHeight);
        aDraw.caps = DrawSurfaceCaps();
        if (CheckResult(CreateSurface(aDraw, &mDrawSurface), "CreateSurface Windowed DrawSurface"))
            return RESULT_SURFACE_FAIL;

        plat::Clipper* aClipper = nullptr;
        if (CheckResult(mDD->CreateClipper(&aClipper), "CreateClipper Windowed"))
            return RESULT_FAIL;
        if (!plat::Failed(aClipper->SetWindow(mHWnd)))
            mPrimarySurface->SetClipper(aClipper);
        aClipper->Release();
    } else {
        DebugPrintf("Desktop is           %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mDesktopWidth),
                    static_cast<unsigned long>(mDesktopHeight), mDesktopAspect.mNumerator, mDesktopAspect.mDenominator);
        if (mIs3D && mAspect < mDesktopAspect) {
            mDisplayWidth = mDesktopWidth;
            mDisplayHeight = mDesktopHeight;
            mDisplayAspect = mDesktopAspect;
            mIsWidescreen = true;
            int aWidth = mHeight != 0 ? mWidth * mDesktopHeight / mHeight : mDesktopWidth;
            mPresentationRect = Rect((mDesktopWidth - aWidth) / 2, 0, aWidth, mDesktopHeight);
        }
        DebugPrintf("Display is           %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mDisplayWidth),
                    static_cast<unsigned long>(mDisplayHeight), mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);
        if (CheckResult(mDD->SetCooperativeLevel(mHWnd, plat::kCoopExclusive | plat::kCoopFullScreen),
                        "SetCooperativeLevel FullScreen"))
            return RESULT_EXCLUSIVE_FAIL;
        if (CheckResult(mDD->SetDisplayMode(static_cast<uint32_t>(mDisplayWidth), static_cast<uint32_t>(mDisplayHeight),
                                            static_cast<uint32_t>(mFullscreenBits)),
                        "SetDisplayMode FullScreen"))
            return RESULT_DISPCHANGE_FAIL;

        plat::SurfaceDesc aDesc;
        aDesc.flags = plat::kDescCaps | plat::kDescBackBufferCount;
        aDesc.backBufferCount = 1;
        aDesc.caps = plat::kCapsPrimary | plat::kCapsFlip | plat::kCapsComplex | (mIs3D ? static_cast<uint32_t>(plat::kCaps3DDevice) : 0u);
        if (CheckResult(CreateSurface(aDesc, &mPrimarySurface), "CreateSurface FullScreen Primary"))
            return RESULT_SURFACE_FAIL;
        if (CheckResult(mPrimarySurface->GetAttachedSurface(&mSecondarySurface), "GetAttachedSurface"))
            return RESULT_SURFACE_FAIL;
        if (mIsWidescreen) {
            ClearSurface(mPrimarySurface);
            ClearSurface(mSecondarySurface);
        }

        plat::SurfaceDesc aDraw;
        aDraw.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
        aDraw.width = static_cast<uint32_t>(mWidth);
        aDraw.height = static_cast<uint32_t>(mHeight);
        aDraw.caps = DrawSurfaceCaps();
        if (CheckResult(CreateSurface(aDraw, &mDrawSurface), "CreateSurface FullScreen DrawSurface"))
            return RESULT_SURFACE_FAIL;

        plat::Clipper* aClipper = nullptr;
        if (CheckResult(mDD->CreateClipper(&aClipper), "CreateClipper FullScreen"))
            return RESULT_FAIL;
        if (!plat::Failed(aClipper->SetWindow(mHWnd)))
            mPrimarySurface->SetClipper(aClipper);
        aClipper->Release();

        if (!mApp->mEnableFlipping)
            mDD->FlipToGDISurface();
    }
    DebugPrintf("Draw buffer is       %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mWidth),
                static_cast<unsigned long>(mHeight), mAspect.mNumerator, mAspect.mDenominator);

    uint32_t aRate = 0;
    aResult = mDD->GetMonitorFrequency(&aRate);
    if (plat::Failed(aResult) || aRate < 60) {
        mRefreshRate = 60;
        mApp->mNoVSyncRefresh = true;
    } else if (aRate > 100) {
        mRefreshRate = 100;
        mApp->mNoVSyncRefresh = true;
    } else {
        mRefreshRate = aRate;
    }
    mMillisecondsPerFrame = 1000 / mRefreshRate;

    for (int i = 0; i < 2; i++) {
        plat::SurfaceDesc aDesc;
        aDesc.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
        aDesc.width = static_cast<uint32_t>(mCursorWidth);
        aDesc.height = static_cast<uint32_t>(mCursorHeight);
        aDesc.caps = plat::kCapsOffscreen | plat::kCapsSystemMemory;
        plat::Surface*& aSurface = i == 0 ? mOldCursorArea : mNewCursorArea;
        if (CheckResult(CreateSurface(aDesc, &aSurface), i == 0 ? "CreateSurface OldCursorArea" : "CreateSurface NewCursorArea"))
            return RESULT_SURFACE_FAIL;
        DDImage*& anImage = i == 0 ? mOldCursorAreaImage : mNewCursorAreaImage;
        anImage = new DDImage(this);
        anImage->SetSurface(aSurface);
        anImage->SetAlphaFlags(false, false);
    }

    plat::SurfaceDesc aPrimaryDesc;
    mPrimarySurface->GetDesc(aPrimaryDesc);
    if (aPrimaryDesc.format.bitCount != 16 && aPrimaryDesc.format.bitCount != 32)
        return RESULT_INVALID_COLORDEPTH;
    BuildFormatTables(aPrimaryDesc);

    SetVideoMemoryDraw(mVideoOnlyDraw);

    if (mIs3D && !mD3DInterface->Init(this)) {
        mErrorString = "3D init error: " + GetD3DLastError();
        return RESULT_3D_FAIL;
    }

    mInitCount++;
    mInitialized = true;
    return RESULT_OK;
}

uint32_t DDInterface::DrawSurfaceCaps() const
{
    return mIs3D ? static_cast<uint32_t>(plat::kCapsOffscreen | plat::kCapsVideoMemory | plat::kCaps3DDevice)
                 : static_cast<uint32_t>(plat::kCapsOffscreen | plat::kCapsSystemMemory);
}

void DDInterface::BuildFormatTables(const plat::SurfaceDesc& theDesc)
{
    mRGBBits = theDesc.format.bitCount;
    mRedMask = theDesc.format.redMask;
    mGreenMask = theDesc.format.greenMask;
    mBlueMask = theDesc.format.blueMask;
    mRedShift = LowestBit(mRedMask);
    mGreenShift = LowestBit(mGreenMask);
    mBlueShift = LowestBit(mBlueMask);
    mRedBits = HighestBit(mRedMask) - mRedShift + 1;
    mGreenBits = HighestBit(mGreenMask) - mGreenShift + 1;
    mBlueBits = HighestBit(mBlueMask) - mBlueShift + 1;

    delete[] mRedAddTable;
    delete[] mGreenAddTable;
    delete[] mBlueAddTable;
    mRedAddTable = MakeAddTable(mRedBits);
    mGreenAddTable = MakeAddTable(mGreenBits);
    mBlueAddTable = MakeAddTable(mBlueBits);

    for (uint32_t v = 0; v < 256; v++) {
        mRedConvTable[v] = (v * mRedMask / 255) & mRedMask;
        mGreenConvTable[v] = (v * mGreenMask / 255) & mGreenMask;
        mBlueConvTable[v] = (v * mBlueMask / 255) & mBlueMask;
    }
}

void DDInterface::SetVideoMemoryDraw(bool videoMemoryDraw)
{
    AutoLock aLock(mCritSect);
    mVideoOnlyDraw = videoMemoryDraw;
    if (mSecondarySurface == nullptr && mDD != nullptr) {
        plat::SurfaceDesc aDesc;
        aDesc.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
        aDesc.width = static_cast<uint32_t>(mWidth);
        aDesc.height = static_cast<uint32_t>(mHeight);
        aDesc.caps = plat::kCapsVideoMemory;
        if (plat::Failed(CreateSurface(aDesc, &mSecondarySurface)))
            mVideoOnlyDraw = false;
    }
    delete mScreenImage;
    mScreenImage = new DDImage(this);
    mScreenImage->SetSurface(mVideoOnlyDraw ? mSecondarySurface : mDrawSurface);
    mScreenImage->mNoLock = mVideoOnlyDraw;
    mScreenImage->mVideoMemory = mVideoOnlyDraw;
    mScreenImage->SetAlphaFlags(false, false);
}

} // namespace Quor
