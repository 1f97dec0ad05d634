// The root of the widget tree and its input dispatcher: it keeps the keyboard focus, the widget
// under the mouse, the widget holding the mouse while buttons are down, an optional popup, the
// modal stack with its flag masks, the key table and the mouse mapping, and takes the
// application's input, update and draw calls.
#pragma once

#include "graphics/Rect.h"
#include "widgets/WidgetContainer.h"

#include <list>
#include <utility>
#include <vector>

namespace Quor {

class Graphics;
class Image;
class QuorAppBase;
class Widget;

// One entry of the modal stack: the modal widget and what it replaced.
class PreModalInfo {
public:
    Widget* mBaseModalWidget = nullptr;
    Widget* mPrevBaseModalWidget = nullptr;
    Widget* mPrevFocusWidget = nullptr;
    FlagsMod mPrevBelowModalFlagsMod;
};

class WidgetManager : public WidgetContainer {
public:
    static constexpr int NO_OVERLAY_PRIORITY = 2147483647;

    explicit WidgetManager(QuorAppBase* app);
    ~WidgetManager() override;

    // ---- Setup and queries ----
    void SetMouseMapping(const Rect& source, const Rect& destination);
    void MapMousePoint(int& x, int& y) const;
    int GetWidgetFlags() const;
    Widget* GetAnyWidgetAt(int x, int y, int* localX, int* localY);
    Widget* GetWidgetAt(int x, int y, int* localX, int* localY);
    void DisableWidget(Widget* widget) override;
    void SetFocus(Widget* widget) override;
    void RemovePopup();

    // ---- Input entry points (widget coordinates); each returns true ----
    bool MouseMove(int x, int y);
    bool MouseDown(int x, int y, int clickCount);
    bool MouseUp(int x, int y, int clickCount);
    bool MouseWheel(int delta);
    bool MouseExit();
    bool KeyDown(int key);
    bool KeyUp(int key);
    bool KeyChar(char c);

    // ---- The application window's focus and mouse capture ----
    void GotFocus();
    void LostFocus();
    void ReleaseMouseCapture();

    // ---- Hover ----
    // Re-evaluates the widget under the mouse at (x, y) and hands it the move.
    void MousePosition(int x, int y);
    // Re-evaluates the hover after widgets moved, appeared, vanished or changed state.
    void RehupMouse();
    void MouseDrag(int x, int y);

    // ---- Modal widgets ----
    void AddBaseModal(Widget* widget, const FlagsMod& belowFlags);
    void AddBaseModal(Widget* widget);
    void RemoveBaseModal(Widget* widget);
    void SetBaseModal(Widget* widget, const FlagsMod& belowFlags);
    // A removed widget is forgotten as the saved modal widget and saved focus of every entry,
    // and as the default tab widget.
    void ForgetModalWidget(Widget* widget);

    // ---- Per frame ----
    bool UpdateFrame();
    bool UpdateFrameF(float fraction);
    bool DrawScreen();
    // Asks for the widget's overlay to be drawn after the tree (during DrawScreen), lower
    // priorities first; containers of a higher priority flush the lower ones before they draw.
    void DeferOverlay(Widget* widget, int priority);
    void FlushDeferredOverlayWidgets(int maxPriority);

    Widget* mDefaultTab = nullptr;
    Graphics* mCurG = nullptr;
    QuorAppBase* mApp = nullptr;
    Image* mImage = nullptr; // the screen image that DrawScreen draws into
    Widget* mPopupCommandWidget = nullptr;
    std::vector<std::pair<Widget*, int>> mDeferredOverlayWidgets;
    int mMinDeferredOverlayPriority = NO_OVERLAY_PRIORITY;
    bool mHasFocus = true;
    Widget* mFocusWidget = nullptr;
    Widget* mLastDownWidget = nullptr;
    Widget* mOverWidget = nullptr;
    Widget* mBaseModalWidget = nullptr;
    FlagsMod mLostFocusFlagsMod;
    FlagsMod mBelowModalFlagsMod;
    FlagsMod mDefaultBelowModalFlagsMod{0, WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS};
    std::list<PreModalInfo> mPreModalInfoList;
    Rect mMouseDestRect;
    Rect mMouseSourceRect;
    bool mMouseIn = false;
    int mLastMouseX = 0;
    int mLastMouseY = 0;
    int mDownButtons = 0;
    int mActualDownButtons = 0;
    int mLastInputUpdateCnt = 0;
    bool mKeyDown[255] = {};
    int mLastDownButtonId = 0;
    int mWidgetFlags = WIDGETFLAGS_UPDATE | WIDGETFLAGS_DRAW | WIDGETFLAGS_CLIP |
                       WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS;

private:
    void InitModalFlags(ModalFlags* flags) const;
    void EnterWidget(Widget* widget);
    void LeaveWidget(Widget* widget);
    // Mouse-ups at the last mouse position for each button of the mask (left, right, middle).
    void ReleaseButtons(Widget* widget, int buttons);
};

} // namespace Quor
