// Shared body of the image-file fuzz targets: the bytes become a file of the given extension
// in a scratch folder of this process, loaded through ImageLib::GetImage.
#pragma once

#include "fuzz/FuzzScratch.h"
#include "resources/ImageLib.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace imagefuzz {

// A scratch folder of this process, removed when the fuzzer exits.
struct Scratch {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("quor_fuzz_image_" + std::to_string(std::random_device{}()));
    Scratch() { std::filesystem::create_directories(dir); }
    ~Scratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

inline int LoadBytesAs(const char* extension, const uint8_t* data, size_t size)
{
    static Scratch scratch;
    std::string base = (scratch.dir / "picture").string();
    std::string path = base + extension;
    quorfuzz::WriteBytes(path, data, size);

    // By its own name, and once more by the bare name (the reader search).
    for (const std::string& name : {path, base}) {
        std::unique_ptr<Quor::ImageLib::Image> image(Quor::ImageLib::GetImage(name, true));
        if (!image)
            continue;
        if (image->mWidth <= 0 || image->mHeight <= 0 ||
            image->mWidth > Quor::ImageLib::MAX_IMAGE_DIMENSION ||
            image->mHeight > Quor::ImageLib::MAX_IMAGE_DIMENSION || image->mBits == nullptr)
            std::abort();
        // Every pixel must be readable.
        uint32_t sum = 0;
        size_t count = size_t(image->mWidth) * size_t(image->mHeight);
        for (size_t i = 0; i < count; i++)
            sum += image->mBits[i];
        if (sum == 0x12345678u)
            std::printf(" ");
    }
    std::remove(path.c_str());
    return 0;
}

} // namespace imagefuzz
