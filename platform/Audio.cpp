// Sound buffers, the mixer and the SDL audio device that plays the mix.
#include "platform/Audio.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat {

namespace {

constexpr uint64_t kOneFrame = uint64_t(1) << 32; // positions are frames in 32.32 fixed point
constexpr uint32_t kCallbackFrames = 1024;
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

bool FormatPlayable(const WaveFormat& f)
{
    return f.formatTag == 1 && (f.channels == 1 || f.channels == 2) &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec >= kFrequencyMin &&
           f.samplesPerSec <= kFrequencyMax;
}

// One source frame as float samples (16-bit scale), left and right.
template <int Channels, int Bits>
inline void Fetch(const uint8_t* data, uint64_t index, float& left, float& right)
{
    if constexpr (Bits == 16) {
        int16_t s[Channels];
        std::memcpy(s, data + index * Channels * 2, sizeof s);
        left = s[0];
        right = s[Channels - 1];
    } else {
        const uint8_t* p = data + index * Channels;
        left = float((int(p[0]) - 128) * 256);
        right = float((int(p[Channels - 1]) - 128) * 256);
    }
}

// Resampling by linear interpolation into planar float frames (16-bit scale). Each stretch
// below is filled from position pos on; the caller has made sure that every frame read and the
// frame after it lie inside the buffer.
template <int Channels, int Bits>
inline void ResampleRun(const uint8_t* data, uint64_t& pos, uint64_t step, float* left, float* right,
                        uint32_t count)
{
    constexpr float kFraction = 1.0f / 4294967296.0f;
    if (step == kOneFrame && uint32_t(pos) == 0) {
        // The output rate: every frame as it is.
        uint64_t index = pos >> 32;
        for (uint32_t i = 0; i < count; ++i) {
            float l, r;
            Fetch<Channels, Bits>(data, index + i, l, r);
            left[i] = l;
            if constexpr (Channels == 2)
                right[i] = r;
        }
        pos += uint64_t(count) * step;
        return;
    }
    if (step == kOneFrame / 2 && uint32_t(pos) % (kOneFrame / 2) == 0) {
        // Half the output rate: frames and the midpoints between them.
        uint32_t i = 0;
        uint64_t index = pos >> 32;
        if (uint32_t(pos) != 0 && count > 0) {
            float l0, r0, l1, r1;
            Fetch<Channels, Bits>(data, index, l0, r0);
            Fetch<Channels, Bits>(data, index + 1, l1, r1);
            left[0] = l0 + (l1 - l0) * 0.5f;
            if constexpr (Channels == 2)
                right[0] = r0 + (r1 - r0) * 0.5f;
            ++index;
            i = 1;
        }
        if constexpr (Channels == 1 && Bits == 16) {
            // The common case of a mono sound at half the rate, written so it vectorises.
            using Sample = int16_t __attribute__((may_alias));
            const Sample* src = reinterpret_cast<const Sample*>(data) + index;
            const uint32_t pairs = (count - i) / 2;
            float* __restrict out = left + i;
            for (uint32_t j = 0; j < pairs; ++j) {
                float a = src[j];
                float b = src[j + 1];
                out[2 * j] = a;
                out[2 * j + 1] = a + (b - a) * 0.5f;
            }
            i += 2 * pairs;
            index += pairs;
        }
        for (; i + 1 < count; i += 2, ++index) {
            float l0, r0, l1, r1;
            Fetch<Channels, Bits>(data, index, l0, r0);
            Fetch<Channels, Bits>(data, index + 1, l1, r1);
            left[i] = l0;
            left[i + 1] = l0 + (l1 - l0) * 0.5f;
            if constexpr (Channels == 2) {
                right[i] = r0;
                right[i + 1] = r0 + (r1 - r0) * 0.5f;
            }
        }
        if (i < count) {
            float l, r;
            Fetch<Channels, Bits>(data, index, l, r);
            left[i] = l;
            if constexpr (Channels == 2)
                right[i] = r;
        }
        pos += uint64_t(count) * step;
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t index = pos >> 32;
        float t = float(uint32_t(pos)) * kFraction;
        float l0, r0, l1, r1;
        Fetch<Channels, Bits>(data, index, l0, r0);
        Fetch<Channels, Bits>(data, index + 1, l1, r1);
        left[i] = l0 + (l1 - l0) * t;
        if constexpr (Channels == 2)
            right[i] = r0 + (r1 - r0) * t;
        pos += step;
    }
}

struct VoiceState {
    uint64_t pos;
    bool playing;
    uint32_t produced; // output frames made
};

// Resamples up to `frames` output frames of a buffer of n frames into left and right (left only
// for one channel); a buffer that stops at its end makes fewer. The last frame of a loop is blended with the first, the
// last frame of a buffer that stops with itself.
template <int Channels, int Bits>
VoiceState Resample(const uint8_t* data, uint32_t n, uint64_t pos, uint64_t step, bool looping, float* left,
                    float* right, uint32_t frames)
{
    const uint64_t end = uint64_t(n) * kOneFrame;
    const uint64_t safeEnd = end - kOneFrame; // below it the next frame is inside the buffer
    uint32_t i = 0;
    while (i < frames) {
        if (pos >= end) {
            if (!looping)
                return {0, false, i};
            pos %= end;
        }
        if (pos < safeEnd) {
            uint64_t run = (safeEnd - pos + step - 1) / step;
            uint32_t count = uint32_t(std::min<uint64_t>(run, frames - i));
            ResampleRun<Channels, Bits>(data, pos, step, left + i, right + i, count);
            i += count;
        } else {
            uint64_t next = looping ? 0 : (pos >> 32);
            float l0, r0, l1, r1;
            Fetch<Channels, Bits>(data, pos >> 32, l0, r0);
            Fetch<Channels, Bits>(data, next, l1, r1);
            float t = float(uint32_t(pos)) * (1.0f / 4294967296.0f);
            left[i] = l0 + (l1 - l0) * t;
            if constexpr (Channels == 2)
                right[i] = r0 + (r1 - r0) * t;
            pos += step;
            ++i;
        }
    }
    if (pos >= end && !looping)
        return {0, false, i};
    return {looping ? pos % end : pos, true, i};
}

// Adds resampled frames with their gains to the planar accumulator.
void Accumulate(const float* __restrict left, const float* __restrict right, float gainLeft, float gainRight,
                float* __restrict accLeft, float* __restrict accRight, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        accLeft[i] += left[i] * gainLeft;
        accRight[i] += right[i] * gainRight;
    }
}

