// The memory image's links to the application object and the display back-end.
#include "graphics/MemoryImageHost.h"

#include "graphics/MemoryImage.h"

#include "app/QuorAppBase.h"
// The display back-end is optional here: without it there is no display, its pixel format is
// the 32-bit one and there is no texture data to read back.
#if __has_include("display/NativeDisplay.h")
#include "display/NativeDisplay.h"
#define QUOR_HOST_HAS_NATIVE_DISPLAY 1
#endif
#if __has_include("display/DDInterface.h")
#include "display/DDInterface.h"
#define QUOR_HOST_HAS_DISPLAY 1
#endif
#if __has_include("display/D3DInterface.h")
#include "display/D3DInterface.h"
#define QUOR_HOST_HAS_RENDERER 1
#endif

namespace Quor::host {

namespace {

constexpr PixelFormat kDefaultFormat = {
    {0x00FF0000, 0x0000FF00, 0x000000FF}, {8, 8, 8}, {16, 8, 0}};

} // namespace

QuorAppBase* ProgramApp()
{
    return gQuorAppBase;
}

NativeDisplay* ProgramDisplay()
{
#ifdef QUOR_HOST_HAS_DISPLAY
    if (gQuorAppBase != nullptr)
        return gQuorAppBase->mDdInterface;
#endif
    return nullptr;
}

PixelFormat FormatOf(const NativeDisplay* theDisplay)
{
#ifdef QUOR_HOST_HAS_NATIVE_DISPLAY
    if (theDisplay != nullptr && theDisplay->mRedMask != 0 && theDisplay->mGreenMask != 0 &&
        theDisplay->mBlueMask != 0) {
        return PixelFormat{
            {theDisplay->mRedMask, theDisplay->mGreenMask, theDisplay->mBlueMask},
            {theDisplay->mRedBits, theDisplay->mGreenBits, theDisplay->mBlueBits},
            {theDisplay->mRedShift, theDisplay->mGreenShift, theDisplay->mBlueShift}};
    }
#else
    (void)theDisplay;
#endif
    return kDefaultFormat;
}

void AddMemoryImage(QuorAppBase* theApp, MemoryImage* theImage)
{
    if (theApp != nullptr)
        theApp->AddMemoryImage(theImage);
}

void RemoveMemoryImage(QuorAppBase* theApp, MemoryImage* theImage)
{
    if (theApp != nullptr)
        theApp->RemoveMemoryImage(theImage);
}

void DisplayRemoveImage(QuorAppBase* theApp, MemoryImage* theImage)
{
    if (theApp != nullptr)
        theApp->DisplayRemoveImage(theImage);
}

bool Is3DAccelerated(QuorAppBase* theApp)
{
    return theApp != nullptr && theApp->Is3DAccelerated();
}

bool ReadBackTexture(MemoryImage* theImage)
{
#if defined(QUOR_HOST_HAS_DISPLAY) && defined(QUOR_HOST_HAS_RENDERER)
    if (gQuorAppBase != nullptr && gQuorAppBase->mDdInterface != nullptr &&
        gQuorAppBase->mDdInterface->mD3DInterface != nullptr)
        return gQuorAppBase->mDdInterface->mD3DInterface->ReadBackTexture(theImage);
#else
    (void)theImage;
#endif
    return false;
}

void SetCleanSharedImages()
{
    if (gQuorAppBase != nullptr)
        gQuorAppBase->mCleanSharedImages = true;
}

} // namespace Quor::host
