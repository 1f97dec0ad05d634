// The 3-D path: texture uploads of a 500 x 500 image into A8R8G8B8, A4R4G4B4 and R5G6B5 pieces
// (with the edge pixel and row repeated) beside memcpy of the image's bytes, in pixels per
// second; and a full redraw of a menu-like frame (a 1024 x 768 background, 20 sprites, a line
// of text) through the renderer on SDL's software renderer, on the accelerated renderer where
// one exists, and through the software surface path, each frame presented.
#include "app/QuorAppBase.h"
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "display/ImageTextureSet.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "platform/Render3D.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace Quor;

namespace {

intptr_t Proc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

void* Handle(plat::WindowId id)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(id));
}

void Environment()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("QUOR_NO_3D", "0", 1);
}

// ------------------------------------------------------------------------------------ uploads

constexpr int kSide = 500;

// A renderer on a device drawing into a small memory surface: its textures are made in memory
// and uploaded to SDL only when drawn, so an upload here is the conversion into the pieces.
struct Uploader {
    plat::VideoDevice* dd = nullptr;
    plat::Surface* target = nullptr;
    D3DInterface renderer;

    Uploader()
    {
        Environment();
        plat::VideoDevice::Create(&dd);
        plat::SurfaceDesc d;
        d.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight | plat::kDescPixelFormat;
        d.width = d.height = 16;
        d.caps = plat::kCapsOffscreen | plat::kCaps3DDevice;
        d.format = plat::kFormatXRGB8888;
        dd->CreateSurface(d, &target);
        plat::Direct3D* d3d = nullptr;
        plat::Device3D* device = nullptr;
        dd->QueryDirect3D(&d3d);
        d3d->CreateDevice(target, &device);
        d3d->Release();
        renderer.InitWithDevice(nullptr, device, 16, 16);
    }
    ~Uploader()
    {
        renderer.RemoveAllTextures();
        target->Release();
        dd->Release();
    }
};

void BM_Upload(benchmark::State& state)
{
    static Uploader up;
    const int format = static_cast<int>(state.range(0));
    MemoryImage image(nullptr);
    std::vector<uint32_t> bits(kSide * kSide);
    for (size_t i = 0; i < bits.size(); i++)
        bits[i] = (format == plat::kTexR5G6B5 || format == plat::kTexA8R8G8B8 ? 0xFF000000u : 0x80000000u) |
                  static_cast<uint32_t>(i * 2654435761u >> 8);
    image.SetBits(bits.data(), kSide, kSide);
    const bool opaque = format != plat::kTexA4R4G4B4;
    image.SetAlphaFlags(false, !opaque);
    image.mTextureFlags = format == plat::kTexA8R8G8B8 ? TextureFlag_UseA8R8G8B8
                          : format == plat::kTexA4R4G4B4 ? TextureFlag_UseA4R4G4B4
                                                         : 0;
    up.renderer.CreateImageTexture(&image);
    if (image.mTextureData == nullptr || image.mTextureData->mPixelFormat != format) {
        state.SkipWithError("wrong texture format");
        return;
    }
    for (auto _ : state) {
        image.BitsChanged();
        up.renderer.CreateImageTexture(&image);
    }
    up.renderer.RemoveImageTexture(&image);
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_Upload)->Arg(plat::kTexA8R8G8B8)->Arg(plat::kTexA4R4G4B4)->Arg(plat::kTexR5G6B5)->Unit(benchmark::kMicrosecond);

void BM_UploadMemcpyReference(benchmark::State& state)
{
    std::vector<uint32_t> src(kSide * kSide, 0x12345678), dst(kSide * kSide);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}
BENCHMARK(BM_UploadMemcpyReference)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------------------------------------ frames

struct Frame {
    std::unique_ptr<QuorAppBase> app;
    plat::WindowId window = 0;
    std::unique_ptr<DDInterface> display;
    MemoryImage background{nullptr};
    MemoryImage sprite{nullptr};
    std::unique_ptr<SysFont> font;

