// The store of loaded sound effects (ids 0-255) that hands out playable instances; the
// interface that the sound back-end implements.
#pragma once

#include <string>

namespace Quor {

class SoundInstance;

class SoundManager {
public:
    virtual ~SoundManager() = default;

    virtual bool Initialized() = 0;
    virtual int LoadSound(const std::string& name) = 0;
    virtual bool LoadSoundToId(int id, const std::string& name) = 0;
    virtual void ReleaseSound(int id) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual bool SetBaseVolume(int id, double volume) = 0;
    virtual bool SetBasePan(int id, int pan) = 0;
    virtual SoundInstance* GetSoundInstance(int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void Reserved() {}
    virtual void SetCooperativeWindow(void* window, bool windowed) = 0;
    virtual void StopAllSounds() = 0;
    virtual int GetFreeSoundId() = 0;
    virtual int GetNumSounds() = 0;
};

} // namespace Quor
