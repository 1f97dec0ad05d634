#include "game/world/GameOver.h"

#include "app/Common.h"
#include "display/DDImage.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"

namespace Quor {

GameOver::GameOver(GamePhase* owner, int variant) : MessagePopup(owner, kRescueText), mVariant(variant)
{
    mFirst = MakeImageButton(ID_FIRST, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, GetCenteredX(ImageWidth(BTN_OK2)), 380);
    TakeControl(mFirst);
    if (mVariant == VARIANT_FINAL) {
        // Without the picture the blocker keeps its empty image and shows the label alone.
        mPicture = owner->mApp->LoadImageFile(kFinalPicture);
        mBlocker->mLabel = kFinalLabel;
    }
}

GameOver::~GameOver()
{
    delete mPicture;
}

void GameOver::FadeInDone()
{
    mFadeAlpha = 255;
    if (mVariant == VARIANT_FINAL) {
        if (mPicture != nullptr) {
            mBlocker->mButtonImage = mPicture;
            mBlocker->mOverImage = mPicture;
            mBlocker->mDownImage = mPicture;
        }
        AddControl(mBlocker);
        return;
    }
    MessagePopup::FadeInDone();
}

void GameOver::Draw(Graphics* g)
{
    g->SetColor(Color(0, 0, 0, mFadeAlpha * 128 / 255));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (mVariant == VARIANT_FINAL) {
        mBlocker->DrawIfVisible(g);
    } else {
        const int hintWidth = ImageWidth(GM_HINT_BG);
        g->DrawImage(GM_HINT_BG, GetCenteredX(hintWidth), 200);
        g->SetFont(FONT_S14);
        g->SetColor(Color::White);
        g->DrawWrappedTextAt(mMessage, GetCenteredX(hintWidth - 80), 230, hintWidth - 80, 20, -1);
        mFirst->DrawIfVisible(g);
    }
    g->SetColorizeImages(false);
}

void GameOver::ButtonDepress(int id)
{
    GamePhase* owner = mOwner;
    GameApp* app = owner->mApp;
    app->PlaySample(SE_UI_CLICK);
    if (id != ID_FIRST || mVariant != VARIANT_RESCUE)
        return;
    PlayerProfile& profile = *owner->mProfile;
    profile.gameOverCounter = SaturatingAdd(profile.gameOverCounter, 1);
    app->PlaySample(SE_UI_MONEY);
    profile.money = SaturatingAdd(profile.money, kRescueMoney);
    if (GamePanel* info = owner->mPanels[PANEL_INFO])
        info->ShowMoneyEffect();
    // The game screen frees the panel after this update; nothing of it is touched from here.
    owner->ClosePanel(PANEL_GAME_OVER);
}

} // namespace Quor
