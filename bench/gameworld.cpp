// The game screen. Entering the game: the constructor's load and bind of "GameMain" of the sample
// content, beside decoding the same PNG files (read into memory beforehand) with libpng alone;
// its time is the pause the player waits through. One update and redraw of a game screen
// holding stand-in panels in every slot, 50 effects and a 500-particle system, on RGB565 and
// XRGB8888 screens of 1024 x 768, beside the stand-ins' own drawing alone and beside the
// stand-ins with the same effects and particles driven without the game screen: the last
// difference is the game screen's own work.
#include "BenchDisplay.h"
#include "BenchEffects.h"
#include "BenchGame.h"
#include "BenchPng.h"
#include "display/DDImage.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/world/GamePanel.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/WidgetManager.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Quor;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

struct Setup {
    quorbench::ScratchDir mScratch{"quor_bench_gameworld_"};
    std::unique_ptr<quorbench::BenchGame> mGame;
    std::string mError;

    Setup()
    {
        // Software drawing on both sides of every comparison: the frames draw into the
        // benchmark's own screens, never through the renderer.
        setenv("QUOR_NO_3D", "1", 1);
        mError = quorbench::StartSampleGame(mScratch, mGame);
    }
};

Setup& GetSetup()
{
    static Setup setup;
    return setup;
}

bool Usable(benchmark::State& state, Setup& s)
{
    if (s.mError.empty())
        return true;
    state.SkipWithError(s.mError.c_str());
    return false;
}

void BM_EnterGame_LoadGameMain(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    for (auto _ : state) {
        auto* phase = new GamePhase(s.mGame.get());
        state.PauseTiming();
        if (!phase->IsUsable())
            state.SkipWithError(("GameMain did not load: " + s.mGame->mLastPopup).c_str());
        delete phase;  // frees "GameMain"
        s.mGame->CleanSharedImages();  // decoded pictures go too: every load reads its files
        state.ResumeTiming();
    }
    state.counters["images"] = s.mGame->resourceManager->GetNumImages("GameMain");
}
BENCHMARK(BM_EnterGame_LoadGameMain)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Reference_LibpngDecodeGameMain(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    quorbench::DecodeWithLibpng(state, quorbench::GroupImagePaths(*s.mGame->resourceManager, "GameMain"));
}
BENCHMARK(BM_Reference_LibpngDecodeGameMain)->Unit(benchmark::kMillisecond)->UseRealTime();

// A panel that draws one picture: the country screen a whole-screen backdrop, every other panel a
// 200 x 150 window with soft edges at a place of its own.
class StandInPanel : public GamePanel {
public:
    StandInPanel(GamePhase* owner, int id, Image* picture) : GamePanel(owner), mId(id), mPicture(picture) {}
    void Draw(Graphics* g) override { DrawStandIn(g, mId, mPicture); }

    static void DrawStandIn(Graphics* g, int id, Image* picture)
    {
        if (id == PANEL_COUNTRY_MAP)
            g->DrawImage(picture, 0, 0);
        else
            g->DrawImageRegion(picture, 40 + id * 50, 30 + id * 36, Rect(0, 0, 200, 150));
    }

    int mId;
    Image* mPicture;
};

std::vector<uint32_t> Picture(bool soft)
{
    std::vector<uint32_t> px(size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t edge = std::min(std::min(x, 199 - std::min(x, 199)), std::min(y, 149 - std::min(y, 149)));
            const uint32_t a = !soft ? 255 : std::min<uint32_t>(255, 60 + edge * 16);
            px[size_t(y) * kW + x] = (a << 24) | (uint32_t(x * 5 & 0xFF) << 16) | (uint32_t(y * 3 & 0xFF) << 8) | 0x40;
        }
    return px;
}

// The pieces of one frame: the screen of a layout, the two pictures, 50 effects, the particles.
struct Frame {
    std::unique_ptr<DDImage> screen;
    MemoryImage backdrop;
    MemoryImage window;
    MemoryImage disc;
    MemoryImage* particleImage = new MemoryImage();  // the particle system takes it

    explicit Frame(bool is16)
    {
        quorbench::Display& d = quorbench::TheDisplay(is16);
        screen = std::make_unique<DDImage>(d.dd.get());
        std::vector<uint32_t> black(size_t(kW) * kH, 0xFF000000u);
        screen->SetBits(black.data(), kW, kH);
        screen->CreateSurface();
        std::vector<uint32_t> opaque = Picture(false);
        backdrop.SetBits(opaque.data(), kW, kH);
        std::vector<uint32_t> soft = Picture(true);
        window.SetBits(soft.data(), kW, kH);
        std::vector<uint32_t> px = quorbench::Disc();
        disc.SetBits(px.data(), 32, 32);
        particleImage->SetBits(px.data(), 32, 32);
    }

