// DSoundManager: the 256 sound slots, the load order of a sound's file forms, the 32 channels.
#include "sound/DSoundManager.h"

#include "app/Common.h"
#include "app/Debug.h"
#include "platform/Audio.h"
#include "platform/Time.h"
#include "sound/DSoundInstance.h"
#include "sound/SoundDecoders.h"
#include "sound/WaveFile.h"

#include <cmath>

namespace Quor {

DSoundManager::DSoundManager(void* window, bool useFmod, const std::string& clientName)
    : mUseFmod(useFmod)
{
    for (double& volume : mBaseVolumes)
        volume = 1.0;
    if (window == nullptr)
        return;
    plat::AudioDevice* device = nullptr;
    if (plat::Failed(plat::AudioDevice::Create(plat::AudioOutput::Device, clientName, &device))) {
        DebugPrintf("No audio device: sound effects are silent\n");
        return;
    }
    Open(device, window);
    device->Release();
}

DSoundManager::DSoundManager(plat::AudioDevice* device, bool useFmod) : mUseFmod(useFmod)
{
    for (double& volume : mBaseVolumes)
        volume = 1.0;
    if (device != nullptr)
        Open(device, nullptr);
}

void DSoundManager::Open(plat::AudioDevice* device, void* window)
{
    mDirectSound = device;
    device->AddRef();
    uint32_t windowId = uint32_t(reinterpret_cast<uintptr_t>(window));
    if (plat::Failed(device->SetCooperativeLevel(windowId, plat::kSoundCoopPriority))) {
        device->SetCooperativeLevel(windowId, plat::kSoundCoopNormal);
        return;
    }
    plat::SoundBufferDesc desc;
    desc.flags = plat::kSoundCapsPrimary;
    if (plat::Succeeded(device->CreateSoundBuffer(desc, &mPrimaryBuffer))) {
        plat::WaveFormat format = plat::MakeWaveFormat(2, 44100, 16);
        format.extraSize = 18;
        mPrimaryBuffer->SetFormat(format);
    }
}

DSoundManager::~DSoundManager()
{
    ReleaseChannels();
    ReleaseSounds();
    if (mPrimaryBuffer != nullptr)
        mPrimaryBuffer->Release();
    if (mDirectSound != nullptr)
        mDirectSound->Release();
}

void DSoundManager::SetTickSource(std::function<uint32_t()> source)
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mTickSource = std::move(source);
}

int32_t DSoundManager::VolumeToAttenuation(double volume)
{
    // A volume of nothing (or less, or not a number) is silence.
    if (!(volume > 0.0))
        return plat::kVolumeSilent;
    double a = std::trunc((std::log10(volume * 9.0 + 1.0) - 1.0) * 2333.0);
    if (a < -2000.0)
        return plat::kVolumeSilent;
    // Above 1.0 the buffer cannot be louder than its samples.
    if (a > 0.0)
        return 0;
    return int32_t(a);
}

bool DSoundManager::Initialized()
{
    return mDirectSound != nullptr;
}

int DSoundManager::LoadSound(const std::string& name)
{
    std::lock_guard<std::recursive_mutex> loadLock(mLoadLock);
    int id = -1;
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        for (int i = 0; i < MAX_SOURCE_SOUNDS; ++i) {
            if (mSourceFileNames[i] == name)
                return i;
        }
        for (int i = MAX_SOURCE_SOUNDS - 1; i >= 0; --i) {
            if (mSourceSounds[i] == nullptr) {
                id = i;
                break;
            }
        }
    }
    if (id < 0)
        return -1;
    return LoadSoundToId(id, name) ? id : -1;
}

bool DSoundManager::LoadSoundToId(int id, const std::string& name)
{
    if (!ValidId(id))
        return false;
    std::lock_guard<std::recursive_mutex> loadLock(mLoadLock);
    ReleaseSound(id);
    if (mDirectSound == nullptr)
        return true;
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        mSourceFileNames[id] = name;
    }
    if (LoadSoundFiles(id, name))
        return true;
    // Forget the name, so that a later load of it tries the files again.
    std::lock_guard<std::recursive_mutex> lock(mLock);
    if (mSourceSounds[id] == nullptr)
        mSourceFileNames[id].clear();
    return false;
}

