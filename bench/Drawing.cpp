// Software drawing speed beside pixman on the same pixels: a 1024 x 768 ARGB destination,
// normal and additive blits, a solid fill, a 2x smooth stretch and a 30-degree rotation.
// Every pair reports pixels per second over the same pixel count; compare "quor" with "pixman".
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "app/QuorAppBase.h"
#include "bench/PixmanPixels.h"
#include "graphics/MemoryImage.h"

using namespace Quor;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

// A picture of soft-edged discs on a clear background: long opaque and clear runs, with
// translucent edges, as sprites and screen layers usually are.
std::vector<uint32_t> Sprites(int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double d = std::hypot((x % 64) - 31.5, (y % 64) - 31.5);
            uint32_t a = d < 24 ? 255 : d < 31 ? static_cast<uint32_t>((31 - d) / 7 * 255) : 0;
            uint32_t r = (x * 7) & 0xFF, g = (y * 5) & 0xFF, b = ((x ^ y) * 3) & 0xFF;
            px[static_cast<size_t>(y) * w + x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    return px;
}

std::vector<uint32_t> Backdrop()
{
    std::vector<uint32_t> px(static_cast<size_t>(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            px[static_cast<size_t>(y) * kW + x] = 0xFF000000 | ((x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40;
    return px;
}

struct Fixture {
    QuorAppBase app;
    MemoryImage dest{&app};
    MemoryImage src{&app};
    std::vector<uint32_t> backdrop = Backdrop();
    std::vector<uint32_t> srcPixels;
    std::vector<uint32_t> pixDest = backdrop;
    std::vector<uint32_t> pixSrc;
    pixman_image_t* pDest = nullptr;
    pixman_image_t* pSrc = nullptr;

    Fixture(int sw, int sh)
    {
        dest.SetBits(backdrop.data(), kW, kH, true);
        srcPixels = Sprites(sw, sh);
        src.SetBits(srcPixels.data(), sw, sh, true);
        src.GetRLAlphaData();
        pixSrc = Premultiplied(srcPixels);
        pDest = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, pixDest.data(), kW * 4);
        pSrc = pixman_image_create_bits(PIXMAN_a8r8g8b8, sw, sh, pixSrc.data(), sw * 4);
    }
    ~Fixture()
    {
        pixman_image_unref(pDest);
        pixman_image_unref(pSrc);
    }
};

void Report(benchmark::State& state, int64_t pixelsPerIteration)
{
    state.SetItemsProcessed(state.iterations() * pixelsPerIteration);
}

// ---- normal alpha blit, whole screen ----

void BM_BlitScreen_quor(benchmark::State& state)
{
    Fixture f(kW, kH);
    for (auto _ : state)
        f.dest.Blt(&f.src, 0, 0, Rect(0, 0, kW, kH), Color::White, 0);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_BlitScreen_quor)->Unit(benchmark::kMillisecond);

void BM_BlitScreen_pixman(benchmark::State& state)
{
    Fixture f(kW, kH);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_OVER, f.pSrc, nullptr, f.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_BlitScreen_pixman)->Unit(benchmark::kMillisecond);

// ---- normal alpha blit of 64 x 64 sprites at 192 places ----

constexpr int kSprites = 192;

void BM_BlitSprite64_quor(benchmark::State& state)
{
    Fixture f(64, 64);
    for (auto _ : state)
        for (int i = 0; i < kSprites; ++i)
            f.dest.Blt(&f.src, (i * 67) % (kW - 64), (i * 37) % (kH - 64), Rect(0, 0, 64, 64),
                       Color::White, 0);
    Report(state, int64_t(64) * 64 * kSprites);
}
BENCHMARK(BM_BlitSprite64_quor)->Unit(benchmark::kMillisecond);

void BM_BlitSprite64_pixman(benchmark::State& state)
{
    Fixture f(64, 64);
    for (auto _ : state)
        for (int i = 0; i < kSprites; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, f.pSrc, nullptr, f.pDest, 0, 0, 0, 0,
                                     (i * 67) % (kW - 64), (i * 37) % (kH - 64), 64, 64);
    Report(state, int64_t(64) * 64 * kSprites);
}
BENCHMARK(BM_BlitSprite64_pixman)->Unit(benchmark::kMillisecond);

// ---- additive blit, whole screen ----

void BM_AdditiveScreen_quor(benchmark::State& state)
{
    Fixture f(kW, kH);
    for (auto _ : state)
        f.dest.Blt(&f.src, 0, 0, Rect(0, 0, kW, kH), Color::White, 1);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_AdditiveScreen_quor)->Unit(benchmark::kMillisecond);

void BM_AdditiveScreen_pixman(benchmark::State& state)
{
    Fixture f(kW, kH);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_ADD, f.pSrc, nullptr, f.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_AdditiveScreen_pixman)->Unit(benchmark::kMillisecond);

// ---- solid fill, whole screen: opaque, then translucent ----

void BM_FillOpaque_quor(benchmark::State& state)
{
    Fixture f(1, 1);
    for (auto _ : state)
        f.dest.FillRect(Rect(0, 0, kW, kH), Color(40, 80, 120), 0);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_FillOpaque_quor)->Unit(benchmark::kMillisecond);

void BM_FillOpaque_pixman(benchmark::State& state)
{
    Fixture f(1, 1);
    for (auto _ : state)
        pixman_fill(f.pixDest.data(), kW, 32, 0, 0, kW, kH, 0xFF285078);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_FillOpaque_pixman)->Unit(benchmark::kMillisecond);

void BM_FillTranslucent_quor(benchmark::State& state)
{
    Fixture f(1, 1);
    for (auto _ : state)
        f.dest.FillRect(Rect(0, 0, kW, kH), Color(40, 80, 120, 128), 0);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_FillTranslucent_quor)->Unit(benchmark::kMillisecond);

void BM_FillTranslucent_pixman(benchmark::State& state)
{
    Fixture f(1, 1);
    pixman_color_t c = {0x2828, 0x5050, 0x7878, 0x8080}; // premultiplied, alpha 128
    pixman_image_t* solid = pixman_image_create_solid_fill(&c);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_OVER, solid, nullptr, f.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
    pixman_image_unref(solid);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_FillTranslucent_pixman)->Unit(benchmark::kMillisecond);

// ---- smooth 2x stretch of a 512 x 384 picture onto the whole screen ----

void BM_SmoothStretch2x_quor(benchmark::State& state)
{
    Fixture f(kW / 2, kH / 2);
    for (auto _ : state)
        f.dest.StretchBlt(&f.src, Rect(0, 0, kW, kH), Rect(0, 0, kW / 2, kH / 2),
                          Rect(0, 0, kW, kH), Color::White, 0, false);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_SmoothStretch2x_quor)->Unit(benchmark::kMillisecond);

void BM_SmoothStretch2x_pixman(benchmark::State& state)
{
    Fixture f(kW / 2, kH / 2);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(f.pSrc, &t);
    pixman_image_set_filter(f.pSrc, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_OVER, f.pSrc, nullptr, f.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
    Report(state, int64_t(kW) * kH);
}
BENCHMARK(BM_SmoothStretch2x_pixman)->Unit(benchmark::kMillisecond);

// ---- 30-degree bilinear rotation of a 512 x 512 picture about its centre ----

constexpr int kRot = 512;

void BM_Rotate30_quor(benchmark::State& state)
{
    Fixture f(kRot, kRot);
    const double angle = std::numbers::pi / 6;
    for (auto _ : state)
        f.dest.BltRotated(&f.src, (kW - kRot) / 2.0f, (kH - kRot) / 2.0f, Rect(0, 0, kRot, kRot),
                          Rect(0, 0, kW, kH), Color::White, 0, angle, kRot / 2.0f, kRot / 2.0f);
    Report(state, int64_t(kRot) * kRot);
}
BENCHMARK(BM_Rotate30_quor)->Unit(benchmark::kMillisecond);

void BM_Rotate30_pixman(benchmark::State& state)
{
    Fixture f(kRot, kRot);
    // Destination to source: move the centre to the origin, turn back, move to the source centre.
    const double angle = std::numbers::pi / 6;
    pixman_f_transform_t ft;
    pixman_f_transform_init_identity(&ft);
    pixman_f_transform_translate(&ft, nullptr, -kW / 2.0, -kH / 2.0);
    pixman_f_transform_rotate(&ft, nullptr, std::cos(angle), std::sin(angle));
    pixman_f_transform_translate(&ft, nullptr, kRot / 2.0, kRot / 2.0);
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &ft);
    pixman_image_set_transform(f.pSrc, &t);
    pixman_image_set_filter(f.pSrc, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    // Only the turned picture itself is composited, as ours draws it: the destination is clipped
    // to the rows of pixels whose centres map inside the source, so both sides cover the same
    // area rather than pixman working through the whole bounding box.
    std::vector<pixman_box32_t> spans;
    for (int y = 0; y < kH; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < kW; ++x) {
            pixman_f_vector_t p = {{x + 0.5, y + 0.5, 1.0}};
            pixman_f_transform_point(&ft, &p);
            const double* v = p.v;
            if (v[0] >= 0 && v[0] < kRot && v[1] >= 0 && v[1] < kRot) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first >= 0)
            spans.push_back({first, y, last + 1, y + 1});
    }
    pixman_region32_t clip;
    pixman_region32_init_rects(&clip, spans.data(), static_cast<int>(spans.size()));
    pixman_image_set_clip_region32(f.pDest, &clip);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_OVER, f.pSrc, nullptr, f.pDest, 0, 0, 0, 0, 0, 0, kW, kH);
    pixman_image_set_clip_region32(f.pDest, nullptr);
    pixman_region32_fini(&clip);
    Report(state, int64_t(kRot) * kRot);
}
BENCHMARK(BM_Rotate30_pixman)->Unit(benchmark::kMillisecond);

} // namespace
