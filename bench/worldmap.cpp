// The travel office on the sample content, on RGB565 and XRGB8888 screens of 1024 x 768: a full
// redraw of the world map with the travel box over Germany and four factory icons, beside one
// opaque full-screen blit; and the busiest frame of each travel animation (train with its second
// picture, the ship, the plane) over the map with the full-screen darkening.
#include "BenchGameScreens.h"
#include "game/shell/EffectList.h"
#include "game/world/GamePhase.h"
#include "game/world/WorldMap.h"
#include "game/world/WorldTravel.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace Quor;

namespace {

quorbench::GameOnSampleContent& TheSetup()
{
    static quorbench::GameOnSampleContent setup("quor_bench_worldmap_");
    return setup;
}

// The game screen on a country with the world map open, its fade-in over, drawing into the screen.
struct OnTheMap {
    GameApp* mApp;
    GamePhase* mPhase;
    WorldMap* mMap = nullptr;

    OnTheMap(GameApp* app, Image* screen, int country = 0) : mApp(app)
    {
        if (app->profiles.empty())
            app->CreateDefaultProfile("Bench");
        PlayerProfile& p = app->GetCurrentProfile();
        p.tutorialStep = TutorialFinished;
        p.money = 100000;
        p.country = country;
        for (int i = 0; i < 8; ++i)
            p.countries[i] = true;
        for (int factory : {0, 2, 5, 7})
            p.factories[factory] = FactoryState{factory, -1, true, false};
        app->mHasFocus = true;
        app->mWidgetManager->mImage = screen;
        mPhase = new GamePhase(app);
        app->screens[SCREEN_GAME] = mPhase;
        mPhase->Resize(0, 0, quorbench::kScreenW, quorbench::kScreenH);
        app->mWidgetManager->AddWidget(mPhase);
        mPhase->ShowPanel(PANEL_WORLD_MAP, 0);
        mMap = dynamic_cast<WorldMap*>(mPhase->mPanels[PANEL_WORLD_MAP]);
        Step();
    }
    ~OnTheMap()
    {
        mApp->RemoveScreen(SCREEN_GAME);
        mApp->ProcessSafeDeletes();
    }
    // One tick of the game screen.
    void Step()
    {
        mApp->mUpdateCount += 2;
        mApp->mWidgetManager->UpdateFrame();
    }
    void Redraw()
    {
        mPhase->SetDirty();
        benchmark::DoNotOptimize(mApp->mWidgetManager->DrawScreen());
    }
};

void BM_WorldMapRedraw(benchmark::State& state, bool is16)
{
    quorbench::GameOnSampleContent& s = TheSetup();
    if (!s.Ready(state))
        return;
    std::unique_ptr<DDImage> screen = s.Screen(is16);
    OnTheMap game(s.mGame.get(), screen.get());
    if (game.mMap == nullptr || GW_BG == nullptr) {
        state.SkipWithError("the world map did not open");
        return;
    }
    game.mMap->mHoveredCountry = 1;  // Germany
    for (auto _ : state)
        game.Redraw();
}
BENCHMARK_CAPTURE(BM_WorldMapRedraw, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WorldMapRedraw, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_OpaqueFullScreenBlit(benchmark::State& state, bool is16)
{
    TheSetup().OpaqueFullScreenBlit(state, is16);
}
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_8888, false)->Unit(benchmark::kMillisecond);

// The frame of a trip where most is drawn: every mover and both corner pictures on screen.
void BM_TravelBusiestFrame(benchmark::State& state, bool is16, int from, int to, double seconds)
{
    quorbench::GameOnSampleContent& s = TheSetup();
    if (!s.Ready(state))
        return;
    std::unique_ptr<DDImage> screen = s.Screen(is16);
    OnTheMap game(s.mGame.get(), screen.get(), from);
    if (game.mMap == nullptr) {
        state.SkipWithError("the world map did not open");
        return;
    }
    game.mMap->TravelToCountry(to);
    for (int tick = 0; tick < int(seconds * 50) && game.mMap->mTravel != nullptr; ++tick)
        game.Step();
    WorldTravel* travel = game.mMap->mTravel;
    if (travel == nullptr || travel->mImages[0] == nullptr) {
        state.SkipWithError("the travel animation did not run with its pictures");
        return;
    }
    for (auto _ : state)
        game.Redraw();
    state.counters["mode"] = travel->mMode;
    state.counters["movers"] = double(travel->mEffects->mEffects.size());
}
// England to Germany by train at 1 s (the second picture shown), England to China by ship at
// 3.5 s, the USA to Japan by plane at 1 s (both sweeps on screen).
BENCHMARK_CAPTURE(BM_TravelBusiestFrame, train_565, true, 0, 1, 1.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TravelBusiestFrame, train_8888, false, 0, 1, 1.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TravelBusiestFrame, ship_565, true, 0, 5, 3.5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TravelBusiestFrame, ship_8888, false, 0, 5, 3.5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TravelBusiestFrame, plane_565, true, 7, 2, 1.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TravelBusiestFrame, plane_8888, false, 7, 2, 1.0)->Unit(benchmark::kMillisecond);

} // namespace