bool DSoundManager::LoadSoundFiles(int id, const std::string& name)
{
    std::string cachePath;
    bool relative = name.size() > 2 && name[0] != '\\' && name[0] != '/' && name[1] != ':';
    if (relative) {
        cachePath = GetAppDataFolder() + "cached\\" + name + ".wav";
        if (ReadWaveFile(*this, id, cachePath))
            return true;
        CreateDirectories(GetFileDir(cachePath));
    }
    if (ReadWaveFile(*this, id, name + ".wav"))
        return true;

    std::string source;
    if (mUseFmod && DecodeMp3(*this, id, name + ".mp3"))
        source = name + ".mp3";
    else if (DecodeOgg(*this, id, name + ".ogg"))
        source = name + ".ogg";
    else if (DecodeAu(*this, id, name + ".au"))
        source = name + ".au";
    else
        return false;
    if (!cachePath.empty())
        WriteCachedWave(*this, cachePath, id, source);
    return true;
}

void DSoundManager::ReleaseSound(int id)
{
    if (!ValidId(id))
        return;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    if (mSourceSounds[id] != nullptr) {
        mSourceSounds[id]->Release();
        mSourceSounds[id] = nullptr;
        mSourceFileNames[id].clear();
    }
}

void DSoundManager::SetVolume(double volume)
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mMasterVolume = volume;
    for (SoundInstance* instance : mPlayingSounds) {
        if (instance != nullptr)
            static_cast<DSoundInstance*>(instance)->RehupVolume();
    }
}

bool DSoundManager::SetBaseVolume(int id, double volume)
{
    if (!ValidId(id))
        return false;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mBaseVolumes[id] = volume;
    return true;
}

bool DSoundManager::SetBasePan(int id, int pan)
{
    if (!ValidId(id))
        return false;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mBasePans[id] = pan;
    return true;
}

int DSoundManager::FindFreeChannel()
{
    uint32_t now = mTickSource ? mTickSource() : plat::GetTickCount();
    if (now - mLastReleaseTick > 1000) {
        for (SoundInstance*& instance : mPlayingSounds) {
            if (instance != nullptr && instance->IsReleased()) {
                delete instance;
                instance = nullptr;
            }
        }
        mLastReleaseTick = now;
    }
    for (int i = 0; i < MAX_CHANNELS; ++i) {
        if (mPlayingSounds[i] == nullptr)
            return i;
        if (mPlayingSounds[i]->IsReleased()) {
            delete mPlayingSounds[i];
            mPlayingSounds[i] = nullptr;
            return i;
        }
    }
    return -1;
}

SoundInstance* DSoundManager::GetSoundInstance(int id)
{
    if (!ValidId(id))
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    int channel = FindFreeChannel();
    if (channel < 0)
        return nullptr;
    if (mDirectSound != nullptr && mSourceSounds[id] == nullptr)
        return nullptr;
    auto* instance = new DSoundInstance(mSourceSounds[id], this);
    mPlayingSounds[channel] = instance;
    instance->SetPan(mBasePans[id]);
    instance->SetVolume(mBaseVolumes[id]);
    return instance;
}

void DSoundManager::ReleaseSounds()
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    for (plat::SoundBuffer*& buffer : mSourceSounds) {
        if (buffer != nullptr) {
            buffer->Release();
            buffer = nullptr;
        }
    }
}

void DSoundManager::ReleaseChannels()
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    for (SoundInstance*& instance : mPlayingSounds) {
        delete instance;
        instance = nullptr;
    }
}

double DSoundManager::GetMasterVolume()
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mWaveOutVolume / 65535.0;
}

void DSoundManager::SetMasterVolume(double volume)
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    double clamped = volume > 1.0 ? 1.0 : (volume > 0.0 ? volume : 0.0);
    mWaveOutVolume = uint32_t(clamped * 65535.0);
    if (mDirectSound != nullptr)
        mDirectSound->SetMasterVolume(mWaveOutVolume / 65535.0);
}

