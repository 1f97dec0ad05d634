#include "game/world/MissionHouse.h"

#include "game/quests/MissionReward.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/Factory.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace Quor {

MissionHouse::MissionHouse(GamePhase* owner, int country) : GamePanel(owner), mCountry(country)
{
    mFadeAlpha = 254;
    mFadingIn = true;
    mFadingOut = false;
}

MissionHouse::~MissionHouse()
{
    if (mDialog != nullptr && mDialog->mOpener == this)
        mDialog->mOpener = nullptr;
    mDialog = nullptr;
}

void MissionHouse::AttachDialog(int country, int slot, GamePanel* dialog)
{
    mCountry = country;
    mPlace = slot;
    mDialog = dynamic_cast<Mission*>(dialog);
}

Image* MissionHouse::Background() const
{
    switch (mPlace) {
    case 0:
        return GM_BG_CELLAR;
    case 1:
        return GM_BG_SUPPLIER;
    case 2:
        return GM_BG_MISSION_HOUSE;
    case 4:
        return GM_BG_FACTORY;
    default:
        return nullptr;
    }
}

Image* MissionHouse::NamePicture() const
{
    switch (mPlace) {
    case 0:
        return GM_NAME_CELLAR;
    case 1:
        return GM_NAME_SUPPLIER;
    case 2:
        return GM_NAME_MISSION_HOUSE;
    case 4:
        return FactoryTitle(mCountry);
    default:
        return nullptr;
    }
}

void MissionHouse::Tick(double dt)
{
    if (mDialog == nullptr)
        return;
    if (mDialog->mRewardScreen != nullptr)
        mDialog->mRewardScreen->Tick(dt);
    if (mFadingIn && mFadeAlpha < 255) {
        mFadeAlpha = int(mFadeAlpha + dt * kSlideSpeed);
        Move(mFadeAlpha * kScreenWidth / 255 - kScreenWidth, 0);
        if (mFadeAlpha >= 255) {
            mFadeAlpha = 255;
            Move(0, 0);
            mFadingIn = false;
            FadeInDone();
        }
    }
    if (mFadingOut && mFadeAlpha > 0) {
        mFadeAlpha = int(mFadeAlpha - dt * kSlideSpeed);
        Move(kScreenWidth - mFadeAlpha * kScreenWidth / 255, 0);
        if (mFadeAlpha <= 0) {
            mFadeAlpha = 0;
            Move(kScreenWidth, 0);
            mFadingOut = false;
            FadeOutDone();
        }
    }
}

void MissionHouse::FadeInDone()
{
    mFadeInDone = true;
}

void MissionHouse::FadeOutDone()
{
    // The panel is freed after this update; nothing of it is read after closing.
    GamePhase* owner = mOwner;
    owner->ClosePanel(PANEL_MISSION_HOUSE);
    if (GamePanel* countryMap = owner->mPanels[PANEL_COUNTRY_MAP])
        countryMap->OpenPendingPlace();
}

void MissionHouse::OnNotify(int id)
{
    if (mDialog != nullptr)
        mDialog->OnNotify(id);
}

void MissionHouse::Draw(Graphics* g)
{
    g->PushState();
    g->Translate(mX, mY);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(!mFadeInDone);
    if (Image* background = Background())
        g->DrawImage(background, 0, 0);
    if (Image* name = NamePicture())
        g->DrawImage(name, (kScreenWidth - name->GetWidth()) / 2, 0);
    g->SetColorizeImages(true);
    if (mDialog != nullptr)
        mDialog->DrawNpcDialog(g);
    g->SetColorizeImages(false);
    g->PopState();
}

} // namespace Quor
