// ScrollbuttonWidget: the bevelled arrow face and its triangle.
#include "widgets/ScrollbuttonWidget.h"

#include "graphics/Graphics.h"

namespace Quor {

ScrollbuttonWidget::ScrollbuttonWidget(int id, ButtonListener* listener)
    : ButtonWidget(id, listener)
{
}

void ScrollbuttonWidget::SetPositionSource(int* x, int* y)
{
    mOwnerX = x;
    mOwnerY = y;
}

void ScrollbuttonWidget::DrawAtOwner(Graphics* g)
{
    if (!mVisible)
        return;
    Graphics copy(*g);
    copy.Translate((mOwnerX != nullptr ? *mOwnerX : 0) + mX,
                   (mOwnerY != nullptr ? *mOwnerY : 0) + mY);
    DrawContent(&copy, false);
}

void ScrollbuttonWidget::DrawContent(Graphics* g, bool skip)
{
    if (skip)
        return;
    if (mButtonImage != nullptr) {
        ButtonWidget::DrawContent(g, false);
        return;
    }

    const Color grey132 = Color::FromRGB(132, 132, 132);
    g->SetColor(Color::FromRGB(212, 212, 212));
    g->FillRect(0, 0, mWidth, mHeight);

    int d = 0;
    if (mIsOver && mIsDown && !mDisabled) {
        g->SetColor(grey132);
        g->DrawRect(0, 0, mWidth - 1, mHeight - 1);
        d = 1;
    } else {
        g->SetColor(Color::FromRGB(255, 255, 255));
        g->FillRect(1, 1, mWidth - 2, 1);
        g->FillRect(1, 1, 1, mHeight - 2);
        g->SetColor(Color::Black);
        g->FillRect(0, mHeight - 1, mWidth, 1);
        g->FillRect(mWidth - 1, 0, 1, mHeight);
        g->SetColor(grey132);
        g->FillRect(1, mHeight - 2, mWidth - 2, 1);
        g->FillRect(mWidth - 2, 1, 1, mHeight - 2);
    }

    g->SetColor(mDisabled ? grey132 : Color::Black);
    const bool horizontalGlyph = mHorizontal || mType == 3 || mType == 4;
    for (int i = 0; i < 4; ++i) {
        const int length = 2 * i + 1;
        if (!horizontalGlyph) {
            const bool down = mId != 0 && mType != 1;
            const int y = down ? (mHeight - 4) / 2 - i + d + 3 : (mHeight - 4) / 2 + i + d;
            g->FillRect(mWidth / 2 - i - 1 + d, y, length, 1);
        } else {
            const bool right = mId != 0 && mType != 3;
            const int x = right ? (mWidth - 4) / 2 - i + d + 3 : (mWidth - 4) / 2 + i + d;
            g->FillRect(x, mHeight / 2 - i - 1 + d, 1, length);
        }
    }
}

} // namespace Quor
