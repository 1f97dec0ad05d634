// Reading a 20 MB archive entry through PakFRead against fread of the same bytes from a plain
// file, both in 64 KB pieces from files in the page cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchScratch.h"
#include "resources/PakInterface.h"
#include "tools/pak/PakFormat.h"

namespace {

constexpr size_t ENTRY_SIZE = 20 * 1024 * 1024;
constexpr size_t PIECE = 64 * 1024;

struct Files {
    quorbench::ScratchDir dir{"quor_bench_archive_"};
    std::string pak = dir.File("archive.pak");
    std::string plain = dir.File("plain.bin");
};

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

const Files& TestFiles() {
    static const std::unique_ptr<Files> files = [] {
        std::vector<uint8_t> data(ENTRY_SIZE);
        uint32_t x = 12345;
        for (auto& b : data) {
            x = x * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(x >> 24);
        }
        auto f = std::make_unique<Files>();
        Write(f->plain, data);
        std::vector<uint8_t> pak;
        std::string error;
        paktool::BuildPak({{"music\\big.bin", data, 0}}, Quor::PakInterface::DEFAULT_PASSWORD, pak, error);
        Write(f->pak, pak);
        Quor::GetPakInterface()->AddPakFile(f->pak);
        return f;
    }();
    return *files;
}

void BM_PakFRead(benchmark::State& state) {
    TestFiles();
    std::vector<uint8_t> buf(PIECE);
    for (auto _ : state) {
        Quor::PakFile* f = Quor::PakFOpen("music\\big.bin", "rb");
        if (!f || !f->mRecord) state.SkipWithError("entry not in the archive");
        size_t total = 0, n;
        while ((n = Quor::PakFRead(buf.data(), 1, buf.size(), f)) > 0) total += n;
        Quor::PakFClose(f);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(ENTRY_SIZE));
}

void BM_FRead(benchmark::State& state) {
    const Files& files = TestFiles();
    std::vector<uint8_t> buf(PIECE);
    for (auto _ : state) {
        FILE* f = std::fopen(files.plain.c_str(), "rb");
        size_t total = 0, n;
        while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) total += n;
        std::fclose(f);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(ENTRY_SIZE));
}

BENCHMARK(BM_PakFRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FRead)->Unit(benchmark::kMillisecond);

} // namespace
