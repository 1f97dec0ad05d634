// Opens arbitrary bytes as a ogg song of the music engine and plays a second of it.
#include "fuzz/MusicFuzz.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::MusicTarget target;
    target.Play(data, size, false);
    return 0;
}
