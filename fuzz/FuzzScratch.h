// Scratch files of the fuzzing process, for readers that take a file name: the bytes written
// to a file, and a scratch file removed when the fuzzer exits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace quorfuzz {

// The fuzzer's bytes as the whole of a file; a file that cannot be written stops the run.
inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}

struct Scratch {
    Scratch(const std::string& prefix, const std::string& extension)
        : path((std::filesystem::temp_directory_path() /
                (prefix + std::to_string(std::random_device{}()) + extension))
                   .string())
    {
    }
    ~Scratch() { std::remove(path.c_str()); }
    std::string path;
};

} // namespace quorfuzz
