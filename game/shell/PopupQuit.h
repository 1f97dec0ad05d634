// The quit popup (screen 8): asks to confirm leaving the program (mode 1, from the main menu),
// the game (2), a mini-game (3) or the tutorial (4). It grows from the centre while it fades
// in, and carries out the answer once it has faded out again.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace Quor {

class ButtonWidget;
class GameApp;

class PopupQuit : public Widget, public ButtonListener {
public:
    enum { ID_OK = 1, ID_CANCEL = 2, ACTION_CANCEL = 999, ACTION_OK = 10000 };
    // The answers sent to the mini-game panel.
    enum { MINIGAME_QUIT = 999, MINIGAME_RESUME = 991 };

    PopupQuit(GameApp* app, int mode);
    ~PopupQuit() override;

    void AddedToManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;

    // The question of a mode; null outside 1-4.
    static const char* Question(int mode);

    GameApp* mApp;
    int mMode;
    ButtonWidget* mOkButton = nullptr;
    ButtonWidget* mCancelButton = nullptr;
    int mPendingAction = -1;
};

} // namespace Quor
