// The country screen on the sample content, on RGB565 and XRGB8888 screens of 1024 x 768: a full
// redraw of England at alpha 255 beside one opaque full-screen blit, the same at alpha 128
// through the zoom, and arriving in a country (England's group freed, "GameCountry1" loaded and
// bound) beside decoding the same PNG files with libpng alone. With the scenery: a full frame of
// every country 10 s after its arrival, one update of the busiest scene (the USA) and building a
// scene.
#include "BenchDisplay.h"
#include "BenchGame.h"
#include "BenchPng.h"
#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/EffectList.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryMap.h"
#include "game/world/CountryScene.h"
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
        // The scenery's pictures and effect data, which the loading screen brings in the game.
        if (mError.empty() && !mGame->LoadGroupInForeground("Fx", &BindFxResources))
            mError = "Fx did not load: " + mGame->mLastPopup;
        if (mError.empty() && !mGame->fxDefs && !mGame->LoadGameData())
            mError = "the game data did not load: " + mGame->mLastPopup;
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
    return quorbench::BlackScreen(is16);
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

// The game on a screen of its own, entered on England.
struct Entered {
    std::unique_ptr<DDImage> screen;
    InGame game;
    Entered(Setup& s, bool is16) : screen(Screen(is16)), game(s.mGame.get(), screen.get()) {}
};

void BM_EnglandRedraw(benchmark::State& state, bool is16, int alpha)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    Entered entered(s, is16);
    InGame& game = entered.game;
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
    quorbench::OpaqueFullScreenBlits(state, is16);
}
BENCHMARK_CAPTURE(BM_Reference_OpaqueBlit, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reference_OpaqueBlit, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_ArriveInCountry1(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    Entered entered(s, false);
    CountryMap* map = entered.game.Map();
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

// A country shown 10 s after its fade-in, drawn whole: background, back layer, buttons, front
// layer, sky.
void BM_CountryFrame(benchmark::State& state, bool is16, int country)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    Entered entered(s, is16);
    InGame& game = entered.game;
    CountryMap* map = game.Map();
    map->SetCountry(country);
    map->Tick(0.02);
    if (map->mScene == nullptr || map->mCountry != country) {
        state.SkipWithError("the country's scene was not built");
        return;
    }
    for (int i = 0; i < 500; ++i) {
        s.mGame->mUpdateCount += 2;
        map->Tick(0.02);
    }
    for (auto _ : state) {
        game.mPhase->SetDirty();
        game.mManager.DrawScreen();
    }
    state.counters["objects"] = double(map->mScene->mBackLayer->mEffects.size() + map->mScene->mFrontLayer->mEffects.size());
    map->SetCountry(0);
}
#define COUNTRY_FRAMES(n, name)                                                                         \
    BENCHMARK_CAPTURE(BM_CountryFrame, rgb565_##name, true, n)->Unit(benchmark::kMillisecond);     \
    BENCHMARK_CAPTURE(BM_CountryFrame, xrgb8888_##name, false, n)->Unit(benchmark::kMillisecond)
COUNTRY_FRAMES(0, england);
COUNTRY_FRAMES(1, germany);
COUNTRY_FRAMES(2, japan);
COUNTRY_FRAMES(3, india);
COUNTRY_FRAMES(4, france);
COUNTRY_FRAMES(5, china);
COUNTRY_FRAMES(6, russia);
COUNTRY_FRAMES(7, usa);
#undef COUNTRY_FRAMES

void BM_UsaSceneUpdate(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    Entered entered(s, false);
    CountryMap* map = entered.game.Map();
    map->SetCountry(7);
    CountryScene scene(s.mGame.get(), 7);
    for (auto _ : state) {
        s.mGame->mUpdateCount += 2;
        scene.Update(0.02);
    }
    scene.Destroy();
    map->SetCountry(0);
}
BENCHMARK(BM_UsaSceneUpdate)->Unit(benchmark::kMicrosecond);

// Building a scene is the pause at the end of a fade-in.
void BM_BuildScene(benchmark::State& state, int country)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    Entered entered(s, false);
    CountryMap* map = entered.game.Map();
    map->SetCountry(country);
    for (auto _ : state) {
        CountryScene scene(s.mGame.get(), country);
        state.PauseTiming();
        scene.Destroy();
        state.ResumeTiming();
    }
    map->SetCountry(0);
}
BENCHMARK_CAPTURE(BM_BuildScene, russia, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BuildScene, usa, 7)->Unit(benchmark::kMicrosecond);

} // namespace
