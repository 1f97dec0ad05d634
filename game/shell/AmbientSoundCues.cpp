// AmbientSoundCues: keys, the countdowns with their random part, lives and clearing.
#include "game/shell/AmbientSoundCues.h"

#include "app/QuorAppBase.h"
#include "sound/SoundManager.h"

#include <cmath>
#include <cstdlib>

namespace Quor {

AmbientSoundCues::AmbientSoundCues(QuorAppBase* app) : mApp(app) {}

AmbientSoundCues::~AmbientSoundCues()
{
    for (auto& [key, cue] : mCues)
        delete cue;
}

void AmbientSoundCues::Play(const AmbientSoundCue& cue)
{
    if (mApp != nullptr)
        mApp->PlaySampleVolumePan(cue.mSoundId, cue.mPan, cue.mVolume);
}

int AmbientSoundCues::Add(AmbientSoundCue* cue)
{
    int key = 0;
    for (const auto& entry : mCues) {
        if (entry.first != key)
            break;
        ++key;
    }
    mCues[key] = cue;
    Play(*cue);
    return key;
}

void AmbientSoundCues::Update(double seconds)
{
    for (auto& [key, cue] : mCues) {
        cue->mLife -= seconds;
        cue->mCountdown -= seconds;
        if (cue->mCountdown <= 0.0) {
            Play(*cue);
            cue->mCountdown = cue->mInterval;
            if (cue->mRandom) {
                // A spread under a hundredth of a second has no random part.
                double hundredths = std::trunc(cue->mSpread * 100.0);
                if (hundredths >= 1.0 && hundredths <= double(RAND_MAX))
                    cue->mCountdown += (std::rand() % int(hundredths)) / 100.0;
            }
        }
        if (cue->mLife <= 0.0 && cue->mLife > -999.0)
            mRemoveList.push_back(key);
    }
    for (int key : mRemoveList) {
        auto it = mCues.find(key);
        if (it != mCues.end()) {
            delete it->second;
            mCues.erase(it);
        }
    }
    mRemoveList.clear();
}

void AmbientSoundCues::Clear()
{
    if (mApp != nullptr && mApp->mSoundManager != nullptr)
        mApp->mSoundManager->StopAllSounds();
    for (auto& [key, cue] : mCues)
        delete cue;
    mCues.clear();
    mRemoveList.clear();
}

} // namespace Quor
