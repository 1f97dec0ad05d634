// The bitmap font: choosing and scaling the layers, widths with kerning and spacing, and the
// layered drawing through the program-wide render command pool and order buckets.
#include "graphics/ImageFont.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace Quor {

namespace {

// One glyph of one layer waiting to be drawn.
struct RenderCommand {
    Image* mImage;
    int mDestX;
    int mDestY;
    Rect mSrcRect;
    int mMode;
    Color mColor;
    int mNext; // next command of the same order bucket, -1 at the end
};

constexpr size_t kPoolSize = 4096;

// The program-wide pool and buckets, used under the program-wide font lock. The pool starts at
// 4096 commands and grows (once, before queueing) when a string needs more, so that no glyph
// of a long string is dropped.
struct RenderState {
    std::recursive_mutex mLock;
    std::vector<RenderCommand> mPool;
    int mHead[256];
    int mTail[256];
    RenderState() { mPool.resize(kPoolSize); }
};

RenderState& GetRenderState()
{
    static RenderState* aState = new RenderState(); // lives for the program's lifetime
    return *aState;
}

// Descriptor values are outside input: the arithmetic on them saturates instead of
// overflowing.
int Clamp(int64_t theValue)
{
    return static_cast<int>(std::clamp<int64_t>(theValue, INT_MIN, INT_MAX));
}

// Toward zero, saturating at the int range; NaN gives 0.
int Trunc(double theValue)
{
    if (!(theValue == theValue))
        return 0;
    if (theValue >= 2147483647.0)
        return INT_MAX;
    if (theValue <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(theValue);
}

int Channel(int theMult, int theColor, int theAdd)
{
    int64_t v = int64_t(theMult) * theColor / 255 + theAdd;
    return v >= 255 ? 255 : Clamp(v);
}

} // namespace

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& theActiveFontLayer)
    : mBaseFontLayer(theActiveFontLayer.mBaseFontLayer),
      mScaledImage(theActiveFontLayer.mScaledImage),
      mOwnsImage(theActiveFontLayer.mOwnsImage)
{
    std::copy(std::begin(theActiveFontLayer.mScaledCharImageRects),
              std::end(theActiveFontLayer.mScaledCharImageRects), mScaledCharImageRects);
    if (mOwnsImage && mScaledImage != nullptr) {
        Image* aCopy = nullptr;
#ifdef QUOR_HAVE_DISPLAY_IMAGE
        if (QuorAppBase* anApp = mBaseFontLayer->mFontData->mApp)
            aCopy = anApp->CopyImage(mScaledImage);
#endif
        if (aCopy == nullptr)
            if (auto* aMemoryImage = dynamic_cast<MemoryImage*>(mScaledImage))
                aCopy = new MemoryImage(*aMemoryImage);
        mScaledImage = aCopy;
        mOwnsImage = aCopy != nullptr;
    }
}

ActiveFontLayer::~ActiveFontLayer()
{
    if (mOwnsImage)
        delete mScaledImage;
}

ImageFont::ImageFont(QuorAppBase* theApp, const std::string& theFontDescFileName)
    : mFontData(new FontData())
{
    mFontData->AddRef();
    mFontData->Load(theApp, theFontDescFileName);
    mPointSize = mFontData->mDefaultPointSize;
    BuildActiveLayers();
    mActiveListValid = true;
}

ImageFont::ImageFont(Image* theFontImage, const std::string& theWidthFileName)
    : mFontData(new FontData())
{
    mFontData->AddRef();
    mFontData->LoadImageWidthFont(theFontImage, theWidthFileName);
    mPointSize = mFontData->mDefaultPointSize;
    BuildActiveLayers();
    mActiveListValid = true;
}

ImageFont::ImageFont(const ImageFont& theImageFont)
    : Font(theImageFont),
      mFontData(theImageFont.mFontData),
      mPointSize(theImageFont.mPointSize),
      mTagVector(theImageFont.mTagVector),
      mActiveListValid(theImageFont.mActiveListValid),
      mScale(theImageFont.mScale)
{
    mFontData->AddRef();
    if (mActiveListValid)
        for (const ActiveFontLayer& aLayer : theImageFont.mActiveLayerList)
            mActiveLayerList.emplace_back(aLayer);
}

