// The place screen with a character, panel 5 of the game screen: the full-screen interior of a
// place (cellar, supplier, mission house or factory) with its name, over which the character
// dialog is drawn. It slides in from the left while fading in, passes the dialog's effect
// notices on, and slides out to the right once the dialog has closed; then it frees itself and
// the country screen opens the place the click asked for.
#pragma once

#include "game/world/GamePanel.h"

namespace Quor {

class Image;
class Mission;

class MissionHouse : public GamePanel {
public:
    static constexpr double kSlideSpeed = 700.0;  // fade steps per second
    static constexpr int kScreenWidth = 1024;

    MissionHouse(GamePhase* owner, int country);
    // Leaves the dialog, which outlives the screen, without an opener.
    ~MissionHouse() override;

    // Given by the country screen: the country, the place (the character slot) and the dialog.
    void AttachDialog(int country, int slot, GamePanel* dialog) override;
    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    void FadeInDone() override;
    // Closes this panel, then the country screen opens the pending place.
    void FadeOutDone() override;
    void OnNotify(int id) override;

    // The background and the name picture of the place; null where it has none.
    Image* Background() const;
    Image* NamePicture() const;

    Mission* mDialog = nullptr;  // not owned
    int mCountry;
    int mPlace = -1;  // 0 cellar, 1 supplier, 2 mission house, 4 factory
    bool mFadeInDone = false;
};

} // namespace Quor
