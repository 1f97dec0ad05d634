// WidgetContainer: child order, removal during the update walk, dirty marking and the walks.
#include "widgets/WidgetContainer.h"

#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace Quor {

WidgetContainer::WidgetContainer() : mUpdateIterator(mWidgets.end()) {}

WidgetContainer::~WidgetContainer()
{
    // The children are not ours to delete, but they must not point back at us.
    for (Widget* child : mWidgets)
        child->mParent = nullptr;
}

Rect WidgetContainer::GetRect()
{
    return Rect(mX, mY, mWidth, mHeight);
}

bool WidgetContainer::Intersects(WidgetContainer* other)
{
    Rect overlap = GetRect().Intersection(other->GetRect());
    return overlap.mWidth > 0 && overlap.mHeight > 0;
}

WidgetList::iterator WidgetContainer::FindChild(Widget* widget)
{
    return std::find(mWidgets.begin(), mWidgets.end(), widget);
}

bool WidgetContainer::HasWidget(Widget* widget)
{
    return FindChild(widget) != mWidgets.end();
}

void WidgetContainer::InsertWidgetHelper(WidgetList::iterator where, Widget* widget)
{
    auto it = where;
    while (it != mWidgets.end() && (*it)->mZOrder < widget->mZOrder)
        ++it;
    if (it != mWidgets.end() &&
        (it == mWidgets.begin() || (*it)->mZOrder == widget->mZOrder)) {
        mWidgets.insert(it, widget);
        return;
    }
    while (it != mWidgets.begin()) {
        --it;
        if ((*it)->mZOrder <= widget->mZOrder) {
            mWidgets.insert(std::next(it), widget);
            return;
        }
    }
    mWidgets.push_front(widget);
}

void WidgetContainer::UnlinkChild(WidgetList::iterator it)
{
    if (mUpdateIterator == it) {
        ++mUpdateIterator;
        mUpdateIteratorModified = true;
    }
    mWidgets.erase(it);
}

void WidgetContainer::AddWidget(Widget* widget)
{
    if (widget == nullptr || HasWidget(widget))
        return;
    InsertWidgetHelper(mWidgets.end(), widget);
    widget->mWidgetManager = mWidgetManager;
    widget->mParent = this;
    if (mWidgetManager != nullptr) {
        widget->AddedToManager(mWidgetManager);
        widget->SetDirtyFull();
        mWidgetManager->RehupMouse();
    }
    SetDirty();
}

void WidgetContainer::DetachFromManager(Widget* widget, WidgetManager* manager)
{
    for (Widget* child : widget->mWidgets)
        DetachFromManager(child, manager);
    manager->DisableWidget(widget);
    manager->ForgetModalWidget(widget);
}

void WidgetContainer::RemoveWidget(Widget* widget)
{
    auto it = FindChild(widget);
    if (it == mWidgets.end())
        return;
    if (WidgetManager* manager = widget->mWidgetManager) {
        DetachFromManager(widget, manager);
        widget->RemovedFromManager(manager);
        widget->SetDirtyFullChild(widget);
        widget->mWidgetManager = nullptr;
    }
    widget->mParent = nullptr;
    // The hooks above may have reordered the list: look the widget up again.
    it = FindChild(widget);
    if (it != mWidgets.end())
        UnlinkChild(it);
}

void WidgetContainer::DisableWidget(Widget* widget)
{
    (void)widget;
}

void WidgetContainer::RemoveAllWidgets(bool deleteWidgets, bool recursive)
{
    while (!mWidgets.empty()) {
        Widget* child = mWidgets.front();
        RemoveWidget(child);
        if (recursive)
            child->RemoveAllWidgets(deleteWidgets, recursive);
        if (deleteWidgets)
            delete child;
    }
}

void WidgetContainer::SetFocus(Widget* widget)
{
    (void)widget;
}

namespace {

// Depth-first search for a or b; *found is set once either is met.
bool IsBelowHelper(WidgetContainer* container, Widget* a, Widget* b, bool* found)
{
    for (Widget* child : container->mWidgets) {
        if (child == a) {
            *found = true;
            return true;
        }
        if (child == b) {
            *found = true;
            return false;
        }
        bool result = IsBelowHelper(child, a, b, found);
        if (*found)
            return result;
    }
    return false;
}

} // namespace

bool WidgetContainer::IsBelow(Widget* a, Widget* b)
{
    bool found = false;
    return IsBelowHelper(this, a, b, &found);
}

void WidgetContainer::SetAllDirty()
{
    SetDirty();
    for (Widget* child : mWidgets) {
        child->mDirty = true;
        child->SetAllDirty();
    }
}

