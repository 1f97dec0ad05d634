#include "game/minigames/MgReward.h"

#include "game/minigames/MgSkeleton.h"
#include "game/minigames/MgUi.h"
#include "game/world/GamePhase.h"
#include "game/world/GetReward.h"

namespace Quor {

MgReward::~MgReward()
{
    Close();
}

void MgReward::Close()
{
    if (mPopup == nullptr)
        return;
    if (mPopup->mParent != nullptr)
        mPopup->mParent->RemoveWidget(mPopup);
    delete mPopup;
    mPopup = nullptr;
}

bool MgReward::Show()
{
    const int winnings = mGame->mHost->mWinnings;
    if (winnings <= 0)
        return true;
    if (mPopup != nullptr)
        return false;  // already open: the popup closes the screen
    mPopup = new GetReward(mGame->mOwnerScreen);
    mPopup->Resize(0, 0, mGame->mWidth, mGame->mHeight);
    mPopup->AddReward({REWARD_MONEY, winnings});
    mGame->mOwnerScreen->AddWidget(mPopup);
    return false;
}

bool MgReward::Update(double dt)
{
    if (mPopup == nullptr)
        return true;
    mPopup->Tick(dt);
    if (mPopup->PopEvent() != GetReward::EVENT_DONE)
        return true;
    Close();
    mGame->mHost->ReturnToFactory();
    return false;
}

} // namespace Quor
