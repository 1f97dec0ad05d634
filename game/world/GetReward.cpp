#include "game/world/GetReward.h"

#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/RewardView.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

namespace Quor {

namespace {

constexpr int kCaptionWidth = 340;
constexpr int kCaptionBaseline = 444;
constexpr int kCaptionSpacing = 23;
constexpr int kPanelY = 50;
constexpr float kGrowX = 512.0f;  // the point the panel grows about
constexpr float kGrowY = 280.0f;

} // namespace

GetReward::GetReward(GamePhase* owner) : mOwner(owner)
{
    mOkButton = MakeImageButton(ID_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C, (owner->mWidth - ImageWidth(BTN_OK2)) / 2,
                                kOkY);
    mOkButton->SetVisible(false);
    mFadeAlpha = 0;
    mFadingIn = false;
    mFadingOut = false;
}

GetReward::~GetReward()
{
    GameApp* app = mOwner->mApp;
    mOwner->RemoveWidget(mOkButton);
    app->SafeDeleteWidget(mOkButton);
    delete mPicture;
    if (mGroupAsked)
        app->resourceManager->DeleteResources("GameReward");
}

bool GetReward::AddReward(const std::vector<int>& reward)
{
    GameApp* app = mOwner->mApp;
    mReward = reward;
    mShown = true;
    LoadRewardPicture();
    if (!mGroupAsked) {
        mGroupAsked = true;
        // A failure reports the resource error and asks the program to end; nothing of the
        // group is drawn then.
        mGroupLoaded = app->LoadGroupInForeground("GameReward", &BindGameRewardResources);
    }
    mFadeAlpha = 0;
    mFadingOut = false;
    mFadingIn = true;
    app->PlaySample(SE_TRADE_FIN);
    return true;
}

void GetReward::LoadRewardPicture()
{
    delete mPicture;
    mPicture = nullptr;
    const std::string path = RewardPicturePath(mReward, kRewardPopupLook);
    if (!path.empty())
        mPicture = mOwner->mApp->LoadImageFile(path);
    mStarted = true;
}

int GetReward::PopEvent()
{
    if (mEvents.empty())
        return 0;
    const int event = mEvents.front();
    mEvents.pop_front();
    return event;
}

void GetReward::Tick(double dt)
{
    // The widget's fade: 10 a tick towards 255 or 0, then FadeInDone or FadeOutDone.
    if (mStarted)
        Widget::Tick(dt);
}

void GetReward::FadeInDone()
{
    mOkButton->SetVisible(true);
    mOwner->AddWidget(mOkButton);
}

void GetReward::FadeOutDone()
{
    mEvents.push_back(EVENT_DONE);
}

void GetReward::ButtonDepress(int id)
{
    if (id != ID_OK)
        return;
    mShown = false;
    mOkButton->SetVisible(false);
    mOwner->RemoveWidget(mOkButton);
    mFadeAlpha = 255;
    mFadingIn = false;
    mFadingOut = true;
    mOwner->mApp->PlaySample(SE_UI_CLICK);
    if (mOwner->mPanels[PANEL_TUTOR] != nullptr)
        mOwner->TutorPassEvent(ID_OK);
}

void GetReward::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void GetReward::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

void GetReward::Draw(Graphics* g)
{
    if (!mGroupLoaded)
        return;
    g->SetColor(Color(0, 0, 0, mFadeAlpha * 128 / 255));
    g->FillRect(0, 0, mWidth, mHeight);
    const float scale = float(mFadeAlpha / 255.0);
    g->SetScale(scale, scale, kGrowX, kGrowY);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (GR_BG != nullptr)
        g->DrawImage(GR_BG, (mOwner->mWidth - GR_BG->GetWidth()) / 2, kPanelY);
    mOkButton->DrawIfVisible(g);
    if (mShown)
        DrawReward(g);
    g->SetColorizeImages(false);
    g->SetScale(1.0f, 1.0f, kGrowX, kGrowY);
}

void GetReward::DrawReward(Graphics* g)
{
    const int width = mOwner->mWidth;
    if (FONT_S14 != nullptr) {
        g->SetFont(FONT_S14);
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        g->DrawWrappedTextAt(RewardCaption(*mOwner->mApp, mReward, kRewardPopupLook), (width - kCaptionWidth) / 2,
                             kCaptionBaseline, kCaptionWidth, kCaptionSpacing, 0);
    }
    if (mPicture != nullptr) {
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        g->DrawImage(mPicture, (width - mPicture->GetWidth()) / 2, RewardPictureRow(mReward, kRewardPopupLook));
    }
}

} // namespace Quor
