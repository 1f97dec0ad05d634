// Drawing into display surfaces beside pixman on the same pixels: 1024 x 768 RGB565 and
// XRGB8888 destinations; alpha blits (full screen and a 64 x 64 sprite), opaque copy, additive
// blit, solid fill, 2x nearest stretch and a 30-degree bilinear rotation. Each pair reports
// pixels per second over the same pixel count; compare "quor" with "pixman".
#include "app/QuorAppBase.h"
#include "bench/BenchDisplay.h"
#include "bench/PixmanPixels.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace Quor;
using quorbench::TheDisplay;
using quorbench::Display;

namespace {

constexpr int kW = 1024, kH = 768;

std::vector<uint32_t> Pixels(int w, int h, bool alpha)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Runs of opaque, clear and soft pixels, as sprites have them.
            uint32_t a = !alpha ? 255 : ((x / 24 + y / 16) % 3 == 0 ? 0 : ((x / 24 + y / 16) % 3 == 1 ? 255 : (x * 3 + y) & 0xFF));
            uint32_t r = (x * 7) & 0xFF, g = (y * 5) & 0xFF, b = ((x ^ y) * 3) & 0xFF;
            px[static_cast<size_t>(y) * w + x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    return px;
}

struct Scene {
    bool is16;
    std::unique_ptr<DDImage> dest;
    std::unique_ptr<MemoryImage> src;
    std::vector<uint16_t> p16;
    std::vector<uint32_t> p32;
    std::vector<uint32_t> pSrcPixels;
    pixman_image_t* pDest = nullptr;
    pixman_image_t* pSrc = nullptr;

    Scene(bool sixteen, int sw, int sh, bool alpha) : is16(sixteen)
    {
        Display& d = TheDisplay(is16);
        dest = std::make_unique<DDImage>(d.dd.get());
        std::vector<uint32_t> back = Pixels(kW, kH, false);
        dest->SetBits(back.data(), kW, kH);
        dest->CreateSurface();
        std::vector<uint32_t> sp = Pixels(sw, sh, alpha);
        src = std::make_unique<MemoryImage>(nullptr);
        src->SetBits(sp.data(), sw, sh);
        src->GetNativeAlphaData(d.dd.get());
        src->GetRLAlphaData();
        src->GetRLAdditiveData(d.dd.get());
        if (is16) {
            p16.assign(static_cast<size_t>(kW) * kH, 0x8410);
            pDest = pixman_image_create_bits(PIXMAN_r5g6b5, kW, kH, reinterpret_cast<uint32_t*>(p16.data()), kW * 2);
        } else {
            p32.assign(static_cast<size_t>(kW) * kH, 0x808080);
            pDest = pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, p32.data(), kW * 4);
        }
        pSrcPixels = Premultiplied(sp);
        pSrc = pixman_image_create_bits(alpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, sw, sh, pSrcPixels.data(), sw * 4);
    }
    ~Scene()
    {
        pixman_image_unref(pDest);
        pixman_image_unref(pSrc);
    }
};

void Done(benchmark::State& state, int64_t pixels)
{
    state.SetItemsProcessed(state.iterations() * pixels);
}

