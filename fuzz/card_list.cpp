// Feeds arbitrary bytes to the 3-D test's card check as the two card lists: the bytes up to the
// first zero byte are "vhwb.dat" (cards refused), the rest "vhw.dat" (cards accepted); both
// files lie in a scratch folder removed at exit.
#include "display/D3DTester.h"
#include "fuzz/FuzzScratch.h"

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

namespace {

struct Folder {
    Folder()
        : path(std::filesystem::temp_directory_path() / ("quor_cards_" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(path);
    }
    ~Folder()
    {
        std::error_code e;
        std::filesystem::remove_all(path, e);
    }
    std::filesystem::path path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Folder folder;
    const auto* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t first = zero != nullptr ? static_cast<size_t>(zero - data) : size;
    quorfuzz::WriteBytes((folder.path / "vhwb.dat").string(), data, first);
    const size_t rest = first < size ? size - first - 1 : 0;
    if (first < size)
        quorfuzz::WriteBytes((folder.path / "vhw.dat").string(), data + first + 1, rest);
    else
        std::filesystem::remove(folder.path / "vhw.dat");
    // The lists are read from the current folder; the fuzzer's own paths are relative to its
    // folder, so the scratch folder is current only while the lists are read.
    const std::filesystem::path back = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);
    Quor::D3DTester tester(nullptr);
    tester.mDriverYear = size % 2 == 0 ? 2001 : 2003;
    tester.IsSupportedCard("Quor SDL renderer: software");
    tester.IsSupportedCard("");
    std::filesystem::current_path(back);
    return 0;
}
