// Texture pieces: the size table and piece layout, the format choice, the upload with repeated
// edges and the read back; and the renderer's texture data of images (made, dropped one by one
// or all at once).
#include "display/ImageTextureSet.h"

#include "display/D3DInterface.h"
#include "display/DDInterface.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quor {

namespace {

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

int NextPowerOfTwo(int n)
{
    int p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

const std::array<int, 1024>& SizeTable()
{
    static const std::array<int, 1024> aTable = [] {
        std::array<int, 1024> t{};
        for (int n = 0; n < 1024; n++) {
            int p = NextPowerOfTwo(n);
            if (p - n <= 64) {
                t[n] = p;
                continue;
            }
            do {
                p >>= 1;
            } while (p > 1 && !(n % p < 64 || IsPowerOfTwo(n % p)));
            t[n] = p;
        }
        return t;
    }();
    return aTable;
}

int BytesPerPixel(int theFormat)
{
    return theFormat == plat::kTexA8R8G8B8 ? 4 : theFormat == plat::kTexPalette8 ? 1 : 2;
}

uint32_t Convert(uint32_t p, int theFormat)
{
    switch (theFormat) {
    case plat::kTexA4R4G4B4:
        return ((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) | ((p >> 8) & 0x00F0) | ((p >> 4) & 0x000F);
    case plat::kTexR5G6B5: return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F);
    default: return p;
    }
}

uint32_t ConvertBack(uint32_t v, int theFormat, const plat::PaletteEntry* thePalette)
{
    switch (theFormat) {
    case plat::kTexA4R4G4B4:
        return 0xFF000000u | (((v >> 8) & 0xF) << 20) | (((v >> 4) & 0xF) << 12) | ((v & 0xF) << 4);
    case plat::kTexR5G6B5:
        return 0xFF000000u | (((v >> 11) & 0x1F) << 19) | (((v >> 5) & 0x3F) << 10) | ((v & 0x1F) << 3);
    case plat::kTexPalette8: {
        const plat::PaletteEntry& e = thePalette[v & 0xFF];
        return static_cast<uint32_t>(e.flags) << 24 | static_cast<uint32_t>(e.red) << 16 |
               static_cast<uint32_t>(e.green) << 8 | e.blue;
    }
    default: return v;
    }
}

// One row of 32-bit pixels converted into a texture row, in a loop of its own per format so
// that the compiler can run it several pixels at a time.
void ConvertRow(uint8_t* theRow, const uint32_t* theSrc, int theCount, int theFormat)
{
    if (theFormat == plat::kTexA8R8G8B8) {
        std::memcpy(theRow, theSrc, static_cast<size_t>(theCount) * 4);
        return;
    }
    // Texture rows start on even addresses (the pixels are allocated aligned, pitches are even).
    auto* aDst = reinterpret_cast<uint16_t*>(theRow);
    const bool a4 = theFormat == plat::kTexA4R4G4B4;
    int i = 0;
#if defined(__SSE2__)
    // Eight pixels a step: each lane converted in its low half and moved down by 0x8000 so that
    // the signed saturating pack keeps it as it is; the pack's lanes are moved back up.
    auto lanes = [a4](__m128i p) {
        auto field = [&p](int shift, int mask) {
            return _mm_and_si128(_mm_srli_epi32(p, shift), _mm_set1_epi32(mask));
        };
        __m128i v;
        if (a4) {
            // The top nibble of each byte, then two neighbouring nibbles into one byte: blue
            // and green in the lowest byte, red and alpha in the third.
            const __m128i n = field(4, 0x0F0F0F0F);
            const __m128i b = _mm_or_si128(n, _mm_srli_epi32(n, 4));
            v = _mm_or_si128(_mm_and_si128(b, _mm_set1_epi32(0xFF)), _mm_and_si128(_mm_srli_epi32(b, 8), _mm_set1_epi32(0xFF00)));
        } else {
            v = _mm_or_si128(_mm_or_si128(field(8, 0xF800), field(5, 0x07E0)), field(3, 0x001F));
        }
        return _mm_sub_epi32(v, _mm_set1_epi32(0x8000));
    };
    for (; i + 8 <= theCount; i += 8) {
        const __m128i lo = lanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(theSrc + i)));
        const __m128i hi = lanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(theSrc + i + 4)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(aDst + i),
                         _mm_xor_si128(_mm_packs_epi32(lo, hi), _mm_set1_epi16(static_cast<short>(0x8000))));
    }
