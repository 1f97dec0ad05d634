// Sound-effect voices for the mixing benchmarks: looping buffers of 22050 Hz mono noise, each
// quieter and further to the right than the one before.
#pragma once

#include "platform/Audio.h"
#include "sound/DSoundManager.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorbench {

inline std::vector<int16_t> Noise(size_t count, uint32_t seed)
{
    std::vector<int16_t> out(count);
    for (int16_t& s : out) {
        seed = seed * 1103515245u + 12345u;
        s = int16_t(seed >> 16);
    }
    return out;
}

// Voices playing on the device, at their own rate or (pitched) each a semitone up; the caller
// releases them.
inline std::vector<plat::SoundBuffer*> PlayNoiseVoices(plat::AudioDevice* device, int count, bool pitched)
{
    plat::WaveFormat format = plat::MakeWaveFormat(1, 22050, 16);
    std::vector<plat::SoundBuffer*> voices;
    for (int v = 0; v < count; ++v) {
        std::vector<int16_t> samples = Noise(22050, uint32_t(v + 1));
        plat::SoundBufferDesc desc;
        desc.flags = Quor::DSoundManager::BUFFER_FLAGS;
        desc.bufferBytes = uint32_t(samples.size() * 2);
        desc.format = &format;
        plat::SoundBuffer* b = nullptr;
        device->CreateSoundBuffer(desc, &b);
        void* data = nullptr;
        uint32_t n = 0;
        b->Lock(0, desc.bufferBytes, &data, &n, nullptr, nullptr, 0);
        std::copy(samples.begin(), samples.end(), static_cast<int16_t*>(data));
        b->Unlock(data, n, nullptr, 0);
        b->SetVolume(-100 * v);
        b->SetPan(v * 500 - 8000);
        if (pitched)
            b->SetFrequency(23360);
        b->Play(0, 0, plat::kPlayLooping);
        voices.push_back(b);
    }
    return voices;
}

} // namespace quorbench
