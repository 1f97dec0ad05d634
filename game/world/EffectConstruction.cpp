#include "game/world/EffectConstruction.h"

#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Image.h"
#include "platform/Sys.h"

#include <cstdio>

namespace Quor {

void InitAnimated(FXObject* object, int x, int y, Image* image, int frameOffset, double playTime)
{
    if (object == nullptr)
        return;
    for (auto& track : object->mTracks) {
        for (Keyframe* key : track)
            delete key;
        track.clear();
    }
    for (bool& loop : object->mTrackLoop)
        loop = false;
    object->mTrackCount = 0;
    object->mX = x;
    object->mY = y;
    object->mImage = image;
    const int columns = image != nullptr && image->mNumCols > 0 ? image->mNumCols : 1;
    object->mCelWidth = image != nullptr ? image->GetWidth() / columns : 0;
    object->mCelHeight = image != nullptr ? image->GetHeight() : 0;
    object->mFrameCount = 1;
    object->mLoop = true;
    object->mPassesLeft = -1;
    object->mNotifyId = 0;
    object->mNotifyFlag = false;
    // In this mode the frame time field carries the offset into the animation.
    object->mTimePerFrame = frameOffset;
    object->mHoldTime = FXObject::kNoHoldTime;
    const ImageAnimation* animation = image != nullptr ? image->mAnimInfo : nullptr;
    if (animation != nullptr && animation->mAnimType == ImageAnimation::AnimType_Once)
        object->mHoldTime = animation->mTotalAnimTime / 100;
    object->mNotifyTime = playTime;
    object->mRotation = 0.0;
    object->mScale = 1.0;
    object->mAlpha = 255;
    object->mColor.reset();
    object->mMirrored = false;
    object->mFrameMode = FXObject::FRAMES_BY_ANIMATION;
    if (image == nullptr)
        plat::DebugOutput("An animated effect was given no picture; it draws nothing\n");
    else if (animation == nullptr)
        plat::DebugOutput("An animated effect's picture has no animation; it shows its first cel\n");
}

FXObject* CreateFXObject(const FXDefList* defs, int id)
{
    if (defs == nullptr)
        return nullptr;
    for (const FXDef& def : *defs) {
        if (def.id != id)
            continue;
        Image* image = ResourceImageById(def.img);
        if (image == nullptr) {
            char line[128];
            std::snprintf(line, sizeof(line), "Effect %d has no loaded picture (resource %d); it is not made\n", id,
                          def.img);
            plat::DebugOutput(line);
            return nullptr;
        }
        return new FXObject(def, image);
    }
    return nullptr;
}

void PushKeyframe(std::vector<Keyframe*>& track, int kind, int subtype, double time, double value)
{
    track.push_back(new Keyframe{kind, subtype, time, value});
}

} // namespace Quor
