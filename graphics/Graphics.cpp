// The drawing context: state handling, translation and clipping of every draw request before
// it reaches the destination image.
#include "graphics/Graphics.h"

#include <cmath>
#include <new>
#include <utility>

#include "graphics/Image.h"

#include "display/DDImage.h"

namespace Quor {

namespace {

// Whether the image is drawn by the 3-D display (only display images can be).
bool DrawnBy3D(Image* theImage)
{
    return theImage != nullptr && DDImage::Check3D(theImage);
}

bool SameRect(const Rect& a, const Rect& b)
{
    return a.mX == b.mX && a.mY == b.mY && a.mWidth == b.mWidth && a.mHeight == b.mHeight;
}

// A source rectangle that lies wholly inside the image.
bool SourceInside(const Image* theImage, const Rect& theSrc)
{
    return theSrc.mX >= 0 && theSrc.mY >= 0 && theSrc.mX + theSrc.mWidth <= theImage->GetWidth() &&
           theSrc.mY + theSrc.mHeight <= theImage->GetHeight();
}

} // namespace

Graphics::Graphics(Image* theDestImage)
{
    mDestImage = theDestImage != nullptr ? theDestImage : &gEmptyImage;
    mClipRect = WholeDestRect();
    mColor = Color();
    mIs3D = theDestImage != nullptr && DrawnBy3D(theDestImage);
}

Graphics::Graphics(const Graphics& theGraphics) : GraphicsState()
{
    CopyFrom(&theGraphics);
}

Graphics::~Graphics() = default;

Graphics* Graphics::Create(const Graphics& theGraphics)
{
    return new (std::nothrow) Graphics(theGraphics);
}

void Graphics::PushState()
{
    mStateStack.push_back(static_cast<const GraphicsState&>(*this));
}

void Graphics::PopState()
{
    if (mStateStack.empty())
        return;
    CopyFrom(&mStateStack.back());
    mStateStack.pop_back();
}

void Graphics::SetColor(const Color& theColor)
{
    mColor = theColor;
}

const Color& Graphics::ImageColor() const
{
    return mColorizeImages ? mColor : Color::White;
}

Rect Graphics::WholeDestRect() const
{
    return Rect(0, 0, mDestImage->GetWidth(), mDestImage->GetHeight());
}

void Graphics::Translate(int theTransX, int theTransY)
{
    mTransX += static_cast<float>(theTransX);
    mTransY += static_cast<float>(theTransY);
}

void Graphics::SetScale(float theScaleX, float theScaleY, float theOrigX, float theOrigY)
{
    mScaleX = theScaleX;
    mScaleY = theScaleY;
    mScaleOrigX = mTransX + theOrigX;
    mScaleOrigY = mTransY + theOrigY;
}

void Graphics::ClearClipRect()
{
    mClipRect = WholeDestRect();
}

void Graphics::SetClipRect(int theX, int theY, int theWidth, int theHeight)
{
    mClipRect = Rect(TransX(theX), TransY(theY), theWidth, theHeight).Intersection(WholeDestRect());
}

void Graphics::ClipRect(int theX, int theY, int theWidth, int theHeight)
{
    mClipRect = mClipRect.Intersection(Rect(TransX(theX), TransY(theY), theWidth, theHeight));
}

void Graphics::FillRect(int theX, int theY, int theWidth, int theHeight)
{
    if (mColor.GetAlpha() == 0)
        return;
    Rect r = Rect(TransX(theX), TransY(theY), theWidth, theHeight).Intersection(mClipRect);
    mDestImage->FillRect(r, mColor, mDrawMode);
}

void Graphics::FillRectByRect(const Rect& theRect)
{
    FillRect(theRect.mX, theRect.mY, theRect.mWidth, theRect.mHeight);
}

void Graphics::DrawRect(int theX, int theY, int theWidth, int theHeight)
{
    if (mColor.GetAlpha() == 0)
        return;
    Rect whole(TransX(theX), TransY(theY), theWidth + 1, theHeight + 1);
    if (SameRect(whole.Intersection(mClipRect), whole)) {
        mDestImage->DrawRect(Rect(whole.mX, whole.mY, theWidth, theHeight), mColor, mDrawMode);
        return;
    }
    FillRect(theX, theY, theWidth + 1, 1);
    FillRect(theX, theY + theHeight, theWidth + 1, 1);
    FillRect(theX, theY + 1, 1, theHeight - 1);
    FillRect(theX + theWidth, theY + 1, 1, theHeight - 1);
}

bool Graphics::ClipLine(double& theStartX, double& theStartY, double& theEndX,
                        double& theEndY) const
{
    const double cx = mClipRect.mX;
    const double cy = mClipRect.mY;
    const double cr = static_cast<double>(mClipRect.mX) + mClipRect.mWidth;
    const double cb = static_cast<double>(mClipRect.mY) + mClipRect.mHeight;

    double x1 = theStartX, y1 = theStartY, x2 = theEndX, y2 = theEndY;
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (cx > x1) {
        if (cx > x2)
            return false;
        y1 += (cx - x1) * (y2 - y1) / (x2 - x1);
        x1 = cx;
    }
    if (x2 >= cr) {
        if (x1 >= cr)
            return false;
        y2 += (cr - 1 - x2) * (y2 - y1) / (x2 - x1);
        x2 = cr - 1;
    }

    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (cy > y1) {
        if (cy > y2)
            return false;
        x1 += (cy - y1) * (x2 - x1) / (y2 - y1);
        y1 = cy;
    }
    if (y2 >= cb) {
        if (y1 >= cb)
            return false;
        x2 += (cb - 1 - y2) * (x2 - x1) / (y2 - y1);
        y2 = cb - 1;
    }

    theStartX = x1;
    theStartY = y1;
    theEndX = x2;
    theEndY = y2;
    return true;
}

void Graphics::DrawLine(int theStartX, int theStartY, int theEndX, int theEndY)
{
    double x1 = static_cast<double>(theStartX) + mTransX;
    double y1 = static_cast<double>(theStartY) + mTransY;
    double x2 = static_cast<double>(theEndX) + mTransX;
    double y2 = static_cast<double>(theEndY) + mTransY;
    if (!ClipLine(x1, y1, x2, y2))
        return;
    mDestImage->DrawLine(x1, y1, x2, y2, mColor, mDrawMode);
}

void Graphics::DrawImage(Image* theImage, int theX, int theY)
{
    if (theImage == nullptr)
        return;
    Rect whole(0, 0, theImage->GetWidth(), theImage->GetHeight());
    if (mScaleX == 1.0f && mScaleY == 1.0f) {
        int x = TransX(theX);
        int y = TransY(theY);
        Rect d = Rect(x, y, whole.mWidth, whole.mHeight).Intersection(mClipRect);
        if (d.mWidth > 0 && d.mHeight > 0)
            mDestImage->Blt(theImage, d.mX, d.mY,
                            Rect(d.mX - x, d.mY - y, d.mWidth, d.mHeight), ImageColor(),
                            mDrawMode);
        return;
    }
    DrawImageRegion(theImage, theX, theY, whole);
}

void Graphics::DrawImageRegion(Image* theImage, int theX, int theY, const Rect& theSrcRect)
{
    if (theImage == nullptr || !SourceInside(theImage, theSrcRect))
        return;
    int x = TransX(theX);
    int y = TransY(theY);
    if (mScaleX == 1.0f && mScaleY == 1.0f) {
        Rect d = Rect(x, y, theSrcRect.mWidth, theSrcRect.mHeight).Intersection(mClipRect);
        Rect src(theSrcRect.mX + d.mX - x, theSrcRect.mY + d.mY - y, d.mWidth, d.mHeight);
        if (d.mWidth > 0 && d.mHeight > 0)
            mDestImage->Blt(theImage, d.mX, d.mY, src, ImageColor(), mDrawMode);
        return;
    }
    float px = static_cast<float>(static_cast<float>(x) - mScaleOrigX) * mScaleX;
    float py = static_cast<float>(static_cast<float>(y) - mScaleOrigY) * mScaleY;
    float pw = static_cast<float>(theSrcRect.mWidth) * mScaleX;
    float ph = static_cast<float>(theSrcRect.mHeight) * mScaleY;
    Rect dest(static_cast<int>(std::floor(px) + mScaleOrigX),
              static_cast<int>(std::floor(py) + mScaleOrigY), static_cast<int>(std::ceil(pw)),
              static_cast<int>(std::ceil(ph)));
    mDestImage->StretchBlt(theImage, dest, theSrcRect, mClipRect, ImageColor(), mDrawMode,
                           mFastStretch);
}

void Graphics::DrawImageMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect)
{
    if (theImage == nullptr || !SourceInside(theImage, theSrcRect))
        return;
    int x = TransX(theX);
    int y = TransY(theY);
    Rect d = Rect(x, y, theSrcRect.mWidth, theSrcRect.mHeight).Intersection(mClipRect);
    if (d.mWidth <= 0 || d.mHeight <= 0)
        return;
    // Columns cut off on the left of the destination come off the right of the source.
    Rect src(theSrcRect.mX + theSrcRect.mWidth - (d.mX - x) - d.mWidth, theSrcRect.mY + d.mY - y,
             d.mWidth, d.mHeight);
    mDestImage->BltMirror(theImage, d.mX, d.mY, src, ImageColor(), mDrawMode);
}

