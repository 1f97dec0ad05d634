// Presenting frames: a whole 1024x768 frame and a 64x64 dirty rectangle blitted from the draw
// surface to the window's primary (copy, texture upload, present), beside memcpy of the same bytes.
#include "platform/Video.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

intptr_t Proc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

struct Screen {
    plat::WindowId window = 0;
    plat::VideoDevice* device = nullptr;
    plat::Surface* primary = nullptr;
    plat::Surface* draw = nullptr;
    plat::WinPoint origin{};

    Screen()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        plat::RegisterWindowClass("BenchWindow", Proc, 0);
        window = plat::CreateWindow(0, "BenchWindow", "bench", plat::WS_POPUP | plat::WS_VISIBLE, 0, 0, 1024, 768);
        plat::VideoDevice::Create(&device);
        device->SetCooperativeLevel(window, plat::kCoopNormal);
        plat::SurfaceDesc pd;
        pd.flags = plat::kDescCaps;
        pd.caps = plat::kCapsPrimary;
        device->CreateSurface(pd, &primary);
        plat::Clipper* clipper = nullptr;
        device->CreateClipper(&clipper);
        clipper->SetWindow(window);
        primary->SetClipper(clipper);
        clipper->Release();
        plat::SurfaceDesc dd;
        dd.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
        dd.caps = plat::kCapsOffscreen | plat::kCapsSystemMemory;
        dd.width = 1024;
        dd.height = 768;
        device->CreateSurface(dd, &draw);
        plat::ClientToScreen(window, origin);
    }
    ~Screen()
    {
        draw->Release();
        primary->Release();
        device->Release();
        plat::DestroyWindow(window);
    }
};

Screen& TheScreen()
{
    static Screen screen;
    return screen;
}

void BM_PresentFullFrame(benchmark::State& state)
{
    Screen& s = TheScreen();
    plat::VRect src{0, 0, 1024, 768};
    plat::VRect dst{s.origin.x, s.origin.y, s.origin.x + 1024, s.origin.y + 768};
    for (auto _ : state)
        benchmark::DoNotOptimize(s.primary->Blt(&dst, s.draw, &src, plat::kBltWait));
    state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 768 * 4);
}
BENCHMARK(BM_PresentFullFrame)->Unit(benchmark::kMicrosecond);

void BM_PresentDirty64(benchmark::State& state)
{
    Screen& s = TheScreen();
    plat::VRect src{500, 300, 564, 364};
    plat::VRect dst{s.origin.x + 500, s.origin.y + 300, s.origin.x + 564, s.origin.y + 364};
    for (auto _ : state)
        benchmark::DoNotOptimize(s.primary->Blt(&dst, s.draw, &src, plat::kBltWait));
    state.SetBytesProcessed(int64_t(state.iterations()) * 64 * 64 * 4);
}
BENCHMARK(BM_PresentDirty64)->Unit(benchmark::kMicrosecond);

void BM_MemcpyFullFrame(benchmark::State& state)
{
    std::vector<uint8_t> a(1024 * 768 * 4, 1), b(1024 * 768 * 4);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.size()));
}
BENCHMARK(BM_MemcpyFullFrame)->Unit(benchmark::kMicrosecond);

void BM_MemcpyDirty64(benchmark::State& state)
{
    // 64 rows of 256 bytes with the frame's row pitch, as the dirty rectangle is laid out.
    std::vector<uint8_t> a(1024 * 768 * 4, 1), b(1024 * 768 * 4);
    for (auto _ : state) {
        for (int y = 0; y < 64; y++)
            std::memcpy(b.data() + (300 + y) * 4096 + 2000, a.data() + (300 + y) * 4096 + 2000, 256);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 64 * 64 * 4);
}
BENCHMARK(BM_MemcpyDirty64)->Unit(benchmark::kMicrosecond);

} // namespace
