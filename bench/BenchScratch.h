// A scratch folder of one benchmark run: made below the temporary folder under a name of its
// own, so that runs beside each other never share files, and removed with everything in it
// when the program exits.
#pragma once

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

} // namespace quorbench