#endif
    for (; i < theCount; i++)
        aDst[i] = static_cast<uint16_t>(Convert(theSrc[i], a4 ? plat::kTexA4R4G4B4 : plat::kTexR5G6B5));
}

void Store(uint8_t* theRow, int x, uint32_t v, int theBytes)
{
    if (theBytes == 4) {
        std::memcpy(theRow + static_cast<size_t>(x) * 4, &v, 4);
    } else if (theBytes == 2) {
        const auto w = static_cast<uint16_t>(v);
        std::memcpy(theRow + static_cast<size_t>(x) * 2, &w, 2);
    } else {
        theRow[x] = static_cast<uint8_t>(v);
    }
}

uint32_t Load(const uint8_t* theRow, int x, int theBytes)
{
    if (theBytes == 4) {
        uint32_t v;
        std::memcpy(&v, theRow + static_cast<size_t>(x) * 4, 4);
        return v;
    }
    if (theBytes == 2) {
        uint16_t v;
        std::memcpy(&v, theRow + static_cast<size_t>(x) * 2, 2);
        return v;
    }
    return theRow[x];
}

} // namespace

ImageTextureSet::~ImageTextureSet()
{
    ReleaseTextures();
}

void ImageTextureSet::ReleaseTextures()
{
    for (TexturePiece& p : mTextures) {
        if (p.mTexture != nullptr)
            p.mTexture->Release();
        p.mTexture = nullptr;
    }
    if (mPalette != nullptr)
        mPalette->Release();
    mPalette = nullptr;
    mTexMemSize = 0;
}

int ImageTextureSet::SizeTableEntry(int n)
{
    return SizeTable()[static_cast<size_t>(std::clamp(n, 0, 1023))];
}

void ImageTextureSet::GetTextureSize(int& theWidth, int& theHeight, bool exact, int theImageFlags)
{
    const TextureLimits& l = gTextureLimits;
    if (theImageFlags & TextureFlag_Use64By64Subdivisions) {
        theWidth = 64;
        theHeight = 64;
    } else {
        auto fit = [&](int& size, int theMax) {
            if (size >= theMax)
                size = theMax;
            else if (!exact && (theImageFlags & TextureFlag_MinimizeNumSubdivisions) == 0)
                size = SizeTableEntry(size);
            else
                size = NextPowerOfTwo(size);
        };
        fit(theWidth, l.mMaxWidth);
        fit(theHeight, l.mMaxHeight);
    }
    theWidth = std::max({theWidth, l.mMinWidth, 1});
    theHeight = std::max({theHeight, l.mMinHeight, 1});
    const int64_t anAspect = std::max(l.mMaxAspectRatio, 1);
    if (theHeight < theWidth) {
        while (theWidth > anAspect * theHeight)
            theHeight *= 2;
    } else if (theWidth < theHeight) {
        while (theHeight > anAspect * theWidth)
            theWidth *= 2;
    }
}

void ImageTextureSet::Layout(int theWidth, int theHeight, int theImageFlags)
{
    int pw = theWidth, ph = theHeight;
    GetTextureSize(pw, ph, false, theImageFlags);
    int rw = pw, rh = ph;
    if (theWidth % pw > 0) {
        rw = theWidth % pw;
        GetTextureSize(rw, rh, true, theImageFlags);
    }
    int bw = pw, bh = ph;
    if (theHeight % ph > 0) {
        bh = theHeight % ph;
        GetTextureSize(bw, bh, true, theImageFlags);
    }
    int cw = rw, ch = bh;
    GetTextureSize(cw, ch, true, theImageFlags);

    mTexPieceWidth = pw;
    mTexPieceHeight = ph;
    mTexVecWidth = (theWidth + pw - 1) / pw;
    mTexVecHeight = (theHeight + ph - 1) / ph;
    mTextures.assign(static_cast<size_t>(mTexVecWidth) * mTexVecHeight, TexturePiece{nullptr, pw, ph});
    for (int row = 0; row < mTexVecHeight; row++) {
        TexturePiece& p = mTextures[static_cast<size_t>(row) * mTexVecWidth + mTexVecWidth - 1];
        p.mWidth = rw;
        p.mHeight = rh;
    }
    for (int col = 0; col < mTexVecWidth; col++) {
        TexturePiece& p = mTextures[static_cast<size_t>(mTexVecHeight - 1) * mTexVecWidth + col];
        p.mWidth = bw;
        p.mHeight = bh;
    }
    if (!mTextures.empty()) {
        mTextures.back().mWidth = cw;
        mTextures.back().mHeight = ch;
    }
    mMaxTotalU = static_cast<float>(theWidth) / static_cast<float>(pw);
    mMaxTotalV = static_cast<float>(theHeight) / static_cast<float>(ph);
}

