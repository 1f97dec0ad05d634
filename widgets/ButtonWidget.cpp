// ButtonWidget: the framed and image looks, the hover fade and the listener reports.
#include "widgets/ButtonWidget.h"

#include "app/QuorAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "graphics/Image.h"
#include "widgets/ButtonListener.h"
#include "widgets/WidgetManager.h"

namespace Quor {

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : mId(id), mButtonListener(listener)
{
    static const int kDefaultColors[NUM_COLORS][3] = {
        {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
    };
    SetColorsRGB(kDefaultColors, NUM_COLORS);
    mHasAlpha = true;
}

ButtonWidget::~ButtonWidget()
{
    delete mFont;
}

void ButtonWidget::SetFont(Font* font)
{
    delete mFont;
    mFont = font != nullptr ? font->Duplicate() : nullptr;
}

bool ButtonWidget::IsButtonDown()
{
    return mIsDown && mIsOver && !mDisabled;
}

void ButtonWidget::DrawButtonImage(Graphics* g, Image* image, const Rect& rect, int x, int y)
{
    if (rect.mWidth != 0) {
        if (mButtonImage != nullptr)
            g->DrawImageRegion(mButtonImage, x, y, rect);
    } else if (image != nullptr) {
        g->DrawImage(image, x, y);
    }
}

void ButtonWidget::SetDisabled(bool disabled)
{
    Widget::SetDisabled(disabled);
    if (HaveButtonImage(mDisabledImage, mDisabledRect))
        SetDirty();
}

void ButtonWidget::Draw(Graphics* g)
{
    DrawContent(g, mBtnNoDraw);
}

void ButtonWidget::DrawContent(Graphics* g, bool hidden)
{
    if (hidden)
        return;

    if (mFont == nullptr && !mLabel.empty()) {
        QuorAppBase* app = mWidgetManager != nullptr && mWidgetManager->mApp != nullptr
                               ? mWidgetManager->mApp
                               : gQuorAppBase;
        mFont = new SysFont(app, "Arial Unicode MS", 10, 0);
    }

    const bool pressed = IsButtonDown() != mInverted;

    int labelX = 0;
    int labelY = 0;
    if (mFont != nullptr) {
        const int width = mFont->StringWidth(mLabel);
        if (mLabelJustify == 0)
            labelX = (mWidth - width) / 2;
        else if (mLabelJustify == 1)
            labelX = mWidth - width;
        labelY = (mHeight - mFont->GetHeight()) / 2 - 1 + mFont->GetAscent();
    }
    g->SetFont(mFont);

    if (mButtonImage == nullptr && mDownImage == nullptr) {
        if (!mFrameNoDraw) {
            g->SetColor(GetColor(COLOR_BKG));
            g->FillRect(0, 0, mWidth, mHeight);
        }
        if (!pressed) {
            if (!mFrameNoDraw) {
                g->SetColor(GetColor(COLOR_LIGHT_OUTLINE));
                g->FillRect(0, 0, mWidth - 1, 1);
                g->FillRect(0, 0, 1, mHeight - 1);
                g->SetColor(GetColor(COLOR_DARK_OUTLINE));
                g->FillRect(0, mHeight - 1, mWidth, 1);
                g->FillRect(mWidth - 1, 0, 1, mHeight);
                g->SetColor(GetColor(COLOR_MEDIUM_OUTLINE));
                g->FillRect(1, mHeight - 2, mWidth - 2, 1);
                g->FillRect(mWidth - 2, 1, 1, mHeight - 2);
            }
        } else {
            if (!mFrameNoDraw) {
                g->SetColor(GetColor(COLOR_DARK_OUTLINE));
                g->FillRect(0, 0, mWidth - 1, 1);
                g->FillRect(0, 0, 1, mHeight - 1);
                g->SetColor(GetColor(COLOR_LIGHT_OUTLINE));
                g->FillRect(0, mHeight - 1, mWidth, 1);
                g->FillRect(mWidth - 1, 0, 1, mHeight);
                g->SetColor(GetColor(COLOR_MEDIUM_OUTLINE));
                g->FillRect(1, 1, mWidth - 3, 1);
                g->FillRect(1, 1, 1, mHeight - 3);
            }
        }
        g->SetColor(GetColor(mIsOver ? COLOR_LABEL_HILITE : COLOR_LABEL));
        if (pressed)
            g->DrawString(mLabel, labelX + 1, labelY + 1);
        else
            g->DrawString(mLabel, labelX, labelY);
        return;
    }

    if (pressed) {
        if (HaveButtonImage(mDownImage, mDownRect))
            DrawButtonImage(g, mDownImage, mDownRect, 0, 0);
        else if (HaveButtonImage(mOverImage, mOverRect))
            DrawButtonImage(g, mOverImage, mOverRect, 1, 1);
        else
            DrawButtonImage(g, mButtonImage, mNormalRect, 1, 1);
        g->SetColor(GetColor(COLOR_LABEL_HILITE));
        g->DrawString(mLabel, labelX + 1, labelY + 1);
        return;
    }

    const bool haveNormal = HaveButtonImage(mButtonImage, mNormalRect);
    const bool haveOver = HaveButtonImage(mOverImage, mOverRect);
    if (mDisabled && HaveButtonImage(mDisabledImage, mDisabledRect)) {
        DrawButtonImage(g, mDisabledImage, mDisabledRect, 0, 0);
    } else if (mOverAlpha > 0.0 && haveOver) {
        if (haveNormal && mOverAlpha < 1.0)
            DrawButtonImage(g, mButtonImage, mNormalRect, 0, 0);
        g->SetColorizeImages(true);
        g->SetColor(Color(255, 255, 255, static_cast<int>(mOverAlpha * 255)));
        DrawButtonImage(g, mOverImage, mOverRect, 0, 0);
        g->SetColorizeImages(false);
    } else if ((mIsOver || mIsDown) && haveOver) {
        DrawButtonImage(g, mOverImage, mOverRect, 0, 0);
    } else if (haveNormal) {
        DrawButtonImage(g, mButtonImage, mNormalRect, 0, 0);
    }
    g->SetColor(GetColor(mIsOver ? COLOR_LABEL_HILITE : COLOR_LABEL));
    g->DrawString(mLabel, labelX, labelY);
}

void ButtonWidget::Update()
{
    Widget::Update();

    if (mIsDown && mIsOver) {
        if (mButtonListener != nullptr)
            mButtonListener->ButtonDownTick(mId);
    }
    if (!mIsDown && !mIsOver) {
        if (mOverAlpha > 0.0) {
            if (mOverAlphaSpeed > 0.0) {
                mOverAlpha -= mOverAlphaSpeed;
                if (mOverAlpha < 0.0)
                    mOverAlpha = 0.0;
            } else {
                mOverAlpha = 0.0;
            }
            SetDirty();
        }
    } else if (mIsOver) {
        if (mOverAlphaFadeInSpeed > 0.0 && mOverAlpha < 1.0) {
            mOverAlpha += mOverAlphaFadeInSpeed;
            if (mOverAlpha > 1.0)
                mOverAlpha = 1.0;
            SetDirty();
        }
    }
}

void ButtonWidget::RedrawForStateChange()
{
    if (!mRedrawOnStateChange)
        return;
    if (!mIsDown && !HaveButtonImage(mOverImage, mOverRect) &&
        GetColor(COLOR_LABEL) == GetColor(COLOR_LABEL_HILITE))
        return;
    SetDirty();
}

void ButtonWidget::MouseEnter()
{
    if (mOverAlphaFadeInSpeed == 0.0 && mOverAlpha > 0.0)
        mOverAlpha = 0.0;
    RedrawForStateChange();
    if (mButtonListener != nullptr)
        mButtonListener->ButtonMouseEnter(mId);
}

void ButtonWidget::MouseLeave()
{
    if (mOverAlphaSpeed == 0.0 && mOverAlpha > 0.0)
        mOverAlpha = 0.0;
    else if (mOverAlphaSpeed > 0.0 && mOverAlpha == 0.0)
        mOverAlpha = 1.0;
    RedrawForStateChange();
    if (mButtonListener != nullptr)
        mButtonListener->ButtonMouseLeave(mId);
}

void ButtonWidget::MouseMove(int x, int y)
{
    if (mButtonListener != nullptr)
        mButtonListener->ButtonMouseMove(mId, x, y);
}

void ButtonWidget::MouseDownButton(int x, int y, int button, int clickCount)
{
    (void)x;
    (void)y;
    (void)button;
    if (mButtonListener != nullptr)
        mButtonListener->ButtonPressClicks(mId, clickCount);
    if (mRedrawOnStateChange)
        SetDirty();
}

void ButtonWidget::MouseUpButton(int x, int y, int button, int clickCount)
{
    (void)x;
    (void)y;
    (void)button;
    (void)clickCount;
    if (mIsOver && mWidgetManager != nullptr && mWidgetManager->mHasFocus) {
        if (mButtonListener != nullptr)
            mButtonListener->ButtonDepress(mId);
    }
    if (mRedrawOnStateChange)
        SetDirty();
}

} // namespace Quor
