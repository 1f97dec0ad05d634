// Reads arbitrary bytes as a .wav sound; what loads must be a playable buffer.
#include "fuzz/SoundFuzz.h"
#include "sound/WaveFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::SoundTarget target(".wav");
    quorfuzz::WriteBytes(target.scratch.path, data, size);
    target.Check(Quor::ReadWaveFile(*target.manager, 0, target.scratch.path));
    return 0;
}
