// The reference the loading benchmarks compare with: files of the archive read into memory
// beforehand, then decoded with libpng alone.
#pragma once

#include "resources/PakInterface.h"
#include "resources/ResourceManager.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace quorbench {

// The bytes of a file of the archive (or of the name with ".png" added); empty when neither can
// be read.
inline std::vector<uint8_t> ReadPakFile(const std::string& name)
{
    std::vector<uint8_t> bytes;
    for (const std::string& path : {name, name + ".png"}) {
        Quor::PakFile* file = Quor::PakFOpen(path.c_str(), "rb");
        if (!file)
            continue;
        Quor::PakFSeek(file, 0, SEEK_END);
        const long size = Quor::PakFTell(file);
        Quor::PakFSeek(file, 0, SEEK_SET);
        if (size > 0) {
            bytes.resize(size_t(size));
            bytes.resize(Quor::PakFRead(bytes.data(), 1, bytes.size(), file));
        }
        Quor::PakFClose(file);
        if (!bytes.empty())
            break;
    }
    return bytes;
}

// The file names of a group's pictures, as its manifest gives them.
inline std::vector<std::string> GroupImagePaths(Quor::ResourceManager& manager, const std::string& group)
{
    std::vector<std::string> names;
    for (Quor::ResourceManager::BaseRes* res : manager.mResGroupMap[group])
        if (res->mType == Quor::ResourceManager::ResType_Image)
            names.push_back(res->mPath);
    return names;
}

// Reads the files, then decodes all of them once per iteration; the benchmark is skipped when
// a file cannot be read or decoded.
inline void DecodeWithLibpng(benchmark::State& state, const std::vector<std::string>& names)
{
    std::vector<std::vector<uint8_t>> files;
    for (const std::string& name : names) {
        files.push_back(ReadPakFile(name));
        if (files.back().empty()) {
            state.SkipWithError(("cannot read " + name).c_str());
            return;
        }
    }
    std::vector<uint32_t> pixels;
    for (auto _ : state) {
        for (const std::vector<uint8_t>& bytes : files) {
            png_image image{};
            image.version = PNG_IMAGE_VERSION;
            if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
                state.SkipWithError(image.message);
                return;
            }
            image.format = PNG_FORMAT_BGRA;
            pixels.resize(size_t(image.width) * image.height);
            png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
            benchmark::DoNotOptimize(pixels.data());
        }
    }
    state.counters["images"] = double(files.size());
}

} // namespace quorbench
