// What the menu screens reach of the game screen in slot 1: the quit popup returns to the main
// menu through it and answers the mini-game panel, and the award screen opened from a quest's
// rewards moves on to the next reward. The game screen implements it.
#pragma once

namespace Quor {

class ButtonListener;

class GameScreenAccess {
public:
    virtual ~GameScreenAccess() = default;

    // Leaves the game for a new main menu; with save the current profile is written first,
    // without it the profile is read back from its file.
    virtual void ReturnToMainMenu(bool save) = 0;
    // The open mini-game panel's button listener, or null when no mini-game is open.
    virtual ButtonListener* GetMiniGameListener() = 0;
    // The quest reward view advances to the next reward and shows it.
    virtual void ShowNextQuestReward() = 0;
};

} // namespace Quor
