// Scratch files of the fuzzing process, for readers that take a file name: the bytes written
// to a file, a scratch file and a user's data folder, each removed when the fuzzer exits.
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

// The user's data folder of the run (XDG_DATA_HOME), removed when the fuzzer exits.
struct DataFolder {
    explicit DataFolder(const std::string& prefix)
        : path((std::filesystem::temp_directory_path() / (prefix + std::to_string(std::random_device{}()))).string())
    {
        setenv("XDG_DATA_HOME", path.c_str(), 1);
    }
    ~DataFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

} // namespace quorfuzz
