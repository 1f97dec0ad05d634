// The root of the widget tree: it holds the screens, the key and mouse-button state, the mouse
// mapping from window to widget coordinates, the modal stack and the screen image, and takes
// the application's input, update and draw calls.
#pragma once

#include "graphics/Rect.h"

#include <list>
#include <vector>

namespace Quor {

class Image;
class QuorAppBase;
class Widget;

class WidgetManager {
public:
    explicit WidgetManager(QuorAppBase* app);
    virtual ~WidgetManager();

    WidgetManager(const WidgetManager&) = delete;
    WidgetManager& operator=(const WidgetManager&) = delete;

    void SetMouseMapping(const Rect& source, const Rect& destination);
    void MapMousePoint(int& x, int& y) const;

    bool UpdateFrame();
    bool DrawScreen();

    bool MouseMove(int x, int y);
    bool MouseDown(int x, int y, int clickCount);
    bool MouseUp(int x, int y, int clickCount);
    bool MouseWheel(int delta);
    bool MouseExit();
    bool KeyDown(int key);
    bool KeyUp(int key);
    bool KeyChar(char c);
    void GotFocus();
    void LostFocus();
    void ReleaseMouseCapture();

    void AddBaseModal(Widget* widget);
    void RemoveBaseModal(Widget* widget);

    void AddWidget(Widget* widget);
    void RemoveWidget(Widget* widget);
    bool HasWidget(Widget* widget) const;
    void SetAllDirty();
    void ChangedAll();

    QuorAppBase* mApp = nullptr;
    Image* mImage = nullptr; // the screen image that DrawScreen draws into
    std::list<Widget*> mWidgets;
    std::vector<Widget*> mModalStack;
    Widget* mBaseModalWidget = nullptr;
    Rect mMouseDestRect;
    Rect mMouseSourceRect;
    bool mHasFocus = true;
    bool mMouseIn = false;
    int mLastMouseX = 0;
    int mLastMouseY = 0;
    int mDownButtons = 0;
    int mActualDownButtons = 0;
    int mUpdateCnt = 0;
    int mLastInputUpdateCnt = 0;
    bool mKeyDown[255] = {};
    int mLastDownButtonId = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mDirty = false;
};

} // namespace Quor
