// The rescue, panel 13 of the game screen: a player who has run out of money and dinnerware after
// the tutorial is handed $500 (variant 1); after 100 rescues since the program started the final
// picture shows instead and nothing closes it (variant 3). A modal popup: an invisible button over
// the whole screen takes every other click.
#pragma once

#include "game/world/MessagePopup.h"

namespace Quor {

class Image;

class GameOver : public MessagePopup {
public:
    enum { VARIANT_RESCUE = 1, VARIANT_FINAL = 3 };
    static constexpr int kRescueMoney = 500;
    static constexpr const char* kRescueText =
        "It appears that we have run out of capital. As the Chief Council for the Ravavidar family, I was able to "
        "secure $500 to help you get back on your feet. You can use this to create more dinnerware to sell and build "
        "your wealth back up.";
    static constexpr const char* kFinalLabel = "Don't play dazez anymore!!";
    static constexpr const char* kFinalPicture = "images/tutor/game_over";

    GameOver(GamePhase* owner, int variant);
    ~GameOver() override;

    // Puts the blocker and, in variant 1, the OK button into the game screen.
    void FadeInDone() override;
    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;

    int mVariant;
    Image* mPicture = nullptr;  // owned; variant 3 only
};

} // namespace Quor
