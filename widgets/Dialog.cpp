// Dialog: buttons by mode, the frame and texts, the preferred height, the button row, dragging
// with its clamp, the button reports and waiting for an answer.
#include "widgets/Dialog.h"

#include "app/QuorAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/SysFont.h"
#include "widgets/DialogButton.h"
#include "widgets/DialogListener.h"
#include "widgets/WidgetManager.h"

namespace Quor {

const std::string DIALOG_YES_STRING = "YES";
const std::string DIALOG_NO_STRING = "NO";
const std::string DIALOG_OK_STRING = "OK";
const std::string DIALOG_CANCEL_STRING = "CANCEL";

namespace {

constexpr int kCursorArrow = 0;
constexpr int kCursorDrag = 2;
constexpr int kDragMargin = 8; // how far a dialog may leave the screen, and the grab point its edge

} // namespace

Dialog::Dialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
               const std::string& footer, int buttonMode)
    : mDialogListener(gQuorAppBase ? static_cast<DialogListener*>(gQuorAppBase) : nullptr),
      mDialogHeader(header), mDialogFooter(footer), mDialogLines(lines), mButtonMode(buttonMode),
      mId(dialogId), mIsModal(isModal)
{
    mHasAlpha = true;
    mHasTransparencies = true;
    mPriority = 1;

    if (buttonMode == BUTTONS_YES_NO || buttonMode == BUTTONS_OK_CANCEL) {
        mYesButton = new DialogButton(ID_YES, this);
        mNoButton = new DialogButton(ID_NO, this);
        const bool yesNo = buttonMode == BUTTONS_YES_NO;
        mYesButton->mLabel = yesNo ? DIALOG_YES_STRING : DIALOG_OK_STRING;
        mNoButton->mLabel = yesNo ? DIALOG_NO_STRING : DIALOG_CANCEL_STRING;
    } else if (buttonMode == BUTTONS_FOOTER) {
        mYesButton = new DialogButton(ID_YES, this);
        mYesButton->mLabel = footer;
    }

    static const int kColors[NUM_COLORS][3] = {
        {255, 255, 255}, {255, 255, 0}, {255, 255, 255}, {255, 255, 255},
        {255, 255, 255}, {80, 80, 80},  {255, 255, 255},
    };
    SetColorsRGB(kColors, NUM_COLORS);
}

Dialog::~Dialog()
{
    delete mYesButton;
    delete mNoButton;
    delete mHeaderFont;
    delete mLinesFont;
}

QuorAppBase* Dialog::GetApp()
{
    if (mWidgetManager != nullptr && mWidgetManager->mApp != nullptr)
        return mWidgetManager->mApp;
    return gQuorAppBase;
}

void Dialog::SetAppCursor(int cursor)
{
    if (QuorAppBase* app = GetApp())
        app->SetCursor(cursor);
}

void Dialog::EnsureFonts()
{
    if (mHeaderFont == nullptr)
        mHeaderFont = new SysFont(GetApp(), "Arial Unicode MS", 14, 0);
    if (mLinesFont == nullptr)
        mLinesFont = new SysFont(GetApp(), "Arial Unicode MS", 12, 0);
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    const int buttonIndex = index == COLOR_BUTTON_TEXT          ? ButtonWidget::COLOR_LABEL
                            : index == COLOR_BUTTON_TEXT_HILITE ? ButtonWidget::COLOR_LABEL_HILITE
                                                                : -1;
    if (buttonIndex < 0)
        return;
    if (mYesButton != nullptr)
        mYesButton->SetColor(buttonIndex, color);
    if (mNoButton != nullptr)
        mNoButton->SetColor(buttonIndex, color);
}

void Dialog::SetButtonFont(Font* font)
{
    if (mYesButton != nullptr)
        mYesButton->SetFont(font);
    if (mNoButton != nullptr)
        mNoButton->SetFont(font);
}

void Dialog::SetHeaderFont(Font* font)
{
    delete mHeaderFont;
    mHeaderFont = font != nullptr ? font->Duplicate() : nullptr;
}