void DSoundManager::SetCooperativeWindow(void* window, bool windowed)
{
    (void)windowed;
    if (mDirectSound != nullptr)
        mDirectSound->SetCooperativeLevel(uint32_t(reinterpret_cast<uintptr_t>(window)),
                                          plat::kSoundCoopNormal);
}

void DSoundManager::StopAllSounds()
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    for (SoundInstance* instance : mPlayingSounds) {
        if (instance == nullptr)
            continue;
        auto* ds = static_cast<DSoundInstance*>(instance);
        bool autoRelease = ds->GetAutoRelease();
        ds->Stop();
        ds->SetAutoRelease(autoRelease);
    }
}

int DSoundManager::GetFreeSoundId()
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    for (int i = 0; i < MAX_SOURCE_SOUNDS; ++i) {
        if (mSourceSounds[i] == nullptr)
            return i;
    }
    return -1;
}

int DSoundManager::GetNumSounds()
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    int count = 0;
    for (plat::SoundBuffer* buffer : mSourceSounds) {
        if (buffer != nullptr)
            ++count;
    }
    return count;
}

plat::SoundBuffer* DSoundManager::CreateSoundBuffer(uint32_t channels, uint32_t samplesPerSec,
                                                    uint32_t bitsPerSample, uint32_t bytes)
{
    if (mDirectSound == nullptr)
        return nullptr;
    plat::WaveFormat format = plat::MakeWaveFormat(channels, samplesPerSec, bitsPerSample);
    plat::SoundBufferDesc desc;
    desc.flags = BUFFER_FLAGS;
    desc.bufferBytes = bytes;
    desc.format = &format;
    plat::SoundBuffer* buffer = nullptr;
    if (plat::Failed(mDirectSound->CreateSoundBuffer(desc, &buffer)))
        return nullptr;
    return buffer;
}

bool DSoundManager::FillSoundId(int id, uint32_t channels, uint32_t samplesPerSec,
                                uint32_t bitsPerSample, uint32_t bytes,
                                const std::function<bool(uint8_t*, uint32_t)>& fill)
{
    if (!ValidId(id))
        return false;
    plat::SoundBuffer* buffer = CreateSoundBuffer(channels, samplesPerSec, bitsPerSample, bytes);
    if (buffer == nullptr)
        return false;
    void* data = nullptr;
    uint32_t locked = 0;
    if (plat::Failed(buffer->Lock(0, bytes, &data, &locked, nullptr, nullptr, 0))) {
        buffer->Release();
        return false;
    }
    bool filled = fill(static_cast<uint8_t*>(data), locked);
    if (plat::Failed(buffer->Unlock(data, locked, nullptr, 0)) || !filled) {
        buffer->Release();
        return false;
    }
    return SetSoundBuffer(id, buffer, bytes);
}

bool DSoundManager::SetSoundBuffer(int id, plat::SoundBuffer* buffer, uint32_t bytes)
{
    if (!ValidId(id)) {
        if (buffer != nullptr)
            buffer->Release();
        return false;
    }
    std::lock_guard<std::recursive_mutex> lock(mLock);
    if (mSourceSounds[id] != nullptr)
        mSourceSounds[id]->Release();
    mSourceSounds[id] = buffer;
    mBufferSizes[id] = bytes;
    return true;
}

plat::SoundBuffer* DSoundManager::AcquireSoundBuffer(int id)
{
    if (!ValidId(id))
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    if (mSourceSounds[id] != nullptr)
        mSourceSounds[id]->AddRef();
    return mSourceSounds[id];
}

uint32_t DSoundManager::GetBufferSize(int id)
{
    if (!ValidId(id))
        return 0;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mBufferSizes[id];
}

std::string DSoundManager::GetSoundName(int id)
{
    if (!ValidId(id))
        return std::string();
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mSourceFileNames[id];
}

double DSoundManager::GetBaseVolume(int id)
{
    if (!ValidId(id))
        return 1.0;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mBaseVolumes[id];
}

int DSoundManager::GetBasePan(int id)
{
    if (!ValidId(id))
        return 0;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mBasePans[id];
}

} // namespace Quor
