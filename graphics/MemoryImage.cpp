// Memory image: the pixel store, the palette form, the derived NativeAlpha, RLAlpha and
// RLAdditive data, the change count and the alpha flags. The drawing operations live in
// MemoryImageDraw.cpp.
#include "graphics/MemoryImage.h"

#include "graphics/MemoryImageHost.h"
#include "graphics/PixelRows.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace Quor {

namespace {

size_t PixelCount(int theWidth, int theHeight)
{
    if (theWidth <= 0 || theHeight <= 0)
        return 0;
    return static_cast<size_t>(theWidth) * static_cast<size_t>(theHeight);
}

template <typename T>
void FreeArray(T*& thePointer)
{
    delete[] thePointer;
    thePointer = nullptr;
}

template <typename T>
T* CopyArray(const T* theSource, size_t theCount)
{
    if (theSource == nullptr)
        return nullptr;
    T* aCopy = new (std::nothrow) T[theCount > 0 ? theCount : 1];
    if (aCopy != nullptr && theCount > 0)
        std::memcpy(aCopy, theSource, theCount * sizeof(T));
    return aCopy;
}

// Alpha class of a pixel for RLAlpha: 0 transparent, 1 opaque, 2 in between.
inline int AlphaClass(uint32_t theAlpha)
{
    return theAlpha == 0 ? 0 : (theAlpha == 255 ? 1 : 2);
}

// Writes the run bytes of one row: each maximal run of n pixels of one class becomes
// n, n - 1, ..., 1, every byte capped at 255.
template <typename ClassOf>
void EncodeRuns(uint8_t* theOut, int theWidth, int theHeight, ClassOf theClassOf)
{
    for (int y = 0; y < theHeight; y++) {
        size_t aRowStart = static_cast<size_t>(y) * static_cast<size_t>(theWidth);
        int x = 0;
        while (x < theWidth) {
            int aClass = theClassOf(aRowStart + static_cast<size_t>(x));
            int anEnd = x + 1;
            while (anEnd < theWidth && theClassOf(aRowStart + static_cast<size_t>(anEnd)) == aClass)
                anEnd++;
            for (int i = x; i < anEnd; i++) {
                int aLeft = anEnd - i;
                theOut[aRowStart + static_cast<size_t>(i)] =
                    static_cast<uint8_t>(aLeft > 255 ? 255 : aLeft);
            }
            x = anEnd;
        }
    }
}

// Exact palette of at most 256 colours: colour numbers in order of first appearance, found
// through an open-addressed table of 1024 slots (never more than a quarter full). False at the
// 257th distinct value.
bool BuildExactPalette(const uint32_t* theBits, uint8_t* theIndices, size_t theCount,
                       uint32_t* theColorTable)
{
    if (theCount == 0)
        return true;
    constexpr uint32_t kSlots = 1024;
    uint32_t aKeys[kSlots];
    uint16_t aNumbers[kSlots]; // colour number + 1; 0 for an empty slot
    std::memset(aNumbers, 0, sizeof(aNumbers));
    int aCount = 0;
    // Runs of one colour take one search.
    for (size_t i = 0; i < theCount;) {
        const uint32_t aColor = theBits[i];
        uint32_t aSlot = (aColor * 0x9E3779B1u) >> 22;
        while (aNumbers[aSlot] != 0 && aKeys[aSlot] != aColor)
            aSlot = (aSlot + 1) & (kSlots - 1);
        if (aNumbers[aSlot] == 0) {
            if (aCount >= 256)
                return false;
            aKeys[aSlot] = aColor;
            aNumbers[aSlot] = static_cast<uint16_t>(++aCount);
            theColorTable[aCount - 1] = aColor;
        }
        i += PixelRows::FillRun(theBits + i, theCount - i, theIndices + i, static_cast<uint8_t>(aNumbers[aSlot] - 1));
    }
    return true;
}

} // namespace

MemoryImage::MemoryImage()
{
    Init(host::ProgramApp());
}

