// The menu screens on the sample content, drawn into 1024 x 768 RGB565 and XRGB8888 display
// surfaces: a full redraw of the main menu (it marks itself dirty on every tick) beside one
// opaque full-screen blit of the same size (the goal: under 2 ms, a fifth of one update), and a
// redraw of an award's picture with its turning light over the darkened gallery (the goal:
// under 10 ms, one update).
#include "BenchGameScreens.h"
#include "game/shell/Award.h"
#include "game/shell/MainMenu.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace Quor;

quorbench::GameOnSampleContent& TheSetup()
{
    static quorbench::GameOnSampleContent setup("quor_bench_menus_");
    return setup;
}

// Opens a screen and ticks it until its fade-in is over.
Widget* OpenSettled(int id, int mode)
{
    GameApp& game = *TheSetup().mGame;
    game.mLoadingThreadCompleted = true;
    game.ShowScreen(id, mode);
    Widget* screen = game.screens[id];
    for (int i = 0; screen && i < 60; ++i)
        screen->Tick(0.02);
    return screen;
}

void Close(int id)
{
    GameApp& game = *TheSetup().mGame;
    game.RemoveScreen(id);
    game.ProcessSafeDeletes();
}

void BM_MainMenuRedraw(benchmark::State& state, bool is16)
{
    if (!TheSetup().Ready(state))
        return;
    GameApp& game = *TheSetup().mGame;
    std::unique_ptr<DDImage> screen = TheSetup().Screen(is16);
    auto* menu = dynamic_cast<MainMenu*>(OpenSettled(SCREEN_MAIN_MENU, 0));
    if (!menu || menu->mFadeAlpha != 255) {
        state.SkipWithError("the main menu did not open");
        return;
    }
    game.mWidgetManager->mImage = screen.get();
    for (auto _ : state) {
        menu->SetDirty();
        benchmark::DoNotOptimize(game.mWidgetManager->DrawScreen());
    }
    game.mWidgetManager->mImage = nullptr;
    Close(SCREEN_MAIN_MENU);
}
BENCHMARK_CAPTURE(BM_MainMenuRedraw, menu_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MainMenuRedraw, menu_8888, false)->Unit(benchmark::kMillisecond);

void BM_OpaqueFullScreenBlit(benchmark::State& state, bool is16)
{
    TheSetup().OpaqueFullScreenBlit(state, is16);
}
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_8888, false)->Unit(benchmark::kMillisecond);

// The first award's picture fully zoomed in; every redraw is one update later, so the light
// has turned a step.
void BM_AwardPictureRedraw(benchmark::State& state, bool is16)
{
    if (!TheSetup().Ready(state))
        return;
    GameApp& game = *TheSetup().mGame;
    std::unique_ptr<DDImage> screen = TheSetup().Screen(is16);
    auto* award = dynamic_cast<Award*>(OpenSettled(SCREEN_AWARD, Award::MODE_ONLY_CLOSE));
    if (!award || !award->mLoaded) {
        state.SkipWithError("the award gallery did not open");
        return;
    }
    award->ButtonDepress(0);
    for (int i = 0; i < 60; ++i)
        award->Tick(0.02);
    if (award->mSelected != 0 || award->mFade != 255) {
        state.SkipWithError("the award picture did not open");
        return;
    }
    game.mWidgetManager->mImage = screen.get();
    for (auto _ : state) {
        ++game.mUpdateCount;
        award->SetDirty();
        benchmark::DoNotOptimize(game.mWidgetManager->DrawScreen());
    }
    game.mWidgetManager->mImage = nullptr;
    Close(SCREEN_AWARD);
}
BENCHMARK_CAPTURE(BM_AwardPictureRedraw, award_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AwardPictureRedraw, award_8888, false)->Unit(benchmark::kMillisecond);

} // namespace
