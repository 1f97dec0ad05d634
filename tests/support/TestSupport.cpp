#include "tests/support/TestSupport.h"

#include "platform/Files.h"
#include "platform/Time.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace quortest {

namespace fs = std::filesystem;

TempDir::TempDir() : TempDir(fs::temp_directory_path())
{
}

TempDir::TempDir(const fs::path& parent)
{
    std::string pattern = (parent / "quortest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    mPath = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(mPath, ec);
}

CurrentDir::CurrentDir(const std::string& dir) : mSaved(plat::GetCurrentDirectory())
{
    plat::SetCurrentDirectory(dir);
}

CurrentDir::~CurrentDir()
{
    plat::SetCurrentDirectory(mSaved);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("short write " + path);
}

void WriteFile(const std::string& path, const std::string& text)
{
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string DataFile(const std::string& name)
{
    return std::string(QUOR_TEST_DATA_DIR) + "/" + name;
}

bool Eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 30000; i++) {
        if (condition())
            return true;
        plat::Sleep(1);
    }
    return condition();
}

} // namespace quortest
