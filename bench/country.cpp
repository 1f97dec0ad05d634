// The country screen on the sample content, on RGB565 and XRGB8888 screens of 1024 x 768: a full
// redraw of England at alpha 255 beside one opaque full-screen blit, the same at alpha 128
// through the zoom, and arriving in a country (England's group freed, "GameCountry1" loaded and
// bound) beside decoding the same PNG files with libpng alone.
#include "BenchDisplay.h"
#include "BenchGame.h"
#include "BenchPng.h"
#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryMap.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/WidgetManager.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace Quor;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

struct Setup {
    quorbench::ScratchDir mScratch{"quor_bench_country_"};
    std::unique_ptr<quorbench::BenchGame> mGame;
    std::string mError;

    Setup()
    {
        setenv("QUOR_NO_3D", "1", 1);
        mError = quorbench::StartSampleGame(mScratch, mGame);
        if (mError.empty()) {
            mGame->GetCurrentProfile().tutorialStep = TutorialFinished;
            mGame->GetCurrentProfile().money = 100000;  // no rescue popup
            mGame->GetCurrentProfile().country = 0;
            mGame->mHasFocus = true;
        }
    }
};

Setup& GetSetup()
{
    static Setup setup;
    return setup;
}

std::unique_ptr<DDImage> Screen(bool is16)
{
    quorbench::Display& d = quorbench::TheDisplay(is16);
    auto screen = std::make_unique<DDImage>(d.dd.get());
    std::vector<uint32_t> black(size_t(kW) * kH, 0xFF000000u);
    screen->SetBits(black.data(), kW, kH);
    screen->CreateSurface();
    return screen;
}

// The game screen entered on England, its fade-in over, drawing into the screen.
struct InGame {
    WidgetManager mManager;
    GamePhase* mPhase;

    InGame(GameApp* app, Image* screen) : mManager(app)
    {
        mManager.SetMouseMapping(Rect(0, 0, kW, kH), Rect(0, 0, kW, kH));
        mManager.mImage = screen;
        mPhase = new GamePhase(app);
        mPhase->Resize(0, 0, kW, kH);
        mManager.AddWidget(mPhase);
        app->mUpdateCount += 2;
        mManager.UpdateFrame();
    }
    ~InGame()
    {
        mManager.RemoveWidget(mPhase);
        delete mPhase;
    }
    CountryMap* Map() { return dynamic_cast<CountryMap*>(mPhase->mPanels[PANEL_COUNTRY_MAP]); }
};

bool Usable(benchmark::State& state, Setup& s)
{
    if (s.mError.empty())
        return true;
    state.SkipWithError(s.mError.c_str());
    return false;
}

void BM_EnglandRedraw(benchmark::State& state, bool is16, int alpha)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    std::unique_ptr<DDImage> screen = Screen(is16);
    InGame game(s.mGame.get(), screen.get());
    CountryMap* map = game.Map();
    if (map == nullptr || map->mCountry != 0 || map->mFadeAlpha != 255) {
        state.SkipWithError("England did not come up");
        return;
    }
    map->mFadeAlpha = alpha;
    for (auto _ : state) {
        game.mPhase->SetDirty();
        game.mManager.DrawScreen();
    }
    state.counters["buttons"] = double(map->mPlaceButtons.size());
}
BENCHMARK_CAPTURE(BM_EnglandRedraw, rgb565_alpha255, true, 255)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EnglandRedraw, xrgb8888_alpha255, false, 255)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EnglandRedraw, rgb565_alpha128, true, 128)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EnglandRedraw, xrgb8888_alpha128, false, 128)->Unit(benchmark::kMillisecond);

void BM_Reference_OpaqueBlit(benchmark::State& state, bool is16)
{
    std::unique_ptr<DDImage> screen = Screen(is16);
    MemoryImage picture;
    std::vector<uint32_t> px(size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            px[size_t(y) * kW + x] = 0xFF000000u | uint32_t(x * 5 & 0xFF) << 16 | uint32_t(y * 3 & 0xFF) << 8 | 0x40;
    picture.SetBits(px.data(), kW, kH);
    for (auto _ : state) {
        screen->LockSurface();
        Graphics g(screen.get());
        g.SetFastStretch(true);
        g.SetLinearBlend(false);
        g.DrawImage(&picture, 0, 0);
        screen->UnlockSurface();
    }
}
BENCHMARK_CAPTURE(BM_Reference_OpaqueBlit, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reference_OpaqueBlit, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_ArriveInCountry1(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    std::unique_ptr<DDImage> screen = Screen(false);
    InGame game(s.mGame.get(), screen.get());
    CountryMap* map = game.Map();
    for (auto _ : state) {
        map->SetCountry(1);
        state.PauseTiming();
        if (GC1_BG == nullptr)
            state.SkipWithError(("GameCountry1 did not load: " + s.mGame->mLastPopup).c_str());
        map->SetCountry(0);
        // Every arrival reads its files again: the pictures the country left go now, whether or
        // not their release asked for the upkeep.
        s.mGame->mCleanSharedImages = true;
        s.mGame->CleanSharedImages();
        state.ResumeTiming();
    }
    state.counters["images"] = s.mGame->resourceManager->GetNumImages("GameCountry1");
}
BENCHMARK(BM_ArriveInCountry1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Reference_LibpngDecodeCountry1(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    quorbench::DecodeWithLibpng(state, quorbench::GroupImagePaths(*s.mGame->resourceManager, "GameCountry1"));
}
BENCHMARK(BM_Reference_LibpngDecodeCountry1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
