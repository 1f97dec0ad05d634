// Sound output: buffers of PCM samples played once or looping with their own volume (hundredths
// of a decibel), pan and frequency, mixed by our own mixer into one 44100 Hz stereo 16-bit
// stream that one audio device callback plays. The mixer also renders into memory without any
// device, which is how tests hear exactly what would be played. Other sources (music streams)
// join the mix through AudioStream.
#pragma once

#include "platform/Results.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat {

// PCM format of a buffer (tag 1): 1-2 channels of 8-bit unsigned or 16-bit signed samples.
struct WaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

// A PCM format with block align and bytes per second worked out.
WaveFormat MakeWaveFormat(uint32_t channels, uint32_t samplesPerSec, uint32_t bitsPerSample);

// Buffer capabilities.
enum : uint32_t {
    kSoundCapsPrimary = 0x0001,
    kSoundCapsStatic = 0x0002,
    kSoundCapsSoftware = 0x0008,
    kSoundCapsFrequency = 0x0020,
    kSoundCapsPan = 0x0040,
    kSoundCapsVolume = 0x0080,
    kSoundCapsPosition2 = 0x8000,
};

struct SoundBufferDesc {
    uint32_t size = 20;
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;      // 0 for the primary buffer
    const WaveFormat* format = nullptr; // null for the primary buffer
};

enum : uint32_t {
    kPlayLooping = 1,      // Play flag
    kStatusPlaying = 1,    // GetStatus bits
    kStatusLooping = 4,
    kLockReadOnly = 0x100, // Lock flag of ours: the caller only reads
    kSoundCoopNormal = 1,  // cooperative levels
    kSoundCoopPriority = 2,
};

constexpr int32_t kVolumeSilent = -10000; // volumes: -10000 (silence) .. 0 (unchanged)
constexpr int32_t kVolumeFull = 0;
constexpr int32_t kPanLeft = -10000;      // pans: -10000 (left only) .. 10000 (right only)
constexpr int32_t kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 100000;

// The mix: 44100 frames a second, two interleaved 16-bit channels.
constexpr uint32_t kMixRate = 44100;
constexpr uint32_t kMixChannels = 2;

// The linear gain of a volume in hundredths of a decibel: 10^(volume/2000), exactly 0 at
// -10000 and below.
double VolumeToGain(int32_t volume);

class AudioDevice;

// A source of 44100 Hz stereo samples mixed beside the buffers (a music stream). Mix adds the
// source's next frames to the two float accumulators, left and right (full scale +-32768); it
// is called on the mixing thread with the device locked, so it must neither block
// nor call back into the device or its buffers.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    virtual void Mix(float* left, float* right, uint32_t frames) = 0;
};

// A buffer of samples and its play state, reference counted (created with one reference).
// Duplicates share the samples; a lock for writing on a buffer whose samples another buffer
// shares, or that is playing, writes into a private copy that Unlock puts in place, so what
// plays is never changed under the mixer.
class SoundBuffer {
public:
    uint32_t AddRef();
    uint32_t Release();

    HResult GetFormat(WaveFormat* format) const;
    HResult SetFormat(const WaveFormat& format); // primary buffer only
    HResult GetFrequency(uint32_t* hz) const;
    HResult SetFrequency(uint32_t hz); // 100..100000; 0 restores the format's rate
    HResult GetVolume(int32_t* volume) const;
    HResult SetVolume(int32_t volume); // -10000..0
    HResult GetPan(int32_t* pan) const;
    HResult SetPan(int32_t pan); // -10000..10000
    HResult GetStatus(uint32_t* status) const;
    // One region from offset (the second pair is always empty: the region never wraps).
    HResult Lock(uint32_t offset, uint32_t bytes, void** data1, uint32_t* bytes1, void** data2,
                 uint32_t* bytes2, uint32_t flags);
    HResult Unlock(void* data1, uint32_t bytes1, void* data2, uint32_t bytes2);
    HResult Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    // Stops where it is; the position stays.
    HResult Stop();
    HResult GetCurrentPosition(uint32_t* play, uint32_t* write) const;
    HResult SetCurrentPosition(uint32_t position); // bytes
    uint32_t GetSize() const { return mBytes; }

private:
    friend class AudioDevice;
    SoundBuffer() = default;
    ~SoundBuffer() = default;

