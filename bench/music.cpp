// Music: a 60 s Ogg Vorbis song decoded through the music engine (whole, as a sample, and as a
// stream played through the mix), beside the Vorbis decoder's own ov_read loop on the same
// bytes; and the whole mix of 32 effect voices and two Vorbis songs, in multiples of real time.
#include "bench/BenchScratch.h"
#include "bench/BenchVoices.h"
#include "platform/Audio.h"
#include "platform/Music.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef MAKE_TEST_OGG
namespace {

constexpr uint32_t kSongFrames = 60 * 44100;

// The bytes of a 60 s stereo 44100 Hz Ogg Vorbis song, made once.
const std::vector<uint8_t>& Song()
{
    static const std::vector<uint8_t> bytes = [] {
        quorbench::ScratchDir dir("quor_bench_music_");
        std::string path = dir.File("song.ogg");
        std::string command = std::string("'") + MAKE_TEST_OGG + "' '" + path + "' 2 44100 " +
                              std::to_string(kSongFrames) + " 440";
        if (std::system(command.c_str()) != 0)
            std::abort();
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

struct MemoryReader {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

size_t ReadMem(void* out, size_t size, size_t count, void* source)
{
    auto* r = static_cast<MemoryReader*>(source);
    size_t n = std::min(size * count, r->bytes->size() - r->pos);
    std::memcpy(out, r->bytes->data() + r->pos, n);
    r->pos += n;
    return size == 0 ? 0 : n / size;
}

// The reference: ov_read alone over the bytes in memory.
void BM_VorbisOvRead(benchmark::State& state)
{
    const std::vector<uint8_t>& song = Song();
    std::vector<char> pcm(16384);
    for (auto _ : state) {
        MemoryReader reader{&song};
        OggVorbis_File vf;
        ov_callbacks callbacks = {ReadMem, nullptr, nullptr, nullptr};
        if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) < 0)
            std::abort();
        int section = 0;
        long total = 0;
        for (long n; (n = ov_read(&vf, pcm.data(), int(pcm.size()), 0, 2, 1, &section)) != 0;)
            total += std::max(n, 0L);
        ov_clear(&vf);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * kSongFrames);
}
BENCHMARK(BM_VorbisOvRead)->Unit(benchmark::kMillisecond);

// The engine decoding the whole song into memory (copying the bytes in, as a load does).
void BM_VorbisEngineSample(benchmark::State& state)
{
    plat::AudioDevice* device = nullptr;
    plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
    plat::MusicEngine* engine = plat::MusicEngine::Acquire(device);
    for (auto _ : state) {
        uint32_t sample = engine->LoadSample(Song());
        if (sample == 0)
            std::abort();
        engine->FreeSample(sample);
    }
    state.SetItemsProcessed(state.iterations() * kSongFrames);
    engine->Release();
    device->Release();
}
BENCHMARK(BM_VorbisEngineSample)->Unit(benchmark::kMillisecond);

// Renders a device until the channels have all stopped; the frames rendered.
uint64_t RenderUntilStopped(plat::AudioDevice* device, plat::MusicEngine* engine, const std::vector<uint32_t>& channels,
                            uint64_t maxFrames)
{
    std::vector<int16_t> out(4096 * 2);
    uint64_t frames = 0;
    for (; frames < maxFrames; frames += 4096) {
        bool playing = false;
        for (uint32_t c : channels) {
            engine->WaitDecoded(c, 100, 10000);
            playing = playing || engine->ChannelIsActive(c) == plat::kMusicPlaying;
        }
        if (!playing)
            break;
        device->Render(out.data(), 4096);
        benchmark::DoNotOptimize(out.data());
    }
    return frames;
}

// The song as a stream: decoded ahead on the engine's thread and mixed into the device's output.
void BM_VorbisEngineStream(benchmark::State& state)
{
    plat::AudioDevice* device = nullptr;
    plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
    plat::MusicEngine* engine = plat::MusicEngine::Acquire(device);
    uint32_t channel = engine->CreateStream(Song(), 0);
    uint64_t frames = 0;
    for (auto _ : state) {
        engine->ChannelPlay(channel, true);
        frames += RenderUntilStopped(device, engine, {channel}, kSongFrames * 2);
    }
    state.SetItemsProcessed(int64_t(frames));
    engine->FreeStream(channel);
    engine->Release();
    device->Release();
}
BENCHMARK(BM_VorbisEngineStream)->Unit(benchmark::kMillisecond)->UseRealTime();

// 32 looping effect voices of 22050 Hz mono and two looping Vorbis songs, rendered a second at
// a time.
void BM_WholeMix(benchmark::State& state)
{
    plat::AudioDevice* device = nullptr;
    plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
    std::vector<plat::SoundBuffer*> voices = quorbench::PlayNoiseVoices(device, 32, false);
    plat::MusicEngine* engine = plat::MusicEngine::Acquire(device);
    std::vector<uint32_t> songs;
    for (int s = 0; s < 2; ++s) {
        songs.push_back(engine->CreateStream(Song(), plat::kMusicLoop));
        engine->ChannelPlay(songs.back(), true);
    }
    std::vector<int16_t> out(4096 * 2);
    uint64_t frames = 0;
    for (auto _ : state) {
        for (int piece = 0; piece < 11; ++piece) {
            for (uint32_t c : songs)
                engine->WaitDecoded(c, 100, 10000);
            device->Render(out.data(), 4096);
            frames += 4096;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(frames));
    state.counters["x_real_time"] = benchmark::Counter(double(frames) / 44100.0, benchmark::Counter::kIsRate);
    for (uint32_t c : songs)
        engine->FreeStream(c);
    engine->Release();
    for (plat::SoundBuffer* b : voices)
        b->Release();
    device->Release();
}
BENCHMARK(BM_WholeMix)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
#endif
