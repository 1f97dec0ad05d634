// Reads arbitrary bytes as a .ogg sound; what loads must be a playable buffer.
#include "fuzz/SoundFuzz.h"
#include "sound/SoundDecoders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::SoundTarget target(".ogg");
    quorfuzz::WriteBytes(target.scratch.path, data, size);
    target.Check(Quor::DecodeOgg(*target.manager, 0, target.scratch.path));
    return 0;
}
