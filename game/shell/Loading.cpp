#include "game/shell/Loading.h"

#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "display/DDImage.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>

namespace Quor {

Loading::Loading(GameApp* app) : mApp(app)
{
    mBackground = mApp->LoadImageFile("images/menu_load/bg.png", true);
}

Loading::~Loading()
{
    delete mBackground;
}

void Loading::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    mLoaderBar = IMG_LOADER_BAR;
}

void Loading::RemovedFromManager(WidgetManager* manager)
{
    Widget::RemovedFromManager(manager);
}

void Loading::Update()
{
    if (mSplashCounter > 0 && mApp->mUpdateCount % 2 == 0)
        Tick(0.02);
    Widget::Tick(0.01);
}

void Loading::Tick(double dt)
{
    if (!mSplashFalling) {
        mSplashTimer += dt;
        if (mSplashTimer >= 1.0) {
            mSplashTimer = 1.0;
            mSplashFalling = true;
        }
    } else {
        mSplashTimer -= dt;
        if (mSplashTimer <= 0.0) {
            --mSplashCounter;
            mSplashTimer = 0.0;
            mSplashFalling = false;
            if (mSplashCounter == 0)
                mApp->SetSplashDone();
            if (mSplashCounter == 1)
                mApp->PlaySample(SE_CORVANTIS);
        }
    }
    SetDirty();
}

void Loading::Draw(Graphics* g)
{
    g->SetColor(Color(0, 0, 0));
    g->FillRect(0, 0, mWidth, mHeight);
    if (mSplashCounter > 0) {
        int alpha = std::min(255, int(mSplashTimer * 255 * 2));
        char name[32];
        std::snprintf(name, sizeof(name), "IMG_SPLASH_%d", mSplashCounter);
        g->SetColor(Color(255, 255, 255, alpha));
        g->SetColorizeImages(true);
        if (Image* splash = ResourceImageById(ResourceIdByName(name)))
            g->DrawImage(splash, 0, 0);
    } else {
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        g->SetColorizeImages(true);
        if (mBackground)
            g->DrawImage(mBackground, 0, 0);
        if (mLoaderBar) {
            int w = int(mApp->GetLoadingProgress() * mLoaderBar->GetWidth());
            if (w > 0)
                g->DrawImageRegion(mLoaderBar, 263, 501, Rect(0, 0, w, mLoaderBar->GetHeight()));
        }
    }
    g->SetColorizeImages(false);
}

void Loading::FadeOutDone()
{
    mWidgetManager->RemoveWidget(this);
    mApp->SafeDeleteWidget(this);
    mApp->ShowScreen(SCREEN_MAIN_MENU, 0);
    if (!mApp->AnyProfileNamed())
        mApp->ShowScreen(SCREEN_ACCOUNT, 0);
}

} // namespace Quor
