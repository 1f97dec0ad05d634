// The mini-game screen, panel 10 of the game screen: opened from a factory to play one
// production mini-game for the product of the current country's factory. It owns the clock,
// level, score and winnings the games read and write, the screen's effects, particles and
// background sounds, the ready sign, the back and end buttons, and drives the game every tick;
// it closes itself, reopens the factory and pays the winnings.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <vector>

namespace Quor {

class AmbientSoundCues;
class GameApp;
class ButtonWidget;
class EffectList;
class MgSkeleton;
class ParticleSet;

class MgUi : public GamePanel, public ButtonListener {
public:
    enum {
        ID_END = 999,        // end button, and "yes" of the quit popup
        ID_RESUME = 991,     // "no" of the quit popup
        ID_BACK = 10999,     // back button
        ID_READY_SIGN = 101, // the ready sign's effect
        ID_RESULT_SHOWN = 1, // a game's result display
    };
    static constexpr double kReadySignTime = 2.5;

    // Builds the screen and the game of the number (or of the player's tutorial step 501, 601,
    // 701). A number no game answers to, a factory without a product, recipe or production
    // record, or a "Mg" group that did not load leaves no game: one log line, and the first
    // tick goes back to the factory.
    MgUi(GamePhase* owner, int miniGameId);
    // Ends the effects, sounds and particles, deletes the game and frees "Mg".
    ~MgUi() override;

    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;

    // Closes this screen (once): takes its buttons and the game's pieces off the game screen,
    // closes panel 10, restarts the country's music, reopens the factory, shows the head-up
    // display, re-checks the quests and pays the winnings. Nothing of this screen is touched
    // after it; the screen itself is freed at the game screen's next update.
    void ReturnToFactory();
    // Starts the ready sign, whose end starts the game; nothing while one runs or once the game
    // has started.
    void ShowReadySign();

    // The tutorial's actions 503 and 506: the tutorial's game runs on from its checkpoint.
    void ContinueTutorialGame();

    // Whether the player has a tutorial step pending.
    bool TutorialPending() const;
    // A tutorial event for the tutorial frame when one is open.
    virtual void PassTutorEvent(int id);

    GameApp* App() const;

    MgSkeleton* mGame = nullptr;        // owned; null when no game could be built
    EffectList* mEffects;               // owned
    AmbientSoundCues* mSoundCues;       // owned
    ParticleSet* mParticles;            // owned
    ButtonWidget* mBackButton = nullptr; // owned (a control of the panel)
    ButtonWidget* mEndButton = nullptr;  // owned (a control of the panel, on screen once shown)
    int mMiniGameId;
    int mProductId = -1;
    int mScore = 0;
    int mLevel = 1;
    double mCountdown = 60.0;
    int mWinnings = 0;

private:
    // The game of the number or tutorial step, or null with a log line.
    MgSkeleton* MakeGame(int miniGameId);
    void HandleEffectsDone(const std::vector<int>& ids);

    bool mReturned = false;          // ReturnToFactory ran
    bool mReadySignShown = false;    // a ready sign was started
    bool mGameStarted = false;       // StartGame ran
};

} // namespace Quor