void ComputeGains(int32_t volume, int32_t pan, float& left, float& right)
{
    double gain = VolumeToGain(volume);
    double l = gain;
    double r = gain;
    if (pan > 0)
        l *= VolumeToGain(-pan);
    else if (pan < 0)
        r *= VolumeToGain(pan);
    left = float(l);
    right = float(r);
}

// A mixed value as a 16-bit sample, rounded to the nearest and clamped.
inline int16_t Saturate(float v)
{
    return int16_t(std::lrint(std::clamp(v, -32768.0f, 32767.0f)));
}

void SDLCALL AudioCallback(void* user, Uint8* stream, int length)
{
    static_cast<AudioDevice*>(user)->Render(reinterpret_cast<int16_t*>(stream),
                                            uint32_t(length) / (2 * kMixChannels));
}

} // namespace

WaveFormat MakeWaveFormat(uint32_t channels, uint32_t samplesPerSec, uint32_t bitsPerSample)
{
    WaveFormat f;
    f.formatTag = 1;
    f.channels = uint16_t(channels);
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = uint16_t(bitsPerSample);
    f.blockAlign = uint16_t(channels * bitsPerSample / 8);
    f.avgBytesPerSec = f.blockAlign * samplesPerSec;
    f.extraSize = 0;
    return f;
}

double VolumeToGain(int32_t volume)
{
    if (volume <= kVolumeSilent)
        return 0.0;
    if (volume >= 0)
        return 1.0;
    return std::pow(10.0, volume / 2000.0);
}

// ---------------------------------------------------------------------------------------------
// Buffers

uint32_t SoundBuffer::AddRef()
{
    return ++mRefs;
}

uint32_t SoundBuffer::Release()
{
    uint32_t left = --mRefs;
    if (left == 0) {
        AudioDevice* device = mDevice;
        {
            std::lock_guard<std::mutex> lock(device->mMutex);
            device->StopPlaying(this);
        }
        delete this;
        device->Release();
    }
    return left;
}

