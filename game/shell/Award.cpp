#include "game/shell/Award.h"

#include "game/shell/GameApp.h"
#include "game/shell/GameScreenAccess.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

namespace Quor {

namespace {

Image** const kPictures[Award::kAwardCount] = {&MA_P0,  &MA_P1,  &MA_P2,  &MA_P3,  &MA_P4,  &MA_P5,
                                               &MA_P6,  &MA_P7,  &MA_P8,  &MA_P9,  &MA_P10, &MA_P11,
                                               &MA_P12, &MA_P13, &MA_P14, &MA_P15, &MA_P16};

Image* ImageNamed(const std::string& name)
{
    return ResourceImageById(ResourceIdByName(name.c_str()));
}

} // namespace

Award::Award(GameApp* app, int mode) : mApp(app), mMode(mode)
{
    mParticles = new ParticleSet(mApp);
    if (LoadScreenGroup(mApp, "MenuAward", &BindMenuAwardResources) != GroupLoad::Loaded)
        return;
    for (int i = 0; i < kAwardCount; ++i)
        mPictures[i] = *kPictures[i];
    mLoaded = true;
    mFade = 254;
    mFadeIn = true;
}

Award::~Award()
{
    delete mParticles;
    for (ButtonWidget* button : mAwardButtons)
        DeleteChild(this, button);
    for (ButtonWidget* button : {mCloseButton, mPictureButton})
        DeleteChild(this, button);
    ReleaseScreenGroup(mApp, "MenuAward");
}

void Award::AddedToManager(WidgetManager* manager)
{
    (void)manager;
    mCloseButton = MakeImageButton(ID_CLOSE, this, BTN_OK, BTN_OK_O, BTN_OK_C, mWidth - ImageWidth(BTN_OK) - 10,
                                   mHeight - ImageHeight(BTN_OK) - 10);
    mCloseButton->mDoFinger = true;
    AddWidget(mCloseButton);
    if (!mLoaded)
        return;
    const PlayerProfile* profile = mApp->profiles.empty() ? nullptr : &mApp->GetCurrentProfile();
    for (int id = 0; id < kAwardCount; ++id) {
        // An award without its record or its picture has no button.
        auto record = mApp->awardTable.find(id);
        if (record == mApp->awardTable.end())
            continue;
        const std::string& img = record->second.Img;
        Image* normal = ImageNamed(img);
        Image* over = ImageNamed(img + "_O");
        Image* disabled = ImageNamed(img + "_D");
        if (!normal || !over || !disabled)
            continue;
        ButtonWidget* button = MakeImageButton(id, this, normal, over, normal, record->second.X, record->second.Y);
        button->mDisabledImage = disabled;
        button->mDoFinger = true;
        bool earned = false;
        if (profile) {
            auto flag = profile->awards.find(id);
            earned = flag != profile->awards.end() && flag->second;
        }
        button->SetDisabled(!earned);
        mAwardButtons[id] = button;
        AddWidget(button);
    }
}

void Award::Select(int awardId)
{
    mSelected = awardId;
    mFade = 254;
    mFadeIn = true;
    mFadeOut = false;
}

void Award::StartAwardGet(int awardId)
{
    if (awardId < 0 || awardId >= kAwardCount)
        return;
    Select(awardId);
    mApp->PlaySample(SE_CYCLE_GET);
    auto* system = new ParticleSystem("particle/FX_award_get.psi", 0);
    if (mParticles->Add(-1, system) < 0) {
        delete system;
        return;
    }
    system->StartPath();
}

void Award::ButtonDepress(int id)
{
    mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_CLOSE) {
        RemoveAllWidgets(false, false);
        mPictureShown = false;
        mFade = 1;
        mFadeOut = true;
        mFadeIn = false;
    } else if (id == ID_PICTURE) {
        if (mLoaded) {
            mFade = 1;
            mFadeOut = true;
            mFadeIn = false;
        }
    } else if (id >= 0 && id < kAwardCount) {
        Select(id);
    }
}

void Award::ButtonMouseEnter(int id)
{
    if (id < 0 || id >= kAwardCount)
        return;
    ShowButtonHover(mApp, this);
}

