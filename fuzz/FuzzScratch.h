// A scratch file of the fuzzing process, for readers that take a file name; removed when the
// fuzzer exits.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace quorfuzz {

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
