// A rectangle of the widget tree (screens, panels, controls). This holds the part that the
// application object relies on: the rectangle, visibility, the dirty flag and the manager.
#pragma once

namespace Quor {

class WidgetManager;

class Widget {
public:
    Widget() = default;
    virtual ~Widget() = default;

    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    virtual void Resize(int x, int y, int width, int height)
    {
        mX = x;
        mY = y;
        mWidth = width;
        mHeight = height;
        mDirty = true;
    }
    virtual void Update() {}
    virtual void SetDirty() { mDirty = true; }

    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mVisible = true;
    bool mDirty = false;
    WidgetManager* mWidgetManager = nullptr;
};

} // namespace Quor
