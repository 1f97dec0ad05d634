// The sound manager of the program: up to 256 loaded sounds (ids 0-255) in sound buffers of the
// audio device, found by name as a cache file, WAV, MP3, Ogg Vorbis or AU, and played on up to
// 32 channels. Without an audio device it is the silent manager that accepts every call.
#pragma once

#include "sound/SoundManager.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace plat {
class AudioDevice;
class SoundBuffer;
} // namespace plat

namespace Quor {

class DSoundInstance;

class DSoundManager : public SoundManager {
public:
    static constexpr int MAX_SOURCE_SOUNDS = 256;
    static constexpr int MAX_CHANNELS = 32;
    // Creation flags of every sound buffer (static, software, frequency, pan, volume, position).
    static constexpr uint32_t BUFFER_FLAGS = 0x80EA;

    // Opens the system's audio device; without a window, or when no device can be opened, the
    // manager is silent. clientName is what the sound server shows for the program.
    DSoundManager(void* window, bool useFmod, const std::string& clientName = std::string());
    // On a given device (one more reference is taken); null makes a silent manager.
    DSoundManager(plat::AudioDevice* device, bool useFmod);
    ~DSoundManager() override;
    DSoundManager(const DSoundManager&) = delete;
    DSoundManager& operator=(const DSoundManager&) = delete;

    bool Initialized() override;
    int LoadSound(const std::string& name) override;
    bool LoadSoundToId(int id, const std::string& name) override;
    void ReleaseSound(int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(int id, double volume) override;
    bool SetBasePan(int id, int pan) override;
    SoundInstance* GetSoundInstance(int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void SetCooperativeWindow(void* window, bool windowed) override;
    void StopAllSounds() override;
    int GetFreeSoundId() override;
    int GetNumSounds() override;

    // The millisecond clock of the channel clean-up (the system tick count by default).
    void SetTickSource(std::function<uint32_t()> source);

    // Attenuation in hundredths of a decibel of a volume 0.0-1.0: 0 at 1.0, -10000 (silence)
    // below about 0.0433.
    static int32_t VolumeToAttenuation(double volume);

    // ---- For the readers and decoders, which fill one id ----
    plat::AudioDevice* GetDevice() const { return mDirectSound; }
    bool UseFmod() const { return mUseFmod; }
    double GetEffectsVolume() const { return mMasterVolume; }
    // A new buffer of the given format and byte length made with the buffer flags, or null.
    plat::SoundBuffer* CreateSoundBuffer(uint32_t channels, uint32_t samplesPerSec,
                                         uint32_t bitsPerSample, uint32_t bytes);
    // Makes a buffer of the format and length, locks it, lets fill write its bytes and, when
    // fill succeeds and the buffer unlocks, puts it into the id. On any failure the buffer is
    // freed and the id is left as it was.
    bool FillSoundId(int id, uint32_t channels, uint32_t samplesPerSec, uint32_t bitsPerSample,
                     uint32_t bytes, const std::function<bool(uint8_t* data, uint32_t bytes)>& fill);
    // Puts a filled buffer into an id (owning it from now), replacing what the id held, and
    // records its byte length. False (and the buffer released) for an id outside 0-255.
    bool SetSoundBuffer(int id, plat::SoundBuffer* buffer, uint32_t bytes);
    // The id's buffer with one more reference (the caller releases it), or null.
    plat::SoundBuffer* AcquireSoundBuffer(int id);
    uint32_t GetBufferSize(int id);
    std::string GetSoundName(int id);
    double GetBaseVolume(int id);
    int GetBasePan(int id);

private:
    static bool ValidId(int id) { return id >= 0 && id < MAX_SOURCE_SOUNDS; }
    void Open(plat::AudioDevice* device, void* window);
    bool LoadSoundFiles(int id, const std::string& name);
    int FindFreeChannel(); // lock held

    // The slot tables are shared by the loading thread and the main thread.
    std::recursive_mutex mLock;
    // Loads run one at a time, outside the slot lock, so playing never waits for a decoder.
    std::recursive_mutex mLoadLock;

    plat::SoundBuffer* mSourceSounds[MAX_SOURCE_SOUNDS] = {};
    std::string mSourceFileNames[MAX_SOURCE_SOUNDS];
    plat::SoundBuffer* mPrimaryBuffer = nullptr;
    uint32_t mBufferSizes[MAX_SOURCE_SOUNDS] = {};
    double mBaseVolumes[MAX_SOURCE_SOUNDS];
    int mBasePans[MAX_SOURCE_SOUNDS] = {};
    SoundInstance* mPlayingSounds[MAX_CHANNELS] = {};
    double mMasterVolume = 1.0;
    uint32_t mLastReleaseTick = 0;
    plat::AudioDevice* mDirectSound = nullptr;
    bool mUseFmod = false;
    uint32_t mWaveOutVolume = 65535; // the program's master gain, 0-65535
    std::function<uint32_t()> mTickSource;
};

} // namespace Quor