HResult SoundBuffer::GetFormat(WaveFormat* format) const
{
    if (format == nullptr)
        return DSERR_INVALIDPARAM;
    *format = mFormat;
    return DS_OK;
}

HResult SoundBuffer::SetFormat(const WaveFormat& format)
{
    if (!mPrimary)
        return DSERR_INVALIDCALL;
    if (format.formatTag != 1 || format.channels < 1 || format.channels > 2 ||
        (format.bitsPerSample != 8 && format.bitsPerSample != 16))
        return DSERR_BADFORMAT;
    mFormat = format;
    return DS_OK;
}

HResult SoundBuffer::GetFrequency(uint32_t* hz) const
{
    if (hz == nullptr)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    *hz = mFrequency;
    return DS_OK;
}

HResult SoundBuffer::SetFrequency(uint32_t hz)
{
    if (mPrimary)
        return DSERR_INVALIDCALL;
    if (hz == 0)
        hz = mFormat.samplesPerSec;
    if (hz < kFrequencyMin || hz > kFrequencyMax)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    mFrequency = hz;
    return DS_OK;
}

HResult SoundBuffer::GetVolume(int32_t* volume) const
{
    if (volume == nullptr)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    *volume = mVolume;
    return DS_OK;
}

HResult SoundBuffer::SetVolume(int32_t volume)
{
    if (volume < kVolumeSilent || volume > kVolumeFull)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    mVolume = volume;
    ComputeGains(mVolume, mPan, mGainLeft, mGainRight);
    return DS_OK;
}

HResult SoundBuffer::GetPan(int32_t* pan) const
{
    if (pan == nullptr)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    *pan = mPan;
    return DS_OK;
}

HResult SoundBuffer::SetPan(int32_t pan)
{
    if (pan < kPanLeft || pan > kPanRight)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    mPan = pan;
    ComputeGains(mVolume, mPan, mGainLeft, mGainRight);
    return DS_OK;
}

HResult SoundBuffer::GetStatus(uint32_t* status) const
{
    if (status == nullptr)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    *status = (mPlaying ? uint32_t(kStatusPlaying) : 0u) | (mPlaying && mLooping ? uint32_t(kStatusLooping) : 0u);
    return DS_OK;
}

HResult SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** data1, uint32_t* bytes1,
                          void** data2, uint32_t* bytes2, uint32_t flags)
{
    if (data1 == nullptr || bytes1 == nullptr)
        return DSERR_INVALIDPARAM;
    if (mPrimary)
        return DSERR_PRIOLEVELNEEDED;
    if (offset > mBytes || bytes > mBytes - offset)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    if (mLocked)
        return DSERR_INVALIDCALL;
    uint8_t* base;
    if ((flags & kLockReadOnly) != 0 || (mData.use_count() == 1 && !mPlaying)) {
        base = mData->data();
    } else {
        mPending = std::make_shared<std::vector<uint8_t>>(*mData);
        base = mPending->data();
    }
    mLocked = true;
    *data1 = base + offset;
    *bytes1 = bytes;
    if (data2 != nullptr)
        *data2 = nullptr;
    if (bytes2 != nullptr)
        *bytes2 = 0;
    return DS_OK;
}

HResult SoundBuffer::Unlock(void* data1, uint32_t bytes1, void* data2, uint32_t bytes2)
{
    (void)data2;
    (void)bytes2;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    if (!mLocked)
        return DSERR_INVALIDCALL;
    const uint8_t* base = mPending ? mPending->data() : mData->data();
    const uint8_t* p = static_cast<const uint8_t*>(data1);
    if (p < base || p > base + mBytes || bytes1 > mBytes - uint32_t(p - base))
        return DSERR_INVALIDPARAM;
    if (mPending)
        mData = std::move(mPending);
    mPending.reset();
    mLocked = false;
    return DS_OK;
}

HResult SoundBuffer::Play(uint32_t reserved, uint32_t priority, uint32_t flags)
{
    if (reserved != 0)
        return DSERR_INVALIDPARAM;
    (void)priority;
    if (mPrimary)
        return DS_OK;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    mLooping = (flags & kPlayLooping) != 0;
    if (!mPlaying)
        mDevice->StartPlaying(this);
    return DS_OK;
}

HResult SoundBuffer::Stop()
{
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    mDevice->StopPlaying(this);
    return DS_OK;
}

