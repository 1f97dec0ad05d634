// WidgetManager: input dispatch, hover and capture, focus, the modal stack and screen drawing.
#include "widgets/WidgetManager.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "widgets/Widget.h"

#include "display/DDImage.h"

#include <cstdint>

namespace Quor {

namespace {

// Click counts map to button bits: negative counts right (2), 3 middle (4), others left (1).
int ButtonBit(int clickCount)
{
    if (clickCount < 0)
        return 2;
    if (clickCount == 3)
        return 4;
    return 1;
}

// Clears the manager pointer of a whole subtree.
void ForgetManager(WidgetContainer* container)
{
    for (Widget* child : container->mWidgets) {
        child->mWidgetManager = nullptr;
        ForgetManager(child);
    }
}

} // namespace

WidgetManager::WidgetManager(QuorAppBase* app) : mApp(app)
{
    mWidgetManager = this;
}

WidgetManager::~WidgetManager()
{
    // Screens may outlive the manager: they must not reach it any more.
    ForgetManager(this);
    mPreModalInfoList.clear();
    mDeferredOverlayWidgets.clear();
}

void WidgetManager::SetMouseMapping(const Rect& source, const Rect& destination)
{
    mMouseSourceRect = source;
    mMouseDestRect = destination;
    mWidth = destination.mWidth + 2 * destination.mX;
    mHeight = destination.mHeight + 2 * destination.mY;
}

void WidgetManager::MapMousePoint(int& x, int& y) const
{
    // An axis whose source has no extent (no mapping set yet) is left as it is.
    if (mMouseSourceRect.mWidth != 0)
        x = static_cast<int>(int64_t(x - mMouseSourceRect.mX) * mMouseDestRect.mWidth /
                             mMouseSourceRect.mWidth) +
            mMouseDestRect.mX;
    if (mMouseSourceRect.mHeight != 0)
        y = static_cast<int>(int64_t(y - mMouseSourceRect.mY) * mMouseDestRect.mHeight /
                             mMouseSourceRect.mHeight) +
            mMouseDestRect.mY;
}

int WidgetManager::GetWidgetFlags() const
{
    return mHasFocus ? mWidgetFlags : mLostFocusFlagsMod.Apply(mWidgetFlags);
}

Widget* WidgetManager::GetAnyWidgetAt(int x, int y, int* localX, int* localY)
{
    return FindWidget(x, y, GetWidgetFlags(), localX, localY);
}

Widget* WidgetManager::GetWidgetAt(int x, int y, int* localX, int* localY)
{
    Widget* widget = GetAnyWidgetAt(x, y, localX, localY);
    if (widget != nullptr && widget->mDisabled)
        return nullptr;
    return widget;
}

void WidgetManager::EnterWidget(Widget* widget)
{
    widget->mIsOver = true;
    widget->MouseEnter();
    if (widget->mDoFinger)
        widget->ShowFinger(true);
}

void WidgetManager::LeaveWidget(Widget* widget)
{
    widget->mIsOver = false;
    widget->MouseLeave();
    if (widget->mDoFinger)
        widget->ShowFinger(false);
}

void WidgetManager::ReleaseButtons(Widget* widget, int buttons)
{
    static const int kClickCounts[3] = {1, -1, 3};
    for (int i = 0; i < 3; ++i) {
        if (!(buttons & (1 << i)))
            continue;
        widget->mIsDown = false;
        Point pos = widget->GetAbsPos();
        widget->MouseUp(mLastMouseX - pos.mX, mLastMouseY - pos.mY, kClickCounts[i]);
    }
}

void WidgetManager::DisableWidget(Widget* widget)
{
    if (mOverWidget == widget) {
        mOverWidget = nullptr;
        LeaveWidget(widget);
    }
    if (mLastDownWidget == widget) {
        const int buttons = mDownButtons;
        mLastDownWidget = nullptr;
        mDownButtons = 0;
        ReleaseButtons(widget, buttons);
    }
    if (mFocusWidget == widget) {
        mFocusWidget = nullptr;
        widget->LostFocus();
    }
    if (mBaseModalWidget == widget)
        mBaseModalWidget = nullptr;
}

void WidgetManager::SetFocus(Widget* widget)
{
    if (widget == mFocusWidget)
        return;
    Widget* old = mFocusWidget;
    mFocusWidget = nullptr;
    if (old != nullptr)
        old->LostFocus();
    if (widget != nullptr && widget->mWidgetManager == this) {
        mFocusWidget = widget;
        if (mHasFocus)
            widget->GotFocus();
    }
}

void WidgetManager::RemovePopup()
{
    if (mPopupCommandWidget == nullptr)
        return;
    Widget* popup = mPopupCommandWidget;
    mPopupCommandWidget = nullptr;
    RemoveWidget(popup);
}

// ---- Hover and capture ----

void WidgetManager::MousePosition(int x, int y)
{
    const int oldX = mLastMouseX;
    const int oldY = mLastMouseY;
    mLastMouseX = x;
    mLastMouseY = y;

    int localX = 0;
    int localY = 0;
    Widget* widget = GetWidgetAt(x, y, &localX, &localY);
    if (widget == mOverWidget) {
        if ((x == oldX && y == oldY) || widget == nullptr)
            return;
    } else {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        if (old != nullptr)
            LeaveWidget(old);
        mOverWidget = widget;
        if (widget == nullptr)
            return;
        EnterWidget(widget);
    }
    widget->MouseMove(localX, localY);
}

void WidgetManager::RehupMouse()
{
    if (mLastDownWidget == nullptr) {
        if (mMouseIn)
            MousePosition(mLastMouseX, mLastMouseY);
    } else if (mOverWidget != nullptr) {
        if (GetWidgetAt(mLastMouseX, mLastMouseY, nullptr, nullptr) != mLastDownWidget) {
            Widget* old = mOverWidget;
            mOverWidget = nullptr;
            LeaveWidget(old);
        }
    }
}

bool WidgetManager::MouseMove(int x, int y)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (mDownButtons != 0) {
        MouseDrag(x, y);
        return true;
    }
    mMouseIn = true;
    MousePosition(x, y);
    return true;
}