    Frame()
    {
        Environment();
        app = std::make_unique<QuorAppBase>();
        app->mWidth = 1024;
        app->mHeight = 768;
        plat::RegisterWindowClass("Bench3DWindow", Proc, 0);
        window = plat::CreateWindow(0, "Bench3DWindow", "bench", plat::WS_POPUP | plat::WS_VISIBLE, 0, 0, 1024, 768);
        display = std::make_unique<DDInterface>(app.get());
        app->mDdInterface = display.get();
        std::vector<uint32_t> bits(1024 * 768);
        for (size_t i = 0; i < bits.size(); i++)
            bits[i] = 0xFF000000u | static_cast<uint32_t>((i % 1024) * 0x10101 / 4);
        background.SetBits(bits.data(), 1024, 768);
        std::vector<uint32_t> sp(64 * 64);
        for (int y = 0; y < 64; y++)
            for (int x = 0; x < 64; x++) {
                const int dx = x - 32, dy = y - 32, r2 = dx * dx + dy * dy;
                sp[y * 64 + x] = r2 > 900 ? 0 : (static_cast<uint32_t>(std::min(255, (900 - r2) / 2)) << 24) | 0xFFC040;
            }
        sprite.SetBits(sp.data(), 64, 64);
        font = std::make_unique<SysFont>(app.get(), "DejaVu Sans", 14, 0);
    }
    ~Frame()
    {
        app->mDdInterface = nullptr;
        display.reset();
        plat::DestroyWindow(window);
    }
    bool Init(bool is3D)
    {
        display->mIs3D = is3D;
        return display->InitDisplay(Handle(window), true) == DDInterface::RESULT_OK;
    }
    void Draw()
    {
        Graphics g(display->GetScreenImage());
        g.DrawImage(&background, 0, 0);
        for (int i = 0; i < 20; i++)
            g.DrawImage(&sprite, 40 + (i % 5) * 180, 60 + (i / 5) * 160);
        g.SetFont(font.get());
        g.SetColor(Color(255, 255, 255));
        g.DrawString("New game   Options   Help   Quit", 300, 720);
        display->RedrawScreen(nullptr);
    }
};

Frame& TheFrame()
{
    static Frame frame;
    return frame;
}

void BM_MenuFrameSoftwareSurfaces(benchmark::State& state)
{
    Frame& f = TheFrame();
    if (!f.Init(false)) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state)
        f.Draw();
}
BENCHMARK(BM_MenuFrameSoftwareSurfaces)->Unit(benchmark::kMillisecond);

void BM_MenuFrame3DSoftwareRenderer(benchmark::State& state)
{
    Frame& f = TheFrame();
    if (!f.Init(true) || !f.display->GetScreenImage()->Is3D()) {
        state.SkipWithError("no 3-D display");
        return;
    }
    for (auto _ : state)
        f.Draw();
    f.Init(false);
}
BENCHMARK(BM_MenuFrame3DSoftwareRenderer)->Unit(benchmark::kMillisecond);

// The renderer on a device of the window's accelerated renderer, drawing the same pictures
// (the text as the image the system font makes of it), each frame presented.
void BM_MenuFrame3DAcceleratedRenderer(benchmark::State& state)
{
    Frame& f = TheFrame();
    plat::Device3D* device = nullptr;
    if (plat::Failed(plat::CreateWindowDevice3D(f.window, 1024, 768, &device))) {
        state.SkipWithError("no window renderer");
        return;
    }
    if (!plat::IsWindowDevice3DAccelerated(device)) {
        device->Release();
        state.SkipWithError("no accelerated renderer here");
        return;
    }
    device->AddRef();
    D3DInterface renderer;
    renderer.InitWithDevice(nullptr, device, 1024, 768);
    MemoryImage text(f.app.get());
    {
        text.Create(300, 20);
        Graphics g(&text);
        g.SetFont(f.font.get());
        g.SetColor(Color(255, 255, 255));
        g.DrawString("New game   Options   Help   Quit", 0, 16);
    }
    for (auto _ : state) {
        renderer.Blt(&f.background, 0, 0, Rect(0, 0, 1024, 768), Color::White, 0, false);
        for (int i = 0; i < 20; i++)
            renderer.Blt(&f.sprite, static_cast<float>(40 + (i % 5) * 180), static_cast<float>(60 + (i / 5) * 160),
                         Rect(0, 0, 64, 64), Color::White, 0, false);
        renderer.Blt(&text, 300, 704, Rect(0, 0, 300, 20), Color::White, 0, false);
        renderer.Flush();
        plat::PresentWindowDevice3D(device);
    }
    renderer.RemoveAllTextures();
    device->Release();
}
BENCHMARK(BM_MenuFrame3DAcceleratedRenderer)->Unit(benchmark::kMillisecond);

} // namespace
