// DSoundInstance: a duplicate buffer with volume, pan, pitch and the auto-release rule.
#include "sound/DSoundInstance.h"

#include "app/Debug.h"
#include "platform/Audio.h"
#include "sound/DSoundManager.h"

#include <cmath>

namespace Quor {

DSoundInstance::DSoundInstance(plat::SoundBuffer* source, DSoundManager* manager)
    : mManager(manager), mSourceBuffer(source)
{
    if (mSourceBuffer != nullptr && mManager->GetDevice() != nullptr) {
        plat::HResult result = mManager->GetDevice()->DuplicateSoundBuffer(mSourceBuffer, &mSoundBuffer);
        if (plat::Failed(result)) {
            // The instance stays silent; the program goes on.
            DebugPrintf("Sound buffer could not be duplicated (0x%08X)\n", uint32_t(result));
            mSoundBuffer = nullptr;
        } else {
            mSoundBuffer->GetFrequency(&mBaseFrequency);
        }
    }
    RehupVolume();
}

DSoundInstance::~DSoundInstance()
{
    if (mSoundBuffer != nullptr)
        mSoundBuffer->Release();
}

void DSoundInstance::RehupVolume()
{
    if (mSoundBuffer != nullptr)
        mSoundBuffer->SetVolume(DSoundManager::VolumeToAttenuation(mBaseVolume * mVolume *
                                                                   mManager->GetEffectsVolume()));
}

void DSoundInstance::Release()
{
    Stop();
    mReleased = true;
}

void DSoundInstance::SetVolume(double volume)
{
    mVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetBaseVolume(double volume)
{
    mBaseVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetPan(int pan)
{
    mPan = pan;
    if (mSoundBuffer != nullptr)
        mSoundBuffer->SetPan(mBasePan + mPan);
}

void DSoundInstance::SetBasePan(int pan)
{
    mBasePan = pan;
    if (mSoundBuffer != nullptr)
        mSoundBuffer->SetPan(mBasePan + mPan);
}

void DSoundInstance::AdjustPitch(double steps)
{
    if (mSoundBuffer == nullptr)
        return;
    // Steps are semitones: each multiplies the frequency by the twelfth root of two.
    double frequency = mBaseFrequency * std::pow(1.0594630943592953, steps);
    if (!(frequency >= 100.0))
        frequency = 100.0;
    if (frequency > 100000.0)
        frequency = 100000.0;
    mSoundBuffer->SetFrequency(uint32_t(frequency));
}

bool DSoundInstance::Play(bool looping, bool autoRelease)
{
    Stop();
    mHasPlayed = true;
    mAutoRelease = autoRelease;
    if (mSoundBuffer == nullptr)
        return false;
    return plat::Succeeded(mSoundBuffer->Play(0, 0, looping ? uint32_t(plat::kPlayLooping) : 0u));
}

void DSoundInstance::Stop()
{
    if (mSoundBuffer == nullptr)
        return;
    mSoundBuffer->Stop();
    mSoundBuffer->SetCurrentPosition(0);
    mAutoRelease = false;
}

bool DSoundInstance::IsPlaying()
{
    if (!mHasPlayed || mSoundBuffer == nullptr)
        return false;
    uint32_t status = 0;
    if (plat::Failed(mSoundBuffer->GetStatus(&status)))
        return false;
    return (status & plat::kStatusPlaying) != 0;
}

bool DSoundInstance::IsReleased()
{
    if (!mReleased && mAutoRelease && mHasPlayed && !IsPlaying())
        Release();
    return mReleased;
}

double DSoundInstance::GetVolume()
{
    return mBaseVolume;
}

} // namespace Quor