void WidgetManager::MouseDrag(int x, int y)
{
    mMouseIn = true;
    mLastMouseX = x;
    mLastMouseY = y;
    if (mOverWidget != nullptr && mOverWidget != mLastDownWidget) {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    if (mLastDownWidget == nullptr)
        return;
    Point pos = mLastDownWidget->GetAbsPos();
    mLastDownWidget->MouseDrag(x - pos.mX, y - pos.mY);
    // The drag may have released or removed the holder.
    if (mLastDownWidget == nullptr)
        return;
    if (GetWidgetAt(x, y, nullptr, nullptr) == mLastDownWidget) {
        if (mOverWidget == nullptr) {
            mOverWidget = mLastDownWidget;
            EnterWidget(mOverWidget);
        }
    } else if (mOverWidget != nullptr) {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
}

bool WidgetManager::MouseDown(int x, int y, int clickCount)
{
    mLastInputUpdateCnt = mUpdateCnt;
    const int bit = ButtonBit(clickCount);
    mActualDownButtons |= bit;
    MousePosition(x, y);

    if (mPopupCommandWidget != nullptr && !mPopupCommandWidget->Contains(x, y))
        RemovePopup();

    int localX = 0;
    int localY = 0;
    Widget* widget = GetWidgetAt(x, y, &localX, &localY);
    if (mLastDownWidget != nullptr) {
        // The holder keeps the mouse while any button is down; it gets the point in its own
        // coordinates, as its drags and releases do.
        widget = mLastDownWidget;
        Point pos = widget->GetAbsPos();
        localX = x - pos.mX;
        localY = y - pos.mY;
    }

    mDownButtons |= bit;
    mLastDownButtonId = clickCount < 0 ? -1 : (clickCount == 3 ? 2 : 1);
    mLastDownWidget = widget;

    if (widget != nullptr) {
        if (widget->WantsFocus())
            SetFocus(widget);
        widget->mIsDown = true;
        widget->MouseDown(localX, localY, clickCount);
    }
    return true;
}

bool WidgetManager::MouseUp(int x, int y, int clickCount)
{
    mLastInputUpdateCnt = mUpdateCnt;
    const int bit = ButtonBit(clickCount);
    mActualDownButtons &= ~bit;

    if (mLastDownWidget != nullptr && (mDownButtons & bit)) {
        Widget* widget = mLastDownWidget;
        mDownButtons &= ~bit;
        if (mDownButtons == 0)
            mLastDownWidget = nullptr;
        widget->mIsDown = false;
        Point pos = widget->GetAbsPos();
        widget->MouseUp(x - pos.mX, y - pos.mY, clickCount);
    } else {
        mDownButtons &= ~bit;
    }

    MousePosition(x, y);
    return true;
}

bool WidgetManager::MouseExit()
{
    mLastInputUpdateCnt = mUpdateCnt;
    mMouseIn = false;
    if (mOverWidget != nullptr) {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    return true;
}

bool WidgetManager::MouseWheel(int delta)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (mFocusWidget != nullptr)
        mFocusWidget->MouseWheel(delta);
    return true;
}

void WidgetManager::ReleaseMouseCapture()
{
    Widget* widget = mLastDownWidget;
    const int buttons = mDownButtons;
    mDownButtons = 0;
    mLastDownWidget = nullptr;
    if (widget != nullptr && buttons != 0)
        ReleaseButtons(widget, buttons);
}

// ---- Keyboard and window focus ----

bool WidgetManager::KeyDown(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < 255)
        mKeyDown[key] = true;
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyDown(key);
    return true;
}

bool WidgetManager::KeyUp(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < 255)
        mKeyDown[key] = false;
    if (key == 9 && mKeyDown[17])
        return true;
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyUp(key);
    return true;
}

