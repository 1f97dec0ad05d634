// GameApp: the screens by number.
#include "game/shell/GameApp.h"

#include "editor/DataEditor.h"
#include "game/shell/Award.h"
#include "game/shell/Credit.h"
#include "game/shell/MainMenu.h"
#include "game/shell/PopupAccount.h"
#include "game/shell/PopupHelp.h"
#include "game/shell/PopupOption.h"
#include "game/shell/PopupQuit.h"
#include "game/shell/Score.h"
#include "game/world/GamePhase.h"
#include "game/world/LogoSelect.h"
#include "platform/Sys.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <cstdio>

namespace Quor {

namespace {

const char* const kScreenNames[SCREEN_SLOTS] = {
    "",      "GamePhase",    "MainMenu",     "PopupHelp", "PopupOption", "Credit",     "Award",
    "Score", "PopupQuit",    "PopupAccount", "LogoSelect", "DataEditor", "DataEditor",
};

} // namespace

Widget* GameApp::MakeScreen(int& id, int mode)
{
    if (id < 1 || id >= SCREEN_SLOTS)
        return nullptr;
    switch (id) {
    case SCREEN_GAME:
        return new GamePhase(this);
    case SCREEN_MAIN_MENU:
        return new MainMenu(this);
    case SCREEN_HELP:
        return new PopupHelp(this);
    case SCREEN_OPTION:
        return new PopupOption(this);
    case SCREEN_CREDIT:
        return new Credit(this);
    case SCREEN_AWARD:
        return new Award(this, mode);
    case SCREEN_SCORE:
        return new Score(this);
    case SCREEN_QUIT:
        return new PopupQuit(this, mode);
    case SCREEN_ACCOUNT:
        return new PopupAccount(this);
    case SCREEN_LOGO:
        return new LogoSelect(this);
    case SCREEN_EDITOR:
    case SCREEN_EDITOR2:
        return new DataEditor(this, mode);
    default:
        break;
    }
    // Not built yet: the main menu opens in its place, so the game never ends on an empty
    // screen.
    char line[160];
    std::snprintf(line, sizeof(line), "Screen %d (%s) is not built yet; the main menu opens instead\n", id,
                  kScreenNames[id]);
    plat::DebugOutput(line);
    id = SCREEN_MAIN_MENU;
    return MakeScreen(id, 0);
}

void GameApp::ShowScreen(int id, int mode)
{
    Widget* screen = MakeScreen(id, mode);
    if (!screen)
        return;
    // A slot that still holds a screen gives it up first, so no screen is left unreachable.
    if (screens[id])
        RemoveScreen(id);
    screens[id] = screen;
    screen->Resize(0, 0, mWidth, mHeight);
    mWidgetManager->AddWidget(screen);
    // A game with a pending tutorial step opens on the tutorial frame.
    if (auto* game = dynamic_cast<GamePhase*>(screen); game && GetCurrentProfile().tutorialStep != TutorialFinished)
        game->ShowPanel(PANEL_TUTOR, GetCurrentProfile().tutorialStep);
}

void GameApp::RemoveScreen(int id)
{
    if (id < 1 || id >= SCREEN_SLOTS || !screens[id])
        return;
    Widget* screen = screens[id];
    mWidgetManager->RemoveWidget(screen);
    SafeDeleteWidget(screen);
    screens[id] = nullptr;
}

} // namespace Quor
