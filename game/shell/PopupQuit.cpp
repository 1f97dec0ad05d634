#include "game/shell/PopupQuit.h"

#include "game/shell/GameApp.h"
#include "game/shell/GameScreenAccess.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

namespace Quor {

PopupQuit::PopupQuit(GameApp* app, int mode) : mApp(app), mMode(mode)
{
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, 502 - ImageWidth(BTN_OK2), 330);
    mCancelButton = MakeImageButton(ID_CANCEL, this, BTN_CANCEL2, BTN_CANCEL2_O, BTN_CANCEL2_C, 522, 330);
}

PopupQuit::~PopupQuit()
{
    RemoveWidget(mOkButton);
    RemoveWidget(mCancelButton);
    delete mOkButton;
    delete mCancelButton;
}

const char* PopupQuit::Question(int mode)
{
    switch (mode) {
    case 1:
        return "Are you sure you want to quit?";
    case 2:
        return "Return to main menu?";
    case 3:
        return "Are you sure to quit this mini game?";
    case 4:
        return "Are you sure to quit? \n(Tutorial will not be saved until you finish it.)";
    default:
        return nullptr;
    }
}

void PopupQuit::AddedToManager(WidgetManager* manager)
{
    (void)manager;
    AddWidget(mOkButton);
    AddWidget(mCancelButton);
    mFadeAlpha = 0;
    mFadingIn = true;
}

void PopupQuit::Update()
{
    if (mApp->mActive && (mFadingIn || mFadingOut) && mApp->mUpdateCount % 2 == 0)
        Widget::Tick(0.02);
}

void PopupQuit::Draw(Graphics* g)
{
    if (!mApp->mActive)
        return;
    const float s = float(mFadeAlpha) / 255.0f;
    g->SetScale(s, s, 512, 280);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (MP_BG_QUIT)
        g->DrawImage(MP_BG_QUIT, (1024 - MP_BG_QUIT->GetWidth()) / 2, (600 - MP_BG_QUIT->GetHeight()) / 2);
    mOkButton->DrawIfVisible(g);
    mCancelButton->DrawIfVisible(g);
    g->SetFont(FONT_S16);
    g->SetColor(Color(0, 0, 0, mFadeAlpha));
    if (const char* question = Question(mMode); question && FONT_S16)
        g->DrawWrappedTextAt(question, 362, 280, 300, 20, 0);
    g->SetColorizeImages(false);
    g->SetScale(1, 1, 512, 280);
}

void PopupQuit::ButtonDepress(int id)
{
    mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_OK && Question(mMode))
        mPendingAction = ACTION_OK + mMode;
    else if (id == ID_CANCEL)
        mPendingAction = ACTION_CANCEL;
    else
        return;
    mFadingOut = true;
    mFadingIn = false;
    mFadeAlpha = 255;
}

void PopupQuit::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mApp, this);
}

void PopupQuit::FadeOutDone()
{
    GameApp* app = mApp;
    const int action = mPendingAction;
    const int mode = mMode;
    mPendingAction = -1;
    CloseScreen(app, this, SCREEN_QUIT);
    // The game screen is reached only while it is open; without it (or without an open
    // mini-game) the answer has nothing to act on.
    auto* game = dynamic_cast<GameScreenAccess*>(app->screens[SCREEN_GAME]);
    switch (action) {
    case ACTION_OK + 1:
        if (Widget* menu = app->screens[SCREEN_MAIN_MENU])
            CloseScreen(app, menu, SCREEN_MAIN_MENU);
        app->Shutdown();
        break;
    case ACTION_OK + 2:
        if (game)
            game->ReturnToMainMenu(true);
        break;
    case ACTION_OK + 3:
        if (ButtonListener* miniGame = game ? game->GetMiniGameListener() : nullptr)
            miniGame->ButtonDepress(MINIGAME_QUIT);
        break;
    case ACTION_OK + 4:
        if (game)
            game->ReturnToMainMenu(false);
        break;
    case ACTION_CANCEL:
        if (mode == 3)
            if (ButtonListener* miniGame = game ? game->GetMiniGameListener() : nullptr)
                miniGame->ButtonDepress(MINIGAME_RESUME);
        break;
    default:
        break;
    }
}

} // namespace Quor
