// The display of a benchmark run: one 1024 x 768 full-screen display per pixel layout (RGB565 or
// XRGB8888) on SDL's dummy video driver, made at first use and kept for the whole run; display
// images made on it draw into surfaces of that layout.
#pragma once

#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace quorbench {

inline intptr_t BenchWindowProc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

// The 1024 x 768 window displays of a run are made on (SDL's dummy video driver unless another
// is chosen), with the desktop the benchmarks assume: 1600 x 1200 XRGB8888 at 60 Hz, RGB565 for
// 16-bit modes. The settings must outlive the displays.
inline plat::WindowId OpenBenchWindow(plat::VideoTestSettings& settings)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    static bool registered = plat::RegisterWindowClass("QuorBench", BenchWindowProc, 0);
    (void)registered;
    const plat::WindowId window =
        plat::CreateWindow(0, "QuorBench", "bench", plat::WS_POPUP | plat::WS_VISIBLE, 0, 0, 1024, 768);
    settings.desktopWidth = 1600;
    settings.desktopHeight = 1200;
    settings.refreshSet = true;
    settings.refreshHz = 60;
    settings.desktopFormat = plat::kFormatXRGB8888;
    settings.format16 = plat::kFormatRGB565;
    plat::SetVideoTestSettings(&settings);
    return window;
}

// One display per layout, kept for the whole run.
struct Display {
    std::unique_ptr<Quor::QuorAppBase> app;
    std::unique_ptr<Quor::DDInterface> dd;
    plat::VideoTestSettings settings;
    plat::WindowId window = 0;

    explicit Display(bool is16)
    {
        app = std::make_unique<Quor::QuorAppBase>();
        app->mWidth = 1024;
        app->mHeight = 768;
        window = OpenBenchWindow(settings);
        dd = std::make_unique<Quor::DDInterface>(app.get());
        app->mFullScreenBits = is16 ? 16 : 32;
        dd->InitDisplay(reinterpret_cast<void*>(static_cast<uintptr_t>(window)), !is16);
    }
};

inline Display& TheDisplay(bool is16)
{
    static Display d16(true);
    static Display d32(false);
    return is16 ? d16 : d32;
}

// A black 1024 x 768 display surface of either layout.
inline std::unique_ptr<Quor::DDImage> BlackScreen(bool is16)
{
    auto screen = std::make_unique<Quor::DDImage>(TheDisplay(is16).dd.get());
    std::vector<uint32_t> black(size_t(1024) * 768, 0xFF000000u);
    screen->SetBits(black.data(), 1024, 768);
    screen->CreateSurface();
    return screen;
}

// The reference of the screen benchmarks: one opaque picture of the screen's size blitted over
// a black screen of the layout.
inline void OpaqueFullScreenBlits(benchmark::State& state, bool is16)
{
    constexpr int kW = 1024;
    constexpr int kH = 768;
    std::unique_ptr<Quor::DDImage> screen = BlackScreen(is16);
    Quor::MemoryImage picture;
    std::vector<uint32_t> px(size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            px[size_t(y) * kW + x] = 0xFF000000u | uint32_t(x * 5 & 0xFF) << 16 | uint32_t(y * 3 & 0xFF) << 8 | 0x40;
    picture.SetBits(px.data(), kW, kH);
    for (auto _ : state) {
        screen->LockSurface();
        Quor::Graphics g(screen.get());
        g.SetFastStretch(true);
        g.SetLinearBlend(false);
        g.DrawImage(&picture, 0, 0);
        screen->UnlockSurface();
    }
}

} // namespace quorbench