void Dialog::SetLinesFont(Font* font)
{
    delete mLinesFont;
    mLinesFont = font != nullptr ? font->Duplicate() : nullptr;
}

void Dialog::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    // The buttons are the manager's widgets, directly above the dialog.
    if (mYesButton != nullptr)
        manager->AddWidget(mYesButton);
    if (mNoButton != nullptr)
        manager->AddWidget(mNoButton);
}

void Dialog::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
    if (mYesButton != nullptr)
        manager->RemoveWidget(mYesButton);
    if (mNoButton != nullptr)
        manager->RemoveWidget(mNoButton);
}

void Dialog::OrderChanged()
{
    if (mWidgetManager == nullptr)
        return;
    if (mYesButton != nullptr)
        mWidgetManager->PutInFront(mYesButton, this);
    if (mNoButton != nullptr)
        mWidgetManager->PutInFront(mNoButton, this);
}

void Dialog::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    if (mYesButton == nullptr)
        return;
    const Insets& c = mContentInsets;
    const Insets& b = mBackgroundInsets;
    const int rowY = mY + mHeight - b.mBottom - c.mBottom - mButtonHeight;
    if (mNoButton != nullptr) {
        const int buttonWidth = (mWidth - c.mLeft - c.mRight - b.mLeft - b.mRight -
                                 2 * mButtonSidePadding - mButtonHorzSpacing) / 2;
        const int yesX = mX + c.mLeft + b.mLeft + mButtonSidePadding;
        mYesButton->Resize(yesX, rowY, buttonWidth, mButtonHeight);
        mNoButton->Resize(yesX + buttonWidth + mButtonHorzSpacing, rowY, buttonWidth,
                          mButtonHeight);
    } else {
        mYesButton->Resize(mX + c.mLeft + b.mLeft, rowY,
                           mWidth - b.mRight - c.mRight - c.mLeft - b.mLeft, mButtonHeight);
    }
}

void Dialog::Update()
{
    Widget::Update();
}

void Dialog::Draw(Graphics* g)
{
    EnsureFonts();
    const Insets& c = mContentInsets;
    const Insets& b = mBackgroundInsets;

    if (mComponentImage != nullptr) {
        g->DrawImageBox(Rect(c.mLeft, c.mTop, mWidth - c.mLeft - c.mRight,
                             mHeight - c.mTop - c.mBottom),
                        mComponentImage);
    } else {
        g->SetColor(GetColorOr(COLOR_OUTLINE, Color(255, 255, 255)));
        g->DrawRect(12, 12, mWidth - 25, mHeight - 25);
        g->SetColor(GetColorOr(COLOR_BKG, Color(80, 80, 80)));
        g->FillRect(13, 13, mWidth - 26, mHeight - 26);
        // Drop shadow on the right and at the bottom.
        g->SetColor(Color(0, 0, 0, 128));
        g->FillRect(mWidth - 12, 24, 12, mHeight - 36);
        g->FillRect(24, mHeight - 12, mWidth - 24, 12);
    }

    int y = b.mTop + c.mTop;
    if (!mDialogHeader.empty()) {
        y -= mHeaderFont->GetAscentPadding();
        g->SetFont(mHeaderFont);
        g->SetColor(GetColor(COLOR_HEADER));
        WriteCenteredText(g, y + mHeaderFont->GetAscent(), mDialogHeader);
        y += mHeaderFont->GetHeight() + mSpaceAfterHeader;
    }

    g->SetFont(mLinesFont);
    g->SetColor(GetColor(COLOR_LINES));
    const Rect linesRect(c.mLeft + 2 + b.mLeft, y,
                         mWidth - b.mRight - c.mLeft - b.mLeft - c.mRight - 4, 0);
    const int linesHeight = WriteWordWrapped(g, linesRect, mDialogLines,
                                             mLinesFont->GetLineSpacing() + mLineSpacingOffset,
                                             mTextAlign);

    if (!mDialogFooter.empty() && mButtonMode != BUTTONS_FOOTER) {
        g->SetFont(mHeaderFont);
        g->SetColor(GetColor(COLOR_FOOTER));
        WriteCenteredText(g, y + linesHeight + 8 + mHeaderFont->GetLineSpacing(), mDialogFooter);
    }
}

