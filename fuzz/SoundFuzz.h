// The fuzz targets of the sound readers: arbitrary bytes loaded as a sound into one id of a
// sound manager on a memory-only audio device; a loaded sound must be a whole number of frames.
#pragma once

#include "fuzz/FuzzScratch.h"
#include "platform/Audio.h"
#include "sound/DSoundManager.h"
#include "sound/SoundInstance.h"

#include <cstdlib>

namespace quorfuzz {

struct SoundTarget {
    SoundTarget(const char* extension) : scratch("quor_fuzz_sound_", extension)
    {
        plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
        manager = new Quor::DSoundManager(device, true);
    }
    ~SoundTarget()
    {
        delete manager;
        device->Release();
    }

    // Checks what the reader left in id 0, renders a little of it and empties the id.
    void Check(bool loaded)
    {
        plat::SoundBuffer* buffer = manager->AcquireSoundBuffer(0);
        if (loaded != (buffer != nullptr))
            std::abort();
        if (buffer != nullptr) {
            plat::WaveFormat format;
            buffer->GetFormat(&format);
            if (format.blockAlign == 0 || manager->GetBufferSize(0) != buffer->GetSize())
                std::abort();
            buffer->Release();
            Quor::SoundInstance* instance = manager->GetSoundInstance(0);
            if (instance == nullptr)
                std::abort();
            instance->AdjustPitch(7);
            instance->Play(false, true);
            int16_t out[256 * 2];
            device->Render(out, 256);
            manager->ReleaseChannels();
        }
        manager->ReleaseSound(0);
    }

    Scratch scratch;
    plat::AudioDevice* device = nullptr;
    Quor::DSoundManager* manager = nullptr;
};

} // namespace quorfuzz