void Graphics::DrawImageStretched(Image* theImage, int theX, int theY, int theWidth,
                                  int theHeight)
{
    if (theImage == nullptr)
        return;
    mDestImage->StretchBlt(theImage, Rect(TransX(theX), TransY(theY), theWidth, theHeight),
                           Rect(0, 0, theImage->GetWidth(), theImage->GetHeight()), mClipRect,
                           ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageStretchedRegion(Image* theImage, const Rect& theDestRect,
                                        const Rect& theSrcRect)
{
    DrawImageMirrorStretched(theImage, theDestRect, theSrcRect, false);
}

void Graphics::DrawImageMirrorStretched(Image* theImage, const Rect& theDestRect,
                                        const Rect& theSrcRect, bool mirror)
{
    if (theImage == nullptr)
        return;
    Rect dest(TransX(theDestRect.mX), TransY(theDestRect.mY), theDestRect.mWidth,
              theDestRect.mHeight);
    // The blitters read only what lies inside the image.
    Rect src = theSrcRect.Intersection(Rect(0, 0, theImage->GetWidth(), theImage->GetHeight()));
    if (mirror)
        mDestImage->StretchBltMirror(theImage, dest, src, mClipRect, ImageColor(), mDrawMode,
                                     mFastStretch);
    else
        mDestImage->StretchBlt(theImage, dest, src, mClipRect, ImageColor(), mDrawMode,
                               mFastStretch);
}

void Graphics::DrawImageF(Image* theImage, float theX, float theY, const Rect& theSrcRect)
{
    if (theImage == nullptr)
        return;
    mDestImage->BltF(theImage, mTransX + theX, mTransY + theY, theSrcRect, mClipRect,
                     ImageColor(), mDrawMode);
}

void Graphics::DrawImageRotated(Image* theImage, float theX, float theY, float theRotCenterX,
                                float theRotCenterY, const Rect* theSrcRect, double theRot)
{
    if (theImage == nullptr)
        return;
    Rect src = theSrcRect != nullptr ? *theSrcRect
                                     : Rect(0, 0, theImage->GetWidth(), theImage->GetHeight());
    mDestImage->BltRotated(theImage, mTransX + theX, mTransY + theY, src, mClipRect, ImageColor(),
                           mDrawMode, theRot, theRotCenterX, theRotCenterY);
}

void Graphics::DrawImageRotatedInt(Image* theImage, int theX, int theY, int theRotCenterX,
                                   int theRotCenterY, const Rect* theSrcRect, double theRot)
{
    DrawImageRotated(theImage, static_cast<float>(theX), static_cast<float>(theY),
                     static_cast<float>(theRotCenterX), static_cast<float>(theRotCenterY),
                     theSrcRect, theRot);
}

void Graphics::DrawImageMatrix(Image* theImage, const Matrix3& theMatrix, const Rect& theSrcRect,
                               float theX, float theY)
{
    if (theImage == nullptr)
        return;
    mDestImage->BltMatrix(theImage, mTransX + theX, mTransY + theY, theMatrix, mClipRect,
                          ImageColor(), mDrawMode, theSrcRect, mLinearBlend);
}

void Graphics::DrawImageTransformed(Image* theImage, const Transform2D& theTransform,
                                    const Rect& theSrcRect, float theX, float theY, bool subPixel)
{
    if (theImage == nullptr)
        return;
    const float hw = static_cast<float>(theSrcRect.mWidth) * 0.5f;
    const float hh = static_cast<float>(theSrcRect.mHeight) * 0.5f;
    const Transform2D& t = theTransform;

    mIs3D = DrawnBy3D(mDestImage);
    if (t.mUsesMatrix || (mIs3D && subPixel)) {
        Transform2D matrixForm = theTransform;
        DrawImageMatrix(theImage, matrixForm.GetMatrix(), theSrcRect, theX, theY);
        return;
    }
    if (t.mHasRotation) {
        float cx = hw - t.mPreTransX;
        float cy = hh - t.mPreTransY;
        float px = theX + t.mPostTransX - cx + 0.5f;
        float py = theY + t.mPostTransY - cy + 0.5f;
        if (subPixel)
            DrawImageRotated(theImage, px, py, cx, cy, &theSrcRect, t.mAngle);
        else
            DrawImageRotatedInt(theImage, static_cast<int>(px), static_cast<int>(py),
                                static_cast<int>(cx), static_cast<int>(cy), &theSrcRect, t.mAngle);
        return;
    }
    if (t.mHasScale) {
        if (t.mScaleX == -1.0f && t.mScaleY == 1.0f) {
            DrawImageMirror(theImage, static_cast<int>(theX + t.mPreTransX + t.mPostTransX - hw + 0.5f),
                            static_cast<int>(theY + t.mPreTransY + t.mPostTransY - hh + 0.5f),
                            theSrcRect);
            return;
        }
        float sw = t.mScaleX * hw;
        float sh = t.mScaleY * hh;
        Rect dest(static_cast<int>(theX + t.mPostTransX - sw), static_cast<int>(theY + t.mPostTransY - sh),
                  static_cast<int>(2.0f * sw), static_cast<int>(2.0f * sh));
        DrawImageMirrorStretched(theImage, dest, theSrcRect, t.mScaleX == -1.0f);
        return;
    }
    float px = theX + t.mPreTransX + t.mPostTransX - hw + 0.5f;
    float py = theY + t.mPreTransY + t.mPostTransY - hh + 0.5f;
    if (subPixel)
        DrawImageF(theImage, px, py, theSrcRect);
    else
        DrawImageRegion(theImage, static_cast<int>(px), static_cast<int>(py), theSrcRect);
}

void Graphics::DrawImageTransform(Image* theImage, const Transform2D& theTransform, float theX,
                                  float theY)
{
    if (theImage == nullptr)
        return;
    DrawImageTransformed(theImage, theTransform,
                         Rect(0, 0, theImage->GetWidth(), theImage->GetHeight()), theX, theY,
                         false);
}

void Graphics::DrawImageTransformF(Image* theImage, const Transform2D& theTransform, float theX,
                                   float theY)
{
    if (theImage == nullptr)
        return;
    DrawImageTransformed(theImage, theTransform,
                         Rect(0, 0, theImage->GetWidth(), theImage->GetHeight()), theX, theY,
                         true);
}

void Graphics::DrawImageTransformRegion(Image* theImage, const Transform2D& theTransform,
                                        const Rect& theSrcRect, float theX, float theY)
{
    DrawImageTransformed(theImage, theTransform, theSrcRect, theX, theY, false);
}

void Graphics::DrawImageBox(const Rect& theDestRect, Image* theImage)
{
    if (theImage == nullptr)
        return;
    DrawImageBoxRegion(theDestRect, theImage,
                       Rect(0, 0, theImage->GetWidth(), theImage->GetHeight()));
}

void Graphics::DrawImageBoxRegion(const Rect& theDestRect, Image* theImage,
                                  const Rect& theSrcRect)
{
    if (theImage == nullptr || theSrcRect.mWidth < 1 || theSrcRect.mHeight < 1)
        return;
    const Rect& d = theDestRect;
    const Rect& s = theSrcRect;
    const int cw = s.mWidth / 3;
    const int ch = s.mHeight / 3;
    const int mw = s.mWidth - 2 * cw;
    const int mh = s.mHeight - 2 * ch;
    auto tiles = [](int length, int tile) { return length > 0 ? (length + tile - 1) / tile : 0; };

    // Corners, with this context's own clip.
    DrawImageRegion(theImage, d.mX, d.mY, Rect(s.mX, s.mY, cw, ch));
    DrawImageRegion(theImage, d.mX + d.mWidth - cw, d.mY, Rect(s.mX + s.mWidth - cw, s.mY, cw, ch));
    DrawImageRegion(theImage, d.mX, d.mY + d.mHeight - ch,
                    Rect(s.mX, s.mY + s.mHeight - ch, cw, ch));
    DrawImageRegion(theImage, d.mX + d.mWidth - cw, d.mY + d.mHeight - ch,
                    Rect(s.mX + s.mWidth - cw, s.mY + s.mHeight - ch, cw, ch));

    // Top and bottom edges.
    {
        Graphics g(*this);
        g.ClipRect(d.mX + cw, d.mY, d.mWidth - 2 * cw, d.mHeight);
        int n = tiles(d.mWidth - 2 * cw, mw);
        for (int i = 0; i < n; ++i) {
            int x = d.mX + cw + i * mw;
            g.DrawImageRegion(theImage, x, d.mY, Rect(s.mX + cw, s.mY, mw, ch));
            g.DrawImageRegion(theImage, x, d.mY + d.mHeight - ch,
                              Rect(s.mX + cw, s.mY + s.mHeight - ch, mw, ch));
        }
    }
    // Left and right edges.
    {
        Graphics g(*this);
        g.ClipRect(d.mX, d.mY + ch, d.mWidth, d.mHeight - 2 * ch);
        int n = tiles(d.mHeight - 2 * ch, mh);
        for (int i = 0; i < n; ++i) {
            int y = d.mY + ch + i * mh;
            g.DrawImageRegion(theImage, d.mX, y, Rect(s.mX, s.mY + ch, cw, mh));
            g.DrawImageRegion(theImage, d.mX + d.mWidth - cw, y,
                              Rect(s.mX + s.mWidth - cw, s.mY + ch, cw, mh));
        }
    }
    // Centre, column by column.
    {
        Graphics g(*this);
        g.ClipRect(d.mX + cw, d.mY + ch, d.mWidth - 2 * cw, d.mHeight - 2 * ch);
        int nx = tiles(d.mWidth - 2 * cw, mw);
        int ny = tiles(d.mHeight - 2 * ch, mh);
        for (int i = 0; i < nx; ++i)
            for (int j = 0; j < ny; ++j)
                g.DrawImageRegion(theImage, d.mX + cw + i * mw, d.mY + ch + j * mh,
                                  Rect(s.mX + cw, s.mY + ch, mw, mh));
    }
}

void Graphics::DrawImageCel(Image* theImage, int theX, int theY, int theCel)
{
    if (theImage == nullptr || theImage->mNumCols <= 0)
        return;
    DrawImageCelAt(theImage, theX, theY, theCel % theImage->mNumCols,
                   theCel / theImage->mNumCols);
}

void Graphics::DrawImageCelAt(Image* theImage, int theX, int theY, int theColumn, int theRow)
{
    if (theImage == nullptr || theColumn < 0 || theColumn >= theImage->mNumCols || theRow < 0 ||
        theRow >= theImage->mNumRows)
        return;
    int cw = theImage->GetCelWidth();
    int ch = theImage->GetCelHeight();
    DrawImageRegion(theImage, theX, theY, Rect(theColumn * cw, theRow * ch, cw, ch));
}

void Graphics::DrawImageAnim(Image* theImage, int theX, int theY, int theTime)
{
    if (theImage == nullptr)
        return;
    DrawImageCel(theImage, theX, theY, theImage->GetAnimCel(theTime));
}

void Graphics::DrawRotatedAwardImage(Image* theImage, double theRot)
{
    if (theImage == nullptr)
        return;
    DrawImageRotated(theImage, -350.0f, -350.0f, static_cast<float>(theImage->GetWidth() / 2),
                     static_cast<float>(theImage->GetHeight() / 2), nullptr, theRot);
}

} // namespace Quor