bool WidgetManager::KeyChar(char c)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (c == 9 && mKeyDown[17]) {
        if (mDefaultTab != nullptr)
            mDefaultTab->KeyChar(c);
        return true;
    }
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyChar(c);
    return true;
}

void WidgetManager::GotFocus()
{
    if (mHasFocus)
        return;
    mHasFocus = true;
    if (mFocusWidget != nullptr)
        mFocusWidget->GotFocus();
}

void WidgetManager::LostFocus()
{
    if (!mHasFocus)
        return;
    mActualDownButtons = 0;
    for (int key = 0; key < 255; ++key)
        if (mKeyDown[key])
            KeyUp(key);
    mHasFocus = false;
    if (mFocusWidget != nullptr)
        mFocusWidget->LostFocus();
}

// ---- Modal widgets ----

void WidgetManager::AddBaseModal(Widget* widget, const FlagsMod& belowFlags)
{
    PreModalInfo info;
    info.mBaseModalWidget = widget;
    info.mPrevBaseModalWidget = mBaseModalWidget;
    info.mPrevFocusWidget = mFocusWidget;
    info.mPrevBelowModalFlagsMod = mBelowModalFlagsMod;
    mPreModalInfoList.push_back(info);
    SetBaseModal(widget, belowFlags);
}

void WidgetManager::AddBaseModal(Widget* widget)
{
    AddBaseModal(widget, mDefaultBelowModalFlagsMod);
}

