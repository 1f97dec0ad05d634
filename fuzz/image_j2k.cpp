// Loads arbitrary bytes as a JPEG-2000 file (codestream or JP2) through the image loader.
#include "fuzz/ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool loaded = (Quor::ImageLib::LoadJ2KCodecLibrary(), true);
    (void)loaded;
    // The reader tells the two forms apart by their first bytes; both extensions reach it.
    return imagefuzz::LoadBytesAs(size % 2 ? ".jp2" : ".j2k", data, size);
}
