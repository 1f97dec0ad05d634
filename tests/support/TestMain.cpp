// Entry point of every test program: runs headless, with the user folders in a scratch folder.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quortest {

static std::filesystem::path gRunDir;

const std::filesystem::path& RunDir() { return gRunDir; }

} // namespace quortest

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    quortest::TempDir run;
    quortest::gRunDir = run.Path();
    for (const char* sub : {"config", "data", "runtime", "cache"})
        fs::create_directories(run.Path() / sub);
    setenv("XDG_CONFIG_HOME", (run.Path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (run.Path() / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (run.Path() / "runtime").c_str(), 1);
    setenv("XDG_CACHE_HOME", (run.Path() / "cache").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
