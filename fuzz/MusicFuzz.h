// The fuzz targets of the music engine: arbitrary bytes opened as a song (or decoded whole as a
// sample) on an engine that mixes into a memory-only audio device, then played for a second of
// mix, seeking once on the way.
#pragma once

#include "platform/Audio.h"
#include "platform/Music.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace quorfuzz {

struct MusicTarget {
    plat::AudioDevice* device = nullptr;
    plat::MusicEngine* engine = nullptr;
    MusicTarget()
    {
        plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
        engine = plat::MusicEngine::Acquire(device);
    }
    ~MusicTarget()
    {
        engine->Release();
        device->Release();
    }

    void Play(const uint8_t* data, size_t size, bool module)
    {
        std::vector<uint8_t> bytes(data, data + size);
        uint32_t channel = module ? engine->LoadModule(std::move(bytes), plat::kMusicLoop)
                                  : engine->CreateStream(std::move(bytes), plat::kMusicLoop);
        if (channel == 0)
            return;
        engine->ChannelPlay(channel, true);
        int16_t out[4410 * 2];
        for (int i = 0; i < 10; ++i) {
            engine->WaitDecoded(channel, 100, 2000);
            device->Render(out, 4410);
            if (i == 5)
                engine->ChannelSetPosition(channel, module ? plat::kMusicOrderPosition | 1 : 4000);
        }
        int state = engine->ChannelIsActive(channel);
        if (state != plat::kMusicPlaying && state != plat::kMusicStopped)
            std::abort();
        if (!(module ? engine->FreeModule(channel) : engine->FreeStream(channel)))
            std::abort();
    }

    // The bytes decoded whole as a sample, which then loops over its second half.
    void PlaySample(const uint8_t* data, size_t size)
    {
        uint32_t sample = engine->LoadSample(std::vector<uint8_t>(data, data + size));
        if (sample == 0)
            return;
        plat::MusicSampleFormat format;
        if (!engine->GetSampleFormat(sample, &format) || format.frames == 0)
            std::abort();
        engine->SetSampleLoopPoints(sample, format.frames / 2, format.frames);
        uint32_t channel = engine->CreateSampleChannel(sample, plat::kMusicLoop);
        if (channel == 0 || !engine->FreeSample(sample))
            std::abort();
        engine->ChannelPlay(channel, true);
        int16_t out[4410 * 2];
        for (int i = 0; i < 10; ++i) {
            engine->WaitDecoded(channel, 100, 2000);
            device->Render(out, 4410);
        }
        if (!engine->FreeStream(channel))
            std::abort();
    }
};

} // namespace quorfuzz
