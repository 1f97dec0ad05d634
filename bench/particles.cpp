// Effect speed beside plain references on the same run: one simulation step of a full
// 500-particle system beside moving 500 points by their velocities; 500 particles of a
// 32 x 32 image drawn on a 1024 x 768 memory image through the software transform and the
// additive stretch (the transform also pixel by pixel, as its fillers drew before their wide
// spans), beside 500 plain blits of the image; 100 four-track keyframe effects
// updated and drawn, per frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "app/QuorAppBase.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ParticleSystem.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/SWTri.h"
#include "BenchEffects.h"

using namespace Quor;
using quorbench::Disc;
using quorbench::FullSystem;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

struct Scene {
    QuorAppBase app;
    MemoryImage screen{&app};
    std::vector<uint32_t> backdrop = std::vector<uint32_t>(kW * kH, 0xFF203040);
    Scene() { screen.SetBits(backdrop.data(), kW, kH, true); }
};

void BM_ParticleStep500(benchmark::State& state)
{
    auto ps = FullSystem(nullptr);
    for (auto _ : state) {
        ps->Simulate(0.01f);
        benchmark::DoNotOptimize(ps->mParticles[0].mX);
    }
    state.counters["live"] = ps->mLiveCount;
}
BENCHMARK(BM_ParticleStep500)->Unit(benchmark::kMicrosecond);

void BM_Reference_Move500Points(benchmark::State& state)
{
    struct P {
        float x, y, vx, vy;
    };
    std::vector<P> points(500);
    std::mt19937 rng(3);
    for (P& p : points)
        p = {static_cast<float>(rng() % kW), static_cast<float>(rng() % kH), 0.01f, -0.02f};
    for (auto _ : state) {
        for (P& p : points) {
            p.x += p.vx;
            p.y += p.vy;
        }
        benchmark::DoNotOptimize(points.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Reference_Move500Points)->Unit(benchmark::kMicrosecond);

void DrawParticles(benchmark::State& state, bool additive)
{
    Scene scene;
    auto* image = new MemoryImage(&scene.app);
    std::vector<uint32_t> disc = Disc();
    image->SetBits(disc.data(), 32, 32, true);
    auto ps = FullSystem(image);
    ps->mAdditive = additive;
    Graphics g(&scene.screen);
    for (auto _ : state)
        ps->Draw(&g);
    state.counters["particles"] = ps->mLiveCount;
}

void BM_Draw500Particles_Transform(benchmark::State& state)
{
    DrawParticles(state, false);
}
BENCHMARK(BM_Draw500Particles_Transform)->Unit(benchmark::kMicrosecond);

// The same through the fillers' pixel-by-pixel loop, the form the wide spans replace.
void BM_Draw500Particles_TransformPixelByPixel(benchmark::State& state)
{
    SWTri_SetWideSpans(false);
    DrawParticles(state, false);
    SWTri_SetWideSpans(true);
}
BENCHMARK(BM_Draw500Particles_TransformPixelByPixel)->Unit(benchmark::kMicrosecond);

void BM_Draw500Particles_AdditiveStretch(benchmark::State& state)
{
    DrawParticles(state, true);
}
BENCHMARK(BM_Draw500Particles_AdditiveStretch)->Unit(benchmark::kMicrosecond);

void BM_Reference_500PlainBlits(benchmark::State& state)
{
    Scene scene;
    MemoryImage image(&scene.app);
    std::vector<uint32_t> disc = Disc();
    image.SetBits(disc.data(), 32, 32, true);
    std::mt19937 rng(7);
    std::vector<std::pair<int, int>> at(500);
    for (auto& p : at)
        p = {static_cast<int>(rng() % (kW - 32)), static_cast<int>(rng() % (kH - 32))};
    Graphics g(&scene.screen);
    for (auto _ : state)
        for (const auto& p : at)
            g.DrawImage(&image, p.first, p.second);
}
BENCHMARK(BM_Reference_500PlainBlits)->Unit(benchmark::kMicrosecond);

// 100 endless effects, each moving, turning, scaling and fading along its own tracks.
void BM_Effects100FourTracks(benchmark::State& state)
{
    Scene scene;
    MemoryImage cels(&scene.app);
    std::vector<uint32_t> px(128 * 32, 0xC0FFFFFF);
    cels.SetBits(px.data(), 128, 32, true);
    EffectList list;
    std::mt19937 rng(11);
    for (int i = 0; i < 100; ++i) {
        auto* fx = new FXObject(0, 0, 32, 32, &cels, 4, true, -1, 0, 0.1, -999.0, 0.0, -1.0);
        const double x = rng() % (kW - 64), y = rng() % (kH - 64);
        fx->SetTrack({new Keyframe{Keyframe::TRANSLATE, Keyframe::TRANS_X, 0.0, x},
                      new Keyframe{Keyframe::TRANSLATE, Keyframe::TRANS_X, 2.0, x + 40}},
                     true);
        fx->SetTrack({new Keyframe{Keyframe::ROTATE, Keyframe::CLOCKWISE, 0.0, 0.0},
                      new Keyframe{Keyframe::ROTATE, Keyframe::CLOCKWISE, 3.0, 6.0}},
                     true);
        fx->SetTrack({new Keyframe{Keyframe::SCALE, 0, 0.0, 0.8}, new Keyframe{Keyframe::SCALE, 0, 1.0, 1.3}}, true);
        fx->SetTrack({new Keyframe{Keyframe::ALPHA, 0, 0.0, 255.0}, new Keyframe{Keyframe::ALPHA, 0, 1.5, 60.0}},
                     true);
        fx->mY = static_cast<int>(y);
        list.Add(fx);
    }
    Graphics g(&scene.screen);
    int update = 0;
    for (auto _ : state) {
        list.UpdateAll(++update, 0.01);
        list.DrawAll(&g);
    }
}
BENCHMARK(BM_Effects100FourTracks)->Unit(benchmark::kMicrosecond);

} // namespace