HResult SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const
{
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    uint32_t bytes = uint32_t(mPosition >> 32) * mFormat.blockAlign;
    if (play != nullptr)
        *play = bytes;
    if (write != nullptr)
        *write = bytes;
    return DS_OK;
}

HResult SoundBuffer::SetCurrentPosition(uint32_t position)
{
    if (mPrimary)
        return DSERR_INVALIDCALL;
    if (position >= mBytes && !(position == 0 && mBytes == 0))
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mDevice->mMutex);
    uint32_t align = std::max<uint32_t>(1, mFormat.blockAlign);
    mPosition = uint64_t(position / align) << 32;
    return DS_OK;
}

// ---------------------------------------------------------------------------------------------
// The device

HResult AudioDevice::Create(AudioOutput output, const std::string& clientName, AudioDevice** out)
{
    if (out == nullptr)
        return DSERR_INVALIDPARAM;
    *out = nullptr;
    auto* device = new AudioDevice(output);
    if (output == AudioOutput::Device && !device->OpenOutput(clientName)) {
        device->Release();
        return DSERR_NODRIVER;
    }
    *out = device;
    return DS_OK;
}

AudioDevice::~AudioDevice()
{
    CloseOutput();
}

uint32_t AudioDevice::AddRef()
{
    return ++mRefs;
}

uint32_t AudioDevice::Release()
{
    uint32_t left = --mRefs;
    if (left == 0)
        delete this;
    return left;
}

bool AudioDevice::OpenOutput(const std::string& clientName)
{
    if (!clientName.empty())
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, clientName.c_str());
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = int(kMixRate);
    want.format = AUDIO_S16SYS;
    want.channels = uint8_t(kMixChannels);
    want.samples = uint16_t(kCallbackFrames);
    want.callback = AudioCallback;
    want.userdata = this;
    SDL_AudioSpec have;
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    mSdlDevice = id;
    SDL_PauseAudioDevice(id, 0);
    return true;
}

void AudioDevice::CloseOutput()
{
    if (mSdlDevice != 0) {
        SDL_CloseAudioDevice(mSdlDevice); // returns once the callback has ended
        mSdlDevice = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

HResult AudioDevice::SetCooperativeLevel(uint32_t window, uint32_t level)
{
    if (level != kSoundCoopNormal && level != kSoundCoopPriority)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(mMutex);
    mWindow = window;
    mCoopLevel = level;
    return DS_OK;
}

HResult AudioDevice::CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** out)
{
    if (out == nullptr)
        return DSERR_INVALIDPARAM;
    *out = nullptr;
    bool primary = (desc.flags & kSoundCapsPrimary) != 0;
    if (primary) {
        if (desc.bufferBytes != 0 || desc.format != nullptr)
            return DSERR_INVALIDPARAM;
        if (mCoopLevel != kSoundCoopPriority)
            return DSERR_PRIOLEVELNEEDED;
    } else {
        if (desc.format == nullptr)
            return DSERR_INVALIDPARAM;
        const WaveFormat& f = *desc.format;
        if (!FormatPlayable(f) || f.blockAlign != f.channels * f.bitsPerSample / 8)
            return DSERR_BADFORMAT;
        if (desc.bufferBytes < f.blockAlign || desc.bufferBytes > kMaxBufferBytes)
            return DSERR_INVALIDPARAM;
    }
    auto* buffer = new SoundBuffer();
    buffer->mDevice = this;
    AddRef();
    buffer->mPrimary = primary;
    if (primary) {
        buffer->mFormat = MakeWaveFormat(2, kMixRate, 16);
        buffer->mFrequency = kMixRate;
    } else {
        buffer->mFormat = *desc.format;
        // Whole frames only; a trailing part frame is kept but never played.
        buffer->mBytes = desc.bufferBytes;
        buffer->mFrames = desc.bufferBytes / desc.format->blockAlign;
        buffer->mFrequency = desc.format->samplesPerSec;
        buffer->mData = std::make_shared<std::vector<uint8_t>>(desc.bufferBytes, uint8_t(0));
        if (desc.format->bitsPerSample == 8)
            std::fill(buffer->mData->begin(), buffer->mData->end(), uint8_t(0x80));
    }
    *out = buffer;
    return DS_OK;
}

HResult AudioDevice::DuplicateSoundBuffer(SoundBuffer* source, SoundBuffer** out)
{
    if (out == nullptr)
        return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (source == nullptr || source->mDevice != this)
        return DSERR_INVALIDPARAM;
    if (source->mPrimary)
        return DSERR_INVALIDCALL;
    auto* buffer = new SoundBuffer();
    buffer->mDevice = this;
    AddRef();
    std::lock_guard<std::mutex> lock(mMutex);
    buffer->mFormat = source->mFormat;
    buffer->mBytes = source->mBytes;
    buffer->mFrames = source->mFrames;
    buffer->mFrequency = source->mFrequency;
    buffer->mData = source->mData;
    *out = buffer;
    return DS_OK;
}

void AudioDevice::StartPlaying(SoundBuffer* buffer)
{
    buffer->mPlaying = true;
    mPlaying.push_back(buffer);
}

void AudioDevice::StopPlaying(SoundBuffer* buffer)
{
    if (!buffer->mPlaying)
        return;
    buffer->mPlaying = false;
    mPlaying.erase(std::remove(mPlaying.begin(), mPlaying.end(), buffer), mPlaying.end());
}

size_t AudioDevice::PlayingCount() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mPlaying.size();
}

