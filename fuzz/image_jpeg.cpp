// Loads arbitrary bytes as a jpg file through the image loader.
#include "fuzz/ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return imagefuzz::LoadBytesAs(".jpg", data, size);
}
