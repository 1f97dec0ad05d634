// The full-window screen shown in place of the main menu until the menus are built: the game's
// name and a line saying that the menus are still missing. Closing the window ends the program.
#pragma once

#include "widgets/Widget.h"

namespace Quor {

class GameApp;

class PlaceholderScreen : public Widget {
public:
    explicit PlaceholderScreen(GameApp* app);

    void Draw(Graphics* g) override;

private:
    GameApp* mApp;
};

} // namespace Quor
