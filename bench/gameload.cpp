// The game's start-up loading of the effect, popup and sound groups of the sample content
// (main.pak beside the game program of this build, or the file named by TALLOWMERE_PAK): through
// the loading thread, one resource per step with the progress counted, beside loading the same
// groups whole on one thread. A third figure is the processor time the loading thread takes
// while it waits for the splash images (cpu_per_wall: processor seconds of the whole process per
// second of waiting; loader_cpu_per_wall: of the loading thread alone).
#include "BenchGame.h"
#include "game/shell/ResourceBinding.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <pthread.h>
#include <string>
#include <thread>

namespace {

using quorbench::BenchGame;

struct Setup {
    quorbench::ScratchDir mScratch{"quor_bench_gameload_"};
    std::unique_ptr<BenchGame> mGame;
    std::string mError;

    Setup() { mError = quorbench::StartSampleGame(mScratch, mGame); }

    void Unload()
    {
        for (const char* group : {"Fx", "MenuPopup", "Sound"})
            mGame->resourceManager->DeleteResources(group);
        mGame->CleanSharedImages();  // decoded pictures go too: every load reads its files
        mGame->mCompletedLoadingThreadTasks = 0;
    }
};

Setup& GetSetup()
{
    static Setup setup;
    return setup;
}

double CpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void BM_LoadingThread(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!s.mError.empty()) {
        state.SkipWithError(s.mError.c_str());
        return;
    }
    double threadCpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.Unload();
        s.mGame->splashDone = true;
        state.ResumeTiming();
        std::thread loader([&] {
            double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            s.mGame->LoadingThreadProc();
            threadCpu += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
        });
        loader.join();
    }
    if (s.mGame->GetLoadingProgress() != 1.0)
        state.SkipWithError("the loading did not reach its end");
    state.counters["resources"] = double(s.mGame->mNumLoadingThreadTasks);
    // The processor time of the loading thread itself, to set beside the one-thread CPU column.
    state.counters["thread_cpu_ms"] = benchmark::Counter(threadCpu * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadingThread)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OneThreadWholeGroups(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!s.mError.empty()) {
        state.SkipWithError(s.mError.c_str());
        return;
    }
    Quor::DCapResource* rm = s.mGame->resourceManager;
    for (auto _ : state) {
        state.PauseTiming();
        s.Unload();
        state.ResumeTiming();
        bool ok = rm->LoadResources("Fx") && Quor::BindFxResources(rm) && rm->LoadResources("MenuPopup") &&
                  Quor::BindMenuPopupResources(rm) && rm->LoadResources("Sound") && Quor::BindSoundResources(rm);
        if (!ok)
            state.SkipWithError(rm->GetErrorText().c_str());
    }
}
BENCHMARK(BM_OneThreadWholeGroups)->Unit(benchmark::kMillisecond)->UseRealTime();

// The loading thread waits 200 ms for the splash, then loads; the processor time of the whole
// process over the wait (the game's other threads included; the calling thread only sleeps)
// and of the loading thread alone is what the waiting costs.
void BM_SplashWait(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!s.mError.empty()) {
        state.SkipWithError(s.mError.c_str());
        return;
    }
    double cpu = 0, loaderCpu = 0, wall = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.Unload();
        s.mGame->splashDone = false;
        state.ResumeTiming();
        std::thread loader([&] { s.mGame->LoadingThreadProc(); });
        clockid_t loaderClock{};
        pthread_getcpuclockid(loader.native_handle(), &loaderClock);
        double cpu0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        double loaderCpu0 = CpuSeconds(loaderClock);
        auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cpu += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        loaderCpu += CpuSeconds(loaderClock) - loaderCpu0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        s.mGame->SetSplashDone();
        loader.join();
    }
    state.counters["cpu_per_wall"] = wall > 0 ? cpu / wall : 0;
    // The waiting loading thread's own share of that.
    state.counters["loader_cpu_per_wall"] = wall > 0 ? loaderCpu / wall : 0;
}
BENCHMARK(BM_SplashWait)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