    Image* PictureOf(int id) { return id == PANEL_COUNTRY_MAP ? &backdrop : &window; }

    void AddEffects(EffectList& list)
    {
        std::mt19937 rng(5);
        for (int i = 0; i < 50; ++i) {
            auto* fx = new FXObject(int(rng() % (kW - 32)), int(rng() % (kH - 32)), 32, 32, &disc, 1, true, -1, 0, 0.1,
                                    FXObject::kNoHoldTime, 0.0, FXObject::kDeriveNotifyTime);
            fx->SetTrack({new Keyframe{Keyframe::ALPHA, 0, 0.0, 255.0}, new Keyframe{Keyframe::ALPHA, 0, 1.0, 80.0}},
                         true);
            list.Add(fx);
        }
    }
};

class BenchPhase : public GamePhase {
public:
    BenchPhase(GameApp* app, Frame* frame) : GamePhase(app), mFrame(frame) {}

protected:
    GamePanel* MakePanel(int id, int extra) override
    {
        (void)extra;
        return new StandInPanel(this, id, mFrame->PictureOf(id));
    }

private:
    Frame* mFrame;
};

double Live(const ParticleSet& set)
{
    int live = 0;
    for (const auto& [id, system] : set.mSystems)
        live += system->mLiveCount;
    return live;
}

const int kPanelIds[] = {1, 3, 4, 5, 6, 10, 7, 9, 2, 11, 12, 14, 13, 16, 15};

void BM_GameScreenFrame(benchmark::State& state, bool is16)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    Frame frame(is16);
    GameApp* app = s.mGame.get();
    WidgetManager manager(app);
    manager.SetMouseMapping(Rect(0, 0, kW, kH), Rect(0, 0, kW, kH));
    manager.mImage = frame.screen.get();
    auto* phase = new BenchPhase(app, &frame);
    phase->Resize(0, 0, kW, kH);
    manager.AddWidget(phase);
    for (int id : kPanelIds)
        if (id != PANEL_COUNTRY_MAP && id != PANEL_INFO && id != PANEL_NOTE)
            phase->ShowPanel(id, 0);
    frame.AddEffects(*phase->mEffects);
    phase->mParticles->Add(-1, quorbench::FullSystem(frame.particleImage).release());
    app->GetCurrentProfile().tutorialStep = 5;
    app->mHasFocus = true;
    for (auto _ : state) {
        app->mUpdateCount += 2;
        manager.UpdateFrame();
        manager.DrawScreen();
    }
    state.counters["particles"] = Live(*phase->mParticles);
    state.counters["effects"] = double(phase->mEffects->mEffects.size());
    manager.RemoveWidget(phase);
    delete phase;
}
BENCHMARK_CAPTURE(BM_GameScreenFrame, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GameScreenFrame, xrgb8888, false)->Unit(benchmark::kMillisecond);

// The same drawing straight through one drawing context: the stand-ins alone, or with the same
// effects and particles updated and drawn in the game screen's order.
void BM_Reference_StandIns(benchmark::State& state, bool is16, bool withEffects)
{
    Frame frame(is16);
    EffectList effects;
    ParticleSet particles(nullptr);
    if (withEffects) {
        frame.AddEffects(effects);
        particles.Add(-1, quorbench::FullSystem(frame.particleImage).release());
    } else {
        delete frame.particleImage;
    }
    int update = 0;
    for (auto _ : state) {
        if (withEffects) {
            particles.Update(0.02);
            effects.UpdateAll(update += 2, 0.02);
        }
        frame.screen->LockSurface();
        Graphics g(frame.screen.get());
        g.SetFastStretch(true);  // as the widget manager draws every screen without 3-D
        g.SetLinearBlend(false);
        g.ClipRect(0, 0, kW, kH);
        for (int id : kPanelIds) {
            StandInPanel::DrawStandIn(&g, id, frame.PictureOf(id));
            if (withEffects && id == PANEL_MISSION_FULL) {
                particles.Draw(&g);
                effects.DrawAll(&g);
            }
        }
        frame.screen->UnlockSurface();
    }
    state.counters["particles"] = Live(particles);
    state.counters["effects"] = double(effects.mEffects.size());
}
BENCHMARK_CAPTURE(BM_Reference_StandIns, rgb565_alone, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reference_StandIns, xrgb8888_alone, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reference_StandIns, rgb565_with_effects, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reference_StandIns, xrgb8888_with_effects, false, true)->Unit(benchmark::kMillisecond);

} // namespace
