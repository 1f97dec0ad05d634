// Opens arbitrary bytes as a resource archive (scrambled here with the default password, so
// that the fuzzer works on the plain layout) and reads every entry in several ways.
#include "fuzz/FuzzScratch.h"
#include "resources/PakInterface.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string& ScratchFile()
{
    static quorfuzz::Scratch scratch("quor_fuzz_archive_", ".pak");
    return scratch.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string password = Quor::PakInterface::DEFAULT_PASSWORD;
    std::vector<uint8_t> bytes(data, data + size);
    for (size_t p = 0; p < bytes.size(); ++p) bytes[p] ^= static_cast<uint8_t>(password[p % password.size()]);
    quorfuzz::WriteBytes(ScratchFile(), bytes.data(), bytes.size());

    Quor::PakInterface pak;
    if (!pak.AddPakFile(ScratchFile())) return 0;
    std::vector<uint8_t> buf;
    char line[64];
    for (auto& [key, record] : pak.mPakRecordMap) {
        // Stored names need not be reachable by name (a name holding "//" never is): the entry
        // is read through a handle of its own, and the lookup only has to run.
        if (Quor::PakFile* byName = pak.FOpen(key.c_str(), "rb")) pak.FClose(byName);
        Quor::PakFile* file = new Quor::PakFile;
        file->mRecord = &record;
        buf.resize(static_cast<size_t>(record.mSize) + 3);
        size_t got = pak.FRead(buf.data(), 1, buf.size(), file);
        if (got != static_cast<size_t>(record.mSize) || !pak.FEof(file)) std::abort();
        pak.FSeek(file, -7, SEEK_END);
        while (pak.FGetC(file) >= 0) {
        }
        pak.FSeek(file, 0, SEEK_SET);
        while (pak.FGetS(line, sizeof(line), file)) {
        }
        pak.FSeek(file, 3, SEEK_SET);
        pak.UnGetC('x', file);
        if (pak.FRead(buf.data(), 3, 5, file) > 5) std::abort();
        pak.FClose(file);
    }
    return 0;
}
