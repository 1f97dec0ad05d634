#include "game/world/MessagePopup.h"

#include "app/Common.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/Factory.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

namespace Quor {

namespace {

constexpr int kTextInset = 40;

} // namespace

MessagePopup::MessagePopup(GamePhase* owner, const char* placeholder)
    : GamePanel(owner), mX(GetCenteredX(ImageWidth(GM_HINT_BG))), mY(300), mMessage(placeholder)
{
    mBlocker = MakeImageButton(ID_BLOCKER, this, IMG_NONE, nullptr, nullptr, 0, 0);
    mBlocker->Resize(0, 0, owner->mWidth, owner->mHeight);
    TakeControl(mBlocker);
    mFadeAlpha = 254;
    mFadingIn = true;
}

void MessagePopup::Tick(double dt)
{
    (void)dt;
    mOwner->SetDirty();
    if (mFadingIn && mFadeAlpha < 255) {
        mFadeAlpha += 10;
        if (mFadeAlpha >= 255) {
            mFadeAlpha = 255;
            mFadingIn = false;
            FadeInDone();
        }
    }
}

void MessagePopup::FadeInDone()
{
    mFadeAlpha = 255;
    AddControl(mBlocker);
    AddControl(mFirst);
    if (mSecond != nullptr)
        AddControl(mSecond);
}

void MessagePopup::Draw(Graphics* g)
{
    g->SetColor(Color(0, 0, 0, mFadeAlpha * 128 / 255));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (GM_HINT_BG != nullptr)
        g->DrawImage(GM_HINT_BG, mX, mY);
    if (FONT_S14 != nullptr) {
        g->SetFont(FONT_S14);
        g->SetColor(Color::White);
        g->DrawWrappedTextAt(mMessage, mX + kTextInset, mY + 50, ImageWidth(GM_HINT_BG) - 2 * kTextInset, 20, -1);
    }
    mFirst->DrawIfVisible(g);
    if (mSecond != nullptr)
        mSecond->DrawIfVisible(g);
    g->SetColorizeImages(false);
}

void MessagePopup::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void MessagePopup::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

Warning::Warning(GamePhase* owner, int style) : MessagePopup(owner, "Warning Message here")
{
    if (style == 4)
        mFirst = MakeImageButton(ID_FIRST, this, BTN_OK4, BTN_OK4_O, BTN_OK4_C, mX + 145, mY + 215);
    else
        mFirst = MakeImageButton(ID_FIRST, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, mX + 145, mY + 185);
    TakeControl(mFirst);
}

void Warning::ButtonDepress(int id)
{
    mOwner->mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_FIRST)
        mOwner->ClosePanel(PANEL_WARNING);
}

UIPopupYesNo::UIPopupYesNo(GamePhase* owner, int kind) : MessagePopup(owner, "UIPopupYesNo Message here"), mKind(kind)
{
    mFirst = MakeImageButton(ID_FIRST, this, BTN_YES, BTN_YES_O, BTN_YES_C, mX + 45, mY + 215);
    mSecond = MakeImageButton(ID_SECOND, this, BTN_NO, BTN_NO_O, BTN_NO_C, mX + 215, mY + 215);
    TakeControl(mFirst);
    TakeControl(mSecond);
}

int UIPopupYesNo::MiniGameOfKind(int kind)
{
    switch (kind) {
    case 1:
        return 3;  // production machine
    case 2:
        return 0;  // shaping
    case 3:
        return 4;  // glazing
    default:
        return -1;
    }
}

void UIPopupYesNo::ButtonDepress(int id)
{
    GamePhase* owner = mOwner;
    owner->mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_SECOND) {
        owner->ClosePanel(PANEL_YES_NO);
    } else if (id == ID_FIRST) {
        const int game = MiniGameOfKind(mKind);
        if (game >= 0)
            Factory::StartMiniGame(owner, game);
        owner->ClosePanel(PANEL_YES_NO);
    }
}

} // namespace Quor
