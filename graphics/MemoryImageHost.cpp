// The memory image's links to the application object and the display back-end.
#include "graphics/MemoryImageHost.h"

#include "graphics/MemoryImage.h"

#include "app/QuorAppBase.h"

// The application's image services (AddMemoryImage, RemoveMemoryImage, DisplayRemoveImage,
// Is3DAccelerated) are declared but not yet built; until they are, images are not entered in
// the application's image set and the display counts as 2-D.
// #define QUOR_HOST_HAS_APP_SERVICES 1
#if __has_include("display/DDInterface.h")
#include "display/DDInterface.h"
#include "display/D3DInterface.h"
#define QUOR_HOST_HAS_DISPLAY 1
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
#ifdef QUOR_HOST_HAS_DISPLAY
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
#ifdef QUOR_HOST_HAS_APP_SERVICES
    if (theApp != nullptr)
        theApp->AddMemoryImage(theImage);
#else
    (void)theApp;
    (void)theImage;
#endif
}

void RemoveMemoryImage(QuorAppBase* theApp, MemoryImage* theImage)
{
#ifdef QUOR_HOST_HAS_APP_SERVICES
    if (theApp != nullptr)
        theApp->RemoveMemoryImage(theImage);
#else
    (void)theApp;
    (void)theImage;
#endif
}

void DisplayRemoveImage(QuorAppBase* theApp, MemoryImage* theImage)
{
#ifdef QUOR_HOST_HAS_APP_SERVICES
    if (theApp != nullptr)
        theApp->DisplayRemoveImage(theImage);
#else
    (void)theApp;
    (void)theImage;
#endif
}

bool Is3DAccelerated(QuorAppBase* theApp)
{
#ifdef QUOR_HOST_HAS_APP_SERVICES
    return theApp != nullptr && theApp->Is3DAccelerated();
#else
    (void)theApp;
    return false;
#endif
}

bool ReadBackTexture(MemoryImage* theImage)
{
#ifdef QUOR_HOST_HAS_DISPLAY
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