void WidgetManager::SetBaseModal(Widget* widget, const FlagsMod& belowFlags)
{
    mBaseModalWidget = widget;
    mBelowModalFlagsMod = belowFlags;

    if (mOverWidget != nullptr && (belowFlags.mRemoveFlags & WIDGETFLAGS_ALLOW_MOUSE) &&
        IsBelow(mOverWidget, widget)) {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    if (mLastDownWidget != nullptr && (belowFlags.mRemoveFlags & WIDGETFLAGS_ALLOW_MOUSE) &&
        IsBelow(mLastDownWidget, widget)) {
        Widget* old = mLastDownWidget;
        const int buttons = mDownButtons;
        mLastDownWidget = nullptr;
        mDownButtons = 0;
        ReleaseButtons(old, buttons);
    }
    if (mFocusWidget != nullptr && (belowFlags.mRemoveFlags & WIDGETFLAGS_ALLOW_FOCUS) &&
        IsBelow(mFocusWidget, widget)) {
        Widget* old = mFocusWidget;
        mFocusWidget = nullptr;
        old->LostFocus();
    }
}

void WidgetManager::RemoveBaseModal(Widget* widget)
{
    if (mPreModalInfoList.empty() || mPreModalInfoList.back().mBaseModalWidget != widget)
        return;
    while (!mPreModalInfoList.empty()) {
        PreModalInfo info = mPreModalInfoList.back();
        // An entry whose predecessor was removed restores nothing useful: go on to the next.
        const bool goOn = info.mPrevBaseModalWidget == nullptr && mPreModalInfoList.size() > 1;
        SetBaseModal(info.mPrevBaseModalWidget, info.mPrevBelowModalFlagsMod);
        if (mFocusWidget == nullptr) {
            mFocusWidget = info.mPrevFocusWidget;
            if (mFocusWidget != nullptr)
                mFocusWidget->GotFocus();
        }
        mPreModalInfoList.pop_back();
        if (!goOn)
            break;
    }
}

void WidgetManager::ForgetModalWidget(Widget* widget)
{
    // The default tab widget is forgotten with it too: a removed widget may be freed, and
    // Control+Tab would reach it.
    if (mDefaultTab == widget)
        mDefaultTab = nullptr;
    for (PreModalInfo& info : mPreModalInfoList) {
        if (info.mPrevBaseModalWidget == widget)
            info.mPrevBaseModalWidget = nullptr;
        if (info.mPrevFocusWidget == widget)
            info.mPrevFocusWidget = nullptr;
    }
}

// ---- Per frame ----

void WidgetManager::InitModalFlags(ModalFlags* flags) const
{
    flags->mOverFlags = GetWidgetFlags();
    flags->mUnderFlags = mBelowModalFlagsMod.Apply(flags->mOverFlags);
    flags->mIsOver = mBaseModalWidget == nullptr;
}

bool WidgetManager::UpdateFrame()
{
    ModalFlags flags;
    InitModalFlags(&flags);
    ++mUpdateCnt;
    mLastWMUpdateCount = mUpdateCnt;
    UpdateAll(&flags);
    return mDirty;
}

bool WidgetManager::UpdateFrameF(float fraction)
{
    ModalFlags flags;
    InitModalFlags(&flags);
    UpdateFAll(&flags, fraction);
    return mDirty;
}

bool WidgetManager::DrawScreen()
{
    ModalFlags flags;
    InitModalFlags(&flags);

    int dirtyCount = 0;
    for (Widget* widget : mWidgets)
        if (widget->mDirty)
            ++dirtyCount;
    // What was marked dirty up to now is drawn below: the next update reports only new changes.
    mDirty = false;

    mMinDeferredOverlayPriority = NO_OVERLAY_PRIORITY;
    mDeferredOverlayWidgets.clear();

    Graphics screenG(mImage);
    mCurG = &screenG;
    DDImage* displayImage = dynamic_cast<DDImage*>(mImage);
    const bool surfaceLocked = displayImage != nullptr && displayImage->LockSurface();

    bool drew = false;
    if (dirtyCount > 0) {
        Graphics mappedG(screenG);
        mappedG.Translate(-mMouseDestRect.mX, -mMouseDestRect.mY);
        const bool is3D = mApp != nullptr && mApp->Is3DAccelerated();
        for (Widget* widget : mWidgets) {
            if (widget == mBaseModalWidget)
                flags.mIsOver = true;
            if (!widget->mDirty || !widget->mVisible)
                continue;
            Graphics widgetG(mappedG);
            widgetG.SetFastStretch(!is3D);
            widgetG.SetLinearBlend(is3D);
            widgetG.Translate(widget->mX, widget->mY);
            widget->DrawAll(&flags, &widgetG);
            drew = true;
            widget->mDirty = false;
        }
    }

    FlushDeferredOverlayWidgets(NO_OVERLAY_PRIORITY);

    if (surfaceLocked)
        displayImage->UnlockSurface();
    mCurG = nullptr;
    return drew;
}

void WidgetManager::DeferOverlay(Widget* widget, int priority)
{
    if (widget == nullptr)
        return;
    mDeferredOverlayWidgets.emplace_back(widget, priority);
    if (priority < mMinDeferredOverlayPriority)
        mMinDeferredOverlayPriority = priority;
}

void WidgetManager::FlushDeferredOverlayWidgets(int maxPriority)
{
    if (mCurG == nullptr)
        return;
    for (;;) {
        int nextMin = NO_OVERLAY_PRIORITY;
        // By index: an overlay may defer further overlays while it draws.
        for (size_t i = 0; i < mDeferredOverlayWidgets.size(); ++i) {
            Widget* widget = mDeferredOverlayWidgets[i].first;
            const int priority = mDeferredOverlayWidgets[i].second;
            if (widget == nullptr)
                continue;
            if (priority == mMinDeferredOverlayPriority) {
                mDeferredOverlayWidgets[i].first = nullptr;
                Graphics overlayG(*mCurG);
                overlayG.Translate(-mMouseDestRect.mX, -mMouseDestRect.mY);
                overlayG.Translate(widget->mX, widget->mY);
                overlayG.SetFastStretch(!overlayG.mIs3D);
                overlayG.SetLinearBlend(overlayG.mIs3D);
                widget->DrawOverlayAt(&overlayG, priority);
            } else if (priority < nextMin) {
                nextMin = priority;
            }
        }
        mMinDeferredOverlayPriority = nextMin;
        if (nextMin == NO_OVERLAY_PRIORITY) {
            mDeferredOverlayWidgets.clear();
            return;
        }
        if (maxPriority <= nextMin)
            return;
    }
}

} // namespace Quor