    std::atomic<uint32_t> mRefs{1};
    AudioDevice* mDevice = nullptr; // holds one device reference while the buffer lives
    bool mPrimary = false;
    WaveFormat mFormat;
    uint32_t mBytes = 0;
    uint32_t mFrames = 0;
    std::shared_ptr<std::vector<uint8_t>> mData; // the samples, shared by duplicates
    std::shared_ptr<std::vector<uint8_t>> mPending; // a write lock's private copy
    bool mLocked = false;
    // Play state, read by the mixer: guarded by the device's lock.
    bool mPlaying = false;
    bool mLooping = false;
    uint64_t mPosition = 0; // frames, 32.32 fixed point
    uint32_t mFrequency = 0;
    int32_t mVolume = 0;
    int32_t mPan = 0;
    float mGainLeft = 1.0f;
    float mGainRight = 1.0f;
};

// What the device is made on.
enum class AudioOutput {
    Device, // the system's audio device through SDL (fails when there is none)
    Memory, // no device: sound is produced only by Render
};

// The audio object: makes buffers, keeps the playing ones and mixes them. Thread-safe: buffer
// state is shared with the mixing callback under one short lock.
class AudioDevice {
public:
    // clientName is what the sound server shows for the program.
    static HResult Create(AudioOutput output, const std::string& clientName, AudioDevice** out);
    uint32_t AddRef();
    uint32_t Release();

    HResult SetCooperativeLevel(uint32_t window, uint32_t level);
    HResult CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** out);
    // A new buffer on the same samples, with the source's format and frequency, stopped at 0,
    // volume 0 and pan 0.
    HResult DuplicateSoundBuffer(SoundBuffer* source, SoundBuffer** out);

    // Mixes the next frames of every playing buffer and stream into out (interleaved stereo,
    // saturated to 16 bits) and advances them. The device's callback calls this; a Memory
    // device is driven by calling it directly.
    void Render(int16_t* out, uint32_t frames);

    // The program's own master gain (0.0-1.0) applied to the whole mix; the desktop's mixer is
    // never touched.
    double GetMasterVolume() const;
    void SetMasterVolume(double volume);

    // Streams mixed beside the buffers until removed; after RemoveStream returns the mixer no
    // longer touches the stream.
    void AddStream(AudioStream* stream);
    void RemoveStream(AudioStream* stream);

    bool IsMemoryOnly() const { return mOutput == AudioOutput::Memory; }
    size_t PlayingCount() const;

private:
    friend class SoundBuffer;
    explicit AudioDevice(AudioOutput output) : mOutput(output) {}
    ~AudioDevice();
    bool OpenOutput(const std::string& clientName);
    void CloseOutput();
    void StartPlaying(SoundBuffer* buffer); // lock held
    void StopPlaying(SoundBuffer* buffer);  // lock held
    void MixBuffer(SoundBuffer* buffer, uint32_t frames); // lock held

    std::atomic<uint32_t> mRefs{1};
    AudioOutput mOutput;
    uint32_t mSdlDevice = 0;
    mutable std::mutex mMutex; // guards play state, the playing list and the streams
    std::vector<SoundBuffer*> mPlaying; // a buffer leaves the list before it is freed
    std::vector<AudioStream*> mStreams;
    std::vector<float> mAccLeft; // the mix before the master gain
    std::vector<float> mAccRight;
    std::vector<float> mScratchLeft; // one buffer's resampled frames
    std::vector<float> mScratchRight;
    double mMasterVolume = 1.0;
    uint32_t mWindow = 0;
    uint32_t mCoopLevel = 0;
};

} // namespace plat
