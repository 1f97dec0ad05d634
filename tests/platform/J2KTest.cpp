// JPEG-2000 codec library: entry points by name, stream callbacks, decoding and its checks.
#include "platform/J2K.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct MemoryStream {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    int closes = 0;
};

int Seek(void* handle, long offset)
{
    auto* s = static_cast<MemoryStream*>(handle);
    if (offset < 0 || size_t(offset) > s->bytes.size())
        return -1;
    s->pos = size_t(offset);
    return 0;
}

long Read(void* buffer, long count, void* handle)
{
    auto* s = static_cast<MemoryStream*>(handle);
    size_t n = std::min(size_t(count), s->bytes.size() - s->pos);
    std::memcpy(buffer, s->bytes.data() + s->pos, n);
    s->pos += n;
    return long(n);
}

void Close(void* handle)
{
    static_cast<MemoryStream*>(handle)->closes++;
}

template <typename Fn>
Fn Proc(plat::J2KLibrary* lib, const char* name)
{
    return reinterpret_cast<Fn>(plat::J2KGetProc(lib, name));
}

TEST(J2KCodec, LibraryAndEntryPointsByName)
{
    EXPECT_EQ(plat::J2KLoadLibrary("other.dll"), nullptr);
    plat::J2KLibrary* lib = plat::J2KLoadLibrary("J2K-Codec.dll");
    ASSERT_NE(lib, nullptr);
    for (const char* name : {"_J2K_OpenCustom@8", "_J2K_OpenFile@4", "_J2K_Close@4", "_J2K_GetInfo@16",
                             "_J2K_GetResolutionDimensions@16", "_J2K_Decode@20",
                             "_J2K_getLastError@0", "_J2K_getErrorStr@4"})
        EXPECT_NE(plat::J2KGetProc(lib, name), nullptr) << name;
    EXPECT_EQ(plat::J2KGetProc(lib, "_J2K_Decode@16"), nullptr);
    EXPECT_EQ(plat::J2KGetProc(nullptr, "_J2K_Close@4"), nullptr);
    plat::J2KFreeLibrary(lib);
}

TEST(J2KCodec, DecodesThroughTheCallbacks)
{
    plat::J2KLibrary* lib = plat::J2KLoadLibrary("j2k-codec.dll");
    auto open = Proc<plat::J2KOpenCustomFn>(lib, "_J2K_OpenCustom@8");
    auto close = Proc<plat::J2KCloseFn>(lib, "_J2K_Close@4");
    auto info = Proc<plat::J2KGetInfoFn>(lib, "_J2K_GetInfo@16");
    auto dims = Proc<plat::J2KGetResolutionDimensionsFn>(lib, "_J2K_GetResolutionDimensions@16");
    auto decode = Proc<plat::J2KDecodeFn>(lib, "_J2K_Decode@20");
    auto lastError = Proc<plat::J2KGetLastErrorFn>(lib, "_J2K_getLastError@0");
    auto errorStr = Proc<plat::J2KGetErrorStrFn>(lib, "_J2K_getErrorStr@4");
    const plat::J2KStreamCallbacks callbacks = {Seek, Read, Close};

    MemoryStream junk;
    junk.bytes.assign(40, 0x5A);
    EXPECT_EQ(open(&junk, &callbacks), nullptr);
    EXPECT_NE(lastError(), 0);
    EXPECT_STRNE(errorStr(lastError()), "");

    MemoryStream stream;
    stream.bytes = quortest::ReadFile(quortest::DataFile("images/rgba.jp2"));
    stream.pos = 17;  // the codec seeks to the start itself
    plat::J2KImage* image = open(&stream, &callbacks);
    ASSERT_NE(image, nullptr);
    int w = 0, h = 0, comps = 0;
    ASSERT_EQ(info(image, &w, &h, &comps), 0);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 4);
    EXPECT_EQ(comps, 4);
    ASSERT_EQ(dims(image, 1, &w, &h), 0);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);

    std::vector<uint8_t> pixels(6 * 4 * 4, 0xCC);
    unsigned char* buffer = pixels.data();
    int size = int(pixels.size()) - 1, pitch = 24;
    EXPECT_NE(decode(image, &buffer, &size, "bpp=4,rl=0", &pitch), 0);  // buffer too small
    size = int(pixels.size());
    EXPECT_NE(decode(image, &buffer, &size, "bpp=3,rl=0", &pitch), 0);  // only 4 bytes a pixel
    ASSERT_EQ(decode(image, &buffer, &size, "bpp=4,rl=0", &pitch), 0);
    // Pixel (1, 0): red 50, green 3, blue 100, alpha 255 (odd x + y).
    EXPECT_EQ(pixels[4], 100);
    EXPECT_EQ(pixels[5], 3);
    EXPECT_EQ(pixels[6], 50);
    EXPECT_EQ(pixels[7], 255);
    EXPECT_EQ(pixels[3], 0);  // pixel (0, 0) is transparent in the file
    close(image);

    // A lower resolution level decodes a smaller picture.
    stream.pos = 0;
    image = open(&stream, &callbacks);
    ASSERT_NE(image, nullptr);
    std::vector<uint8_t> small(3 * 2 * 4);
    buffer = small.data();
    size = int(small.size());
    pitch = 12;
    EXPECT_EQ(decode(image, &buffer, &size, "bpp=4,rl=1", &pitch), 0);
    close(image);
    plat::J2KFreeLibrary(lib);
}

} // namespace
