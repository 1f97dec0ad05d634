// The mini-game screen, panel 10 of the game screen: opened from a factory to play one mini-game
// (0 shaping, 1 conveyor, 2 painting, 3 production machine, 4 glazing) for the product of the
// current country's factory. The mini-games themselves are not part of the game yet: the screen
// says so in the log and at its first tick goes back to the factory.
#pragma once

#include "game/world/GamePanel.h"

namespace Quor {

class MgUi : public GamePanel {
public:
    MgUi(GamePhase* owner, int miniGameId);

    void Tick(double dt) override;

    // Closes this screen, restarts the country's music, reopens the factory of the current
    // country and pays the winnings into the profile's money.
    void ReturnToFactory();
    // Shows the ready sign whose end starts the game.
    void ShowReadySign();
    // Writes a finished game's result into the product's production record: the production
    // machine (3) raises the rate to it, shaping (0) rating 1 and glazing (4) rating 2, each
    // only when the result is higher. Other games and a product without a record change nothing.
    void FinishWithResult(int result);

    int mMiniGameId;
    int mProductId = -1;      // the product set in the current country's factory; -1 none
    int mWinnings = 0;        // money paid on leaving
    bool mContinue = true;    // the shown game's continue flag (the tutorial holds play with it)
    bool mReadySign = false;  // the ready sign has been shown
};

} // namespace Quor
