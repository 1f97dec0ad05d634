// Widget: state changes with their dirty marking, input hooks, fades and drawing helpers.
#include "widgets/Widget.h"

#include "app/QuorAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>

namespace Quor {

Widget::Widget() = default;

Widget::~Widget()
{
    // A widget deleted while still in a tree is taken out first, so that neither its parent nor
    // the manager keeps a pointer to it.
    if (mParent != nullptr)
        mParent->RemoveWidget(this);
    mColors.clear();
}

void Widget::OrderChanged() {}

void Widget::SetVisible(bool visible)
{
    if (mVisible == visible)
        return;
    mVisible = visible;
    if (visible)
        SetDirty();
    else
        SetDirtyFull();
    if (mWidgetManager != nullptr)
        mWidgetManager->RehupMouse();
}

void Widget::SetColorsRGBA(const int colors[][4], int count)
{
    mColors.clear();
    for (int i = 0; i < count; ++i)
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2], colors[i][3]));
    SetDirty();
}

void Widget::SetColorsRGB(const int colors[][3], int count)
{
    mColors.clear();
    for (int i = 0; i < count; ++i)
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2]));
    SetDirty();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= mColors.size())
        mColors.resize(static_cast<size_t>(index) + 1);
    mColors[static_cast<size_t>(index)] = color;
    SetDirty();
}

Color Widget::GetColorOr(int index, const Color& fallback)
{
    if (index < 0 || static_cast<size_t>(index) >= mColors.size())
        return fallback;
    return mColors[static_cast<size_t>(index)];
}

const Color& Widget::GetColor(int index)
{
    static const Color defaultColor;
    if (index < 0 || static_cast<size_t>(index) >= mColors.size())
        return defaultColor;
    return mColors[static_cast<size_t>(index)];
}

void Widget::SetDisabled(bool disabled)
{
    if (mDisabled == disabled)
        return;
    mDisabled = disabled;
    if (disabled && mWidgetManager != nullptr)
        mWidgetManager->DisableWidget(this);
    SetDirty();
    if (disabled || mWidgetManager == nullptr)
        return;
    // The manager's mouse position is absolute; Contains takes the parent's coordinates.
    const int mouseX = mWidgetManager->mLastMouseX;
    const int mouseY = mWidgetManager->mLastMouseY;
    Point parentPos = mParent != nullptr ? mParent->GetAbsPos() : Point{0, 0};
    if (Contains(mouseX - parentPos.mX, mouseY - parentPos.mY))
        mWidgetManager->MousePosition(mouseX, mouseY);
}

void Widget::ShowFinger(bool on)
{
    if (mWidgetManager == nullptr || mWidgetManager->mApp == nullptr)
        return;
    mWidgetManager->mApp->SetCursor(on ? 1 : 0);
}

