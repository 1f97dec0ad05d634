// The memory image's links to the application object and the display back-end.
#include "graphics/MemoryImageHost.h"

#include "graphics/MemoryImage.h"

#include "app/QuorAppBase.h"
#include "display/D3DInterface.h"
#include "display/DDInterface.h"
#include "display/NativeDisplay.h"

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
    if (gQuorAppBase != nullptr)
        return gQuorAppBase->mDdInterface;
    return nullptr;
}

PixelFormat FormatOf(const NativeDisplay* theDisplay)
{
    if (theDisplay != nullptr && theDisplay->mRedMask != 0 && theDisplay->mGreenMask != 0 &&
        theDisplay->mBlueMask != 0) {
        return PixelFormat{
            {theDisplay->mRedMask, theDisplay->mGreenMask, theDisplay->mBlueMask},
            {theDisplay->mRedBits, theDisplay->mGreenBits, theDisplay->mBlueBits},
            {theDisplay->mRedShift, theDisplay->mGreenShift, theDisplay->mBlueShift}};
    }
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
    // Texture data is made by the program's display even for an image made without an
    // application: it must never outlive the image.
    if (theApp == nullptr && theImage->mTextureData != nullptr)
        theApp = gQuorAppBase;
    if (theApp != nullptr)
        theApp->DisplayRemoveImage(theImage);
}

bool Is3DAccelerated(QuorAppBase* theApp)
{
    return theApp != nullptr && theApp->Is3DAccelerated();
}

bool ReadBackTexture(MemoryImage* theImage)
{
    QuorAppBase* anApp = theImage->mApp != nullptr ? theImage->mApp : gQuorAppBase;
    if (anApp == nullptr || anApp->mDdInterface == nullptr || anApp->mDdInterface->mD3DInterface == nullptr)
        return false;
    return anApp->mDdInterface->mD3DInterface->ReadBackTexture(theImage);
}

void SetCleanSharedImages()
{
    if (gQuorAppBase != nullptr)
        gQuorAppBase->mCleanSharedImages = true;
}

} // namespace Quor::host
