#include "game/minigames/MgUi.h"

#include "game/shell/GameApp.h"
#include "game/world/GamePhase.h"
#include "platform/Sys.h"

#include <algorithm>
#include <cstdio>

namespace Quor {

MgUi::MgUi(GamePhase* owner, int miniGameId) : GamePanel(owner), mMiniGameId(miniGameId)
{
    const PlayerProfile& profile = *owner->mProfile;
    auto factory = profile.factories.find(profile.country);
    if (factory != profile.factories.end())
        mProductId = factory->second.productId;
    char line[128];
    std::snprintf(line, sizeof(line), "Mini-game %d is not part of the game yet; back to the factory\n", miniGameId);
    plat::DebugOutput(line);
}

void MgUi::Tick(double dt)
{
    (void)dt;
    ReturnToFactory();
}

void MgUi::ReturnToFactory()
{
    // This screen is gone from its slot after the close below: only the owner and the kept
    // winnings are used from there on.
    const int winnings = mWinnings;
    GamePhase* owner = mOwner;
    PlayerProfile& profile = *owner->mProfile;
    owner->mApp->PlayCountryMusic(profile.country);
    owner->ClosePanel(PANEL_MINI_GAME);
    owner->ShowPanel(PANEL_FACTORY, profile.country);
    if (winnings > 0)
        profile.money += winnings;
}

void MgUi::ShowReadySign()
{
    mReadySign = true;
}

void MgUi::FinishWithResult(int result)
{
    ProductionRecord* record = mOwner->mProfile->FindProductRecord(mProductId);
    if (record == nullptr)
        return;
    switch (mMiniGameId) {
    case 3:
        record->rate = std::max(record->rate, result);
        break;
    case 0:
        record->rating1 = std::max(record->rating1, result);
        break;
    case 4:
        record->rating2 = std::max(record->rating2, result);
        break;
    default:
        break;
    }
}

} // namespace Quor