void WidgetContainer::BringToFront(Widget* widget)
{
    auto it = FindChild(widget);
    if (it == mWidgets.end())
        return;
    UnlinkChild(it);
    InsertWidgetHelper(mWidgets.end(), widget);
    widget->OrderChanged();
}

void WidgetContainer::BringToBack(Widget* widget)
{
    auto it = FindChild(widget);
    if (it == mWidgets.end())
        return;
    UnlinkChild(it);
    InsertWidgetHelper(mWidgets.begin(), widget);
    widget->OrderChanged();
}

void WidgetContainer::PutBehind(Widget* widget, Widget* ref)
{
    auto it = FindChild(widget);
    if (it == mWidgets.end())
        return;
    UnlinkChild(it);
    InsertWidgetHelper(FindChild(ref), widget);
    widget->OrderChanged();
}

void WidgetContainer::PutInFront(Widget* widget, Widget* ref)
{
    auto it = FindChild(widget);
    if (it == mWidgets.end())
        return;
    UnlinkChild(it);
    auto where = FindChild(ref);
    if (where != mWidgets.end())
        ++where;
    InsertWidgetHelper(where, widget);
    widget->OrderChanged();
}

Point WidgetContainer::GetAbsPos()
{
    if (mParent == nullptr)
        return Point{mX, mY};
    Point parent = mParent->GetAbsPos();
    return Point{mX + parent.mX, mY + parent.mY};
}

void WidgetContainer::SetDirtyChild(Widget* child)
{
    if (child->mDirty)
        return;
    SetDirty();
    child->mDirty = true;
    if (mParent != nullptr)
        return;
    if (child->mHasAlpha) {
        SetDirtyFullChild(child);
        return;
    }
    auto it = FindChild(child);
    if (it == mWidgets.end())
        return;
    for (++it; it != mWidgets.end(); ++it) {
        Widget* above = *it;
        if (above->mVisible && above->Intersects(child))
            SetDirtyChild(above);
    }
}

void WidgetContainer::SetDirty()
{
    if (mParent != nullptr)
        mParent->SetDirtyChild(static_cast<Widget*>(this));
    else
        mDirty = true;
}

void WidgetContainer::SetDirtyFullChild(Widget* child)
{
    SetDirtyFull();
    child->mDirty = true;
    if (mParent != nullptr)
        return;
    auto pos = FindChild(child);
    if (pos == mWidgets.end())
        return;
    Rect area = child->GetRect().Intersection(Rect(0, 0, mWidth, mHeight));
    for (auto it = pos; it != mWidgets.begin();) {
        --it;
        Widget* below = *it;
        if (!below->mVisible)
            continue;
        if (!below->mHasAlpha && !below->mHasTransparencies && below->Contains(area.mX, area.mY) &&
            below->Contains(area.mX + area.mWidth - 1, area.mY + area.mHeight - 1)) {
            below->SetDirty();
            break;
        }
        if (below->Intersects(child))
            SetDirtyChild(below);
    }
    for (auto it = pos; it != mWidgets.end(); ++it) {
        Widget* above = *it;
        if (above->mVisible && above->Intersects(child))
            SetDirtyChild(above);
    }
}

void WidgetContainer::SetDirtyFull()
{
    if (mParent != nullptr)
        mParent->SetDirtyFullChild(static_cast<Widget*>(this));
    else
        mDirty = true;
}

void WidgetContainer::AddedToManager(WidgetManager* manager)
{
    for (Widget* child : mWidgets) {
        child->mWidgetManager = manager;
        child->AddedToManager(manager);
    }
    SetDirty();
}

void WidgetContainer::RemovedFromManager(WidgetManager* manager)
{
    for (Widget* child : mWidgets) {
        manager->DisableWidget(child);
        child->RemovedFromManager(manager);
        child->mWidgetManager = nullptr;
    }
    if (manager->mPopupCommandWidget == this)
        manager->mPopupCommandWidget = nullptr;
}

void WidgetContainer::Update()
{
    ++mUpdateCnt;
}

void WidgetContainer::UpdateAll(ModalFlags* flags)
{
    const int savedOver = flags->mOverFlags;
    const int savedUnder = flags->mUnderFlags;
    flags->mOverFlags = mWidgetFlagsMod.Apply(flags->mOverFlags);
    flags->mUnderFlags = mWidgetFlagsMod.Apply(flags->mUnderFlags);

    if (flags->GetFlags() & WIDGETFLAGS_MARK_DIRTY)
        SetDirty();

    if (WidgetManager* manager = mWidgetManager) {
        if ((flags->GetFlags() & WIDGETFLAGS_UPDATE) && mLastWMUpdateCount != manager->mUpdateCnt) {
            mLastWMUpdateCount = manager->mUpdateCnt;
            Update();
        }
        mUpdateIterator = mWidgets.begin();
        while (mUpdateIterator != mWidgets.end()) {
            mUpdateIteratorModified = false;
            Widget* child = *mUpdateIterator;
            if (child == manager->mBaseModalWidget)
                flags->mIsOver = true;
            child->UpdateAll(flags);
            if (!mUpdateIteratorModified)
                ++mUpdateIterator;
        }
        mUpdateIteratorModified = false;
    }

    flags->mOverFlags = savedOver;
    flags->mUnderFlags = savedUnder;
}

