// The tooltip of the head-up display, panel 15 of the game screen: a one-line text in a white box
// that shows a second after it is asked for, and at once while one is already showing.
#pragma once

#include "game/world/GamePanel.h"

#include <string>

namespace Quor {

class Font;

class Note : public GamePanel {
public:
    explicit Note(GamePhase* owner);
    ~Note() override;

    // Arms the note with a text whose box's top-left is x, y; a showing note changes at once.
    void SetText(const std::string& text, int x, int y) override;
    // Hides the note; the next one waits its delay again.
    void Hide();
    void Tick(double dt) override;
    void Draw(Graphics* g) override;

    Font* mFont;  // owned
    int mX = 0;
    int mY = 0;
    std::string mText;
    double mDelay = 1.0;  // seconds until an armed note shows
    bool mArmed = false;
    bool mShowing = false;
};

} // namespace Quor
