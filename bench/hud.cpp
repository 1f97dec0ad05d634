// The head-up display on the sample content, drawn into 1024 x 768 RGB565 and XRGB8888 display
// surfaces: the bar with each tab (the inventory full with a dinnerware box; the factory status
// with four columns of five materials and a material box) beside one opaque full-screen blit
// (the goal: the busiest tab under 1 ms, so that a game frame keeps within 2 ms of the 10 ms
// update), and one frame of the production show, the bar under the full-screen dim layer at
// alpha 128 (the goal: under 2 ms; the show draws it 150 times).
#include "BenchGameScreens.h"
#include "game/world/FactoryStatus.h"
#include "game/world/GamePhase.h"
#include "game/world/InfoPanel.h"
#include "game/world/Inventory.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace Quor;

quorbench::GameOnSampleContent& TheSetup()
{
    static quorbench::GameOnSampleContent setup("quor_bench_hud_");
    return setup;
}

// The game screen entered on England with the bar shown over a profile that fills both tabs.
struct GameWithBar {
    GamePhase* mPhase = nullptr;
    InfoPanel* mBar = nullptr;

    explicit GameWithBar(GameApp& game)
    {
        static const bool made = (game.CreateDefaultProfile("Bench"), true);
        (void)made;
        PlayerProfile& p = game.GetCurrentProfile();
        p.tutorialStep = TutorialFinished;
        p.money = 123456;
        p.country = 0;
        p.materials.clear();
        p.stock.clear();
        p.production.clear();
        p.factories.clear();
        for (const auto& [id, material] : game.sourceTable)
            p.materials[id] = 37 * id;
        // Four factories of a five-material recipe; six kinds of dinnerware.
        int product = -1;
        for (const auto& [id, blueprint] : game.blueprintTable)
            if (blueprint.materialQty.size() == 5 && product < 0)
                product = id;
        for (int country : FactoryStatus::kColumnCountries)
            p.factories[country] = {country, product, true, false};
        p.production.push_back({0, product, 2, 3, 25});
        int kinds = 0;
        for (auto it = game.blueprintTable.begin(); it != game.blueprintTable.end() && kinds < 6; ++it, ++kinds)
            AddToStock(p, it->first, 1 + kinds % 3, 3 - kinds % 3, 10 * kinds + 5);
        game.mHasFocus = true;
        mPhase = new GamePhase(&game);
        mPhase->Resize(0, 0, quorbench::kScreenW, quorbench::kScreenH);
        game.screens[SCREEN_GAME] = mPhase;
        game.mWidgetManager->AddWidget(mPhase);
        mBar = dynamic_cast<InfoPanel*>(mPhase->mPanels[PANEL_INFO]);
        if (mBar != nullptr && !mBar->IsShown())
            mBar->SetShown(true);
    }
    ~GameWithBar()
    {
        GameApp& game = *TheSetup().mGame;
        game.RemoveScreen(SCREEN_GAME);
        game.ProcessSafeDeletes();
    }
    // The tab shown with the mouse resting on an item of it.
    void ShowTab(int tab)
    {
        mBar->SelectTab(tab);
        auto* inventory = static_cast<Inventory*>(mBar->mTabPanels[InfoPanel::TAB_INVENTORY]);
        auto* factories = static_cast<FactoryStatus*>(mBar->mTabPanels[InfoPanel::TAB_FACTORIES]);
        if (tab == InfoPanel::TAB_INVENTORY) {
            inventory->mHovering = true;
            inventory->mHoveredSpot = Inventory::ID_DINNERWARE_SPOT + 4;
        } else if (tab == InfoPanel::TAB_FACTORIES) {
            factories->mHovering = true;
            factories->mHoveredSpot = 12;
        }
    }
};

void BM_Bar(benchmark::State& state, bool is16, int tab, bool show)
{
    if (!TheSetup().Ready(state))
        return;
    GameWithBar game(*TheSetup().mGame);
    if (game.mBar == nullptr) {
        state.SkipWithError("the game screen has no bar");
        return;
    }
    game.ShowTab(tab);
    if (show) {
        game.mBar->ShowProductionResult();
        game.mBar->mFade = 255;  // alpha 128 for the dim layer
    }
    std::unique_ptr<DDImage> screen = TheSetup().Screen(is16);
    Graphics g(screen.get());
    for (auto _ : state) {
        game.mBar->Draw(&g);
        if (show)
            game.mBar->DrawDimLayer(&g);
    }
}
BENCHMARK_CAPTURE(BM_Bar, quests_565, true, InfoPanel::TAB_QUESTS, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Bar, quests_8888, false, InfoPanel::TAB_QUESTS, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Bar, inventory_565, true, InfoPanel::TAB_INVENTORY, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Bar, inventory_8888, false, InfoPanel::TAB_INVENTORY, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Bar, factories_565, true, InfoPanel::TAB_FACTORIES, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Bar, factories_8888, false, InfoPanel::TAB_FACTORIES, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Bar, show_frame_565, true, InfoPanel::TAB_FACTORIES, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Bar, show_frame_8888, false, InfoPanel::TAB_FACTORIES, true)->Unit(benchmark::kMillisecond);

void BM_OpaqueFullScreenBlit(benchmark::State& state, bool is16)
{
    TheSetup().OpaqueFullScreenBlit(state, is16);
}
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_8888, false)->Unit(benchmark::kMillisecond);

} // namespace