void WidgetContainer::UpdateF(float fraction)
{
    (void)fraction;
}

void WidgetContainer::UpdateFAll(ModalFlags* flags, float fraction)
{
    const int savedOver = flags->mOverFlags;
    const int savedUnder = flags->mUnderFlags;
    flags->mOverFlags = mWidgetFlagsMod.Apply(flags->mOverFlags);
    flags->mUnderFlags = mWidgetFlagsMod.Apply(flags->mUnderFlags);

    if (flags->GetFlags() & WIDGETFLAGS_UPDATE)
        UpdateF(fraction);

    mUpdateIterator = mWidgets.begin();
    while (mUpdateIterator != mWidgets.end()) {
        mUpdateIteratorModified = false;
        Widget* child = *mUpdateIterator;
        if (mWidgetManager != nullptr && child == mWidgetManager->mBaseModalWidget)
            flags->mIsOver = true;
        child->UpdateFAll(flags, fraction);
        if (!mUpdateIteratorModified)
            ++mUpdateIterator;
    }
    mUpdateIteratorModified = false;

    flags->mOverFlags = savedOver;
    flags->mUnderFlags = savedUnder;
}

void WidgetContainer::Draw(Graphics* g)
{
    (void)g;
}

void WidgetContainer::DrawAll(ModalFlags* flags, Graphics* g)
{
    if (mWidgetManager != nullptr && mWidgetManager->mMinDeferredOverlayPriority < mPriority)
        mWidgetManager->FlushDeferredOverlayWidgets(mPriority);

    const int savedOver = flags->mOverFlags;
    const int savedUnder = flags->mUnderFlags;
    flags->mOverFlags = mWidgetFlagsMod.Apply(flags->mOverFlags);
    flags->mUnderFlags = mWidgetFlagsMod.Apply(flags->mUnderFlags);

    const int effective = flags->GetFlags();
    if (mClip && (effective & WIDGETFLAGS_CLIP))
        g->ClipRect(0, 0, mWidth, mHeight);

    if (mWidgets.empty()) {
        if (effective & WIDGETFLAGS_DRAW)
            Draw(g);
    } else {
        if (effective & WIDGETFLAGS_DRAW) {
            g->PushState();
            Draw(g);
            g->PopState();
        }
        for (Widget* child : mWidgets) {
            if (!child->mVisible)
                continue;
            if (mWidgetManager != nullptr && child == mWidgetManager->mBaseModalWidget)
                flags->mIsOver = true;
            Graphics childG(*g);
            childG.Translate(child->mX, child->mY);
            child->DrawAll(flags, &childG);
            child->mDirty = false;
        }
    }

    flags->mOverFlags = savedOver;
    flags->mUnderFlags = savedUnder;
}

void WidgetContainer::ChangedAll()
{
    Changed();
    for (Widget* child : mWidgets)
        child->ChangedAll();
}

void WidgetContainer::Changed() {}

Widget* WidgetContainer::FindWidget(int x, int y, int flags, int* localX, int* localY)
{
    flags = mWidgetFlagsMod.Apply(flags);
    Widget* modal = mWidgetManager != nullptr ? mWidgetManager->mBaseModalWidget : nullptr;
    bool belowModal = false;
    for (auto it = mWidgets.rbegin(); it != mWidgets.rend(); ++it) {
        Widget* child = *it;
        int childFlags = child->mWidgetFlagsMod.Apply(flags);
        if (belowModal)
            childFlags = mWidgetManager->mBelowModalFlagsMod.Apply(childFlags);
        if (child == modal)
            belowModal = true;
        if (!(childFlags & WIDGETFLAGS_ALLOW_MOUSE) || !child->mVisible)
            continue;
        const int childX = x - child->mX;
        const int childY = y - child->mY;
        if (!child->mWidgets.empty()) {
            if (Widget* found = child->FindWidget(childX, childY, childFlags, localX, localY))
                return found;
        }
        if (child->mMouseVisible && child->GetInsetRect().Contains(x, y) &&
            child->IsPointVisible(childX, childY)) {
            if (localX != nullptr)
                *localX = childX;
            if (localY != nullptr)
                *localY = childY;
            return child;
        }
    }
    return nullptr;
}

} // namespace Quor
