// The display image: a memory image whose pixels can also live in a display surface, in the
// display's own pixel format. The screen image adopts the display's draw surface.
#pragma once

#include "graphics/MemoryImage.h"
#include "platform/Video.h"

namespace Quor {

class DDInterface;

class DDImage : public MemoryImage {
public:
    explicit DDImage(DDInterface* theDDInterface);
    ~DDImage() override;
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;

    // MemoryImage operations that follow the surface.
    void PurgeBits() override;
    void DeleteExtraData() override;
    void ApplyLoadOptions() override;
    void BitsChanged() override;
    void RescanAlphaFlags() override;
    void DeleteNativeAndAdditiveData() override;
    void Create(int theWidth, int theHeight) override;
    uint32_t* GetBits() override;

    // True when the display draws in 3-D and this image wraps its draw surface.
    bool Is3D() const;
    static bool Check3D(Image* theImage);

    plat::Surface* GetSurface();
    bool CreateSurface();
    void DeleteSurface();
    void DeleteMemoryData();
    bool LockSurface();
    bool UnlockSurface();
    plat::HResult SetSurface(plat::Surface* theSurface);
    virtual void SetVideoMemory(bool wantVideoMemory);
    virtual void SetSurfaceColorKey();

    DDInterface* mDDInterface = nullptr;
    plat::Surface* mSurface = nullptr;
    bool mSurfaceSet = false;      // adopted through SetSurface
    bool mNoLock = false;          // the surface must not be read back
    bool mVideoMemory = false;     // make the surface in video memory
    bool mWantDDSurface = false;   // the surface is to be made again when needed
    int mLockCount = 0;
    plat::SurfaceDesc mLockedSurfaceDesc;

private:
    void ReleaseSurface();
};

} // namespace Quor