void Widget::ResizeToRect(const Rect& rect)
{
    Resize(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Widget::Resize(int x, int y, int width, int height)
{
    if (mX == x && mY == y && mWidth == width && mHeight == height)
        return;
    SetDirtyFull();
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    SetDirty();
    if (mWidgetManager != nullptr)
        mWidgetManager->RehupMouse();
}

void Widget::Move(int x, int y)
{
    Resize(x, y, mWidth, mHeight);
}

bool Widget::WantsFocus()
{
    return mWantsFocus;
}

void Widget::DrawIfVisible(Graphics* g)
{
    if (!mVisible)
        return;
    Graphics copy(*g);
    copy.Translate(mX, mY);
    DrawContent(&copy, false);
}

void Widget::DrawContent(Graphics* g, bool contentFlag)
{
    (void)g;
    (void)contentFlag;
}

void Widget::DrawOverlayAt(Graphics* g, int priority)
{
    (void)priority;
    DrawOverlay(g);
}

void Widget::DrawOverlay(Graphics* g)
{
    (void)g;
}

void Widget::Tick(double step)
{
    (void)step;
    if (mFadingIn) {
        mFadeAlpha += 10;
        SetDirty();
        if (mFadeAlpha >= 255) {
            mFadeAlpha = 255;
            mFadingIn = false;
            FadeInDone();
        }
    }
    if (mFadingOut) {
        mFadeAlpha -= 10;
        SetDirty();
        if (mFadeAlpha < 1) {
            mFadeAlpha = 0;
            mFadingOut = false;
            FadeOutDone();
        }
    }
}

void Widget::GotFocus()
{
    mHasFocus = true;
}

void Widget::LostFocus()
{
    mHasFocus = false;
}

void Widget::KeyChar(char c)
{
    (void)c;
}

void Widget::KeyDown(int key)
{
    if (key != 9 || mWidgetManager == nullptr)
        return;
    Widget* target = mWidgetManager->mKeyDown[16] ? mTabPrev : mTabNext;
    if (target != nullptr)
        mWidgetManager->SetFocus(target);
}

void Widget::KeyUp(int key)
{
    (void)key;
}

void Widget::MouseEnter() {}

void Widget::MouseLeave() {}

void Widget::MouseMove(int x, int y)
{
    (void)x;
    (void)y;
}

void Widget::MouseDownButton(int x, int y, int button, int clickCount)
{
    (void)x;
    (void)y;
    (void)button;
    (void)clickCount;
}

namespace {

// The application's click counts: 1, 2 left; -1, -2 right; 3 middle.
void MapClickCount(int clickCount, int* button, int* count)
{
    if (clickCount == 3) {
        *button = 2;
        *count = 1;
    } else if (clickCount < 0) {
        *button = 1;
        *count = -clickCount;
    } else {
        *button = 0;
        *count = clickCount;
    }
}

} // namespace

void Widget::MouseDown(int x, int y, int clickCount)
{
    int button = 0;
    int count = 0;
    MapClickCount(clickCount, &button, &count);
    MouseDownButton(x, y, button, count);
}

void Widget::MouseUpButton(int x, int y, int button, int clickCount)
{
    (void)x;
    (void)y;
    (void)button;
    (void)clickCount;
}

void Widget::MouseUp(int x, int y, int clickCount)
{
    MouseUpAt(x, y);
    int button = 0;
    int count = 0;
    MapClickCount(clickCount, &button, &count);
    MouseUpButton(x, y, button, count);
}

void Widget::MouseUpAt(int x, int y)
{
    (void)x;
    (void)y;
}

void Widget::MouseDrag(int x, int y)
{
    (void)x;
    (void)y;
}

void Widget::MouseWheel(int delta)
{
    (void)delta;
}

bool Widget::IsPointVisible(int x, int y)
{
    (void)x;
    (void)y;
    return true;
}

Rect Widget::WriteCenteredLine(Graphics* g, int y, const std::string& line, const Color& color,
                               const Color& shadowColor, const Point& shadowOffset)
{
    Font* font = g->GetFont();
    if (font == nullptr)
        return Rect(mWidth / 2, y, 0, 0);
    const int width = font->StringWidth(line);
    const int x = (mWidth - width) / 2;
    g->SetColor(shadowColor);
    g->DrawString(line, x + shadowOffset.mX, y + shadowOffset.mY);
    g->SetColor(color);
    g->DrawString(line, x, y);
    return Rect(x + std::min(shadowOffset.mX, 0),
                y + std::min(shadowOffset.mY, 0) - font->GetAscent(),
                width + std::abs(shadowOffset.mX), font->GetHeight() + std::abs(shadowOffset.mY));
}

Rect Widget::WriteCenteredText(Graphics* g, int y, const std::string& line)
{
    Font* font = g->GetFont();
    if (font == nullptr)
        return Rect(mWidth / 2, y, 0, 0);
    const int width = font->StringWidth(line);
    const int x = (mWidth - width) / 2;
    g->DrawString(line, x, y);
    return Rect(x, y - font->GetAscent(), width, font->GetHeight());
}

int Widget::WriteColoredString(Graphics* g, const std::string& text, int x, int y, int width,
                               int justification, bool drawString, int start, int length)
{
    const bool old = g->mWriteColoredString;
    g->mWriteColoredString = true;
    const int result =
        g->DrawColorCodedText(text, x, y, width, justification, drawString, start, length, -1);
    g->mWriteColoredString = old;
    return result;
}

int Widget::WriteWordWrapped(Graphics* g, const Rect& rect, const std::string& text,
                             int lineSpacing, int justification)
{
    const bool old = g->mWriteColoredString;
    g->mWriteColoredString = true;
    const int height = g->DrawWrappedText(text, rect, lineSpacing, justification);
    g->mWriteColoredString = old;
    return height;
}

int Widget::GetWordWrappedHeight(Graphics* g, int width, const std::string& text, int lineSpacing)
{
    return g->GetWrappedTextHeight(text, width, lineSpacing);
}

int Widget::GetNumDigits(int number)
{
    int digits = 1;
    while (number >= 10) {
        number /= 10;
        ++digits;
    }
    return digits;
}

void Widget::WriteNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip, int spacing)
{
    if (g == nullptr || strip == nullptr)
        return;
    // The strip has no minus sign: a negative number shows as 0.
    if (number < 0)
        number = 0;
    const int cellWidth = strip->GetWidth() / 10;
    const int digits = GetNumDigits(number);
    int divisor = 1;
    for (int i = 1; i < digits; ++i)
        divisor *= 10;
    int offset = 0;
    for (; divisor > 0; divisor /= 10) {
        const int digit = (number / divisor) % 10;
        Graphics* cell = Graphics::Create(*g);
        if (cell != nullptr) {
            cell->ClipRect(x + offset, y, cellWidth, strip->GetHeight());
            cell->DrawImage(strip, x + offset - digit * cellWidth, y);
            delete cell;
        }
        offset += cellWidth + spacing;
    }
}

bool Widget::Contains(int x, int y)
{
    return GetRect().Contains(x, y);
}

Rect Widget::GetInsetRect()
{
    return Rect(mX + mMouseInsets.mLeft, mY + mMouseInsets.mTop,
                mWidth - mMouseInsets.mLeft - mMouseInsets.mRight,
                mHeight - mMouseInsets.mTop - mMouseInsets.mBottom);
}

void Widget::FadeInDone() {}

void Widget::FadeOutDone() {}

void Widget::OnNotify(int code)
{
    (void)code;
}

void Widget::Update()
{
    WidgetContainer::Update();
}

void Widget::Draw(Graphics* g)
{
    DrawContent(g, mContentFlag);
}

} // namespace Quor
