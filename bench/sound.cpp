// Sound effects: the mixer's 32 voices of 22050 Hz mono resampled to 44100 Hz stereo with gain
// and pan, beside a plain loop that sums 32 16-bit streams of the same output length with
// saturation; and a 2 s Ogg Vorbis sound loaded by decoding it, beside loading its cache file.
#include "bench/BenchVoices.h"
#include "platform/Audio.h"
#include "sound/DSoundManager.h"
#include "sound/SoundDecoders.h"
#include "sound/WaveFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kFrames = 1024; // one device callback
constexpr int kVoices = 32;

using quorbench::Noise;

// Voices at their own rate (step 1/2), or each a semitone up (any other step).
void BM_MixerVoices(benchmark::State& state)
{
    const bool pitched = state.range(0) != 0;
    plat::AudioDevice* device = nullptr;
    plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
    std::vector<plat::SoundBuffer*> voices = quorbench::PlayNoiseVoices(device, kVoices, pitched);
    std::vector<int16_t> out(kFrames * 2);
    for (auto _ : state) {
        device->Render(out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.counters["x_real_time"] =
        benchmark::Counter(double(kFrames) / 44100.0 * double(state.iterations()), benchmark::Counter::kIsRate);
    for (plat::SoundBuffer* b : voices)
        b->Release();
    device->Release();
}
BENCHMARK(BM_MixerVoices)->Arg(0)->Arg(1);

// The reference: 32 streams already at the output rate and layout, summed with saturation.
void BM_PlainSum32Streams(benchmark::State& state)
{
    std::vector<std::vector<int16_t>> streams;
    for (int v = 0; v < kVoices; ++v)
        streams.push_back(Noise(kFrames * 2, uint32_t(v + 1)));
    std::vector<int32_t> acc(kFrames * 2);
    std::vector<int16_t> out(kFrames * 2);
    for (auto _ : state) {
        std::fill(acc.begin(), acc.end(), 0);
        for (const auto& s : streams) {
            for (size_t i = 0; i < acc.size(); ++i)
                acc[i] += s[i];
        }
        for (size_t i = 0; i < acc.size(); ++i)
            out[i] = int16_t(std::clamp(acc[i], -32768, 32767));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_PlainSum32Streams);

#ifdef MAKE_TEST_OGG
// A scratch folder with a 2 s mono 22050 Hz Ogg Vorbis file and its cache file.
struct OggFixture {
    std::filesystem::path dir;
    std::string ogg;
    std::string cache;
    plat::AudioDevice* device = nullptr;
    Quor::DSoundManager* manager = nullptr;

    OggFixture()
    {
        dir = std::filesystem::temp_directory_path() / ("quor_bench_sound_" + std::to_string(std::rand()));
        std::filesystem::create_directories(dir);
        ogg = (dir / "two.ogg").string();
        cache = (dir / "two.wav").string();
        std::string command = std::string("'") + MAKE_TEST_OGG + "' '" + ogg + "' 1 22050 44100 440";
        if (std::system(command.c_str()) != 0)
            std::abort();
        plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
        manager = new Quor::DSoundManager(device, false);
        if (!Quor::DecodeOgg(*manager, 0, ogg) || !Quor::WriteCachedWave(*manager, cache, 0, "two.ogg"))
            std::abort();
    }
    ~OggFixture()
    {
        delete manager;
        device->Release();
        std::filesystem::remove_all(dir);
    }
};

void BM_LoadOggByDecoding(benchmark::State& state)
{
    OggFixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(Quor::DecodeOgg(*f.manager, 1, f.ogg));
}
BENCHMARK(BM_LoadOggByDecoding)->Unit(benchmark::kMillisecond);

void BM_LoadOggFromCache(benchmark::State& state)
{
    OggFixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(Quor::ReadWaveFile(*f.manager, 1, f.cache));
}
BENCHMARK(BM_LoadOggFromCache)->Unit(benchmark::kMillisecond);
#endif

} // namespace
