#include "game/shell/Loading.h"

#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"
#include "widgets/WidgetManager.h"

namespace Quor {

Loading::Loading(GameApp* app) : mApp(app)
{
    mApp->SetSplashDone();
}

void Loading::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    mLoaderBar = IMG_LOADER_BAR;
}

void Loading::Update()
{
    Widget::Tick(0.01);
}

void Loading::Draw(Graphics* g)
{
    g->SetColor(Color(0, 0, 0));
    g->FillRect(0, 0, mWidth, mHeight);
    if (!mLoaderBar)
        return;
    int w = int(mApp->GetLoadingProgress() * mLoaderBar->GetWidth());
    if (w > 0)
        g->DrawImageRegion(mLoaderBar, 263, 501, Rect(0, 0, w, mLoaderBar->GetHeight()));
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