void Award::ButtonMouseLeave(int id)
{
    if (id >= 0 && id < kAwardCount)
        ShowFinger(false);
}

void Award::Update()
{
    if (mApp->mLoadingThreadCompleted && mApp->mActive && mApp->mUpdateCount % 2 == 0)
        Tick(0.02);
}

void Award::Tick(double dt)
{
    if (!mParticles->mSystems.empty()) {
        mParticles->Update(dt);
        SetDirty();
    }
    if (mFadeIn && mFade < 255) {
        mFade += 10;
        if (mFade >= 255) {
            mFade = 255;
            mFadeIn = false;
            FadeInDone();
        }
    }
    if (mFadeOut && mFade > 0) {
        mFade -= 10;
        if (mFade < 1) {
            mFade = 0;
            mFadeOut = false;
            FadeOutDone();
        }
    }
    SetDirty();
}

void Award::FadeInDone()
{
    mPictureShown = true;
    if (mSelected != -1 && !mPictureButton) {
        mPictureButton = new ButtonWidget(ID_PICTURE, this);
        mPictureButton->mButtonImage = IMG_NONE;
        mPictureButton->mOverImage = IMG_NONE;
        mPictureButton->mDownImage = IMG_NONE;
        mPictureButton->mDisabledImage = IMG_NONE;
        mPictureButton->Resize(0, 0, mApp->mWidth, mApp->mHeight);
        AddWidget(mPictureButton);
    }
}

void Award::FadeOutDone()
{
    if (mPictureButton) {
        RemoveWidget(mPictureButton);
        mApp->SafeDeleteWidget(mPictureButton);
        mPictureButton = nullptr;
    }
    mSelected = -1;
    if (mPictureShown)
        return;
    GameApp* app = mApp;
    const int mode = mMode;
    CloseScreen(app, this, SCREEN_AWARD);
    if (mode == MODE_MAIN_MENU) {
        app->ShowScreen(SCREEN_MAIN_MENU, 0);
    } else if (mode == MODE_NEXT_REWARD) {
        if (auto* game = dynamic_cast<GameScreenAccess*>(app->screens[SCREEN_GAME]))
            game->ShowNextQuestReward();
    }
}

void Award::Draw(Graphics* g)
{
    if (!mApp->mLoadingThreadCompleted || !mApp->mActive)
        return;
    g->SetColor(Color(0, 0, 0));
    g->FillRect(0, 0, mWidth, mHeight);
    g->SetColor(Color(255, 255, 255, mFade));
    g->SetColorizeImages(!mPictureShown);
    if (MA_BG)
        g->DrawImage(MA_BG, 0, 0);
    if (mCloseButton)
        mCloseButton->DrawIfVisible(g);
    for (ButtonWidget* button : mAwardButtons)
        if (button)
            button->DrawIfVisible(g);
    if (mSelected >= 0 && mSelected < kAwardCount) {
        g->SetColor(Color(0, 0, 0, mFade * 128 / 255));
        g->FillRect(0, 0, mApp->mWidth, mApp->mHeight);
        const float s = float(mFade) / 255.0f;
        ButtonWidget* origin = mAwardButtons[mSelected];
        const float ox = origin ? float(origin->mX) : 512.0f;
        const float oy = origin ? float(origin->mY) : 384.0f;
        g->SetScale(s, s, ox, oy);
        g->SetColor(Color(255, 255, 255, mFade));
        g->SetColorizeImages(true);
        if (Image* picture = mPictures[mSelected])
            g->DrawImage(picture, (mWidth - picture->GetWidth()) / 2, (mHeight - picture->GetHeight()) / 2);
        g->SetScale(1, 1, ox, oy);
        g->SetColor(Color(255, 255, 230, mFade));
        if (MA_LIGHT)
            g->DrawRotatedAwardImage(MA_LIGHT, (mApp->mUpdateCount % 500) * 6.28 / 500);
    }
    g->SetColorizeImages(false);
    mParticles->Draw(g);
}

} // namespace Quor
