// The common base of every widget and of the widget manager: an ordered list of child widgets
// (sorted by z-order, the back of the list on top), a rectangle in the parent's coordinates,
// dirty marking, and the recursive walks that update, draw and hit-test the tree.
#pragma once

#include "graphics/Image.h"
#include "graphics/Rect.h"

#include <list>

namespace Quor {

class Graphics;
class Widget;
class WidgetManager;

// Widget flag bits: which walks reach a subtree.
enum WidgetFlags {
    WIDGETFLAGS_UPDATE = 1,      // Update / UpdateF run
    WIDGETFLAGS_MARK_DIRTY = 2,  // marked dirty on every update
    WIDGETFLAGS_DRAW = 4,        // Draw runs
    WIDGETFLAGS_CLIP = 8,        // drawing is clipped to the rectangle
    WIDGETFLAGS_ALLOW_MOUSE = 16, // hit testing
    WIDGETFLAGS_ALLOW_FOCUS = 32, // may keep the focus under a modal widget
};

// Flag bits a subtree adds and removes: flags := (flags | add) & ~remove.
class FlagsMod {
public:
    int mAddFlags = 0;
    int mRemoveFlags = 0;

    constexpr int Apply(int flags) const { return (flags | mAddFlags) & ~mRemoveFlags; }
};

// The flag words handed down a walk: the flags above the manager's modal widget (over) and
// below it (under). Once the walk reaches the modal widget, is over stays true.
class ModalFlags {
public:
    int mOverFlags = 0;
    int mUnderFlags = 0;
    bool mIsOver = false;

    int GetFlags() const { return mIsOver ? mOverFlags : mUnderFlags; }
};

using WidgetList = std::list<Widget*>;

class WidgetContainer {
public:
    WidgetContainer();
    virtual ~WidgetContainer();

    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    virtual Rect GetRect();
    virtual bool Intersects(WidgetContainer* other);
    virtual void AddWidget(Widget* widget);
    virtual void RemoveWidget(Widget* widget);
    virtual bool HasWidget(Widget* widget);
    virtual void DisableWidget(Widget* widget);
    virtual void RemoveAllWidgets(bool deleteWidgets = false, bool recursive = false);
    virtual void SetFocus(Widget* widget);
    virtual bool IsBelow(Widget* a, Widget* b);
    virtual void SetAllDirty();
    virtual void BringToFront(Widget* widget);
    virtual void BringToBack(Widget* widget);
    virtual void PutBehind(Widget* widget, Widget* ref);
    virtual void PutInFront(Widget* widget, Widget* ref);
    virtual Point GetAbsPos();
    virtual void SetDirtyChild(Widget* child);
    virtual void SetDirty();
    virtual void SetDirtyFullChild(Widget* child);
    virtual void SetDirtyFull();
    virtual void AddedToManager(WidgetManager* manager);
    virtual void RemovedFromManager(WidgetManager* manager);
    virtual void Update();
    virtual void UpdateAll(ModalFlags* flags);
    virtual void UpdateF(float fraction);
    virtual void UpdateFAll(ModalFlags* flags, float fraction);
    virtual void Draw(Graphics* g);
    virtual void DrawAll(ModalFlags* flags, Graphics* g);
    virtual void ChangedAll();
    virtual void Changed();

    // The topmost widget of this subtree at (x, y) in this container's coordinates that the
    // flags let the mouse reach; its local point goes to *localX, *localY. Null when none.
    Widget* FindWidget(int x, int y, int flags, int* localX, int* localY);

    WidgetList mWidgets;
    WidgetManager* mWidgetManager = nullptr;
    WidgetContainer* mParent = nullptr;
    bool mUpdateIteratorModified = false;
    WidgetList::iterator mUpdateIterator;
    int mLastWMUpdateCount = 0;
    int mUpdateCnt = 0;
    bool mDirty = false;
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mHasAlpha = false;
    bool mClip = true;
    FlagsMod mWidgetFlagsMod;
    int mPriority = 0;
    int mZOrder = 0;

protected:
    // Inserts the widget into the child list by z-order, searching from the given position.
    void InsertWidgetHelper(WidgetList::iterator where, Widget* widget);
    // Takes a child out of the list, moving an update walk that stands on it to the next one.
    void UnlinkChild(WidgetList::iterator it);
    WidgetList::iterator FindChild(Widget* widget);
    // Detaches a widget and its subtree from the manager's focus, hover, capture and modal state.
    void DetachFromManager(Widget* widget, WidgetManager* manager);
};

} // namespace Quor