int ImageTextureSet::ChooseFormat(D3DInterface* theRenderer, MemoryImage* theImage, plat::Palette3D*& thePalette)
{
    thePalette = nullptr;
    theImage->DeleteDerivedData();
    theImage->RescanAlphaFlags();
    const uint32_t aSupported = gSupportedPixelFormats;
    const int aFlags = theImage->mTextureFlags;
    int aFormat = plat::kTexA8R8G8B8;
    if (!theImage->mHasAlpha && !theImage->mHasTrans && (aSupported & plat::kTexR5G6B5) &&
        (aFlags & TextureFlag_UseA8R8G8B8) == 0)
        aFormat = plat::kTexR5G6B5;
    if (theImage->mPaletteColors != nullptr && theImage->mPaletteIndices != nullptr &&
        (aSupported & plat::kTexPalette8) && theRenderer->mD3DDevice != nullptr) {
        plat::PaletteEntry anEntries[256];
        for (int i = 0; i < 256; i++) {
            const uint32_t c = theImage->mPaletteColors[i];
            anEntries[i] = plat::PaletteEntry{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                              static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 24)};
        }
        if (plat::Failed(theRenderer->mD3DDevice->CreatePalette(anEntries, &thePalette))) {
            thePalette = nullptr;
            gSupportedPixelFormats &= ~static_cast<uint32_t>(plat::kTexPalette8);
        } else {
            aFormat = plat::kTexPalette8;
        }
    }
    if (aFormat == plat::kTexA8R8G8B8) {
        if ((aFlags & TextureFlag_UseA4R4G4B4) == 0) {
            if ((aSupported & plat::kTexA8R8G8B8) == 0)
                aFormat = plat::kTexA4R4G4B4;
        } else if ((aSupported & plat::kTexA4R4G4B4) || (aSupported & plat::kTexA8R8G8B8) == 0) {
            aFormat = plat::kTexA4R4G4B4;
        }
    }
    return aFormat;
}

void ImageTextureSet::Ensure(D3DInterface* theRenderer, MemoryImage* theImage)
{
    if (mPixelFormat == 0 || mWidth != theImage->mWidth || mHeight != theImage->mHeight ||
        mBitsChangedCount != theImage->mChangeCount || mImageFlags != theImage->mTextureFlags)
        Upload(theRenderer, theImage);
}

void ImageTextureSet::Upload(D3DInterface* theRenderer, MemoryImage* theImage)
{
    plat::Palette3D* aPalette = nullptr;
    const int aFormat = ChooseFormat(theRenderer, theImage, aPalette);
    const int W = theImage->mWidth, H = theImage->mHeight, aFlags = theImage->mTextureFlags;
    const bool anew = mWidth != W || mHeight != H || mPixelFormat != aFormat || mImageFlags != aFlags || mTextures.empty();
    if (anew) {
        ReleaseTextures();
        mPixelFormat = aFormat;
        mImageFlags = aFlags;
        Layout(W, H, aFlags);
    }
    if (mPalette != nullptr)
        mPalette->Release();
    mPalette = aPalette;
    // The palette is counted once per set of textures, not at every upload.
    if (anew && mPalette != nullptr)
        mTexMemSize += 1024;

    plat::Device3D* aDevice = theRenderer->mD3DDevice;
    const plat::TexturePixelFormat aDesc = plat::TextureFormatDesc(static_cast<uint32_t>(aFormat));
    int anIndex = 0;
    for (int y = 0; y < H; y += mTexPieceHeight) {
        for (int x = 0; x < W; x += mTexPieceWidth, anIndex++) {
            TexturePiece& p = mTextures[static_cast<size_t>(anIndex)];
            if (anew) {
                theRenderer->CheckDirectXResult("SetTexture NULL", aDevice->SetTexture(0, nullptr));
                if (plat::Failed(aDevice->CreateTexture(static_cast<uint32_t>(p.mWidth), static_cast<uint32_t>(p.mHeight),
                                                        aDesc, &p.mTexture)) ||
                    p.mTexture == nullptr) {
                    p.mTexture = nullptr;
                    mPixelFormat = 0;
                    return;
                }
                mTexMemSize += p.mWidth * p.mHeight * BytesPerPixel(aFormat);
            }
            if (mPalette != nullptr)
                p.mTexture->SetPalette(mPalette);
            UploadPiece(theRenderer, theImage, p.mTexture, x, y, p.mWidth, p.mHeight);
        }
    }
    mWidth = W;
    mHeight = H;
    mBitsChangedCount = theImage->mChangeCount;
    mPixelFormat = aFormat;
}

