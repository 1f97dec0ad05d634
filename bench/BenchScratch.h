// A scratch folder of one benchmark run: made below the temporary folder under a name of its
// own, so that runs beside each other never share files, and removed with everything in it
// when the program exits. Also where the benchmarks that run the game find the sample content.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace quorbench {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix)
    {
        std::random_device random;
        std::error_code ec;
        do {
            mDir = std::filesystem::temp_directory_path() /
                   (prefix + std::to_string(random()) + "_" + std::to_string(random()));
        } while (!std::filesystem::create_directory(mDir, ec) && !ec);
        if (ec)
            throw std::filesystem::filesystem_error("cannot make the scratch folder", mDir, ec);
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(mDir, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return mDir; }
    std::string File(const std::string& name) const { return (mDir / name).string(); }

private:
    std::filesystem::path mDir;
};

// The archive named by TALLOWMERE_PAK, else main.pak beside the game program of this build;
// empty, with *error saying so, when it is not there.
inline std::filesystem::path SampleContentPak(std::string* error)
{
    const char* named = std::getenv("TALLOWMERE_PAK");
    std::filesystem::path pak = named ? named : QUOR_BINARY_DIR "/main.pak";
    if (std::filesystem::exists(pak))
        return pak;
    *error = "no sample content at " + pak.string() + " (make it, or set TALLOWMERE_PAK)";
    return {};
}

} // namespace quorbench
