// The modal message popups of the game screen: the warning with its OK button (panel 14) and the
// yes/no question whose YES plays a factory mini-game again (panel 16). Both darken the game, fade
// in over one tick and lay an invisible button over the whole screen so nothing below is pressed.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <string>

namespace Quor {

class ButtonWidget;

class MessagePopup : public GamePanel, public ButtonListener {
public:
    enum { ID_BLOCKER = 999, ID_FIRST = 10001, ID_SECOND = 10002 };

    void SetMessage(const std::string& text) { mMessage = text; }

    void Tick(double dt) override;
    // Puts the blocker, then the buttons, into the game screen.
    void FadeInDone() override;
    void Draw(Graphics* g) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    ButtonWidget* mBlocker;           // owned through the panel
    int mX;                           // top-left of the hint box
    int mY;
    ButtonWidget* mFirst = nullptr;   // OK or YES
    ButtonWidget* mSecond = nullptr;  // NO; question only
    std::string mMessage;

protected:
    MessagePopup(GamePhase* owner, const char* placeholder);
};

// A message with an OK button; style 4 has the larger OK lower down.
class Warning : public MessagePopup {
public:
    Warning(GamePhase* owner, int style);
    void ButtonDepress(int id) override;
};

// A question with YES and NO: kinds 1-3 ask whether to play the production machine, the shaping
// or the glazing game again.
class UIPopupYesNo : public MessagePopup {
public:
    UIPopupYesNo(GamePhase* owner, int kind);
    void ButtonDepress(int id) override;
    // The mini-game YES of a kind opens; -1 for a kind without one.
    static int MiniGameOfKind(int kind);

    int mKind;
};

} // namespace Quor
