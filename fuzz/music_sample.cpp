// Decodes arbitrary bytes whole as a sample of the music engine and plays a second of it looping.
#include "fuzz/MusicFuzz.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::MusicTarget target;
    target.PlaySample(data, size);
    return 0;
}
