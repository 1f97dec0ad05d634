#include "game/shell/MenuScreen.h"

#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

namespace Quor {

GroupLoad LoadScreenGroup(GameApp* app, const char* group, bool (*bind)(ResourceManager*))
{
    DCapResource* resources = app->resourceManager;
    resources->StartLoadResources(group);
    while (resources->LoadNextResource())
        if (app->mShutdown || app->mShutdownRequested)
            return GroupLoad::Aborted;
    if (resources->HadError() || !bind(resources)) {
        app->mShutdownRequested = true;
        app->ReportResourceError(true);
        return GroupLoad::Failed;
    }
    return GroupLoad::Loaded;
}

void ReleaseScreenGroup(GameApp* app, const char* group)
{
    app->resourceManager->DeleteResources(group);
    UnbindResourceGroup(group);
}

ButtonWidget* MakeImageButton(int id, ButtonListener* listener, Image* normal, Image* over, Image* down, int x,
                              int y, bool treeDraws)
{
    auto* button = new ButtonWidget(id, listener);
    button->mButtonImage = normal;
    button->mOverImage = over;
    button->mDownImage = down;
    button->mBtnNoDraw = !treeDraws;
    button->Resize(x, y, ImageWidth(normal), ImageHeight(normal));
    return button;
}

void CloseScreen(GameApp* app, Widget* screen, int slot)
{
    if (screen->mWidgetManager)
        screen->mWidgetManager->RemoveWidget(screen);
    app->SafeDeleteWidget(screen);
    if (slot > 0 && slot < SCREEN_SLOTS && app->screens[slot] == screen)
        app->screens[slot] = nullptr;
}

void ShowButtonHover(GameApp* app, Widget* screen)
{
    app->PlaySample(SE_UI_OVER);
    screen->ShowFinger(true);
}

void DrawMainMenuBelow(GameApp* app, Graphics* g)
{
    if (Widget* menu = app->screens[SCREEN_MAIN_MENU]) {
        g->PushState();
        menu->Draw(g);
        g->PopState();
    }
}

void DeleteChild(Widget* screen, Widget* child)
{
    if (!child)
        return;
    screen->RemoveWidget(child);
    delete child;
}

int ImageWidth(const Image* image)
{
    return image ? image->GetWidth() : 0;
}

int ImageHeight(const Image* image)
{
    return image ? image->GetHeight() : 0;
}

} // namespace Quor
