// The reward popup of the games that pay a bonus: opened on the game screen when the player
// leaves a finished game with winnings, fed every tick, and taken down on its OK event, after
// which the game goes back to the factory (which pays the winnings).
#pragma once

namespace Quor {

class GetReward;
class MgSkeleton;

class MgReward {
public:
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

    MgSkeleton* mGame;           // not owned
    GetReward* mPopup = nullptr; // owned

private:
    void Close();
};

} // namespace Quor