void ImageTextureSet::UploadPiece(D3DInterface* theRenderer, MemoryImage* theImage, plat::Texture3D* theTexture,
                                  int x, int y, int theTexWidth, int theTexHeight)
{
    plat::SurfaceDesc aDesc;
    if (theRenderer->CheckDirectXResult("Lock Texture", theTexture->Lock(aDesc, plat::kLockWait | plat::kLockWriteOnly)))
        return;
    const int W = theImage->mWidth, H = theImage->mHeight;
    const int aCopyW = std::min(theTexWidth, W - x), aCopyH = std::min(theTexHeight, H - y);
    const int aBytes = BytesPerPixel(mPixelFormat);
    const bool aPaletteForm = theImage->mPaletteColors != nullptr && theImage->mPaletteIndices != nullptr;
    const uint32_t* aBits = aPaletteForm ? nullptr : theImage->mBits;
    auto* aPixels = static_cast<uint8_t*>(aDesc.pixels);
    if (aPixels != nullptr && (aPaletteForm || aBits != nullptr)) {
        for (int r = 0; r < aCopyH; r++) {
            uint8_t* aRow = aPixels + static_cast<ptrdiff_t>(r) * aDesc.pitch;
            const size_t aSrc = static_cast<size_t>(y + r) * W + x;
            if (aPaletteForm) {
                for (int c = 0; c < aCopyW; c++) {
                    const uint8_t anIndex = theImage->mPaletteIndices[aSrc + c];
                    Store(aRow, c,
                          mPixelFormat == plat::kTexPalette8 ? anIndex
                                                             : Convert(theImage->mPaletteColors[anIndex], mPixelFormat),
                          aBytes);
                }
            } else if (aCopyW > 0) {
                ConvertRow(aRow, aBits + aSrc, aCopyW, mPixelFormat);
            }
            if (aCopyW < theTexWidth && aCopyW > 0)
                Store(aRow, aCopyW, Load(aRow, aCopyW - 1, aBytes), aBytes);
        }
        if (aCopyH < theTexHeight && aCopyH > 0) {
            const int aRowBytes = std::min(aCopyW + 1, theTexWidth) * aBytes;
            std::memcpy(aPixels + static_cast<ptrdiff_t>(aCopyH) * aDesc.pitch,
                        aPixels + static_cast<ptrdiff_t>(aCopyH - 1) * aDesc.pitch, static_cast<size_t>(aRowBytes));
        }
    }
    theRenderer->CheckDirectXResult("Texture Unlock", theTexture->Unlock());
}

plat::Texture3D* ImageTextureSet::GetPiece(int x, int y, int& theWidth, int& theHeight, float& u1, float& v1,
                                           float& u2, float& v2)
{
    const int aCol = x / mTexPieceWidth, aRow = y / mTexPieceHeight;
    if (x < 0 || y < 0 || aCol >= mTexVecWidth || aRow >= mTexVecHeight) {
        theWidth = theHeight = 0;
        return nullptr;
    }
    const TexturePiece& p = mTextures[static_cast<size_t>(aRow) * mTexVecWidth + aCol];
    const int lx = x % mTexPieceWidth, ly = y % mTexPieceHeight;
    const int aRight = std::min(p.mWidth, lx + theWidth);
    const int aBottom = std::min(p.mHeight, ly + theHeight);
    theWidth = aRight - lx;
    theHeight = aBottom - ly;
    u1 = static_cast<float>(lx) / static_cast<float>(p.mWidth);
    v1 = static_cast<float>(ly) / static_cast<float>(p.mHeight);
    u2 = static_cast<float>(aRight) / static_cast<float>(p.mWidth);
    v2 = static_cast<float>(aBottom) / static_cast<float>(p.mHeight);
    return p.mTexture;
}