int Dialog::GetPreferredHeight(int width)
{
    EnsureFonts();
    const Insets& c = mContentInsets;
    const Insets& b = mBackgroundInsets;
    int height = b.mTop + b.mBottom + c.mTop + c.mBottom;
    bool placed = false;

    if (!mDialogHeader.empty()) {
        height += mHeaderFont->GetHeight() - mHeaderFont->GetAscentPadding();
        placed = true;
    }
    if (!mDialogLines.empty()) {
        if (placed)
            height += mSpaceAfterHeader;
        Graphics g;
        g.SetFont(mLinesFont);
        height += GetWordWrappedHeight(&g, width - b.mRight - b.mLeft - c.mRight - c.mLeft - 4,
                                       mDialogLines,
                                       mLinesFont->GetLineSpacing() + mLineSpacingOffset);
        placed = true;
    }
    if (!mDialogFooter.empty() && mButtonMode != BUTTONS_FOOTER) {
        if (placed)
            height += 8;
        height += mHeaderFont->GetLineSpacing();
        placed = true;
    }
    if (mYesButton != nullptr) {
        if (placed)
            height += 8;
        height += 8 + mButtonHeight;
    }
    return height;
}

void Dialog::MouseDownButton(int x, int y, int button, int clickCount)
{
    (void)button;
    // Only a single press drags; double clicks do not.
    if (clickCount != 1)
        return;
    SetAppCursor(kCursorDrag);
    mDragging = true;
    mDragMouseX = x;
    mDragMouseY = y;
}

void Dialog::MouseUpButton(int x, int y, int button, int clickCount)
{
    (void)x;
    (void)y;
    (void)button;
    (void)clickCount;
    if (!mDragging)
        return;
    SetAppCursor(kCursorArrow);
    mDragging = false;
}

void Dialog::MouseDrag(int x, int y)
{
    if (!mDragging)
        return;
    int newX = mX - mDragMouseX + x;
    int newY = mY - mDragMouseY + y;
    if (mWidgetManager != nullptr) {
        // At most 8 pixels off each edge of the screen.
        const int maxX = mWidgetManager->mWidth - mWidth + kDragMargin;
        const int maxY = mWidgetManager->mHeight - mHeight + kDragMargin;
        if (newX < -kDragMargin)
            newX = -kDragMargin;
        else if (newX > maxX)
            newX = maxX;
        if (newY < -kDragMargin)
            newY = -kDragMargin;
        else if (newY > maxY)
            newY = maxY;
    }
    // The grab point moves by what the clamp held back, and stays 8 pixels inside the dialog.
    mDragMouseX = mX - newX + x;
    mDragMouseY = mY - newY + y;
    if (mDragMouseX < kDragMargin)
        mDragMouseX = kDragMargin;
    else if (mDragMouseX > mWidth - kDragMargin - 1)
        mDragMouseX = mWidth - kDragMargin - 1;
    if (mDragMouseY < kDragMargin)
        mDragMouseY = kDragMargin;
    else if (mDragMouseY > mHeight - kDragMargin - 1)
        mDragMouseY = mHeight - kDragMargin - 1;
    Move(newX, newY);
}

void Dialog::ButtonPress(int id)
{
    if ((id == ID_YES || id == ID_NO) && mDialogListener != nullptr)
        mDialogListener->DialogButtonPress(mId, id);
}

void Dialog::ButtonDepress(int id)
{
    if (id != ID_YES && id != ID_NO)
        return;
    mResult = id;
    if (mDialogListener != nullptr)
        mDialogListener->DialogButtonDepress(mId, id);
}

int Dialog::WaitForResult(bool autoKill)
{
    QuorAppBase* app = GetApp();
    if (app == nullptr)
        return mResult;
    while (app->UpdateAppStep(nullptr) && mWidgetManager != nullptr && mResult == NO_RESULT) {
    }
    // Killing marks an unanswered dialog; the caller learns the answer as it stood.
    const int result = mResult;
    if (autoKill)
        app->KillDialog(mId);
    return result;
}

} // namespace Quor
