// Reads arbitrary bytes as a .au sound; what loads must be a playable buffer.
#include "fuzz/SoundFuzz.h"
#include "sound/SoundDecoders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::SoundTarget target(".au");
    quorfuzz::WriteBytes(target.scratch.path, data, size);
    target.Check(Quor::DecodeAu(*target.manager, 0, target.scratch.path));
    return 0;
}