// ---- alpha blit, full screen
void BM_AlphaBlitFull(benchmark::State& state, bool is16, bool pixman)
{
    Scene s(is16, kW, kH, true);
    for (auto _ : state) {
        if (pixman)
            pixman_image_composite32(PIXMAN_OP_OVER, s.pSrc, nullptr, s.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
        else
            s.dest->Blt(s.src.get(), 0, 0, Rect(0, 0, kW, kH), Color::White, 0);
    }
    Done(state, int64_t(kW) * kH);
}

// ---- alpha blit, 64 x 64 sprite at 100 places
void BM_AlphaBlitSprite(benchmark::State& state, bool is16, bool pixman)
{
    Scene s(is16, 64, 64, true);
    for (auto _ : state) {
        for (int i = 0; i < 100; i++) {
            int x = (i * 97) % (kW - 64), y = (i * 61) % (kH - 64);
            if (pixman)
                pixman_image_composite32(PIXMAN_OP_OVER, s.pSrc, nullptr, s.pDest, 0, 0, 0, 0, x, y, 64, 64);
            else
                s.dest->Blt(s.src.get(), x, y, Rect(0, 0, 64, 64), Color::White, 0);
        }
    }
    Done(state, 100 * 64 * 64);
}

// ---- opaque copy (pixman copies a source already in the destination's format)
void BM_OpaqueCopy(benchmark::State& state, bool is16, bool pixman)
{
    Scene s(is16, kW, kH, false);
    std::vector<uint32_t> same(static_cast<size_t>(kW) * kH, 0x12345678);
    pixman_image_t* pSame = pixman_image_create_bits(is16 ? PIXMAN_r5g6b5 : PIXMAN_x8r8g8b8, kW, kH, same.data(),
                                                     is16 ? kW * 2 : kW * 4);
    for (auto _ : state) {
        if (pixman)
            pixman_image_composite32(PIXMAN_OP_SRC, pSame, nullptr, s.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
        else
            s.dest->Blt(s.src.get(), 0, 0, Rect(0, 0, kW, kH), Color::White, 0);
    }
    pixman_image_unref(pSame);
    Done(state, int64_t(kW) * kH);
}

// ---- the same opaque copy beside pixman converting the very same 32-bit pixels (our source is a
// 32-bit image whose display words are made once; pixman converts them on every copy)
void BM_OpaqueCopyFrom32(benchmark::State& state, bool is16)
{
    Scene s(is16, kW, kH, false);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_SRC, s.pSrc, nullptr, s.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
    Done(state, int64_t(kW) * kH);
}

// ---- additive blit (pixman: saturating ADD of the premultiplied source)
void BM_AdditiveBlit(benchmark::State& state, bool is16, bool pixman)
{
    Scene s(is16, kW, kH, true);
    for (auto _ : state) {
        if (pixman)
            pixman_image_composite32(PIXMAN_OP_ADD, s.pSrc, nullptr, s.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
        else
            s.dest->Blt(s.src.get(), 0, 0, Rect(0, 0, kW, kH), Color::White, 1);
    }
    Done(state, int64_t(kW) * kH);
}

// ---- solid opaque fill
void BM_SolidFill(benchmark::State& state, bool is16, bool pixman)
{
    Scene s(is16, 1, 1, false);
    pixman_color_t c{0x4000, 0x8000, 0xC000, 0xFFFF};
    pixman_rectangle16_t r{0, 0, kW, kH};
    for (auto _ : state) {
        if (pixman)
            pixman_image_fill_rectangles(PIXMAN_OP_SRC, s.pDest, &c, 1, &r);
        else
            s.dest->FillRect(Rect(0, 0, kW, kH), Color(64, 128, 192), 0);
    }
    Done(state, int64_t(kW) * kH);
}

// ---- 2x nearest stretch of a 512 x 384 image with alpha
void BM_Stretch2x(benchmark::State& state, bool is16, bool pixman)
{
    Scene s(is16, kW / 2, kH / 2, true);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(s.pSrc, &t);
    pixman_image_set_filter(s.pSrc, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        if (pixman)
            pixman_image_composite32(PIXMAN_OP_OVER, s.pSrc, nullptr, s.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
        else
            s.dest->StretchBlt(s.src.get(), Rect(0, 0, kW, kH), Rect(0, 0, kW / 2, kH / 2), Rect(0, 0, kW, kH),
                               Color::White, 0, true);
    }
    Done(state, int64_t(kW) * kH);
}

// ---- 30-degree bilinear rotation of a 512 x 384 image about its centre, in the middle
void BM_Rotate30(benchmark::State& state, bool is16, bool pixman)
{
    Scene s(is16, 512, 384, true);
    const double angle = 30.0 * 3.14159265358979 / 180.0;
    // Destination pixel p maps to source c + R(-angle) (p - o - c) with o the drawing origin.
    const double ox = 256, oy = 192, cx = 256, cy = 192;
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    pixman_transform_translate(&t, nullptr, pixman_double_to_fixed(-(ox + cx)), pixman_double_to_fixed(-(oy + cy)));
    pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(angle)), pixman_double_to_fixed(std::sin(angle)));
    pixman_transform_translate(&t, nullptr, pixman_double_to_fixed(cx), pixman_double_to_fixed(cy));
    pixman_image_set_transform(s.pSrc, &t);
    pixman_image_set_filter(s.pSrc, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    // Both draw over the rotated source's bounding box; the count is the source's area.
    const int bw = static_cast<int>(512 * std::cos(angle) + 384 * std::sin(angle)) + 2;
    const int bh = static_cast<int>(512 * std::sin(angle) + 384 * std::cos(angle)) + 2;
    const int bx = static_cast<int>(ox + cx - bw / 2), by = static_cast<int>(oy + cy - bh / 2);
    for (auto _ : state) {
        if (pixman)
            pixman_image_composite32(PIXMAN_OP_OVER, s.pSrc, nullptr, s.pDest, bx, by, 0, 0, bx, by, bw, bh);
        else
            s.dest->BltRotated(s.src.get(), static_cast<float>(ox), static_cast<float>(oy), Rect(0, 0, 512, 384),
                               Rect(0, 0, kW, kH), Color::White, 0, angle, static_cast<float>(cx),
                               static_cast<float>(cy));
    }
    Done(state, 512 * 384);
}

#define PAIR(fn, label)                                                                                    \
    BENCHMARK_CAPTURE(fn, label##_565_quor, true, false)->Unit(benchmark::kMillisecond);                   \
    BENCHMARK_CAPTURE(fn, label##_565_pixman, true, true)->Unit(benchmark::kMillisecond);                  \
    BENCHMARK_CAPTURE(fn, label##_8888_quor, false, false)->Unit(benchmark::kMillisecond);                 \
    BENCHMARK_CAPTURE(fn, label##_8888_pixman, false, true)->Unit(benchmark::kMillisecond)

PAIR(BM_AlphaBlitFull, alpha_full);
PAIR(BM_AlphaBlitSprite, alpha_sprite64);
PAIR(BM_OpaqueCopy, opaque_copy);
BENCHMARK_CAPTURE(BM_OpaqueCopyFrom32, opaque_copy_565_pixman_from_x8r8g8b8, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueCopyFrom32, opaque_copy_8888_pixman_from_x8r8g8b8, false)->Unit(benchmark::kMillisecond);
PAIR(BM_AdditiveBlit, additive);
PAIR(BM_SolidFill, fill);
PAIR(BM_Stretch2x, stretch2x);
PAIR(BM_Rotate30, rotate30);

} // namespace
