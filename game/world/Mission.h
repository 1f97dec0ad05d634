// The character dialog, panel 8 of the game screen, made once with the game screen and kept for
// the whole game. It holds which character the player talks to and about which quest step; the
// quest engine reads and writes these fields.
#pragma once

#include "game/world/GamePanel.h"

namespace Quor {

class Mission : public GamePanel {
public:
    explicit Mission(GamePhase* owner);

    int mCountry = -1;      // country index of the character
    int mSlot = -1;         // character slot: 0 cellar, 1 supplier, 2 mission house
    int mQuestId = -1;      // quest spoken about; -1 for an idle speech
    int mTargetIndex = -1;  // quest target the speech belongs to
    bool mHandedIn = false; // a hand-in happened since the dialog was opened
};

} // namespace Quor
