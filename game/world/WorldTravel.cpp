#include "game/world/WorldTravel.h"

#include "game/shell/AmbientSoundCues.h"
#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/EffectConstruction.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>

namespace Quor {

namespace {

constexpr int kFadeStep = 20;

// Picture slots of each mode.
enum { TRAIN = 0, TRAIN_ARRIVED = 1, TRAIN_SWEEP = 2, TRAIN_CORNER = 3 };
enum { SHIP = 0, SHIP_CORNER = 1 };
enum { PLANE = 0, PLANE_SWEEP_A = 1, PLANE_SWEEP_B = 2 };

using Keys = std::initializer_list<std::pair<double, double>>;

// Gives the effect one more track of the keys.
void AddTrack(FXObject* fx, int kind, int subtype, bool loop, Keys keys)
{
    std::vector<Keyframe*> track;
    for (const auto& [time, value] : keys)
        PushKeyframe(track, kind, subtype, time, value);
    fx->SetTrack(std::move(track), loop);
}

// A mover showing the whole picture, lasting its hold time; null without the picture.
FXObject* WholePictureMover(Image* image, int x, int y, double timePerFrame, double hold)
{
    if (image == nullptr)
        return nullptr;
    return new FXObject(x, y, image->GetWidth(), image->GetHeight(), image, 1, false, 1, 0, timePerFrame, hold,
                        0.0, FXObject::kDeriveNotifyTime);
}

// A picture-less timer that posts its id when it runs out.
FXObject* Timer(int notifyId, double timePerFrame, double hold)
{
    return new FXObject(0, 0, 0, 0, nullptr, 1, false, 1, notifyId, timePerFrame, hold, 0.0,
                        FXObject::kDeriveNotifyTime);
}

} // namespace

WorldTravel::WorldTravel(int mode, GamePhase* owner)
    : mMode(mode), mEffects(new EffectList()), mSounds(new AmbientSoundCues(owner->mApp)), mOwner(owner)
{
    GameApp* app = owner->mApp;
    switch (mode) {
    case MODE_TRAIN:
        LoadPicture(TRAIN, "fx_train", 1, 0);
        LoadPicture(TRAIN_ARRIVED, "fx_train2", 9, 3);
        LoadPicture(TRAIN_SWEEP, "fx_train3", 1, 0);
        LoadPicture(TRAIN_CORNER, "fx_train4", 4, 3);
        MakeTrain(owner->mWidth);
        app->PlaySample(SE_MAP_TRAIN1);
        app->PlaySample(SE_MAP_TRAIN2);
        break;
    case MODE_SHIP:
        LoadPicture(SHIP, "fx_ship", 25, 5);
        LoadPicture(SHIP_CORNER, "fx_ship2", 24, 5);
        MakeShip();
        app->PlaySample(SE_MAP_SHIP1);
        app->PlaySample(SE_MAP_SHIP2);
        break;
    case MODE_PLANE:
        LoadPicture(PLANE, "fx_plane_1", 1, 0);
        LoadPicture(PLANE_SWEEP_A, "fx_plane_2", 1, 0);
        LoadPicture(PLANE_SWEEP_B, "fx_plane_3", 1, 0);
        MakePlane();
        app->PlaySample(SE_MAP_PLANE);
        break;
    default:
        break;
    }
    mEffects->Add(Timer(ID_TRIP_OVER, 10.0, TravelTime(mode)));
}

WorldTravel::~WorldTravel()
{
    for (Image*& image : mImages) {
        delete image;
        image = nullptr;
    }
    mEffects->DeleteAll();
    mSounds->Clear();
    delete mEffects;
    delete mSounds;
}

double WorldTravel::TravelTime(int mode)
{
    switch (mode) {
    case MODE_SHIP:
        return 7.0;
    case MODE_PLANE:
        return 8.0;
    default:
        return 6.0;
    }
}

Image* WorldTravel::LoadPicture(int slot, const char* file, int columns, int frameDelay)
{
    const std::string path = std::string("images/travel/") + file + ".png";
    Image* image = mOwner->mApp->LoadImageFile(path);
    if (image == nullptr) {
        plat::DebugOutput(("The travel picture " + path + " did not load; the trip goes on without it\n").c_str());
        return nullptr;
    }
    if (columns > 1) {
        image->mNumCols = columns;
        auto* animation = new ImageAnimation();
        animation->mAnimType = ImageAnimation::AnimType_None;
        animation->mFrameDelay = frameDelay;
        animation->mNumCels = columns;
        animation->mTotalAnimTime = columns * frameDelay;
        delete image->mAnimInfo;
        image->mAnimInfo = animation;
    }
    mImages[slot] = image;
    return image;
}

void WorldTravel::MakeTrain(int screenWidth)
{
    mTrainArrived = false;
    if (FXObject* train = WholePictureMover(mImages[TRAIN], 1000, 500, 6.0, 6.0)) {
        const double endX = screenWidth - train->mCelWidth;
        AddTrack(train, Keyframe::SCALE, 0, false, {{0.0, 0.0}, {0.5, 1.0}, {6.0, 1.0}});
        AddTrack(train, Keyframe::TRANSLATE, Keyframe::TRANS_X, false, {{0.0, 900.0}, {0.5, endX}, {6.0, endX}});
        std::vector<Keyframe*> y;
        PushKeyframe(y, Keyframe::TRANSLATE, Keyframe::TRANS_Y, 0.0, 510.0);
        PushKeyframe(y, Keyframe::TRANSLATE, Keyframe::TRANS_Y, 0.5, 500.0);
        // The rails rattle now and then.
        for (double t : {0.8, 1.5, 2.2, 3.4, 4.1, 4.9})
            for (int k = 0; k < 5; ++k)
                PushKeyframe(y, Keyframe::TRANSLATE, Keyframe::TRANS_Y, t + 0.04 * k, k % 2 ? 502.0 : 500.0);
        PushKeyframe(y, Keyframe::TRANSLATE, Keyframe::TRANS_Y, 6.0, 500.0);
        train->SetTrack(std::move(y), false);
        mEffects->Add(train);
    }
    mEffects->Add(Timer(ID_TRAIN_ARRIVED, 0.5, FXObject::kNoHoldTime));
    struct Sweep {
        int y;
        Keys keys;
    };
    for (const Sweep& sweep : {Sweep{600, {{0.0, 500.0}, {0.2, 1024.0}, {1.0, 1024.0}}},
                               Sweep{450, {{0.0, 400.0}, {0.25, 1024.0}, {1.2, 1024.0}}},
                               Sweep{690, {{0.0, 700.0}, {0.1, 1024.0}, {1.0, 1024.0}}}}) {
        if (FXObject* fx = WholePictureMover(mImages[TRAIN_SWEEP], 0, sweep.y, 8.0, 8.0)) {
            AddTrack(fx, Keyframe::TRANSLATE, Keyframe::TRANS_X, true, sweep.keys);
            mEffects->Add(fx);
        }
    }
    auto* cue = new AmbientSoundCue();
    cue->mSoundId = SE_MAP_TRAIN2;
    cue->mPan = 0;
    cue->mVolume = 1.0;
    cue->mLife = 6.0;
    cue->mInterval = 0.5;
    cue->mRandom = true;
    cue->mSpread = 6.0;
    cue->mCountdown = 0.5 + (std::rand() % 600) / 100.0;
    mSounds->Add(cue);
}

void WorldTravel::MakeShip()
{
    Image* image = mImages[SHIP];
    if (image == nullptr)
        return;
    auto* ship = new FXObject(0, 0, image->GetWidth() / 25, image->GetHeight(), image, 25, true, -1, 0, 0.1, 7.0, 0.0,
                              FXObject::kDeriveNotifyTime);
    AddTrack(ship, Keyframe::TRANSLATE, Keyframe::TRANS_X, false, {{0.0, 830.0}, {3.0, 700.0}, {6.0, 700.0}});
    std::vector<Keyframe*> y;
    PushKeyframe(y, Keyframe::TRANSLATE, Keyframe::TRANS_Y, 0.0, 570.0);
    PushKeyframe(y, Keyframe::TRANSLATE, Keyframe::TRANS_Y, 3.0, 470.0);
    // Then the swell: 480 and 470 by turns every 0.4 s.
    for (int k = 1; k <= 10; ++k)
        PushKeyframe(y, Keyframe::TRANSLATE, Keyframe::TRANS_Y, 3.0 + 0.4 * k, k % 2 ? 480.0 : 470.0);
    ship->SetTrack(std::move(y), false);
    AddTrack(ship, Keyframe::SCALE, 0, false, {{0.0, 0.3}, {3.0, 1.0}, {7.0, 1.0}});
    AddTrack(ship, Keyframe::ROTATE, Keyframe::ANTI_CLOCKWISE, false, {{0.0, 0.3}, {3.0, 0.0}, {7.0, 0.0}});
    mEffects->Add(ship);
}

void WorldTravel::MakePlane()
{
    if (FXObject* plane = WholePictureMover(mImages[PLANE], 800, 600, 8.0, 8.0)) {
        AddTrack(plane, Keyframe::TRANSLATE, Keyframe::TRANS_X, false, {{0.0, 1024.0}, {8.0, 300.0}});
        AddTrack(plane, Keyframe::TRANSLATE, Keyframe::TRANS_Y, true,
                 {{0.0, 600.0}, {0.04, 599.0}, {0.08, 600.0}, {0.12, 599.0}, {0.16, 600.0}, {0.3, 600.0}});
        mEffects->Add(plane);
    }
    if (FXObject* sweep = WholePictureMover(mImages[PLANE_SWEEP_A], 500, 600, 8.0, 8.0)) {
        AddTrack(sweep, Keyframe::TRANSLATE, Keyframe::TRANS_X, true, {{0.0, 500.0}, {0.3, 1024.0}, {1.0, 1024.0}});
        mEffects->Add(sweep);
    }
    if (FXObject* sweep = WholePictureMover(mImages[PLANE_SWEEP_B], 100, 450, 8.0, 8.0)) {
        AddTrack(sweep, Keyframe::TRANSLATE, Keyframe::TRANS_X, true, {{0.0, 100.0}, {0.4, 1024.0}, {1.2, 1024.0}});
        mEffects->Add(sweep);
    }
}

bool WorldTravel::Update(double dt)
{
    mSounds->Update(dt);
    switch (mEffects->UpdateAll(mOwner->mApp->mUpdateCount, dt)) {
    case ID_TRIP_OVER:
        mAlpha = 1;
        mFadingOut = true;
        mFadingIn = false;
        break;
    case ID_TRAIN_ARRIVED:
        mTrainArrived = true;
        break;
    default:
        break;
    }
    if (mFadingIn && mAlpha < 255) {
        mAlpha += kFadeStep;
        if (mAlpha >= 255) {
            mAlpha = 255;
            mFadingIn = false;
        }
    }
    if (mFadingOut && mAlpha > 0) {
        mAlpha -= kFadeStep;
        if (mAlpha <= 0) {
            mAlpha = 0;
            mFadingOut = false;
            Finish();
        }
    }
    return mFinished;
}

void WorldTravel::Finish()
{
    mFinished = true;
}

void WorldTravel::Draw(Graphics* g)
{
    const int width = mOwner->mWidth;
    const int height = mOwner->mHeight;
    g->SetColor(Color(0, 0, 0, mAlpha * 128 / 255));
    g->FillRect(0, 0, width, height);
    g->SetColor(Color(255, 255, 255, mAlpha));
    g->SetColorizeImages(true);
    const int count = mOwner->mApp->mUpdateCount;
    if (mMode == MODE_TRAIN)
        if (Image* corner = mImages[TRAIN_CORNER])
            g->DrawImageAnim(corner, width - corner->GetCelWidth(), height - corner->GetHeight(), count);
    mEffects->DrawAll(g);
    if (mMode == MODE_TRAIN && mTrainArrived)
        g->DrawImageAnim(mImages[TRAIN_ARRIVED], 630, 490, count);
    if (mMode == MODE_SHIP)
        if (Image* corner = mImages[SHIP_CORNER])
            g->DrawImageAnim(corner, width - corner->GetCelWidth(), height - corner->GetHeight(), count);
    g->SetColorizeImages(false);
}

} // namespace Quor