ImageFont::~ImageFont()
{
    mActiveLayerList.clear();
    mFontData->Release();
}

Font* ImageFont::Duplicate()
{
    return new ImageFont(*this);
}

double ImageFont::LayerRatio(const FontLayer& theLayer, bool* unscaled) const
{
    *unscaled = mScale == 1.0 && (theLayer.mPointSize == 0 || theLayer.mPointSize == mPointSize);
    if (*unscaled)
        return 1.0;
    if (theLayer.mPointSize != 0)
        return mPointSize * mScale / theLayer.mPointSize;
    return mScale;
}

void ImageFont::BuildActiveLayers()
{
    if (!mFontData->mInitialized)
        return;
    mActiveLayerList.clear();
    mAscent = 0;
    mAscentPadding = 0;
    mHeight = 0;
    mLineSpacingOffset = 0;
    bool first = true;

    for (FontLayer& aLayer : mFontData->mFontLayerList) {
        if (mPointSize < aLayer.mMinPointSize)
            continue;
        if (mPointSize > aLayer.mMaxPointSize && aLayer.mMaxPointSize != -1)
            continue;
        auto HasAll = [&](const StringVector& theTags) {
            for (const std::string& aTag : theTags)
                if (std::find(mTagVector.begin(), mTagVector.end(), aTag) == mTagVector.end())
                    return false;
            return true;
        };
        auto HasAny = [&](const StringVector& theTags) {
            for (const std::string& aTag : theTags)
                if (std::find(mTagVector.begin(), mTagVector.end(), aTag) != mTagVector.end())
                    return true;
            return false;
        };
        if (!HasAll(aLayer.mRequiredTags) || HasAny(aLayer.mExcludedTags))
            continue;

        bool unscaled = false;
        const double r = LayerRatio(aLayer, &unscaled);
        mActiveLayerList.emplace_back();
        ActiveFontLayer& anActive = mActiveLayerList.back();
        anActive.mBaseFontLayer = &aLayer;

        if (unscaled) {
            anActive.mScaledImage = aLayer.mImage.GetImage();
            anActive.mOwnsImage = false;
            for (int c = 0; c < 256; c++)
                anActive.mScaledCharImageRects[c] = aLayer.mCharData[c].mImageRect;
        } else {
            auto* aStrip = new MemoryImage(mFontData->mApp);
            int64_t aTotalWidth = 0;
            int aMaxHeight = 0;
            for (int c = 0; c < 256; c++) {
                const Rect& aRect = aLayer.mCharData[c].mImageRect;
                int w = std::max(0, Trunc(aRect.mWidth * r));
                int h = std::max(0, Trunc(aRect.mHeight * r));
                anActive.mScaledCharImageRects[c] = Rect(Clamp(aTotalWidth), 0, w, h);
                aTotalWidth += w;
                aMaxHeight = std::max(aMaxHeight, h);
            }
            aStrip->Create(Clamp(aTotalWidth), aMaxHeight);
            if (Image* aSource = aLayer.mImage.GetImage()) {
                Graphics aGraphics(aStrip);
                for (int c = 0; c < 256; c++) {
                    const Rect& aDest = anActive.mScaledCharImageRects[c];
                    if (aDest.mWidth > 0 && aDest.mHeight > 0)
                        aGraphics.DrawImageStretchedRegion(aSource, aDest,
                                                           aLayer.mCharData[c].mImageRect);
                }
            }
            aStrip->Palletize();
            anActive.mScaledImage = aStrip;
            anActive.mOwnsImage = true;
        }

        int aLayerHeight = aLayer.mHeight != 0 ? aLayer.mHeight : aLayer.mDefaultHeight;
        mAscent = std::max(mAscent, Trunc(aLayer.mAscent * r));
        mHeight = std::max(mHeight, Trunc(aLayerHeight * r));
        int aPadding = Trunc(aLayer.mAscentPadding * r);
        int aLineSpacingOffset = Trunc(aLayer.mLineSpacingOffset * r);
        if (first) {
            mAscentPadding = aPadding;
            mLineSpacingOffset = aLineSpacingOffset;
            first = false;
        } else {
            mAscentPadding = std::min(mAscentPadding, aPadding);
            mLineSpacingOffset = std::max(mLineSpacingOffset, aLineSpacingOffset);
        }
    }
}

