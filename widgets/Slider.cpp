// Slider: thumb placement, the three-slice track, clicks on the track and thumb dragging.
#include "widgets/Slider.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/SliderListener.h"
#include "widgets/WidgetManager.h"

namespace Quor {

Image** Slider::sDefaultThumbImage = nullptr;

Slider::Slider(int id, SliderListener* listener) : mListener(listener), mId(id)
{
    if (sDefaultThumbImage != nullptr)
        mThumbImage = *sDefaultThumbImage;
}

void Slider::SetValue(double value)
{
    if (value < 0.0)
        value = 0.0;
    else if (value > 1.0)
        value = 1.0;
    mVal = value;
    SetDirtyFull();
}

int Slider::GetThumbX() const
{
    const int thumbWidth = mThumbImage != nullptr ? mThumbImage->GetWidth() : 0;
    if (mHorizontal)
        return static_cast<int>((mWidth - thumbWidth) * mVal);
    return (mWidth - thumbWidth) / 2;
}

int Slider::GetThumbY() const
{
    const int thumbHeight = mThumbImage != nullptr ? mThumbImage->GetHeight() : 0;
    if (mHorizontal)
        return (mHeight - thumbHeight) / 2;
    return static_cast<int>((mHeight - thumbHeight) * mVal);
}

void Slider::Draw(Graphics* g)
{
    if (mTrackImage != nullptr) {
        const int imageWidth = mTrackImage->GetWidth();
        const int imageHeight = mTrackImage->GetHeight();
        if (mHorizontal) {
            // Three slices side by side: the ends once, the middle repeated between them.
            const int sliceWidth = imageWidth / 3;
            if (sliceWidth > 0) {
                const int y0 = (mHeight - imageHeight) / 2;
                g->DrawImageRegion(mTrackImage, 0, y0, Rect(0, 0, sliceWidth, imageHeight));
                Graphics middle(*g);
                middle.ClipRect(sliceWidth, y0, mWidth - 2 * sliceWidth, imageHeight);
                const int count = (mWidth - sliceWidth - 1) / sliceWidth;
                for (int i = 0; i < count; ++i)
                    middle.DrawImageRegion(mTrackImage, sliceWidth + i * sliceWidth, y0,
                                           Rect(sliceWidth, 0, sliceWidth, imageHeight));
                g->DrawImageRegion(mTrackImage, mWidth - sliceWidth, y0,
                                   Rect(2 * sliceWidth, 0, sliceWidth, imageHeight));
            }
        } else {
            const int sliceHeight = imageHeight / 3;
            if (sliceHeight > 0) {
                g->DrawImageRegion(mTrackImage, 0, 0, Rect(0, 0, imageWidth, sliceHeight));
                Graphics middle(*g);
                middle.ClipRect(0, sliceHeight, imageWidth, mHeight - 2 * sliceHeight);
                const int count = (mHeight - sliceHeight - 1) / sliceHeight;
                for (int i = 0; i < count; ++i)
                    middle.DrawImageRegion(mTrackImage, 0, sliceHeight + i * sliceHeight,
                                           Rect(0, sliceHeight, imageWidth, sliceHeight));
                g->DrawImageRegion(mTrackImage, 0, mHeight - sliceHeight,
                                   Rect(0, 2 * sliceHeight, imageWidth, sliceHeight));
            }
        }
    }

    if (mFillImage != nullptr && mHorizontal) {
        Graphics fill(*g);
        fill.ClipRect(0, 0, static_cast<int>(mWidth * mVal), mFillImage->GetHeight());
        fill.DrawImage(mFillImage, 0, 0);
    }

    if (mThumbImage != nullptr)
        g->DrawImage(mThumbImage, GetThumbX(), GetThumbY());
}

bool Slider::IsOverThumb(int x, int y) const
{
    if (mThumbImage == nullptr)
        return false;
    if (mHorizontal) {
        const int thumbX = GetThumbX();
        return x >= thumbX && x < thumbX + mThumbImage->GetWidth();
    }
    const int thumbY = GetThumbY();
    return y >= thumbY && y < thumbY + mThumbImage->GetHeight();
}

void Slider::SetAppCursor(int cursor)
{
    QuorAppBase* app = mWidgetManager != nullptr ? mWidgetManager->mApp : nullptr;
    if (app == nullptr)
        app = gQuorAppBase;
    if (app != nullptr)
        app->SetCursor(cursor);
}

void Slider::MouseDown(int x, int y, int clickCount)
{
    (void)clickCount;
    if (IsOverThumb(x, y)) {
        SetAppCursor(2);
        mDragging = true;
        if (mHorizontal)
            mRelX = x - GetThumbX();
        else
            mRelY = y - GetThumbY();
        return;
    }
    // A press on the track jumps there.
    if (mHorizontal) {
        if (mWidth > 0)
            SetValue(static_cast<double>(x) / mWidth);
    } else if (mHeight > 0) {
        SetValue(static_cast<double>(y) / mHeight);
    }
}

void Slider::MouseMove(int x, int y)
{
    SetAppCursor(IsOverThumb(x, y) ? 2 : 0);
}

void Slider::MouseDrag(int x, int y)
{
    if (!mDragging || mThumbImage == nullptr)
        return;
    // A slider no wider (or taller) than its thumb has no range to drag in.
    double value;
    if (mHorizontal) {
        const int range = mWidth - mThumbImage->GetWidth();
        if (range == 0)
            return;
        value = static_cast<double>(x - mRelX) / range;
    } else {
        const int range = mHeight - mThumbImage->GetHeight();
        if (range == 0)
            return;
        value = static_cast<double>(y - mRelY) / range;
    }
    if (value < 0.0)
        value = 0.0;
    else if (value > 1.0)
        value = 1.0;
    if (value == mVal)
        return;
    mVal = value;
    if (mListener != nullptr)
        mListener->SliderValueChanged(mId, mVal);
    SetDirtyFull();
}

void Slider::MouseUpAt(int x, int y)
{
    (void)x;
    (void)y;
    mDragging = false;
    SetAppCursor(0);
    if (mListener != nullptr)
        mListener->SliderValueChanged(mId, mVal);
}

void Slider::MouseLeave()
{
    if (!mDragging)
        SetAppCursor(0);
}

} // namespace Quor
