// QuorAppBase: the services that need the display interface: display images made from files,
// copies and blanks, the 3-D switch and the display facts of a demo.
#include "app/QuorAppBase.h"

#include "app/Buffer.h"
#include "widgets/WidgetManager.h"

namespace Quor {

// Without a display interface there are no display images and no 3-D drawing.

DDImage* QuorAppBase::LoadImageFile(const std::string& fileName, bool commitBits)
{
    (void)fileName;
    (void)commitBits;
    return nullptr;
}

Image* QuorAppBase::MakeSharedImage(const std::string& fileName)
{
    (void)fileName;
    return nullptr;
}

DDImage* QuorAppBase::NewDisplayImage()
{
    return nullptr;
}

DDImage* QuorAppBase::CopyImage(Image* image)
{
    (void)image;
    return nullptr;
}

DDImage* QuorAppBase::CopyImage(Image* image, const Rect& rect)
{
    (void)image;
    (void)rect;
    return nullptr;
}

void QuorAppBase::DisplayRemoveImage(MemoryImage* image)
{
    (void)image;
}

bool QuorAppBase::Is3DAccelerated()
{
    return false;
}

bool QuorAppBase::Is3DAccelerationSupported()
{
    return false;
}

bool QuorAppBase::Is3DAccelerationRecommended()
{
    return false;
}

void QuorAppBase::Set3DAccelerated(bool is3D, bool reinit)
{
    (void)is3D;
    (void)reinit;
}

void QuorAppBase::RecordDisplayInfo()
{
    if (mRecordingDemo) {
        WriteDemoTimingBlock();
        mDemoBuffer.WriteNumBits(0, 1);
        mDemoBuffer.WriteNumBits(23, 5);
        mDemoBuffer.WriteBoolean(mWindowed);
        mDemoBuffer.WriteNumBits(mSyncRefreshRate, 8);
    }
}

} // namespace Quor