void ImageFont::Prepare()
{
    if (!mActiveListValid) {
        BuildActiveLayers();
        mActiveListValid = true;
    }
}

int ImageFont::CharWidthKern(char theChar, char thePrevChar)
{
    Prepare();
    const uint8_t c = mFontData->mCharMap[static_cast<uint8_t>(theChar)];
    const uint8_t p = thePrevChar != 0 ? mFontData->mCharMap[static_cast<uint8_t>(thePrevChar)] : 0;
    int64_t aMax = INT64_MIN;
    for (const ActiveFontLayer& anActive : mActiveLayerList) {
        const FontLayer& aLayer = *anActive.mBaseFontLayer;
        bool unscaled = false;
        const double r = LayerRatio(aLayer, &unscaled);
        int64_t anAdvance = Trunc(aLayer.mCharData[c].mWidth * r);
        int64_t aKern = 0;
        if (thePrevChar != 0)
            aKern = Trunc((double(aLayer.mCharData[p].mKerningOffsets[c]) + aLayer.mSpacing) * r);
        aMax = std::max(aMax, anAdvance + aKern);
    }
    return aMax == INT64_MIN ? 0 : Clamp(aMax);
}

int ImageFont::CharWidth(char theChar)
{
    return CharWidthKern(theChar, 0);
}

int ImageFont::StringWidth(const std::string& theString)
{
    int64_t aWidth = 0;
    char aPrev = 0;
    for (char c : theString) {
        aWidth += CharWidthKern(c, aPrev);
        aPrev = c;
    }
    return Clamp(aWidth);
}

void ImageFont::DrawString(Graphics* g, int theX, int theY, const std::string& theString,
                           const Color& theColor, const Rect& theClipRect)
{
    DrawStringLayered(g, theX, theY, theString, theColor, theClipRect, nullptr, nullptr);
}

