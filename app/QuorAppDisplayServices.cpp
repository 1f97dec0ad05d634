// QuorAppBase: the services that need the display interface: display images made from files,
// copies and blanks, the 3-D switch and the display facts of a demo.
#include "app/QuorAppBase.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "display/D3DTester.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Graphics.h"
#include "resources/ImageLib.h"
#include "widgets/WidgetManager.h"

#include <memory>

namespace Quor {

DDImage* QuorAppBase::LoadImageFile(const std::string& fileName, bool commitBits)
{
    std::unique_ptr<ImageLib::Image> decoded(ImageLib::GetImage(fileName, true));
    if (!decoded)
        return nullptr;
    DDImage* image = new DDImage(mDdInterface);
    image->mFilePath = fileName;
    // The decoded array becomes the image's own pixels (its spare word takes the end mark), with
    // the alpha flags the reader found while decoding when it looked.
    image->AdoptBits(decoded->mBits, decoded->GetWidth(), decoded->GetHeight(), commitBits && !decoded->mAlphaKnown);
    decoded->mBits = nullptr;
    if (decoded->mAlphaKnown)
        image->SetScannedAlphaFlags(decoded->mHasTrans, decoded->mHasAlpha);
    return image;
}

DDImage* QuorAppBase::NewDisplayImage()
{
    return new DDImage(mDdInterface);
}

Image* QuorAppBase::MakeSharedImage(const std::string& fileName)
{
    if (!fileName.empty() && fileName[0] == '!')
        return NewDisplayImage();
    return LoadImageFile(fileName, false);
}

DDImage* QuorAppBase::CopyImage(Image* image)
{
    return CopyImage(image, Rect(0, 0, image->GetWidth(), image->GetHeight()));
}

DDImage* QuorAppBase::CopyImage(Image* image, const Rect& rect)
{
    DDImage* copy = new DDImage(mDdInterface);
    copy->Create(rect.mWidth, rect.mHeight);
    Graphics g(copy);
    g.DrawImage(image, -rect.mX, -rect.mY);
    copy->CopyAttributes(image);
    return copy;
}

void QuorAppBase::DisplayRemoveImage(MemoryImage* image)
{
    if (mDdInterface)
        mDdInterface->RemoveImageTextures(image);
}

bool QuorAppBase::Is3DAccelerated()
{
    return mDdInterface && mDdInterface->mIs3D;
}

bool QuorAppBase::Is3DAccelerationSupported()
{
    return mDdInterface && mDdInterface->mD3DTester && mDdInterface->mD3DTester->mFailureReason.empty();
}

bool QuorAppBase::Is3DAccelerationRecommended()
{
    return Is3DAccelerationSupported() && mDdInterface->mD3DTester->mWarning.empty();
}

void QuorAppBase::Set3DAccelerated(bool is3D, bool reinit)
{
    if (!mDdInterface || mDdInterface->mIs3D == is3D)
        return;
    mUserChanged3DSetting = true;
    mDdInterface->mIs3D = is3D;
    if (!reinit)
        return;
    int result = InitDisplayInterface();
    if (is3D && result != DDInterface::RESULT_OK) {
        Set3DAccelerated(false, reinit);
        return;
    }
    if (result != DDInterface::RESULT_OK) {
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
              DDInterface::ResultToString(result) + " " + mDdInterface->mErrorString);
        DoExit(1);
        return;
    }
    ReInitImages();
    mWidgetManager->mImage = mDdInterface->GetScreenImage();
    mWidgetManager->SetAllDirty();
}

void QuorAppBase::RecordDisplayInfo()
{
    if (mDdInterface)
        mSyncRefreshRate = int(mDdInterface->mRefreshRate);
    if (mRecordingDemo) {
        WriteDemoTimingBlock();
        mDemoBuffer.WriteNumBits(0, 1);
        mDemoBuffer.WriteNumBits(23, 5);
        mDemoBuffer.WriteBoolean(mWindowed);
        mDemoBuffer.WriteNumBits(mSyncRefreshRate, 8);
    }
}

} // namespace Quor
