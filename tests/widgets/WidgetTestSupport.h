// Test helpers for the widget tests: widgets and listeners that log every call they receive
// into one shared log, and an image that logs the drawing calls that reach it.
#pragma once

#include "graphics/Image.h"
#include "widgets/ButtonListener.h"
#include "widgets/CheckboxListener.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <string>
#include <vector>

namespace widgettest {

using Log = std::vector<std::string>;

inline std::string Join(const Log& log)
{
    std::string text;
    for (const std::string& line : log) {
        if (!text.empty())
            text += "; ";
        text += line;
    }
    return text;
}

// Logs "<name> <call> <args>" for every input hook, focus change and update.
class LogWidget : public Quor::Widget {
public:
    LogWidget(Log* log, std::string name, int x = 0, int y = 0, int width = 0, int height = 0)
        : mLog(log), mName(std::move(name))
    {
        mX = x;
        mY = y;
        mWidth = width;
        mHeight = height;
    }

    void Add(const std::string& text) { mLog->push_back(mName + " " + text); }
    static std::string Pt(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

    void Update() override
    {
        Widget::Update();
        if (mLogUpdates)
            Add("update");
        if (mOnUpdate)
            mOnUpdate(this);
    }
    void UpdateF(float fraction) override
    {
        if (mLogUpdates)
            Add("updatef " + std::to_string(int(fraction * 100)));
    }
    void GotFocus() override { Widget::GotFocus(); Add("gotfocus"); }
    void LostFocus() override { Widget::LostFocus(); Add("lostfocus"); }
    void KeyChar(char c) override { Add("char " + std::to_string(int(c))); }
    void KeyDown(int key) override { Widget::KeyDown(key); Add("keydown " + std::to_string(key)); }
    void KeyUp(int key) override { Add("keyup " + std::to_string(key)); }
    void MouseEnter() override { Add("enter"); }
    void MouseLeave() override { Add("leave"); }
    void MouseMove(int x, int y) override
    {
        if (mLogMoves)
            Add("move " + Pt(x, y));
    }
    void MouseDownButton(int x, int y, int button, int count) override
    {
        Add("down " + Pt(x, y) + " b" + std::to_string(button) + " c" + std::to_string(count) +
            (mIsDown ? " isdown" : ""));
    }
    void MouseUpButton(int x, int y, int button, int count) override
    {
        Add("up " + Pt(x, y) + " b" + std::to_string(button) + " c" + std::to_string(count) +
            (mIsDown ? " isdown" : ""));
    }
    void MouseDrag(int x, int y) override { Add("drag " + Pt(x, y)); }
    void MouseWheel(int delta) override { Add("wheel " + std::to_string(delta)); }
    bool IsPointVisible(int x, int y) override { return !mHoleAt || x != mHoleX || y != mHoleY; }
    void FadeInDone() override { Add("fadeindone"); }
    void FadeOutDone() override { Add("fadeoutdone"); }
    void Draw(Quor::Graphics* g) override
    {
        (void)g;
        if (mLogDraws)
            Add("draw");
        if (mDeferPriority >= 0 && mWidgetManager != nullptr)
            mWidgetManager->DeferOverlay(this, mDeferPriority);
    }
    void RemovedFromManager(Quor::WidgetManager* manager) override
    {
        Widget::RemovedFromManager(manager);
        Add("removed");
    }
    void DrawOverlayAt(Quor::Graphics* g, int priority) override
    {
        (void)g;
        Add("overlay " + std::to_string(priority));
    }

    Log* mLog;
    std::string mName;
    bool mLogMoves = true;
    bool mLogUpdates = false;
    bool mLogDraws = false;
    int mDeferPriority = -1; // asks for an overlay at this priority when drawn
    bool mHoleAt = false; // IsPointVisible is false at (mHoleX, mHoleY)
    int mHoleX = 0;
    int mHoleY = 0;
    void (*mOnUpdate)(LogWidget*) = nullptr;
    void* mUser = nullptr;
};

class LogListener : public Quor::ButtonListener, public Quor::CheckboxListener {
public:
    explicit LogListener(Log* log) : mLog(log) {}

    void ButtonPressClicks(int id, int clicks) override
    {
        mLog->push_back("clicks " + std::to_string(id) + " " + std::to_string(clicks));
        ButtonListener::ButtonPressClicks(id, clicks);
    }
    void ButtonPress(int id) override { mLog->push_back("press " + std::to_string(id)); }
    void ButtonDepress(int id) override { mLog->push_back("depress " + std::to_string(id)); }
    void ButtonDownTick(int id) override { mLog->push_back("tick " + std::to_string(id)); }
    void ButtonMouseEnter(int id) override { mLog->push_back("benter " + std::to_string(id)); }
    void ButtonMouseLeave(int id) override { mLog->push_back("bleave " + std::to_string(id)); }
    void ButtonMouseMove(int id, int x, int y) override
    {
        if (mLogMoves)
            mLog->push_back("bmove " + std::to_string(id) + " " + std::to_string(x) + "," +
                            std::to_string(y));
    }
    void CheckboxChecked(int id, bool checked) override
    {
        mLog->push_back("checked " + std::to_string(id) + " " + (checked ? "1" : "0"));
    }

    Log* mLog;
    bool mLogMoves = false;
};

// An image of a given size that draws nothing but logs the calls that reach it (destination
// coordinates, after translation and clipping).
class RecordingImage : public Quor::Image {
public:
    RecordingImage(int width, int height, std::string name = "screen")
    {
        mWidth = width;
        mHeight = height;
        mFilePath = std::move(name);
    }

    static std::string R(const Quor::Rect& r)
    {
        return std::to_string(r.mX) + "," + std::to_string(r.mY) + "," + std::to_string(r.mWidth) +
               "," + std::to_string(r.mHeight);
    }
    static std::string C(const Quor::Color& c)
    {
        return std::to_string(c.mRed) + "," + std::to_string(c.mGreen) + "," +
               std::to_string(c.mBlue) + "," + std::to_string(c.mAlpha);
    }

    void FillRect(const Quor::Rect& r, const Quor::Color& c, int) override
    {
        mCalls.push_back("fill " + R(r) + " " + C(c));
    }
    void DrawLine(double x1, double y1, double x2, double y2, const Quor::Color& c, int) override
    {
        mCalls.push_back("line " + std::to_string(int(x1)) + "," + std::to_string(int(y1)) + "-" +
                         std::to_string(int(x2)) + "," + std::to_string(int(y2)) + " " + C(c));
    }
    void Blt(Quor::Image* image, int x, int y, const Quor::Rect& src, const Quor::Color& c,
             int) override
    {
        mCalls.push_back("blt " + image->mFilePath + " " + std::to_string(x) + "," +
                         std::to_string(y) + " src " + R(src) + " " + C(c));
    }

    Log mCalls;
};

} // namespace widgettest