MemoryImage::MemoryImage(QuorAppBase* theApp)
{
    Init(theApp);
}

void MemoryImage::Init(QuorAppBase* theApp)
{
    mApp = theApp;
    host::AddMemoryImage(mApp, this);
}

MemoryImage::MemoryImage(const MemoryImage& theMemoryImage)
    : Image(theMemoryImage),
      mChangeCount(theMemoryImage.mChangeCount),
      mTextureData(nullptr),
      mTextureFlags(theMemoryImage.mTextureFlags),
      mForced(theMemoryImage.mForced),
      mHasTrans(theMemoryImage.mHasTrans),
      mHasAlpha(theMemoryImage.mHasAlpha),
      mVolatile(theMemoryImage.mVolatile),
      mPurgeBits(theMemoryImage.mPurgeBits),
      mWantPalette(theMemoryImage.mWantPalette),
      mBitsChangedSinceScan(theMemoryImage.mBitsChangedSinceScan),
      mApp(theMemoryImage.mApp)
{
    // The copy takes 32-bit pixels even from an image that holds only NativeAlpha or texture
    // data; the pixels made for that are dropped on the other image again afterwards.
    auto& anOther = const_cast<MemoryImage&>(theMemoryImage);
    bool madeBits = false;
    if (anOther.mBits == nullptr && anOther.mPaletteColors == nullptr) {
        anOther.GetBits();
        madeBits = anOther.mBits != nullptr;
    }

    size_t aCount = PixelCount(mWidth, mHeight);
    if (anOther.mBits != nullptr) {
        mBits = AllocBits(mWidth, mHeight);
        if (mBits != nullptr && aCount > 0)
            std::memcpy(mBits, anOther.mBits, aCount * sizeof(uint32_t));
    }
    mPaletteColors = CopyArray(anOther.mPaletteColors, 256);
    mPaletteIndices = CopyArray(anOther.mPaletteIndices, aCount);
    mNativeAlphaData =
        CopyArray(anOther.mNativeAlphaData, anOther.mPaletteColors != nullptr ? 256 : aCount);
    mRLAlphaData = CopyArray(anOther.mRLAlphaData, aCount);
    mRLAdditiveData = CopyArray(anOther.mRLAdditiveData, aCount);

    if (madeBits)
        anOther.FreeBits();

    host::AddMemoryImage(mApp, this);
}

MemoryImage::~MemoryImage()
{
    // The renderer keeps a set of the images that have texture data: leave it first.
    if (mTextureData != nullptr)
        host::DisplayRemoveImage(mApp, this);
    host::RemoveMemoryImage(mApp, this);
    FreeArray(mBits);
    FreeArray(mNativeAlphaData);
    FreeArray(mRLAlphaData);
    FreeArray(mRLAdditiveData);
    FreeArray(mPaletteIndices);
    FreeArray(mPaletteColors);
}

uint32_t* MemoryImage::AllocBits(int theWidth, int theHeight)
{
    size_t aCount = PixelCount(theWidth, theHeight);
    auto* aBits = new (std::nothrow) uint32_t[aCount + 1];
    if (aBits != nullptr)
        aBits[aCount] = MEMORYIMAGE_SENTINEL;
    return aBits;
}

void MemoryImage::FreeBits()
{
    FreeArray(mBits);
}

// Frees the palette form and NativeAlpha with it when NativeAlpha was its converted colour
// table, which is meaningless without the palette.
void MemoryImage::FreePalette()
{
    if (mPaletteColors != nullptr)
        FreeArray(mNativeAlphaData);
    FreeArray(mPaletteIndices);
    FreeArray(mPaletteColors);
}

