// DialogButton: the nine-cell box look with its pressed shift and the centred label.
#include "widgets/DialogButton.h"

#include "app/QuorAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "widgets/WidgetManager.h"

namespace Quor {

DialogButton::DialogButton(int id, ButtonListener* listener) : ButtonWidget(id, listener)
{
    static const int kColors[NUM_COLORS][3] = {
        {255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132},
        {212, 212, 212},
    };
    SetColorsRGB(kColors, NUM_COLORS);
    mDoFinger = true;
}

void DialogButton::Draw(Graphics* g)
{
    if (mBtnNoDraw)
        return;
    if (mComponentImage == nullptr) {
        ButtonWidget::Draw(g);
        return;
    }

    if (mFont == nullptr && !mLabel.empty()) {
        QuorAppBase* app = mWidgetManager != nullptr && mWidgetManager->mApp != nullptr
                               ? mWidgetManager->mApp
                               : gQuorAppBase;
        mFont = new SysFont(app, "Arial Unicode MS", 12, 1);
    }

    const bool pressed = IsButtonDown();
    const Rect whole(0, 0, mWidth, mHeight);
    if (mNormalRect.mWidth == 0) {
        if (pressed)
            g->Translate(mTranslateX, mTranslateY);
        g->DrawImageBox(whole, mComponentImage);
    } else {
        if (mDisabled && mDisabledRect.mWidth > 0 && mDisabledRect.mHeight > 0) {
            g->DrawImageBoxRegion(whole, mComponentImage, mDisabledRect);
        } else if (pressed) {
            g->DrawImageBoxRegion(whole, mComponentImage, mDownRect);
        } else if (mOverAlpha > 0.0) {
            if (mOverAlpha < 1.0)
                g->DrawImageBoxRegion(whole, mComponentImage, mNormalRect);
            g->SetColorizeImages(true);
            g->SetColor(Color(255, 255, 255, static_cast<int>(mOverAlpha * 255)));
            g->DrawImageBoxRegion(whole, mComponentImage, mOverRect);
            g->SetColorizeImages(false);
        } else if (mIsOver) {
            g->DrawImageBoxRegion(whole, mComponentImage, mOverRect);
        } else {
            g->DrawImageBoxRegion(whole, mComponentImage, mNormalRect);
        }
        if (pressed)
            g->Translate(mTranslateX, mTranslateY);
    }

    if (mFont != nullptr) {
        g->SetFont(mFont);
        g->SetColor(GetColor(mIsOver ? COLOR_LABEL_HILITE : COLOR_LABEL));
        const int x = mTextOffsetX + (mWidth - mFont->StringWidth(mLabel)) / 2;
        const int ascent = mFont->GetAscent();
        const int y = mTextOffsetY +
                      (ascent + mHeight - ascent / 6 - mFont->GetAscentPadding() - 1) / 2;
        g->DrawString(mLabel, x, y);
    }

    if (pressed)
        g->Translate(-mTranslateX, -mTranslateY);
}

} // namespace Quor
