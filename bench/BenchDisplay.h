// The display of a benchmark run: one 1024 x 768 full-screen display per pixel layout (RGB565 or
// XRGB8888) on SDL's dummy video driver, made at first use and kept for the whole run; display
// images made on it draw into surfaces of that layout.
#pragma once

#include "app/QuorAppBase.h"
#include "display/DDInterface.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

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

} // namespace quorbench
