// The reward popup of the games that pay a bonus: opened on the game screen when the player
// leaves a finished game with winnings, fed every tick, and taken down on its OK event, after
// which the game goes back to the factory (which pays the winnings).
#pragma once

#include "widgets/Widget.h"

#include <vector>

namespace Quor {

class GamePhase;
class MgSkeleton;

// Stands in for the game world's reward popup until that one is part of the game: it keeps
// every reward it is handed and reports its OK event at its first tick.
class MgRewardStandIn : public Widget {
public:
    static constexpr int EVENT_DONE = 10001;

    explicit MgRewardStandIn(GamePhase* owner);
    bool AddReward(const std::vector<int>& reward);
    // The oldest event, 0 when none.
    int PopEvent();
    void Tick(double dt) override;

    GamePhase* mOwner;  // not owned
    std::vector<std::vector<int>> mRewards;
    std::vector<int> mEvents;
};

using RewardPopup = MgRewardStandIn;

class MgReward {
public:
    static constexpr int EVENT_DONE = 10001;
    static constexpr int REWARD_MONEY = 1;

    explicit MgReward(MgSkeleton* game) : mGame(game) {}
    // Takes an open popup off the game screen and deletes it.
    ~MgReward();
    MgReward(const MgReward&) = delete;
    MgReward& operator=(const MgReward&) = delete;

    // The end button: with winnings above 0 the popup opens over the game with the money
    // reward, and false says the game closes the screen itself; else true.
    bool Show();
    // Every host tick: feeds the popup; on its OK event takes it down and goes back to the
    // factory, returning false. True otherwise.
    bool Update(double dt);

    MgSkeleton* mGame;             // not owned
    RewardPopup* mPopup = nullptr; // owned

private:
    void Close();
};

} // namespace Quor