bool ImageTextureSet::ReadBack(D3DInterface* theRenderer, MemoryImage* theImage)
{
    if (mBitsChangedCount != theImage->mChangeCount || mPixelFormat == 0 || theImage->mBits == nullptr ||
        mWidth != theImage->mWidth || mHeight != theImage->mHeight)
        return false;
    plat::PaletteEntry anEntries[256] = {};
    if (mPixelFormat == plat::kTexPalette8 && (mPalette == nullptr || plat::Failed(mPalette->GetEntries(0, 256, anEntries))))
        return false;
    const int aBytes = BytesPerPixel(mPixelFormat);
    int anIndex = 0;
    for (int y = 0; y < mHeight; y += mTexPieceHeight) {
        for (int x = 0; x < mWidth; x += mTexPieceWidth, anIndex++) {
            TexturePiece& p = mTextures[static_cast<size_t>(anIndex)];
            plat::SurfaceDesc aDesc;
            if (p.mTexture == nullptr ||
                theRenderer->CheckDirectXResult("Lock Texture", p.mTexture->Lock(aDesc, plat::kLockWait | plat::kLockReadOnly)))
                return false;
            const int w = std::min(p.mWidth, mWidth - x), h = std::min(p.mHeight, mHeight - y);
            const auto* aPixels = static_cast<const uint8_t*>(aDesc.pixels);
            for (int r = 0; r < h && aPixels != nullptr; r++) {
                const uint8_t* aRow = aPixels + static_cast<ptrdiff_t>(r) * aDesc.pitch;
                uint32_t* aDst = theImage->mBits + static_cast<size_t>(y + r) * mWidth + x;
                for (int c = 0; c < w; c++)
                    aDst[c] = ConvertBack(Load(aRow, c, aBytes), mPixelFormat, anEntries);
            }
            theRenderer->CheckDirectXResult("Texture Unlock", p.mTexture->Unlock());
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The renderer's textured images

bool D3DInterface::CreateImageTexture(MemoryImage* theImage)
{
    bool aMade = false;
    if (theImage->mTextureData == nullptr) {
        theImage->mTextureData = new ImageTextureSet();
        if (mDDInterface != nullptr) {
            DDInterface::AutoLock aLock(mDDInterface->mCritSect);
            mImageSet.insert(theImage);
        } else {
            mImageSet.insert(theImage);
        }
        aMade = true;
    }
    const bool aPurge = theImage->mPurgeBits;
    ImageTextureSet* aSet = theImage->mTextureData;
    aSet->Ensure(this, theImage);
    // Only a texture that really holds the pixels may take the place of the image's bits.
    if (aMade && aPurge && aSet->mPixelFormat != 0)
        theImage->PurgeBits();
    return aSet->mPixelFormat != 0;
}

bool D3DInterface::ReadBackTexture(MemoryImage* theImage)
{
    if (theImage == nullptr || theImage->mTextureData == nullptr)
        return false;
    return theImage->mTextureData->ReadBack(this, theImage);
}

void D3DInterface::RemoveImageTexture(MemoryImage* theImage)
{
    if (theImage == nullptr || theImage->mTextureData == nullptr)
        return;
    delete theImage->mTextureData;
    theImage->mTextureData = nullptr;
    if (mDDInterface != nullptr) {
        DDInterface::AutoLock aLock(mDDInterface->mCritSect);
        mImageSet.erase(theImage);
    } else {
        mImageSet.erase(theImage);
    }
}

void D3DInterface::RemoveAllTextures()
{
    Flush();
    {
        std::set<MemoryImage*> anImages;
        if (mDDInterface != nullptr) {
            DDInterface::AutoLock aLock(mDDInterface->mCritSect);
            anImages.swap(mImageSet);
        } else {
            anImages.swap(mImageSet);
        }
        for (MemoryImage* anImage : anImages) {
            delete anImage->mTextureData;
            anImage->mTextureData = nullptr;
        }
    }
    ReleaseDevice();
}

} // namespace Quor
