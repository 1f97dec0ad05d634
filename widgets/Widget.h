// A rectangle of the widget tree: every screen, panel and control. Adds to the container part
// visibility, enabled state, focus and mouse state, a colour table, insets, tab neighbours, a
// fade counter, the input hooks the widget manager calls, and drawing helpers for controls.
#pragma once

#include "graphics/Color.h"
#include "widgets/WidgetContainer.h"

#include <string>
#include <vector>

namespace Quor {

class Image;

// Distances from each edge of a widget's rectangle (used by the hit test).
class Insets {
public:
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;
    int mBottom = 0;

    constexpr Insets() = default;
    constexpr Insets(int left, int top, int right, int bottom)
        : mLeft(left), mTop(top), mRight(right), mBottom(bottom)
    {
    }
};

class Widget : public WidgetContainer {
public:
    Widget();
    ~Widget() override;

    virtual void OrderChanged();
    virtual void SetVisible(bool visible);
    virtual void SetColorsRGBA(const int colors[][4], int count);
    virtual void SetColorsRGB(const int colors[][3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual Color GetColorOr(int index, const Color& fallback);
    virtual const Color& GetColor(int index);
    virtual void SetDisabled(bool disabled);
    virtual void ShowFinger(bool on);
    virtual void ResizeToRect(const Rect& rect);
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    virtual bool WantsFocus();
    virtual void DrawIfVisible(Graphics* g);
    virtual void DrawContent(Graphics* g, bool contentFlag);
    virtual void DrawOverlayAt(Graphics* g, int priority);
    virtual void DrawOverlay(Graphics* g);
    virtual void Tick(double step);
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(char c);
    virtual void KeyDown(int key);
    virtual void KeyUp(int key);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(int x, int y);
    virtual void MouseDownButton(int x, int y, int button, int clickCount);
    virtual void MouseDown(int x, int y, int clickCount);
    virtual void MouseUpButton(int x, int y, int button, int clickCount);
    virtual void MouseUp(int x, int y, int clickCount);
    virtual void MouseUpAt(int x, int y);
    virtual void MouseDrag(int x, int y);
    virtual void MouseWheel(int delta);
    virtual bool IsPointVisible(int x, int y);
    // Text in the context's current font: a centred line with a shadow, a centred line, text
    // with colour codes, and word-wrapped text (with colour codes) and its height.
    virtual Rect WriteCenteredLine(Graphics* g, int y, const std::string& line,
                                   const Color& color, const Color& shadowColor,
                                   const Point& shadowOffset);
    virtual Rect WriteCenteredText(Graphics* g, int y, const std::string& line);
    virtual int WriteColoredString(Graphics* g, const std::string& text, int x, int y,
                                   int width = -1, int justification = -1,
                                   bool drawString = true, int start = 0, int length = -1);
    virtual int WriteWordWrapped(Graphics* g, const Rect& rect, const std::string& text,
                                 int lineSpacing, int justification);
    virtual int GetWordWrappedHeight(Graphics* g, int width, const std::string& text,
                                     int lineSpacing);
    virtual int GetNumDigits(int number);
    virtual void WriteNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip,
                                      int spacing);
    virtual bool Contains(int x, int y);
    virtual Rect GetInsetRect();
    virtual void FadeInDone();
    virtual void FadeOutDone();
    virtual void OnNotify(int code);

    // WidgetContainer operations with a widget's own behaviour.
    void Update() override;
    void Draw(Graphics* g) override;

    bool mVisible = true;
    bool mMouseVisible = true;
    bool mDisabled = false;
    bool mHasFocus = false;
    bool mIsDown = false;
    bool mIsOver = false;
    bool mHasTransparencies = false;
    std::vector<Color> mColors;
    Insets mMouseInsets;
    bool mDoFinger = false;
    bool mWantsFocus = false;
    Widget* mTabPrev = nullptr;
    Widget* mTabNext = nullptr;
    bool mContentFlag = false;
    bool mFadingIn = false;
    bool mFadingOut = false;
    int mFadeAlpha = 255;
};

} // namespace Quor
