// Entry point of every test program: runs headless, with the user folders in a scratch folder.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace quortest {

static std::filesystem::path gRunDir;

const std::filesystem::path& RunDir() { return gRunDir; }

} // namespace quortest

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    // A test program started by another one (a death test or a child process run again from
    // the same file) works in its parent's folder, which the parent removes: such children
    // often end without returning from main.
    std::optional<quortest::TempDir> run;
    const char* inherited = std::getenv("QUORTEST_RUN_DIR");
    if (inherited != nullptr && fs::is_directory(inherited)) {
        quortest::gRunDir = inherited;
    } else {
        run.emplace();
        quortest::gRunDir = run->Path();
        setenv("QUORTEST_RUN_DIR", run->Path().c_str(), 1);
    }
    const fs::path& dir = quortest::gRunDir;
    for (const char* sub : {"config", "data", "runtime", "cache"})
        fs::create_directories(dir / sub);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    // A file named without a folder lands in the scratch folder, never in the work tree.
    fs::current_path(dir);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Pixel-exact pictures come from the software path: no 3-D device unless a test asks.
    setenv("QUOR_NO_3D", "1", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
