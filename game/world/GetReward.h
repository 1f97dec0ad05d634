// The popup a production mini-game shows when the player leaves it with winnings: the reward
// panel grows in with a caption and a picture, waits for its OK button, fades out and then
// reports through its event queue that it is done. The mini-game adds it to the game screen,
// ticks it and polls its events every frame; paying the winnings is the mini-game screen's.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <deque>
#include <vector>

namespace Quor {

class ButtonWidget;
class GamePhase;
class Image;

class GetReward : public Widget, public ButtonListener {
public:
    enum { ID_OK = 999, EVENT_DONE = 10001 };
    static constexpr int kOkY = 485;

    // Builds the hidden OK button; nothing shows before AddReward.
    explicit GetReward(GamePhase* owner);
    // Takes the OK button off the game screen and hands it to the deferred deletion, frees the
    // picture and the "GameReward" group.
    ~GetReward() override;

    // Shows a reward (replacing an earlier one): its picture is loaded, "GameReward" the first
    // time, and the popup fades in from nothing with the trade sound. Always true.
    bool AddReward(const std::vector<int>& reward);
    // The oldest event (EVENT_DONE once the popup has faded out after OK), removed; 0 when none.
    int PopEvent();

    // One update of the popup's owner; nothing happens until a reward's picture was loaded.
    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    // OK shows and goes on the game screen.
    void FadeInDone() override;
    // The popup is done: EVENT_DONE is queued.
    void FadeOutDone() override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // The caption and the picture of the reward.
    void DrawReward(Graphics* g);

    std::deque<int> mEvents;
    GamePhase* mOwner;          // not owned
    ButtonWidget* mOkButton;    // owned
    Image* mPicture = nullptr;  // owned; null for a reward without one or a file that did not load
    std::vector<int> mReward;
    bool mStarted = false;      // a reward's picture was loaded
    bool mGroupLoaded = false;  // "GameReward" is loaded and bound
    bool mGroupAsked = false;   // this popup asked for "GameReward"
    bool mShown = false;        // the reward is on show

private:
    void LoadRewardPicture();
};

} // namespace Quor
