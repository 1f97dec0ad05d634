// The base of the production mini-games: the fields every game shares, the operations through
// which the mini-game screen (MgUi) drives a game, with harmless defaults, the shared Finish, and
// what every game needs around them: its pieces kept on the game screen, pictures loaded by path
// and tuning values turned into whole numbers.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Quor {

class Color;
class Font;
class GamePhase;
class GameApp;
class Image;
class MgUi;

// The games by number, and the tutorial steps that replace the choice.
enum MiniGameId {
    MINI_GAME_PUZZLE = 0,
    MINI_GAME_TRANSFER = 1,
    MINI_GAME_PAINT = 2,
    MINI_GAME_WINE = 3,
    MINI_GAME_GLAZE = 4,
    TUTOR_STEP_WINE = 501,
    TUTOR_STEP_PUZZLE = 601,
    TUTOR_STEP_GLAZE = 701,
};

class MgSkeleton : public Widget, public ButtonListener {
public:
    // Stores the host, its owner screen and the number; not started, not finished. Each game's
    // own constructor then builds its containers, plays the mini-game music and calls LoadImages
    // and BuildBoard itself.
    MgSkeleton(MgUi* host, int gameNumber);
    // Takes the widgets the game put on the game screen out of it and deletes them.
    ~MgSkeleton() override;

    // Called by the host for every finished effect of its list (also 1 and 101, before Finish
    // and StartGame).
    virtual void OnEffectDone(int id);
    virtual void LoadImages();
    virtual void BuildBoard();
    // The ready sign has ended.
    virtual void StartGame();
    // The host's countdown reached 0 while play ran; called once.
    virtual void TimeUp();
    // The game ends its play (a game's own version calls EndPlay).
    virtual void StopGame();
    virtual void RaiseLevel();
    // The result is on show: sets finished, shows the host's end button and puts it on the game
    // screen.
    virtual void Finish();
    // The end button was pressed: true to go back to the factory now, false when the game opened
    // a popup and will close the host itself.
    virtual bool ShowReward();
    // First thing in every host tick; false when the game has just closed the host.
    virtual bool UpdateReward(double dt);
    // First thing in every host draw.
    virtual void DrawPanel(Graphics* g);

    // Play is over for good: not started, and the host never starts it again (TimeUp ran or the
    // game stopped itself).
    void EndPlay();
    bool HasEndedPlay() const { return mPlayEnded; }

    // A widget of the game put on the game screen (on top of the others) and kept, so that it
    // leaves the screen with the game; the game keeps owning it.
    void AddToScreen(Widget* widget);
    // Takes one such widget out of the screen and forgets it.
    void RemoveFromScreen(Widget* widget);
    // Takes every such widget out of the screen (the host does so when it closes).
    void LeaveScreen();

    // A picture read from its file; a file that cannot be read is logged and gives null, which
    // every draw of the game skips.
    Image* LoadPicture(const std::string& path);
    GameApp* App() const;

    // Materials of the material table to mix among a recipe's as decoys, at most count of them:
    // key r = rand() % (number of records) + 1 is drawn again while no record has that key or the
    // record's Id is already taken; each Id drawn joins taken. When no record outside taken is
    // left, fewer are given, with a log line.
    std::vector<int> DrawDecoys(std::set<int>& taken, int count) const;

    // A line of text in the font and colour, centred across left..left + width on the baseline;
    // nothing without a font.
    static void WriteCentred(Graphics* g, Font* font, const Color& color, const std::string& text, int left, int width,
                             int baseline);

    // A tuning value as a whole number: truncated, saturated at the ends of int, 0 for NaN.
    static int TuningInt(double value);
    // a + b saturated at the ends of int.
    static int AddSaturated(int a, int b);

    // Widget: the base leaves the game's tick empty.
    void Tick(double dt) override;

    GamePhase* mOwnerScreen;  // not owned
    MgUi* mHost;              // not owned
    int mGameNumber;
    bool mStarted = false;
    bool mFinished = false;

protected:
    std::vector<std::unique_ptr<Image>> mPictures;  // what LoadPicture read

private:
    bool mPlayEnded = false;
    std::vector<Widget*> mOnScreen;  // not owned here; the game deletes its own widgets
};

} // namespace Quor
