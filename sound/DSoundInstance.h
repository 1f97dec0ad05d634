// One playing copy of a loaded sound: a duplicate of the sound's buffer with its own volume, pan
// and pitch. Without a buffer (silent manager, failed duplicate) it plays nothing.
#pragma once

#include "sound/SoundInstance.h"

#include <cstdint>

namespace plat {
class SoundBuffer;
}

namespace Quor {

class DSoundManager;

class DSoundInstance : public SoundInstance {
public:
    DSoundInstance(plat::SoundBuffer* source, DSoundManager* manager);
    ~DSoundInstance() override;
    DSoundInstance(const DSoundInstance&) = delete;
    DSoundInstance& operator=(const DSoundInstance&) = delete;

    void Release() override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    void AdjustPitch(double steps) override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override;

    // Re-applies base volume x volume x the manager's effects volume to the buffer.
    void RehupVolume();
    bool GetAutoRelease() const { return mAutoRelease; }
    void SetAutoRelease(bool autoRelease) { mAutoRelease = autoRelease; }
    // The playing buffer (null when the instance plays nothing).
    plat::SoundBuffer* GetBuffer() const { return mSoundBuffer; }
    uint32_t GetBaseFrequency() const { return mBaseFrequency; }

private:
    DSoundManager* mManager;
    plat::SoundBuffer* mSourceBuffer;
    plat::SoundBuffer* mSoundBuffer = nullptr;
    bool mAutoRelease = false;
    bool mHasPlayed = false;
    bool mReleased = false;
    int mPan = 0;
    double mVolume = 1.0;
    int mBasePan = 0;
    double mBaseVolume = 1.0;
    uint32_t mBaseFrequency = 44100;
};

} // namespace Quor
