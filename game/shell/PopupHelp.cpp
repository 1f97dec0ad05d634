#include "game/shell/PopupHelp.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <cstdio>

namespace Quor {

PopupHelp::PopupHelp(GameApp* app) : mApp(app)
{
    // The page fields keep their first values whatever the group does; a failed group ends the
    // program.
    LoadScreenGroup(mApp, "MenuHelp", &BindMenuHelpResources);
}

PopupHelp::~PopupHelp()
{
    // The buttons left the popup when it left the manager; none is queued for later deletion,
    // as this runs during the deferred deletion itself.
    for (ButtonWidget* button : {mOkButton, mPrevButton, mNextButton})
        DeleteChild(this, button);
    ReleaseScreenGroup(mApp, "MenuHelp");
}

void PopupHelp::AddedToManager(WidgetManager* manager)
{
    (void)manager;
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, 456, 647);
    AddWidget(mOkButton);
    mPrevButton = MakeImageButton(ID_PREV, this, MH_BTN_LEFT, MH_BTN_LEFT_O, MH_BTN_LEFT_C, 326, 647);
    AddWidget(mPrevButton);
    mPrevButton->SetVisible(false);
    mNextButton = MakeImageButton(ID_NEXT, this, MH_BTN_RIGHT, MH_BTN_RIGHT_O, MH_BTN_RIGHT_C, 586, 647);
    AddWidget(mNextButton);
    mFadeAlpha = 0;
    mFadingIn = true;
}

void PopupHelp::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
    RemoveAllWidgets(false, false);
}

void PopupHelp::Update()
{
    if (mApp->mActive && (mFadingIn || mFadingOut) && mApp->mUpdateCount % 2 == 0)
        Widget::Tick(0.02);
}

void PopupHelp::Draw(Graphics* g)
{
    if (!mApp->mActive || !mOkButton)
        return;
    DrawMainMenuBelow(mApp, g);
    const float f = float(mFadeAlpha) / 255.0f;
    g->SetScale(f, f, 512, 280);
    g->SetColorizeImages(true);
    g->SetColor(Color(0, 0, 0, mFadeAlpha * 128 / 255));
    g->FillRect(0, 0, mApp->mWidth, mApp->mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    char name[16];
    std::snprintf(name, sizeof(name), "MH_%d", mPage + 1);
    if (Image* page = ResourceImageById(ResourceIdByName(name)))
        g->DrawImage(page, 20, 18);
    mOkButton->DrawIfVisible(g);
    mPrevButton->DrawIfVisible(g);
    mNextButton->DrawIfVisible(g);
    g->SetColorizeImages(false);
    g->SetScale(1, 1, 512, 280);
}

void PopupHelp::ButtonDepress(int id)
{
    mApp->PlaySample(SE_UI_CLICK);
    switch (id) {
    case ID_OK:
        mFadeAlpha = 255;
        mFadingOut = true;
        mFadingIn = false;
        break;
    case ID_PREV:
        if (mPage > 0) {
            --mPage;
            mNextButton->SetVisible(true);
        }
        if (mPage == 0)
            mPrevButton->SetVisible(false);
        break;
    case ID_NEXT:
        if (mPage < mLastPage) {
            ++mPage;
            mPrevButton->SetVisible(true);
        }
        if (mPage == mLastPage) {
            mNextButton->SetVisible(false);
            mOkButton->SetVisible(true);
        }
        break;
    default:
        break;
    }
    SetDirty();
}

void PopupHelp::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mApp, this);
}

void PopupHelp::ButtonMouseLeave(int id)
{
    (void)id;
    ShowFinger(false);
}

void PopupHelp::FadeOutDone()
{
    CloseScreen(mApp, this, SCREEN_HELP);
}

} // namespace Quor
