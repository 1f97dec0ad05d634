// The display image's surface: made from the 32-bit pixels (with a colour key for transparent
// pixels), locked in nested pairs, read back into the pixels when they are asked for.
#include "display/DDImage.h"

#include "app/QuorAppBase.h"
#include "display/DDInterface.h"

#include <cstring>
#include <new>
#include <vector>

namespace Quor {

namespace {

size_t Count(int w, int h)
{
    return (w <= 0 || h <= 0) ? 0 : static_cast<size_t>(w) * static_cast<size_t>(h);
}

template <typename T>
void Free(T*& p)
{
    delete[] p;
    p = nullptr;
}

// 32-bit ARGB -> the display's layout (top bits of each channel; alpha dropped).
struct ToSurface {
    uint32_t rm, gm, bm, rb, gb, bb, rs, gs, bs;
    uint32_t operator()(uint32_t p) const
    {
        return (((p >> (8 - bb)) << bs) & bm) | (((p >> (16 - gb)) << gs) & gm) | (((p >> (24 - rb)) << rs) & rm);
    }
};

} // namespace

DDImage::DDImage(DDInterface* theDDInterface) : MemoryImage(theDDInterface ? theDDInterface->mApp : nullptr)
{
    mDDInterface = theDDInterface;
    if (mDDInterface != nullptr)
        mDDInterface->AddImage(this);
}

DDImage::~DDImage()
{
    ReleaseSurface();
    if (mDDInterface != nullptr)
        mDDInterface->RemoveImage(this);
}

void DDImage::ReleaseSurface()
{
    if (mSurface != nullptr)
        mSurface->Release();
    mSurface = nullptr;
    mLockCount = 0;
}

bool DDImage::Is3D() const
{
    // Only the screen image draws through the renderer; another image on the same surface (the
    // screenshot's reader) reads the pixels the renderer left in it.
    return mDDInterface != nullptr && mDDInterface->mIs3D && mSurface != nullptr &&
           mSurface == mDDInterface->mDrawSurface && this == mDDInterface->mScreenImage;
}

bool DDImage::Check3D(Image* theImage)
{
    auto* anImage = dynamic_cast<DDImage*>(theImage);
    return anImage != nullptr && anImage->Is3D();
}

plat::Surface* DDImage::GetSurface()
{
    if (mSurface == nullptr)
        CreateSurface();
    return mSurface;
}

bool DDImage::CreateSurface()
{
    if (mSurface != nullptr)
        return true;
    RescanAlphaFlags();
    if (mHasAlpha || mDDInterface == nullptr)
        return false;
    mWantDDSurface = true;
    if (mPaletteColors != nullptr)
        GetBits();
    if (mWidth <= 0 || mHeight <= 0)
        return false;

    plat::SurfaceDesc aDesc;
    aDesc.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
    aDesc.width = static_cast<uint32_t>(mWidth);
    aDesc.height = static_cast<uint32_t>(mHeight);
    aDesc.caps = mVideoMemory ? plat::kCapsVideoMemory : plat::kCapsSystemMemory;

    DDInterface::AutoLock aLock(mDDInterface->mCritSect);
    if (plat::Failed(mDDInterface->CreateSurface(aDesc, &mSurface)) || mSurface == nullptr) {
        mSurface = nullptr;
        return false;
    }
    if (!LockSurface()) {
        ReleaseSurface();
        return false;
    }

    const plat::SurfaceDesc& aLocked = mLockedSurfaceDesc;
    const uint32_t aBitCount = aLocked.format.bitCount;
    if (aBitCount != 16 && aBitCount != 32) {
        UnlockSurface();
        ReleaseSurface();
        return false;
    }
    DDInterface* d = mDDInterface;
    ToSurface conv{aLocked.format.redMask, aLocked.format.greenMask, aLocked.format.blueMask,
                   d->mRedBits, d->mGreenBits, d->mBlueBits, d->mRedShift, d->mGreenShift, d->mBlueShift};
    const size_t aCount = Count(mWidth, mHeight);
    const uint32_t* aBits = mBits;
    uint32_t aKey = 0;
    auto* aDest = static_cast<uint8_t*>(aLocked.pixels);

    if (aBitCount == 16) {
        std::vector<uint16_t> aConv;
        bool haveKey = false;
        if (aBits != nullptr) {
            aConv.resize(aCount);
            for (size_t i = 0; i < aCount; i++) {
                aConv[i] = static_cast<uint16_t>(conv(aBits[i]));
                if (!haveKey && (aBits[i] >> 24) < 255) {
                    aKey = aConv[i];
                    haveKey = true;
                }
            }
            if (mHasTrans) {
                bool aCollision = false;
                for (size_t i = 0; i < aCount && !aCollision; i++)
                    aCollision = (aBits[i] >> 24) == 255 && aConv[i] == aKey;
                if (aCollision) {
                    std::vector<uint32_t> aUsed(65536 / 32, 0);
                    for (size_t i = 0; i < aCount; i++) {
                        if ((aBits[i] >> 24) > 0)
                            aUsed[aConv[i] >> 5] |= 1u << (aConv[i] & 31);
                    }
                    for (uint32_t g = 0; g < 2048; g++) {
                        if (aUsed[g] != 0xFFFFFFFF) {
                            uint32_t aBit = 0;
                            while (aUsed[g] & (1u << aBit))
                                aBit++;
                            aKey = g * 32 + aBit;
                        }
                    }
                }
                for (size_t i = 0; i < aCount; i++) {
                    if ((aBits[i] >> 24) != 255)
                        aConv[i] = static_cast<uint16_t>(aKey);
                }
            }
            if (aDest != nullptr) {
                for (int y = 0; y < mHeight; y++)
                    std::memcpy(aDest + static_cast<ptrdiff_t>(y) * aLocked.pitch, &aConv[static_cast<size_t>(y) * mWidth],
                                static_cast<size_t>(mWidth) * 2);
            }
        }
    } else if (aBits != nullptr) {
        bool haveKey = false;
        for (size_t i = 0; i < aCount && !haveKey; i++) {
            if ((aBits[i] >> 24) < 255) {
                aKey = aBits[i];
                haveKey = true;
            }
        }
        if (mHasTrans) {
            bool aCollision = false;
            for (size_t i = 0; i < aCount && !aCollision; i++)
                aCollision = (aBits[i] >> 24) == 255 && (aBits[i] & 0xFFFFFF) == aKey;
            if (aCollision) {
                std::vector<uint32_t> aUsed((1u << 24) / 32, 0);
                for (size_t i = 0; i < aCount; i++) {
                    if ((aBits[i] >> 24) > 0) {
                        uint32_t v = aBits[i] & 0xFFFFFF;
                        aUsed[v >> 5] |= 1u << (v & 31);
                    }
                }
                for (uint32_t g = 0; g < aUsed.size(); g++) {
                    if (aUsed[g] != 0xFFFFFFFF) {
                        uint32_t aBit = 0;
                        while (aUsed[g] & (1u << aBit))
                            aBit++;
                        aKey = g * 32 + aBit;
                        break;
                    }
                }
            }
        }
        if (aDest != nullptr) {
            for (int y = 0; y < mHeight; y++) {
                auto* aRow = reinterpret_cast<uint32_t*>(aDest + static_cast<ptrdiff_t>(y) * aLocked.pitch);
                const uint32_t* aSrc = aBits + static_cast<size_t>(y) * mWidth;
                for (int x = 0; x < mWidth; x++)
                    aRow[x] = (mHasTrans && (aSrc[x] >> 24) < 255) ? aKey : conv(aSrc[x]);
            }
        }
    }
    if (mHasTrans)
        mSurface->SetColorKey(aKey, aKey);
    UnlockSurface();
    return true;
}

void DDImage::DeleteSurface()
{
    if (mSurface == nullptr)
        return;
    if (mBits == nullptr && mPaletteColors == nullptr && mTextureData == nullptr)
        GetBits();
    ReleaseSurface();
}

void DDImage::DeleteMemoryData()
{
    Free(mBits);
    Free(mNativeAlphaData);
    Free(mRLAdditiveData);
    Free(mRLAlphaData);
    Free(mPaletteColors);
    Free(mPaletteIndices);
}

bool DDImage::LockSurface()
{
    if (Is3D())
        return false;
    if (mLockCount == 0) {
        if (GetSurface() == nullptr)
            return false;
        mLockedSurfaceDesc = plat::SurfaceDesc{};
        if (plat::Failed(mSurface->Lock(mLockedSurfaceDesc)))
            return false;
    }
    mLockCount++;
    return true;
}

bool DDImage::UnlockSurface()
{
    if (Is3D())
        return false;
    if (mLockCount <= 0)
        return false;
    mLockCount--;
    if (mLockCount == 0 && mSurface != nullptr)
        mSurface->Unlock();
    return true;
}

plat::HResult DDImage::SetSurface(plat::Surface* theSurface)
{
    mSurfaceSet = true;
    mSurface = theSurface;
    if (mSurface == nullptr)
        return plat::DDERR_INVALIDPARAMS;
    mSurface->AddRef();
    plat::SurfaceDesc aDesc;
    plat::HResult aResult = mSurface->GetDesc(aDesc);
    mWidth = static_cast<int>(aDesc.width);
    mHeight = static_cast<int>(aDesc.height);
    mNoLock = false;
    return aResult;
}

void DDImage::SetVideoMemory(bool wantVideoMemory)
{
    if (wantVideoMemory == mVideoMemory)
        return;
    mVideoMemory = wantVideoMemory;
    GetBits();
    DeleteSurface();
}

void DDImage::SetSurfaceColorKey()
{
    CreateSurface();
}

void DDImage::PurgeBits()
{
    if (mSurfaceSet)
        return;
    mPurgeBits = true;
    RescanAlphaFlags();
    bool is3D = mApp != nullptr && mApp->Is3DAccelerated();
    if (!is3D) {
        if (mWantDDSurface && CreateSurface()) {
            Free(mBits);
            Free(mPaletteIndices);
            Free(mPaletteColors);
            return;
        }
    } else if (mSurface != nullptr) {
        GetBits();
        DeleteSurface();
    }
    MemoryImage::PurgeBits();
}

void DDImage::DeleteExtraData()
{
    if (mSurfaceSet)
        return;
    MemoryImage::DeleteExtraData();
    DeleteSurface();
}

void DDImage::ApplyLoadOptions()
{
    MemoryImage::ApplyLoadOptions();
    if (mWantDDSurface)
        CreateSurface();
}

void DDImage::BitsChanged()
{
    MemoryImage::BitsChanged();
    ReleaseSurface();
}

void DDImage::RescanAlphaFlags()
{
    if (mSurface != nullptr)
        return;
    MemoryImage::RescanAlphaFlags();
}

void DDImage::DeleteNativeAndAdditiveData()
{
    if (mSurfaceSet)
        return;
    MemoryImage::DeleteNativeAndAdditiveData();
    DeleteSurface();
}

void DDImage::Create(int theWidth, int theHeight)
{
    Free(mBits);
    mWidth = theWidth < 0 ? 0 : theWidth;
    mHeight = theHeight < 0 ? 0 : theHeight;
    BitsChanged();
}

uint32_t* DDImage::GetBits()
{
    if (mBits != nullptr)
        return mBits;
    if (mSurface == nullptr)
        return MemoryImage::GetBits();
    if (mNoLock || !LockSurface())
        return nullptr;

    const size_t aCount = Count(mWidth, mHeight);
    auto* aBits = new (std::nothrow) uint32_t[aCount + 1];
    if (aBits == nullptr) {
        UnlockSurface();
        return nullptr;
    }
    aBits[aCount] = MEMORYIMAGE_SENTINEL;
    const plat::SurfaceDesc& aLocked = mLockedSurfaceDesc;
    const auto* aSrc = static_cast<const uint8_t*>(aLocked.pixels);
    DDInterface* d = mDDInterface;
    const uint32_t rs = d->mRedShift, gs = d->mGreenShift, bs = d->mBlueShift;
    const uint32_t rb = d->mRedBits, gb = d->mGreenBits, bb = d->mBlueBits;
    auto back = [&](uint32_t v) {
        uint32_t r = ((v >> rs) << (8 - rb)) & 0xFF;
        uint32_t g = ((v >> gs) << (8 - gb)) & 0xFF;
        uint32_t b = ((v >> bs) << (8 - bb)) & 0xFF;
        return 0xFF000000u | (r << 16) | (g << 8) | b;
    };
    if (aSrc == nullptr || (aLocked.format.bitCount != 16 && aLocked.format.bitCount != 32)) {
        std::memset(aBits, 0, aCount * sizeof(uint32_t));
    } else if (aLocked.format.bitCount == 16) {
        const int aStride = aLocked.pitch / 2;
        const auto* aRow = reinterpret_cast<const uint16_t*>(aSrc);
        for (int y = 0; y < mHeight; y++, aRow += aStride)
            for (int x = 0; x < mWidth; x++)
                aBits[static_cast<size_t>(y) * mWidth + x] = back(aRow[x]);
    } else {
        const int aStride = aLocked.pitch / 4;
        const auto* aRow = reinterpret_cast<const uint32_t*>(aSrc);
        for (int y = 0; y < mHeight; y++, aRow += aStride)
            for (int x = 0; x < mWidth; x++)
                aBits[static_cast<size_t>(y) * mWidth + x] = back(aRow[x]);
    }
    UnlockSurface();
    mBits = aBits;
    return mBits;
}

} // namespace Quor
