// Image base class: cel geometry, animation timing and the drawing operations that can be
// expressed through FillRect.
#include "graphics/Image.h"

#include <algorithm>

namespace Quor {

Image gEmptyImage;

// ---------------------------------------------------------------------------------------------
// ImageAnimation

void ImageAnimation::SetFrameDelay(int theFrame, int theDelay)
{
    if (theFrame < 0)
        return;
    if (static_cast<int>(mPerFrameDelay.size()) <= theFrame)
        mPerFrameDelay.resize(static_cast<size_t>(theFrame) + 1, 0);
    mPerFrameDelay[static_cast<size_t>(theFrame)] = theDelay;
}

void ImageAnimation::SetUp(int theNumCels, int theBeginDelay, int theEndDelay)
{
    mNumCels = theNumCels > 0 ? theNumCels : 1;
    if (mFrameDelay <= 0)
        mFrameDelay = 1;

    if (mAnimType == AnimType_PingPong && theNumCels > 1) {
        mFrameMap.clear();
        for (int i = 0; i < theNumCels; i++)
            mFrameMap.push_back(i);
        for (int i = theNumCels - 2; i >= 1; i--)
            mFrameMap.push_back(i);
    }
    if (!mFrameMap.empty())
        mNumCels = static_cast<int>(mFrameMap.size());

    if (theBeginDelay > 0)
        SetFrameDelay(0, theBeginDelay);
    if (theEndDelay > 0)
        SetFrameDelay(mNumCels - 1, theEndDelay);

    if (!mPerFrameDelay.empty()) {
        mPerFrameDelay.resize(static_cast<size_t>(mNumCels), 0);
        long long aTotal = 0;
        for (int& aDelay : mPerFrameDelay) {
            if (aDelay <= 0)
                aDelay = mFrameDelay;
            aTotal += aDelay;
        }
        mTotalAnimTime = static_cast<int>(std::min<long long>(aTotal, 0x7FFFFFFF));
    } else {
        mTotalAnimTime = static_cast<int>(
            std::min<long long>(static_cast<long long>(mNumCels) * mFrameDelay, 0x7FFFFFFF));
    }
}

int ImageAnimation::GetFrame(int theTime) const
{
    int aFrame;
    if (mAnimType == AnimType_Once && theTime >= mTotalAnimTime) {
        if (!mFrameMap.empty())
            return mFrameMap.back();
        aFrame = mNumCels - 1;
        return aFrame > 0 ? aFrame : 0;
    }

    // A record that was never set up has no cycle length; it shows its first cel.
    if (mTotalAnimTime <= 0)
        return 0;

    int aTime = theTime % mTotalAnimTime;
    if (aTime < 0)
        aTime += mTotalAnimTime;

    if (!mPerFrameDelay.empty()) {
        int aCount = std::min(mNumCels, static_cast<int>(mPerFrameDelay.size()));
        aFrame = mNumCels - 1;
        for (int i = 0; i < aCount; i++) {
            aTime -= mPerFrameDelay[static_cast<size_t>(i)];
            if (aTime < 0) {
                aFrame = i;
                break;
            }
        }
    } else {
        int aDelay = mFrameDelay > 0 ? mFrameDelay : 1;
        int aNumCels = mNumCels > 0 ? mNumCels : 1;
        aFrame = (aTime / aDelay) % aNumCels;
    }
    if (aFrame < 0)
        aFrame = 0;

    if (!mFrameMap.empty()) {
        if (aFrame >= static_cast<int>(mFrameMap.size()))
            aFrame = static_cast<int>(mFrameMap.size()) - 1;
        return mFrameMap[static_cast<size_t>(aFrame)];
    }
    return aFrame;
}

// ---------------------------------------------------------------------------------------------
// Image

Image::Image() = default;

Image::Image(const Image& theImage)
    : mDrawn(false),
      mWidth(theImage.mWidth),
      mHeight(theImage.mHeight),
      mNumRows(theImage.mNumRows),
      mNumCols(theImage.mNumCols),
      mAnimInfo(theImage.mAnimInfo != nullptr ? new ImageAnimation(*theImage.mAnimInfo) : nullptr)
{
}

Image::~Image()
{
    delete mAnimInfo;
}

bool Image::PolyFill(const Point*, int, const Rect*, const Color&, int, int, int, int)
{
    return false;
}

void Image::FillRect(const Rect&, const Color&, int) {}

void Image::DrawRect(const Rect& theRect, const Color& theColor, int theDrawMode)
{
    FillRect(Rect(theRect.mX, theRect.mY, theRect.mWidth + 1, 1), theColor, theDrawMode);
    FillRect(Rect(theRect.mX, theRect.mY + theRect.mHeight, theRect.mWidth + 1, 1), theColor,
             theDrawMode);
    FillRect(Rect(theRect.mX, theRect.mY + 1, 1, theRect.mHeight - 1), theColor, theDrawMode);
    FillRect(Rect(theRect.mX + theRect.mWidth, theRect.mY + 1, 1, theRect.mHeight - 1), theColor,
             theDrawMode);
}

void Image::ClearRect(const Rect&) {}

void Image::DrawLine(double, double, double, double, const Color&, int) {}

void Image::DrawLineAA(double, double, double, double, const Color&, int) {}

void Image::FillScanLines(Span* theSpans, int theSpanCount, const Color& theColor, int theDrawMode)
{
    for (int i = 0; i < theSpanCount; i++)
        FillRect(Rect(theSpans[i].mX, theSpans[i].mY, theSpans[i].mWidth, 1), theColor,
                 theDrawMode);
}

void Image::FillScanLinesWithCoverage(Span*, int, const Color&, int, const uint8_t*, int, int, int,
                                      int)
{
}

void Image::Blt(Image*, int, int, const Rect&, const Color&, int) {}

void Image::BltF(Image*, float, float, const Rect&, const Rect&, const Color&, int) {}

void Image::BltRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int, double,
                       float, float)
{
}

void Image::StretchBlt(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

void Image::BltMatrix(Image*, float, float, const Matrix3&, const Rect&, const Color&, int,
                      const Rect&, bool)
{
}

void Image::BltTriangles(Image*, const TriVertex[][3], int, const Rect&, const Color&, int, float,
                         float, bool)
{
}

void Image::BltMirror(Image*, int, int, const Rect&, const Color&, int) {}

void Image::StretchBltMirror(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool)
{
}

int Image::GetCelWidth() const
{
    return mNumCols > 0 ? mWidth / mNumCols : mWidth;
}

int Image::GetCelHeight() const
{
    return mNumRows > 0 ? mHeight / mNumRows : mHeight;
}

int Image::GetAnimCel(int theTime) const
{
    if (mAnimInfo == nullptr)
        return 0;
    return mAnimInfo->GetFrame(theTime);
}

Rect Image::GetAnimCelRect(int theTime) const
{
    int aCel = GetAnimCel(theTime);
    int aCelWidth = GetCelWidth();
    int aCelHeight = GetCelHeight();
    if (mNumCols > 1)
        return Rect(aCel * aCelWidth, 0, aCelWidth, mHeight);
    return Rect(0, aCel * aCelHeight, mWidth, aCelHeight);
}

void Image::CopyAttributes(const Image* theImage)
{
    if (theImage == this)
        return;
    mNumRows = theImage->mNumRows;
    mNumCols = theImage->mNumCols;
    ImageAnimation* aCopy =
        theImage->mAnimInfo != nullptr ? new ImageAnimation(*theImage->mAnimInfo) : nullptr;
    delete mAnimInfo;
    mAnimInfo = aCopy;
}

} // namespace Quor
