// ScrollbarWidget: geometry, clamping and reports, arrow and paging auto-repeat, thumb dragging
// and the drawn track and thumb.
#include "widgets/ScrollbarWidget.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ScrollListener.h"
#include "widgets/ScrollbuttonWidget.h"

namespace Quor {

namespace {

constexpr int kPagingRepeatAfter = 24; // the first repeated page comes 25 updates after the press
constexpr int kPagingRepeatReset = 20; // later ones every 5 updates
constexpr int kArrowRepeatAt = 25;     // the first repeated arrow step comes on the 25th tick
constexpr int kMinThumbSize = 8;

Color Grey(int level)
{
    return Color::FromRGB(level, level, level);
}

} // namespace

ScrollbarWidget::ScrollbarWidget(int id, ScrollListener* listener)
    : mUpButton(new ScrollbuttonWidget(0, this)), mDownButton(new ScrollbuttonWidget(1, this)),
      mId(id), mScrollListener(listener)
{
    SetDisabled(true);
    mUpButton->SetDisabled(true);
    mDownButton->SetDisabled(true);
    AddWidget(mUpButton);
    AddWidget(mDownButton);
}

ScrollbarWidget::~ScrollbarWidget()
{
    RemoveAllWidgets(true, false);
}

void ScrollbarWidget::SetDisabledAll(bool disabled)
{
    SetDisabled(disabled);
    mUpButton->SetDisabled(disabled);
    mDownButton->SetDisabled(disabled);
}

void ScrollbarWidget::SetVisibleAll(bool visible)
{
    SetVisible(visible);
    mUpButton->SetVisible(visible);
    mDownButton->SetVisible(visible);
}

void ScrollbarWidget::SetHideWhenNoScroll(bool hide)
{
    mInvisIfNoScroll = hide;
    if (hide)
        SetVisibleAll(false);
}

void ScrollbarWidget::SetMaxValue(double maxValue)
{
    mMaxValue = maxValue;
    ClampValue();
    SetDirty();
}

void ScrollbarWidget::SetPageSize(double pageSize)
{
    mPageSize = pageSize;
    ClampValue();
    SetDirty();
}

void ScrollbarWidget::SetValue(double value)
{
    mValue = value;
    ClampValue();
    if (mScrollListener != nullptr)
        mScrollListener->ScrollPosition(mId, mValue);
    SetDirty();
}

void ScrollbarWidget::SetHorizontal(bool horizontal)
{
    mHorizontal = horizontal;
    mUpButton->mHorizontal = horizontal;
    mDownButton->mHorizontal = horizontal;
}

void ScrollbarWidget::SetArrowStep(int step)
{
    mArrowStep = step;
}

void ScrollbarWidget::ResizeScrollbar(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    if (!mHorizontal) {
        mUpButton->Resize(0, 0, width, width);
        mDownButton->Resize(0, height - width, width, width);
    } else {
        mUpButton->Resize(0, 0, height, height);
        mDownButton->Resize(width - height, 0, height, height);
    }
}

bool ScrollbarWidget::AtEnd()
{
    return mMaxValue - mPageSize - mValue <= 1.0;
}

void ScrollbarWidget::GoToEnd()
{
    mValue = mMaxValue - mPageSize;
    ClampValue();
    SetValue(mValue);
}

int ScrollbarWidget::GetTrackSize()
{
    const int length = mHorizontal ? mWidth : mHeight;
    return length - 2 * mUpButton->mWidth;
}

int ScrollbarWidget::GetThumbSize()
{
    // No extent at all leaves nothing to show (and nothing to divide by).
    if (mMaxValue < mPageSize || mMaxValue <= 0.0)
        return 0;
    const int size = static_cast<int>(GetTrackSize() * mPageSize / mMaxValue + 0.5);
    return size < kMinThumbSize ? kMinThumbSize : size;
}

int ScrollbarWidget::GetThumbPosition()
{
    const int arrow = mUpButton->mWidth;
    const double range = mMaxValue - mPageSize;
    // A maximum equal to the page size leaves no range: the thumb stays at the track start.
    if (range <= 0.0)
        return arrow;
    return static_cast<int>((GetTrackSize() - GetThumbSize()) * mValue / range + 0.5) + arrow;
}

int ScrollbarWidget::ThumbCompare(int x, int y)
{
    const int c = mHorizontal ? x : y;
    const int position = GetThumbPosition();
    if (c < position)
        return -1;
    if (c >= position + GetThumbSize())
        return 1;
    return 0;
}

void ScrollbarWidget::SetThumbPosition(int position)
{
    const int free = GetTrackSize() - GetThumbSize();
    // A thumb that fills the track has nowhere to go: the value stays.
    if (free == 0)
        return;
    SetValue(static_cast<double>(position - mUpButton->mWidth) * (mMaxValue - mPageSize) / free);
}

void ScrollbarWidget::ClampValue()
{
    const double old = mValue;
    if (mValue > mMaxValue - mPageSize)
        mValue = mMaxValue - mPageSize;
    if (mValue < 0.0)
        mValue = 0.0;
    SetDisabledAll(mMaxValue <= mPageSize);
    if (mInvisIfNoScroll)
        SetVisibleAll(mPageSize < mMaxValue);
    if (mValue != old && mScrollListener != nullptr)
        mScrollListener->ScrollPosition(mId, mValue);
}

void ScrollbarWidget::SetThumbImages(Image* normal, Image* hover, Image* pressed)
{
    mThumbImage = normal;
    mThumbHoverImage = hover;
    mThumbPressedImage = pressed;
}

void ScrollbarWidget::SetInvisibleArrows()
{
    mOwnerDraws = true;
    mUpButton->mBtnNoDraw = true;
    mDownButton->mBtnNoDraw = true;
    mUpButton->SetPositionSource(&mX, &mY);
    mDownButton->SetPositionSource(&mX, &mY);
}

void ScrollbarWidget::Update()
{
    Widget::Update();
    if (mUpdateMode == PAGING_NONE)
        return;
    const bool back = mUpdateMode == PAGING_BACK;
    if (ThumbCompare(mLastMouseX, mLastMouseY) != (back ? -1 : 1)) {
        // The thumb has reached the pointer.
        mUpdateMode = PAGING_NONE;
        SetDirty();
        return;
    }
    if (++mUpdateAcc > kPagingRepeatAfter) {
        SetValue(back ? mValue - mPageSize : mValue + mPageSize);
        mUpdateAcc = kPagingRepeatReset;
    }
}

void ScrollbarWidget::MouseEnter()
{
    mMouseOver = true;
}

void ScrollbarWidget::MouseLeave()
{
    mMouseOver = false;
}

void ScrollbarWidget::MouseDownButton(int x, int y, int button, int clickCount)
{
    (void)button;
    (void)clickCount;
    if (mScrollListener != nullptr)
        mScrollListener->ScrollbarPressed(mId, mValue);
    if (!mDisabled) {
        mPressed = true;
        switch (ThumbCompare(x, y)) {
        case -1:
            SetValue(mValue - mPageSize);
            mUpdateMode = PAGING_BACK;
            mUpdateAcc = 0;
            break;
        case 0:
            mPressedOnThumb = true;
            mMouseDownThumbPos = GetThumbPosition();
            mMouseDownX = x;
            mMouseDownY = y;
            break;
        default:
            SetValue(mValue + mPageSize);
            mUpdateMode = PAGING_FORWARD;
            mUpdateAcc = 0;
            break;
        }
    }
    mLastMouseX = x;
    mLastMouseY = y;
}

void ScrollbarWidget::MouseDrag(int x, int y)
{
    if (mPressedOnThumb) {
        if (mHorizontal)
            SetThumbPosition(mMouseDownThumbPos - mMouseDownX + x);
        else
            SetThumbPosition(mMouseDownThumbPos - mMouseDownY + y);
    }
    mLastMouseX = x;
    mLastMouseY = y;
}

void ScrollbarWidget::MouseUpButton(int x, int y, int button, int clickCount)
{
    (void)x;
    (void)y;
    (void)button;
    (void)clickCount;
    mUpdateMode = PAGING_NONE;
    mPressedOnThumb = false;
    mPressed = false;
    if (mScrollListener != nullptr)
        mScrollListener->ScrollbarReleased(mId, mValue);
    SetDirty();
}

void ScrollbarWidget::ArrowStep(int arrowId)
{
    SetValue(arrowId == 0 ? mValue - mArrowStep : mValue + mArrowStep);
}

void ScrollbarWidget::ButtonPress(int id)
{
    mButtonAcc = 0;
    ArrowStep(id);
    if (mScrollListener != nullptr)
        mScrollListener->ScrollArrowStep(mId, mValue);
}

void ScrollbarWidget::ButtonDownTick(int id)
{
    if (++mButtonAcc >= kArrowRepeatAt) {
        ArrowStep(id);
        mButtonAcc = kArrowRepeatAt - 1;
    }
    if (mScrollListener != nullptr)
        mScrollListener->ScrollArrowStep(mId, mValue);
}

void ScrollbarWidget::Draw(Graphics* g)
{
    DrawContent(g, mOwnerDraws);
}

void ScrollbarWidget::DrawIfVisible(Graphics* g)
{
    if (!mVisible)
        return;
    mUpButton->DrawAtOwner(g);
    mDownButton->DrawAtOwner(g);
    Graphics copy(*g);
    copy.Translate(mX, mY);
    DrawContent(&copy, false);
}

void ScrollbarWidget::DrawContent(Graphics* g, bool skip)
{
    if (skip)
        return;
    const int position = GetThumbPosition();
    const int size = GetThumbSize();
    if (mThumbImage != nullptr) {
        if (!mHorizontal)
            DrawThumb(g, 0, position, mWidth, size);
        else
            DrawThumb(g, position, 0, size, mHeight);
        return;
    }
    if (!mHorizontal) {
        g->SetColor(Grey(mUpdateMode == PAGING_BACK ? 48 : 232));
        g->FillRect(0, 0, mWidth, position);
        if (size > 0)
            DrawThumb(g, 0, position, mWidth, size);
        g->SetColor(Grey(mUpdateMode == PAGING_FORWARD ? 48 : 232));
        g->FillRect(0, position + size, mWidth, mHeight - position - size);
    } else {
        g->SetColor(Grey(mUpdateMode == PAGING_BACK ? 48 : 232));
        g->FillRect(0, 0, position, mHeight);
        if (size > 0)
            DrawThumb(g, position, 0, size, mHeight);
        g->SetColor(Grey(mUpdateMode == PAGING_FORWARD ? 48 : 232));
        g->FillRect(position + size, 0, mWidth - position - size, mHeight);
    }
}

void ScrollbarWidget::DrawThumb(Graphics* g, int x, int y, int width, int height)
{
    if (mThumbImage == nullptr) {
        g->SetColor(Grey(212));
        g->FillRect(x, y, width, height);
        g->SetColor(Color::FromRGB(255, 255, 255));
        g->FillRect(x + 1, y + 1, width - 2, 1);
        g->FillRect(x + 1, y + 1, 1, height - 2);
        g->SetColor(Color::Black);
        g->FillRect(x, y + height - 1, width, 1);
        g->FillRect(x + width - 1, y, 1, height);
        g->SetColor(Grey(132));
        g->FillRect(x + 1, y + height - 2, width - 2, 1);
        g->FillRect(x + width - 2, y + 1, 1, height - 2);
        return;
    }
    const Rect box(x, y, width, height);
    if (mPressed && mThumbPressedImage != nullptr)
        g->DrawImageBox(box, mThumbPressedImage);
    else if (!mPressed && mMouseOver && mThumbHoverImage != nullptr)
        g->DrawImageBox(box, mThumbHoverImage);
    else if (!mPressed && !mMouseOver && width > 0 && height > 0 && x >= 0 && y >= 0)
        g->DrawImageBox(box, mThumbImage);
}

} // namespace Quor
