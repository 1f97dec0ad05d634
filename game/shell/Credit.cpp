#include "game/shell/Credit.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

namespace Quor {

Credit::Credit(GameApp* app) : mApp(app) {}

int Credit::FadeSpeed() const
{
    return mApp->miniGameTuning.credit_fade;
}

void Credit::AddedToManager(WidgetManager* manager)
{
    (void)manager;
    mSkipButton = new ButtonWidget(ID_SKIP, this);
    mSkipButton->mButtonImage = IMG_NONE;
    mSkipButton->Resize(0, 0, mApp->mWidth, mApp->mHeight);
    AddWidget(mSkipButton);
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK, BTN_OK_O, BTN_OK_C, 950, 700);
    AddWidget(mOkButton);
    mFadeAlpha = 0;
    mFadingIn = true;
}

void Credit::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
    for (ButtonWidget** button : {&mOkButton, &mSkipButton}) {
        if (*button) {
            RemoveWidget(*button);
            mApp->SafeDeleteWidget(*button);
            *button = nullptr;
        }
    }
}

void Credit::Update()
{
    if (mApp->mActive)
        Tick(0.02);
}

void Credit::Tick(double step)
{
    (void)step;
    SetDirty();
    if (mOwnFadingIn && mOwnFadeAlpha < 255) {
        mOwnFadeAlpha += 10;
        if (mOwnFadeAlpha >= 255) {
            mOwnFadeAlpha = 255;
            mOwnFadingIn = false;
            FadeInDone();
        }
    }
    if (mOwnFadingOut && mOwnFadeAlpha > 0) {
        mOwnFadeAlpha -= 10;
        if (mOwnFadeAlpha <= 0) {
            mOwnFadeAlpha = 0;
            mOwnFadingOut = false;
            FadeOutDone();
            return;
        }
    }
    if (mPictureStep != 0) {
        mPictureAlpha += mPictureStep;
        if (mPictureAlpha >= 255) {
            mPictureAlpha = 255;
            mPictureStep = 0;
            mPictureShownAt = mApp->GetClock()->GetTickCount();
        } else if (mPictureAlpha < 0) {
            mPictureIndex = (mPictureIndex + 1) % 4;
            mPictureAlpha = 0;
            mPictureStep = FadeSpeed();
        }
    }
    if (mPictureShownAt != 0 && mApp->GetClock()->GetTickCount() - mPictureShownAt > kHoldMs) {
        mPictureShownAt = 0;
        mPictureStep = -FadeSpeed();
    }
    Widget::Tick(0.02);
}

void Credit::FadeInDone()
{
    mOwnFadeAlpha = 255;
    mPictureIndex = 0;
    mPictureAlpha = 0;
    mPictureStep = FadeSpeed();
    mPictureShownAt = 0;
}

void Credit::FadeOutDone()
{
    CloseScreen(mApp, this, SCREEN_CREDIT);
}

void Credit::Draw(Graphics* g)
{
    if (!mApp->mActive)
        return;
    g->SetColor(Color(0, 0, 0, mOwnFadeAlpha * 128 / 255));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, mOwnFadeAlpha));
    g->SetColorizeImages(true);
    if (CREDIT_BG1)
        g->DrawImage(CREDIT_BG1, 0, 0);
    Image* const pictures[4] = {CREDIT_01, CREDIT_02, CREDIT_03, CREDIT_04};
    const int pictureAlpha = mPictureAlpha * mOwnFadeAlpha / 255;
    g->SetColor(Color(255, 255, 255, pictureAlpha));
    if (Image* picture = pictures[mPictureIndex & 3]; picture && pictureAlpha > 0)
        g->DrawImage(picture, 90, 120);
    g->SetColor(Color(255, 255, 255, 255));
    if (mOkButton)
        mOkButton->DrawIfVisible(g);
    g->SetColorizeImages(false);
}

void Credit::ButtonDepress(int id)
{
    mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_OK) {
        mOwnFadeAlpha = 255;
        mOwnFadingOut = true;
        mOwnFadingIn = false;
    } else if (mPictureShownAt != 0) {
        mPictureShownAt = 0;
        mPictureStep = -FadeSpeed();
    }
}

void Credit::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mApp, this);
}

void Credit::ButtonMouseLeave(int id)
{
    (void)id;
    ShowFinger(false);
}

} // namespace Quor
