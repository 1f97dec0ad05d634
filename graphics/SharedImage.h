// Shared loaded images: the record the application keeps per image name and variant, and the
// counted handle through which everybody holds such an image (or a plain, unshared image).
#pragma once

#include <atomic>

namespace Quor {

class Image;

// One entry of the application's shared-image table. The count may change on the loading
// thread and the main thread at once, so it is atomic.
class SharedImage {
public:
    Image* mImage = nullptr;
    std::atomic<int> mRefCount{0};
};

class SharedImageHandle {
public:
    SharedImage* mSharedImage = nullptr;  // counted
    Image* mUnsharedImage = nullptr;      // used instead of the shared one when set
    bool mOwnsUnshared = false;           // delete the unshared image on release

    SharedImageHandle() = default;
    // Shares the other's record and uses its unshared image, without owning it.
    SharedImageHandle(const SharedImageHandle& theHandle);
    ~SharedImageHandle();

    // Drops the record (raising the application's clean-up flag when this was its last
    // holder) and the unshared image (deleting it when owned). The owns flag is kept.
    void Release();

    // Release, then share the other's record; its unshared image is not taken.
    SharedImageHandle& operator=(const SharedImageHandle& theHandle);
    // Release, then reference the record (which must exist).
    SharedImageHandle& operator=(SharedImage* theSharedImage);
    // Release, then carry the image as the unshared image; the owns flag is left as it was.
    SharedImageHandle& operator=(Image* theImage);

    // The unshared image when set, else the record's image; null when there is neither.
    Image* GetImage() const;
    // The record's image, null without a record.
    Image* GetSharedImage() const;
    operator Image*() const { return GetImage(); }
    Image* operator->() const { return GetImage(); }
};

} // namespace Quor
