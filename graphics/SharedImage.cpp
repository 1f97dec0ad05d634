// The counted handle on shared images.
#include "graphics/SharedImage.h"

#include "graphics/Image.h"
#include "graphics/MemoryImageHost.h"

namespace Quor {

SharedImageHandle::SharedImageHandle(const SharedImageHandle& theHandle)
    : mSharedImage(theHandle.mSharedImage), mUnsharedImage(theHandle.mUnsharedImage)
{
    if (mSharedImage != nullptr)
        mSharedImage->mRefCount.fetch_add(1);
}

SharedImageHandle::~SharedImageHandle()
{
    Release();
}

void SharedImageHandle::Release()
{
    if (mOwnsUnshared && mUnsharedImage != nullptr)
        delete mUnsharedImage;
    mUnsharedImage = nullptr;
    if (mSharedImage != nullptr) {
        if (mSharedImage->mRefCount.fetch_sub(1) == 1)
            host::SetCleanSharedImages();
    }
    mSharedImage = nullptr;
}

SharedImageHandle& SharedImageHandle::operator=(const SharedImageHandle& theHandle)
{
    // Taken before releasing: the other handle may be this one.
    SharedImage* aShared = theHandle.mSharedImage;
    Release();
    mSharedImage = aShared;
    if (mSharedImage != nullptr)
        mSharedImage->mRefCount.fetch_add(1);
    return *this;
}

SharedImageHandle& SharedImageHandle::operator=(SharedImage* theSharedImage)
{
    Release();
    mSharedImage = theSharedImage;
    if (mSharedImage != nullptr)
        mSharedImage->mRefCount.fetch_add(1);
    return *this;
}

SharedImageHandle& SharedImageHandle::operator=(Image* theImage)
{
    // Assigning the image the handle already carries must not delete it on the way.
    if (theImage != nullptr && theImage == mUnsharedImage)
        mUnsharedImage = nullptr;
    Release();
    mUnsharedImage = theImage;
    return *this;
}

Image* SharedImageHandle::GetImage() const
{
    if (mUnsharedImage != nullptr)
        return mUnsharedImage;
    return GetSharedImage();
}

Image* SharedImageHandle::GetSharedImage() const
{
    return mSharedImage != nullptr ? mSharedImage->mImage : nullptr;
}

} // namespace Quor