void ImageFont::DrawStringLayered(Graphics* g, int theX, int theY, const std::string& theString,
                                  const Color& theColor, const Rect& theClipRect,
                                  std::vector<Rect>* theDrawnAreas, int* theWidth)
{
    (void)theClipRect;
    RenderState& aState = GetRenderState();
    std::lock_guard<std::recursive_mutex> aGuard(aState.mLock);
    std::fill(std::begin(aState.mHead), std::end(aState.mHead), -1);
    std::fill(std::begin(aState.mTail), std::end(aState.mTail), -1);
    size_t aPoolUsed = 0;
    if (theDrawnAreas != nullptr)
        theDrawnAreas->clear();

    if (!mFontData->mInitialized) {
        if (theWidth != nullptr)
            *theWidth = 0;
        return;
    }

    Prepare();
    const bool aColorizeImages = g->GetColorizeImages();
    g->SetColorizeImages(true);

    const size_t aNeeded = theString.size() * mActiveLayerList.size();
    if (aState.mPool.size() < aNeeded)
        aState.mPool.resize(aNeeded);

    const uint8_t* aMap = mFontData->mCharMap;
    int64_t aPen = theX;
    for (size_t i = 0; i < theString.size(); i++) {
        const uint8_t c = aMap[static_cast<uint8_t>(theString[i])];
        const uint8_t n = i + 1 < theString.size() ? aMap[static_cast<uint8_t>(theString[i + 1])] : 0;
        int64_t aNextPen = aPen;
        bool any = false;
        for (const ActiveFontLayer& anActive : mActiveLayerList) {
            const FontLayer& aLayer = *anActive.mBaseFontLayer;
            const CharData& aChar = aLayer.mCharData[c];
            bool unscaled = false;
            const double r = LayerRatio(aLayer, &unscaled);
            int64_t aDrawX, aDrawY, anAdvance, aKern = 0;
            if (unscaled) {
                aDrawX = aPen + aChar.mOffsetX + aLayer.mOffsetX;
                aDrawY = int64_t(theY) + aChar.mOffsetY - aLayer.mAscent + aLayer.mOffsetY;
                anAdvance = aChar.mWidth;
                if (n != 0)
                    aKern = int64_t(aChar.mKerningOffsets[n]) + aLayer.mSpacing;
            } else {
                aDrawX = aPen + Trunc((double(aChar.mOffsetX) + aLayer.mOffsetX) * r);
                aDrawY = theY - int64_t(Trunc(
                                    (double(aLayer.mAscent) - aChar.mOffsetY - aLayer.mOffsetY) * r));
                anAdvance = Trunc(aChar.mWidth * r);
                if (n != 0)
                    aKern = Trunc((double(aChar.mKerningOffsets[n]) + aLayer.mSpacing) * r);
            }
            if (aPoolUsed >= aState.mPool.size())
                break;

            const Color aColor(Channel(aLayer.mColorMult.mRed, theColor.mRed, aLayer.mColorAdd.mRed),
                               Channel(aLayer.mColorMult.mGreen, theColor.mGreen,
                                       aLayer.mColorAdd.mGreen),
                               Channel(aLayer.mColorMult.mBlue, theColor.mBlue,
                                       aLayer.mColorAdd.mBlue),
                               Channel(aLayer.mColorMult.mAlpha, theColor.mAlpha,
                                       aLayer.mColorAdd.mAlpha));
            const int anOrder = static_cast<int>(
                std::clamp<int64_t>(int64_t(aChar.mOrder) + aLayer.mBaseOrder + 128, 0, 255));
            const Rect& aSrc = anActive.mScaledCharImageRects[c];
            const int anIndex = static_cast<int>(aPoolUsed++);
            aState.mPool[anIndex] = RenderCommand{anActive.mScaledImage, Clamp(aDrawX),
                                                  Clamp(aDrawY), aSrc, aLayer.mDrawMode, aColor,
                                                  -1};
            if (aState.mTail[anOrder] == -1)
                aState.mHead[anOrder] = anIndex;
            else
                aState.mPool[aState.mTail[anOrder]].mNext = anIndex;
            aState.mTail[anOrder] = anIndex;

            if (theDrawnAreas != nullptr)
                theDrawnAreas->push_back(Rect(Clamp(aDrawX), Clamp(aDrawY), aSrc.mWidth, aSrc.mHeight));
            aNextPen = any ? std::max(aNextPen, aPen + anAdvance + aKern) : aPen + anAdvance + aKern;
            any = true;
        }
        aPen = aNextPen;
    }
    if (theWidth != nullptr)
        *theWidth = Clamp(aPen - theX);

    const Color anOrigColor = g->GetColor();
    for (int anOrder = 0; anOrder < 256; anOrder++) {
        for (int anIndex = aState.mHead[anOrder]; anIndex != -1;
             anIndex = aState.mPool[anIndex].mNext) {
            const RenderCommand& aCmd = aState.mPool[anIndex];
            const int anOrigMode = g->GetDrawMode();
            if (aCmd.mMode != -1)
                g->SetDrawMode(aCmd.mMode);
            g->SetColor(aCmd.mColor);
            if (aCmd.mImage != nullptr)
                g->DrawImageRegion(aCmd.mImage, aCmd.mDestX, aCmd.mDestY, aCmd.mSrcRect);
            g->SetDrawMode(anOrigMode);
        }
    }
    g->SetColor(anOrigColor);
    g->SetColorizeImages(aColorizeImages);
}

void ImageFont::SetPointSize(int thePointSize)
{
    mPointSize = thePointSize;
    mActiveListValid = false;
}

int ImageFont::GetPointSize()
{
    return mPointSize;
}

void ImageFont::SetScale(double theScale)
{
    mScale = theScale;
    mActiveListValid = false;
}

int ImageFont::GetDefaultPointSize()
{
    return mFontData->mDefaultPointSize;
}

bool ImageFont::AddTag(const std::string& theTagName)
{
    if (HasTag(theTagName))
        return false;
    mTagVector.push_back(StringToUpper(theTagName));
    mActiveListValid = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& theTagName)
{
    auto it = std::find(mTagVector.begin(), mTagVector.end(), StringToUpper(theTagName));
    if (it == mTagVector.end())
        return false;
    mTagVector.erase(it);
    mActiveListValid = false;
    return true;
}

bool ImageFont::HasTag(const std::string& theTagName)
{
    return std::find(mTagVector.begin(), mTagVector.end(), StringToUpper(theTagName)) !=
           mTagVector.end();
}

std::string ImageFont::GetDefine(const std::string& theName)
{
    DataElement* aValue = mFontData->GetDefine(theName);
    return aValue != nullptr ? mFontData->DataElementToString(aValue) : std::string();
}

} // namespace Quor
