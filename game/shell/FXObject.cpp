#include "game/shell/FXObject.h"

#include "game/shell/EffectList.h"
#include "game/shell/FXMath.h"
#include "game/shell/GameTables.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <cmath>

namespace Quor {

namespace {

// A full turn as the effects count it.
constexpr double kFullTurn = 6.28;

// Rotation of a turn magnitude in its direction.
double RotationOf(int subtype, double magnitude)
{
    return subtype == Keyframe::CLOCKWISE ? magnitude : kFullTurn - magnitude;
}

} // namespace

FXObject::FXObject(int x, int y, int celWidth, int celHeight, Image* image, int frameCount,
                   bool loop, int passes, int notifyId, double timePerFrame, double holdTime,
                   double rotation, double notifyTime)
    : mX(x), mY(y), mCelWidth(celWidth), mCelHeight(celHeight), mFrameCount(frameCount),
      mTimePerFrame(timePerFrame), mLoop(loop), mPassesLeft(passes), mImage(image),
      mRotation(rotation), mNotifyFlag(notifyId != 0), mNotifyId(notifyId), mHoldTime(holdTime),
      mNotifyTime(notifyTime)
{
}

FXObject::FXObject(const FXDef& def, Image* image)
    : mFrameCount(def.frame), mLoop(def.isLoop), mPassesLeft(def.playTime), mImage(image),
      mHoldTime(def.holdTime)
{
    // A definition without cels (frame 0 or below) shows its whole image as cel 0.
    const int width = image != nullptr ? image->GetWidth() : 0;
    mCelWidth = def.frame > 0 ? width / def.frame : width;
    mCelHeight = image != nullptr ? image->GetHeight() : 0;
    mTimePerFrame = def.frame > 0 ? def.timePerLoop / def.frame : 0.0;
    for (const auto& [index, track] : def.keyframes) {
        std::vector<Keyframe*> keys;
        for (const auto& [time, val] : track.keys)
            keys.push_back(new Keyframe{track.type, track.subtype, time, val});
        SetTrack(std::move(keys), track.loop);
    }
}

FXObject::FXObject()
    : FXObject(0, 0, 0, 0, nullptr, 0, false, 0, 0, 0.0, kNoHoldTime, 0.0, kDeriveNotifyTime)
{
}

FXObject::~FXObject()
{
    for (auto& track : mTracks)
        for (Keyframe* key : track)
            delete key;
}

bool FXObject::CelTimingRuns() const
{
    return mFrameCount >= 1 && mTimePerFrame > 0.0 && std::isfinite(mFrameCount * mTimePerFrame);
}

void FXObject::Start()
{
    mTransform = std::make_unique<Transform2D>();
    mFrameClock = 0.0;
    mElapsed = 0.0;
    mUpdateCount = 0;
    mOutsideCount = 0;
    mCelIndex = 0;
    if (mNotifyId != 0 && mNotifyTime == kDeriveNotifyTime) {
        if (mHoldTime == kNoHoldTime)
            mNotifyTime = mFrameCount * mTimePerFrame * mPassesLeft;
        else
            mNotifyTime = mHoldTime;
    }
}

void FXObject::SetNotify(int notifyId, double seconds)
{
    mNotifyId = notifyId;
    mNotifyFlag = notifyId != 0;
    mNotifyTime = seconds;
}

bool FXObject::SetTrack(std::vector<Keyframe*> keys, bool loop)
{
    bool hasNull = false;
    for (const Keyframe* key : keys)
        hasNull = hasNull || key == nullptr;
    if (mTrackCount >= kMaxTracks || keys.empty() || hasNull) {
        for (Keyframe* key : keys)
            delete key;
        return false;
    }
    const Keyframe& first = *keys.front();
    switch (first.mKind) {
    case Keyframe::TRANSLATE:
        if (first.mSubtype == Keyframe::TRANS_X)
            mX = TruncToInt(first.mVal);
        else if (first.mSubtype == Keyframe::TRANS_Y)
            mY = TruncToInt(first.mVal);
        break;
    case Keyframe::ROTATE:
        mRotation = RotationOf(first.mSubtype, first.mVal);
        break;
    case Keyframe::SCALE:
        mScale = first.mVal;
        break;
    case Keyframe::ALPHA:
        mAlpha = TruncToInt(first.mVal);
        break;
    case Keyframe::CEL:
        mFrameMode = FRAMES_BY_TRACK;
        mCelIndex = TruncToInt(first.mVal);
        break;
    default:
        break;
    }
    mTracks[mTrackCount] = std::move(keys);
    mTrackLoop[mTrackCount] = loop;
    ++mTrackCount;
    return true;
}

bool FXObject::Update(int updateCount, double seconds)
{
    if (mLoop || mPassesLeft > 0) {
        mFrameClock += seconds;
        ++mUpdateCount;
        mElapsed += seconds;
        if (mFrameMode == FRAMES_BY_ANIMATION)
            mOutsideCount = updateCount;

        for (int i = 0; i < kMaxTracks; ++i)
            if (!mTracks[i].empty())
                StepTrack(i);

        if (mNotifyTime > 0.0) {
            mNotifyTime -= seconds;
        } else if (mNotifyFlag) {
            // Posted once; an effect updated outside any list has nobody to tell.
            if (mOwnerList != nullptr)
                mOwnerList->Post(mNotifyId);
            mNotifyTime = 0.0;
            mNotifyFlag = false;
            mNotifyId = 0;
        }

        if (mFrameMode != FRAMES_BY_ANIMATION && CelTimingRuns() &&
            mFrameClock >= mFrameCount * mTimePerFrame) {
            if (mPassesLeft > 0)
                --mPassesLeft;
            if (mPassesLeft != 0) {
                mFrameClock = 0.0;
            } else {
                mFrameClock = (mFrameCount - 1) * mTimePerFrame;
                if (mHoldTime <= 0.0)
                    return true;
            }
        }

        // A hold time of 0 or less ends the effect now, unless it is the "no hold time" mark.
        if (mHoldTime <= 0.0 && mHoldTime > -998.0)
            return true;
    }

    if (mHoldTime > 0.0) {
        mHoldTime -= seconds;
        if (mHoldTime <= 0.0) {
            mHoldTime = 0.0;
            return true;
        }
    }
    return false;
}

void FXObject::StepTrack(int track)
{
    const std::vector<Keyframe*>& keys = mTracks[track];
    const double lastTime = keys.back()->mTime;
    double t = mElapsed;
    // A looping track whose last key lies at 0 or before has no cycle to repeat; it holds its
    // last key like a plain track.
    const bool loops = mTrackLoop[track] && lastTime > 0.0;
    if (!loops) {
        if (t > lastTime)
            t = lastTime;
    } else if (t > lastTime) {
        // Whole cycles off, into (0, lastTime].
        t = std::fmod(t, lastTime);
        if (t == 0.0)
            t = lastTime;
    }

    size_t a = 0;
    bool found = false;
    for (size_t i = keys.size(); i-- > 0;) {
        if (keys[i]->mTime <= t) {
            a = i;
            found = true;
            break;
        }
    }
    const Keyframe& ka = *keys[a];
    const Keyframe* kb = (found && ka.mTime < t && a + 1 < keys.size()) ? keys[a + 1] : nullptr;
    // Share of the way from key a to key b.
    const double f = kb != nullptr ? (t - ka.mTime) / (kb->mTime - ka.mTime) : 0.0;
    auto linear = [&]() { return kb != nullptr ? ka.mVal + (kb->mVal - ka.mVal) * f : ka.mVal; };

    switch (ka.mKind) {
    case Keyframe::TRANSLATE: {
        int value = TruncToInt(ka.mVal);
        if (kb != nullptr) {
            const double va = value;
            const double vb = TruncToInt(kb->mVal);
            value = TruncToInt(va + (vb - va) * f);
        }
        if (ka.mSubtype == Keyframe::TRANS_X)
            mX = value;
        else if (ka.mSubtype == Keyframe::TRANS_Y)
            mY = value;
        break;
    }
    case Keyframe::ROTATE:
        if (kb == nullptr || kb->mSubtype == ka.mSubtype) {
            mRotation = RotationOf(ka.mSubtype, linear());
        } else {
            // The turn passes through zero: down to it in a's direction, then up in b's.
            const double d = (ka.mVal + kb->mVal) * f;
            if (d <= ka.mVal)
                mRotation = RotationOf(ka.mSubtype, ka.mVal - d);
            else
                mRotation = RotationOf(kb->mSubtype, d - ka.mVal);
        }
        break;
    case Keyframe::SCALE:
        mScale = linear();
        break;
    case Keyframe::ALPHA:
        mAlpha = TruncToInt(linear());
        if (mColor)
            mColor->mAlpha = mAlpha;
        break;
    case Keyframe::CEL:
        mCelIndex = TruncToInt(ka.mVal);
        break;
    default:
        break;
    }
}

void FXObject::Draw(Graphics* g)
{
    if (mImage == nullptr || (!mLoop && mPassesLeft <= 0))
        return;
    const bool timed = CelTimingRuns();
    if (mFrameMode != FRAMES_BY_ANIMATION && timed && mFrameClock >= mFrameCount * mTimePerFrame)
        return;

    Rect src(0, 0, mCelWidth, mCelHeight);
    if (mFrameMode == FRAMES_BY_CLOCK) {
        if (mFrameCount > 1 && timed) {
            const int column = TruncClamped(mFrameClock / mTimePerFrame, 0.0, mFrameCount - 1.0);
            src.mX = TruncToInt(static_cast<double>(column) * mCelWidth);
        }
    } else if (mFrameMode == FRAMES_BY_ANIMATION) {
        src = mImage->GetAnimCelRect(TruncToInt(mTimePerFrame + static_cast<double>(mOutsideCount)));
    } else {
        // A cel index outside the row of cels starts the row again.
        const double left = static_cast<double>(mCelIndex) * mCelWidth;
        if (left >= mImage->GetWidth() || left < 0.0)
            mCelIndex = 0;
        src.mX = mCelIndex * mCelWidth;
    }

    if (!mTransform)
        mTransform = std::make_unique<Transform2D>();
    mTransform->Reset();
    const bool colorize = mColor != nullptr || mAlpha < 255;
    if (mColor) {
        g->SetColor(*mColor);
        g->SetColorizeImages(true);
    } else if (mAlpha < 255) {
        g->SetColor(Color(255, 255, 255, mAlpha));
        g->SetColorizeImages(true);
    }
    const float scale = static_cast<float>(mScale);
    if (mScale != 1.0)
        mTransform->Scale(scale, scale);
    if (mRotation != 0.0)
        mTransform->Rotate(static_cast<float>(mRotation));

    const float cx = static_cast<float>(static_cast<double>(mX) + mCelWidth / 2);
    const float cy = static_cast<float>(static_cast<double>(mY) + mCelHeight / 2);
    if (!mMirrored) {
        g->DrawImageTransformRegion(mImage, *mTransform, src, cx, cy);
    } else {
        if (mScale != 1.0)
            g->SetScale(scale, scale, cx, cy);
        g->DrawImageMirror(mImage, TruncToInt(cx), TruncToInt(cy), src);
        if (mScale != 1.0)
            g->SetScale(1.0f, 1.0f, cx, cy);
    }

    if (colorize)
        g->SetColorizeImages(false);
}

} // namespace Quor