double AudioDevice::GetMasterVolume() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mMasterVolume;
}

void AudioDevice::SetMasterVolume(double volume)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mMasterVolume = std::clamp(volume, 0.0, 1.0);
}

void AudioDevice::AddStream(AudioStream* stream)
{
    std::lock_guard<std::mutex> lock(mMutex);
    if (stream != nullptr && std::find(mStreams.begin(), mStreams.end(), stream) == mStreams.end())
        mStreams.push_back(stream);
}

void AudioDevice::RemoveStream(AudioStream* stream)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mStreams.erase(std::remove(mStreams.begin(), mStreams.end(), stream), mStreams.end());
}

void AudioDevice::MixBuffer(SoundBuffer* b, uint32_t frames)
{
    const uint8_t* data = b->mData->data();
    uint64_t step = (uint64_t(b->mFrequency) << 32) / kMixRate;
    float* left = mScratchLeft.data();
    float* right = mScratchRight.data();
    VoiceState s;
    switch (b->mFormat.channels * 100 + b->mFormat.bitsPerSample) {
    case 116:
        s = Resample<1, 16>(data, b->mFrames, b->mPosition, step, b->mLooping, left, right, frames);
        break;
    case 216:
        s = Resample<2, 16>(data, b->mFrames, b->mPosition, step, b->mLooping, left, right, frames);
        break;
    case 108:
        s = Resample<1, 8>(data, b->mFrames, b->mPosition, step, b->mLooping, left, right, frames);
        break;
    default:
        s = Resample<2, 8>(data, b->mFrames, b->mPosition, step, b->mLooping, left, right, frames);
        break;
    }
    Accumulate(left, b->mFormat.channels == 1 ? left : right, b->mGainLeft, b->mGainRight, mAccLeft.data(),
               mAccRight.data(), s.produced);
    b->mPosition = s.pos;
    if (!s.playing)
        b->mPlaying = false;
}

void AudioDevice::Render(int16_t* out, uint32_t frames)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mAccLeft.assign(frames, 0.0f);
    mAccRight.assign(frames, 0.0f);
    if (mScratchLeft.size() < frames) {
        mScratchLeft.resize(frames);
        mScratchRight.resize(frames);
    }
    for (SoundBuffer* b : mPlaying) {
        if (b->mFrames > 0)
            MixBuffer(b, frames);
        else
            b->mPlaying = false;
    }
    mPlaying.erase(std::remove_if(mPlaying.begin(), mPlaying.end(),
                                  [](SoundBuffer* b) { return !b->mPlaying; }),
                   mPlaying.end());
    for (AudioStream* stream : mStreams)
        stream->Mix(mAccLeft.data(), mAccRight.data(), frames);
    const float master = float(mMasterVolume);
    const float* accLeft = mAccLeft.data();
    const float* accRight = mAccRight.data();
    for (uint32_t i = 0; i < frames; ++i) {
        out[2 * i] = Saturate(accLeft[i] * master);
        out[2 * i + 1] = Saturate(accRight[i] * master);
    }
}

} // namespace plat
