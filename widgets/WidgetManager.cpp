// WidgetManager: the widget list, input state, mouse mapping and modal stack.
#include "widgets/WidgetManager.h"

#include "widgets/Widget.h"

#include <algorithm>

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

} // namespace

WidgetManager::WidgetManager(QuorAppBase* app) : mApp(app) {}

WidgetManager::~WidgetManager()
{
    for (Widget* widget : mWidgets)
        widget->mWidgetManager = nullptr;
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
    if (mMouseSourceRect.mWidth != 0)
        x = (x - mMouseSourceRect.mX) * mMouseDestRect.mWidth / mMouseSourceRect.mWidth +
            mMouseDestRect.mX;
    if (mMouseSourceRect.mHeight != 0)
        y = (y - mMouseSourceRect.mY) * mMouseDestRect.mHeight / mMouseSourceRect.mHeight +
            mMouseDestRect.mY;
}

bool WidgetManager::UpdateFrame()
{
    ++mUpdateCnt;
    // A widget may remove itself while it updates: walk a copy.
    std::list<Widget*> widgets = mWidgets;
    for (Widget* widget : widgets)
        if (HasWidget(widget) && widget->mVisible)
            widget->Update();
    for (Widget* widget : mWidgets)
        if (widget->mDirty)
            mDirty = true;
    return mDirty;
}

bool WidgetManager::DrawScreen()
{
    // Drawing the tree needs the drawing context over the screen image; until a widget draws
    // itself nothing is drawn and nothing is reported as drawn.
    return false;
}

bool WidgetManager::MouseMove(int x, int y)
{
    mLastInputUpdateCnt = mUpdateCnt;
    mMouseIn = true;
    mLastMouseX = x;
    mLastMouseY = y;
    return true;
}

bool WidgetManager::MouseDown(int x, int y, int clickCount)
{
    mLastInputUpdateCnt = mUpdateCnt;
    int bit = ButtonBit(clickCount);
    mActualDownButtons |= bit;
    mLastMouseX = x;
    mLastMouseY = y;
    mDownButtons |= bit;
    mLastDownButtonId = clickCount < 0 ? -1 : (clickCount == 3 ? 2 : 1);
    return true;
}

bool WidgetManager::MouseUp(int x, int y, int clickCount)
{
    mLastInputUpdateCnt = mUpdateCnt;
    int bit = ButtonBit(clickCount);
    mActualDownButtons &= ~bit;
    mDownButtons &= ~bit;
    mLastMouseX = x;
    mLastMouseY = y;
    return true;
}

bool WidgetManager::MouseWheel(int delta)
{
    (void)delta;
    mLastInputUpdateCnt = mUpdateCnt;
    return true;
}

bool WidgetManager::MouseExit()
{
    mLastInputUpdateCnt = mUpdateCnt;
    mMouseIn = false;
    return true;
}

bool WidgetManager::KeyDown(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < 255)
        mKeyDown[key] = true;
    return true;
}

bool WidgetManager::KeyUp(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < 255)
        mKeyDown[key] = false;
    return true;
}

bool WidgetManager::KeyChar(char c)
{
    (void)c;
    mLastInputUpdateCnt = mUpdateCnt;
    return true;
}

void WidgetManager::GotFocus()
{
    mHasFocus = true;
}

void WidgetManager::LostFocus()
{
    mHasFocus = false;
    for (int key = 0; key < 255; ++key)
        if (mKeyDown[key])
            KeyUp(key);
}

void WidgetManager::ReleaseMouseCapture()
{
    mDownButtons = 0;
}

void WidgetManager::AddBaseModal(Widget* widget)
{
    mModalStack.push_back(widget);
    mBaseModalWidget = widget;
}

void WidgetManager::RemoveBaseModal(Widget* widget)
{
    auto it = std::find(mModalStack.begin(), mModalStack.end(), widget);
    if (it != mModalStack.end())
        mModalStack.erase(it);
    mBaseModalWidget = mModalStack.empty() ? nullptr : mModalStack.back();
}

void WidgetManager::AddWidget(Widget* widget)
{
    if (!widget || HasWidget(widget))
        return;
    mWidgets.push_back(widget);
    widget->mWidgetManager = this;
    widget->SetDirty();
}

void WidgetManager::RemoveWidget(Widget* widget)
{
    auto it = std::find(mWidgets.begin(), mWidgets.end(), widget);
    if (it == mWidgets.end())
        return;
    mWidgets.erase(it);
    widget->mWidgetManager = nullptr;
    if (mBaseModalWidget == widget)
        RemoveBaseModal(widget);
    mDirty = true;
}

bool WidgetManager::HasWidget(Widget* widget) const
{
    return std::find(mWidgets.begin(), mWidgets.end(), widget) != mWidgets.end();
}

void WidgetManager::SetAllDirty()
{
    mDirty = true;
    for (Widget* widget : mWidgets)
        widget->SetDirty();
}

void WidgetManager::ChangedAll()
{
    SetAllDirty();
}

} // namespace Quor
