// Writing and reading a Buffer bit by bit and byte by byte, beside memcpy of the same bytes.
#include "app/Buffer.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kBytes = 64 * 1024;

std::vector<uint8_t> Source()
{
    std::vector<uint8_t> bytes(kBytes);
    uint32_t x = 12345;
    for (uint8_t& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

// 3-bit, 13-bit and 8-bit fields in turn: 24 bits, so three source bytes per round.
void BM_BufferWriteFields(benchmark::State& state)
{
    std::vector<uint8_t> src = Source();
    for (auto _ : state) {
        Quor::Buffer b;
        for (int i = 0; i + 2 < kBytes; i += 3) {
            int v = src[i] | (src[i + 1] << 8) | (src[i + 2] << 16);
            b.WriteNumBits(v, 3);
            b.WriteNumBits(v >> 3, 13);
            b.WriteNumBits(v >> 16, 8);
        }
        benchmark::DoNotOptimize(b.GetDataPtr());
    }
    state.SetBytesProcessed(state.iterations() * (kBytes / 3 * 3));
}
BENCHMARK(BM_BufferWriteFields);

void BM_BufferReadFields(benchmark::State& state)
{
    std::vector<uint8_t> src = Source();
    Quor::Buffer b;
    b.SetData(src.data(), kBytes);
    for (auto _ : state) {
        b.SeekFront();
        int sum = 0;
        for (int i = 0; i + 2 < kBytes; i += 3) {
            sum += b.ReadNumBits(3, false);
            sum += b.ReadNumBits(13, true);
            sum += b.ReadNumBits(8, false);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * (kBytes / 3 * 3));
}
BENCHMARK(BM_BufferReadFields);

// Byte writes and reads one bit off alignment, so every byte straddles two stored bytes.
void BM_BufferWriteBytesUnaligned(benchmark::State& state)
{
    std::vector<uint8_t> src = Source();
    for (auto _ : state) {
        Quor::Buffer b;
        b.WriteNumBits(1, 1);
        for (uint8_t byte : src)
            b.WriteByte(byte);
        benchmark::DoNotOptimize(b.GetDataPtr());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_BufferWriteBytesUnaligned);

void BM_BufferReadBytesUnaligned(benchmark::State& state)
{
    std::vector<uint8_t> src = Source();
    Quor::Buffer b;
    b.WriteNumBits(1, 1);
    b.WriteBytes(src.data(), kBytes);
    std::vector<uint8_t> dst(kBytes);
    for (auto _ : state) {
        b.SeekFront();
        b.ReadNumBits(1, false);
        b.ReadBytes(dst.data(), kBytes);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_BufferReadBytesUnaligned);

// Aligned whole-block write, the best case of the buffer.
void BM_BufferWriteBytesAligned(benchmark::State& state)
{
    std::vector<uint8_t> src = Source();
    for (auto _ : state) {
        Quor::Buffer b;
        b.WriteBytes(src.data(), kBytes);
        benchmark::DoNotOptimize(b.GetDataPtr());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_BufferWriteBytesAligned);

// The reference: copying the same bytes into a fresh vector.
void BM_MemcpyReference(benchmark::State& state)
{
    std::vector<uint8_t> src = Source();
    for (auto _ : state) {
        std::vector<uint8_t> dst(kBytes);
        std::memcpy(dst.data(), src.data(), kBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_MemcpyReference);

} // namespace