uint32_t* MemoryImage::GetBits()
{
    if (mBits != nullptr)
        return mBits;

    size_t aCount = PixelCount(mWidth, mHeight);
    mBits = AllocBits(mWidth, mHeight);
    if (mBits == nullptr)
        return nullptr;

    if (mPaletteColors != nullptr) {
        for (size_t i = 0; i < aCount; i++)
            mBits[i] = mPaletteColors[mPaletteIndices[i]];
        FreePalette();
        return mBits;
    }

    if (mNativeAlphaData != nullptr) {
        host::PixelFormat aFormat = host::FormatOf(host::ProgramDisplay());
        for (size_t i = 0; i < aCount; i++) {
            uint32_t aWord = mNativeAlphaData[i];
            uint32_t anAlpha = aWord >> 24;
            uint32_t aChannel[3];
            for (int c = 0; c < 3; c++) {
                uint32_t aMask = aFormat.mMask[c];
                aChannel[c] = (((((aWord & aMask) << 8) / (anAlpha + 1)) & aMask) << 8) >>
                              (aFormat.mShift[c] + aFormat.mBits[c]);
            }
            mBits[i] = (anAlpha << 24) | ((aChannel[0] & 0xFF) << 16) | ((aChannel[1] & 0xFF) << 8) |
                       (aChannel[2] & 0xFF);
        }
        return mBits;
    }

    if (mTextureData != nullptr && host::ReadBackTexture(this))
        return mBits;

    if (aCount > 0)
        std::memset(mBits, 0, aCount * sizeof(uint32_t));
    return mBits;
}

uint32_t* MemoryImage::GetNativeAlphaData(NativeDisplay* theNative)
{
    if (mNativeAlphaData != nullptr)
        return mNativeAlphaData;

    RescanAlphaFlags();

    const uint32_t* aSource;
    size_t aCount;
    if (mPaletteColors != nullptr) {
        aSource = mPaletteColors;
        aCount = 256;
    } else {
        aSource = GetBits();
        aCount = PixelCount(mWidth, mHeight);
        if (aSource == nullptr)
            return nullptr;
    }

    auto* aNative = new (std::nothrow) uint32_t[aCount > 0 ? aCount : 1];
    if (aNative == nullptr)
        return nullptr;

    host::PixelFormat aFormat = host::FormatOf(theNative);
    static const uint32_t kSourceMask[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    static const uint32_t kTopBit[3] = {24, 16, 8};
    for (size_t i = 0; i < aCount; i++) {
        uint32_t aPixel = aSource[i];
        uint32_t anAlpha = aPixel >> 24;
        uint32_t aMult = anAlpha + 1;
        uint32_t aWord = anAlpha << 24;
        for (int c = 0; c < 3; c++) {
            uint32_t aValue = ((aPixel & kSourceMask[c]) * aMult) >> 8;
            aValue = (aValue >> (kTopBit[c] - aFormat.mBits[c])) << aFormat.mShift[c];
            aWord |= aValue & aFormat.mMask[c];
        }
        aNative[i] = aWord;
    }
    mNativeAlphaData = aNative;
    return mNativeAlphaData;
}

uint8_t* MemoryImage::GetRLAlphaData()
{
    RescanAlphaFlags();
    if (mRLAlphaData != nullptr)
        return mRLAlphaData;

    size_t aCount = PixelCount(mWidth, mHeight);
    auto* aRuns = new (std::nothrow) uint8_t[aCount > 0 ? aCount : 1];
    if (aRuns == nullptr)
        return nullptr;

    if (mPaletteColors != nullptr) {
        const uint32_t* aTable = mPaletteColors;
        const uint8_t* anIndex = mPaletteIndices;
        EncodeRuns(aRuns, mWidth, mHeight,
                   [&](size_t i) { return AlphaClass(aTable[anIndex[i]] >> 24); });
    } else if (mNativeAlphaData != nullptr) {
        const uint32_t* aNative = mNativeAlphaData;
        EncodeRuns(aRuns, mWidth, mHeight, [&](size_t i) { return AlphaClass(aNative[i] >> 24); });
    } else {
        const uint32_t* aBits = GetBits();
        if (aBits == nullptr) {
            delete[] aRuns;
            return nullptr;
        }
        EncodeRuns(aRuns, mWidth, mHeight, [&](size_t i) { return AlphaClass(aBits[i] >> 24); });
    }
    mRLAlphaData = aRuns;
    return mRLAlphaData;
}

uint8_t* MemoryImage::GetRLAdditiveData(NativeDisplay* theNative)
{
    if (mRLAdditiveData != nullptr)
        return mRLAdditiveData;

    const uint32_t* aNative = GetNativeAlphaData(theNative);
    if (aNative == nullptr)
        return nullptr;

    size_t aCount = PixelCount(mWidth, mHeight);
    auto* aRuns = new (std::nothrow) uint8_t[aCount > 0 ? aCount : 1];
    if (aRuns == nullptr)
        return nullptr;

    if (mPaletteColors != nullptr) {
        const uint8_t* anIndex = mPaletteIndices;
        EncodeRuns(aRuns, mWidth, mHeight,
                   [&](size_t i) { return (aNative[anIndex[i]] & 0x00FFFFFF) != 0 ? 1 : 0; });
    } else {
        EncodeRuns(aRuns, mWidth, mHeight,
                   [&](size_t i) { return (aNative[i] & 0x00FFFFFF) != 0 ? 1 : 0; });
    }
    mRLAdditiveData = aRuns;
    return mRLAdditiveData;
}

void MemoryImage::PurgeBits()
{
    mPurgeBits = true;

    if (!host::Is3DAccelerated(mApp)) {
        if (mBits == nullptr && mPaletteColors == nullptr)
            return;
        // Without NativeAlpha the 32-bit pixels are the only copy: keep them.
        if (GetNativeAlphaData(host::ProgramDisplay()) == nullptr)
            return;
        if (mTextureData != nullptr) {
            // The texture data holds the pixels; GetBits must not meet a palette-sized
            // NativeAlpha without its palette, so build the per-pixel form first.
            if (mPaletteColors != nullptr) {
                GetBits();
                if (GetNativeAlphaData(host::ProgramDisplay()) == nullptr)
                    return;
            }
            FreePalette();
        }
        FreeBits();
        return;
    }

    if (mTextureData == nullptr)
        return;
    FreeBits();
    FreePalette();
}

void MemoryImage::DeleteDerivedData()
{
    if (mBits == nullptr && mPaletteColors == nullptr)
        GetBits();
    FreeArray(mNativeAlphaData);
    FreeArray(mRLAdditiveData);
    FreeArray(mRLAlphaData);
}

void MemoryImage::DeleteTextureData()
{
    host::DisplayRemoveImage(mApp, this);
}

void MemoryImage::DeleteExtraData()
{
    DeleteDerivedData();
    DeleteTextureData();
}

void MemoryImage::ApplyLoadOptions()
{
    if (mWantPalette)
        Palletize();
    if (mPurgeBits)
        PurgeBits();
}

void MemoryImage::BitsChanged()
{
    mChangeCount++;
    mBitsChangedSinceScan = true;
    FreeArray(mNativeAlphaData);
    FreeArray(mRLAlphaData);
    FreeArray(mRLAdditiveData);
}

void MemoryImage::RescanAlphaFlags()
{
    if (!mBitsChangedSinceScan || mForced)
        return;

    mHasAlpha = false;
    if (mBits != nullptr) {
        mHasTrans = false;
        PixelRows::ScanAlpha(mBits, PixelCount(mWidth, mHeight), mHasTrans, mHasAlpha);
    } else if (mPaletteColors != nullptr) {
        mHasTrans = false;
        PixelRows::ScanAlpha(mPaletteColors, 256, mHasTrans, mHasAlpha);
    } else {
        mHasTrans = true;
    }
    mBitsChangedSinceScan = false;
}

void MemoryImage::SetScannedAlphaFlags(bool hasTrans, bool hasAlpha)
{
    if (mForced)
        return;
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
    mBitsChangedSinceScan = false;
}

void MemoryImage::DeleteNativeAndAdditiveData()
{
    if (mBits == nullptr && mPaletteColors == nullptr)
        GetBits();
    FreeArray(mNativeAlphaData);
    FreeArray(mRLAdditiveData);
}

void MemoryImage::Clear()
{
    uint32_t* aBits = GetBits();
    if (aBits == nullptr)
        return;
    size_t aCount = PixelCount(mWidth, mHeight);
    if (aCount > 0)
        std::memset(aBits, 0, aCount * sizeof(uint32_t));
    BitsChanged();
}

void MemoryImage::SetBits(const uint32_t* theBits, int theWidth, int theHeight, bool commitBits)
{
    if (theBits != nullptr && theBits == mBits)
        return;

    FreePalette();

    if (theWidth < 0)
        theWidth = 0;
    if (theHeight < 0)
        theHeight = 0;
    if (theWidth != mWidth || theHeight != mHeight || mBits == nullptr) {
        FreeBits();
        mBits = AllocBits(theWidth, theHeight);
        mWidth = theWidth;
        mHeight = theHeight;
    }

    if (mBits != nullptr) {
        size_t aCount = PixelCount(theWidth, theHeight);
        if (aCount > 0) {
            if (theBits != nullptr)
                std::memcpy(mBits, theBits, aCount * sizeof(uint32_t));
            else
                std::memset(mBits, 0, aCount * sizeof(uint32_t));
        }
        mBits[aCount] = MEMORYIMAGE_SENTINEL;
    }
    BitsChanged();

    if (commitBits)
        RescanAlphaFlags();
}

void MemoryImage::AdoptBits(uint32_t* theBits, int theWidth, int theHeight, bool commitBits)
{
    if (theBits == nullptr || theWidth <= 0 || theHeight <= 0) {
        delete[] theBits;
        SetBits(nullptr, std::max(theWidth, 0), std::max(theHeight, 0), commitBits);
        return;
    }
    FreePalette();
    FreeBits();
    mBits = theBits;
    mWidth = theWidth;
    mHeight = theHeight;
    mBits[PixelCount(theWidth, theHeight)] = MEMORYIMAGE_SENTINEL;
    BitsChanged();
    if (commitBits)
        RescanAlphaFlags();
}

void MemoryImage::Create(int theWidth, int theHeight)
{
    FreeBits();
    if (theWidth < 0)
        theWidth = 0;
    if (theHeight < 0)
        theHeight = 0;
    // A palette form of another size no longer matches the image; GetBits would read past it.
    if (mPaletteColors != nullptr && (theWidth != mWidth || theHeight != mHeight))
        FreePalette();
    mWidth = theWidth;
    mHeight = theHeight;
    mHasTrans = true;
    mHasAlpha = true;
    BitsChanged();
}

void MemoryImage::SetAlphaFlags(bool hasTrans, bool hasAlpha)
{
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
    mForced = true;
}

void MemoryImage::SetVolatile(bool isVolatile)
{
    mVolatile = isVolatile;
}

bool MemoryImage::Palletize()
{
    RescanAlphaFlags();
    if (mPaletteColors != nullptr)
        return true;

    const uint32_t* aBits = GetBits();
    if (aBits == nullptr)
        return false;

    size_t aCount = PixelCount(mWidth, mHeight);
    auto* anIndices = new (std::nothrow) uint8_t[aCount > 0 ? aCount : 1];
    auto* aTable = new (std::nothrow) uint32_t[256]();
    if (anIndices == nullptr || aTable == nullptr ||
        !BuildExactPalette(aBits, anIndices, aCount, aTable)) {
        delete[] anIndices;
        delete[] aTable;
        mWantPalette = false;
        return false;
    }

    mPaletteIndices = anIndices;
    mPaletteColors = aTable;
    FreeBits();
    FreeArray(mNativeAlphaData);
    mWantPalette = true;
    return true;
}

} // namespace Quor
